// The per-point attribute kernels on the CPU backend at 10^6 points, with
// the options that cost most switched on: scale with a colour array, three
// painted layers and the random term; object id with a weighted list, three
// painted layers and a colour array. Items are points.
//
//   build/bin/attributesBench --benchmark_min_time=0.5

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "kernels/pointId.h"
#include "kernels/pointScale.h"

namespace {

constexpr std::size_t kPoints = 1000000;

// A 200 x 200 vertex grid (79 202 triangles) with three painted layers and
// points spread over its triangles at random.
struct PaintedGrid {
    static constexpr unsigned int kSide = 200;
    std::vector<unsigned int> triangles;
    std::vector<float> colors;
    std::vector<unsigned int> pointTriangles;
    std::vector<float> uvs;
    std::vector<float> inColor;

    PaintedGrid() {
        for (unsigned int y = 0; y + 1 < kSide; ++y) {
            for (unsigned int x = 0; x + 1 < kSide; ++x) {
                const unsigned int v = y * kSide + x;
                triangles.insert(triangles.end(),
                                 {v, v + 1, v + kSide, v + 1, v + kSide + 1, v + kSide});
            }
        }
        std::mt19937 random(5);
        std::uniform_real_distribution<float> unit(0.0f, 1.0f);
        colors.resize(4u * kSide * kSide * 3);
        for (float& c : colors) c = unit(random);
        const auto triangleCount = static_cast<unsigned int>(triangles.size() / 3);
        pointTriangles.resize(kPoints);
        uvs.resize(2 * kPoints);
        inColor.resize(3 * kPoints);
        for (std::size_t i = 0; i < kPoints; ++i) {
            pointTriangles[i] = static_cast<unsigned int>(random() % triangleCount);
            const float u = unit(random), v = unit(random) * (1.0f - u);
            uvs[2 * i] = u;
            uvs[2 * i + 1] = v;
        }
        for (float& c : inColor) c = unit(random);
    }

    zt::PaintedLayers layers() const {
        zt::PaintedLayers l;
        l.count = 3;
        l.vertexCount = kSide * kSide;
        l.colors = colors.data();
        l.triangles = triangles.data();
        l.triangleCount = triangles.size() / 3;
        l.pointTriangles = pointTriangles.data();
        l.pointUvs = uvs.data();
        return l;
    }
};

const PaintedGrid& grid() {
    static const PaintedGrid instance;
    return instance;
}

void computeScaleCpu(benchmark::State& state) {
    const PaintedGrid& g = grid();
    const std::vector<short> types{0, 1, 0};
    const std::vector<float> factors{1, 2, 1}, weights{1, 0.5f, 0.75f};
    zt::ScaleSettings settings;
    settings.uniform = false;
    settings.randomX = settings.randomY = settings.randomZ = 0.3f;
    settings.inColor = g.inColor.data();
    settings.inColorFactor = 0.5f;
    settings.layers = g.layers();
    settings.layerTypes = types.data();
    settings.layerFactors = factors.data();
    settings.layerWeights = weights.data();
    std::vector<float> scales;
    for (auto _ : state) {
        if (zt::cpu::computeScales(settings, kPoints, scales) != zt::KernelStatus::Ok) {
            state.SkipWithError("computeScales failed");
            break;
        }
        benchmark::DoNotOptimize(scales.data());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kPoints));
}
BENCHMARK(computeScaleCpu)->Unit(benchmark::kMillisecond)->UseRealTime();

void computePointIdCpu(benchmark::State& state) {
    const PaintedGrid& g = grid();
    const std::vector<unsigned int> listIds{0, 1, 2, 3, 4, 5, 6, 7};
    const std::vector<float> listWeights{1, 2, 3, 4, 4, 3, 2, 1};
    const std::vector<unsigned int> layerIds{10, 11, 12, 13, 14, 15, 16, 17, 18};
    zt::PointIdSettings settings;
    settings.listIds = listIds.data();
    settings.listWeights = listWeights.data();
    settings.listCount = static_cast<unsigned int>(listIds.size());
    settings.layers = g.layers();
    settings.layerIds = layerIds.data();
    settings.inColor = g.inColor.data();
    settings.idRed = 20;
    settings.idGreen = 21;
    settings.idBlue = 22;
    std::vector<unsigned int> ids;
    for (auto _ : state) {
        if (zt::cpu::computePointIds(settings, kPoints, ids) != zt::KernelStatus::Ok) {
            state.SkipWithError("computePointIds failed");
            break;
        }
        benchmark::DoNotOptimize(ids.data());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kPoints));
}
BENCHMARK(computePointIdCpu)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
