// Scatter benchmark: Poisson-disc points over the meshes of
// examples/meshes/generated (scripts/make-bench-meshes, scripts/fetch-bunny)
// at radii that give about 10^4, 10^5 and 10^6 points, on every backend that
// is built and has a device.
//
// Two measurements per case:
//   Scatter/<mesh>/<target>/<backend>   the compute alone, with the time of
//       each stage (mesh preparation, generation, sort, table, phases,
//       gather, normals) and candidates and points per second;
//   Node/<mesh>/<target>                the ztScatterPoints node end to end in
//       the host (mesh read from the graph to the output point set built),
//       on the active backend (ZT_DEVICE).
// The bunny cases also run at the radius the issue of record asks about (a
// quarter percent of the bounding-box diagonal) and at the radius where the
// surface pass reaches the candidate cap.
//
//   scripts/bench-scatter            builds, makes the meshes, runs, prints the table

#include <benchmark/benchmark.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MPlug.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "bench/benchMeshes.h"
#include "host/src/graph/plugins.h"
#include "host/src/graph/scene.h"
#include "host/src/hostInit.h"
#include "host/src/mel/engine.h"
#include "host/src/mesh/meshReaders.h"
#include "kernels/scatter.h"

namespace {

using zt::bench::BenchMesh;

zt::ScatterSettings settingsFor(const BenchMesh& mesh, float radius) {
    zt::ScatterSettings s;
    s.radius = radius;
    s.bboxMinX = mesh.lo[0];
    s.bboxMinY = mesh.lo[1];
    s.bboxMinZ = mesh.lo[2];
    s.bboxMaxX = mesh.hi[0];
    s.bboxMaxZ = mesh.hi[2];
    return s;
}

float radiusForPoints(const BenchMesh& mesh, double points) {
    return zt::bench::radiusForPoints(mesh.area, points);
}

using Entry = decltype(zt::cpu::scatterPoints)*;

// FNV-1a over the bits of every output channel.
std::uint32_t resultDigest(const zt::ScatterResult& result) {
    std::uint32_t h = 2166136261u;
    auto add = [&h](const auto& values) {
        for (const auto& value : values) {
            std::uint32_t bits;
            static_assert(sizeof(value) == sizeof(bits), "32-bit channels");
            std::memcpy(&bits, &value, sizeof(bits));
            h = (h ^ bits) * 16777619u;
        }
    };
    add(result.positions);
    add(result.uvs);
    add(result.triangleIds);
    add(result.normals);
    return h;
}

void runCompute(benchmark::State& state, const BenchMesh* mesh, float radius, Entry entry) {
    const zt::ScatterMesh view{mesh->points.data(), mesh->points.size() / 3, mesh->triangles.data(),
                               mesh->triangles.size() / 3};
    const zt::ScatterSettings settings = settingsFor(*mesh, radius);
    zt::ScatterTimings sum, timings;
    std::size_t points = 0;
    bool capped = false;
    zt::ScatterResult result;  // every run gives the same; the last is kept
    for (auto _ : state) {
        if (entry(view, settings, result, zt::CpuSelection::kStreaming, &timings) !=
            zt::KernelStatus::Ok) {
            state.SkipWithError("scatter failed");
            return;
        }
        points = result.triangleIds.size();
        capped = result.reachedCandidateCap;
        sum.meshPreparation += timings.meshPreparation;
        sum.generation += timings.generation;
        sum.sort += timings.sort;
        sum.table += timings.table;
        sum.phases += timings.phases;
        sum.gather += timings.gather;
        sum.normals += timings.normals;
        sum.total += timings.total;
        sum.candidates = timings.candidates;
    }
    const double n = static_cast<double>(state.iterations());
    const double ms = 1000.0 / n;
    state.counters["radius"] = radius;
    state.counters["points"] = static_cast<double>(points);
    state.counters["candidates"] = static_cast<double>(sum.candidates);
    state.counters["capped"] = capped ? 1 : 0;
    // Equal digests tell two builds gave the same points bit for bit (read
    // it whole from --benchmark_format=json).
    // Computed once, outside the timed runs.
    state.counters["digest"] = static_cast<double>(resultDigest(result));
    state.counters["prep_ms"] = sum.meshPreparation * ms;
    state.counters["gen_ms"] = sum.generation * ms;
    state.counters["sort_ms"] = sum.sort * ms;
    state.counters["table_ms"] = sum.table * ms;
    state.counters["phases_ms"] = sum.phases * ms;
    state.counters["gather_ms"] = sum.gather * ms;
    state.counters["normals_ms"] = sum.normals * ms;
    state.counters["cand/s"] = static_cast<double>(sum.candidates) / (sum.total / n);
    state.counters["points/s"] = static_cast<double>(points) / (sum.total / n);
}

// The node in a scene: the mesh imported into a mesh node, the scatter reading
// its outMesh and boundingBox, the output pulled through a plug.
void runNode(benchmark::State& state, const BenchMesh* mesh, float radius) {
    zt::host::newScene();
    if (!zt::mel::executeText("file -import \"" + mesh->path + "\";")) {
        state.SkipWithError("cannot import the mesh");
        return;
    }
    const std::vector<MObject> shapes = zt::host::listNodes("mesh");
    if (shapes.empty()) {
        state.SkipWithError("no mesh node");
        return;
    }
    const std::string shape = MFnDependencyNode(shapes.front()).name().asChar();
    char radiusText[64];
    std::snprintf(radiusText, sizeof(radiusText), "%.9g", radius);
    if (!zt::mel::executeText("createNode ztScatterPoints -n benchScatter;"
                              "connectAttr " +
                              shape +
                              ".outMesh benchScatter.inMesh;"
                              "connectAttr " +
                              shape +
                              ".boundingBox benchScatter.boundingBox;"
                              "setAttr benchScatter.radius " +
                              radiusText + ";")) {
        state.SkipWithError("cannot build the scene");
        return;
    }
    MPlug out;
    zt::host::plugFromString("benchScatter.outPoints", out);
    MPlug dirty;
    zt::host::plugFromString("benchScatter.mode", dirty);
    unsigned int points = 0;
    short mode = 0;
    for (auto _ : state) {
        dirty.setValue(static_cast<short>(mode ^= 1));  // read by the node, no effect on points
        MObject data;
        out.getValue(data);
        points = MFnArrayAttrsData(data).getIntData("pointID").length();
    }
    state.counters["radius"] = radius;
    state.counters["points"] = points;
}

}  // namespace

