#pragma once
// Inside the scene (see scene.h for the host-facing operations).

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "graph/node.h"
#include "graph/scene.h"

namespace zt::host {

struct Scene {
    std::vector<std::shared_ptr<NodeImpl>> nodes;  // creation order
    std::unordered_map<std::string, NodeImpl*> byName;
    // For each name stem, a number below which every stem + number is taken:
    // where the search for a free numbered name starts.
    std::unordered_map<std::string, unsigned long> firstFreeNumber;
    // Plugs being pulled or computed, innermost last: a plug that is asked
    // for again while it is on this stack closes a cycle.
    std::vector<PlugRef> evaluating;
    NodeImpl* time = nullptr;  // time1
    std::vector<MObject> selection;
    PlaybackRange playback;
};

Scene& scene();

// Drops every node (breaking connections first) and empties the scene.
void clearScene();

// Names: a unique name for `requested` (empty: from `typeName`).
std::string uniqueName(const std::string& requested, const std::string& typeName,
                       const NodeImpl* self);

NodeImpl* findNodeImpl(const std::string& nameOrPath);

// Enters or removes a node's name in the scene's name table.
void claimName(NodeImpl& node, const std::string& name);
void releaseName(NodeImpl& node);

// The host-side parts of DAG nodes (in dag.cpp).
// Whether `attr` is one of the matrices the host computes for DAG nodes.
bool isDagMatrixAttribute(const AttributeImpl* attr);
// Computes every DAG matrix of `node` (local, parent, world and inverses)
// and stores them clean.
MStatus computeDagMatrices(NodeImpl& node);
// The parentMatrix plug of a DAG node (its DAG children depend on the
// parent's worldMatrix through it).
PlugRef parentMatrixPlug(NodeImpl& node);
PlugRef worldMatrixPlug(NodeImpl& node);

}  // namespace zt::host
