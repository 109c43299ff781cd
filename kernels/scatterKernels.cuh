// Per-element bodies of the scatter kernels: mesh preparation (areas, border
// edges, normals), candidate generation and the cell-grid selection. Each body
// takes its element index first and does its own bound check before anything
// else; launch1D/launch2D run it over the launch's whole index space.
//
// Only +, -, *, / and sqrt appear in the arithmetic, evaluated in a fixed
// order without contraction, so both backends produce the same bits.
// Included by ztNodes.cu inside each backend's namespace.

#include "kernels/weightedPickKernels.cuh"

constexpr unsigned int kEmptySample = 0xFFFFFFFFu;

// ---------------------------------------------------------------------------
// Small helpers

// Float to int32 that saturates like the GPU's conversion (NaN gives 0), so a
// point far outside the grid gets the same cell on every backend.
ZT_HD inline int floorToInt(float value) {
    const float f = floorf(value);
    if (!(f == f)) return 0;
    if (f >= 2147483648.0f) return 2147483647;
    if (f < -2147483648.0f) return -2147483647 - 1;
    return static_cast<int>(f);
}

// Grid index of a coordinate along one axis: points below the origin collapse
// into the first layer.
ZT_HD inline int cellIndexOnAxis(float coordinate, float minimum, float cellSize) {
    float d = coordinate - minimum;
    if (d < 0.0f) d = 0.0f;
    const float q = d / cellSize;
    // In range and not negative, truncation is the floor: one conversion
    // instead of a rounding call (without SSE4.1, floorf is a library
    // routine and was most of the candidates' cell-id cost).
    if (q >= 0.0f && q < 2147483648.0f) return static_cast<int>(q);
    return floorToInt(q);
}

// Linear cell id. Ids wrap in 32 bits and an x index past the grid runs into
// the next z row: neighbours are always id + ox + oz*stepZ + oy*stepY.
ZT_HD inline unsigned int cellIdOf(float x, float y, float z, float cellSize, float minX,
                                   float minY, float minZ, unsigned int stepZ, unsigned int stepY) {
    const unsigned int ix = static_cast<unsigned int>(cellIndexOnAxis(x, minX, cellSize));
    const unsigned int iy = static_cast<unsigned int>(cellIndexOnAxis(y, minY, cellSize));
    const unsigned int iz = static_cast<unsigned int>(cellIndexOnAxis(z, minZ, cellSize));
    return ix + stepZ * iz + stepY * iy;
}

// Phase of the cell holding a point: the point's grid indices modulo 3 on each
// axis, permuted by phaseMap. Computed from the same integer indices as the
// cell id, so two cells of one phase are always a multiple of three cells
// apart on every axis and can never see each other's decisions.
ZT_HD inline unsigned short phaseOf(float x, float y, float z, float cellSize, float minX,
                                    float minY, float minZ, const unsigned short* phaseMap) {
    const unsigned int kx = static_cast<unsigned int>(cellIndexOnAxis(x, minX, cellSize)) % 3u;
    const unsigned int ky = static_cast<unsigned int>(cellIndexOnAxis(y, minY, cellSize)) % 3u;
    const unsigned int kz = static_cast<unsigned int>(cellIndexOnAxis(z, minZ, cellSize)) % 3u;
    return phaseMap[9u * ky + 3u * kz + kx];
}

// ---------------------------------------------------------------------------
// Mesh preparation

ZT_HD inline void calculateArea(ElementIndex i, const float* points, const unsigned int* triIds,
                                float* areas, const bool* state, unsigned int numTris) {
    if (i >= numTris) return;
    if (state != nullptr && !state[i]) {
        areas[i] = 0.0f;
        return;
    }
    const float* a = points + 3u * triIds[3u * i];
    const float* b = points + 3u * triIds[3u * i + 1u];
    const float* c = points + 3u * triIds[3u * i + 2u];
    const float abx = b[0] - a[0], aby = b[1] - a[1], abz = b[2] - a[2];
    const float acx = c[0] - a[0], acy = c[1] - a[1], acz = c[2] - a[2];
    const float cx = aby * acz - abz * acy;
    const float cy = abz * acx - abx * acz;
    const float cz = abx * acy - aby * acx;
    areas[i] = 0.5f * sqrtf(cx * cx + cy * cy + cz * cz);
}