int main(int argc, char** argv) {
    zt::host::startHost();
    if (!zt::host::loadPlugin(ZT_PLUGIN_FILE)) {
        std::fprintf(stderr, "cannot load %s\n", ZT_PLUGIN_FILE);
        return 1;
    }
    static std::vector<BenchMesh> meshes = zt::bench::loadGeneratedMeshes();
    meshes.shrink_to_fit();

    struct Backend {
        const char* name;
        Entry entry;
    };
    std::vector<Backend> backends = {{"cpu", &zt::cpu::scatterPoints}};
#if ZT_HAVE_CUDA
    if (zt::activeBackend() == zt::Backend::Cuda)
        backends.push_back({"cuda", &zt::cuda::scatterPoints});
#endif

    for (const BenchMesh& mesh : meshes) {
        std::vector<std::pair<std::string, float>> radii;
        for (const double target : {1e4, 1e5, 1e6}) {
            radii.emplace_back(std::to_string(static_cast<int>(target)) + "pts",
                               radiusForPoints(mesh, target));
        }
        if (mesh.name == "bunny.off") {
            radii.emplace_back("diag0.25%", static_cast<float>(0.0025 * mesh.diagonal()));
            // Where the surface pass asks for exactly the candidate cap.
            radii.emplace_back("cap",
                               static_cast<float>(std::sqrt(mesh.area * 50 / (3.14159265 * 1e7))));
        }
        for (const auto& [label, radius] : radii) {
            for (const Backend& backend : backends) {
                benchmark::RegisterBenchmark(
                    ("Scatter/" + mesh.name + "/" + label + "/" + backend.name).c_str(), runCompute,
                    &mesh, radius, backend.entry)
                    ->Unit(benchmark::kMillisecond)
                    ->UseRealTime()
                    ->MinTime(1.0);
            }
            benchmark::RegisterBenchmark(("Node/" + mesh.name + "/" + label).c_str(), runNode,
                                         &mesh, radius)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime()
                ->MinTime(1.0);
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
