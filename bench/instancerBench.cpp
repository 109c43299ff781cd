// The instancer at scale: 10^5 points spread over a 200 x 200 square with
// per-point aim, scale and object index choosing among three meshes (a box,
// a low sphere and a card), drawn by playblast (a 640 x 480 PNG written,
// software GL) and written out by exportInstances. Times are wall-clock
// seconds per picture or file.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include <maya/MFnArrayAttrsData.h>
#include <maya/MPlug.h>

#include "host/src/graph/messages.h"
#include "host/src/graph/scene.h"
#include "host/src/hostInit.h"
#include "host/src/mel/engine.h"
#include "host/src/viewport/instancerNode.h"

namespace {

constexpr unsigned int kPoints = 100000;

std::string scratch(const std::string& name) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("zt_instbench_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    return (dir / name).string();
}

// A scene with the instancer and its three objects, the originals hidden
// in a group, and a camera that sees the whole square.
void buildScene() {
    zt::host::startHost();
    zt::host::newScene();
    zt::mel::executeText(
        "polyCube -w 0.6 -h 1.5 -d 0.6 -n box; polySphere -r 0.5 -sx 8 -sy 6 -n ball;"
        "polyPlane -w 1 -h 1 -sx 1 -sy 1 -n card;"
        "createNode transform -n originals; setAttr originals.visibility 0;"
        "instancer -object box -object ball -object card -n forest;"
        "createNode transform -n cam; createNode camera -n camShape -p cam;"
        "setAttr cam.translate 0 260 260; setAttr cam.rotateX -45;");
    for (const char* name : {"box", "ball", "card"})
        zt::host::parentNode(zt::host::findNode(name), zt::host::findNode("originals"));

    MFnArrayAttrsData fn;
    MObject data = fn.create();
    MVectorArray position = fn.vectorArray("position");
    MVectorArray scale = fn.vectorArray("scale");
    MVectorArray aim = fn.vectorArray("aimDirection");
    MVectorArray up = fn.vectorArray("aimWorldUp");
    MIntArray type = fn.intArray("rotationType");
    MIntArray index = fn.intArray("objectIndex");
    std::uint32_t state = 2024;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return static_cast<double>(state >> 8) / 16777216.0;
    };
    for (unsigned int i = 0; i < kPoints; ++i) {
        position.append(MVector(200.0 * next() - 100.0, 0.0, 200.0 * next() - 100.0));
        const double s = 0.5 + next();
        scale.append(MVector(s, s, s));
        aim.append(MVector(next() - 0.5, 1.0, next() - 0.5));
        up.append(MVector(0, 0, 1));
        type.append(1);
        index.append(static_cast<int>(i % 3));
    }
    MPlug(zt::host::findNode("forest"), zt::host::InstancerNode::inputPoints).setValue(data);
}

void BM_PlayblastInstances(benchmark::State& state) {
    buildScene();
    const std::string file = scratch("forest.png");
    zt::host::MessageCapture quiet;
    for (auto _ : state) {
        if (!zt::mel::executeText("playblast -camera cam -widthHeight 640 480 -percent 100 "
                                  "-completeFilename \"" +
                                  file + "\";"))
            state.SkipWithError("playblast failed");
    }
    state.counters["instances"] = kPoints;
    std::filesystem::remove_all(std::filesystem::path(file).parent_path());
}
BENCHMARK(BM_PlayblastInstances)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(3);

void BM_ExportInstances(benchmark::State& state) {
    buildScene();
    const std::string file = scratch("forest.ply");
    zt::host::MessageCapture quiet;
    for (auto _ : state) {
        if (!zt::mel::executeText("exportInstances forest \"" + file + "\";"))
            state.SkipWithError("export failed");
    }
    state.counters["instances"] = kPoints;
    std::filesystem::remove_all(std::filesystem::path(file).parent_path());
}
BENCHMARK(BM_ExportInstances)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
