#pragma once
// The scene: every node, by name, with DAG parenting, plus the operations
// the command layer performs on it. Nodes are listed in creation order.

#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MStatus.h>
#include <maya/MTime.h>

#include <string>
#include <vector>

namespace zt::host {

// Creates a node of a registered type. `name` may be empty (the type name
// followed by the first free number), end in '#' (replaced by the first free
// number) or be taken (a number is appended). A shape type created with a
// null `parent` gets a new transform above it ("transform1"...), returned in
// *createdTransform when asked. Returns the node of the requested type.
MObject createNode(const std::string& typeName, const std::string& name = "",
                   const MObject& parent = MObject::kNullObj, MStatus* status = nullptr,
                   MObject* createdTransform = nullptr);

// Breaks the node's connections, deletes its DAG children and removes it.
MStatus deleteNode(const MObject& node);

// Gives the node a new unique name (same rules as createNode); returns the
// name given, empty on failure.
std::string renameNode(const MObject& node, const std::string& name, MStatus* status = nullptr);

// A node by name or DAG path ("pPlane1", "|pPlane1|pPlaneShape1"); null
// when there is none.
MObject findNode(const std::string& nameOrPath);

// Nodes in creation order; with a type name, only nodes of that type.
std::vector<MObject> listNodes(const std::string& typeName = "");

// Moves a DAG node under a transform (a null parent: under the world).
// Fails for non-DAG nodes, non-transform parents and cycles.
MStatus parentNode(const MObject& child, const MObject& parent);

// Connections. connectPlugs fails when the destination already has a source
// unless `force` (which replaces it), when the types do not match, or when
// the source is not readable / the destination not writable.
MStatus connectPlugs(const MPlug& source, const MPlug& destination, bool force = false);
MStatus disconnectPlugs(const MPlug& source, const MPlug& destination);

// Parses "node.attr", "node.attr[3]", "node.input[0].inputGeometry",
// "node.tx" (long or short names; a child of a compound may be named alone)
// into a plug. False when the node or attribute does not exist.
bool plugFromString(const std::string& text, MPlug& plug);

// The scene's time node ("time1"), whose outTime is the current time.
MObject timeNode();

// Every connection touching the node, as (source, destination) pairs:
// incoming ones first, each group in the order the connections were made.
std::vector<std::pair<MPlug, MPlug>> connectionsOf(const MObject& node);

// A copy of the node with the same attribute values (connections are not
// copied), under `parent` (a null parent: where the original is). A DAG
// node's children are copied with it. `name` as for createNode; an empty
// name gives the original's name with the next free number. Returns the new
// node; the names of every node made are appended to *made when asked.
MObject duplicateNode(const MObject& node, const std::string& name, MStatus* status = nullptr,
                      std::vector<MObject>* made = nullptr);

// The active selection in the order it was made; deleted nodes drop out.
std::vector<MObject> activeSelection();
void setActiveSelection(const std::vector<MObject>& nodes);

// The time slider's ranges: the playback range and the animation range
// around it. A new scene plays frames 1 to 120 of 1 to 200.
struct PlaybackRange {
    MTime minTime, maxTime;
    MTime animationStart, animationEnd;
};
PlaybackRange& playbackRange();

}  // namespace zt::host