// Marks the triangles of the listed faces in a per-triangle mask, from the
// inclusive prefix sum of the faces' triangle counts. Kept for face-restricted
// scattering; the scatter node passes no mask.
ZT_HD inline void setTriangleState(ElementIndex i, bool* triangleState, const unsigned int* facesID,
                                   const unsigned int* trianglesInFaces, unsigned int numId) {
    if (i >= numId) return;
    const unsigned int face = facesID[i];
    const unsigned int end = trianglesInFaces[face];
    const unsigned int start = face == 0 ? 0u : trianglesInFaces[face - 1];
    for (unsigned int t = start; t < end; ++t) triangleState[t] = true;
}

ZT_HD inline void getEdges(ElementIndex i, unsigned int* edgePointA, unsigned int* edgePointB,
                           unsigned int* edgeT, const unsigned int* triangles,
                           unsigned int trianglesCount) {
    if (i >= trianglesCount) return;
    const unsigned int v[3] = {triangles[3u * i], triangles[3u * i + 1u], triangles[3u * i + 2u]};
    const unsigned int pairs[3][2] = {{v[0], v[1]}, {v[0], v[2]}, {v[1], v[2]}};
    for (unsigned int e = 0; e < 3; ++e) {
        const unsigned int p = pairs[e][0], q = pairs[e][1];
        edgePointA[3u * i + e] = p < q ? p : q;
        edgePointB[3u * i + e] = p < q ? q : p;
        edgeT[3u * i + e] = i;
    }
}

ZT_HD inline void restoreOrder(ElementIndex i, const unsigned int* arrayA,
                               const unsigned int* arrayB, unsigned int* auxA, unsigned int* auxB,
                               const unsigned int* map, unsigned int numElem) {
    if (i >= numElem) return;
    auxA[i] = arrayA[map[i]];
    auxB[i] = arrayB[map[i]];
}

// Edge i + 1 of the (A, B)-sorted list is unique when neither neighbour in the
// list is the same edge. The first and last edges are settled by the host.
ZT_HD inline void detectUniqueEdges(ElementIndex i, unsigned int* uniqueEdge,
                                    const unsigned int* edgePointA, const unsigned int* edgePointB,
                                    unsigned int numEdges) {
    if (numEdges < 2u || i + 1u >= numEdges - 1u) return;
    const unsigned int j = i + 1u;
    const bool samePrevious =
        edgePointA[j] == edgePointA[j - 1] && edgePointB[j] == edgePointB[j - 1];
    const bool sameNext = edgePointA[j] == edgePointA[j + 1] && edgePointB[j] == edgePointB[j + 1];
    uniqueEdge[j] = (samePrevious || sameNext) ? 0u : 1u;
}

// Compacts the flagged edges: `scan` is the exclusive scan of the flags.
ZT_HD inline void moveSelectedEdges(ElementIndex i, unsigned int* uniqueEdgePointA,
                                    unsigned int* uniqueEdgePointB,
                                    unsigned int* uniqueEdgeTriangle, const unsigned int* scan,
                                    const unsigned int* edgePointA, const unsigned int* edgePointB,
                                    const unsigned int* edgeTriangle, unsigned int edgeCount) {
    if (i + 1u >= edgeCount) return;
    if (scan[i] != scan[i + 1u]) {
        uniqueEdgePointA[scan[i]] = edgePointA[i];
        uniqueEdgePointB[scan[i]] = edgePointB[i];
        uniqueEdgeTriangle[scan[i]] = edgeTriangle[i];
    }
}

ZT_HD inline void calculateLength(ElementIndex i, const float* points, const unsigned int* edgeIdA,
                                  const unsigned int* edgeIdB, float* lengths,
                                  unsigned int numEdges) {
    if (i >= numEdges) return;
    const float* a = points + 3u * edgeIdA[i];
    const float* b = points + 3u * edgeIdB[i];
    const float dx = b[0] - a[0], dy = b[1] - a[1], dz = b[2] - a[2];
    lengths[i] = sqrtf(dx * dx + dy * dy + dz * dz);
}

