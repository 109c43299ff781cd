// The cache file layer on its own: naming, round trips, compatibility with
// the plain Boost archives, and every way a file can be unreadable.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <climits>
#include <cmath>
#include <limits>
#include <random>
#include <sstream>

#include <boost/archive/binary_iarchive.hpp>
#include <boost/archive/binary_oarchive.hpp>
#include <boost/serialization/map.hpp>
#include <boost/serialization/string.hpp>
#include <boost/serialization/vector.hpp>

#include "cache/cacheFile.h"
#include "cacheTestUtil.h"

namespace zc = zt::cache;
using namespace zt::cache::test;

namespace {

// A frame of six points with every kind of value the format must carry
// exactly.
zc::CacheFrame awkwardFrame() {
    zc::CacheFrame frame;
    const int ints[] = {0, -1, 7, INT_MIN, INT_MAX, -123456789};
    zc::addIntChannel(frame, "objectIndex", ints, 6);
    const int zeros[6] = {};
    zc::addIntChannel(frame, "flags", zeros, 6);
    const double doubles[] = {
        std::numeric_limits<double>::quiet_NaN(),
        doubleFromBits(0x7ff4000000000abcULL),  // NaN with a payload
        std::numeric_limits<double>::infinity(),  -std::numeric_limits<double>::infinity(), -0.0,
        std::numeric_limits<double>::denorm_min()};
    zc::addDoubleChannel(frame, "fallof", doubles, 6);
    const double xyz[] = {0.1, -2.5, 1e40, 3.0, 4.0, 5.0, 0, 0, 0, 1, 1, 1, 2, 2, 2, -7, 8, -9};
    zc::addVectorChannel(frame, "position", xyz, 6);
    zc::addVectorChannel(frame, "aimDirection", xyz + 3, 5);
    zc::addVectorChannel(frame, "aimDirection", xyz, 6);
    return frame;
}

// The archive bytes a plain binary_oarchive produces for the first `maps`
// maps of `frame` (0 gives the header alone).
std::string plainArchiveBytes(const zc::CacheFrame& frame, int maps) {
    std::ostringstream out;
    {
        boost::archive::binary_oarchive archive(out, 0);
        if (maps > 0) archive << frame.ints;
        if (maps > 1) archive << frame.doubles;
        if (maps > 2) archive << frame.vectors;
    }
    return out.str();
}

class CacheFile : public ::testing::Test {
protected:
    std::string validFileBytes(const zc::CacheFrame& frame) {
        const std::string name = dir.file("valid.ztc");
        EXPECT_TRUE(zc::writeCacheFile(name, frame));
        return readBytes(name);
    }
    zc::LoadResult loadBytes(const std::string& bytes) {
        const std::string name = dir.file("probe.ztc");
        writeBytes(name, bytes);
        return zc::loadCacheFile(name);
    }
    ScratchDir dir{"file"};
};

}  // namespace

TEST(CacheFileNaming, FramesAndDirectories) {
    EXPECT_EQ(zc::cacheFileName("caches/flowers", 12), "caches/flowers_12.ztc");
    EXPECT_EQ(zc::cacheFileName("caches/flowers", -3), "caches/flowers_-3.ztc");
    EXPECT_EQ(zc::cacheFileName("f", 0), "f_0.ztc");
    EXPECT_EQ(zc::cacheFileName("f", INT_MIN), "f_-2147483648.ztc");
    EXPECT_EQ(zc::cacheFileName("f", 1000000), "f_1000000.ztc");

    EXPECT_EQ(zc::joinCachePath("caches", "flowers"), "caches/flowers");
    EXPECT_EQ(zc::joinCachePath("caches/", "flowers"), "caches/flowers");
    EXPECT_EQ(zc::joinCachePath("/abs/dir//", "x"), "/abs/dir//x");
    EXPECT_EQ(zc::joinCachePath("C:\\caches\\", "x"), "C:\\caches\\/x");
    EXPECT_EQ(zc::joinCachePath("", "flowers"), "flowers");
}

TEST(CacheFileNaming, GlobalLocaleDoesNotGroupDigits) {
    struct Grouping : std::numpunct<char> {
        char do_thousands_sep() const override { return ','; }
        std::string do_grouping() const override { return "\3"; }
    };
    const std::locale previous = std::locale::global(std::locale(std::locale(), new Grouping));
    const std::string name = zc::cacheFileName("f", 1234567);
    std::locale::global(previous);
    EXPECT_EQ(name, "f_1234567.ztc");
}

