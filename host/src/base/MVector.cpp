#include <maya/MFloatMatrix.h>
#include <maya/MFloatPoint.h>
#include <maya/MFloatVector.h>
#include <maya/MMatrix.h>
#include <maya/MPoint.h>
#include <maya/MQuaternion.h>
#include <maya/MVector.h>

#include <cmath>
#include <ostream>

#include "base/numberFormat.h"

using zt::host::formatNumber;

// Constant-initialised (constexpr constructors), so other static objects of
// the library may use them during start-up.
const MVector MVector::zero(0.0, 0.0, 0.0);
const MVector MVector::one(1.0, 1.0, 1.0);
const MVector MVector::xAxis(1.0, 0.0, 0.0);
const MVector MVector::yAxis(0.0, 1.0, 0.0);
const MVector MVector::zAxis(0.0, 0.0, 1.0);
const MVector MVector::xNegAxis(-1.0, 0.0, 0.0);
const MVector MVector::yNegAxis(0.0, -1.0, 0.0);
const MVector MVector::zNegAxis(0.0, 0.0, -1.0);

MVector::MVector(const MFloatVector& v) : x(v.x), y(v.y), z(v.z) {}
MVector::MVector(const MPoint& p) : x(p.x), y(p.y), z(p.z) {}
MVector::MVector(const MFloatPoint& p) : x(p.x), y(p.y), z(p.z) {}
MVector::MVector(const double d[3]) : x(d[0]), y(d[1]), z(d[2]) {}
MVector::MVector(const float f[3]) : x(f[0]), y(f[1]), z(f[2]) {}

MVector MVector::operator*(const MMatrix& m) const {
    const auto& a = m.matrix;
    return MVector(x * a[0][0] + y * a[1][0] + z * a[2][0], x * a[0][1] + y * a[1][1] + z * a[2][1],
                   x * a[0][2] + y * a[1][2] + z * a[2][2]);
}

MVector& MVector::operator*=(const MMatrix& m) {
    return *this = *this * m;
}

MVector operator*(const MMatrix& m, const MVector& v) {
    const auto& a = m.matrix;
    return MVector(a[0][0] * v.x + a[0][1] * v.y + a[0][2] * v.z,
                   a[1][0] * v.x + a[1][1] * v.y + a[1][2] * v.z,
                   a[2][0] * v.x + a[2][1] * v.y + a[2][2] * v.z);
}

MVector MVector::rotateBy(const MQuaternion& q) const {
    const double norm = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w);
    if (norm == 0.0 || !std::isfinite(norm)) return *this;
    const MVector u(q.x / norm, q.y / norm, q.z / norm);
    const double w = q.w / norm;
    // v' = q v q*, expanded: two cross products instead of a matrix.
    const MVector t = (u ^ *this) * 2.0;
    return *this + t * w + (u ^ t);
}

MVector MVector::rotateBy(MVector::Axis axis, const double angle) const {
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    switch (axis) {
        case kXaxis:
            return MVector(x, y * c - z * s, y * s + z * c);
        case kYaxis:
            return MVector(x * c + z * s, y, -x * s + z * c);
        case kZaxis:
            return MVector(x * c - y * s, x * s + y * c, z);
        case kWaxis:
            break;
    }
    return *this;
}

MStatus MVector::get(double d[3]) const {
    if (d == nullptr) return MS::kInvalidParameter;
    d[0] = x;
    d[1] = y;
    d[2] = z;
    return MS::kSuccess;
}

double MVector::length() const {
    return std::sqrt(x * x + y * y + z * z);
}

MVector MVector::normal() const {
    MVector result(*this);
    result.normalize();
    return result;
}

MStatus MVector::normalize() {
    const double len = length();
    if (len > 0.0) *this /= len;
    return MS::kSuccess;
}

double MVector::angle(const MVector& other) const {
    // atan2 keeps full precision for nearly parallel vectors, where acos does not.
    return std::atan2((*this ^ other).length(), *this * other);
}

bool MVector::isEquivalent(const MVector& other, double tolerance) const {
    return std::fabs(x - other.x) <= tolerance && std::fabs(y - other.y) <= tolerance &&
           std::fabs(z - other.z) <= tolerance;
}

std::ostream& operator<<(std::ostream& os, const MVector& v) {
    return os << '[' << v.x << ", " << v.y << ", " << v.z << ']';
}

// MFloatVector

const MFloatVector MFloatVector::zero(0.0f, 0.0f, 0.0f);
const MFloatVector MFloatVector::one(1.0f, 1.0f, 1.0f);
const MFloatVector MFloatVector::xAxis(1.0f, 0.0f, 0.0f);
const MFloatVector MFloatVector::yAxis(0.0f, 1.0f, 0.0f);
const MFloatVector MFloatVector::zAxis(0.0f, 0.0f, 1.0f);
const MFloatVector MFloatVector::xNegAxis(-1.0f, 0.0f, 0.0f);
const MFloatVector MFloatVector::yNegAxis(0.0f, -1.0f, 0.0f);
const MFloatVector MFloatVector::zNegAxis(0.0f, 0.0f, -1.0f);

MFloatVector::MFloatVector(const MVector& v)
    : x(static_cast<float>(v.x)), y(static_cast<float>(v.y)), z(static_cast<float>(v.z)) {}
MFloatVector::MFloatVector(const MFloatPoint& p) : x(p.x), y(p.y), z(p.z) {}
MFloatVector::MFloatVector(const float f[3]) : x(f[0]), y(f[1]), z(f[2]) {}
MFloatVector::MFloatVector(const double d[3])
    : x(static_cast<float>(d[0])), y(static_cast<float>(d[1])), z(static_cast<float>(d[2])) {}

MFloatVector MFloatVector::operator*(const MFloatMatrix& m) const {
    const auto& a = m.matrix;
    return MFloatVector(x * a[0][0] + y * a[1][0] + z * a[2][0],
                        x * a[0][1] + y * a[1][1] + z * a[2][1],
                        x * a[0][2] + y * a[1][2] + z * a[2][2]);
}

MStatus MFloatVector::get(float f[3]) const {
    if (f == nullptr) return MS::kInvalidParameter;
    f[0] = x;
    f[1] = y;
    f[2] = z;
    return MS::kSuccess;
}

float MFloatVector::length() const {
    return std::sqrt(x * x + y * y + z * z);
}

MFloatVector MFloatVector::normal() const {
    MFloatVector result(*this);
    result.normalize();
    return result;
}

MStatus MFloatVector::normalize() {
    const float len = length();
    if (len > 0.0f) *this /= len;
    return MS::kSuccess;
}

float MFloatVector::angle(const MFloatVector& other) const {
    return std::atan2((*this ^ other).length(), *this * other);
}

bool MFloatVector::isEquivalent(const MFloatVector& other, float tolerance) const {
    return std::fabs(x - other.x) <= tolerance && std::fabs(y - other.y) <= tolerance &&
           std::fabs(z - other.z) <= tolerance;
}

std::ostream& operator<<(std::ostream& os, const MFloatVector& v) {
    return os << '[' << v.x << ", " << v.y << ", " << v.z << ']';
}
