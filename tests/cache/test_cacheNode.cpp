// The cache command and the cache reader node inside the host: what the
// command writes comes back through the node channel for channel, bit for
// bit, in the documented order; failed loads keep the previous point set;
// relative paths, missing frames, interrupts and damaged files.

#include <gtest/gtest.h>
#include <maya/MDataBlock.h>
#include <maya/MDoubleArray.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnUnitAttribute.h>
#include <maya/MGlobal.h>
#include <maya/MIntArray.h>
#include <maya/MPlug.h>
#include <maya/MPxNode.h>
#include <maya/MSelectionList.h>
#include <maya/MStringArray.h>
#include <maya/MTime.h>
#include <maya/MVectorArray.h>

#include <sys/stat.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "cache/cacheFile.h"
#include "cache/doZtPointsCacheCmd.h"
#include "cache/ztPointsCache.h"
#include "cacheTestUtil.h"
#include "core/pointSet.h"
#include "host/src/commands/commandRegistry.h"
#include "host/src/graph/messages.h"
#include "host/src/graph/registry.h"
#include "host/src/hostInit.h"

namespace fs = std::filesystem;
namespace zc = zt::cache;
using namespace zt::cache::test;
using zt::host::MessageCapture;
using zt::host::MessageKind;

namespace {

// A channel as bit patterns, so that NaN payloads and -0.0 compare exactly.
struct Channel {
    std::string name;
    MFnArrayAttrsData::Type type;
    std::vector<std::uint64_t> bits;  // ints: 32-bit pattern; vectors: x, y, z
    bool operator==(const Channel& o) const {
        return name == o.name && type == o.type && bits == o.bits;
    }
};

std::ostream& operator<<(std::ostream& os, const Channel& c) {
    return os << c.name << "/" << c.type << "[" << c.bits.size() << "]";
}

// What the source node outputs at `frame`, in its own (creation) order.
// With `narrowed`, vectors as they come back from a cache: single precision.
// Four points; every channel holds one value per point.
struct SourceValues {
    std::vector<int> ids;
    std::vector<int> flags;
    std::vector<double> weights;
    std::vector<double> positions;  // x y z per point
    std::vector<double> aim;        // x y z per point
    std::vector<double> extra;      // x y z per point
};

SourceValues sourceValues(int frame) {
    SourceValues v;
    v.ids = {frame, -frame - 1, INT_MIN, INT_MAX};
    v.flags = {0, 1, 0, -1};
    v.weights = {doubleFromBits(0x7ff4000000000abcULL), -std::numeric_limits<double>::infinity(),
                 -0.0, frame + 0.1};
    v.positions = {frame + 0.1, -1e-3, 1e39,  1.0 / 3.0, 2.0 / 3.0, static_cast<double>(frame),
                   0.5,         0.25,  0.125, -1.0,      -2.0,      -3.0};
    v.aim = {0, 1, 0, 0, 0, 1, 1, 0, 0, 0, -1, 0};
    v.extra = {0.5, -0.25, frame * 1e-7, 1, 1, 1, 2, 2, 2, 3, 3, 3};
    return v;
}

enum Variant { kAwkward = 0, kEmpty = 1, kWithStrings = 2, kUnequal = 3 };

// A point-set source for the command: its channels depend on the frame, so
// a file holding the wrong frame shows. At `interruptAt` it asks the running
// computation to stop, as Ctrl-C in the batch program does.
class CacheTestSource : public MPxNode {
public:
    static void* creator() { return new CacheTestSource; }
    static MStatus initialize() {
        MFnUnitAttribute unit;
        time = unit.create("time", "tm", MFnUnitAttribute::kTime, 0.0);
        MFnNumericAttribute numeric;
        variant = numeric.create("variant", "va", MFnNumericData::kInt, kAwkward);
        interruptAt = numeric.create("interruptAt", "ia", MFnNumericData::kInt, INT_MIN);
        zt::createPointSetAttribute(outPoints, "outPoints", "op", zt::PointSetRole::kOutput);
        for (MObject* a : {&time, &variant, &interruptAt, &outPoints}) addAttribute(*a);
        for (MObject* a : {&time, &variant, &interruptAt}) attributeAffects(*a, outPoints);
        return MS::kSuccess;
    }
    MStatus compute(const MPlug& plug, MDataBlock& block) override {
        if (plug != outPoints) return MS::kUnknownParameter;
        const int frame =
            static_cast<int>(std::lround(block.inputValue(time).asTime().as(MTime::uiUnit())));
        if (frame == block.inputValue(interruptAt).asInt()) zt::host::requestInterrupt();
        const int kind = block.inputValue(variant).asInt();

        MFnArrayAttrsData fn;
        MObject data = fn.create();
        if (kind != kEmpty) {
            const SourceValues v = sourceValues(frame);
            // Created out of name order on purpose.
            appendVectors(fn.vectorArray("zExtra"), v.extra);
            MDoubleArray weights = fn.doubleArray("fallof");
            for (double w : v.weights) weights.append(w);
            appendVectors(fn.vectorArray("position"), v.positions);
            MIntArray ids = fn.intArray("objectIndex");
            for (int id : v.ids) ids.append(id);
            appendVectors(fn.vectorArray("aimDirection"), v.aim);
            MIntArray flags = fn.intArray("flags");
            for (int flag : v.flags) flags.append(flag);
            if (kind == kWithStrings) fn.stringArray("label").append("a");
            if (kind == kUnequal) flags.append(7);
        }
        block.outputValue(outPoints).set(data);
        block.setClean(plug);
        return MS::kSuccess;
    }
    static void appendVectors(MVectorArray array, const std::vector<double>& xyz) {
        for (std::size_t i = 0; i + 2 < xyz.size(); i += 3)
            array.append(MVector(xyz[i], xyz[i + 1], xyz[i + 2]));
    }
    static inline MObject time, variant, interruptAt, outPoints;
};

std::vector<std::uint64_t> intBits(const std::vector<int>& values) {
    std::vector<std::uint64_t> bits;
    for (int v : values) bits.push_back(static_cast<std::uint32_t>(v));
    return bits;
}

std::vector<std::uint64_t> doubleBitsOf(const std::vector<double>& values, bool narrow) {
    std::vector<std::uint64_t> bits;
    for (double v : values) bits.push_back(doubleBits(narrow ? double(float(v)) : v));
    return bits;
}

// The point set the reader must give back for a cache of the source at
// `frame`: int channels by name, then double, then vector channels.
std::vector<Channel> expectedFromCache(int frame) {
    const SourceValues v = sourceValues(frame);
    return {{"flags", MFnArrayAttrsData::kIntArray, intBits(v.flags)},
            {"objectIndex", MFnArrayAttrsData::kIntArray, intBits(v.ids)},
            {"fallof", MFnArrayAttrsData::kDoubleArray, doubleBitsOf(v.weights, false)},
            {"aimDirection", MFnArrayAttrsData::kVectorArray, doubleBitsOf(v.aim, true)},
            {"position", MFnArrayAttrsData::kVectorArray, doubleBitsOf(v.positions, true)},
            {"zExtra", MFnArrayAttrsData::kVectorArray, doubleBitsOf(v.extra, true)}};
}

MPlug plugNamed(const std::string& name) {
    MSelectionList list;
    MPlug plug;
    EXPECT_TRUE(list.add(name.c_str()) && list.getPlug(0, plug)) << name;
    return plug;
}

// The point set on a plug, channel by channel in list() order; `ok` false
// when the plug holds no point set.
std::vector<Channel> pointsOf(const std::string& plugName, bool* ok = nullptr) {
    MObject data;
    MStatus status = plugNamed(plugName).getValue(data);
    MFnArrayAttrsData fn(data, &status);
    if (ok) *ok = static_cast<bool>(status);
    std::vector<Channel> channels;
    if (!status) return channels;
    const MStringArray names = fn.list();
    for (unsigned int i = 0; i < names.length(); ++i) {
        Channel c{names[i].asChar(), MFnArrayAttrsData::kInvalid, {}};
        fn.checkArrayExist(names[i], c.type);
        if (c.type == MFnArrayAttrsData::kIntArray) {
            const MIntArray a = fn.getIntData(names[i]);
            for (unsigned int k = 0; k < a.length(); ++k)
                c.bits.push_back(static_cast<std::uint32_t>(a[k]));
        } else if (c.type == MFnArrayAttrsData::kDoubleArray) {
            const MDoubleArray a = fn.getDoubleData(names[i]);
            for (unsigned int k = 0; k < a.length(); ++k) c.bits.push_back(doubleBits(a[k]));
        } else if (c.type == MFnArrayAttrsData::kVectorArray) {
            const MVectorArray a = fn.getVectorData(names[i]);
            for (unsigned int k = 0; k < a.length(); ++k)
                for (double x : {a[k].x, a[k].y, a[k].z}) c.bits.push_back(doubleBits(x));
        }
        channels.push_back(c);
    }
    return channels;
}

bool run(const std::string& mel) {
    return MGlobal::executeCommand(mel.c_str());
}

class CacheInHost : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        zt::host::startHost();
        if (!zt::host::nodeTypeExists("ztPointsCache")) {
            zt::host::registerBuiltinNodeType("ztPointsCache", ztPointsCache::id,
                                              ztPointsCache::creator, ztPointsCache::initialize,
                                              MPxNode::kDependNode, MFn::kPluginDependNode);
            zt::host::registerBuiltinNodeType("cacheTestSource", MTypeId(0x7f0c1),  // test-only id
                                              CacheTestSource::creator, CacheTestSource::initialize,
                                              MPxNode::kDependNode, MFn::kPluginDependNode);
            zt::commands::registerPluginCommand("doZtPointsCache", doZtPointsCacheCmd::creator);
        }
    }
    void SetUp() override {
        zt::host::newScene();
        ASSERT_TRUE(
            run("createNode cacheTestSource -n source; "
                "connectAttr time1.outTime source.time;"));
        ASSERT_TRUE(
            run("createNode ztPointsCache -n reader; "
                "connectAttr time1.outTime reader.time;"));
    }
    void setCachePath(const std::string& path) {
        ASSERT_TRUE(run("setAttr -type \"string\" reader.cachePath \"" + path + "\";"));
    }
    // The cache command over frames first to last, into the scratch
    // directory unless `dir` is given.
    std::string cacheCommand(const std::string& name, int first, int last, int mode = 0,
                             std::string dir = "") {
        if (dir.empty()) dir = dir_.path().string();
        return "doZtPointsCache source \"" + dir + "\" \"" + name + "\" " + std::to_string(first) +
               " " + std::to_string(last) + " " + std::to_string(mode) + ";";
    }
    std::string frameFile(const std::string& name, int frame) const {
        return dir_.file(name + "_" + std::to_string(frame) + ".ztc");
    }
    // A pending interrupt would stop every later command of the host.
    void TearDown() override { zt::host::clearInterrupt(); }
    std::vector<Channel> readerAt(double frame, bool* ok = nullptr) {
        MGlobal::viewFrame(frame);
        return pointsOf("reader.outPoints", ok);
    }
    ScratchDir dir_{"node"};
};

