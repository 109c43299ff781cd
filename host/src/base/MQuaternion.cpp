#include <maya/MMatrix.h>
#include <maya/MQuaternion.h>
#include <maya/MVector.h>

#include <algorithm>
#include <cmath>
#include <ostream>

#include "base/numberFormat.h"

using zt::host::formatNumber;

namespace {

// Hamilton product p q: the rotation q followed by p.
MQuaternion hamilton(const MQuaternion& p, const MQuaternion& q) {
    return MQuaternion(p.w * q.x + p.x * q.w + p.y * q.z - p.z * q.y,
                       p.w * q.y - p.x * q.z + p.y * q.w + p.z * q.x,
                       p.w * q.z + p.x * q.y - p.y * q.x + p.z * q.w,
                       p.w * q.w - p.x * q.x - p.y * q.y - p.z * q.z);
}

}  // namespace

const MQuaternion MQuaternion::identity(0.0, 0.0, 0.0, 1.0);

MQuaternion::MQuaternion(const MVector& a, const MVector& b) : MQuaternion() {
    const MVector from = a.normal();
    const MVector to = b.normal();
    if (from == MVector::zero || to == MVector::zero) return;
    const double cosine = from * to;
    if (cosine < -1.0 + 1e-12) {
        // Opposite directions: every perpendicular axis works; take one that
        // is well away from parallel to `from`.
        MVector axis = from ^ MVector::xAxis;
        if (axis.length() < 1e-6) axis = from ^ MVector::yAxis;
        axis.normalize();
        x = axis.x;
        y = axis.y;
        z = axis.z;
        w = 0.0;
        return;
    }
    // Half-way construction: (from x to, 1 + cos) normalised is the rotation by
    // the angle between them, without evaluating the angle itself.
    const MVector axis = from ^ to;
    *this = MQuaternion(axis.x, axis.y, axis.z, 1.0 + cosine).normal();
}

MQuaternion::MQuaternion(double angle, const MVector& axisb) : MQuaternion() {
    setAxisAngle(axisb, angle);
}

MQuaternion& MQuaternion::setAxisAngle(const MVector& axis, double theta) {
    const MVector unit = axis.normal();
    if (unit == MVector::zero || !std::isfinite(theta)) return *this = MQuaternion();
    const double s = std::sin(theta * 0.5);
    x = unit.x * s;
    y = unit.y * s;
    z = unit.z * s;
    w = std::cos(theta * 0.5);
    return *this;
}

bool MQuaternion::getAxisAngle(MVector& axis, double& theta) const {
    const MQuaternion q = normal();
    const double sine = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z);
    if (sine < 1e-12) {
        axis = MVector::xAxis;
        theta = 0.0;
        return false;
    }
    axis = MVector(q.x / sine, q.y / sine, q.z / sine);
    theta = 2.0 * std::atan2(sine, q.w);
    return true;
}

MMatrix MQuaternion::asMatrix() const {
    const MQuaternion q = normal();
    const double xx = q.x * q.x, yy = q.y * q.y, zz = q.z * q.z;
    const double xy = q.x * q.y, xz = q.x * q.z, yz = q.y * q.z;
    const double wx = q.w * q.x, wy = q.w * q.y, wz = q.w * q.z;
    // The transpose of the usual column-vector rotation matrix.
    MMatrix m;
    m.matrix[0][0] = 1.0 - 2.0 * (yy + zz);
    m.matrix[0][1] = 2.0 * (xy + wz);
    m.matrix[0][2] = 2.0 * (xz - wy);
    m.matrix[1][0] = 2.0 * (xy - wz);
    m.matrix[1][1] = 1.0 - 2.0 * (xx + zz);
    m.matrix[1][2] = 2.0 * (yz + wx);
    m.matrix[2][0] = 2.0 * (xz + wy);
    m.matrix[2][1] = 2.0 * (yz - wx);
    m.matrix[2][2] = 1.0 - 2.0 * (xx + yy);
    return m;
}

MQuaternion MQuaternion::operator*(const MQuaternion& rhs) const {
    return hamilton(rhs, *this);
}

MQuaternion& MQuaternion::operator*=(const MQuaternion& rhs) {
    return *this = *this * rhs;
}

MQuaternion MQuaternion::operator-() const {
    return MQuaternion(-x, -y, -z, -w);
}

MQuaternion MQuaternion::conjugate() const {
    return MQuaternion(-x, -y, -z, w);
}

MQuaternion MQuaternion::inverse() const {
    const double norm2 = x * x + y * y + z * z + w * w;
    if (norm2 == 0.0) return MQuaternion();
    return MQuaternion(-x / norm2, -y / norm2, -z / norm2, w / norm2);
}

MQuaternion MQuaternion::normal() const {
    MQuaternion q(*this);
    return q.normalizeIt();
}

MQuaternion& MQuaternion::normalizeIt() {
    const double norm = std::sqrt(x * x + y * y + z * z + w * w);
    if (norm == 0.0 || !std::isfinite(norm)) return *this = MQuaternion();
    x /= norm;
    y /= norm;
    z /= norm;
    w /= norm;
    return *this;
}

bool MQuaternion::operator==(const MQuaternion& o) const {
    return x == o.x && y == o.y && z == o.z && w == o.w;
}

bool MQuaternion::operator!=(const MQuaternion& o) const {
    return !(*this == o);
}

bool MQuaternion::isEquivalent(const MQuaternion& o, double tolerance) const {
    const auto close = [tolerance](const MQuaternion& a, const MQuaternion& b) {
        return std::fabs(a.x - b.x) <= tolerance && std::fabs(a.y - b.y) <= tolerance &&
               std::fabs(a.z - b.z) <= tolerance && std::fabs(a.w - b.w) <= tolerance;
    };
    return close(*this, o) || close(*this, -o);
}

std::ostream& operator<<(std::ostream& os, const MQuaternion& q) {
    return os << '[' << formatNumber(q.x) << ", " << formatNumber(q.y) << ", " << formatNumber(q.z)
              << ", " << formatNumber(q.w) << ']';
}
