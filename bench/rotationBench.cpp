// The orientation kernel on the CPU backend at 10^6 points, with three
// painted layers, a colour array and every random term on (static and
// oscillating, on R, G and B); once more with the edge intersections. Items
// are points: the rate is points per second, uploads and downloads included.
//
//   build/bin/rotationBench --benchmark_min_time=0.5

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "kernels/rotation.h"

namespace {

constexpr std::size_t kPoints = 1000000;
constexpr unsigned int kSide = 200;  // 200 x 200 vertex grid, 79 202 triangles

// Points spread at random over the triangles of a gently tilted grid, with
// unit normals leaning a little each way, three layers painted at random.
zt::RotationInput makeInput() {
    zt::RotationInput input;
    input.pointCount = kPoints;
    input.meshPointCount = kSide * kSide;
    for (unsigned int y = 0; y < kSide; ++y) {
        for (unsigned int x = 0; x < kSide; ++x) {
            input.meshPoints.insert(input.meshPoints.end(),
                                    {0.1f * x, 0.02f * static_cast<float>(x + y), 0.1f * y});
        }
    }
    for (unsigned int y = 0; y + 1 < kSide; ++y) {
        for (unsigned int x = 0; x + 1 < kSide; ++x) {
            const unsigned int v = y * kSide + x;
            input.triangleList.insert(input.triangleList.end(),
                                      {v, v + 1, v + kSide, v + 1, v + kSide + 1, v + kSide});
        }
    }
    std::mt19937 random(11);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    const auto triangleCount = static_cast<unsigned int>(input.triangleList.size() / 3);
    input.triangles.resize(kPoints);
    input.uvs.resize(2 * kPoints);
    input.positions.resize(3 * kPoints);
    input.normals.resize(3 * kPoints);
    input.inColor.resize(3 * kPoints);
    for (std::size_t i = 0; i < kPoints; ++i) {
        const unsigned int t = static_cast<unsigned int>(random() % triangleCount);
        const float u = unit(random), v = unit(random) * (1.0f - u);
        input.triangles[i] = t;
        input.uvs[2 * i] = u;
        input.uvs[2 * i + 1] = v;
        for (unsigned int k = 0; k < 3; ++k) {
            const float a = input.meshPoints[3 * input.triangleList[3 * t] + k];
            const float b = input.meshPoints[3 * input.triangleList[3 * t + 1] + k];
            const float c = input.meshPoints[3 * input.triangleList[3 * t + 2] + k];
            input.positions[3 * i + k] = a + u * (b - a) + v * (c - a);
        }
        const float nx = 0.2f * (unit(random) - 0.5f), nz = 0.2f * (unit(random) - 0.5f);
        const float length = std::sqrt(nx * nx + 1.0f + nz * nz);
        input.normals[3 * i] = nx / length;
        input.normals[3 * i + 1] = 1.0f / length;
        input.normals[3 * i + 2] = nz / length;
    }
    for (float& c : input.inColor) c = unit(random);
    input.target[0] = 10.0f;
    input.target[1] = 5.0f;
    input.target[2] = -3.0f;

    input.layerCount = 3;
    input.layerColors.resize(4u * input.meshPointCount * 3);
    for (float& c : input.layerColors) c = unit(random);
    input.layerWeights = {1.0f, 0.5f, 0.75f};
    input.layerTypes = {0, 1, 0};
    input.inColorFactor = 0.5f;
    input.offsetR = 0.2f;
    input.offsetG = 0.1f;

    input.random = true;
    input.seed = 3;
    const float data[zt::kRandomDataSize] = {0.2f, 0.1f, 0.3f,  1.0f, 1.0f, 1.0f, 3.0f, 2.0f,
                                             4.0f, 0.5f, 0.25f, 2.0f, 0.1f, 0.2f, 0.3f};
    for (unsigned int k = 0; k < zt::kRandomDataSize; ++k) input.randomData[k] = data[k];
    return input;
}

const zt::RotationInput& baseInput() {
    static const zt::RotationInput input = makeInput();
    return input;
}

void run(benchmark::State& state, const zt::RotationInput& input) {
    zt::RotationResult result;
    for (auto _ : state) {
        if (zt::cpu::computeRotations(input, result) != zt::KernelStatus::Ok) {
            state.SkipWithError("computeRotations failed");
            break;
        }
        benchmark::DoNotOptimize(result.aim.data());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kPoints));
}

void computeRotationsLayersRandomCpu(benchmark::State& state) {
    run(state, baseInput());
}
BENCHMARK(computeRotationsLayersRandomCpu)->Unit(benchmark::kMillisecond)->UseRealTime();

void computeRotationsWithEdgesCpu(benchmark::State& state) {
    static const zt::RotationInput input = [] {
        zt::RotationInput withEdges = baseInput();
        withEdges.computeLocalAim = true;
        return withEdges;
    }();
    run(state, input);
}
BENCHMARK(computeRotationsWithEdgesCpu)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
