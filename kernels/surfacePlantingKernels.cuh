// Per-point body of the re-planting kernel (kernels/surfacePlanting.h).
// Single precision in a fixed order, apart from the way from the point to
// each stored crossing, formed in double precision; the bounds of the edge
// choice and of the direction checks are compared in double precision.
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
// point's tangent line (on a curved mesh: with that line as seen in the
// coordinate plane it was solved in). Where the line runs (nearly) parallel
// to an edge the orientation kernel clamps the parameter to [-100, 100] and
// measures the distance to the clamped point, which is no crossing.
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

ZT_HD inline float componentVec3f(const Vec3f& v, unsigned int axis) {
    return axis == 0 ? v.x : (axis == 1 ? v.y : v.z);
}

// A unit tangent direction, up to its sign, that the crossing X of an edge
// solved in the coordinate plane `plane` (0 xy, 1 xz, 2 yz, as
// edgeCrossingPlane numbers them) could have come from: one with X - p and
// dir parallel in that plane and dir . n = 0. With a the axis normal to the
// plane and w = X - p it is n x (w x e_a) = (n . e_a) w - (n . w) e_a, which
// is (n . e_a) mu dir when w = mu dir + delta e_a. False where the plane
// leaves no direction (the normal lies in the plane, or w is along its axis).
ZT_HD inline bool directionInPlane(const Vec3f& n, const Vec3f& w, unsigned int plane, Vec3f& dir) {
    const unsigned int axis = 2 - plane;
    const float nw = dotVec3f(n, w);
    Vec3f c = scaleVec3f(componentVec3f(n, axis), w);
    Vec3f inPlane = c;
    if (axis == 0) {
        c.x -= nw;
        inPlane.x = 0.0f;
    } else if (axis == 1) {
        c.y -= nw;
        inPlane.y = 0.0f;
    } else {
        c.z -= nw;
        inPlane.z = 0.0f;
    }
    const float length = lengthVec3f(c);
    if (!(length > 0.0f) || !(static_cast<double>(lengthVec3f(inPlane)) >= 1e-3 * length))
        return false;
    dir = scaleVec3f(1.0f / length, c);
    return true;
}

// Turns a candidate direction to the sign edge k's stored distance gives it,
// and says how far it is from explaining the stored distances. The
// orientation kernel stored lambda = (X - p)_c / dir_c for the first axis c
// with |dir_c| > 0.1, so for the right direction and that axis
// (X_e - p)_c - lambda_e dir_c vanishes on every edge e with a true crossing.
// The sign is the one that fits edge k best on some axis the rule could have
// taken (any with |dir_c| > 0.1, which also covers a mesh turned by quarter
// turns, where the axes trade places); the result is the smallest sum over
// the usable edges on such an axis, negative when no axis qualifies.
ZT_HD inline float orientByDistances(Vec3f& dir, const Vec3f crossing[3], const float lambda[3],
                                     const bool usable[3], unsigned int k) {
    float bestFit = -1.0f;
    bool reverse = false;
    for (unsigned int axis = 0; axis < 3; ++axis) {
        const float dirAxis = componentVec3f(dir, axis);
        if (!(fabs(static_cast<double>(dirAxis)) > 0.1)) continue;
        const float w = componentVec3f(crossing[k], axis);
        const float along = fabsf(w - lambda[k] * dirAxis);
        const float against = fabsf(w + lambda[k] * dirAxis);
        if (bestFit < 0.0f || along < bestFit || against < bestFit) {
            bestFit = along < against ? along : against;
            reverse = against < along;
        }
    }
    if (bestFit < 0.0f) return -1.0f;
    if (reverse) dir = scaleVec3f(-1.0f, dir);
    float smallest = -1.0f;
    for (unsigned int axis = 0; axis < 3; ++axis) {
        const float dirAxis = componentVec3f(dir, axis);
        if (!(fabs(static_cast<double>(dirAxis)) > 0.1)) continue;
        float sum = 0.0f;
        for (unsigned int e = 0; e < 3; ++e)
            if (usable[e]) sum += fabsf(componentVec3f(crossing[e], axis) - lambda[e] * dirAxis);
        if (smallest < 0.0f || sum < smallest) smallest = sum;
    }
    return smallest;
}

