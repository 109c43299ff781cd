#include "commands/argHelpers.h"

#include <maya/MFnDependencyNode.h>
#include <maya/MPlugArray.h>

#include <cmath>

#include "graph/animCurve.h"
#include "graph/scene.h"

namespace zt::commands {

MObject requireNode(const std::string& command, const std::string& name) {
    MObject node = name.empty() ? MObject() : host::findNode(name);
    if (node.isNull()) throw CommandError(command + ": No object matches name: " + name);
    return node;
}

MPlug requirePlug(const std::string& command, const std::string& text) {
    std::size_t dot = text.find('.');
    if (dot == std::string::npos || dot == 0 || dot + 1 == text.size())
        throw CommandError(command + ": '" + text +
                           "' is not an attribute (expected node.attribute)");
    std::string node = text.substr(0, dot);
    requireNode(command, node);
    MPlug plug;
    if (!host::plugFromString(text, plug) || plug.isNull())
        throw CommandError(command + ": Node '" + node + "' has no attribute '" +
                           text.substr(dot + 1) + "'");
    return plug;
}

std::string nodeName(const MObject& node) {
    MFnDependencyNode fn(node);
    return fn.name().asChar();
}

namespace {

bool drivenByOtherThanCurve(const MPlug& plug) {
    MPlugArray sources;
    if (!plug.connectedTo(sources, true, false)) return false;
    for (unsigned int i = 0; i < sources.length(); ++i)
        if (!host::isAnimCurve(sources[i].node())) return true;
    return false;
}

// A child of the plug, at any depth, that a connection other than a
// curve's drives.
bool childDriven(const MPlug& plug, MPlug* driven) {
    for (unsigned int i = 0; i < plug.numChildren(); ++i) {
        const MPlug child = plug.child(i);
        if (drivenByOtherThanCurve(child)) {
            if (driven != nullptr) *driven = child;
            return true;
        }
        if (childDriven(child, driven)) return true;
    }
    return false;
}

}  // namespace

bool drivenByConnection(const MPlug& plug, MPlug* driven) {
    for (MPlug p = plug; !p.isNull(); p = p.parent()) {
        if (drivenByOtherThanCurve(p)) {
            if (driven != nullptr) *driven = p;
            return true;
        }
    }
    return childDriven(plug, driven);
}

std::string plugName(const MPlug& plug) {
    return plug.name().asChar();
}

double requireNumber(const std::string& command, const Value& v, const std::string& what) {
    double d = 0.0;
    if (!numberArgument(v, d))
        throw CommandError(command + ": " + what + " must be a number, got " +
                           (v.isString() ? "\"" + v.asString() + "\"" : v.toDisplayString()));
    if (!std::isfinite(d))
        throw CommandError(command + ": " + what + " must be finite, got " + v.toDisplayString());
    return d;
}

bool requireBool(const std::string& command, const Value& v, const std::string& what) {
    bool b = false;
    if (!parseBoolWord(v, b))
        throw CommandError(command + ": " + what + " must be a number or true/false, got \"" +
                           v.asString() + "\"");
    return b;
}

}  // namespace zt::commands
