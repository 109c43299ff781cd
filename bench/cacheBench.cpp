// Point cache throughput: one frame of a million points with the channels an
// instancer setup caches (position, scale, aimDirection, objectIndex),
// written and read through the cache file layer, and through the command and
// the reader node inside the host. Bytes per second are the file's size over
// the wall-clock time taken.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <boost/archive/binary_iarchive.hpp>
#include <boost/serialization/map.hpp>
#include <boost/serialization/string.hpp>
#include <boost/serialization/vector.hpp>

#include <maya/MGlobal.h>
#include <maya/MPlug.h>
#include <maya/MSelectionList.h>

#include "cache/cacheFile.h"
#include "cache/doZtPointsCacheCmd.h"
#include "cache/ztPointsCache.h"
#include "host/src/commands/commandRegistry.h"
#include "host/src/graph/messages.h"
#include "host/src/graph/registry.h"
#include "host/src/hostInit.h"

namespace {

constexpr std::size_t kPoints = 1000000;

struct SourceChannels {
    std::vector<double> position, scale, aimDirection;
    std::vector<int> objectIndex;
};

const SourceChannels& source() {
    static const SourceChannels channels = [] {
        SourceChannels c;
        c.position.resize(3 * kPoints);
        c.scale.resize(3 * kPoints);
        c.aimDirection.resize(3 * kPoints);
        c.objectIndex.resize(kPoints);
        std::uint32_t state = 12345;
        auto next = [&state] {
            state = state * 1664525u + 1013904223u;
            return static_cast<double>(state >> 8) / 16777216.0;
        };
        for (std::size_t i = 0; i < 3 * kPoints; ++i) {
            c.position[i] = 100.0 * next() - 50.0;
            c.scale[i] = 0.5 + next();
            c.aimDirection[i] = 2.0 * next() - 1.0;
        }
        for (std::size_t i = 0; i < kPoints; ++i) c.objectIndex[i] = static_cast<int>(i % 7);
        return c;
    }();
    return channels;
}

zt::cache::CacheFrame buildFrame() {
    const SourceChannels& c = source();
    zt::cache::CacheFrame frame;
    zt::cache::addVectorChannel(frame, "position", c.position.data(), kPoints);
    zt::cache::addVectorChannel(frame, "scale", c.scale.data(), kPoints);
    zt::cache::addVectorChannel(frame, "aimDirection", c.aimDirection.data(), kPoints);
    zt::cache::addIntChannel(frame, "objectIndex", c.objectIndex.data(), kPoints);
    return frame;
}

// A cache path (directory and name, no frame) in the temporary folder.
std::string scratchPath(const char* tag) {
    return (std::filesystem::temp_directory_path() /
            ("ztCacheBench_" + std::string(tag) + std::to_string(::getpid())))
        .string();
}

std::string scratchFile(const char* tag) {
    return zt::cache::cacheFileName(scratchPath(tag), 1);
}

void setFileRate(benchmark::State& state, const std::string& fileName) {
    const auto bytes = static_cast<std::int64_t>(std::filesystem::file_size(fileName));
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["fileMB"] = static_cast<double>(bytes) / 1e6;
}

// Narrowing the point set's doubles into the three maps.
void BM_FillFrame(benchmark::State& state) {
    source();
    for (auto _ : state) {
        zt::cache::CacheFrame frame = buildFrame();
        benchmark::DoNotOptimize(frame.vectors.size());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kPoints));
}
BENCHMARK(BM_FillFrame)->Unit(benchmark::kMillisecond);

