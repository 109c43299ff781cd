// Selection benchmark: 10^6 points divided by three conditions
// ('position.y > 0, age < 0.5, normal.y >= h.y' with a variable h), on the
// active backend (ZT_DEVICE; the CPU backend on a machine without a GPU).
//
//   Selection/Parse              reading the conditions text alone
//   Selection/Kernels            the three comparisons over prepared columns
//                                (columns to the backend, kernel, flags back)
//   Selection/Node               the ztPointsSelection node end to end in the
//                                host: point set read, columns built, kernels,
//                                both outputs built and set
//
// items_per_second is points per second.
//
//   build/bin/selectionBench

#include <benchmark/benchmark.h>
#include <maya/MDoubleArray.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MIntArray.h>
#include <maya/MPlug.h>
#include <maya/MVectorArray.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "filters/selectionConditions.h"
#include "filters/ztPointsSelection.h"
#include "host/src/graph/registry.h"
#include "host/src/graph/scene.h"
#include "host/src/hostInit.h"
#include "host/src/mel/engine.h"
#include "kernels/selection.h"

namespace {

constexpr unsigned int kPoints = 1000000;
const char* const kConditions = "position.y > 0, age < 0.5, normal.y >= h.y";

struct Columns {
    std::vector<float> y, age, normalY;
};

const Columns& columns() {
    static const Columns c = [] {
        Columns out;
        std::mt19937 rng(5);
        std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
        for (unsigned int i = 0; i < kPoints; ++i) {
            out.y.push_back(unit(rng));
            out.age.push_back(0.5f + 0.5f * unit(rng));
            out.normalY.push_back(unit(rng));
        }
        return out;
    }();
    return c;
}

zt::selection::ChannelKind benchChannels(const std::string& name) {
    if (name == "position" || name == "normal") return zt::selection::ChannelKind::kVector;
    if (name == "age") return zt::selection::ChannelKind::kDouble;
    if (name == "pointID") return zt::selection::ChannelKind::kInt;
    return zt::selection::ChannelKind::kMissing;
}

zt::selection::Variables benchVariables() {
    zt::selection::Variables variables;
    variables.add("h", {0.0, 0.2, 0.0}, benchChannels, "sel.inPoints");
    return variables;
}

void parse(benchmark::State& state) {
    const zt::selection::Variables variables = benchVariables();
    for (auto _ : state) {
        zt::selection::ParsedConditions parsed;
        std::string message;
        const bool ok = zt::selection::parseConditions(kConditions, benchChannels, variables,
                                                       "sel.inPoints", parsed, message);
        benchmark::DoNotOptimize(ok);
    }
}
BENCHMARK(parse)->Name("Selection/Parse")->Unit(benchmark::kMicrosecond);

void kernels(benchmark::State& state) {
    const zt::selection::Variables variables = benchVariables();
    zt::selection::ParsedConditions parsed;
    std::string message;
    if (!zt::selection::parseConditions(kConditions, benchChannels, variables, "sel.inPoints",
                                        parsed, message)) {
        state.SkipWithError(message.c_str());
        return;
    }
    const Columns& c = columns();
    // Column order follows the text: position.y, age, normal.y.
    const std::vector<std::vector<float>> data = {c.y, c.age, c.normalY};
    zt::SelectionConditionStage stage;
    stage.columns = &data;
    stage.firstOperand = &parsed.firstOperand;
    stage.operation = &parsed.operation;
    stage.secondOperandType = &parsed.secondOperandType;
    stage.secondOperandInt = &parsed.secondOperandInt;
    stage.secondOperandFloat = &parsed.secondOperandFloat;
    stage.ids = &parsed.ids;
    std::vector<std::uint8_t> flags;
    std::size_t selected = 0;
    for (auto _ : state) {
        if (zt::selectPoints(kPoints, nullptr, &stage, nullptr, flags) != zt::KernelStatus::Ok) {
            state.SkipWithError("selectPoints failed");
            return;
        }
        benchmark::DoNotOptimize(flags.data());
    }
    for (std::uint8_t f : flags) selected += f;
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kPoints);
    state.counters["selected"] = static_cast<double>(selected);
}
BENCHMARK(kernels)->Name("Selection/Kernels")->Unit(benchmark::kMillisecond)->UseRealTime();

void node(benchmark::State& state) {
    zt::host::startHost();
    if (!zt::host::nodeTypeExists("ztPointsSelection")) {
        zt::host::registerBuiltinNodeType("ztPointsSelection", ztPointsSelection::id,
                                          ztPointsSelection::creator, ztPointsSelection::initialize,
                                          MPxNode::kDependNode, MFn::kInvalid);
    }
    zt::host::newScene();
    zt::mel::executeText(
        "createNode ztPointsSelection -n sel;"
        "setAttr -type \"string\" sel.variables[0].varName \"h\";"
        "setAttr sel.variables[0].varValue 0 0.2 0;"
        "setAttr -type \"string\" sel.conditions \"" +
        std::string(kConditions) + "\";");
    MFnDependencyNode fn(zt::host::findNode("sel"));

    const Columns& c = columns();
    MFnArrayAttrsData points;
    MObject data = points.create();
    MVectorArray position = points.vectorArray("position");
    MVectorArray normal = points.vectorArray("normal");
    MDoubleArray age = points.doubleArray("age");
    MIntArray ids = points.intArray("pointID");
    for (unsigned int i = 0; i < kPoints; ++i) {
        position.append(MVector(0.0, c.y[i], 0.0));
        normal.append(MVector(0.0, c.normalY[i], 0.0));
        age.append(c.age[i]);
        ids.append(static_cast<int>(i));
    }
    MPlug in = fn.findPlug("inPoints");
    MPlug out = fn.findPlug("outPoints");
    unsigned int selected = 0;
    for (auto _ : state) {
        // Setting the input again makes both outputs dirty.
        in.setValue(data);
        MObject result;
        out.getValue(result);
        selected = MFnArrayAttrsData(result).getIntData("pointID").length();
        benchmark::DoNotOptimize(selected);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kPoints);
    state.counters["selected"] = selected;
}
BENCHMARK(node)->Name("Selection/Node")->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