ZT_HD inline void calculateNormalVector(ElementIndex i, const float* points,
                                        const unsigned int* triIds, float* normal,
                                        unsigned int numTris) {
    if (i >= numTris) return;
    const float* a = points + 3u * triIds[3u * i];
    const float* b = points + 3u * triIds[3u * i + 1u];
    const float* c = points + 3u * triIds[3u * i + 2u];
    const float abx = b[0] - a[0], aby = b[1] - a[1], abz = b[2] - a[2];
    const float acx = c[0] - a[0], acy = c[1] - a[1], acz = c[2] - a[2];
    const float cx = aby * acz - abz * acy;
    const float cy = abz * acx - abx * acz;
    const float cz = abx * acy - aby * acx;
    const float length = sqrtf(cx * cx + cy * cy + cz * cz);
    normal[3u * i] = cx / length;
    normal[3u * i + 1u] = cy / length;
    normal[3u * i + 2u] = cz / length;
}

ZT_HD inline void fillSequence(ElementIndex i, unsigned int* seq, unsigned int count) {
    if (i >= count) return;
    seq[i] = i / 3u;
}

// Over the corners sorted by vertex: each run boundary adds the run's end to
// the vertex before it and subtracts it from the vertex after it, so every
// vertex ends with the length of its run (the host closes the last run).
ZT_HD inline void computeVertexUseCount(ElementIndex i, int* vertexUseCount,
                                        const unsigned int* vertexID, unsigned int numElements) {
    if (i + 1u >= numElements) return;
    if (vertexID[i] != vertexID[i + 1u]) {
        atomicAdd32(&vertexUseCount[vertexID[i + 1u]], -static_cast<int>(i + 1u));
        atomicAdd32(&vertexUseCount[vertexID[i]], static_cast<int>(i + 1u));
    }
}

ZT_HD inline void findIndex(ElementIndex i, const unsigned int* vertexInTri,
                            unsigned int* tableIndex, unsigned int count) {
    if (i + 1u >= count) return;
    if (vertexInTri[i] != vertexInTri[i + 1u]) tableIndex[vertexInTri[i + 1u]] = i + 1u;
}

// Average of the unit normals of the triangles around a vertex (not
// renormalised). The use count is taken modulo 65536.
ZT_HD inline void computeVertexNormalVector(ElementIndex i, float* vbo, const float* triNormal,
                                            const int* vertexUseCount, const unsigned int* triID,
                                            const unsigned int* tableIndex,
                                            unsigned int pointsCount) {
    if (i >= pointsCount) return;
    const unsigned int count = static_cast<unsigned short>(vertexUseCount[i] & 0xFFFF);
    float sx = 0.0f, sy = 0.0f, sz = 0.0f;
    for (unsigned int k = 0; k < count; ++k) {
        const float* n = triNormal + 3u * triID[tableIndex[i] + k];
        sx = sx + n[0];
        sy = sy + n[1];
        sz = sz + n[2];
    }
    const float divisor = static_cast<float>(count);
    vbo[3u * i] = sx / divisor;
    vbo[3u * i + 1u] = sy / divisor;
    vbo[3u * i + 2u] = sz / divisor;
}

ZT_HD inline void computeSampleNormalVector(ElementIndex i, float* sampleNormal,
                                            const float* vertexNormal,
                                            const unsigned int* sampleTriId, const float* uv,
                                            const unsigned int* triangleVertices,
                                            unsigned int numSamples) {
    if (i >= numSamples) return;
    const unsigned int t = sampleTriId[i];
    const float* na = vertexNormal + 3u * triangleVertices[3u * t];
    const float* nb = vertexNormal + 3u * triangleVertices[3u * t + 1u];
    const float* nc = vertexNormal + 3u * triangleVertices[3u * t + 2u];
    const float u = uv[2u * i], v = uv[2u * i + 1u];
    const float w = static_cast<float>(1.0 - static_cast<double>(u + v));
    const float x = nb[0] * u + na[0] * w + nc[0] * v;
    const float y = nb[1] * u + na[1] * w + nc[1] * v;
    const float z = nb[2] * u + na[2] * w + nc[2] * v;
    const float length = sqrtf(x * x + y * y + z * z);
    sampleNormal[3u * i] = x / length;
    sampleNormal[3u * i + 1u] = y / length;
    sampleNormal[3u * i + 2u] = z / length;
}