// A unit tangent direction, with its sign, from the crossing w = X - p of an
// edge solved in `plane` and the stored distance lambda, where lambda was
// measured along an axis of that plane: then w's in-plane part is lambda
// times dir's, and the unit length gives the out-of-plane component, its sign
// the one that makes dir . n smaller. This one keeps its precision where the
// normal nearly lies in the plane and directionInPlane loses it. False when
// lambda is 0, w's in-plane part is longer than lambda, or the result is not
// a tangent.
ZT_HD inline bool directionFromDistance(const Vec3f& n, const Vec3f& w, float lambda,
                                        unsigned int plane, Vec3f& dir) {
    if (lambda == 0.0f) return false;
    const unsigned int axis = 2 - plane;
    Vec3f inPlane = scaleVec3f(1.0f / lambda, w);
    if (axis == 0) inPlane.x = 0.0f;
    if (axis == 1) inPlane.y = 0.0f;
    if (axis == 2) inPlane.z = 0.0f;
    const float rest = 1.0f - dotVec3f(inPlane, inPlane);
    if (!(static_cast<double>(rest) > -1e-4)) return false;
    const float out = rest > 0.0f ? sqrtf(rest) : 0.0f;
    Vec3f up = inPlane, down = inPlane;
    if (axis == 0) {
        up.x = out;
        down.x = -out;
    } else if (axis == 1) {
        up.y = out;
        down.y = -out;
    } else {
        up.z = out;
        down.z = -out;
    }
    dir = fabsf(dotVec3f(up, n)) <= fabsf(dotVec3f(down, n)) ? up : down;
    const float length = lengthVec3f(dir);
    dir = scaleVec3f(1.0f / length, dir);
    // Where lambda was measured along the plane's own axis, dir . n vanishes
    // up to rounding; a distance measured off the plane gives a wrong scale.
    return static_cast<double>(fabsf(dotVec3f(dir, n))) <= 1e-4 * lengthVec3f(n);
}

// How far a candidate direction is from the stored numbers, in lengths. The
// orientation kernel's crossing computation, rerun with the candidate, gives
// parameters s'; a parameter off by ds moves the crossing across the line by
// about |ds q| (q the denominator it was solved with), which stays within
// the rounding of the coordinates even where q is small and s itself is
// poorly determined. The stored distance satisfies lambda dir_c = (X - p)_c
// for the axis c the rule takes, with X from the stored parameter, to the
// rounding of one division.
ZT_HD inline float crossingMismatch(const Vec3f& dir, const Vec3f& p, const Vec3f starts[3],
                                    const Vec3f edges[3], const float parameter[3],
                                    const Vec3f crossing[3], const float lambda[3],
                                    const bool usable[3]) {
    unsigned int axis = 0;
    while (axis < 2 && !(fabs(static_cast<double>(componentVec3f(dir, axis))) > 0.1)) ++axis;
    float sum = 0.0f;
    for (unsigned int e = 0; e < 3; ++e) {
        if (!usable[e]) continue;
        float s = 0.0f, l = 0.0f;
        intersectEdge(p, dir, starts[e], edges[e], s, l);
        const float q = edgeCrossingDenominator(dir, edges[e], edgeCrossingPlane(dir, edges[e]));
        sum += fabsf((s - parameter[e]) * q) +
               fabsf(componentVec3f(crossing[e], axis) - lambda[e] * componentVec3f(dir, axis));
    }
    return sum;
}

// How well edge k's stored numbers fix a candidate, larger is better: its
// parameter was solved with the denominator q, whose rounding moves the
// crossing by about |E| / |q| times the rounding of the coordinates, which
// turns the direction by that over the distance |w| to the crossing.
// directionInPlane divides the rounding of the crossing's component off the
// plane by the normal's component off the plane, directionFromDistance by
// the direction's.
ZT_HD inline float candidateQuality(const Vec3f& n, const Vec3f& dir, const Vec3f& w,
                                    const Vec3f& edge, unsigned int plane, bool fromDistance) {
    const float q =
        fabsf(edgeCrossingDenominator(dir, edge, edgeCrossingPlane(dir, edge))) / lengthVec3f(edge);
    const unsigned int axis = 2 - plane;
    const float planeFactor = fromDistance ? fabsf(componentVec3f(dir, axis))
                                           : fabsf(componentVec3f(n, axis)) / lengthVec3f(n);
    return q * lengthVec3f(w) * planeFactor;
}