TEST_F(CacheInHost, WrittenChannelsComeBackExactlyInDocumentedOrder) {
    MessageCapture messages;
    ASSERT_TRUE(run(cacheCommand("pts", -2, 2)));
    EXPECT_TRUE(messages.contains(MessageKind::kInfo, "ztPointsCache completed"));
    for (int f = -2; f <= 2; ++f) EXPECT_TRUE(fs::exists(frameFile("pts", f))) << f;
    EXPECT_FALSE(fs::exists(dir_.file("pts_3.ztc")));

    setCachePath(dir_.file("pts"));
    for (int f : {1, -2, 2, 0, -1}) EXPECT_EQ(readerAt(f), expectedFromCache(f)) << "frame " << f;
    EXPECT_TRUE(messages.texts(MessageKind::kError).empty());
    EXPECT_TRUE(messages.texts(MessageKind::kWarning).empty());

    // A missing frame warns and keeps the previous point set; the path is
    // absolute, so the warning names it without the workspace root in front.
    messages.clear();
    EXPECT_EQ(readerAt(3), expectedFromCache(-1));
    EXPECT_EQ(messages.texts(MessageKind::kWarning),
              std::vector<std::string>{"No cache found for frame 3: " + frameFile("pts", 3)});
    EXPECT_TRUE(messages.texts(MessageKind::kError).empty());

    // Writing again overwrites: an empty set replaces the channels.
    ASSERT_TRUE(run("setAttr source.variant 1;" + cacheCommand("pts", 1, 1)));
    bool ok = false;
    EXPECT_TRUE(readerAt(1, &ok).empty());
    EXPECT_TRUE(ok);
    EXPECT_EQ(readerAt(0), expectedFromCache(0));

    // Mode 2 keeps "objectIndex", "aimDirection" and "position" only; of a
    // set without them it writes three empty maps.
    ASSERT_TRUE(run("setAttr source.variant 0;" + cacheCommand("inst", 4, 4, 2)));
    setCachePath(dir_.file("inst"));
    const std::vector<Channel> all = expectedFromCache(4);
    EXPECT_EQ(readerAt(4), (std::vector<Channel>{all[1], all[3], all[4]}));
    ASSERT_TRUE(run("setAttr source.variant 1;" + cacheCommand("none", 4, 4, 2)));
    const zc::LoadResult loaded = zc::loadCacheFile(frameFile("none", 4));
    ASSERT_TRUE(loaded.ok()) << loaded.detail;
    EXPECT_TRUE(loaded.frame.ints.empty() && loaded.frame.doubles.empty() &&
                loaded.frame.vectors.empty());
}

