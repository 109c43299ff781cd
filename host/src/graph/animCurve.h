#pragma once
// Animation curves: nodes that turn the scene's time into a value by
// interpolating keys. setKeyframe makes one per keyed attribute, connects
// time1.outTime into its input and its output into the attribute.
//
//   animCurveTL  distances (translate)   animCurveTA  angles (rotate)
//   animCurveTU  plain numbers
//
// Keys are held by the node in seconds, so changing the time unit keeps
// them where they are in absolute time.

#include <maya/MObject.h>
#include <maya/MStatus.h>

#include <string>
#include <vector>

namespace zt::host {

struct NodeImpl;

// How a curve leaves a key (out) or arrives at it (in).
//   spline   the slope through the two neighbours (at an end: towards the
//            only neighbour)
//   linear   straight towards the neighbour on that side
//   flat     slope zero
//   step     the value holds until the next key (out side)
//   clamped  spline, but flat where the key's value equals a neighbour's
//   auto     spline, flat at the ends and at extremes, limited so that the
//            curve does not overshoot its keys
enum class TangentType { kSpline, kLinear, kFlat, kStep, kClamped, kAuto };

// "spline", "linear", "flat", "step", "clamped", "auto". False for others.
bool tangentTypeFromName(const std::string& name, TangentType& type);
const char* tangentTypeName(TangentType type);

struct AnimKey {
    double time = 0.0;  // seconds
    double value = 0.0;
    TangentType in = TangentType::kAuto;
    TangentType out = TangentType::kAuto;
};

// The value of keys sorted by time at time `t`: the first key's value
// before it, the last one's after it, cubic Hermite segments between (a
// straight line where both sides are linear).
double evaluateKeys(const std::vector<AnimKey>& keys, double t);

// Whether the node is an animation curve.
bool isAnimCurve(const MObject& node);
bool isAnimCurve(const NodeImpl* node);

// Adds a key, or replaces the one at the same time; the curve's output is
// dirty afterwards. kInvalidParameter when the node is not a curve or the
// key is not finite.
MStatus setAnimKey(const MObject& curve, const AnimKey& key);

// The keys of a curve in time order (empty for other nodes).
std::vector<AnimKey> animKeys(const MObject& curve);

// Registers the curve node types (graph/ registration hook).
void registerAnimCurveNodeTypes();

}  // namespace zt::host