// ---------------------------------------------------------------------------
// Candidates

// Grid frame shared by the generation and selection kernels.
struct GridFrame {
    float cellSize;
    float minX, minY, minZ;
    unsigned int stepZ, stepY;
};

// Barycentric (u, v) of surface candidate k: a uniform point of its
// triangle from the random slots j = (k + 1) mod N and N - 1 - j.
ZT_HD inline void surfaceCoordinates(unsigned int k, const float* randoms, unsigned int numElements,
                                     float& u, float& v) {
    // (k + 1) mod N without a division where k < N, as for every candidate
    // of a pass.
    unsigned int j = k + 1u;
    if (j >= numElements) j %= numElements;
    const float s = sqrtf(randoms[j]);
    const float q = randoms[numElements - j - 1u];
    u = 1.0f - s;
    v = s * q;
}

// Surface candidate k in triangle t (corners a, b, c). u, v and triId may
// be null where the caller recomputes them for the selected candidates only.
ZT_HD inline void placeSurfaceCandidate(unsigned int k, unsigned int t, const float* randoms,
                                        float* x, float* y, float* z, float* u, float* v,
                                        unsigned int* triId, unsigned int* cellId, const float* a,
                                        const float* b, const float* c, unsigned int numElements,
                                        GridFrame grid) {
    float pu, pv;
    surfaceCoordinates(k, randoms, numElements, pu, pv);
    if (triId != nullptr) {
        triId[k] = t;
        u[k] = pu;
        v[k] = pv;
    }
    const float px = a[0] + (b[0] - a[0]) * pu + (c[0] - a[0]) * pv;
    const float py = a[1] + (b[1] - a[1]) * pu + (c[1] - a[1]) * pv;
    const float pz = a[2] + (b[2] - a[2]) * pu + (c[2] - a[2]) * pv;
    x[k] = px;
    y[k] = py;
    z[k] = pz;
    cellId[k] = cellIdOf(px, py, pz, grid.cellSize, grid.minX, grid.minY, grid.minZ, grid.stepZ,
                         grid.stepY);
}

// Surface candidate k = acceptedSamplesCount + i: a triangle picked in
// proportion to its area with the random slot k, then a uniform point in it.
ZT_HD inline void generateRandomPoints(ElementIndex i, const float* randoms, float* x, float* y,
                                       float* z, float* u, float* v, unsigned int* triId,
                                       unsigned int* cellId, const float* meshPoints,
                                       const unsigned int* triIds, const float* cumulativeArea,
                                       float totalArea, unsigned int triCount,
                                       unsigned int numElements, unsigned int acceptedSamplesCount,
                                       GridFrame grid) {
    const unsigned int k = acceptedSamplesCount + i;
    if (k >= numElements) return;
    const unsigned int t =
        getTriIndex(cumulativeArea, static_cast<int>(triCount), randoms[k], totalArea);
    placeSurfaceCandidate(k, t, randoms, x, y, z, u, v, triId, cellId,
                          meshPoints + 3u * triIds[3u * t], meshPoints + 3u * triIds[3u * t + 1u],
                          meshPoints + 3u * triIds[3u * t + 2u], numElements, grid);
}

