// Noise deformer throughput on the CPU, in vertices per second: the three
// fractal fields alone over a million points (serial, 4 octaves each), and
// ztNoise end to end in the host on a 1001 x 1001-vertex plane (the deformer
// reading the mesh, displacing every vertex and the shape reading the
// result), each iteration after a seed change so the whole mesh is
// recomputed.

#include <benchmark/benchmark.h>

#include <maya/MFnMesh.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>

#include <memory>
#include <string>

#include "host/src/graph/registry.h"
#include "host/src/graph/scene.h"
#include "host/src/hostInit.h"
#include "host/src/mel/engine.h"
#include "noise/noiseGenerator.h"
#include "noise/ztNoise.h"
#include "noise/ztNoiseLocator.h"

namespace {

using zt::noise::fractalNoise;
using zt::noise::NoiseGenerator;

constexpr int kSide = 1000;  // subdivisions: (kSide + 1)^2 vertices

void BM_NoiseFields(benchmark::State& state) {
    const int side = kSide + 1;
    auto fields = std::make_unique<NoiseGenerator[]>(3);
    for (int axis = 0; axis < 3; ++axis) {
        zt::noise::setNoiseParameters(fields[axis], 4, 0.7f, 0.5f, axis);
        zt::noise::prepareNoise(fields[axis]);
    }
    for (auto _ : state) {
        float sum = 0.0f;
        for (int row = 0; row < side; ++row) {
            for (int col = 0; col < side; ++col) {
                float x = 0.01f * float(col) - 5.0f, y = 0.0f, z = 0.01f * float(row) - 5.0f;
                y += fractalNoise(fields[1], x, z);
                x += fractalNoise(fields[0], y, z);
                z += fractalNoise(fields[2], x, y);
                sum += x + y + z;
            }
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * int64_t(side) * side);
}
BENCHMARK(BM_NoiseFields)->Unit(benchmark::kMillisecond);

bool setUpScene() {
    zt::host::startHost();
    if (!zt::host::nodeTypeExists("ztNoise")) {
        zt::host::registerBuiltinNodeType("ztNoiseLocator", ztNoiseLocator::id,
                                          ztNoiseLocator::creator, ztNoiseLocator::initialize,
                                          MPxNode::kLocatorNode, MFn::kInvalid);
        zt::host::registerBuiltinNodeType("ztNoise", ztNoise::id, ztNoise::creator,
                                          ztNoise::initialize, MPxNode::kDeformerNode,
                                          MFn::kInvalid);
    }
    zt::host::newScene();
    const std::string side = std::to_string(kSide);
    return zt::mel::executeText("polyPlane -n ground -w 10 -h 10 -sx " + side + " -sy " + side +
                                "; deformer -type ztNoise groundShape;"
                                "setAttr ztNoise1.oxNoiseAmp 0.2; setAttr ztNoise1.oyNoiseAmp 0.5;"
                                "setAttr ztNoise1.ozNoiseAmp 0.2;");
}

void BM_NoiseDeformer(benchmark::State& state) {
    if (!setUpScene()) {
        state.SkipWithError("scene set-up failed");
        return;
    }
    MPlug seed, outMesh;
    zt::host::plugFromString("ztNoise1.oyNoiseSeed", seed);
    zt::host::plugFromString("groundShape.outMesh", outMesh);
    int vertices = 0;
    int nextSeed = 1;
    for (auto _ : state) {
        seed.setValue(++nextSeed);
        MObject mesh = outMesh.asMObject();
        vertices = MFnMesh(mesh).numVertices();
        benchmark::DoNotOptimize(vertices);
    }
    state.counters["vertices"] = vertices;
    state.SetItemsProcessed(state.iterations() * int64_t(vertices));
}
BENCHMARK(BM_NoiseDeformer)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
