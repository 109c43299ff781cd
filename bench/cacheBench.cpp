// Point cache throughput: one frame of a million points with the channels an
// instancer setup caches (position, scale, aimDirection, objectIndex),
// written and read through the cache file layer. Bytes per second are the
// file's size over the time taken.

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

#include "cache/cacheFile.h"

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

std::string scratchFile(const char* tag) {
    return (std::filesystem::temp_directory_path() /
            ("ztCacheBench_" + std::string(tag) + "_" + std::to_string(::getpid()) + "_1.ztc"))
        .string();
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

}  // namespace

BENCHMARK_MAIN();
