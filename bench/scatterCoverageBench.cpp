// How well the scatter covers the surface, next to what it costs: for the
// bunny and the generated meshes (examples/meshes/generated, see
// scripts/make-bench-meshes and scripts/fetch-bunny) at radii that give
// about 10^5 and 10^6 points, with the node's defaults and with fillGaps on.
//
//   Coverage/<mesh>/<target>/<default|fill|fill_rm20>
//
// (fill_rm20: fillGaps on, the passes drawing 20 candidates per disc of the
// radius, randomsMultipler, instead of the default 50)
//
// Time is the compute alone (zt::scatterPoints on the CPU backend, normals
// included). After the timed runs, the last result is measured:
//   points     number of points (filled: how many the fill added)
//   packing    N * pi * (r/2)^2 / area
//   uncov_%    share of 10^6 uniform surface samples farther than r from
//              every point, in percent
//   gap/r      largest distance from a sample to its nearest point, over r
//   fill_ms    time of the fill alone
//
//   build/bin/scatterCoverageBench --benchmark_counters_tabular=true

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <unordered_map>
#include <vector>

#include "bench/benchMeshes.h"
#include "host/src/mesh/meshGeometry.h"
#include "host/src/mesh/meshReaders.h"
#include "kernels/scatter.h"

namespace {

using zt::bench::BenchMesh;

// A uniform double in [0, 1) from a counter (splitmix64's finaliser).
double unitRandom(std::uint64_t x) {
    x = x * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    x ^= x >> 31;
    return static_cast<double>(x >> 11) * (1.0 / 9007199254740992.0);
}

struct Measures {
    double packing = 0, uncovered = 0, largestGap = 0;
};

// Packing, uncovered share and largest gap of a point set, from `samples`
// uniform surface samples and a grid of cells of edge r.
Measures measure(const BenchMesh& mesh, const std::vector<float>& xyz, double r,
                 unsigned int samples) {
    Measures m;
    const std::size_t n = xyz.size() / 3;
    m.packing = static_cast<double>(n) * 3.14159265358979 * r * r / 4.0 / mesh.triangleArea();
    auto cellOf = [&](double v) { return static_cast<long long>(std::floor(v / r)); };
    auto pack = [](long long x, long long y, long long z) {
        return (std::uint64_t(x + (1 << 20)) << 42) | (std::uint64_t(y + (1 << 20)) << 21) |
               std::uint64_t(z + (1 << 20));
    };
    std::unordered_map<std::uint64_t, std::vector<unsigned int>> cells;
    for (std::size_t i = 0; i < n; ++i)
        cells[pack(cellOf(xyz[3 * i]), cellOf(xyz[3 * i + 1]), cellOf(xyz[3 * i + 2]))].push_back(
            static_cast<unsigned int>(i));
    long long uncovered = 0;
    double largest = 0;
#pragma omp parallel for schedule(dynamic, 4096) reduction(+ : uncovered) reduction(max : largest)
    for (long long s = 0; s < static_cast<long long>(samples); ++s) {
        std::uint64_t counter = 0x5EEDull + static_cast<std::uint64_t>(s) * 4;
        auto unit = [&counter]() { return unitRandom(counter++); };
        const std::size_t t = std::min<std::size_t>(
            std::upper_bound(mesh.cumulativeArea.begin(), mesh.cumulativeArea.end(),
                             unit() * mesh.triangleArea()) -
                mesh.cumulativeArea.begin(),
            mesh.cumulativeArea.size() - 1);
        double u = unit(), v = unit();
        if (u + v > 1) u = 1 - u, v = 1 - v;
        double p[3];
        for (int k = 0; k < 3; ++k) {
            const double a = mesh.points[3 * std::size_t(mesh.triangles[3 * t]) + k];
            const double b = mesh.points[3 * std::size_t(mesh.triangles[3 * t + 1]) + k];
            const double c = mesh.points[3 * std::size_t(mesh.triangles[3 * t + 2]) + k];
            p[k] = a + u * (b - a) + v * (c - a);
        }
        // Rings of cells until the nearest point found is surely the nearest.
        double best = 1e300;
        const long long cx = cellOf(p[0]), cy = cellOf(p[1]), cz = cellOf(p[2]);
        for (long long ring = 1; ring < 64; ++ring) {
            for (long long dz = -ring; dz <= ring; ++dz)
                for (long long dy = -ring; dy <= ring; ++dy)
                    for (long long dx = -ring; dx <= ring; ++dx) {
                        if (ring > 1 &&
                            std::max({std::llabs(dx), std::llabs(dy), std::llabs(dz)}) < ring)
                            continue;
                        const auto it = cells.find(pack(cx + dx, cy + dy, cz + dz));
                        if (it == cells.end()) continue;
                        for (const unsigned int j : it->second) {
                            const double ex = p[0] - xyz[3 * j], ey = p[1] - xyz[3 * j + 1],
                                         ez = p[2] - xyz[3 * j + 2];
                            best = std::min(best, ex * ex + ey * ey + ez * ez);
                        }
                    }
            if (std::sqrt(best) <= static_cast<double>(ring) * r) break;
        }
        best = std::sqrt(best);
        if (best > r) ++uncovered;
        largest = std::max(largest, best);
    }
    m.uncovered = static_cast<double>(uncovered) / samples;
    m.largestGap = largest / r;
    return m;
}

void runCoverage(benchmark::State& state, const BenchMesh* mesh, float radius, bool fill,
                 unsigned int multiplier) {
    const zt::ScatterMesh view{mesh->points.data(), mesh->points.size() / 3, mesh->triangles.data(),
                               mesh->triangles.size() / 3};
    zt::ScatterSettings settings;
    settings.radius = radius;
    settings.bboxMinX = mesh->lo[0];
    settings.bboxMinY = mesh->lo[1];
    settings.bboxMinZ = mesh->lo[2];
    settings.bboxMaxX = mesh->hi[0];
    settings.bboxMaxZ = mesh->hi[2];
    settings.fillGaps = fill;
    settings.randomsMultiplier = multiplier;
    zt::ScatterResult result;
    zt::ScatterTimings timings;
    double fillSeconds = 0;
    for (auto _ : state) {
        result = zt::ScatterResult{};
        if (zt::cpu::scatterPoints(view, settings, result, zt::CpuSelection::kStreaming,
                                   &timings) != zt::KernelStatus::Ok) {
            state.SkipWithError("scatter failed");
            return;
        }
        fillSeconds += timings.fill;
    }
    const Measures m = measure(*mesh, result.positions, radius, 1000000);
    state.counters["radius"] = radius;
    state.counters["points"] = static_cast<double>(result.triangleIds.size());
    state.counters["filled"] = static_cast<double>(timings.filled);
    state.counters["fill_ms"] = 1000.0 * fillSeconds / static_cast<double>(state.iterations());
    state.counters["packing"] = m.packing;
    state.counters["uncov_%"] = 100.0 * m.uncovered;
    state.counters["gap/r"] = m.largestGap;
}

}  // namespace

int main(int argc, char** argv) {
    static std::vector<BenchMesh> meshes = zt::bench::loadGeneratedMeshes();
    meshes.shrink_to_fit();
    for (const BenchMesh& mesh : meshes) {
        for (const double target : {1e5, 1e6}) {
            const float radius = zt::bench::radiusForPoints(mesh.triangleArea(), target);
            const std::string label = mesh.name + "/" + std::to_string(int(target)) + "pts/";
            // The node's default multiplier, with and without the fill, and
            // the fill after passes drawing 20 candidates per disc.
            const struct {
                const char* name;
                bool fill;
                unsigned int multiplier;
            } runs[] = {{"default", false, zt::ScatterSettings{}.randomsMultiplier},
                        {"fill", true, zt::ScatterSettings{}.randomsMultiplier},
                        {"fill_rm20", true, 20}};
            for (const auto& run : runs) {
                benchmark::RegisterBenchmark(("Coverage/" + label + run.name).c_str(), runCoverage,
                                             &mesh, radius, run.fill, run.multiplier)
                    ->Unit(benchmark::kMillisecond)
                    ->UseRealTime()
                    ->MinTime(target > 5e5 ? 0.1 : 1.0);
            }
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
