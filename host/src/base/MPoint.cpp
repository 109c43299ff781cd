#include <maya/MFloatMatrix.h>
#include <maya/MFloatPoint.h>
#include <maya/MFloatVector.h>
#include <maya/MMatrix.h>
#include <maya/MPoint.h>

#include <cmath>
#include <ostream>

#include "base/numberFormat.h"

using zt::host::formatNumber;

const MPoint MPoint::origin(0.0, 0.0, 0.0, 1.0);

MPoint::MPoint(const MFloatPoint& p) : x(p.x), y(p.y), z(p.z), w(p.w) {}
MPoint::MPoint(const MFloatVector& v) : x(v.x), y(v.y), z(v.z), w(1.0) {}
MPoint::MPoint(const double d[4]) : x(d[0]), y(d[1]), z(d[2]), w(d[3]) {}
MPoint::MPoint(const float d[4]) : x(d[0]), y(d[1]), z(d[2]), w(d[3]) {}

MStatus MPoint::get(double d[4]) const {
    if (d == nullptr) return MS::kInvalidParameter;
    d[0] = x;
    d[1] = y;
    d[2] = z;
    d[3] = w;
    return MS::kSuccess;
}

MStatus MPoint::get(float d[4]) const {
    if (d == nullptr) return MS::kInvalidParameter;
    d[0] = static_cast<float>(x);
    d[1] = static_cast<float>(y);
    d[2] = static_cast<float>(z);
    d[3] = static_cast<float>(w);
    return MS::kSuccess;
}

MPoint MPoint::operator*(const MMatrix& m) const {
    const auto& a = m.matrix;
    return MPoint(x * a[0][0] + y * a[1][0] + z * a[2][0] + w * a[3][0],
                  x * a[0][1] + y * a[1][1] + z * a[2][1] + w * a[3][1],
                  x * a[0][2] + y * a[1][2] + z * a[2][2] + w * a[3][2],
                  x * a[0][3] + y * a[1][3] + z * a[2][3] + w * a[3][3]);
}

MPoint& MPoint::operator*=(const MMatrix& m) {
    return *this = *this * m;
}

MPoint operator*(const MMatrix& m, const MPoint& p) {
    const auto& a = m.matrix;
    return MPoint(a[0][0] * p.x + a[0][1] * p.y + a[0][2] * p.z + a[0][3] * p.w,
                  a[1][0] * p.x + a[1][1] * p.y + a[1][2] * p.z + a[1][3] * p.w,
                  a[2][0] * p.x + a[2][1] * p.y + a[2][2] * p.z + a[2][3] * p.w,
                  a[3][0] * p.x + a[3][1] * p.y + a[3][2] * p.z + a[3][3] * p.w);
}

MPoint& MPoint::cartesianize() {
    if (w != 0.0 && w != 1.0) {
        x /= w;
        y /= w;
        z /= w;
        w = 1.0;
    }
    return *this;
}

double MPoint::distanceTo(const MPoint& other) const {
    MPoint a(*this);
    MPoint b(other);
    return (a.cartesianize() - b.cartesianize()).length();
}

bool MPoint::isEquivalent(const MPoint& other, double tolerance) const {
    return std::fabs(x - other.x) <= tolerance && std::fabs(y - other.y) <= tolerance &&
           std::fabs(z - other.z) <= tolerance && std::fabs(w - other.w) <= tolerance;
}

std::ostream& operator<<(std::ostream& os, const MPoint& p) {
    return os << '[' << p.x << ", " << p.y << ", " << p.z << ", " << p.w << ']';
}

// MFloatPoint

const MFloatPoint MFloatPoint::origin(0.0f, 0.0f, 0.0f, 1.0f);

MFloatPoint::MFloatPoint(const MPoint& p)
    : x(static_cast<float>(p.x)),
      y(static_cast<float>(p.y)),
      z(static_cast<float>(p.z)),
      w(static_cast<float>(p.w)) {}
MFloatPoint::MFloatPoint(const MVector& v)
    : x(static_cast<float>(v.x)), y(static_cast<float>(v.y)), z(static_cast<float>(v.z)), w(1.0f) {}
MFloatPoint::MFloatPoint(const float f[4]) : x(f[0]), y(f[1]), z(f[2]), w(f[3]) {}
MFloatPoint::MFloatPoint(const double d[4])
    : x(static_cast<float>(d[0])),
      y(static_cast<float>(d[1])),
      z(static_cast<float>(d[2])),
      w(static_cast<float>(d[3])) {}

MStatus MFloatPoint::get(float d[4]) const {
    if (d == nullptr) return MS::kInvalidParameter;
    d[0] = x;
    d[1] = y;
    d[2] = z;
    d[3] = w;
    return MS::kSuccess;
}

MStatus MFloatPoint::get(double d[4]) const {
    if (d == nullptr) return MS::kInvalidParameter;
    d[0] = x;
    d[1] = y;
    d[2] = z;
    d[3] = w;
    return MS::kSuccess;
}

MFloatPoint MFloatPoint::operator*(const MFloatMatrix& m) const {
    const auto& a = m.matrix;
    return MFloatPoint(x * a[0][0] + y * a[1][0] + z * a[2][0] + w * a[3][0],
                       x * a[0][1] + y * a[1][1] + z * a[2][1] + w * a[3][1],
                       x * a[0][2] + y * a[1][2] + z * a[2][2] + w * a[3][2],
                       x * a[0][3] + y * a[1][3] + z * a[2][3] + w * a[3][3]);
}

MFloatPoint& MFloatPoint::cartesianize() {
    if (w != 0.0f && w != 1.0f) {
        x /= w;
        y /= w;
        z /= w;
        w = 1.0f;
    }
    return *this;
}

float MFloatPoint::distanceTo(const MFloatPoint& other) const {
    MFloatPoint a(*this);
    MFloatPoint b(other);
    return (a.cartesianize() - b.cartesianize()).length();
}

bool MFloatPoint::isEquivalent(const MFloatPoint& other, float tolerance) const {
    return std::fabs(x - other.x) <= tolerance && std::fabs(y - other.y) <= tolerance &&
           std::fabs(z - other.z) <= tolerance && std::fabs(w - other.w) <= tolerance;
}

std::ostream& operator<<(std::ostream& os, const MFloatPoint& p) {
    return os << '[' << p.x << ", " << p.y << ", " << p.z << ", " << p.w << ']';
}
