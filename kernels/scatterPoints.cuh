// Host side of the scatter: mesh upload, area and border-edge tables, the
// passes (candidates, sort, cell table, phases, trials, gather) and the point
// normals. Every buffer is a DeviceVector owned by one of these functions, so
// an early return or an exception releases it.

#if ZT_BACKEND_CPU
#include "kernels/scatterStreaming.cuh"
#endif

namespace scatter {

using Clock = std::chrono::steady_clock;

inline void synchronize() {
#if ZT_BACKEND_CUDA
    cudaDeviceSynchronize();
#endif
}

// Adds the time since `start` to `slot` (when timings are wanted) and restarts.
struct StageTimer {
    ScatterTimings* timings;
    Clock::time_point start = Clock::now();

    void stop(double ScatterTimings::*slot) {
        if (timings == nullptr) return;
        synchronize();
        const Clock::time_point now = Clock::now();
        timings->*slot += std::chrono::duration<double>(now - start).count();
        start = now;
    }
};

// The caller's progress function, fed with the size of the scatter so far.
class ProgressReport {
public:
    explicit ProgressReport(const ScatterSettings& settings)
        : report_(settings.progress), context_(settings.progressContext) {}

    void addPass(std::size_t candidates) { candidates_ = std::max(candidates_, candidates); }

    // True when the caller asks to stop.
    bool stop(const char* stage, float done) const {
        return report_ != nullptr && report_(context_, stage, done, candidates_);
    }

private:
    ScatterProgressFn report_;
    void* context_;
    std::size_t candidates_ = 0;
};

// How far a pass is after each of its stages, roughly by the time they take;
// the trials of the table form spread over kSorted .. kSelected.
constexpr float kGenerated = 0.25f;
constexpr float kSorted = 0.4f;
constexpr float kSelected = 0.9f;

template <class Array>
auto readValue(const Array& v, std::size_t index) {
    return static_cast<typename Array::value_type>(v[index]);
}

// Mesh arrays on the device.
struct DeviceMesh {
    DeviceVector<float> points;
    DeviceVector<unsigned int> triangles;
    unsigned int pointCount = 0;
    unsigned int triangleCount = 0;
};

// Border edges and their cumulative lengths.
struct BorderEdges {
    DeviceVector<unsigned int> a, b, triangle;
    DeviceVector<float> cumulativeLength;
    unsigned int count = 0;
    float totalLength = 0.0f;
};

#if ZT_BACKEND_CPU
// The passes write every candidate before reading it, so on the host the
// arrays are left unfilled: filling them would only write them twice.
template <class T>
using CandidateArray = streaming::Buffer<T>;
using ZT_BACKEND_NS::raw;
template <class T>
T* raw(streaming::Buffer<T>& v) {
    return v.data();
}
template <class T>
const T* raw(const streaming::Buffer<T>& v) {
    return v.data();
}
#else
template <class T>
using CandidateArray = DeviceVector<T>;
#endif

// Candidates of one pass.
struct Candidates {
    CandidateArray<float> x, y, z, u, v;
    CandidateArray<unsigned int> triId, cellId;
    unsigned int count = 0;

    // What allocate(n) takes per candidate: the seven arrays above.
    static constexpr unsigned long long kBytesPerCandidate =
        5 * sizeof(float) + 2 * sizeof(unsigned int);

#if ZT_BACKEND_CPU
    // Where the arrays take their memory (the global heap when null). x, y,
    // z and cellId come from one stretch of it, which the selection's cells
    // take once the sort has released them.
    RecyclingResource* workspace = nullptr;
#endif

