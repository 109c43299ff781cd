#pragma once
// Point cache files: one Boost binary archive per frame holding three maps
// from channel name to values (int channels, double channels, vector
// channels flattened to x, y, z floats). This layer knows nothing about the
// host: the command fills a CacheFrame from a point set and writes it, the
// reader node loads a CacheFrame and turns it back into a point set.
//
//   zt::cache::CacheFrame frame;
//   zt::cache::addVectorChannel(frame, "position", xyz.data(), count);
//   zt::cache::writeCacheFile("caches/flowers_12.ztc", frame);
//   zt::cache::LoadResult loaded = zt::cache::loadCacheFile("caches/flowers_12.ztc");

#include <cstddef>
#include <iosfwd>
#include <map>
#include <string>
#include <vector>

namespace boost::archive {
class binary_oarchive;
}

namespace zt::cache {

// Int channels keep the 32-bit pattern of each signed value.
using IntChannelMap = std::map<std::string, std::vector<unsigned int>>;
using DoubleChannelMap = std::map<std::string, std::vector<double>>;
// Vector channels hold 3 floats per point: x, y, z of point 0, then point 1...
using VectorChannelMap = std::map<std::string, std::vector<float>>;

// The content of one cache file. The maps are serialized in this order.
struct CacheFrame {
    IntChannelMap ints;
    DoubleChannelMap doubles;
    VectorChannelMap vectors;
};

// ---- file naming -------------------------------------------------------

// The directory with "/" appended unless it already ends with one. An empty
// directory stays empty, so the files land in the working directory rather
// than at the filesystem root.
std::string withTrailingSlash(const std::string& directory);

// "caches/" + "flowers" -> "caches/flowers"; "caches" + "flowers" likewise.
std::string joinCachePath(const std::string& directory, const std::string& cacheName);

// cachePath + "_" + frame + ".ztc": flowers_12.ztc, flowers_-3.ztc.
std::string cacheFileName(const std::string& cachePath, int frame);

// ---- building a frame --------------------------------------------------

// Each call stores (or replaces) one channel. Vector data is `count` points
// of three doubles each, narrowed to float.
void addIntChannel(CacheFrame& frame, const std::string& name, const int* values,
                   std::size_t count);
void addDoubleChannel(CacheFrame& frame, const std::string& name, const double* values,
                      std::size_t count);
void addVectorChannel(CacheFrame& frame, const std::string& name, const double* xyz,
                      std::size_t count);

// Whether every channel holds the same number of points (a vector channel
// one per three floats), as the points of a point set do. Otherwise `detail`
// names the first channel and one that differs from it.
bool channelLengthsAgree(const CacheFrame& frame, std::string& detail);

// The signed value stored under an int channel's bit pattern.
inline int intFromBits(unsigned int bits) {
    return static_cast<int>(bits);
}

// ---- writing -----------------------------------------------------------

// Serializes the three maps into an archive that already holds its header.
// Throws boost::archive::archive_exception when the stream fails.
void saveCacheFrame(boost::archive::binary_oarchive& archive, const CacheFrame& frame);

// Opens `fileName` (output mode, no binary flag), writes the archive header
// and the frame. Returns false, with a reason in `error` when given, if the
// file cannot be created or written; never throws.
bool writeCacheFile(const std::string& fileName, const CacheFrame& frame,
                    std::string* error = nullptr);

// ---- reading -----------------------------------------------------------

enum class LoadError {
    none,
    cannotOpen,           // the file could not be opened for reading
    badHeader,            // empty, not an archive, other library version or format
    intMap,               // map 1 could not be deserialized
    doubleMap,            // map 2 could not be deserialized
    vectorMap,            // map 3 could not be deserialized
    invalidVectorLength,  // a vector entry whose float count is not a multiple of 3
    unequalLengths,       // channels with different numbers of points
    trailingBytes,        // bytes left in the file after the three maps
};

struct LoadResult {
    LoadError error = LoadError::none;
    // What went wrong, in words (the library's reason, the offending channel).
    std::string detail;
    // Complete only when error is LoadError::none.
    CacheFrame frame;

    bool ok() const { return error == LoadError::none; }
};

// Reads one cache file. Every failure, including a file that claims more
// data than it holds, becomes an error result; nothing is thrown. Only a
// regular file is opened (a FIFO of the right name would block the reader).
// The archive must be of the library version this build writes, mark no
// object as tracked (the format never tracks), be followed by nothing, and
// its channels must all hold the same number of points.
LoadResult loadCacheFile(const std::string& fileName) noexcept;

// The same over an already opened stream (positioned at the archive start).
LoadResult loadCacheStream(std::istream& in) noexcept;

// Short English name of an error, for messages and tests.
const char* loadErrorName(LoadError error);

}  // namespace zt::cache
