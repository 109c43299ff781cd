// Point-set filters at a million points: the merge blend (id table sort and
// pairing) of two sets, container weights, and the matrix transform, each as
// the kernel entry alone and as the node inside the host (channels read from
// the input point set to the output point set built). Points per second
// count the points of the input (for the merge, of the second set).

#include <benchmark/benchmark.h>

#include <maya/MDoubleArray.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MFnMatrixData.h>
#include <maya/MIntArray.h>
#include <maya/MMatrix.h>
#include <maya/MPlug.h>
#include <maya/MVectorArray.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <numeric>
#include <random>
#include <vector>

#include "filters/ztPointsContainer.h"
#include "filters/ztPointsMerge.h"
#include "host/src/graph/registry.h"
#include "host/src/graph/scene.h"
#include "host/src/hostInit.h"
#include "kernels/pointFilters.h"

namespace {

constexpr std::size_t kPoints = 1000000;

struct Sets {
    std::vector<float> positions1, positions2, fallof;
    std::vector<unsigned int> ids1, ids2;
};

// Two sets with the same ids in different random orders; positions in a
// cube of side 20 around the origin.
const Sets& sets() {
    static const Sets s = [] {
        Sets out;
        std::mt19937 random(7);
        std::uniform_real_distribution<float> coordinate(-10.0f, 10.0f);
        std::uniform_real_distribution<float> weight(0.0f, 1.0f);
        out.ids1.resize(kPoints);
        std::iota(out.ids1.begin(), out.ids1.end(), 0u);
        out.ids2 = out.ids1;
        std::shuffle(out.ids1.begin(), out.ids1.end(), random);
        std::shuffle(out.ids2.begin(), out.ids2.end(), random);
        out.positions1.resize(3 * kPoints);
        out.positions2.resize(3 * kPoints);
        out.fallof.resize(kPoints);
        for (float& v : out.positions1) v = coordinate(random);
        for (float& v : out.positions2) v = coordinate(random);
        for (float& v : out.fallof) v = weight(random);
        return out;
    }();
    return s;
}

void setItems(benchmark::State& state, std::size_t points) {
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * points));
    state.counters["points/s"] = benchmark::Counter(
        static_cast<double>(state.iterations() * points), benchmark::Counter::kIsRate);
}

void BM_MergeKernel(benchmark::State& state) {
    const Sets& s = sets();
    for (auto _ : state) {
        std::vector<zt::BlendChannel> channels(1);
        channels[0].type = zt::BlendChannelType::kVector;
        channels[0].first = s.positions1;
        channels[0].second = s.positions2;
        zt::BlendInput input{s.ids1.data(), kPoints, s.ids2.data(), kPoints, 0.5f, s.fallof.data()};
        zt::BlendIdCheck check;
        if (zt::blendPointChannels(input, channels, check) != zt::KernelStatus::Ok ||
            check.repeatedInFirst || check.repeatedInSecond) {
            state.SkipWithError("blend failed");
            return;
        }
        benchmark::DoNotOptimize(channels[0].first.data());
    }
    setItems(state, kPoints);
}

std::array<float, 16> scaledSphere() {
    std::array<float, 16> m{};
    m[0] = m[5] = m[10] = 1.0f / 8.0f;  // inverse of a scale by 8
    m[15] = 1.0f;
    return m;
}

void BM_ContainerKernel(benchmark::State& state) {
    const Sets& s = sets();
    const std::array<float, 16> inverse = scaledSphere();
    const auto shape = static_cast<zt::ContainerShape>(state.range(0));
    for (auto _ : state) {
        std::vector<float> weights;
        if (zt::containerWeights(s.positions1, inverse.data(), shape, 0.25f, weights) !=
            zt::KernelStatus::Ok) {
            state.SkipWithError("container failed");
            return;
        }
        benchmark::DoNotOptimize(weights.data());
    }
    setItems(state, kPoints);
}

void BM_TransformKernel(benchmark::State& state) {
    const Sets& s = sets();
    const std::array<float, 16> m = scaledSphere();
    for (auto _ : state) {
        std::vector<float> xyz = s.positions1;
        if (zt::transformPointArray(xyz, m.data(), true) != zt::KernelStatus::Ok) {
            state.SkipWithError("transform failed");
            return;
        }
        benchmark::DoNotOptimize(xyz.data());
    }
    setItems(state, kPoints);
}

// --- The nodes inside the host ------------------------------------------------

template <class Node>
void registerNode(const char* name) {
    if (!zt::host::nodeTypeExists(name)) {
        zt::host::registerBuiltinNodeType(name, Node::id, Node::creator, Node::initialize,
                                          MPxNode::kDependNode, MFn::kInvalid);
    }
}

void startScene() {
    zt::host::startHost();
    registerNode<ztPointsMerge>("ztPointsMerge");
    registerNode<ztPointsContainer>("ztPointsContainer");
    zt::host::newScene();
}

// A point set with position, pointID and (optionally) fallof channels.
MObject pointSet(const std::vector<float>& xyz, const std::vector<unsigned int>& ids,
                 const std::vector<float>* fallof) {
    MFnArrayAttrsData fn;
    MObject data = fn.create();
    MVectorArray position = fn.vectorArray("position");
    MIntArray pointId = fn.intArray("pointID");
    for (std::size_t i = 0; i < ids.size(); ++i) {
        position.append(MVector(xyz[3 * i], xyz[3 * i + 1], xyz[3 * i + 2]));
        pointId.append(static_cast<int>(ids[i]));
    }
    if (fallof != nullptr) {
        MDoubleArray weights = fn.doubleArray("fallof");
        for (const float w : *fallof) weights.append(w);
    }
    return data;
}

// Each iteration dirties the node (a new factor or fall-off value) and pulls
// its output.
void pull(benchmark::State& state, const MObject& node, const char* setting) {
    MFnDependencyNode fn(node);
    MPlug out = fn.findPlug("outPoints");
    MPlug knob = fn.findPlug(setting);
    float value = 0.5f;
    for (auto _ : state) {
        value = value == 0.5f ? 0.25f : 0.5f;
        knob.setValue(value);
        MObject result = out.asMObject();
        benchmark::DoNotOptimize(result);
    }
    setItems(state, kPoints);
}

void BM_MergeNode(benchmark::State& state) {
    startScene();
    const Sets& s = sets();
    MObject node = zt::host::createNode("ztPointsMerge", "merge");
    MFnDependencyNode fn(node);
    fn.findPlug("inPoints1").setValue(pointSet(s.positions1, s.ids1, nullptr));
    fn.findPlug("inPoints2").setValue(pointSet(s.positions2, s.ids2, &s.fallof));
    fn.findPlug("attributes").elementByLogicalIndex(0).setValue(MString("position"));
    pull(state, node, "factor");
}

void BM_ContainerNode(benchmark::State& state) {
    startScene();
    const Sets& s = sets();
    MObject node = zt::host::createNode("ztPointsContainer", "inside");
    MFnDependencyNode fn(node);
    fn.findPlug("inPoints").setValue(pointSet(s.positions1, s.ids1, nullptr));
    MMatrix scale;
    scale(0, 0) = scale(1, 1) = scale(2, 2) = 8.0;
    MFnMatrixData matrix;
    fn.findPlug("inWorldMatrix").setValue(matrix.create(scale));
    fn.findPlug("type").setValue(static_cast<int>(state.range(0)));
    pull(state, node, "fallof");
}

}  // namespace

BENCHMARK(BM_MergeKernel)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ContainerKernel)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TransformKernel)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MergeNode)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ContainerNode)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
