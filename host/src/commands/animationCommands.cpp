// Animation commands: setKeyframe, playbackOptions.
//
//   setKeyframe -t 1 -v 0 -at translateX ball;       // ball_translateX, an animCurveTL
//   setKeyframe -t 10 -v 9 -itt linear -ott linear ball.tx;
//   setKeyframe ball;                                 // every keyable attribute, now
//   playbackOptions -min 1 -max 48;
//   float $last = `playbackOptions -q -max`;

#include <maya/MFnAttribute.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnUnitAttribute.h>
#include <maya/MPlugArray.h>
#include <maya/MTime.h>

#include <algorithm>
#include <cmath>

#include "commands/argHelpers.h"
#include "commands/coreCommands.h"
#include "graph/animCurve.h"
#include "graph/dag.h"
#include "graph/scene.h"

namespace zt::commands {

namespace {

// Attributes whose value is one number: what a curve can drive.
bool isKeyableNumber(const MObject& attr) {
    if (attr.hasFn(MFn::kEnumAttribute)) return true;
    if (attr.hasFn(MFn::kUnitAttribute)) return true;
    if (!attr.hasFn(MFn::kNumericAttribute)) return false;
    switch (MFnNumericAttribute(attr).unitType()) {
        case MFnNumericData::kBoolean:
        case MFnNumericData::kByte:
        case MFnNumericData::kChar:
        case MFnNumericData::kShort:
        case MFnNumericData::kInt:
        case MFnNumericData::kFloat:
        case MFnNumericData::kDouble:
            return true;
        default:
            return false;
    }
}

// The scalar plugs under a plug: itself, or the children of a compound.
void scalarPlugs(const MPlug& plug, std::vector<MPlug>& out) {
    if (plug.isArray()) {
        for (unsigned int i = 0; i < plug.numElements(); ++i)
            scalarPlugs(plug.elementByPhysicalIndex(i), out);
        return;
    }
    if (plug.numChildren() > 0) {
        for (unsigned int i = 0; i < plug.numChildren(); ++i) scalarPlugs(plug.child(i), out);
        return;
    }
    out.push_back(plug);
}

// Curve type by what the attribute measures.
std::string curveTypeFor(const MPlug& plug) {
    const MObject attr = plug.attribute();
    if (attr.hasFn(MFn::kUnitAttribute)) {
        switch (MFnUnitAttribute(attr).unitType()) {
            case MFnUnitAttribute::kDistance:
                return "animCurveTL";
            case MFnUnitAttribute::kAngle:
                return "animCurveTA";
            default:
                return "animCurveTU";
        }
    }
    const host::DagAttributes& dag = host::dagAttributes();
    if (attr == dag.translateX || attr == dag.translateY || attr == dag.translateZ)
        return "animCurveTL";
    if (attr == dag.rotateX || attr == dag.rotateY || attr == dag.rotateZ) return "animCurveTA";
    return "animCurveTU";
}

// "ball_translateX"; an element's curve is named after its whole path,
// "node_values_2_".
std::string curveNameFor(const MPlug& plug) {
    const std::string full = plugName(plug);
    const std::size_t dot = full.find('.');
    std::string attr = MFnAttribute(plug.attribute()).name().asChar();
    if (plug.isElement() || !plug.parent().isNull()) {
        attr = full.substr(dot + 1);
        for (char& c : attr)
            if (c == '.' || c == '[' || c == ']') c = '_';
    }
    return full.substr(0, dot) + "_" + attr;
}

// The curve driving a plug, made and connected when there is none yet.
MObject curveFor(const MPlug& plug) {
    MPlugArray sources;
    if (plug.connectedTo(sources, true, false) && sources.length() > 0) {
        MObject source = sources[0].node();
        if (host::isAnimCurve(source)) return source;
        throw CommandError("setKeyframe: '" + plugName(plug) + "' is connected to '" +
                           plugName(sources[0]) + "' and cannot be keyed");
    }
    MStatus status;
    MObject curve = host::createNode(curveTypeFor(plug), curveNameFor(plug), MObject(), &status);
    if (!status)
        throw CommandError("setKeyframe: cannot make a curve for '" + plugName(plug) + "'");
    MFnDependencyNode fn(curve);
    MPlug timeOut = MFnDependencyNode(host::timeNode()).findPlug("outTime");
    if (!host::connectPlugs(timeOut, fn.findPlug("input")) ||
        !host::connectPlugs(fn.findPlug("output"), plug)) {
        host::deleteNode(curve);
        throw CommandError("setKeyframe: cannot connect a curve to '" + plugName(plug) + "'");
    }
    return curve;
}

host::TangentType tangentFlag(const ParsedArgs& args, const char* flag) {
    host::TangentType type = host::TangentType::kAuto;
    if (!args.isFlagSet(flag)) return type;
    const std::string name = args.flagString(flag);
    if (!host::tangentTypeFromName(name, type))
        throw CommandError("setKeyframe: Invalid tangent type '" + name +
                           "' (spline, linear, flat, step, clamped or auto)");
    return type;
}

// The plugs one object of the command stands for.
void targetsOf(const std::string& object, const ParsedArgs& args, std::vector<MPlug>& plugs) {
    std::vector<MPlug> named;
    if (object.find('.') != std::string::npos) {
        named.push_back(requirePlug("setKeyframe", object));
    } else {
        MObject node = requireNode("setKeyframe", object);
        MFnDependencyNode fn(node);
        if (args.isFlagSet("attribute")) {
            for (std::size_t u = 0; u < args.flagUseCount("attribute"); ++u) {
                const std::string attr = args.flagValues("attribute", u).at(0).asString();
                named.push_back(requirePlug("setKeyframe", object + "." + attr));
            }
        } else {
            // Every keyable attribute, as the top-level plugs list them.
            for (unsigned int i = 0; i < fn.attributeCount(); ++i) {
                MObject attr = fn.attribute(i);
                MPlug plug(node, attr);
                if (!MFnAttribute(attr).isKeyable() || !plug.parent().isNull()) continue;
                named.push_back(plug);
            }
        }
    }
    for (const MPlug& plug : named) {
        std::vector<MPlug> scalars;
        scalarPlugs(plug, scalars);
        for (const MPlug& p : scalars) {
            if (!isKeyableNumber(p.attribute())) {
                if (!args.isFlagSet("attribute") && object.find('.') == std::string::npos)
                    continue;  // keying a whole node skips what cannot be keyed
                throw CommandError("setKeyframe: '" + plugName(p) +
                                   "' is not a numeric attribute and cannot be keyed");
            }
            plugs.push_back(p);
        }
    }
}

void setKeyframeCommand(const ParsedArgs& args, CommandResult& result) {
    std::vector<std::string> objects;
    for (std::size_t i = 0; i < args.positionalCount(); ++i)
        objects.push_back(args.positionalString(i));
    if (objects.empty())
        for (const MObject& node : host::activeSelection()) objects.push_back(nodeName(node));
    if (objects.empty()) throw CommandError("setKeyframe: No objects specified");

    std::vector<MPlug> plugs;
    for (const std::string& object : objects) targetsOf(object, args, plugs);
    if (plugs.empty()) throw CommandError("setKeyframe: No attributes to key");

    // Times in frames of the current unit; the current time by default.
    std::vector<MTime> times;
    for (std::size_t u = 0; u < args.flagUseCount("time"); ++u)
        times.emplace_back(requireNumber("setKeyframe", args.flagValues("time", u).at(0), "-time"),
                           MTime::uiUnit());
    if (times.empty()) {
        MTime now;
        MFnDependencyNode(host::timeNode()).findPlug("outTime").getValue(now);
        times.push_back(now);
    }
    const host::TangentType in = tangentFlag(args, "inTangentType");
    const host::TangentType out = tangentFlag(args, "outTangentType");
    const bool haveValue = args.isFlagSet("value");
    const double value = haveValue ? args.flagDouble("value") : 0.0;
    if (!std::isfinite(value)) throw CommandError("setKeyframe: -value must be finite");

    int keys = 0;
    for (const MPlug& plug : plugs) {
        // The value before the curve takes over the plug.
        const double current = plug.asDouble();
        MObject curve = curveFor(plug);
        for (const MTime& t : times) {
            host::AnimKey key;
            key.time = t.as(MTime::kSeconds);
            key.value = haveValue ? value : current;
            key.in = in;
            key.out = out;
            if (!host::setAnimKey(curve, key))
                throw CommandError("setKeyframe: cannot key '" + plugName(plug) + "'");
            ++keys;
        }
    }
    result = Value(keys);
}

// ---- playbackOptions -----------------------------------------------------------

void playbackOptionsCommand(const ParsedArgs& args, CommandResult& result) {
    host::PlaybackRange& range = host::playbackRange();
    const MTime::Unit unit = MTime::uiUnit();
    if (args.isQuery()) {
        if (args.isFlagSet("minTime"))
            result = Value(range.minTime.as(unit));
        else if (args.isFlagSet("maxTime"))
            result = Value(range.maxTime.as(unit));
        else if (args.isFlagSet("animationStartTime"))
            result = Value(range.animationStart.as(unit));
        else if (args.isFlagSet("animationEndTime"))
            result = Value(range.animationEnd.as(unit));
        else
            throw CommandError("playbackOptions: query -min, -max, -ast or -aet");
        return;
    }
    host::PlaybackRange next = range;
    auto frame = [&](const char* flag, MTime& slot) {
        if (args.isFlagSet(flag))
            slot = MTime(requireNumber("playbackOptions", args.flagValues(flag).at(0),
                                       std::string("-") + flag),
                         unit);
    };
    frame("minTime", next.minTime);
    frame("maxTime", next.maxTime);
    frame("animationStartTime", next.animationStart);
    frame("animationEndTime", next.animationEnd);
    // The animation range always holds the playback range: a playback range
    // given outside it widens it, an animation range given inside the
    // playback range narrows that.
    if (args.isFlagSet("animationStartTime") && next.minTime < next.animationStart)
        next.minTime = next.animationStart;
    if (args.isFlagSet("animationEndTime") && next.maxTime > next.animationEnd)
        next.maxTime = next.animationEnd;
    if (next.minTime < next.animationStart) next.animationStart = next.minTime;
    if (next.maxTime > next.animationEnd) next.animationEnd = next.maxTime;
    if (next.maxTime < next.minTime)
        throw CommandError("playbackOptions: the playback range ends before it starts");
    if (next.animationEnd < next.animationStart)
        throw CommandError("playbackOptions: the animation range ends before it starts");
    range = next;
    result = Value();
}

}  // namespace

void registerAnimationCommands() {
    CommandSpec key;
    key.name = "setKeyframe";
    key.flags = {{"t", "time", {ArgType::kAny}, true},
                 {"v", "value", {ArgType::kDouble}},
                 {"at", "attribute", {ArgType::kString}, true},
                 {"itt", "inTangentType", {ArgType::kString}},
                 {"ott", "outTangentType", {ArgType::kString}}};
    key.handler = setKeyframeCommand;
    registerCommand(std::move(key));

    CommandSpec playback;
    playback.name = "playbackOptions";
    playback.queryable = true;
    playback.flags = {{"e", "edit", {}},
                      {"min", "minTime", {ArgType::kAny}},
                      {"max", "maxTime", {ArgType::kAny}},
                      {"ast", "animationStartTime", {ArgType::kAny}},
                      {"aet", "animationEndTime", {ArgType::kAny}}};
    playback.maxPositional = 0;
    playback.handler = playbackOptionsCommand;
    registerCommand(std::move(playback));
}

}  // namespace zt::commands
