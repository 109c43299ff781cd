#pragma once
// Homogeneous double point (x, y, z, w). Row-vector convention: p' = p * M.

#include <maya/MStatus.h>
#include <maya/MTypes.h>
#include <maya/MVector.h>

#include <cassert>
#include <iosfwd>

class MFloatPoint;
class MFloatVector;
class MMatrix;

#define MPoint_kTol 1.0e-10

class OPENMAYA_EXPORT MPoint {
public:
    constexpr MPoint() : x(0.0), y(0.0), z(0.0), w(1.0) {}
    MPoint(const MPoint& srcpt) = default;
    MPoint(const MFloatPoint& srcpt);
    // A vector becomes the point it points to (w = 1).
    constexpr MPoint(const MVector& src) : x(src.x), y(src.y), z(src.z), w(1.0) {}
    MPoint(const MFloatVector& src);
    constexpr MPoint(double xx, double yy, double zz = 0.0, double ww = 1.0)
        : x(xx), y(yy), z(zz), w(ww) {}
    MPoint(const double d[4]);
    MPoint(const float d[4]);
    ~MPoint() = default;

    MStatus get(double[4]) const;
    MStatus get(float[4]) const;
    double operator[](unsigned int i) const {
        assert(i < 4);
        return i == 0 ? x : (i == 1 ? y : (i == 2 ? z : w));
    }
    double& operator[](unsigned int i) {
        assert(i < 4);
        return i == 0 ? x : (i == 1 ? y : (i == 2 ? z : w));
    }
    MPoint& operator=(const MPoint& src) = default;

    // Differences and offsets work on the cartesian parts; w is kept.
    MVector operator-(const MPoint& other) const {
        return MVector(x - other.x, y - other.y, z - other.z);
    }
    MPoint operator+(const MVector& other) const {
        return MPoint(x + other.x, y + other.y, z + other.z, w);
    }
    MPoint operator-(const MVector& other) const {
        return MPoint(x - other.x, y - other.y, z - other.z, w);
    }
    MPoint& operator+=(const MVector& vector) {
        x += vector.x;
        y += vector.y;
        z += vector.z;
        return *this;
    }
    MPoint& operator-=(const MVector& vector) {
        x -= vector.x;
        y -= vector.y;
        z -= vector.z;
        return *this;
    }
    MPoint operator*(const double scale) const {
        return MPoint(x * scale, y * scale, z * scale, w);
    }
    MPoint operator/(const double scale) const {
        return MPoint(x / scale, y / scale, z / scale, w);
    }
    // Full homogeneous product with the row vector (x, y, z, w): includes translation.
    MPoint operator*(const MMatrix&) const;
    MPoint& operator*=(const MMatrix&);
    bool operator==(const MPoint& other) const {
        return x == other.x && y == other.y && z == other.z && w == other.w;
    }
    bool operator!=(const MPoint& other) const { return !(*this == other); }

    // Divides x, y, z by w and sets w to 1 (a w of 0 leaves the point unchanged).
    MPoint& cartesianize();
    double distanceTo(const MPoint& other) const;
    bool isEquivalent(const MPoint& other, double tolerance = MPoint_kTol) const;

    friend MPoint operator*(double s, const MPoint& p) { return p * s; }
    // Column vector: matrix times point.
    friend OPENMAYA_EXPORT MPoint operator*(const MMatrix&, const MPoint&);
    // Writes "[x, y, z, w]".
    friend OPENMAYA_EXPORT std::ostream& operator<<(std::ostream& os, const MPoint& p);

    static const MPoint origin;

    double x, y, z, w;
};
