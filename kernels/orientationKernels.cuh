#pragma once
// The aim and up vectors of a point from its R, G, B numbers, a normal and a
// unit tangent direction: shared by the orientation kernel, which first
// chooses the direction, and the re-planting kernel, which rebuilds the same
// frame on a moved mesh. Keeping one body keeps the two bit for bit alike.
// Included by the kernel units that use it.

#include "kernels/vectorKernels.cuh"

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