// Places border-edge candidate k on edge e: a uniform point from the random
// slot (k + 1) mod N, with its coordinates in the edge's triangle.
ZT_HD inline void placeEdgeCandidate(unsigned int k, unsigned int e, const float* randoms, float* x,
                                     float* y, float* z, float* u, float* v, unsigned int* triId,
                                     unsigned int* cellId, const float* meshPoints,
                                     const unsigned int* triIds, const unsigned int* edgeA,
                                     const unsigned int* edgeB, const unsigned int* edgeT,
                                     unsigned int numElements, GridFrame grid) {
    const unsigned int a = edgeA[e], b = edgeB[e], t = edgeT[e];
    triId[k] = t;
    const float s = randoms[(k + 1u) % numElements];
    const float* pa = meshPoints + 3u * a;
    const float* pb = meshPoints + 3u * b;
    const float px = pa[0] + (pb[0] - pa[0]) * s;
    const float py = pa[1] + (pb[1] - pa[1]) * s;
    const float pz = pa[2] + (pb[2] - pa[2]) * s;
    x[k] = px;
    y[k] = py;
    z[k] = pz;
    const unsigned int t0 = triIds[3u * t], t1 = triIds[3u * t + 1u], t2 = triIds[3u * t + 2u];
    const float oneMinusS = static_cast<float>(1.0 - static_cast<double>(s));
    float pu, pv;
    if (t0 == a && t1 == b) {
        pu = s, pv = 0.0f;
    } else if (t0 == b && t1 == a) {
        pu = oneMinusS, pv = 0.0f;
    } else if (t0 == a && t2 == b) {
        pu = 0.0f, pv = s;
    } else if (t0 == b && t2 == a) {
        pu = 0.0f, pv = oneMinusS;
    } else if (t1 == a && t2 == b) {
        pu = oneMinusS, pv = s;
    } else {
        pu = s, pv = oneMinusS;
    }
    u[k] = pu;
    v[k] = pv;
    cellId[k] = cellIdOf(px, py, pz, grid.cellSize, grid.minX, grid.minY, grid.minZ, grid.stepZ,
                         grid.stepY);
}

// Border-edge candidate k: an edge picked in proportion to its length with the
// random slot k, then a uniform point on it.
ZT_HD inline void generateRandomPointsOnEdges(
    ElementIndex i, const float* randoms, float* x, float* y, float* z, float* u, float* v,
    unsigned int* triId, unsigned int* cellId, const float* meshPoints, const unsigned int* triIds,
    const unsigned int* edgeA, const unsigned int* edgeB, const unsigned int* edgeT,
    const float* cumulativeLength, float totalLength, unsigned int edgeCount,
    unsigned int numElements, unsigned int acceptedSamplesCount, GridFrame grid) {
    const unsigned int k = acceptedSamplesCount + i;
    if (k >= numElements) return;
    const unsigned int e =
        getTriIndex(cumulativeLength, static_cast<int>(edgeCount), randoms[k], totalLength);
    placeEdgeCandidate(k, e, randoms, x, y, z, u, v, triId, cellId, meshPoints, triIds, edgeA,
                       edgeB, edgeT, numElements, grid);
}

// ---------------------------------------------------------------------------
// Selection on the cell grid

ZT_HD inline void moveAcceptedSamples(ElementIndex i, float* x, float* y, float* z, float* u,
                                      float* v, unsigned int* triId,
                                      const float* acceptedSamplesPos,
                                      const float* acceptedSamplesUV,
                                      const unsigned int* acceptedSamplesTri,
                                      unsigned int acceptedSamplesCount) {
    if (i >= acceptedSamplesCount) return;
    x[i] = acceptedSamplesPos[3u * i];
    y[i] = acceptedSamplesPos[3u * i + 1u];
    z[i] = acceptedSamplesPos[3u * i + 2u];
    u[i] = acceptedSamplesUV[2u * i];
    v[i] = acceptedSamplesUV[2u * i + 1u];
    triId[i] = acceptedSamplesTri[i];
}

ZT_HD inline void computePointCellId(ElementIndex i, unsigned int* cellId, const float* x,
                                     const float* y, const float* z, GridFrame grid,
                                     unsigned int numElements) {
    if (i >= numElements) return;
    cellId[i] = cellIdOf(x[i], y[i], z[i], grid.cellSize, grid.minX, grid.minY, grid.minZ,
                         grid.stepZ, grid.stepY);
}

// aux[i] = 1 where a new cell starts in the sorted cell ids (position 0 is
// set by the host).
ZT_HD inline void detectCells(ElementIndex i, const unsigned int* cellId, unsigned int* aux,
                              unsigned int numElements) {
    if (i >= numElements) return;
    if (i == 0) return;
    aux[i] = cellId[i - 1u] != cellId[i] ? 1u : 0u;
}

