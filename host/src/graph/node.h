#pragma once
// Node types and nodes.

#include <maya/MFn.h>
#include <maya/MPxNode.h>
#include <maya/MTypeId.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "graph/attribute.h"
#include "graph/object.h"
#include "graph/value.h"

namespace zt::host {

class NodeImpl;

// Where nodes of a type sit in the scene.
enum class NodeRole { kDepend, kTransform, kShape };

struct NodeType {
    std::string name;
    MTypeId id;
    MCreatorFunction creator = nullptr;
    MInitializeFunction initializer = nullptr;
    MPxNode::Type kind = MPxNode::kDependNode;
    MFn::Type apiType = MFn::kPluginDependNode;
    NodeRole role = NodeRole::kDepend;
    std::string owner;  // the plug-in that registered it; empty for host types

    std::vector<AttributePtr> attributes;     // top-level, in the order added
    std::vector<AttributePtr> allAttributes;  // with children, in the order added
    std::unordered_map<const AttributeImpl*, std::size_t> rootIndex;
    std::unordered_map<std::string, AttributeImpl*> byName;  // long and short names
    // attributeAffects: what changes -> what it affects.
    std::unordered_map<const AttributeImpl*, std::vector<const AttributeImpl*>> affects;
    // Every attribute that something affects (outputs start out dirty).
    std::unordered_set<const AttributeImpl*> affected;

    bool has(const AttributeImpl* attr) const;
    AttributeImpl* find(const std::string& name) const;
    bool isDag() const { return role != NodeRole::kDepend; }
};

using NodeTypePtr = std::shared_ptr<NodeType>;

// One end of a connection, or any plug seen from inside the host: a node,
// an attribute and the logical indices of the arrays on the attribute's
// chain (-1 where no element is chosen).
struct PlugRef {
    NodeImpl* node = nullptr;
    const AttributeImpl* attr = nullptr;
    std::vector<int> indices;

    bool operator==(const PlugRef& o) const {
        return node == o.node && attr == o.attr && indices == o.indices;
    }
    bool operator!=(const PlugRef& o) const { return !(*this == o); }
    bool isNull() const { return !node || !attr; }
    // The whole array (an array attribute with no element chosen).
    bool isWholeArray() const {
        return attr && attr->array && !indices.empty() && indices.back() < 0;
    }
    bool isElement() const {
        return attr && attr->array && !indices.empty() && indices.back() >= 0;
    }
};

// Whether plug `a` includes plug `b`: the same plug, or an ancestor of it
// (compound parent, whole array) with matching chosen indices.
bool covers(const PlugRef& a, const PlugRef& b);
// The compound parent of a child, or the array of an element; null at the top.
PlugRef parentPlug(const PlugRef& plug);
// The plug of `attr` on `node` with every array index unchosen.
PlugRef wholePlug(NodeImpl* node, const AttributeImpl* attr);
// The plug of `attr` that goes with `near`: array ancestors the two share
// take near's indices, the others stay unchosen.
PlugRef relatedPlug(const PlugRef& near, const AttributeImpl* attr);
// "node.attr[2].child" as MPlug::name prints it.
std::string plugName(const PlugRef& plug);
// Whether every array index on the chain is chosen (a plug with a value).
bool isFullyIndexed(const PlugRef& plug);

struct Connection {
    PlugRef source;
    PlugRef destination;
};

class NodeImpl : public ObjectImpl {
public:
    explicit NodeImpl(NodeTypePtr type);
    ~NodeImpl() override;

    MFn::Type apiType() const override;
    bool hasFn(MFn::Type type) const override;
    MObject object() { return ObjectAccess::wrap(shared_from_this()); }

    NodeTypePtr type;
    std::unique_ptr<MPxNode> user;
    std::string name;
    bool alive = true;

    std::vector<Cell> cells;  // one per top-level attribute of the type

    // DAG (transforms and shapes): at most one parent, no instancing.
    NodeImpl* parent = nullptr;
    std::vector<NodeImpl*> children;

    std::vector<std::shared_ptr<Connection>> incoming;  // this node is the destination
    std::vector<std::shared_ptr<Connection>> outgoing;  // this node is the source

    bool isDag() const { return type->isDag(); }
    bool isTransform() const { return type->role == NodeRole::kTransform; }
    bool isShape() const { return type->role == NodeRole::kShape; }

    // The cell of a plug. Missing elements are created with `create`, else
    // null is returned; null too for a plug with an unchosen index above
    // its own attribute.
    Cell* cellOf(const PlugRef& plug, bool create);
    Cell& rootCell(const AttributeImpl* root) { return cells[type->rootIndex.at(root)]; }

    // "|parent|node" for DAG nodes, the name for others.
    std::string fullPathName() const;
};

// Finds the cell of attr/indices below `root`, the cell of attr's top-level
// attribute (see NodeImpl::cellOf).
Cell* findCell(Cell& root, const AttributeImpl* attr, const std::vector<int>& indices, bool create);

inline NodeImpl* nodeOf(const MObject& object) {
    return dynamic_cast<NodeImpl*>(ObjectAccess::get(object).get());
}
inline NodeImpl* liveNodeOf(const MObject& object) {
    NodeImpl* node = nodeOf(object);
    return node && node->alive ? node : nullptr;
}

// Binds a user node to its host node (MPxNode keeps a back pointer).
struct NodeAccess {
    static void bind(MPxNode& user, NodeImpl* node) { user.node_ = node; }
    static NodeImpl* node(const MPxNode& user) { return user.node_; }
};

}  // namespace zt::host
