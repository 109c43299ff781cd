#pragma once
// Three-component float vectors for kernel bodies. Every operation is written
// out component by component in a fixed order, so that both backends (built
// without contraction into fused multiply-adds) give the same bits.
// Included by the kernel units that use it.

struct Vec3f {
    float x, y, z;
};

ZT_HD inline Vec3f loadVec3f(const float* values, std::size_t i) {
    return {values[3 * i], values[3 * i + 1], values[3 * i + 2]};
}

ZT_HD inline void storeVec3f(float* values, std::size_t i, const Vec3f& v) {
    values[3 * i] = v.x;
    values[3 * i + 1] = v.y;
    values[3 * i + 2] = v.z;
}

ZT_HD inline Vec3f addVec3f(const Vec3f& a, const Vec3f& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}

ZT_HD inline Vec3f subVec3f(const Vec3f& a, const Vec3f& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

ZT_HD inline Vec3f scaleVec3f(float s, const Vec3f& a) {
    return {s * a.x, s * a.y, s * a.z};
}

ZT_HD inline float dotVec3f(const Vec3f& a, const Vec3f& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

ZT_HD inline Vec3f crossVec3f(const Vec3f& a, const Vec3f& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

ZT_HD inline float lengthVec3f(const Vec3f& a) {
    return sqrtf(dotVec3f(a, a));
}

// Row-major 3 x 3 matrix.
struct Mat3f {
    float m[9];
};

ZT_HD inline Vec3f mulMat3f(const Mat3f& a, const Vec3f& v) {
    return {a.m[0] * v.x + a.m[1] * v.y + a.m[2] * v.z, a.m[3] * v.x + a.m[4] * v.y + a.m[5] * v.z,
            a.m[6] * v.x + a.m[7] * v.y + a.m[8] * v.z};
}

// Rotation by `angle` radians about `axis` in Rodrigues form,
// cos(angle) I + (1 - cos(angle)) axis axis^T + sin(angle) [axis]x, with the
// axis taken as given (a unit axis gives a pure rotation).
ZT_HD inline Mat3f rodriguesMat3f(const Vec3f& axis, float angle) {
    const float c = cosf(angle);
    const float s = sinf(angle);
    const float t = 1.0f - c;
    const float a[3] = {axis.x, axis.y, axis.z};
    // [axis]x, the cross-product matrix: [axis]x v = axis x v.
    const float k[9] = {0.0f, -axis.z, axis.y, axis.z, 0.0f, -axis.x, -axis.y, axis.x, 0.0f};
    Mat3f result;
    for (int r = 0; r < 3; ++r) {
        for (int col = 0; col < 3; ++col) {
            const float identity = r == col ? c : 0.0f;
            result.m[3 * r + col] = identity + t * a[r] * a[col] + s * k[3 * r + col];
        }
    }
    return result;
}