void BM_WriteFrame(benchmark::State& state) {
    const zt::cache::CacheFrame frame = buildFrame();
    const std::string fileName = scratchFile("write");
    for (auto _ : state) {
        if (!zt::cache::writeCacheFile(fileName, frame)) {
            state.SkipWithError("cannot write the cache file");
            break;
        }
    }
    setFileRate(state, fileName);
    std::filesystem::remove(fileName);
}
BENCHMARK(BM_WriteFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReadFrame(benchmark::State& state) {
    const std::string fileName = scratchFile("read");
    zt::cache::writeCacheFile(fileName, buildFrame());
    for (auto _ : state) {
        zt::cache::LoadResult loaded = zt::cache::loadCacheFile(fileName);
        if (!loaded.ok()) {
            state.SkipWithError("cannot read the cache file");
            break;
        }
        benchmark::DoNotOptimize(loaded.frame.vectors.size());
    }
    setFileRate(state, fileName);
    std::filesystem::remove(fileName);
}
BENCHMARK(BM_ReadFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

// The library's own binary_iarchive on the same file, without the size
// checks of the reader: what those checks cost.
void BM_ReadFramePlainArchive(benchmark::State& state) {
    const std::string fileName = scratchFile("plain");
    zt::cache::writeCacheFile(fileName, buildFrame());
    for (auto _ : state) {
        std::ifstream in(fileName, std::ios::in);
        boost::archive::binary_iarchive archive(in, 0);
        zt::cache::CacheFrame frame;
        archive >> frame.ints >> frame.doubles >> frame.vectors;
        benchmark::DoNotOptimize(frame.vectors.size());
    }
    setFileRate(state, fileName);
    std::filesystem::remove(fileName);
}
BENCHMARK(BM_ReadFramePlainArchive)->Unit(benchmark::kMillisecond)->UseRealTime();

// The host with the cache node and command, and a reader node over two
// frames of the benchmark's point set (frames 1 and 2 of `cachePath`).
void startHostWithCache(const std::string& cachePath) {
    zt::host::startHost();
    if (!zt::host::nodeTypeExists("ztPointsCache")) {
        zt::host::registerBuiltinNodeType("ztPointsCache", ztPointsCache::id,
                                          ztPointsCache::creator, ztPointsCache::initialize,
                                          MPxNode::kDependNode, MFn::kPluginDependNode);
        zt::commands::registerPluginCommand("doZtPointsCache", doZtPointsCacheCmd::creator);
    }
    zt::host::newScene();
    const zt::cache::CacheFrame frame = buildFrame();
    for (int f : {1, 2}) zt::cache::writeCacheFile(zt::cache::cacheFileName(cachePath, f), frame);
    MGlobal::executeCommand(("createNode ztPointsCache -n reader;"
                             "connectAttr time1.outTime reader.time;"
                             "setAttr -type \"string\" reader.cachePath \"" +
                             cachePath + "\";")
                                .c_str());
}

MPlug readerOutput() {
    MSelectionList list;
    MPlug plug;
    list.add("reader.outPoints");
    list.getPlug(0, plug);
    return plug;
}

// ztPointsCache: load a frame's file and build its point set.
void BM_NodeReadFrame(benchmark::State& state) {
    const std::string path = scratchPath("node");
    startHostWithCache(path);
    const MPlug output = readerOutput();
    int frame = 1;
    for (auto _ : state) {
        frame = 3 - frame;  // alternate, so every pull recomputes
        MGlobal::viewFrame(static_cast<double>(frame));
        MObject data;
        if (!output.getValue(data)) {
            state.SkipWithError("the reader produced no point set");
            break;
        }
        benchmark::DoNotOptimize(data);
    }
    setFileRate(state, zt::cache::cacheFileName(path, 1));
    for (int f : {1, 2}) std::filesystem::remove(zt::cache::cacheFileName(path, f));
}
BENCHMARK(BM_NodeReadFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

// doZtPointsCache over one frame of the reader's (already computed) output:
// fetch, convert, serialize and write.
void BM_CommandWriteFrame(benchmark::State& state) {
    const std::string path = scratchPath("source");
    startHostWithCache(path);
    MGlobal::viewFrame(1.0);
    MObject warm;
    readerOutput().getValue(warm);
    const std::string directory = std::filesystem::temp_directory_path().string();
    const std::string name = "ztCacheBenchCmd" + std::to_string(::getpid());
    const std::string command =
        "doZtPointsCache reader \"" + directory + "\" \"" + name + "\" 1 1 0;";
    zt::host::MessageCapture quiet;  // no "completed" line per iteration
    for (auto _ : state) {
        if (!MGlobal::executeCommand(command.c_str())) {
            state.SkipWithError("the cache command failed");
            break;
        }
    }
    const std::string written =
        zt::cache::cacheFileName(zt::cache::joinCachePath(directory, name), 1);
    setFileRate(state, written);
    std::filesystem::remove(written);
    for (int f : {1, 2}) std::filesystem::remove(zt::cache::cacheFileName(path, f));
}
BENCHMARK(BM_CommandWriteFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
