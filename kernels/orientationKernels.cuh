#pragma once
// The crossings of a point's tangent line with its triangle's edges, and the
// aim and up vectors of a point from its R, G, B numbers, a normal and a
// unit tangent direction: shared by the orientation kernel, which first
// chooses the direction, and the re-planting kernel, which rebuilds the
// direction from the stored crossings and the same frame on a moved mesh.
// Keeping one body keeps the two bit for bit alike.
// Included by the kernel units that use it.

#include "kernels/vectorKernels.cuh"

// The coordinate plane in which the orientation kernel solves for the point
// where the line along dir meets the line of an edge: 0 for xy, 1 for xz,
// 2 for yz, the first whose denominator dir_P x edge_P (the 2D cross
// product) is at least 0.01 in magnitude, yz when neither xy nor xz is.
// The re-planting kernel uses it to tell which plane a stored crossing was
// solved in.
ZT_HD inline float edgeCrossingDenominator(const Vec3f& dir, const Vec3f& edge,
                                           unsigned int plane) {
    if (plane == 0) return dir.y * edge.x - dir.x * edge.y;
    if (plane == 1) return dir.z * edge.x - dir.x * edge.z;
    return dir.y * edge.z - dir.z * edge.y;
}

ZT_HD inline unsigned int edgeCrossingPlane(const Vec3f& dir, const Vec3f& edge) {
    if (fabs(static_cast<double>(edgeCrossingDenominator(dir, edge, 0))) >= 0.01) return 0;
    if (fabs(static_cast<double>(edgeCrossingDenominator(dir, edge, 1))) >= 0.01) return 1;
    return 2;
}

// a if x < a, b if x > b, else x (a NaN passes through).
ZT_HD inline float clampRotation(float x, float a, float b) {
    if (x < a) return a;
    if (x > b) return b;
    return x;
}

// Where the line p + lambda dir meets the line S + s E: the edge parameter s,
// solved in the first coordinate plane where the lines are not close to
// parallel, clamped to [-100, 100], and the distance lambda along dir.
// Written by the orientation kernel; the re-planting kernel reruns it to
// check a rebuilt direction against the stored numbers.
ZT_HD inline void intersectEdge(const Vec3f& p, const Vec3f& dir, const Vec3f& start,
                                const Vec3f& edge, float& s, float& lambda) {
    const unsigned int plane = edgeCrossingPlane(dir, edge);
    const float q = edgeCrossingDenominator(dir, edge, plane);
    if (plane == 0) {
        s = (dir.x * (start.y - p.y) - dir.y * (start.x - p.x)) / q;
    } else if (plane == 1) {
        s = (dir.x * (start.z - p.z) - dir.z * (start.x - p.x)) / q;
    } else {
        s = q == 0.0f ? 100.0f : (dir.z * (start.y - p.y) - dir.y * (start.z - p.z)) / q;
    }
    s = clampRotation(s, -100.0f, 100.0f);
    if (fabs(static_cast<double>(dir.x)) > 0.1) {
        lambda = (start.x + edge.x * s - p.x) / dir.x;
    } else if (fabs(static_cast<double>(dir.y)) > 0.1) {
        lambda = (start.y + edge.y * s - p.y) / dir.y;
    } else if (fabs(static_cast<double>(dir.z)) > 0.1) {
        lambda = (start.z + edge.z * s - p.z) / dir.z;
    } else {
        lambda = 100.0f;
    }
}

// Turns in radians, the product formed in double precision.
ZT_HD inline float turnsToRadians(float turns) {
    return static_cast<float>(static_cast<double>(turns) * 6.28318530718);
}

struct AimAndUp {
    Vec3f aim;
    Vec3f up;
};

// Aim: blend of the normal n and the tangent direction dir (reversed for a
// negative R), turned by G whole turns about n. Up: n x dir turned the same
// way, then rolled by B whole turns about the aim. n is used as given.
ZT_HD inline AimAndUp orientFromRotation(const Vec3f& n, const Vec3f& dir, float r, float g,
                                         float b) {
    const float blend = r < 0.0f ? -r : r;
    const Vec3f side = r < 0.0f ? scaleVec3f(-1.0f, dir) : dir;
    const Vec3f v = addVec3f(scaleVec3f(1.0f - blend, n), scaleVec3f(blend, side));
    const Mat3f turn = rodriguesMat3f(n, turnsToRadians(g));
    AimAndUp result;
    result.aim = mulMat3f(turn, v);
    const Vec3f turnedUp = mulMat3f(turn, crossVec3f(n, dir));
    result.up = mulMat3f(rodriguesMat3f(result.aim, turnsToRadians(b)), turnedUp);
    return result;
}
