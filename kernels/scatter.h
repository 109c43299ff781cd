#pragma once
// Poisson-disc scattering of points over a triangle mesh, the compute behind
// the ztScatterPoints node. Plain C++ interface: the node hands in flat mesh
// arrays and the grid frame and gets back flat arrays of accepted points.
//
// Up to three passes run in this order, each keeping the points accepted by
// the passes before it: mesh vertices, border edges (edges owned by exactly
// one triangle), and the surface. Candidates are binned into cubic cells of
// edge radius/sqrt(3), so a cell holds at most one point and every possible
// conflict lies within two cells in each direction; cells are processed in
// 27 interleaved phases so all cells of a phase can decide in parallel.

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

#include "kernels/backend.h"
#include "kernels/kernelEntry.h"

namespace zt {

// The phase in which each position of a 3x3x3 block of cells is processed,
// indexed by 9*ky + 3*kz + kx (the cell's grid indices modulo 3): a
// permutation of 0..26 under which neighbouring positions never share a phase.
inline constexpr unsigned short kPhaseMap[27] = {0,  15, 24, 11, 25, 9,  23, 19, 22,
                                                 5,  16, 3,  26, 18, 21, 1,  10, 20,
                                                 13, 7,  17, 14, 8,  6,  2,  4,  12};

// Candidates of one pass at most: the default cap, and the largest cap a
// caller may set. At the largest, the table form's 5 * 4C slot indices
// (C <= candidates) still fit in 32 bits.
constexpr unsigned int kMaxCandidates = 10000000;
constexpr unsigned int kMaxCandidatesLimit = 200000000;

// Called between the stages of a scatter. `stage` names what runs ("vertex
// pass", "border edge pass", "surface pass", "normals"), `done` is the part
// of it finished (0 at its start, 1 at its end, never decreasing within a
// stage) and `candidates` the most candidates any pass has drawn so far, a
// measure of the scatter's size. Returning true stops the scatter: it fails
// with KernelStatus::Interrupted.
using ScatterProgressFn = bool (*)(void* context, const char* stage, float done,
                                   std::size_t candidates);

struct ScatterSettings {
    float radius = 1.0f;
    unsigned int seed = 1234;
    unsigned int randomsMultiplier = 50;  // candidates per expected point
    unsigned int trials = 5;              // candidates tried per cell (1..30)
    bool vertices = false;                // vertex pass
    bool borderEdges = false;             // border-edge pass
    bool surface = true;                  // surface pass
    bool computeNormals = true;
    bool fillGaps = false;  // after the passes, add points until the surface is covered
    // Grid frame: origin and the x/z extent of the cell grid (y is unbounded).
    float bboxMinX = 0, bboxMinY = 0, bboxMinZ = 0;
    float bboxMaxX = 0, bboxMaxZ = 0;
    const unsigned short* phaseMap = kPhaseMap;   // 27 phases, host memory
    unsigned int maxCandidates = kMaxCandidates;  // per pass; 1..kMaxCandidatesLimit
    ScatterProgressFn progress = nullptr;         // optional
    void* progressContext = nullptr;              // handed back to `progress`
};

// Which selection implementation runs on the CPU backend. The table form is
// the one the CUDA backend runs (a hash table of cells and one launch per
// phase); the streaming form gives the same points faster on a CPU. Both are
// kept so tests can check they agree.
enum class CpuSelection { kStreaming, kTable };

struct ScatterMesh {
    const float* points = nullptr;  // 3 floats per vertex
    std::size_t pointCount = 0;
    const unsigned int* triangles = nullptr;  // 3 vertex ids per triangle
    std::size_t triangleCount = 0;
};

struct ScatterResult {
    std::vector<float> positions;  // 3 per point
    std::vector<float> uvs;        // 2 per point: (u, v) in the point's triangle
    std::vector<unsigned int> triangleIds;
    std::vector<float> normals;        // 3 per point, when asked for
    bool meshHasNoArea = false;        // total area below the threshold: nothing was done
    bool reachedCandidateCap = false;  // a pass was capped at settings.maxCandidates
};

// Stage timings of the last scatter on this thread, for the benchmark.
struct ScatterTimings {
    double meshPreparation = 0, generation = 0, sort = 0, table = 0, phases = 0, gather = 0,
           fill = 0, normals = 0, total = 0;
    std::size_t candidates = 0;  // summed over passes
    std::size_t filled = 0;      // points added by the gap fill
};

constexpr float kMinimumArea = 0.0001f;
constexpr float kMinimumEdgeLength = 0.0001f;

// Runs the passes on the active backend. On failure the result is left empty
// and the status says why (the diagnostic is already printed). `timings`
// may be null.
ZT_KERNEL_ENTRY(scatterPoints, KernelStatus(const ScatterMesh& mesh,
                                            const ScatterSettings& settings, ScatterResult& result,
                                            CpuSelection selection, ScatterTimings* timings));

// Border edges of a mesh (edges owned by exactly one triangle), sorted by
// their endpoints (a < b), with the owning triangle and the summed length.
struct BorderEdgeList {
    std::vector<unsigned int> a, b, triangle;
    float totalLength = 0.0f;
};
ZT_KERNEL_ENTRY(findMeshBorderEdges, KernelStatus(const ScatterMesh& mesh, BorderEdgeList& edges));

}  // namespace zt