TEST_F(CacheInHost, FailedLoadsReportAndKeepThePreviousPointSet) {
    ASSERT_TRUE(run(cacheCommand("c", 1, 1)));
    const std::string good = readBytes(dir_.file("c_1.ztc"));
    zc::CacheFrame badVectors;
    badVectors.vectors["position"] = {1, 2, 3, 4};
    ASSERT_TRUE(zc::writeCacheFile(dir_.file("c_9.ztc"), badVectors));
    const std::string headerOnly = readBytes(dir_.file("c_9.ztc")).substr(0, 40);
    zc::CacheFrame unequalFrame;
    unequalFrame.ints["a"] = {1};
    unequalFrame.ints["b"] = {1, 2};
    ASSERT_TRUE(zc::writeCacheFile(dir_.file("c_12.ztc"), unequalFrame));
    const std::string unequal = readBytes(dir_.file("c_12.ztc"));
    ASSERT_EQ(::mkfifo(dir_.file("c_14.ztc").c_str(), 0600), 0);

    const struct {
        int frame;
        std::string bytes;
        std::string message;  // exact, or a prefix when it ends with '*'
    } cases[] = {
        {2, "", "ztPointsCache: not a readable cache file: *"},
        {4, headerOnly, "Failed to load cache data (int map)"},
        {5, good.substr(0, good.find("fallof") + 3), "Failed to load cache data (double map)"},
        {6, good.substr(0, good.size() - 5), "Failed to load cache data (vector map)"},
        {9, "", "ztPointsCache: invalid vector length"},
        {11, good + "xyz",
         "ztPointsCache: not a readable cache file: " + dir_.file("c_11.ztc") +
             " (3 bytes follow the cache data)"},
        {12, unequal,
         "ztPointsCache: not a readable cache file: " + dir_.file("c_12.ztc") +
             " (channel 'a' holds 1 points, channel 'b' 2)"},
        {14, "",
         "ztPointsCache: cannot open cache file " + dir_.file("c_14.ztc") + " (" +
             dir_.file("c_14.ztc") + " is not a regular file)"},
    };
    setCachePath(dir_.file("c"));
    const std::vector<Channel> previous = readerAt(1);
    ASSERT_EQ(previous, expectedFromCache(1));
    for (const auto& c : cases) {
        if (c.frame != 9 && c.frame != 14)
            writeBytes(dir_.file("c_" + std::to_string(c.frame) + ".ztc"), c.bytes);
        MessageCapture messages;
        readerAt(1);
        EXPECT_EQ(readerAt(c.frame), previous) << "frame " << c.frame;
        const std::vector<std::string> errors = messages.texts(MessageKind::kError);
        ASSERT_EQ(errors.size(), 1u) << "frame " << c.frame;
        if (c.message.back() == '*')
            EXPECT_EQ(errors[0].rfind(c.message.substr(0, c.message.size() - 1), 0), 0u)
                << errors[0];
        else
            EXPECT_EQ(errors[0], c.message);
    }
}

