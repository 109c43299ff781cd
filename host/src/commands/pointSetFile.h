#pragma once
// Writing a point set (named per-point channels) to PLY, CSV or JSON, for
// the exportPoints command. Independent of the graph: the command copies the
// channels out of the plug's data first.
//
// Columns: "position" comes first as x y z; every other vector channel as
// name_x name_y name_z; double channels as one column, int channels as one
// column. Vectors and doubles are written as 64-bit doubles (PLY "double"),
// ints as 32-bit ints (PLY "int").

#include <cstddef>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <vector>

namespace zt::commands {

struct PointChannel {
    enum class Kind { kVector, kDouble, kInt };
    std::string name;
    Kind kind = Kind::kDouble;
    std::vector<double> doubles;  // kVector: x y z per point; kDouble: one per point
    std::vector<int> ints;        // kInt

    std::size_t pointCount() const;
};

struct PointTable {
    std::vector<PointChannel> channels;
    // String channels, which none of the formats hold: listed, not written.
    std::vector<std::string> stringChannels;
};

enum class PointFileFormat { kPlyBinary, kPlyAscii, kCsv, kJson };

class PointFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Puts "position" first and checks that every channel holds the same number
// of points; returns that number. PointFileError when they differ.
std::size_t preparePointTable(PointTable& table);

// Format from the file's extension (.ply, .csv, .json, any case); `ascii`
// selects text PLY. PointFileError for any other extension.
PointFileFormat pointFileFormat(const std::string& path, bool ascii);

// Column names in file order ("x", "y", "z", "N_x", ...).
std::vector<std::string> pointColumns(const PointTable& table);

void writePoints(std::ostream& out, const PointTable& table, PointFileFormat format);

}  // namespace zt::commands
