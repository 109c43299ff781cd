#pragma once
// Homogeneous float point (x, y, z, w).

#include <maya/MFloatVector.h>
#include <maya/MStatus.h>
#include <maya/MTypes.h>

#include <cassert>
#include <iosfwd>

class MPoint;
class MVector;
class MFloatMatrix;

#define MFloatPoint_kTol 1.0e-5F

class OPENMAYA_EXPORT MFloatPoint {
public:
    constexpr MFloatPoint() : x(0.0f), y(0.0f), z(0.0f), w(1.0f) {}
    MFloatPoint(const MFloatPoint&) = default;
    MFloatPoint(const MPoint&);
    MFloatPoint(const MVector&);
    constexpr MFloatPoint(const MFloatVector& v) : x(v.x), y(v.y), z(v.z), w(1.0f) {}
    constexpr MFloatPoint(float xx, float yy, float zz = 0.0, float ww = 1.0)
        : x(xx), y(yy), z(zz), w(ww) {}
    MFloatPoint(const float f[4]);
    MFloatPoint(const double d[4]);
    ~MFloatPoint() = default;

    MFloatPoint& operator=(const MFloatPoint&) = default;
    MStatus get(float[4]) const;
    MStatus get(double[4]) const;
    float operator[](unsigned int i) const {
        assert(i < 4);
        return i == 0 ? x : (i == 1 ? y : (i == 2 ? z : w));
    }
    float& operator[](unsigned int i) {
        assert(i < 4);
        return i == 0 ? x : (i == 1 ? y : (i == 2 ? z : w));
    }

    MFloatVector operator-(const MFloatPoint& o) const {
        return MFloatVector(x - o.x, y - o.y, z - o.z);
    }
    MFloatPoint operator+(const MFloatVector& v) const {
        return MFloatPoint(x + v.x, y + v.y, z + v.z, w);
    }
    MFloatPoint operator-(const MFloatVector& v) const {
        return MFloatPoint(x - v.x, y - v.y, z - v.z, w);
    }
    MFloatPoint& operator+=(const MFloatVector& v) {
        x += v.x;
        y += v.y;
        z += v.z;
        return *this;
    }
    MFloatPoint& operator-=(const MFloatVector& v) {
        x -= v.x;
        y -= v.y;
        z -= v.z;
        return *this;
    }
    MFloatPoint operator*(float s) const { return MFloatPoint(x * s, y * s, z * s, w); }
    MFloatPoint operator/(float s) const { return MFloatPoint(x / s, y / s, z / s, w); }
    MFloatPoint operator*(const MFloatMatrix&) const;
    bool operator==(const MFloatPoint& o) const {
        return x == o.x && y == o.y && z == o.z && w == o.w;
    }
    bool operator!=(const MFloatPoint& o) const { return !(*this == o); }

    MFloatPoint& cartesianize();
    float distanceTo(const MFloatPoint& other) const;
    bool isEquivalent(const MFloatPoint& other, float tolerance = MFloatPoint_kTol) const;

    friend OPENMAYA_EXPORT std::ostream& operator<<(std::ostream& os, const MFloatPoint& p);

    static const MFloatPoint origin;

    float x, y, z, w;
};
