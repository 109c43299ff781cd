#pragma once
// Rotation quaternion (x, y, z, w). Products compose like the matrices they
// stand for in the row-vector convention: (a * b).asMatrix() ==
// a.asMatrix() * b.asMatrix(), i.e. a is applied first.

#include <maya/MStatus.h>
#include <maya/MTypes.h>

#include <iosfwd>

class MMatrix;
class MVector;

#define MQuaternion_kTol 1.0e-10

class OPENMAYA_EXPORT MQuaternion {
public:
    constexpr MQuaternion() : x(0.0), y(0.0), z(0.0), w(1.0) {}
    MQuaternion(const MQuaternion& src) = default;
    constexpr MQuaternion(double xx, double yy, double zz, double ww)
        : x(xx), y(yy), z(zz), w(ww) {}
    // Shortest rotation turning direction a into direction b (identity when
    // either is zero; half a turn about a perpendicular axis when opposite).
    MQuaternion(const MVector& a, const MVector& b);
    // Rotation by angle (radians) about axis (identity for a zero axis).
    MQuaternion(double angle, const MVector& axisb);
    ~MQuaternion() = default;

    MQuaternion& operator=(const MQuaternion&) = default;
    MQuaternion& setAxisAngle(const MVector& axis, double theta);
    // False for the identity, whose axis is undefined.
    bool getAxisAngle(MVector& axis, double& theta) const;
    // The rotation matrix for row vectors: v * q.asMatrix() == v.rotateBy(q).
    MMatrix asMatrix() const;
    MQuaternion operator*(const MQuaternion& rhs) const;
    MQuaternion& operator*=(const MQuaternion& rhs);
    MQuaternion operator-() const;
    MQuaternion conjugate() const;
    MQuaternion inverse() const;
    MQuaternion normal() const;
    MQuaternion& normalizeIt();
    bool operator==(const MQuaternion& other) const;
    bool operator!=(const MQuaternion& other) const;
    // True also for -q, which is the same rotation.
    bool isEquivalent(const MQuaternion& other, double tolerance = MQuaternion_kTol) const;

    friend OPENMAYA_EXPORT std::ostream& operator<<(std::ostream& os, const MQuaternion& q);

    static const MQuaternion identity;

    double x, y, z, w;
};
