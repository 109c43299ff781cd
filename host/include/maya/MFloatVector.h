#pragma once
// Three-component float vector.

#include <maya/MStatus.h>
#include <maya/MTypes.h>

#include <cassert>
#include <iosfwd>

class MVector;
class MFloatPoint;
class MFloatMatrix;

#define MFloatVector_kTol 1.0e-5F

class OPENMAYA_EXPORT MFloatVector {
public:
    constexpr MFloatVector() : x(0.0f), y(0.0f), z(0.0f) {}
    MFloatVector(const MFloatVector&) = default;
    MFloatVector(const MVector&);
    MFloatVector(const MFloatPoint&);
    constexpr MFloatVector(float xx, float yy, float zz = 0.0) : x(xx), y(yy), z(zz) {}
    MFloatVector(const float f[3]);
    MFloatVector(const double d[3]);
    ~MFloatVector() = default;

    MFloatVector& operator=(const MFloatVector& src) = default;
    float operator()(unsigned int i) const { return (*this)[i]; }
    float operator[](unsigned int i) const {
        assert(i < 3);
        return i == 0 ? x : (i == 1 ? y : z);
    }
    float& operator()(unsigned int i) { return (*this)[i]; }
    float& operator[](unsigned int i) {
        assert(i < 3);
        return i == 0 ? x : (i == 1 ? y : z);
    }

    MFloatVector operator^(const MFloatVector& r) const {
        return MFloatVector(y * r.z - z * r.y, z * r.x - x * r.z, x * r.y - y * r.x);
    }
    float operator*(const MFloatVector& r) const { return x * r.x + y * r.y + z * r.z; }
    MFloatVector operator*(float s) const { return MFloatVector(x * s, y * s, z * s); }
    MFloatVector& operator*=(float s) {
        x *= s;
        y *= s;
        z *= s;
        return *this;
    }
    MFloatVector operator/(float s) const { return MFloatVector(x / s, y / s, z / s); }
    MFloatVector& operator/=(float s) {
        x /= s;
        y /= s;
        z /= s;
        return *this;
    }
    MFloatVector operator+(const MFloatVector& o) const {
        return MFloatVector(x + o.x, y + o.y, z + o.z);
    }
    MFloatVector& operator+=(const MFloatVector& o) {
        x += o.x;
        y += o.y;
        z += o.z;
        return *this;
    }
    MFloatVector operator-() const { return MFloatVector(-x, -y, -z); }
    MFloatVector operator-(const MFloatVector& o) const {
        return MFloatVector(x - o.x, y - o.y, z - o.z);
    }
    MFloatVector& operator-=(const MFloatVector& o) {
        x -= o.x;
        y -= o.y;
        z -= o.z;
        return *this;
    }
    // Row vector times matrix, without translation.
    MFloatVector operator*(const MFloatMatrix&) const;
    bool operator==(const MFloatVector& o) const { return x == o.x && y == o.y && z == o.z; }
    bool operator!=(const MFloatVector& o) const { return !(*this == o); }

    MStatus get(float[3]) const;
    float length() const;
    MFloatVector normal() const;
    MStatus normalize();
    float angle(const MFloatVector& other) const;
    bool isEquivalent(const MFloatVector& other, float tolerance = MFloatVector_kTol) const;

    friend MFloatVector operator*(float s, const MFloatVector& v) { return v * s; }
    friend MFloatVector operator*(double s, const MFloatVector& v) {
        return v * static_cast<float>(s);
    }
    friend MFloatVector operator*(int s, const MFloatVector& v) {
        return v * static_cast<float>(s);
    }
    friend OPENMAYA_EXPORT std::ostream& operator<<(std::ostream& os, const MFloatVector& v);

    static const MFloatVector zero;
    static const MFloatVector one;
    static const MFloatVector xAxis;
    static const MFloatVector yAxis;
    static const MFloatVector zAxis;
    static const MFloatVector xNegAxis;
    static const MFloatVector yNegAxis;
    static const MFloatVector zNegAxis;

    float x, y, z;
};
