#pragma once
// Where the instancer puts the copy of an object at one point: the point
// set's per-point channels as the host's particle instancer reads them,
// checked, and turned into one matrix per point.
//
// Channels (all optional except "position"):
//   position       vector  where the instance goes
//   scale          vector  per-axis scale, default (1, 1, 1)
//   rotationType   int     0: "rotation", 1: "aimDirection", 2: "aimPosition";
//                          without the channel the first of those three
//                          channels the set has decides, else no rotation
//   rotation       vector  Euler angles, X then Y then Z, in the instancer's
//                          rotationAngleUnits (degrees by default)
//   aimDirection   vector  the direction the aim axis turns to
//   aimPosition    vector  a point the aim axis turns to
//   aimAxis        vector  the object's axis that aims, default +X
//   aimUpAxis      vector  the object's axis that turns up, default +Y
//   aimWorldUp     vector  the up direction, default +Y
//   objectIndex    int     which instanced object, default 0
//   visibility     int     0 hides the instance, default 1
// Int channels may also come as double arrays (rounded), as particle
// attributes often are.
//
// Aiming: the object's aim axis turns to the aim direction and its up axis
// to the part of the world up at right angles to it (when the world up is
// parallel to the aim, the world axis least aligned with the aim stands in).
// A zero aim direction leaves the object unrotated.
//
// Matrices are the host's row-vector matrices (p' = p * M): an object point
// p goes to p * S * R + position.

#include <maya/MIntArray.h>
#include <maya/MMatrix.h>
#include <maya/MObject.h>
#include <maya/MVector.h>

#include <cstddef>
#include <string>
#include <vector>

namespace zt::host {

// The rotation (3x3 part, no translation) that turns `aimAxis` to `aim` and
// `upAxis` to the part of `worldUp` at right angles to `aim`.
MMatrix aimRotation(const MVector& aim, const MVector& worldUp,
                    const MVector& aimAxis = MVector(1, 0, 0),
                    const MVector& upAxis = MVector(0, 1, 0));

// The checked channels of one point set.
class InstancePoints {
public:
    // Reads the channels of a point set (MFnArrayAttrsData). An empty or null
    // object gives an empty set. Returns false with the reason in `error`
    // (naming the channel) when a channel has the wrong type or length, or
    // when a non-empty set has no "position".
    bool read(const MObject& pointSet, std::string& error);

    std::size_t size() const { return position_.size(); }

    // The matrix of point i; `radians` says the "rotation" channel's unit.
    MMatrix matrix(std::size_t i, bool radians = false) const;
    int objectIndex(std::size_t i) const { return objectIndex_.empty() ? 0 : objectIndex_[i]; }
    bool visible(std::size_t i) const { return visibility_.empty() || visibility_[i] != 0; }

private:
    std::vector<MVector> position_, scale_, rotation_, aimDirection_, aimPosition_, aimAxis_,
        aimUpAxis_, aimWorldUp_;
    std::vector<int> rotationType_, objectIndex_, visibility_;
    int defaultRotationType_ = -1;  // -1: no rotation
};

}  // namespace zt::host