TEST_F(CacheFile, ValuesComeBackExactly) {
    const zc::CacheFrame written = awkwardFrame();
    const std::string name = dir.file("awkward_5.ztc");
    std::string error;
    ASSERT_TRUE(zc::writeCacheFile(name, written, &error)) << error;

    const zc::LoadResult loaded = zc::loadCacheFile(name);
    ASSERT_TRUE(loaded.ok()) << zc::loadErrorName(loaded.error) << ": " << loaded.detail;
    const zc::CacheFrame& frame = loaded.frame;

    ASSERT_EQ(frame.ints.size(), 2u);
    const std::vector<unsigned int>& ids = frame.ints.at("objectIndex");
    const int expectedInts[] = {0, -1, 7, INT_MIN, INT_MAX, -123456789};
    ASSERT_EQ(ids.size(), 6u);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(zc::intFromBits(ids[i]), expectedInts[i]) << i;
    EXPECT_EQ(ids[1], 0xffffffffu);
    EXPECT_EQ(frame.ints.at("flags"), std::vector<unsigned int>(6, 0u));

    const std::vector<double>& fallof = frame.doubles.at("fallof");
    const std::vector<double>& expectedDoubles = written.doubles.at("fallof");
    ASSERT_EQ(fallof.size(), expectedDoubles.size());
    for (std::size_t i = 0; i < fallof.size(); ++i)
        EXPECT_EQ(doubleBits(fallof[i]), doubleBits(expectedDoubles[i])) << i;

    const std::vector<float>& position = frame.vectors.at("position");
    ASSERT_EQ(position.size(), 18u);
    EXPECT_EQ(position[0], static_cast<float>(0.1));
    EXPECT_NE(static_cast<double>(position[0]), 0.1);  // narrowed, not kept as double
    EXPECT_EQ(position[1], -2.5f);
    EXPECT_TRUE(std::isinf(position[2]));  // 1e40 overflows single precision
    EXPECT_EQ(position[5], 5.0f);
    EXPECT_EQ(position[17], -9.0f);
    // A channel added twice keeps the second values.
    EXPECT_EQ(frame.vectors.at("aimDirection"), position);

    // A file that cannot be created is named in the writer's error.
    EXPECT_FALSE(zc::writeCacheFile(dir.file("missing/sub/x_1.ztc"), zc::CacheFrame(), &error));
    EXPECT_NE(error.find("missing/sub/x_1.ztc"), std::string::npos) << error;
}

TEST_F(CacheFile, WrittenBytesAreThePlainLibraryArchives) {
    // An empty frame is the header and three empty maps.
    const zc::CacheFrame empty;
    const std::string emptyBytes = validFileBytes(empty);
    EXPECT_EQ(emptyBytes, plainArchiveBytes(empty, 3));
    EXPECT_GT(emptyBytes.size(), plainArchiveBytes(empty, 0).size());
    EXPECT_EQ(emptyBytes.compare(8, 22, "serialization::archive"), 0);
    zc::LoadResult loaded = loadBytes(emptyBytes);
    ASSERT_TRUE(loaded.ok()) << loaded.detail;
    EXPECT_TRUE(loaded.frame.ints.empty() && loaded.frame.doubles.empty() &&
                loaded.frame.vectors.empty());

    const zc::CacheFrame frame = awkwardFrame();
    const std::string ours = validFileBytes(frame);
    EXPECT_EQ(ours, plainArchiveBytes(frame, 3));
    // A file from our writer reads with the library's own input archive...
    std::istringstream in(ours);
    boost::archive::binary_iarchive archive(in, 0);
    zc::CacheFrame back;
    archive >> back.ints >> back.doubles >> back.vectors;
    EXPECT_EQ(back.ints, frame.ints);
    EXPECT_EQ(back.vectors, frame.vectors);
    EXPECT_EQ(back.doubles.at("fallof").size(), 6u);
    // ...and the reader also takes a stream that does not start at zero.
    std::istringstream shifted("junk" + ours);
    shifted.seekg(4);
    loaded = zc::loadCacheStream(shifted);
    ASSERT_TRUE(loaded.ok()) << loaded.detail;
    EXPECT_EQ(loaded.frame.ints, frame.ints);

    // Maps keep byte-wise name order.
    zc::CacheFrame named;
    const int one[] = {1};
    for (const char* name : {"beta", "Zeta", "alpha", "_x", "Alpha"})
        zc::addIntChannel(named, name, one, 1);
    loaded = loadBytes(validFileBytes(named));
    ASSERT_TRUE(loaded.ok());
    std::vector<std::string> names;
    for (const auto& entry : loaded.frame.ints) names.push_back(entry.first);
    EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "Zeta", "_x", "alpha", "beta"}));
}