    // Without `coordinates`, u, v and triId stay empty: the pass recomputes
    // them for the selected candidates only.
    void allocate(unsigned int n, bool coordinates = true) {
        count = n;
#if ZT_BACKEND_CPU
        if (workspace != nullptr) {
            if (sizeof(float) * n >= workspace->smallest())
                workspace->reserve(4ull * sizeof(float) * n);
            x = CandidateArray<float>(streaming::UninitialisedAllocator<float>(workspace));
            y = CandidateArray<float>(streaming::UninitialisedAllocator<float>(workspace));
            z = CandidateArray<float>(streaming::UninitialisedAllocator<float>(workspace));
            cellId = CandidateArray<unsigned int>(
                streaming::UninitialisedAllocator<unsigned int>(workspace));
        }
#endif
        x.resize(n);
        y.resize(n);
        z.resize(n);
        cellId.resize(n);
        if (!coordinates) return;
        u.resize(n);
        v.resize(n);
        triId.resize(n);
    }
};

// Points accepted so far, carried from pass to pass and out of the node.
struct Accepted {
    DeviceVector<float> positions, uvs;
    DeviceVector<unsigned int> triangles;
    unsigned int count = 0;
};

// ---------------------------------------------------------------------------
// Mesh preparation

// Cumulative triangle areas (the table is 3T long, zero past T) and the total.
inline KernelStatus cumulativeAreas(const DeviceMesh& mesh, DeviceVector<float>& areas,
                                    float& totalArea) {
    const unsigned int t = mesh.triangleCount;
    if (!checkDeviceMemory(4ull * 3ull * t)) return KernelStatus::NotEnoughMemory;
    areas.assign(3ull * t, 0.0f);
    const float* points = raw(mesh.points);
    const unsigned int* triangles = raw(mesh.triangles);
    float* out = raw(areas);
    ZT_RETURN_IF_FAILED(launch1D(
        "calculateArea", t,
        ZT_LAMBDA(ElementIndex i) { calculateArea(i, points, triangles, out, nullptr, t); }));
    inclusiveScanInOrder(areas);
    totalArea = readValue(areas, areas.size() - 1);
    return KernelStatus::Ok;
}

// Edges owned by exactly one triangle: all 3T edges sorted by (A, B) with two
// stable sorts, then the ones unequal to both neighbours are kept.
inline KernelStatus findBorderEdges(const DeviceMesh& mesh, BorderEdges& edges) {
    const unsigned int triangles = mesh.triangleCount;
    const unsigned int n = 3u * triangles;
    DeviceVector<unsigned int> pointA(n), pointB(n), owner(n), auxA(n), auxB(n), sequence(n);
    unsigned int* a = raw(pointA);
    unsigned int* b = raw(pointB);
    unsigned int* t = raw(owner);
    unsigned int* xa = raw(auxA);
    unsigned int* xb = raw(auxB);
    unsigned int* seq = raw(sequence);
    const unsigned int* tris = raw(mesh.triangles);
    ZT_RETURN_IF_FAILED(launch2D(
        "getEdges", triangles, 128,
        ZT_LAMBDA(ElementIndex i) { getEdges(i, a, b, t, tris, triangles); }));
    // Order by B, then carry A and the triangle along.
    thrust::sequence(policy(), sequence.begin(), sequence.end());
    thrust::stable_sort_by_key(policy(), pointB.begin(), pointB.end(), sequence.begin());
    ZT_RETURN_IF_FAILED(launch2D(
        "restoreOrder", n, 128,
        ZT_LAMBDA(ElementIndex i) { restoreOrder(i, a, t, xa, xb, seq, n); }));
    // Stable order by A keeps B ascending inside equal A: (A, B) order.
    thrust::sequence(policy(), sequence.begin(), sequence.end());
    thrust::stable_sort_by_key(policy(), auxA.begin(), auxA.end(), sequence.begin());
    ZT_RETURN_IF_FAILED(launch2D(
        "restoreOrder", n, 128,
        ZT_LAMBDA(ElementIndex i) { restoreOrder(i, b, xb, a, t, seq, n); }));
    // Now A = auxA, B = pointA, triangle = owner.
    const unsigned int* sortedA = xa;
    const unsigned int* sortedB = a;
    DeviceVector<unsigned int>& flags = pointB;  // free again
    thrust::fill(policy(), flags.begin(), flags.end(), 0u);
    unsigned int* flag = raw(flags);
    ZT_RETURN_IF_FAILED(launch2D(
        "detectUniqueEdges", n, 128,
        ZT_LAMBDA(ElementIndex i) { detectUniqueEdges(i, flag, sortedA, sortedB, n); }));
    // The first and last edges have one neighbour each.
    auto sameEdge = [&](unsigned int i, unsigned int j) {
        return readValue(auxA, i) == readValue(auxA, j) &&
               readValue(pointA, i) == readValue(pointA, j);
    };
    const bool firstUnique = n == 1 || !sameEdge(0, 1);
    const bool lastUnique = n == 1 || !sameEdge(n - 1, n - 2);
    flags[0] = firstUnique ? 1u : 0u;
    if (n > 1) flags[n - 1] = lastUnique ? 1u : 0u;
    thrust::exclusive_scan(policy(), flags.begin(), flags.end(), flags.begin(), 0u);
    edges.count = readValue(flags, n - 1) + (lastUnique ? 1u : 0u);
    if (edges.count == 0) return KernelStatus::Ok;

    edges.a.resize(edges.count);
    edges.b.resize(edges.count);
    edges.triangle.resize(edges.count);
    unsigned int* ua = raw(edges.a);
    unsigned int* ub = raw(edges.b);
    unsigned int* ut = raw(edges.triangle);
    const unsigned int* scan = flag;
    ZT_RETURN_IF_FAILED(launch2D(
        "moveSelectedEdges", n, 128, ZT_LAMBDA(ElementIndex i) {
            moveSelectedEdges(i, ua, ub, ut, scan, sortedA, sortedB, t, n);
        }));
    if (lastUnique) {
        edges.a[edges.count - 1] = readValue(auxA, n - 1);
        edges.b[edges.count - 1] = readValue(pointA, n - 1);
        edges.triangle[edges.count - 1] = readValue(owner, n - 1);
    }
    edges.cumulativeLength.resize(edges.count);
    float* lengths = raw(edges.cumulativeLength);
    const float* points = raw(mesh.points);
    const unsigned int count = edges.count;
    ZT_RETURN_IF_FAILED(launch2D(
        "calculateLength", count, 128,
        ZT_LAMBDA(ElementIndex i) { calculateLength(i, points, ua, ub, lengths, count); }));
    inclusiveScanInOrder(edges.cumulativeLength);
    edges.totalLength = readValue(edges.cumulativeLength, count - 1);
    return KernelStatus::Ok;
}

// Smooth normals at points given by triangle and (u, v): unit face normals
// averaged per vertex (corners grouped by a sort of the vertex list), then
// interpolated and normalised. The mesh is `vertices` points (3 floats each)
// and `triangles` triangles (3 vertex ids each); `sampleNormals` gets 3 floats
// per sample. A degenerate triangle spreads non-finite values to the normals
// of its vertices. Shared by the scatter and the re-planting of points.
inline KernelStatus smoothNormalsAtSamples(const DeviceVector<float>& meshPoints,
                                           const DeviceVector<unsigned int>& meshTriangles,
                                           unsigned int vertices, unsigned int triangles,
                                           const unsigned int* sampleTri, const float* uv,
                                           unsigned int samples,
                                           DeviceVector<float>& sampleNormals) {
    const unsigned int corners = 3u * triangles;
    if (!checkDeviceMemory(12ull * triangles)) return KernelStatus::NotEnoughMemory;
    if (samples == 0 || triangles == 0) return KernelStatus::Ok;

    DeviceVector<float> faceNormals(3ull * triangles);
    float* faceNormal = raw(faceNormals);
    const float* points = raw(meshPoints);
    const unsigned int* tris = raw(meshTriangles);
    ZT_RETURN_IF_FAILED(launch2D(
        "calculateNormalVector", triangles, 64, ZT_LAMBDA(ElementIndex i) {
            calculateNormalVector(i, points, tris, faceNormal, triangles);
        }));
    DeviceVector<unsigned int> cornerTriangle(corners);
    unsigned int* seq = raw(cornerTriangle);
    ZT_RETURN_IF_FAILED(launch2D(
        "fillSequence", corners, 128,
        ZT_LAMBDA(ElementIndex i) { fillSequence(i, seq, corners); }));
    DeviceVector<unsigned int> sortedVertices(meshTriangles.begin(),
                                              meshTriangles.begin() + corners);
    thrust::stable_sort_by_key(policy(), sortedVertices.begin(), sortedVertices.end(),
                               cornerTriangle.begin());
    const unsigned int* vertexOfCorner = raw(sortedVertices);

    DeviceVector<int> useCounts(vertices, 0);
    int* useCount = raw(useCounts);
    ZT_RETURN_IF_FAILED(launch2D(
        "computeVertexUseCount", corners, 128, ZT_LAMBDA(ElementIndex i) {
            computeVertexUseCount(i, useCount, vertexOfCorner, corners);
        }));
    // Close the run of the last vertex in the sorted list. (With unused
    // vertices at the end of the mesh that is not the highest vertex index.)
    const unsigned int lastVertex = readValue(sortedVertices, corners - 1);
    useCounts[lastVertex] = readValue(useCounts, lastVertex) + static_cast<int>(corners);

    DeviceVector<unsigned int> tableIndices(vertices, 0u);
    unsigned int* tableIndex = raw(tableIndices);
    ZT_RETURN_IF_FAILED(launch2D(
        "findIndex", corners, 128,
        ZT_LAMBDA(ElementIndex i) { findIndex(i, vertexOfCorner, tableIndex, corners); }));
    DeviceVector<float> vertexNormals(3ull * vertices);
    float* vbo = raw(vertexNormals);
    ZT_RETURN_IF_FAILED(launch2D(
        "computeVertexNormalVector", vertices, 128, ZT_LAMBDA(ElementIndex i) {
            computeVertexNormalVector(i, vbo, faceNormal, useCount, seq, tableIndex, vertices);
        }));
    sampleNormals.resize(3ull * samples);
    float* out = raw(sampleNormals);
    ZT_RETURN_IF_FAILED(launch2D(
        "computeSampleNormalVector", samples, 128, ZT_LAMBDA(ElementIndex i) {
            computeSampleNormalVector(i, out, vbo, sampleTri, uv, tris, samples);
        }));
    return KernelStatus::Ok;
}

// Smooth normals at `count` points given by their triangles and (u, v)
// (device memory).
inline KernelStatus pointNormals(const DeviceMesh& mesh, const unsigned int* triangles,
                                 const float* uvs, unsigned int count,
                                 std::vector<float>& normals) {
    normals.clear();
    DeviceVector<float> sampleNormals;
    ZT_RETURN_IF_FAILED(smoothNormalsAtSamples(mesh.points, mesh.triangles, mesh.pointCount,
                                               mesh.triangleCount, triangles, uvs, count,
                                               sampleNormals));
    if (count > 0) normals = toHost(sampleNormals);
    return KernelStatus::Ok;
}

// ---------------------------------------------------------------------------
// Candidates

// `randoms` holds one slot per candidate.
inline KernelStatus surfaceCandidates(const DeviceMesh& mesh, const DeviceVector<float>& areas,
                                      float totalArea, const RandomBuffer& randoms,
                                      unsigned int accepted, GridFrame grid, Candidates& c) {
    if (c.count == accepted) return KernelStatus::Ok;
    const float* r = randoms.data();
    float *x = raw(c.x), *y = raw(c.y), *z = raw(c.z), *u = raw(c.u), *v = raw(c.v);
    unsigned int *tri = raw(c.triId), *cell = raw(c.cellId);
    const float* points = raw(mesh.points);
    const unsigned int* tris = raw(mesh.triangles);
    const float* cumulative = raw(areas);
    const unsigned int triCount = mesh.triangleCount;
    const unsigned int n = c.count;
#if ZT_BACKEND_CPU
    // Same candidates as generateRandomPoints, with the triangle found
    // through a guide table instead of a binary search, and its corners read
    // from one table of nine floats per triangle (one memory access where
    // the index and vertex lists take four).
    const streaming::PrefixSumIndex index(cumulative, triCount, totalArea);
    std::vector<float> corners(9ull * triCount);
    float* corner = corners.data();
    ZT_RETURN_IF_FAILED(launch1D("gatherCorners", triCount, [&](ElementIndex t) {
        if (t >= triCount) return;
        for (unsigned int k = 0; k < 3; ++k)
            std::copy(points + 3ull * tris[3ull * t + k], points + 3ull * tris[3ull * t + k] + 3,
                      corner + 9ull * t + 3 * k);
    }));
    // The picks read the guide and corner tables at random: each run of
    // candidates asks for a pick's guide entry a few candidates ahead and,
    // once it has arrived, for the corners the pick most likely reads.
    constexpr unsigned int kRun = 4096, kGuideAhead = 16, kCornersAhead = 8;
    const long long runs = (static_cast<long long>(n - accepted) + kRun - 1) / kRun;
#pragma omp parallel for schedule(static) if (!serialExecution())
    for (long long run = 0; run < runs; ++run) {
        const unsigned int begin = accepted + static_cast<unsigned int>(run) * kRun;
        const unsigned int end = n - begin > kRun ? begin + kRun : n;
        for (unsigned int k = begin; k < end; ++k) {
            if (k + kGuideAhead < end) index.prefetchGuide(r[k + kGuideAhead]);
            if (k + kCornersAhead < end)
                __builtin_prefetch(corner + 9ull * index.likely(r[k + kCornersAhead]));
            const unsigned int t = index.pick(r[k]);
            const float* abc = corner + 9ull * t;
            placeSurfaceCandidate(k, t, r, x, y, z, u, v, tri, cell, abc, abc + 3, abc + 6, n,
                                  grid);
        }
    }
    return KernelStatus::Ok;
#else
    return launch2D(
        "generateRandomPoints", n - accepted, 128, ZT_LAMBDA(ElementIndex i) {
            generateRandomPoints(i, r, x, y, z, u, v, tri, cell, points, tris, cumulative,
                                 totalArea, triCount, n, accepted, grid);
        });
#endif
}

inline KernelStatus edgeCandidates(const DeviceMesh& mesh, const BorderEdges& edges,
                                   unsigned int seed, unsigned int accepted, GridFrame grid,
                                   Candidates& c) {
    const RandomBuffer randoms(c.count, seed);
    ZT_RETURN_IF_FAILED(randoms.status());
    if (c.count == accepted) return KernelStatus::Ok;
    const float* r = randoms.data();
    float *x = raw(c.x), *y = raw(c.y), *z = raw(c.z), *u = raw(c.u), *v = raw(c.v);
    unsigned int *tri = raw(c.triId), *cell = raw(c.cellId);
    const float* points = raw(mesh.points);
    const unsigned int* tris = raw(mesh.triangles);
    const unsigned int *ea = raw(edges.a), *eb = raw(edges.b), *et = raw(edges.triangle);
    const float* cumulative = raw(edges.cumulativeLength);
    const float total = edges.totalLength;
    const unsigned int edgeCount = edges.count;
    const unsigned int n = c.count;
#if ZT_BACKEND_CPU
    const streaming::PrefixSumIndex index(cumulative, edgeCount, total);
    return launch2D("generateRandomPointsOnEdges", n - accepted, 128, [&](ElementIndex i) {
        const unsigned int k = accepted + i;
        if (k >= n) return;
        placeEdgeCandidate(k, index.pick(r[k]), r, x, y, z, u, v, tri, cell, points, tris, ea, eb,
                           et, n, grid);
    });
#else
    return launch2D(
        "generateRandomPointsOnEdges", n - accepted, 128, ZT_LAMBDA(ElementIndex i) {
            generateRandomPointsOnEdges(i, r, x, y, z, u, v, tri, cell, points, tris, ea, eb, et,
                                        cumulative, total, edgeCount, n, accepted, grid);
        });
#endif
}

// The mesh vertices as candidates, built on the host: each vertex takes the
// first triangle corner that uses it.
inline KernelStatus vertexCandidates(const ScatterMesh& mesh, unsigned int accepted,
                                     Candidates& c) {
    const unsigned int n = c.count;
    std::vector<float> x(n, 0.0f), y(n, 0.0f), z(n, 0.0f), u(n, 0.0f), v(n, 0.0f);
    std::vector<unsigned int> tri(n, 0u);
    for (std::size_t j = 0; j < mesh.pointCount && accepted + j < n; ++j) {
        const std::size_t k = accepted + j;
        x[k] = mesh.points[3 * j];
        y[k] = mesh.points[3 * j + 1];
        z[k] = mesh.points[3 * j + 2];
    }
    std::vector<bool> seen(mesh.pointCount, false);
    std::size_t unseen = mesh.pointCount;
    const std::size_t corners = 3 * mesh.triangleCount;
    for (std::size_t i = 0; i < corners && unseen > 0; ++i) {
        const unsigned int j = mesh.triangles[i];
        if (seen[j]) continue;
        seen[j] = true;
        --unseen;
        const std::size_t k = accepted + std::size_t(j);
        if (k >= n) continue;
        tri[k] = static_cast<unsigned int>(i / 3);
        const std::size_t corner = i % 3;
        u[k] = corner == 1 ? 1.0f : 0.0f;
        v[k] = corner == 2 ? 1.0f : 0.0f;
    }
    thrust::copy(x.begin(), x.end(), c.x.begin());
    thrust::copy(y.begin(), y.end(), c.y.begin());
    thrust::copy(z.begin(), z.end(), c.z.begin());
    thrust::copy(u.begin(), u.end(), c.u.begin());
    thrust::copy(v.begin(), v.end(), c.v.begin());
    thrust::copy(tri.begin(), tri.end(), c.triId.begin());
    return KernelStatus::Ok;
}

inline KernelStatus cellIds(Candidates& c, unsigned int count, GridFrame grid) {
    if (count == 0) return KernelStatus::Ok;
    unsigned int* cell = raw(c.cellId);
    const float *x = raw(c.x), *y = raw(c.y), *z = raw(c.z);
    return launch2D(
        "computePointCellId", count, 64,
        ZT_LAMBDA(ElementIndex i) { computePointCellId(i, cell, x, y, z, grid, count); });
}

// Earlier passes' points go to the front of the candidate arrays.
inline KernelStatus placeAccepted(const Accepted& accepted, Candidates& c) {
    const unsigned int count = accepted.count;
    if (count == 0) return KernelStatus::Ok;
    float *x = raw(c.x), *y = raw(c.y), *z = raw(c.z), *u = raw(c.u), *v = raw(c.v);
    unsigned int* tri = raw(c.triId);
    const float* pos = raw(accepted.positions);
    const float* uv = raw(accepted.uvs);
    const unsigned int* at = raw(accepted.triangles);
#if ZT_BACKEND_CPU
    if (c.triId.empty())
        return launch1D("moveAcceptedPositions", count, [&](ElementIndex i) {
            if (i >= count) return;
            x[i] = pos[3ull * i];
            y[i] = pos[3ull * i + 1];
            z[i] = pos[3ull * i + 2];
        });
#endif
    return launch2D(
        "moveAcceptedSamples", count, 64, ZT_LAMBDA(ElementIndex i) {
            moveAcceptedSamples(i, x, y, z, u, v, tri, pos, uv, at, count);
        });
}

// ---------------------------------------------------------------------------
// Selection

// Candidates grouped by cell: cell ids sorted in place (stable, so a cell's
// candidates stay in index order: earlier passes' points first) and the
// candidate index of each sorted position.
inline KernelStatus sortByCell(Candidates& c, DeviceVector<unsigned int>& map) {
    if (!checkDeviceMemory(8ull * c.count)) return KernelStatus::NotEnoughMemory;
    map.resize(c.count);
    thrust::sequence(policy(), map.begin(), map.end());
#if ZT_BACKEND_CPU
    streaming::radixSortByKey(raw(c.cellId), raw(map), c.count, serialExecution());
#else
    thrust::stable_sort_by_key(policy(), c.cellId.begin(), c.cellId.end(), map.begin());
#endif
    return KernelStatus::Ok;
}

// The table form: cells entered in a hash table of 4C buckets, 27 phases per
// trial, one launch each; the accepted points leave the table in slot order.
inline KernelStatus selectWithTable(Candidates& c, const DeviceVector<unsigned int>& map,
                                    unsigned int acceptedCount, GridFrame grid, float radius,
                                    unsigned int trials, const unsigned short* hostPhaseMap,
                                    Accepted& accepted, StageTimer& timer,
                                    const ProgressReport& progress, const char* stage) {
    const unsigned int n = c.count;
    const unsigned int* cellId = raw(c.cellId);
    const unsigned int* mapPtr = raw(map);

    // Cells: start flags, their count, the cell number of every sorted
    // position and the first position of every cell.
    DeviceVector<unsigned int> aux(n, 0u);
    unsigned int* auxPtr = raw(aux);
    aux[0] = 1u;
    ZT_RETURN_IF_FAILED(launch2D(
        "detectCells", n, 64, ZT_LAMBDA(ElementIndex i) { detectCells(i, cellId, auxPtr, n); }));
    const unsigned int cellCount = thrust::reduce(policy(), aux.begin(), aux.end(), 0u);
    if (!checkDeviceMemory(8ull * cellCount + 162)) return KernelStatus::NotEnoughMemory;
    DeviceVector<unsigned int> cells(cellCount, 0u);
    unsigned int* cellsPtr = raw(cells);
    aux[0] = 0u;
    thrust::inclusive_scan(policy(), aux.begin(), aux.end(), aux.begin());
    ZT_RETURN_IF_FAILED(launch2D(
        "getCells", n, 64, ZT_LAMBDA(ElementIndex i) { getCells(i, cellsPtr, auxPtr, n); }));

    // Table: 4C buckets; a bucket's cells take slots in ascending id order.
    const unsigned int buckets = 4u * cellCount;
    DeviceVector<unsigned int> bucketOrder(cellCount), bucketKeys(cellCount), ranks(cellCount);
    unsigned int* bucketKey = raw(bucketKeys);
    ZT_RETURN_IF_FAILED(launch2D(
        "bucketOfCell", cellCount, 64, ZT_LAMBDA(ElementIndex i) {
            bucketOfCell(i, bucketKey, cellsPtr, cellId, buckets, cellCount);
        }));
    thrust::sequence(policy(), bucketOrder.begin(), bucketOrder.end());
    thrust::stable_sort_by_key(policy(), bucketKeys.begin(), bucketKeys.end(), bucketOrder.begin());
    {
        const DeviceVector<unsigned int> ones(cellCount, 1u);
        thrust::exclusive_scan_by_key(policy(), bucketKeys.begin(), bucketKeys.end(), ones.begin(),
                                      ranks.begin());
    }
    const unsigned int slots = std::max(5u, thrust::reduce(policy(), ranks.begin(), ranks.end(), 0u,
                                                           thrust::maximum<unsigned int>()) +
                                                1u);
    if (!checkDeviceMemory((4ull + 12ull * slots) * buckets + 120)) {
        return KernelStatus::NotEnoughMemory;
    }
    const std::size_t entries = std::size_t(slots) * buckets;
    DeviceVector<unsigned int> bucketCount(buckets, 0u), tabKeys(entries), tabAddress(entries),
        tabSamples(entries, kEmptySample);
    {
        const unsigned int* order = raw(bucketOrder);
        const unsigned int* rank = raw(ranks);
        unsigned int* countPtr = raw(bucketCount);
        unsigned int* keys = raw(tabKeys);
        unsigned int* address = raw(tabAddress);
        ZT_RETURN_IF_FAILED(launch2D(
            "fillHashTable", cellCount, 64, ZT_LAMBDA(ElementIndex i) {
                fillHashTable(i, order, rank, cellsPtr, cellId, countPtr, keys, address, buckets,
                              cellCount);
            }));
    }
    const CellTable table{raw(bucketCount), raw(tabKeys), raw(tabAddress),
                          raw(tabSamples),  buckets,      slots};
    timer.stop(&ScatterTimings::table);

    // Phases: each cell's phase, cells grouped by phase, cells per phase.
    DeviceVector<unsigned short> cellPhases(cellCount);
    DeviceVector<unsigned short> phaseMap(hostPhaseMap, hostPhaseMap + 27);
    unsigned short* phase = raw(cellPhases);
    const unsigned short* phaseMapPtr = raw(phaseMap);
    const float *x = raw(c.x), *y = raw(c.y), *z = raw(c.z);
    ZT_RETURN_IF_FAILED(launch1D(
        "calculateCellPhase", cellCount, ZT_LAMBDA(ElementIndex i) {
            calculateCellPhase(i, phase, cellsPtr, grid, x, y, z, mapPtr, phaseMapPtr, cellCount);
        }));
    thrust::stable_sort_by_key(policy(), cellPhases.begin(), cellPhases.end(), cells.begin());
    DeviceVector<unsigned int> cellsInPhase(27, 0u);
    unsigned int* inPhase = raw(cellsInPhase);
    const unsigned short lastPhase = readValue(cellPhases, cellCount - 1);
    cellsInPhase[lastPhase] = cellCount;
    ZT_RETURN_IF_FAILED(launch1D(
        "countCellsInPhases", cellCount,
        ZT_LAMBDA(ElementIndex i) { countCellsInPhases(i, inPhase, phase, cellCount); }));
    const std::vector<unsigned int> phaseSizes = toHost(cellsInPhase);

    if (acceptedCount > 0) {
        ZT_RETURN_IF_FAILED(launch2D(
            "updateHashTable", n, 64, ZT_LAMBDA(ElementIndex i) {
                updateHashTable(i, cellId, table, mapPtr, acceptedCount, n);
            }));
    }

    // Trials: the (t + 1)-th candidate of every still empty cell, phase by phase.
    const unsigned int stepZ = grid.stepZ, stepY = grid.stepY;
    for (unsigned int t = 0; t < trials; ++t) {
        unsigned int rangeStart = 0;
        for (unsigned int p = 0; p < 27; ++p) {
            const unsigned int count = phaseSizes[p];
            const short trial = static_cast<short>(t);
            ZT_RETURN_IF_FAILED(launch1D(
                "chooseSamplesInCells", count, ZT_LAMBDA(ElementIndex i) {
                    chooseSamplesInCells(i, cellsPtr, rangeStart, count, table, stepZ, stepY, trial,
                                         radius, x, y, z, cellId, mapPtr, n);
                }));
            rangeStart += count;
        }
        const float tried = static_cast<float>(t + 1) / static_cast<float>(trials);
        if (progress.stop(stage, kSorted + (kSelected - kSorted) * tried)) {
            return KernelStatus::Interrupted;
        }
    }
    timer.stop(&ScatterTimings::phases);

    // Gather in table order.
    DeviceVector<unsigned int> toCopy(entries);
    unsigned int* copyFlag = raw(toCopy);
    const unsigned int* samples = raw(tabSamples);
    ZT_RETURN_IF_FAILED(launch2D(
        "getPointsToCopy", entries, 64, ZT_LAMBDA(ElementIndex i) {
            getPointsToCopy(i, copyFlag, samples, static_cast<unsigned int>(entries));
        }));
    const unsigned int lastFlag = readValue(toCopy, entries - 1);
    thrust::exclusive_scan(policy(), toCopy.begin(), toCopy.end(), toCopy.begin(), 0u);
    const unsigned int count = readValue(toCopy, entries - 1) + lastFlag;
    accepted.count = count;
    accepted.positions.resize(3ull * count);
    accepted.uvs.resize(2ull * count);
    accepted.triangles.resize(count);
    if (count > 0) {
        float* pos = raw(accepted.positions);
        float* uv = raw(accepted.uvs);
        unsigned int* tri = raw(accepted.triangles);
        const float *u = raw(c.u), *v = raw(c.v);
        const unsigned int* triId = raw(c.triId);
        ZT_RETURN_IF_FAILED(launch2D(
            "copyAcceptedSamples", entries, 64, ZT_LAMBDA(ElementIndex i) {
                copyAcceptedSamples(i, pos, uv, tri, copyFlag, samples, x, y, z, u, v, triId,
                                    static_cast<unsigned int>(entries));
            }));
        if (lastFlag != 0) {
            const unsigned int j = readValue(tabSamples, entries - 1);
            const unsigned int o = count - 1;
            accepted.positions[3ull * o] = readValue(c.x, j);
            accepted.positions[3ull * o + 1] = readValue(c.y, j);
            accepted.positions[3ull * o + 2] = readValue(c.z, j);
            accepted.uvs[2ull * o] = readValue(c.u, j);
            accepted.uvs[2ull * o + 1] = readValue(c.v, j);
            accepted.triangles[o] = readValue(c.triId, j);
        }
    }
    timer.stop(&ScatterTimings::gather);
    return KernelStatus::Ok;
}

#if ZT_BACKEND_CPU
template <class Array>
void release(Array& v) {
    Array().swap(v);
}

// Candidates grouped by cell for the streaming selection: cell ids sorted,
// each sorted position with its candidate's index and position, so the
// selection reads everything in cell order. The positions then live in
// `points` only and the ids in `ids`: the coordinate and id arrays are
// released.
inline KernelStatus sortPointsByCell(Candidates& c, streaming::Buffer<unsigned int>& ids,
                                     streaming::Buffer<streaming::AcceptedPoint>& points) {
    if (!checkDeviceMemory(sizeof(streaming::AcceptedPoint) * c.count))
        return KernelStatus::NotEnoughMemory;
    streaming::sortCandidatesByCell(raw(c.cellId), raw(c.x), raw(c.y), raw(c.z), c.count, ids,
                                    points, serialExecution());
    release(c.x);
    release(c.y);
    release(c.z);
    release(c.cellId);
    return KernelStatus::Ok;
}

// Where a surface pass whose candidate arrays hold no (u, v) and triangles
// finds them for its selected candidates: the points of earlier passes
// (candidates below carried.count) in `carried`, the others recomputed from
// their random slots as generation made them.
struct SurfaceSlots {
    const RandomBuffer* randoms = nullptr;
    const streaming::PrefixSumIndex* triangles = nullptr;
    const Accepted* carried = nullptr;
};

// The selected candidates' positions as chosen, their (u, v) and triangles
// read by candidate index (or found through `slots`).
inline KernelStatus gatherChosen(const Candidates& c,
                                 const std::vector<streaming::AcceptedPoint>& chosen,
                                 const SurfaceSlots& slots, Accepted& accepted) {
    const unsigned int count = static_cast<unsigned int>(chosen.size());
    accepted.count = count;
    accepted.positions.resize(3ull * count);
    accepted.uvs.resize(2ull * count);
    accepted.triangles.resize(count);
    float* pos = raw(accepted.positions);
    float* uv = raw(accepted.uvs);
    unsigned int* tri = raw(accepted.triangles);
    const streaming::AcceptedPoint* point = chosen.data();
    if (!c.triId.empty()) {
        const float *u = raw(c.u), *v = raw(c.v);
        const unsigned int* t = raw(c.triId);
        return launch1D("gatherChosen", count, [&](ElementIndex i) {
            if (i >= count) return;
            const streaming::AcceptedPoint& p = point[i];
            pos[3ull * i] = p.x;
            pos[3ull * i + 1] = p.y;
            pos[3ull * i + 2] = p.z;
            uv[2ull * i] = u[p.candidate];
            uv[2ull * i + 1] = v[p.candidate];
            tri[i] = t[p.candidate];
        });
    }
    const float* r = slots.randoms->data();
    const unsigned int n = c.count;
    const unsigned int carried = slots.carried->count;
    const float* carriedUv = raw(slots.carried->uvs);
    const unsigned int* carriedTri = raw(slots.carried->triangles);
    const streaming::PrefixSumIndex& index = *slots.triangles;
    // The points come in table order, so their slots lie anywhere: each run
    // asks a few points ahead for a point's three slots and, once they have
    // arrived, for its guide entry.
    constexpr unsigned int kRun = 4096, kSlotsAhead = 16, kGuideAhead = 8;
    const long long runs = (static_cast<long long>(count) + kRun - 1) / kRun;
#pragma omp parallel for schedule(static) if (!serialExecution())
    for (long long run = 0; run < runs; ++run) {
        const unsigned int begin = static_cast<unsigned int>(run) * kRun;
        const unsigned int end = count - begin > kRun ? begin + kRun : count;
        for (unsigned int i = begin; i < end; ++i) {
            if (i + kSlotsAhead < end) {
                const unsigned int k = point[i + kSlotsAhead].candidate;
                const unsigned int j = (k + 1u) % n;
                __builtin_prefetch(r + k);
                __builtin_prefetch(r + j);
                __builtin_prefetch(r + (n - j - 1u));
            }
            if (i + kGuideAhead < end && point[i + kGuideAhead].candidate >= carried)
                index.prefetchGuide(r[point[i + kGuideAhead].candidate]);
            const streaming::AcceptedPoint& p = point[i];
            pos[3ull * i] = p.x;
            pos[3ull * i + 1] = p.y;
            pos[3ull * i + 2] = p.z;
            const unsigned int k = p.candidate;
            if (k < carried) {
                uv[2ull * i] = carriedUv[2ull * k];
                uv[2ull * i + 1] = carriedUv[2ull * k + 1];
                tri[i] = carriedTri[k];
            } else {
                surfaceCoordinates(k, r, n, uv[2ull * i], uv[2ull * i + 1]);
                tri[i] = index.pick(r[k]);
            }
        }
    }
    return KernelStatus::Ok;
}

inline KernelStatus selectStreaming(Candidates& c, streaming::Buffer<unsigned int>& ids,
                                    streaming::Buffer<streaming::AcceptedPoint>& points,
                                    const SurfaceSlots& slots, unsigned int acceptedCount,
                                    GridFrame grid, float radius, unsigned int trials,
                                    const unsigned short* phaseMap, unsigned int gridCellsX,
                                    unsigned int gridCellsZ, Accepted& accepted, StageTimer& timer,
                                    const ProgressReport& progress, const char* stage) {
    streaming::Input input{ids.data(), points.data(), c.count,    acceptedCount, grid, radius,
                           trials,     phaseMap,      gridCellsX, gridCellsZ,    {}};
    input.workspace = c.workspace;
    input.trialDone = [&](float tried) {
        return progress.stop(stage, kSorted + (kSelected - kSorted) * tried);
    };
    bool stopped = false;
    const std::vector<streaming::AcceptedPoint> chosen =
        streaming::selectCells(input, points, &ids, serialExecution(), stopped);
    if (stopped) return KernelStatus::Interrupted;
    timer.stop(&ScatterTimings::phases);
    ZT_RETURN_IF_FAILED(gatherChosen(c, chosen, slots, accepted));
    timer.stop(&ScatterTimings::gather);
    return KernelStatus::Ok;
}
#endif

// ---------------------------------------------------------------------------
// Driver

enum class Pass { kVertices, kBorderEdges, kSurface };

inline const char* stageName(Pass pass) {
    switch (pass) {
        case Pass::kVertices:
            return "vertex pass";
        case Pass::kBorderEdges:
            return "border edge pass";
        case Pass::kSurface:
            break;
    }
    return "surface pass";
}

// Candidate count of a pass: the expected number of points times the
// multiplier, plus the points carried over; at least 5 for the random passes
// and at most `cap`.
inline unsigned int candidateCount(Pass pass, double expectedPoints, unsigned int multiplier,
                                   unsigned int acceptedCount, std::size_t vertexCount,
                                   unsigned int cap, bool& capped) {
    unsigned long long n = 0;
    if (pass == Pass::kVertices) {
        n = acceptedCount + static_cast<unsigned long long>(vertexCount);
    } else {
        const double expected = std::ceil(expectedPoints);
        const unsigned long long whole =
            expected >= 1.0e12 ? 1000000000000ull
                               : static_cast<unsigned long long>(expected > 0.0 ? expected : 0.0);
        n = whole * multiplier + acceptedCount;
        if (n < 5) return 5;
    }
    if (n > cap) {
        capped = true;
        n = cap;
    }
    return static_cast<unsigned int>(n);
}

inline KernelStatus run(const ScatterMesh& hostMesh, const ScatterSettings& settings,
                        ScatterResult& result, CpuSelection selection, ScatterTimings* timings) {
    const Clock::time_point begin = Clock::now();
    StageTimer timer{timings};
    ProgressReport progress(settings);
    const float r = settings.radius;
    const unsigned int cap = std::max(1u, std::min(settings.maxCandidates, kMaxCandidatesLimit));

    // Grid frame.
    GridFrame grid{};
    grid.cellSize = static_cast<float>(static_cast<double>(r) / std::sqrt(3.0));
    grid.minX = settings.bboxMinX;
    grid.minY = settings.bboxMinY;
    grid.minZ = settings.bboxMinZ;
    auto cellsAlong = [&](float extent) {
        const double q = std::trunc(static_cast<double>(extent / grid.cellSize));
        if (!(q > 0.0)) return 1u;
        return q >= 4294967294.0 ? 4294967295u : static_cast<unsigned int>(q) + 1u;
    };
    const unsigned int nx = cellsAlong(settings.bboxMaxX - settings.bboxMinX);
    const unsigned int nz = cellsAlong(settings.bboxMaxZ - settings.bboxMinZ);
    grid.stepZ = nx;
    grid.stepY = nz * nx;

    // Mesh upload.
    DeviceMesh mesh;
    mesh.pointCount = static_cast<unsigned int>(hostMesh.pointCount);
    mesh.triangleCount = static_cast<unsigned int>(hostMesh.triangleCount);
    if (!checkDeviceMemory(12ull * mesh.pointCount)) return KernelStatus::NotEnoughMemory;
    mesh.points = toDevice(hostMesh.points, 3 * hostMesh.pointCount);
    if (!checkDeviceMemory(4ull * 3ull * mesh.triangleCount)) return KernelStatus::NotEnoughMemory;
    mesh.triangles = toDevice(hostMesh.triangles, 3 * hostMesh.triangleCount);
    if (mesh.triangleCount == 0) {
        result.meshHasNoArea = true;
        return KernelStatus::Ok;
    }

    DeviceVector<float> areas;
    float totalArea = 0.0f;
    ZT_RETURN_IF_FAILED(cumulativeAreas(mesh, areas, totalArea));
    if (totalArea < kMinimumArea) {
        result.meshHasNoArea = true;
        return KernelStatus::Ok;
    }

    BorderEdges edges;
    bool useEdges = settings.borderEdges;
    if (useEdges) {
        ZT_RETURN_IF_FAILED(findBorderEdges(mesh, edges));
        if (edges.count == 0 || edges.totalLength < kMinimumEdgeLength) {
            edges = BorderEdges{};
            useEdges = false;
        }
    }
    timer.stop(&ScatterTimings::meshPreparation);

    std::vector<Pass> passes;
    if (settings.vertices) passes.push_back(Pass::kVertices);
    if (useEdges) passes.push_back(Pass::kBorderEdges);
    if (settings.surface) passes.push_back(Pass::kSurface);
    if (passes.empty()) return KernelStatus::Ok;

    const float discArea = r * 3.1415927f * r;
    const unsigned int trials = std::max(1u, std::min(settings.trials, 30u));
#if ZT_BACKEND_CPU
    // The passes' large working arrays, reused as stages release them.
    RecyclingResource workspace;
#endif
    Accepted accepted;
    for (const Pass pass : passes) {
        const unsigned int carried = accepted.count;
        double expected = 0.0;
        if (pass == Pass::kSurface) expected = static_cast<double>(totalArea / discArea);
        if (pass == Pass::kBorderEdges) expected = static_cast<double>(edges.totalLength / r);
        const unsigned int n = candidateCount(pass, expected, settings.randomsMultiplier, carried,
                                              hostMesh.pointCount, cap, result.reachedCandidateCap);
        if (timings) timings->candidates += n;
        const char* stage = stageName(pass);
        progress.addPass(n);
        if (progress.stop(stage, 0.0f)) return KernelStatus::Interrupted;
        if (!checkDeviceMemory(Candidates::kBytesPerCandidate * n))
            return KernelStatus::NotEnoughMemory;
        // The streaming selection recomputes the selected surface candidates'
        // (u, v) and triangles from their random slots, which it keeps, rather
        // than storing them for every candidate.
        const bool recompute =
            ZT_BACKEND_CPU && selection == CpuSelection::kStreaming && pass == Pass::kSurface;
        Candidates candidates;
#if ZT_BACKEND_CPU
        candidates.workspace = &workspace;
#endif
        candidates.allocate(n, !recompute);
        std::optional<RandomBuffer> randoms;
        switch (pass) {
            case Pass::kSurface:
                randoms.emplace(n, settings.seed);
                ZT_RETURN_IF_FAILED(randoms->status());
                ZT_RETURN_IF_FAILED(
                    surfaceCandidates(mesh, areas, totalArea, *randoms, carried, grid, candidates));
                if (!recompute) randoms.reset();
                break;
            case Pass::kBorderEdges:
                ZT_RETURN_IF_FAILED(
                    edgeCandidates(mesh, edges, settings.seed, carried, grid, candidates));
                break;
            case Pass::kVertices:
                ZT_RETURN_IF_FAILED(vertexCandidates(hostMesh, carried, candidates));
                break;
        }
        ZT_RETURN_IF_FAILED(placeAccepted(accepted, candidates));
        ZT_RETURN_IF_FAILED(cellIds(candidates, pass == Pass::kVertices ? n : carried, grid));
        timer.stop(&ScatterTimings::generation);
        if (progress.stop(stage, kGenerated)) return KernelStatus::Interrupted;

        Accepted next;
#if ZT_BACKEND_CPU
        if (selection == CpuSelection::kStreaming) {
            // The sorted ids are released once the cells are found: their
            // memory goes on to the selection's lists.
            auto ids = streaming::Buffer<unsigned int>(
                streaming::UninitialisedAllocator<unsigned int>(&workspace));
            streaming::Buffer<streaming::AcceptedPoint> points;
            ZT_RETURN_IF_FAILED(sortPointsByCell(candidates, ids, points));
            timer.stop(&ScatterTimings::sort);
            if (progress.stop(stage, kSorted)) return KernelStatus::Interrupted;
            std::optional<streaming::PrefixSumIndex> triangles;
            SurfaceSlots slots;
            if (recompute) {
                triangles.emplace(raw(areas), mesh.triangleCount, totalArea);
                slots = SurfaceSlots{&*randoms, &*triangles, &accepted};
            }
            ZT_RETURN_IF_FAILED(selectStreaming(candidates, ids, points, slots, carried, grid, r,
                                                trials, settings.phaseMap, nx, nz, next, timer,
                                                progress, stage));
        } else {
            DeviceVector<unsigned int> map;
            ZT_RETURN_IF_FAILED(sortByCell(candidates, map));
            timer.stop(&ScatterTimings::sort);
            if (progress.stop(stage, kSorted)) return KernelStatus::Interrupted;
            ZT_RETURN_IF_FAILED(selectWithTable(candidates, map, carried, grid, r, trials,
                                                settings.phaseMap, next, timer, progress, stage));
        }
#else
        (void)selection;
        DeviceVector<unsigned int> map;
        ZT_RETURN_IF_FAILED(sortByCell(candidates, map));
        timer.stop(&ScatterTimings::sort);
        if (progress.stop(stage, kSorted)) return KernelStatus::Interrupted;
        ZT_RETURN_IF_FAILED(selectWithTable(candidates, map, carried, grid, r, trials,
                                            settings.phaseMap, next, timer, progress, stage));
#endif
        accepted = std::move(next);
        if (progress.stop(stage, 1.0f)) return KernelStatus::Interrupted;
    }

    result.positions = toHost(accepted.positions);
    result.uvs = toHost(accepted.uvs);
    result.triangleIds = toHost(accepted.triangles);
    // Where the normals read each point's triangle and (u, v).
    const unsigned int* pointTriangles = raw(accepted.triangles);
    const float* pointUvs = raw(accepted.uvs);
    unsigned int pointCount = accepted.count;
#if !ZT_BACKEND_CPU
    DeviceVector<float> filledUvs;
    DeviceVector<unsigned int> filledTriangles;
#endif
    if (settings.fillGaps) {
        // The fill runs on the host for every backend, so the appended
        // points are the same whichever backend ran the passes.
        if (progress.stop("fill", 0.0f)) return KernelStatus::Interrupted;
        accepted = Accepted{};  // the passes' points live in the result now
        const FillReport fill = fillSurfaceGaps(hostMesh, r, settings.seed, result.positions,
                                                result.uvs, result.triangleIds);
        pointCount = static_cast<unsigned int>(result.triangleIds.size());
#if ZT_BACKEND_CPU
        // The CPU backend's device memory is host memory: the normals read
        // the filled arrays where they are.
        pointTriangles = result.triangleIds.data();
        pointUvs = result.uvs.data();
#else
        filledUvs = toDevice(result.uvs);
        filledTriangles = toDevice(result.triangleIds);
        pointTriangles = raw(filledTriangles);
        pointUvs = raw(filledUvs);
#endif
        if (timings) timings->filled = fill.added;
        timer.stop(&ScatterTimings::fill);
        if (progress.stop("fill", 1.0f)) return KernelStatus::Interrupted;
    }
    if (settings.computeNormals) {
        if (progress.stop("normals", 0.0f)) return KernelStatus::Interrupted;
        ZT_RETURN_IF_FAILED(
            pointNormals(mesh, pointTriangles, pointUvs, pointCount, result.normals));
        timer.stop(&ScatterTimings::normals);
        if (progress.stop("normals", 1.0f)) return KernelStatus::Interrupted;
    }
    if (timings) timings->total = std::chrono::duration<double>(Clock::now() - begin).count();
    return KernelStatus::Ok;
}

}  // namespace scatter

