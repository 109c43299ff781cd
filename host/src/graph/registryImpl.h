#pragma once
// Inside the node type table (see registry.h for the host-facing part).

#include <maya/MPxNode.h>
#include <maya/MStatus.h>
#include <maya/MTypeId.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "graph/node.h"
#include "graph/registry.h"

namespace zt::host {

struct Registry {
    std::vector<NodeTypePtr> types;  // in registration order
    // The type whose attributes are being declared (MPxNode::addAttribute
    // and attributeAffects act on it).
    NodeTypePtr initializing;
    std::map<MPxNode::Type, MInitializeFunction> kindInitializers;
    std::map<MPxNode::Type, KindCompute> kindComputes;
    std::map<MPxNode::Type, KindDeletion> kindDeletions;
    std::set<std::string> failNext;
};

Registry& registry();

NodeTypePtr findNodeType(const std::string& typeName);
NodeTypePtr findNodeType(const MTypeId& typeId);

// Registration shared by plug-ins (owner = plug-in name) and host types.
MStatus registerNodeType(const std::string& typeName, const MTypeId& typeId,
                         MCreatorFunction creator, MInitializeFunction initializer,
                         MPxNode::Type kind, MFn::Type apiType, const std::string& owner);

// Removes a type; nodes of that type are deleted first. kFailure for an
// unknown id.
MStatus deregisterNodeType(const MTypeId& typeId);

std::vector<NodeTypePtr> nodeTypesOwnedBy(const std::string& owner);

// Adds the attributes every node of this kind and role inherits (the
// MPxNode ones, the DAG ones, transforms' translate/rotate/scale, the
// emitter and deformer ones) to the type being initialized.
MStatus addInheritedAttributes(MPxNode::Type kind, NodeRole role);

}  // namespace zt::host