TEST_F(CacheFile, DamagedFilesAreRefusedAndSayWhy) {
    struct Case {
        std::string what, bytes;
        zc::LoadError error;
        std::string detail = "";  // a part of the detail, or all of it when `exact`
        bool exact = false;
    };
    std::vector<Case> cases;
    const auto add = [&](Case c) { cases.push_back(std::move(c)); };
    const zc::CacheFrame frame = awkwardFrame();
    const std::string bytes = validFileBytes(frame);
    const auto patched = [](std::string b, std::size_t at, char value) {
        b[at] = value;
        return b;
    };

    // Not this format at all, or a header it does not read: a text archive is
    // a Boost archive, but not the binary kind; the library version follows
    // the signature; the type size marks are those of another machine.
    add({"empty", "", zc::LoadError::badHeader});
    add({"text", "position 1 2 3\n", zc::LoadError::badHeader});
    add({"short header", bytes.substr(0, 20), zc::LoadError::badHeader});
    add({"text archive", "22 serialization::archive 18 0 0 0 0 0 0", zc::LoadError::badHeader});
    add({"newer library", patched(bytes, 30, 0x7f), zc::LoadError::badHeader});
    add({"sizeof(long) 4", patched(bytes, 33, 4), zc::LoadError::badHeader});
    // Only the library version this build writes is read.
    const unsigned int ours = boost::archive::BOOST_ARCHIVE_VERSION();
    ASSERT_EQ(static_cast<unsigned char>(bytes[30]), ours);  // low byte, after the signature
    ASSERT_EQ(bytes[31], 0);
    for (unsigned int version : {ours - 1, ours - 8, 10u})
        add({"version " + std::to_string(version), patched(bytes, 30, static_cast<char>(version)),
             zc::LoadError::badHeader,
             "archive of library version " + std::to_string(version) + ", expected " +
                 std::to_string(ours),
             true});

    // Truncation names the map that failed.
    const std::size_t header = plainArchiveBytes(frame, 0).size();
    const std::size_t afterInts = plainArchiveBytes(frame, 1).size();
    const std::size_t afterDoubles = plainArchiveBytes(frame, 2).size();
    ASSERT_LT(header, afterInts);
    ASSERT_LT(afterInts, afterDoubles);
    ASSERT_LT(afterDoubles, bytes.size());
    const std::pair<std::size_t, zc::LoadError> cuts[] = {
        {header, zc::LoadError::intMap},          {afterInts - 1, zc::LoadError::intMap},
        {afterInts, zc::LoadError::doubleMap},    {afterDoubles - 3, zc::LoadError::doubleMap},
        {afterDoubles, zc::LoadError::vectorMap}, {bytes.size() - 1, zc::LoadError::vectorMap},
    };
    for (const auto& [length, error] : cuts)
        add({"cut at " + std::to_string(length), bytes.substr(0, length), error});

    // Data after the archive.
    for (const std::string& extra : {std::string(1, '\0'), std::string("junk"), bytes})
        add({"trailing", bytes + extra, zc::LoadError::trailingBytes,
             std::to_string(extra.size()) + " bytes follow the cache data", true});

    // A vector entry whose length is not a multiple of three.
    zc::CacheFrame badVector;
    badVector.vectors["good"] = {1, 2, 3};
    badVector.vectors["bad"] = {1, 2, 3, 4};
    add({"vector length", plainArchiveBytes(badVector, 3), zc::LoadError::invalidVectorLength,
         "bad"});

    // Huge claimed sizes are refused before allocating. Both sizes are 8-byte
    // little-endian counts just before what they count: the channel name's
    // length, and the element count of its values.
    zc::CacheFrame sized;
    sized.ints["someChannelName"] = {0x11111111u, 0x22222222u, 0x33333333u};
    const std::string sizedBytes = plainArchiveBytes(sized, 3);
    const std::size_t name = sizedBytes.find("someChannelName");
    const std::size_t values = sizedBytes.find(std::string(4, '\x11'));
    ASSERT_NE(name, std::string::npos);
    ASSERT_NE(values, std::string::npos);
    ASSERT_EQ(sizedBytes[name - 8], 15);
    ASSERT_EQ(sizedBytes[values - 8], 3);
    for (std::size_t sizeOffset : {name - 8, values - 8})
        for (int highByte : {3, 4, 7})
            add({"huge size at " + std::to_string(sizeOffset) + "/" + std::to_string(highByte),
                 patched(sizedBytes, sizeOffset + highByte, 0x40), zc::LoadError::intMap,
                 "exceeds the bytes left"});

    // A set tracking byte is refused by the map it damages. Each map begins
    // with its class's tracking byte and 4 version bytes, then the entry count
    // (8) and item version (4); the first entry's pair class then has its own
    // tracking byte.
    zc::CacheFrame small;
    small.ints["ids"] = {1, 2};
    small.doubles["w"] = {0.5, 0.25};
    small.vectors["p"] = {1, 2, 3, 4, 5, 6};
    const std::string smallBytes = plainArchiveBytes(small, 3);
    ASSERT_TRUE(loadBytes(smallBytes).ok());
    const zc::LoadError failure[] = {zc::LoadError::intMap, zc::LoadError::doubleMap,
                                     zc::LoadError::vectorMap};
    for (int m = 0; m < 3; ++m) {
        for (std::size_t offset : {std::size_t(0), std::size_t(17)}) {
            const std::size_t at = plainArchiveBytes(small, m).size() + offset;
            ASSERT_EQ(smallBytes[at], 0) << "map " << m << " offset " << offset;
            for (char value : {'\x01', '\x37', '\xff'})
                add({"tracking byte of map " + std::to_string(m) + " at " + std::to_string(offset),
                     patched(smallBytes, at, value), failure[m], "damaged tracking byte"});
        }
    }

    ASSERT_TRUE(loadBytes(bytes).ok());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const zc::LoadResult result = loadBytes(c.bytes);
        EXPECT_EQ(result.error, c.error) << zc::loadErrorName(result.error);
        if (c.exact)
            EXPECT_EQ(result.detail, c.detail);
        else
            EXPECT_NE(result.detail.find(c.detail), std::string::npos) << result.detail;
        EXPECT_TRUE(result.frame.ints.empty() && result.frame.doubles.empty() &&
                    result.frame.vectors.empty());
    }
    // A stream that starts later is measured from its own start.
    std::istringstream shifted("prefix" + bytes + "x");
    shifted.seekg(6);
    EXPECT_EQ(zc::loadCacheStream(shifted).error, zc::LoadError::trailingBytes);
}

