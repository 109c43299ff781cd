#include "cache/cacheFile.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <istream>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>

#include <boost/archive/archive_exception.hpp>
#include <boost/archive/binary_iarchive_impl.hpp>
#include <boost/archive/binary_oarchive.hpp>
#include <boost/serialization/array_optimization.hpp>
#include <boost/serialization/map.hpp>
#include <boost/serialization/string.hpp>
#include <boost/serialization/vector.hpp>

// The reading archive below is a binary_iarchive in all but name, so the
// library's implementation of its bases must be compiled for it here.
#include <boost/archive/impl/archive_serializer_map.ipp>
#include <boost/archive/impl/basic_binary_iarchive.ipp>
#include <boost/archive/impl/basic_binary_iprimitive.ipp>

namespace zt::cache::detail {

// Thrown when a size read from a file is larger than what is left of it.
class SizeBeyondEnd : public std::runtime_error {
public:
    SizeBeyondEnd() : std::runtime_error("a size in the file exceeds the bytes left in it") {}
};

// Thrown when an object is marked as tracked. The format serializes its maps
// by value only, so every writer of it marks nothing as tracked; a set byte is
// damage, and left alone it makes the library skip the data that follows.
class TrackedObject : public std::runtime_error {
public:
    TrackedObject()
        : std::runtime_error("an object is marked as tracked (damaged tracking byte)") {}
};

// Reads exactly the bytes boost::archive::binary_iarchive reads, with one
// addition: every collection size and string length is checked against the
// bytes left in the file before anything is allocated for it. A damaged
// file could otherwise claim billions of elements and have the plain
// archive allocate and zero gigabytes before noticing that the data is not
// there.
class BoundedBinaryIArchive
    : public boost::archive::binary_iarchive_impl<BoundedBinaryIArchive, char,
                                                  std::char_traits<char>> {
    using Base =
        boost::archive::binary_iarchive_impl<BoundedBinaryIArchive, char, std::char_traits<char>>;

public:
    // `end` is the stream position just past the archive's last byte.
    BoundedBinaryIArchive(std::istream& in, std::streamoff end)
        : Base(in, 0), buffer_(*in.rdbuf()), end_(end) {
        // Reads and checks the standard header; as in binary_iarchive, this
        // runs once every base is complete.
        init(0);
    }

private:
    friend class boost::archive::detail::interface_iarchive<BoundedBinaryIArchive>;
    friend class boost::archive::basic_binary_iarchive<BoundedBinaryIArchive>;
    friend class boost::archive::basic_binary_iprimitive<BoundedBinaryIArchive, char,
                                                         std::char_traits<char>>;
    friend class boost::archive::load_access;

    template <class T>
    void load_override(T& t) {
        Base::load_override(t);
    }
    void load_override(boost::serialization::collection_size_type& count) {
        Base::load_override(count);
        requireAvailable(count);
    }
    // The tracking flag is one byte in the archive versions this reader
    // accepts; anything but 0 is refused.
    void load_override(boost::archive::tracking_type& tracking) {
        std::int_least8_t flag = 0;
        Base::load_override(flag);
        if (flag != 0) throw TrackedObject();
        tracking = boost::archive::tracking_type(false);
    }

    template <class T>
    void load(T& t) {
        Base::load(t);
    }
    void load(std::string& s) {
        std::size_t length = 0;
        load(length);
        requireAvailable(length);
        s.resize(length);
        if (length > 0) load_binary(&s[0], length);
    }

    // Every element of a collection and every character of a string takes
    // at least one byte of the file.
    void requireAvailable(std::uint64_t count) {
        const std::streamoff position =
            buffer_.pubseekoff(0, std::ios_base::cur, std::ios_base::in);
        if (position < 0 || position > end_) throw SizeBeyondEnd();
        if (count > static_cast<std::uint64_t>(end_ - position)) throw SizeBeyondEnd();
    }

    std::streambuf& buffer_;
    std::streamoff end_;
};

}  // namespace zt::cache::detail

BOOST_SERIALIZATION_USE_ARRAY_OPTIMIZATION(zt::cache::detail::BoundedBinaryIArchive)