// cells[c] = sorted position of the first candidate of cell c; cellIndex is the
// inclusive scan of the start flags minus one (the cell number of a position).
ZT_HD inline void getCells(ElementIndex i, unsigned int* cells, const unsigned int* cellIndex,
                           unsigned int numElements) {
    if (i + 1u >= numElements) return;
    if (cellIndex[i] != cellIndex[i + 1u]) cells[cellIndex[i + 1u]] = i + 1u;
}

ZT_HD inline void calculateCellPhase(ElementIndex i, unsigned short* cellPhase,
                                     const unsigned int* cellIndex, GridFrame grid, const float* x,
                                     const float* y, const float* z, const unsigned int* map,
                                     const unsigned short* phaseMap, unsigned int numElements) {
    if (i >= numElements) return;
    const unsigned int p = map[cellIndex[i]];
    cellPhase[i] =
        phaseOf(x[p], y[p], z[p], grid.cellSize, grid.minX, grid.minY, grid.minZ, phaseMap);
}

// Same run-boundary counting as computeVertexUseCount, over cells sorted by
// phase (the host adds the closing count of the last phase).
ZT_HD inline void countCellsInPhases(ElementIndex i, unsigned int* cellCountInPhase,
                                     const unsigned short* cellPhase, unsigned int numElements) {
    if (i + 1u >= numElements) return;
    if (cellPhase[i] != cellPhase[i + 1u]) {
        atomicAdd32(&cellCountInPhase[cellPhase[i + 1u]], 0u - (i + 1u));
        atomicAdd32(&cellCountInPhase[cellPhase[i]], i + 1u);
    }
}

// Bucket of each cell (in ascending cell order) in a table of `buckets`.
ZT_HD inline void bucketOfCell(ElementIndex i, unsigned int* bucket, const unsigned int* cells,
                               const unsigned int* pointCellId, unsigned int buckets,
                               unsigned int cellCount) {
    if (i >= cellCount) return;
    bucket[i] = pointCellId[cells[i]] % buckets;
}

// Hash table of the occupied cells: bucket b = id mod H holds its cells in
// slots s = 0 .. slotCount - 1, stored slot-major (entry s * H + b). Cells of a
// bucket take slots in ascending id order, so the layout, and the order in
// which points leave the table, never depends on thread timing.
struct CellTable {
    const unsigned int* bucketCount;  // cells per bucket
    const unsigned int* keys;         // cell id per entry
    const unsigned int* address;      // sorted position of the cell's first candidate
    unsigned int* samples;            // accepted candidate per entry, or kEmptySample
    unsigned int buckets;             // H
    unsigned int slots;               // slots per bucket (at least 5)
};

ZT_HD inline unsigned int findCellEntry(const CellTable& table, unsigned int key) {
    const unsigned int bucket = key % table.buckets;
    unsigned int count = table.bucketCount[bucket];
    if (count > table.slots) count = table.slots;
    for (unsigned int s = 0; s < count; ++s) {
        const unsigned int entry = s * table.buckets + bucket;
        if (table.keys[entry] == key) return entry;
    }
    return kEmptySample;
}

// Enters the cells into the table: `bucketOrder` lists cell numbers sorted by
// bucket (ascending cell number inside a bucket) and `rank` is each one's
// position inside its bucket.
ZT_HD inline void fillHashTable(ElementIndex i, const unsigned int* bucketOrder,
                                const unsigned int* rank, const unsigned int* cells,
                                const unsigned int* pointCellId, unsigned int* bucketCount,
                                unsigned int* tabKeys, unsigned int* tabAddress,
                                unsigned int hashTableSize, unsigned int cellCount) {
    if (i >= cellCount) return;
    const unsigned int cell = bucketOrder[i];
    const unsigned int key = pointCellId[cells[cell]];
    const unsigned int bucket = key % hashTableSize;
    const unsigned int entry = rank[i] * hashTableSize + bucket;
    tabKeys[entry] = key;
    tabAddress[entry] = cells[cell];
    if (i + 1u == cellCount || pointCellId[cells[bucketOrder[i + 1u]]] % hashTableSize != bucket) {
        bucketCount[bucket] = rank[i] + 1u;
    }
}