TEST_F(CacheInHost, TimesReadTheTruncatedFrameInTheSceneUnit) {
    ASSERT_TRUE(run(cacheCommand("t", -1, 30)));
    setCachePath(dir_.file("t"));
    const struct {
        double time;
        int frame;
    } cases[] = {{12.9, 12}, {-0.5, 0}, {0.99, 0}, {-1.0, -1}, {-1.7, -1}, {2.0, 2}};
    for (const auto& c : cases)
        EXPECT_EQ(readerAt(c.time), expectedFromCache(c.frame)) << "time " << c.time;

    // One second at 30 frames per second is frame 30.
    const MTime::Unit unit = MTime::uiUnit();
    ASSERT_TRUE(MTime::setUIUnit(MTime::kNTSCFrame));
    MGlobal::viewFrame(MTime(1.0, MTime::kSeconds));
    const std::vector<Channel> atOneSecond = pointsOf("reader.outPoints");
    MTime::setUIUnit(unit);
    EXPECT_EQ(atOneSecond, expectedFromCache(30));
}

TEST_F(CacheInHost, RelativePathsTryTheWorkingDirectoryBeforeTheWorkspaceRoot) {
    const fs::path cwd = dir_.path() / "cwd";
    const fs::path root = dir_.path() / "root";
    fs::create_directories(cwd / "caches");
    fs::create_directories(root / "caches");
    const fs::path previousCwd = fs::current_path();
    fs::current_path(cwd);
    struct Restore {
        fs::path path;
        ~Restore() { fs::current_path(path); }
    } restore{previousCwd};
    ASSERT_TRUE(run("workspace -rd \"" + root.string() + "\";"));

    // Frame 5 only under the root, frame 6 in both places.
    ASSERT_TRUE(run(cacheCommand("rel", 5, 6, 0, (root / "caches").string())));
    ASSERT_TRUE(run("setAttr source.variant 1;" + cacheCommand("rel", 6, 6, 0, "caches")));
    ASSERT_TRUE(fs::exists(cwd / "caches" / "rel_6.ztc"));
    setCachePath("caches/rel");
    EXPECT_EQ(readerAt(5), expectedFromCache(5));
    bool ok = false;
    EXPECT_TRUE(readerAt(6, &ok).empty());  // the working directory's empty set
    EXPECT_TRUE(ok);

    // A relative path found in neither place is named under the root.
    MString rootDir;
    ASSERT_TRUE(MGlobal::executeCommand("workspace -q -rd;", rootDir));
    MessageCapture messages;
    readerAt(7);
    EXPECT_EQ(messages.texts(MessageKind::kWarning),
              std::vector<std::string>{"No cache found for frame 7: " +
                                       std::string(rootDir.asChar()) + "caches/rel_7.ztc"});
}

