#include "graph/animCurve.h"

#include <maya/MDataBlock.h>
#include <maya/MDataHandle.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnUnitAttribute.h>
#include <maya/MPlug.h>
#include <maya/MPxNode.h>
#include <maya/MTime.h>
#include <maya/MTypeId.h>

#include <algorithm>
#include <cmath>

#include "graph/evaluation.h"
#include "graph/plugAccess.h"
#include "graph/registry.h"

namespace zt::host {

namespace {

class AnimCurveNode : public MPxNode {
public:
    static void* creator() { return new AnimCurveNode; }
    static MStatus initialize() {
        // The three curve types share one pair of attribute objects.
        MStatus status;
        if (input.isNull()) {
            MFnUnitAttribute unit;
            input = unit.create("input", "i", MFnUnitAttribute::kTime, 0.0, &status);
            if (!status) return status;
            MFnNumericAttribute numeric;
            output = numeric.create("output", "o", MFnNumericData::kDouble, 0.0, &status);
            if (!status) return status;
            numeric.setWritable(false);
            numeric.setStorable(false);
        }
        if (!(status = addAttribute(input))) return status;
        if (!(status = addAttribute(output))) return status;
        return attributeAffects(input, output);
    }

    MStatus compute(const MPlug& plug, MDataBlock& data) override {
        if (plug != output) return MS::kUnknownParameter;
        const MTime t = data.inputValue(input).asTime();
        MDataHandle out = data.outputValue(output);
        out.setDouble(evaluateKeys(keys, t.as(MTime::kSeconds)));
        out.setClean();
        return MS::kSuccess;
    }