namespace boost::archive {
template class basic_binary_iprimitive<zt::cache::detail::BoundedBinaryIArchive, char,
                                       std::char_traits<char>>;
template class basic_binary_iarchive<zt::cache::detail::BoundedBinaryIArchive>;
template class detail::archive_serializer_map<zt::cache::detail::BoundedBinaryIArchive>;
}  // namespace boost::archive

namespace zt::cache {

std::string withTrailingSlash(const std::string& directory) {
    if (directory.empty() || directory.back() == '/') return directory;
    return directory + "/";
}

std::string joinCachePath(const std::string& directory, const std::string& cacheName) {
    return withTrailingSlash(directory) + cacheName;
}

std::string cacheFileName(const std::string& cachePath, int frame) {
    // std::to_string ignores the global locale, so no digit grouping can
    // sneak into the name.
    return cachePath + "_" + std::to_string(frame) + ".ztc";
}

void addIntChannel(CacheFrame& frame, const std::string& name, const int* values,
                   std::size_t count) {
    std::vector<unsigned int>& bits = frame.ints[name];
    bits.resize(count);
    for (std::size_t i = 0; i < count; ++i) bits[i] = static_cast<unsigned int>(values[i]);
}

void addDoubleChannel(CacheFrame& frame, const std::string& name, const double* values,
                      std::size_t count) {
    frame.doubles[name].assign(values, values + count);
}

void addVectorChannel(CacheFrame& frame, const std::string& name, const double* xyz,
                      std::size_t count) {
    std::vector<float>& floats = frame.vectors[name];
    floats.resize(3 * count);
    for (std::size_t i = 0; i < 3 * count; ++i) floats[i] = static_cast<float>(xyz[i]);
}

bool channelLengthsAgree(const CacheFrame& frame, std::string& detail) {
    const std::string* firstName = nullptr;
    std::size_t firstCount = 0;
    auto check = [&](const std::string& name, std::size_t count) {
        if (!firstName) {
            firstName = &name;
            firstCount = count;
            return true;
        }
        if (count == firstCount) return true;
        detail = "channel '" + *firstName + "' holds " + std::to_string(firstCount) +
                 " points, channel '" + name + "' " + std::to_string(count);
        return false;
    };
    for (const auto& [name, values] : frame.ints)
        if (!check(name, values.size())) return false;
    for (const auto& [name, values] : frame.doubles)
        if (!check(name, values.size())) return false;
    for (const auto& [name, floats] : frame.vectors)
        if (!check(name, floats.size() / 3)) return false;
    return true;
}

void saveCacheFrame(boost::archive::binary_oarchive& archive, const CacheFrame& frame) {
    archive << frame.ints;
    archive << frame.doubles;
    archive << frame.vectors;
}

bool writeCacheFile(const std::string& fileName, const CacheFrame& frame, std::string* error) {
    try {
        std::ofstream file(fileName, std::ios::out);
        if (!file) {
            if (error) *error = "cannot create " + fileName;
            return false;
        }
        {
            boost::archive::binary_oarchive archive(file, 0);
            saveCacheFrame(archive, frame);
        }
        file.close();
        if (!file) {
            if (error) *error = "cannot write " + fileName;
            return false;
        }
        return true;
    } catch (const std::exception& e) {
        if (error) *error = "cannot write " + fileName + ": " + e.what();
        return false;
    }
}

namespace {

// Length of the signature's size, the signature "serialization::archive"
// and the two bytes of the library version.
constexpr std::streamoff kShortestHeader = 8 + 22 + 2;

// Runs one step of a load, turning any exception into `failure`.
template <class Step>
bool guarded(LoadResult& result, LoadError failure, Step&& step) {
    try {
        step();
        return true;
    } catch (const std::exception& e) {
        result.error = failure;
        result.detail = e.what();
    } catch (...) {
        result.error = failure;
        result.detail = "unknown error";
    }
    return false;
}

}  // namespace

LoadResult loadCacheStream(std::istream& in) noexcept {
    LoadResult result;
    try {
        const std::streamoff start = in.tellg();
        in.seekg(0, std::ios::end);
        const std::streamoff end = in.tellg();
        in.seekg(start, std::ios::beg);
        if (!in || start < 0 || end < start) {
            result.error = LoadError::cannotOpen;
            result.detail = "the stream cannot be positioned";
            return result;
        }

        // The library reads the version byte after the signature without
        // checking for the end of the stream (and asserts on it in debug
        // builds), so a file cut inside its fixed-size start is refused here.
        if (end - start < kShortestHeader) {
            result.error = LoadError::badHeader;
            result.detail = "the file is shorter than an archive header";
            return result;
        }

        // The library's header check throws from the archive's constructor.
        std::unique_ptr<detail::BoundedBinaryIArchive> archive;
        if (!guarded(result, LoadError::badHeader,
                     [&] { archive = std::make_unique<detail::BoundedBinaryIArchive>(in, end); }))
            return result;
        // The library reads older versions too, but their layout is not the
        // one this format was written in.
        const unsigned int version = archive->get_library_version();
        const unsigned int expected = boost::archive::BOOST_ARCHIVE_VERSION();
        if (version != expected) {
            result.error = LoadError::badHeader;
            result.detail = "archive of library version " + std::to_string(version) +
                            ", expected " + std::to_string(expected);
            return result;
        }
        if (!guarded(result, LoadError::intMap, [&] { *archive >> result.frame.ints; }) ||
            !guarded(result, LoadError::doubleMap, [&] { *archive >> result.frame.doubles; }) ||
            !guarded(result, LoadError::vectorMap, [&] { *archive >> result.frame.vectors; })) {
            result.frame = CacheFrame();
            return result;
        }
        for (const auto& [name, floats] : result.frame.vectors) {
            if (floats.size() % 3 != 0) {
                result.error = LoadError::invalidVectorLength;
                result.detail = "vector channel '" + name + "' holds " +
                                std::to_string(floats.size()) + " floats";
                result.frame = CacheFrame();
                return result;
            }
        }
        const std::streamoff position = in.rdbuf()->pubseekoff(0, std::ios::cur, std::ios::in);
        if (position != end) {
            result.error = LoadError::trailingBytes;
            result.detail = std::to_string(end - position) + " bytes follow the cache data";
            result.frame = CacheFrame();
            return result;
        }
        if (!channelLengthsAgree(result.frame, result.detail)) {
            result.error = LoadError::unequalLengths;
            result.frame = CacheFrame();
            return result;
        }
    } catch (...) {
        // Only allocation failures of the messages themselves can get here.
        result.error = LoadError::cannotOpen;
        result.frame = CacheFrame();
    }
    return result;
}

LoadResult loadCacheFile(const std::string& fileName) noexcept {
    try {
        std::error_code ignored;
        const std::filesystem::file_status status = std::filesystem::status(fileName, ignored);
        if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
            LoadResult result;
            result.error = LoadError::cannotOpen;
            result.detail = fileName + " is not a regular file";
            return result;
        }
        std::ifstream file(fileName, std::ios::in);
        if (!file) {
            LoadResult result;
            result.error = LoadError::cannotOpen;
            result.detail = "cannot open " + fileName;
            return result;
        }
        return loadCacheStream(file);
    } catch (...) {
        LoadResult result;
        result.error = LoadError::cannotOpen;
        return result;
    }
}

const char* loadErrorName(LoadError error) {
    switch (error) {
        case LoadError::none:
            return "none";
        case LoadError::cannotOpen:
            return "cannot open";
        case LoadError::badHeader:
            return "bad header";
        case LoadError::intMap:
            return "int map";
        case LoadError::doubleMap:
            return "double map";
        case LoadError::vectorMap:
            return "vector map";
        case LoadError::invalidVectorLength:
            return "invalid vector length";
        case LoadError::unequalLengths:
            return "unequal channel lengths";
        case LoadError::trailingBytes:
            return "trailing bytes";
    }
    return "unknown";
}

}  // namespace zt::cache
