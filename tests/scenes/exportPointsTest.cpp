// exportPoints end to end: a scattered point set written in every format
// must read back as the same numbers, in the same columns.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "batchRun.h"

using zt::scenes::BatchResult;
using zt::scenes::readFile;
using zt::scenes::runBatch;
using zt::scenes::ScratchDir;

namespace {

struct Table {
    std::vector<std::string> columns;
    std::vector<bool> isInt;
    std::vector<std::vector<double>> rows;
};

// Reads our PLY files: one vertex element, double and int properties.
Table readPly(const std::string& bytes) {
    Table t;
    std::size_t end = bytes.find("end_header\n");
    EXPECT_NE(end, std::string::npos);
    std::istringstream header(bytes.substr(0, end));
    std::string line, format;
    std::size_t count = 0;
    while (std::getline(header, line)) {
        std::istringstream words(line);
        std::string word, type, name;
        words >> word;
        if (word == "format") words >> format;
        if (word == "element") words >> name >> count;
        if (word == "property") {
            words >> type >> name;
            t.columns.push_back(name);
            t.isInt.push_back(type == "int");
        }
    }
    std::size_t pos = end + std::strlen("end_header\n");
    if (format == "ascii") {
        std::istringstream body(bytes.substr(pos));
        for (std::size_t i = 0; i < count; ++i) {
            std::vector<double> row(t.columns.size());
            for (double& v : row) body >> v;
            t.rows.push_back(row);
        }
        return t;
    }
    EXPECT_EQ(format, "binary_little_endian");
    for (std::size_t i = 0; i < count; ++i) {
        std::vector<double> row;
        for (bool isInt : t.isInt) {
            unsigned char b[8] = {};
            std::size_t n = isInt ? 4 : 8;
            if (pos + n > bytes.size()) return t;
            std::memcpy(b, bytes.data() + pos, n);
            pos += n;
            // Assemble little-endian bytes explicitly: independent of the host.
            std::uint64_t bits = 0;
            for (std::size_t k = 0; k < n; ++k) bits |= std::uint64_t(b[k]) << (8 * k);
            if (isInt) {
                row.push_back(static_cast<std::int32_t>(static_cast<std::uint32_t>(bits)));
            } else {
                double d;
                std::memcpy(&d, &bits, 8);
                row.push_back(d);
            }
        }
        t.rows.push_back(row);
    }
    EXPECT_EQ(pos, bytes.size()) << "bytes after the last vertex";
    return t;
}

Table readCsv(const std::string& text) {
    Table t;
    std::istringstream lines(text);
    std::string line;
    std::getline(lines, line);
    std::istringstream header(line);
    for (std::string cell; std::getline(header, cell, ',');) t.columns.push_back(cell);
    while (std::getline(lines, line)) {
        std::vector<double> row;
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, ',');) row.push_back(std::stod(cell));
        t.rows.push_back(row);
    }
    return t;
}

// The numbers of a JSON channel array, in order ("[[1, 2, 3], [4, 5, 6]]").
std::vector<double> jsonNumbers(const std::string& json, const std::string& channel) {
    std::vector<double> out;
    std::size_t at = json.find("\"" + channel + "\": [");
    if (at == std::string::npos) return out;
    at = json.find('[', at);
    int depth = 0;
    for (std::size_t i = at; i < json.size(); ++i) {
        char c = json[i];
        if (c == '[') ++depth;
        if (c == ']' && --depth == 0) break;
        if (c == '-' || (c >= '0' && c <= '9')) {
            std::size_t used = 0;
            out.push_back(std::stod(json.substr(i), &used));
            i += used - 1;
        }
    }
    return out;
}

std::vector<double> column(const Table& t, const std::string& name) {
    std::vector<double> out;
    for (std::size_t c = 0; c < t.columns.size(); ++c)
        if (t.columns[c] == name)
            for (const auto& row : t.rows) out.push_back(row[c]);
    return out;
}

}  // namespace

