#pragma once
// Lookups and conversions shared by the core commands, so that every command
// words a missing node, a missing attribute or a bad value the same way.
// Each throws CommandError with the command's name in front.

#include <maya/MObject.h>
#include <maya/MPlug.h>

#include <string>

#include "commandRegistry.h"

namespace zt::commands {

// Conversions of the argument parser: a number or true/false, on/off,
// yes/no; a number or a string holding exactly one number. False when the
// value is neither.
bool parseBoolWord(const Value& v, bool& out);
bool numberArgument(const Value& v, double& out);

// A node by name or DAG path: "cmd: No object matches name: x".
MObject requireNode(const std::string& command, const std::string& name);

// A plug from "node.attr", "node.attr[2]", "node.parent[0].child":
// "cmd: No object matches name: node" or "cmd: Node 'node' has no attribute 'attr'".
MPlug requirePlug(const std::string& command, const std::string& text);

// Whether a connection drives the plug, one of its compound parents or one
// of its children; `driven` (when given) gets the plug the connection goes
// to. Connections from animation curves do not count: as in the real host,
// a value set on a keyed attribute holds until the curve is evaluated again
// (the time changes or a key is set).
bool drivenByConnection(const MPlug& plug, MPlug* driven = nullptr);

std::string nodeName(const MObject& node);
std::string plugName(const MPlug& plug);

// A finite number (number or numeric string); `what` names the value in the
// message ("value 2 of setAttr pPlane1.t").
double requireNumber(const std::string& command, const Value& v, const std::string& what);
// A number or true/false, on/off, yes/no.
bool requireBool(const std::string& command, const Value& v, const std::string& what);

}  // namespace zt::commands
