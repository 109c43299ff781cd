#pragma once
// The table of node types. Plug-ins register through MFnPlugin; the host's
// own types (time, transform, mesh, camera) through registerBuiltinNodeType,
// from their area's registration hook in hostInit.h.

#include <maya/MFn.h>
#include <maya/MPxNode.h>
#include <maya/MStatus.h>
#include <maya/MTypeId.h>
#include <maya/MTypes.h>

#include <functional>
#include <string>
#include <vector>

class MDataBlock;
class MPlug;

namespace zt::host {

// Registers a host type. `kind` decides where the type sits: kTransformNode
// and kEmitterNode are transforms, kLocatorNode and kSurfaceShape are shapes
// (created under a new transform when no parent is given), everything else
// a dependency node. `apiType` is what MObject::apiType reports for its
// nodes (kTransform, kMesh, kCamera...). Fails with kFailure when the name
// or id is taken or the initializer fails.
MStatus registerBuiltinNodeType(const std::string& typeName, const MTypeId& typeId,
                                MCreatorFunction creator, MInitializeFunction initializer,
                                MPxNode::Type kind, MFn::Type apiType);

// Attributes that every type of one kind inherits (those of MPxLocatorNode
// for kLocatorNode, for example). The function runs before each such type's
// own initializer, with MPxNode::addAttribute adding to that type; it
// should create its attribute objects once and add the same objects every
// time, so that the base class's static MObjects match every such type.
void setKindInitializer(MPxNode::Type kind, MInitializeFunction initializer);

// What the base class of one kind computes (the deformer's outputGeom, for
// example): called with the same plug and data block when a node of that
// kind answers kUnknownParameter from its own compute.
using KindCompute = MStatus (*)(MPxNode& node, const MPlug& plug, MDataBlock& block);
void setKindCompute(MPxNode::Type kind, KindCompute compute);
KindCompute kindCompute(MPxNode::Type kind);

// What a node of one kind leaves to be done once it is deleted: called
// before its connections go, it returns what to run after (reconnecting a
// deformer's input mesh to what its output fed, for example), or an empty
// function.
using KindDeletion = std::function<void()> (*)(const MObject& node);
void setKindDeletion(MPxNode::Type kind, KindDeletion deletion);
KindDeletion kindDeletion(MPxNode::Type kind);

bool nodeTypeExists(const std::string& typeName);
std::vector<std::string> nodeTypeNames();  // sorted

namespace testing {
// Makes the next registration of this type name fail with kFailure (once),
// as if its initializer had failed. For tests of plug-in load failures.
void failNextRegistrationOf(const std::string& typeName);
}  // namespace testing

}  // namespace zt::host