TEST(ExportPoints, EveryFormatHoldsTheSamePoints) {
    ScratchDir work;
    const std::string script = R"(
        loadPlugin ztNodes;
        polyPlane -w 4 -h 3 -sx 4 -sy 3 -n ground;
        createNode ztScatterPoints -n sc;
        connectAttr groundShape.outMesh sc.inMesh;
        connectAttr groundShape.boundingBox sc.boundingBox;
        setAttr sc.radius 0.4;
        print ("count " + `getAttr -size sc.outPoints` + "\n");
        exportPoints sc.outPoints "p.ply";
        exportPoints -ascii sc.outPoints "pa.ply";
        exportPoints sc.outPoints "p.csv";
        exportPoints sc.outPoints "p.JSON";
    )";
    BatchResult r = runBatch({"-q", "-c", script}, work.path());
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    std::size_t count = std::stoul(r.out.substr(r.out.find("count ") + 6));
    ASSERT_GT(count, 10u);

    Table binary = readPly(readFile(work.file("p.ply")));
    Table ascii = readPly(readFile(work.file("pa.ply")));
    Table csv = readCsv(readFile(work.file("p.csv")));
    const std::string json = readFile(work.file("p.JSON"));

    ASSERT_GE(binary.columns.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(binary.columns.begin(), binary.columns.begin() + 3),
              (std::vector<std::string>{"x", "y", "z"}));
    EXPECT_EQ(binary.columns, ascii.columns);
    EXPECT_EQ(binary.columns, csv.columns);
    EXPECT_EQ(binary.rows.size(), count);
    EXPECT_EQ(binary.rows, ascii.rows);  // text is written exactly: same bits
    EXPECT_EQ(binary.rows, csv.rows);

    // JSON keeps channels whole: position as [x, y, z] triples.
    std::vector<double> xyz;
    for (const auto& row : binary.rows) xyz.insert(xyz.end(), row.begin(), row.begin() + 3);
    EXPECT_EQ(jsonNumbers(json, "position"), xyz);
    EXPECT_EQ(jsonNumbers(json, "pointID"), column(binary, "pointID"));

    // The points lie on the 4 x 3 plane at y = 0.
    for (const auto& row : binary.rows) {
        EXPECT_LE(std::abs(row[0]), 2.0 + 1e-6);
        EXPECT_EQ(row[1], 0.0);
        EXPECT_LE(std::abs(row[2]), 1.5 + 1e-6);
    }
}

TEST(ExportPoints, RefusesWhatIsNotAPointSetOrNotWritable) {
    ScratchDir work;
    BatchResult notPoints = runBatch(
        {"-c", "createNode transform -n t; exportPoints t.translate \"t.ply\";"}, work.path());
    EXPECT_EQ(notPoints.exitCode, 1);
    EXPECT_NE(notPoints.err.find("'t.translate' is not a point-set attribute"), std::string::npos)
        << notPoints.err;

    const std::string scatter =
        "loadPlugin ztNodes; polyPlane -n g; createNode ztScatterPoints -n sc;"
        "connectAttr gShape.outMesh sc.inMesh; connectAttr gShape.boundingBox sc.boundingBox;";
    BatchResult badDir =
        runBatch({"-c", scatter + "exportPoints sc.outPoints \"no/such/dir/p.ply\";"}, work.path());
    EXPECT_EQ(badDir.exitCode, 1);
    EXPECT_NE(badDir.err.find("cannot open 'no/such/dir/p.ply'"), std::string::npos) << badDir.err;

    BatchResult badExtension =
        runBatch({"-c", scatter + "exportPoints sc.outPoints \"p.xyz\";"}, work.path());
    EXPECT_EQ(badExtension.exitCode, 1);
    EXPECT_NE(badExtension.err.find(".ply, .csv or .json"), std::string::npos);
}
