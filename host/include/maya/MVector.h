#pragma once
// Three-component double vector. Row-vector convention: v' = v * M.

#include <maya/MStatus.h>
#include <maya/MTypes.h>

#include <cassert>
#include <iosfwd>

class MFloatVector;
class MPoint;
class MFloatPoint;
class MMatrix;
class MQuaternion;

#define MVector_kTol 1.0e-10

class OPENMAYA_EXPORT MVector {
public:
    enum Axis { kXaxis, kYaxis, kZaxis, kWaxis };

    constexpr MVector() : x(0.0), y(0.0), z(0.0) {}
    MVector(const MVector&) = default;
    MVector(const MFloatVector&);
    MVector(const MPoint&);
    MVector(const MFloatPoint&);
    constexpr MVector(double xx, double yy, double zz = 0.0) : x(xx), y(yy), z(zz) {}
    MVector(const double d[3]);
    MVector(const float f[3]);
    ~MVector() = default;

    MVector& operator=(const MVector& src) = default;
    double operator()(unsigned int i) const { return (*this)[i]; }
    double operator[](unsigned int i) const {
        assert(i < 3);
        return i == 0 ? x : (i == 1 ? y : z);
    }
    double& operator()(unsigned int i) { return (*this)[i]; }
    double& operator[](unsigned int i) {
        assert(i < 3);
        return i == 0 ? x : (i == 1 ? y : z);
    }

    // Cross product.
    MVector operator^(const MVector& r) const {
        return MVector(y * r.z - z * r.y, z * r.x - x * r.z, x * r.y - y * r.x);
    }
    // Dot product.
    double operator*(const MVector& r) const { return x * r.x + y * r.y + z * r.z; }
    MVector& operator/=(double scalar) {
        x /= scalar;
        y /= scalar;
        z /= scalar;
        return *this;
    }
    MVector operator/(double scalar) const { return MVector(x / scalar, y / scalar, z / scalar); }
    MVector& operator*=(double scalar) {
        x *= scalar;
        y *= scalar;
        z *= scalar;
        return *this;
    }
    MVector operator*(double scalar) const { return MVector(x * scalar, y * scalar, z * scalar); }
    MVector operator+(const MVector& other) const {
        return MVector(x + other.x, y + other.y, z + other.z);
    }
    MVector& operator+=(const MVector& other) {
        x += other.x;
        y += other.y;
        z += other.z;
        return *this;
    }
    MVector operator-() const { return MVector(-x, -y, -z); }
    MVector operator-(const MVector& other) const {
        return MVector(x - other.x, y - other.y, z - other.z);
    }
    MVector& operator-=(const MVector& other) {
        x -= other.x;
        y -= other.y;
        z -= other.z;
        return *this;
    }
    // Row vector times matrix; a direction, so the translation row is ignored.
    MVector operator*(const MMatrix&) const;
    MVector& operator*=(const MMatrix&);
    bool operator!=(const MVector& other) const { return !(*this == other); }
    bool operator==(const MVector& other) const {
        return x == other.x && y == other.y && z == other.z;
    }

    MVector rotateBy(const MQuaternion&) const;
    // Right-handed rotation by angle (radians) about one of the coordinate axes.
    MVector rotateBy(MVector::Axis axis, const double angle) const;
    MStatus get(double[3]) const;
    double length() const;
    // Unit vector in the same direction. A zero vector has no direction and
    // stays zero, here and in normalize().
    MVector normal() const;
    MStatus normalize();
    // Angle in radians between the two vectors, 0 when either is zero.
    double angle(const MVector& other) const;
    bool isEquivalent(const MVector& other, double tolerance = MVector_kTol) const;

    // Column vector: matrix times vector, again without translation.
    friend OPENMAYA_EXPORT MVector operator*(const MMatrix&, const MVector&);
    friend MVector operator*(int s, const MVector& v) { return v * static_cast<double>(s); }
    friend MVector operator*(double s, const MVector& v) { return v * s; }
    friend MVector operator*(float s, const MVector& v) { return v * static_cast<double>(s); }
    friend MVector operator*(short s, const MVector& v) { return v * static_cast<double>(s); }
    friend MVector operator*(unsigned int s, const MVector& v) {
        return v * static_cast<double>(s);
    }
    friend MVector operator*(unsigned short s, const MVector& v) {
        return v * static_cast<double>(s);
    }
    // Writes "[x, y, z]".
    friend OPENMAYA_EXPORT std::ostream& operator<<(std::ostream& os, const MVector& v);

    static const MVector zero;
    static const MVector one;
    static const MVector xAxis;
    static const MVector yAxis;
    static const MVector zAxis;
    static const MVector xNegAxis;
    static const MVector yNegAxis;
    static const MVector zNegAxis;

    double x, y, z;
};