// Cells that already hold a point accepted in an earlier pass are occupied from
// the start.
ZT_HD inline void updateHashTable(ElementIndex i, const unsigned int* pointCellIds, CellTable table,
                                  const unsigned int* map, unsigned int acceptedSamplesCount,
                                  unsigned int randomsNumber) {
    if (i >= randomsNumber) return;
    const unsigned int p = map[i];
    if (p >= acceptedSamplesCount) return;
    const unsigned int entry = findCellEntry(table, pointCellIds[i]);
    if (entry != kEmptySample) table.samples[entry] = p;
}

// Distance test of the selection: a candidate is rejected by any accepted
// point at distance r or closer.
ZT_HD inline bool withinRadius(float px, float py, float pz, float qx, float qy, float qz,
                               float r) {
    const float dx = px - qx, dy = py - qy, dz = pz - qz;
    return sqrtf(dx * dx + dy * dy + dz * dz) <= r;
}

// One cell of the current phase tries its (t + 1)-th candidate against the
// accepted points of the 5x5x5 block of cells around it.
ZT_HD inline void chooseSamplesInCells(ElementIndex i, const unsigned int* cellIndexes,
                                       unsigned int rangeStart, unsigned int cellCount,
                                       CellTable table, unsigned int stepZ, unsigned int stepY,
                                       short t, float r, const float* x, const float* y,
                                       const float* z, const unsigned int* pointCellIds,
                                       const unsigned int* map, unsigned int randomsNumber) {
    if (i >= cellCount) return;
    const unsigned int sortedPosition = cellIndexes[rangeStart + i];
    const unsigned int key = pointCellIds[sortedPosition];
    const unsigned int own = findCellEntry(table, key);
    if (own == kEmptySample) return;
    if (table.samples[own] != kEmptySample) return;
    const unsigned int k = static_cast<unsigned int>(t) + table.address[own];
    if (k >= randomsNumber || pointCellIds[k] != key) return;
    const unsigned int p = map[k];
    const float px = x[p], py = y[p], pz = z[p];
    for (int oy = -2; oy <= 2; ++oy) {
        for (int oz = -2; oz <= 2; ++oz) {
            for (int ox = -2; ox <= 2; ++ox) {
                const unsigned int neighbour = key + static_cast<unsigned int>(ox) +
                                               static_cast<unsigned int>(oz) * stepZ +
                                               static_cast<unsigned int>(oy) * stepY;
                if (neighbour == key) continue;
                const unsigned int entry = findCellEntry(table, neighbour);
                if (entry == kEmptySample) continue;
                const unsigned int j = table.samples[entry];
                if (j == kEmptySample) continue;
                if (withinRadius(px, py, pz, x[j], y[j], z[j], r)) return;
            }
        }
    }
    table.samples[own] = p;
}

ZT_HD inline void getPointsToCopy(ElementIndex i, unsigned int* pointsToCopy,
                                  const unsigned int* tabSample, unsigned int entryCount) {
    if (i >= entryCount) return;
    pointsToCopy[i] = tabSample[i] != kEmptySample ? 1u : 0u;
}

// Gathers the accepted points in table order; `pointsToCopy` holds the
// exclusive scan of the occupied-entry flags. The last entry is copied by the
// host.
ZT_HD inline void copyAcceptedSamples(ElementIndex i, float* acceptedSamples,
                                      float* acceptedSamplesUV, unsigned int* acceptedSamplesTri,
                                      const unsigned int* pointsToCopy,
                                      const unsigned int* tabSample, const float* x, const float* y,
                                      const float* z, const float* u, const float* v,
                                      const unsigned int* triId, unsigned int entryCount) {
    if (i + 1u >= entryCount) return;
    if (pointsToCopy[i] == pointsToCopy[i + 1u]) return;
    const unsigned int j = tabSample[i];
    const unsigned int o = pointsToCopy[i];
    acceptedSamples[3u * o] = x[j];
    acceptedSamples[3u * o + 1u] = y[j];
    acceptedSamples[3u * o + 2u] = z[j];
    acceptedSamplesUV[2u * o] = u[j];
    acceptedSamplesUV[2u * o + 1u] = v[j];
    acceptedSamplesTri[o] = triId[j];
}
