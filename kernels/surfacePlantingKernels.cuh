// Per-point body of the re-planting kernel (kernels/surfacePlanting.h).
// Single precision in a fixed order; the bounds of the edge choice and the
// sign test of the distance are compared in double precision.
// Included by ztNodes.cu inside each backend's namespace.

#include "kernels/orientationKernels.cuh"
#include "kernels/vectorKernels.cuh"

// Edge 0 unless edge 1 or 2 (in this order) has a strictly larger |d| and
// lies inside (-10, 10). Edge 0 is kept even when |d0| >= 10: some edge must
// carry the direction.
ZT_HD inline unsigned int replantEdge(float d0, float d1, float d2) {
    unsigned int k = 0;
    float largest = fabsf(d0);
    const double d1d = d1, d2d = d2;
    if (fabsf(d1) > largest && d1d > -10.0 && d1d < 10.0) {
        k = 1;
        largest = fabsf(d1);
    }
    if (fabsf(d2) > largest && d2d > -10.0 && d2d < 10.0) k = 2;
    return k;
}

// Whether a stored edge parameter is a true crossing of the edge with the
// point's tangent line (on a curved mesh: with the plane of that line and the
// normal). Where the line runs (nearly) parallel to an edge the orientation
// kernel clamps the parameter to [-100, 100] and measures the distance to
// the clamped point, which is no crossing.
ZT_HD inline bool isTrueCrossing(float s) {
    return s > -100.0f && s < 100.0f;
}

// The edge whose crossing carries the direction: the one replantEdge picks,
// unless its crossing is a clamped one; then the edge with the largest |d|
// among the true crossings. (The rule alone keeps edge 0 whenever its |d| is
// largest, which is exactly the case of a line nearly parallel to edge 0:
// the clamped crossing then turns the rebuilt direction by up to a few
// thousandths on ordinary triangles.)
ZT_HD inline unsigned int directionEdge(const Vec3f& s, const Vec3f& d) {
    const float edgeS[3] = {s.x, s.y, s.z};
    const float edgeD[3] = {d.x, d.y, d.z};
    unsigned int k = replantEdge(d.x, d.y, d.z);
    if (isTrueCrossing(edgeS[k])) return k;
    float largest = -1.0f;
    for (unsigned int e = 0; e < 3; ++e) {
        if (isTrueCrossing(edgeS[e]) && fabsf(edgeD[e]) > largest) {
            k = e;
            largest = fabsf(edgeD[e]);
        }
    }
    return k;
}

struct PlantArgs {
    const unsigned int* samplesTriID = nullptr;  // n
    const float* uvs = nullptr;                  // 2n
    const float* rgb = nullptr;                  // 3n
    const float* intersection = nullptr;         // 3n
    const float* distanceToEdge = nullptr;       // 3n
    const float* normal = nullptr;               // 3n smooth normals at the points
    const float* meshPoints = nullptr;           // 3V
    const unsigned int* triIds = nullptr;        // 3T
    float* position = nullptr;                   // 3n out
    float* aim = nullptr;                        // 3n out
    float* up = nullptr;                         // 3n out
    unsigned int numSamples = 0;
};

ZT_HD inline void computeSampleOnMesh(ElementIndex i, const PlantArgs& args) {
    if (i >= args.numSamples) return;
    const std::size_t t = args.samplesTriID[i];
    const unsigned int corner[3] = {args.triIds[3 * t], args.triIds[3 * t + 1],
                                    args.triIds[3 * t + 2]};
    const Vec3f pa = loadVec3f(args.meshPoints, corner[0]);
    const Vec3f pb = loadVec3f(args.meshPoints, corner[1]);
    const Vec3f pc = loadVec3f(args.meshPoints, corner[2]);
    const float u = args.uvs[2 * static_cast<std::size_t>(i)];
    const float v = args.uvs[2 * static_cast<std::size_t>(i) + 1];
    const Vec3f p = addVec3f(
        addVec3f(subVec3f(subVec3f(pa, scaleVec3f(u, pa)), scaleVec3f(v, pa)), scaleVec3f(u, pb)),
        scaleVec3f(v, pc));

    // The tangent direction from the chosen edge's crossing point Q. The
    // orientation kernel stored Q with Q - p = lambda dir + mu n (mu = 0 on a
    // flat mesh), so dir is Q - p without its component along the normal,
    // over lambda: the unit vector towards Q in the tangent plane, reversed
    // when lambda is negative. On a deformed mesh this is the direction
    // towards where that edge point went, laid into the current tangent plane.
    //
    // Why not the seemingly simpler frame of the unit from Q towards p and the
    // negated flat face normal, with the aim negated at the end: negating both
    // the normal and the direction leaves the blended vector and n x dir
    // negated too, but the G turn about -n and the B roll about -aim then run
    // the other way round. That frame matches the stored one only when G and B
    // are zero, and the flat face normal is not the smooth normal the points
    // were oriented with. Rebuilding the very n and dir the orientation kernel
    // used, and the same orientFromRotation body, gives every point back its
    // own aim and up on the unchanged mesh for any R, G, B.
    const Vec3f n = loadVec3f(args.normal, i);
    const Vec3f d = loadVec3f(args.distanceToEdge, i);
    const Vec3f edgeS = loadVec3f(args.intersection, i);
    const unsigned int k = directionEdge(edgeS, d);
    const float lambda = k == 0 ? d.x : (k == 1 ? d.y : d.z);
    const Vec3f start = loadVec3f(args.meshPoints, corner[k]);
    const Vec3f end = loadVec3f(args.meshPoints, corner[(k + 1) % 3]);
    const float s = k == 0 ? edgeS.x : (k == 1 ? edgeS.y : edgeS.z);
    const Vec3f q = addVec3f(start, scaleVec3f(s, subVec3f(end, start)));
    const Vec3f toEdge = subVec3f(q, p);
    const float normalSquared = dotVec3f(n, n);
    const float alongNormal = normalSquared > 0.0f ? dotVec3f(n, toEdge) / normalSquared : 0.0f;
    const Vec3f tangent = subVec3f(toEdge, scaleVec3f(alongNormal, n));
    const float length = lengthVec3f(tangent);
    Vec3f dir = {tangent.x / length, tangent.y / length, tangent.z / length};
    if (static_cast<double>(lambda) < 0.0) dir = scaleVec3f(-1.0f, dir);

    // The same frame the orientation kernel built, about the point's smooth
    // normal on the current mesh (what the scatter stores as "normal").
    const Vec3f rgb = loadVec3f(args.rgb, i);
    const AimAndUp frame = orientFromRotation(n, dir, rgb.x, rgb.y, rgb.z);
    storeVec3f(args.position, i, p);
    storeVec3f(args.aim, i, frame.aim);
    storeVec3f(args.up, i, frame.up);
}