    static MObject input;
    static MObject output;
    std::vector<AnimKey> keys;  // sorted by time
};

MObject AnimCurveNode::input;
MObject AnimCurveNode::output;

struct TangentName {
    TangentType type;
    const char* name;
};
constexpr TangentName kTangentNames[] = {
    {TangentType::kSpline, "spline"},   {TangentType::kLinear, "linear"},
    {TangentType::kFlat, "flat"},       {TangentType::kStep, "step"},
    {TangentType::kClamped, "clamped"}, {TangentType::kAuto, "auto"}};

const char* const kCurveTypes[] = {"animCurveTL", "animCurveTA", "animCurveTU"};

AnimCurveNode* curveOf(const MObject& node) {
    NodeImpl* impl = liveNodeOf(node);
    if (!impl || !isAnimCurve(node)) return nullptr;
    return static_cast<AnimCurveNode*>(impl->user.get());
}

double secant(const std::vector<AnimKey>& k, std::size_t a, std::size_t b) {
    return (k[b].value - k[a].value) / (k[b].time - k[a].time);
}

// The slope of key i on one side (`incoming`: the side towards key i-1).
double slopeAt(const std::vector<AnimKey>& k, std::size_t i, bool incoming) {
    const TangentType type = incoming ? k[i].in : k[i].out;
    const std::size_t n = k.size();
    const bool first = i == 0, last = i + 1 == n;
    switch (type) {
        case TangentType::kFlat:
        case TangentType::kStep:
            return 0.0;
        case TangentType::kLinear:
            if (incoming) return first ? secant(k, 0, 1) : secant(k, i - 1, i);
            return last ? secant(k, i - 1, i) : secant(k, i, i + 1);
        case TangentType::kSpline:
        case TangentType::kClamped:
        case TangentType::kAuto:
            break;
    }
    if (first || last) {
        if (type == TangentType::kAuto) return 0.0;
        return first ? secant(k, 0, 1) : secant(k, n - 2, n - 1);
    }
    const double spline = (k[i + 1].value - k[i - 1].value) / (k[i + 1].time - k[i - 1].time);
    if (type == TangentType::kSpline) return spline;
    const double left = secant(k, i - 1, i), right = secant(k, i, i + 1);
    if (type == TangentType::kClamped) {
        const double scale = std::max(
            {std::fabs(k[i - 1].value), std::fabs(k[i].value), std::fabs(k[i + 1].value), 1.0});
        const double tolerance = 1e-9 * scale;
        const bool meetsNeighbour = std::fabs(k[i].value - k[i - 1].value) <= tolerance ||
                                    std::fabs(k[i].value - k[i + 1].value) <= tolerance;
        return meetsNeighbour ? 0.0 : spline;
    }
    // auto: flat at an extreme, otherwise no steeper than three times the
    // gentler side, which keeps each segment between its keys' values.
    if (left * right <= 0.0) return 0.0;
    const double limit = 3.0 * std::min(std::fabs(left), std::fabs(right));
    return std::clamp(spline, -limit, limit);
}

}  // namespace

bool tangentTypeFromName(const std::string& name, TangentType& type) {
    for (const TangentName& entry : kTangentNames) {
        if (name == entry.name) {
            type = entry.type;
            return true;
        }
    }
    return false;
}

const char* tangentTypeName(TangentType type) {
    for (const TangentName& entry : kTangentNames)
        if (entry.type == type) return entry.name;
    return "auto";
}

double evaluateKeys(const std::vector<AnimKey>& keys, double t) {
    if (keys.empty()) return 0.0;
    if (t <= keys.front().time || keys.size() == 1) return keys.front().value;
    if (t >= keys.back().time) return keys.back().value;
    // The segment [i, i+1] holding t.
    const auto after = std::upper_bound(
        keys.begin(), keys.end(), t, [](double time, const AnimKey& k) { return time < k.time; });
    const std::size_t i = static_cast<std::size_t>(after - keys.begin()) - 1;
    const AnimKey& a = keys[i];
    const AnimKey& b = keys[i + 1];
    if (a.out == TangentType::kStep) return a.value;
    const double span = b.time - a.time;
    const double s = (t - a.time) / span;
    if (a.out == TangentType::kLinear && b.in == TangentType::kLinear)
        return a.value + (b.value - a.value) * s;
    const double m0 = slopeAt(keys, i, false) * span;
    const double m1 = slopeAt(keys, i + 1, true) * span;
    const double s2 = s * s, s3 = s2 * s;
    return (2 * s3 - 3 * s2 + 1) * a.value + (s3 - 2 * s2 + s) * m0 + (-2 * s3 + 3 * s2) * b.value +
           (s3 - s2) * m1;
}

bool isAnimCurve(const MObject& node) {
    return isAnimCurve(liveNodeOf(node));
}

bool isAnimCurve(const NodeImpl* node) {
    if (!node) return false;
    for (const char* type : kCurveTypes)
        if (node->type->name == type) return true;
    return false;
}

MStatus setAnimKey(const MObject& curve, const AnimKey& key) {
    AnimCurveNode* node = curveOf(curve);
    if (!node || !std::isfinite(key.time) || !std::isfinite(key.value))
        return MS::kInvalidParameter;
    auto& keys = node->keys;
    auto at = std::lower_bound(keys.begin(), keys.end(), key.time,
                               [](const AnimKey& k, double time) { return k.time < time; });
    // Keys closer than a microsecond are the same key.
    if (at != keys.end() && std::fabs(at->time - key.time) < 1e-6)
        *at = key;
    else
        keys.insert(at, key);
    propagateDirty(PlugAccess::ref(MPlug(curve, AnimCurveNode::output)), true);
    return MS::kSuccess;
}

std::vector<AnimKey> animKeys(const MObject& curve) {
    AnimCurveNode* node = curveOf(curve);
    return node ? node->keys : std::vector<AnimKey>();
}

void registerAnimCurveNodeTypes() {
    // Ids spelling the type names' ends: 'ACTL', 'ACTA', 'ACTU'.
    const unsigned int ids[] = {0x4143544C, 0x41435441, 0x41435455};
    for (int i = 0; i < 3; ++i)
        registerBuiltinNodeType(kCurveTypes[i], MTypeId(ids[i]), AnimCurveNode::creator,
                                AnimCurveNode::initialize, MPxNode::kDependNode, MFn::kAnimCurve);
}

}  // namespace zt::host