// Thousands of damaged variants of valid files: every one must either load
// into a consistent frame or be reported as a failed load. The seed is
// fixed, so a failure reproduces.
TEST_F(CacheFile, MutatedAndTruncatedFilesNeverCrash) {
    zc::CacheFrame many;
    for (int c = 0; c < 4; ++c) {
        std::vector<int> ints(5, -c);
        zc::addIntChannel(many, "int" + std::to_string(c), ints.data(), ints.size());
        std::vector<double> doubles(15, 0.5 * c);
        zc::addDoubleChannel(many, "dbl" + std::to_string(c), doubles.data(), 5);
        zc::addVectorChannel(many, "vec" + std::to_string(c), doubles.data(), 5);
    }
    const std::vector<std::string> seeds = {validFileBytes(zc::CacheFrame()),
                                            validFileBytes(awkwardFrame()), validFileBytes(many)};

    std::mt19937 random(0x5eed2014u);
    auto pick = [&random](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    int loaded = 0;
    int failed[16] = {};
    const int iterations = 4000;
    for (int i = 0; i < iterations; ++i) {
        std::string bytes = seeds[pick(seeds.size())];
        switch (i % 6) {
            case 0:  // truncate
                bytes.resize(pick(bytes.size()));
                break;
            case 1:  // flip a few bits
                for (int k = 1 + static_cast<int>(pick(3)); k > 0; --k)
                    bytes[pick(bytes.size())] ^= static_cast<char>(1u << pick(8));
                break;
            case 2:  // overwrite a byte with an extreme value
                bytes[pick(bytes.size())] = static_cast<char>(pick(2) ? 0xff : 0x80);
                break;
            case 3:  // drop or duplicate a run of bytes
            {
                const std::size_t at = pick(bytes.size());
                const std::size_t length = 1 + pick(8);
                if (pick(2))
                    bytes.erase(at, length);
                else
                    bytes.insert(at, bytes.substr(at, length));
                break;
            }
            case 4:  // bytes after the archive
                for (std::size_t k = 1 + pick(8); k > 0; --k) bytes += static_cast<char>(pick(256));
                break;
            default:  // damage, then truncate
                bytes[pick(bytes.size())] = static_cast<char>(pick(256));
                bytes.resize(bytes.size() - pick(bytes.size() / 2 + 1));
                break;
        }
        // Through a memory stream: the same reader as loadCacheFile without
        // thousands of trips to the disk.
        std::istringstream in(bytes);
        const zc::LoadResult result = zc::loadCacheStream(in);
        if (result.ok()) {
            ++loaded;
            for (const auto& entry : result.frame.vectors)
                ASSERT_EQ(entry.second.size() % 3, 0u) << "iteration " << i;
        } else {
            ++failed[static_cast<int>(result.error)];
            ASSERT_NE(result.error, zc::LoadError::cannotOpen) << "iteration " << i;
            ASSERT_TRUE(result.frame.ints.empty() && result.frame.doubles.empty() &&
                        result.frame.vectors.empty())
                << "iteration " << i;
        }
    }
    // The corpus must exercise both outcomes and a failure in every part of
    // the file, or it proves little. (Damage that leaves a vector entry of
    // the wrong length, or channels of unequal lengths, is too rare to count
    // on; each has its own test.)
    EXPECT_GT(loaded, 50);
    for (zc::LoadError kind :
         {zc::LoadError::badHeader, zc::LoadError::intMap, zc::LoadError::doubleMap,
          zc::LoadError::vectorMap, zc::LoadError::trailingBytes})
        EXPECT_GT(failed[static_cast<int>(kind)], 0) << zc::loadErrorName(kind);
}

TEST_F(CacheFile, ChannelsMustHoldTheSameNumberOfPoints) {
    const struct Case {
        zc::CacheFrame frame;  // ints, doubles, vectors (x y z per point)
        const char* detail;    // "" when the frame is consistent
    } cases[] = {
        {{{{"a", {1, 2}}}, {{"b", {1, 2, 3}}}, {}}, "channel 'a' holds 2 points, channel 'b' 3"},
        {{{{"a", {1, 2}}}, {}, {{"v", {1, 2, 3}}}}, "channel 'a' holds 2 points, channel 'v' 1"},
        {{{}, {{"d", {}}}, {{"v", {1, 2, 3}}}}, "channel 'd' holds 0 points, channel 'v' 1"},
        {{{{"a", {1}}, {"b", {1}}, {"c", {}}}, {}, {}},
         "channel 'a' holds 1 points, channel 'c' 0"},
        // Consistent: two points everywhere, and no points anywhere.
        {{{{"a", {1, 2}}}, {{"b", {1, 2}}}, {{"v", {1, 2, 3, 4, 5, 6}}}}, ""},
        {{{{"a", {}}}, {}, {{"v", {}}}}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.detail);
        std::string detail;
        EXPECT_EQ(zc::channelLengthsAgree(c.frame, detail), *c.detail == '\0');
        EXPECT_EQ(detail, c.detail);
        const zc::LoadResult result = loadBytes(plainArchiveBytes(c.frame, 3));
        if (*c.detail == '\0') {
            ASSERT_TRUE(result.ok()) << result.detail;
            EXPECT_EQ(result.frame.ints, c.frame.ints);
            EXPECT_EQ(result.frame.vectors, c.frame.vectors);
        } else {
            EXPECT_EQ(result.error, zc::LoadError::unequalLengths);
            EXPECT_EQ(result.detail, c.detail);
            EXPECT_TRUE(result.frame.ints.empty() && result.frame.doubles.empty());
        }
    }
}

TEST_F(CacheFile, OnlyRegularFilesAreOpened) {
    EXPECT_EQ(zc::loadCacheFile(dir.file("absent_1.ztc")).error, zc::LoadError::cannotOpen);
    const std::string fifo = dir.file("pipe_1.ztc");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Opening the FIFO would wait for a writer that never comes.
    const zc::LoadResult result = zc::loadCacheFile(fifo);
    EXPECT_EQ(result.error, zc::LoadError::cannotOpen);
    EXPECT_EQ(result.detail, fifo + " is not a regular file");
    const zc::LoadResult directory = zc::loadCacheFile(dir.path().string());
    EXPECT_EQ(directory.error, zc::LoadError::cannotOpen);
    EXPECT_EQ(directory.detail, dir.path().string() + " is not a regular file");
    EXPECT_EQ(zc::loadCacheFile("/dev/null").error, zc::LoadError::cannotOpen);
}