// The direction the orientation kernel stored through the crossings. Each
// usable edge e (a true crossing, w_e = X_e - p) and each coordinate plane
// offer candidates: directionInPlane, turned by orientByDistances, and
// directionFromDistance. On a curved mesh the planes' candidates differ, and
// the right one is the one for which the orientation kernel's own crossing
// computation gives back every stored parameter and distance
// (crossingMismatch). Candidates that do so within the rounding of the
// best one are all right up to rounding; of those the best determined one
// is taken (candidateQuality): a candidate rebuilt from a crossing solved
// with a small denominator carries that crossing's rounding. Where none
// comes within a small tolerance (the mesh moved or deformed), edge
// `first`'s directionInPlane candidate that comes nearest to the stored
// distances (orientByDistances, which also holds on a mesh turned by quarter
// turns) carries the direction, or the next usable edge's when it has none;
// directionFromDistance takes lambda for a length, which holds only on the
// mesh it was measured on. False when no edge offers a direction.
ZT_HD inline bool directionFromCrossings(const Vec3f& n, const Vec3f& p, const Vec3f starts[3],
                                         const Vec3f edges[3], const float parameter[3],
                                         const Vec3f crossing[3], const float lambda[3],
                                         const bool usable[3], unsigned int first, Vec3f& dir) {
    float scale = 0.0f;
    for (unsigned int e = 0; e < 3; ++e)
        if (usable[e]) scale += lengthVec3f(crossing[e]) + lengthVec3f(edges[e]);
    const float tolerance = 1e-4f * scale;
    Vec3f candidates[18];
    float reproduction[18], quality[18];
    unsigned int count = 0;
    bool found = false;
    unsigned int foundEdge = 0;
    float nearestMismatch = 0.0f;
    for (unsigned int step = 0; step < 3; ++step) {
        const unsigned int k = (first + step) % 3;
        if (!usable[k]) continue;
        for (unsigned int plane = 0; plane < 3; ++plane) {
            for (unsigned int kind = 0; kind < 2; ++kind) {
                Vec3f candidate;
                float mismatch = 0.0f;
                if (kind == 0) {
                    if (!directionInPlane(n, crossing[k], plane, candidate)) continue;
                    mismatch = orientByDistances(candidate, crossing, lambda, usable, k);
                    if (mismatch < 0.0f) continue;
                    if (!found || (k == foundEdge && mismatch < nearestMismatch)) {
                        found = true;
                        foundEdge = k;
                        nearestMismatch = mismatch;
                        dir = candidate;
                    }
                } else {
                    if (!directionFromDistance(n, crossing[k], lambda[k], plane, candidate))
                        continue;
                    Vec3f turned = candidate;
                    mismatch = orientByDistances(turned, crossing, lambda, usable, k);
                    if (mismatch < 0.0f) continue;
                }
                // The right direction fits the stored distances to rounding;
                // the full check below reruns the crossing computation.
                if (!(mismatch <= tolerance)) continue;
                candidates[count] = candidate;
                reproduction[count] = crossingMismatch(candidate, p, starts, edges, parameter,
                                                       crossing, lambda, usable);
                quality[count] =
                    candidateQuality(n, candidate, crossing[k], edges[k], plane, kind == 1);
                ++count;
            }
        }
    }
    int best = -1;
    for (unsigned int c = 0; c < count; ++c)
        if (best < 0 || reproduction[c] < reproduction[best]) best = static_cast<int>(c);
    if (best < 0 || !(reproduction[best] <= tolerance)) return found;
    const float withinRounding = 3.0f * reproduction[best] + 1e-6f * scale;
    for (unsigned int c = 0; c < count; ++c)
        if (reproduction[c] <= withinRounding && quality[c] > quality[best])
            best = static_cast<int>(c);
    dir = candidates[best];
    return true;
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

    // The tangent direction from the crossing points Q. The orientation
    // kernel solved each Q in a coordinate plane, so Q - p and dir are
    // parallel there, and dir . n = 0; the plane is the one whose rebuilt
    // direction gives back all the stored numbers (directionFromCrossings).
    // On a flat mesh Q - p is lambda dir in every plane. On the unchanged
    // mesh every true crossing leads to the same direction, and the best
    // determined one is taken; on a moved or deformed mesh the chosen edge's
    // crossing carries it: the direction towards where that edge point went,
    // in the current tangent plane.
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
    const float lambda[3] = {d.x, d.y, d.z};
    const float edgeParameter[3] = {edgeS.x, edgeS.y, edgeS.z};
    const Vec3f starts[3] = {pa, pb, pc};
    const Vec3f edges[3] = {subVec3f(pb, pa), subVec3f(pc, pb), subVec3f(pa, pc)};
    Vec3f crossing[3];
    bool usable[3];
    for (unsigned int e = 0; e < 3; ++e) {
        // X - p in double precision: the crossings of a small triangle lie
        // close to p, and the difference of two float points would keep
        // few of its digits.
        const double s = edgeParameter[e];
        crossing[e] = {static_cast<float>(static_cast<double>(starts[e].x) - p.x + s * edges[e].x),
                       static_cast<float>(static_cast<double>(starts[e].y) - p.y + s * edges[e].y),
                       static_cast<float>(static_cast<double>(starts[e].z) - p.z + s * edges[e].z)};
        usable[e] = isTrueCrossing(edgeParameter[e]);
    }
    const unsigned int k = directionEdge(edgeS, d);
    Vec3f dir;
    if (!directionFromCrossings(n, p, starts, edges, edgeParameter, crossing, lambda, usable, k,
                                dir)) {
        // No crossing offers a direction (a degenerate triangle or normal):
        // the way to the chosen edge's crossing in the tangent plane.
        const float normalSquared = dotVec3f(n, n);
        const float alongNormal =
            normalSquared > 0.0f ? dotVec3f(n, crossing[k]) / normalSquared : 0.0f;
        const Vec3f tangent = subVec3f(crossing[k], scaleVec3f(alongNormal, n));
        const float length = lengthVec3f(tangent);
        dir = {tangent.x / length, tangent.y / length, tangent.z / length};
        if (static_cast<double>(lambda[k]) < 0.0) dir = scaleVec3f(-1.0f, dir);
    }

    // The same frame the orientation kernel built, about the point's smooth
    // normal on the current mesh (what the scatter stores as "normal").
    const Vec3f rgb = loadVec3f(args.rgb, i);
    const AimAndUp frame = orientFromRotation(n, dir, rgb.x, rgb.y, rgb.z);
    storeVec3f(args.position, i, p);
    storeVec3f(args.aim, i, frame.aim);
    storeVec3f(args.up, i, frame.up);
}