KernelStatus scatterPoints(const ScatterMesh& mesh, const ScatterSettings& settings,
                           ScatterResult& result, CpuSelection selection, ScatterTimings* timings) {
    result = ScatterResult{};
    if (timings) *timings = ScatterTimings{};
    KernelStatus status = KernelStatus::Ok;
    try {
        status = scatter::run(mesh, settings, result, selection, timings);
    } catch (...) {
        status = reportDeviceFailure("scatterPoints");
    }
    if (status != KernelStatus::Ok) {
        const bool capped = result.reachedCandidateCap;
        result = ScatterResult{};
        result.reachedCandidateCap = capped;
    }
    return status;
}

KernelStatus findMeshBorderEdges(const ScatterMesh& hostMesh, BorderEdgeList& list) {
    list = BorderEdgeList{};
    if (hostMesh.triangleCount == 0) return KernelStatus::Ok;
    try {
        scatter::DeviceMesh mesh;
        mesh.pointCount = static_cast<unsigned int>(hostMesh.pointCount);
        mesh.triangleCount = static_cast<unsigned int>(hostMesh.triangleCount);
        mesh.points = toDevice(hostMesh.points, 3 * hostMesh.pointCount);
        mesh.triangles = toDevice(hostMesh.triangles, 3 * hostMesh.triangleCount);
        scatter::BorderEdges edges;
        ZT_RETURN_IF_FAILED(scatter::findBorderEdges(mesh, edges));
        if (edges.count == 0) return KernelStatus::Ok;
        list.a = toHost(edges.a);
        list.b = toHost(edges.b);
        list.triangle = toHost(edges.triangle);
        list.totalLength = edges.totalLength;
        return KernelStatus::Ok;
    } catch (...) {
        return reportDeviceFailure("findMeshBorderEdges");
    }
}
