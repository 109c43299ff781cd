// Re-planting on the CPU backend: 10^6 points oriented on a 200 x 200 vertex
// grid (with edge data, random R, G, B) re-planted on the same grid bent by a
// wave. Items are points: the rate is points per second, smooth normals,
// uploads and downloads included.
//
//   build/bin/plantBench --benchmark_min_time=0.5

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "kernels/rotation.h"
#include "kernels/surfacePlanting.h"

namespace {

constexpr std::size_t kPoints = 1000000;
constexpr unsigned int kSide = 200;  // 200 x 200 vertex grid, 79 202 triangles

zt::PlantInput makeInput() {
    zt::RotationInput oriented;
    oriented.pointCount = kPoints;
    oriented.meshPointCount = kSide * kSide;
    oriented.computeLocalAim = true;
    for (unsigned int y = 0; y < kSide; ++y) {
        for (unsigned int x = 0; x < kSide; ++x) {
            oriented.meshPoints.insert(oriented.meshPoints.end(), {0.1f * x, 0.0f, 0.1f * y});
        }
    }
    for (unsigned int y = 0; y + 1 < kSide; ++y) {
        for (unsigned int x = 0; x + 1 < kSide; ++x) {
            const unsigned int v = y * kSide + x;
            oriented.triangleList.insert(oriented.triangleList.end(),
                                         {v, v + kSide, v + 1, v + 1, v + kSide, v + kSide + 1});
        }
    }
    std::mt19937 random(5);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    const auto triangleCount = static_cast<unsigned int>(oriented.triangleList.size() / 3);
    std::vector<float> uvs(2 * kPoints);
    oriented.triangles.resize(kPoints);
    oriented.positions.resize(3 * kPoints);
    oriented.normals.resize(3 * kPoints);
    oriented.startRgb.resize(3 * kPoints);
    for (std::size_t i = 0; i < kPoints; ++i) {
        const unsigned int t = static_cast<unsigned int>(random() % triangleCount);
        const float u = unit(random), v = unit(random) * (1.0f - u);
        oriented.triangles[i] = t;
        uvs[2 * i] = u;
        uvs[2 * i + 1] = v;
        for (unsigned int k = 0; k < 3; ++k) {
            const float a = oriented.meshPoints[3 * oriented.triangleList[3 * t] + k];
            const float b = oriented.meshPoints[3 * oriented.triangleList[3 * t + 1] + k];
            const float c = oriented.meshPoints[3 * oriented.triangleList[3 * t + 2] + k];
            oriented.positions[3 * i + k] = a + u * (b - a) + v * (c - a);
        }
        oriented.normals[3 * i + 1] = 1.0f;
        oriented.startRgb[3 * i] = 2.0f * unit(random) - 1.0f;
        oriented.startRgb[3 * i + 1] = unit(random);
        oriented.startRgb[3 * i + 2] = unit(random);
    }
    oriented.target[0] = 10.0f;
    oriented.target[1] = 5.0f;
    oriented.target[2] = -3.0f;
    zt::RotationResult result;
    // A failure leaves the rotations empty; the benchmark reports it.
    if (zt::cpu::computeRotations(oriented, result) != zt::KernelStatus::Ok) return {};

    zt::PlantInput input;
    input.pointCount = kPoints;
    input.triangles = oriented.triangles;
    input.uvs = uvs;
    input.rgb = result.rgb;
    input.intersection = result.intersection;
    input.distanceToEdge = result.distanceToEdge;
    input.meshPoints = oriented.meshPoints;
    for (std::size_t k = 0; k < input.meshPoints.size(); k += 3) {
        input.meshPoints[k + 1] =
            0.5f * std::sin(0.3f * input.meshPoints[k]) * std::cos(0.2f * input.meshPoints[k + 2]);
    }
    input.triangleList = oriented.triangleList;
    return input;
}

void replantCpu(benchmark::State& state) {
    static const zt::PlantInput input = makeInput();
    if (input.rgb.size() != 3 * kPoints) {
        state.SkipWithError("orienting the points failed");
        return;
    }
    zt::PlantResult result;
    for (auto _ : state) {
        if (zt::cpu::computeSamplesOnMesh(input, result) != zt::KernelStatus::Ok) {
            state.SkipWithError("computeSamplesOnMesh failed");
            break;
        }
        benchmark::DoNotOptimize(result.aim.data());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kPoints));
}
BENCHMARK(replantCpu)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