TEST_F(CacheInHost, ReaderFailsWithoutAWorkspace) {
    // Only a relative path is looked up under the workspace root.
    setCachePath("no/such/cache");
    // In a child process, so that removing the command leaves this one intact.
    EXPECT_EXIT(
        {
            zt::commands::deregisterCommand("workspace");
            MessageCapture messages;
            bool hasPoints = true;
            readerAt(1, &hasPoints);
            // The host also reports the unknown command itself.
            const std::vector<std::string> errors = messages.texts(MessageKind::kError);
            const bool reported =
                !errors.empty() && errors.back() == "ztCache: cannot get workspace";
            std::exit(reported && !hasPoints ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(CacheInHost, CommandFailuresStopCachingAndKeepWrittenFiles) {
    ASSERT_TRUE(run(cacheCommand("uneq", 1, 1)));
    {
        // Channels of unequal length are refused before the frame's file is
        // created; mode 2 does not write "flags", so the same set caches.
        ASSERT_TRUE(run("setAttr source.variant 3;"));
        MessageCapture messages;
        EXPECT_FALSE(run(cacheCommand("uneq", 2, 3)));
        EXPECT_TRUE(messages.contains(MessageKind::kError,
                                      "Can not cache frame 2 of source: channel 'flags' holds 5 "
                                      "points, channel 'objectIndex' 4"));
        EXPECT_FALSE(messages.contains(MessageKind::kInfo, "ztPointsCache completed"));
        EXPECT_TRUE(zc::loadCacheFile(frameFile("uneq", 1)).ok());
        EXPECT_FALSE(fs::exists(frameFile("uneq", 2)) || fs::exists(frameFile("uneq", 3)));
        EXPECT_TRUE(run(cacheCommand("inst", 2, 2, 2)));
        EXPECT_TRUE(zc::loadCacheFile(frameFile("inst", 2)).ok());
    }
    // A channel it cannot store stops it, again before any file is written.
    ASSERT_TRUE(run("setAttr source.variant 2;"));
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(run(cacheCommand("str", 1, 2)));
    const std::string diagnostics = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(diagnostics.find("doZtPointsCacheCmd: invalid array type\n"), std::string::npos)
        << diagnostics;
    EXPECT_FALSE(fs::exists(frameFile("str", 1)) || fs::exists(frameFile("str", 2)));

    // An interrupt at frame 3 keeps the complete files of frames 1 to 3.
    ASSERT_TRUE(run("setAttr source.variant 0; setAttr source.interruptAt 3;"));
    MessageCapture messages;
    EXPECT_FALSE(run(cacheCommand("stop", 1, 6)));
    EXPECT_TRUE(messages.contains(MessageKind::kError, "Caching aborted"));
    EXPECT_FALSE(messages.contains(MessageKind::kInfo, "ztPointsCache completed"));
    for (int f = 1; f <= 6; ++f) {
        const zc::LoadResult loaded = zc::loadCacheFile(frameFile("stop", f));
        EXPECT_EQ(loaded.ok(), f <= 3) << f << ": " << loaded.detail;
        EXPECT_EQ(fs::exists(frameFile("stop", f)), f <= 3) << f;
    }
}

// Damaged files through the node itself: each evaluation either loads a
// point set or reports one error and keeps the previous one.
TEST_F(CacheInHost, DamagedFilesNeverEscapeCompute) {
    ASSERT_TRUE(run(cacheCommand("fz", 1, 1)));
    const std::string good = readBytes(dir_.file("fz_1.ztc"));
    setCachePath(dir_.file("fz"));
    const std::vector<Channel> previous = readerAt(1);

    std::mt19937 random(77);
    int loads = 0, failures = 0;
    for (int i = 0; i < 300; ++i) {
        std::string bytes = good;
        const std::size_t at = random() % bytes.size();
        if (i % 2)
            bytes.resize(at);
        else
            bytes[at] = static_cast<char>(random());
        writeBytes(dir_.file("fz_2.ztc"), bytes);
        MessageCapture messages;
        readerAt(1);
        bool ok = false;
        const std::vector<Channel> got = readerAt(2, &ok);
        ASSERT_TRUE(ok) << i;
        const std::size_t errors = messages.texts(MessageKind::kError).size();
        if (errors == 0) {
            ++loads;
        } else {
            ++failures;
            ASSERT_EQ(errors, 1u) << i;
            ASSERT_EQ(got, previous) << i;
        }
    }
    EXPECT_GT(loads, 0);
    EXPECT_GT(failures, 0);
}

}  // namespace
