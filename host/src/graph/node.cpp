#include "graph/node.h"

#include <algorithm>

namespace zt::host {

// ---- node types ------------------------------------------------------------

bool NodeType::has(const AttributeImpl* attr) const {
    if (!attr) return false;
    const AttributeImpl* root = attr->root();
    auto it = rootIndex.find(root);
    return it != rootIndex.end() && attributes[it->second].get() == root;
}

AttributeImpl* NodeType::find(const std::string& attrName) const {
    auto it = byName.find(attrName);
    return it == byName.end() ? nullptr : it->second;
}

// ---- plug references -------------------------------------------------------

bool covers(const PlugRef& a, const PlugRef& b) {
    if (a.node != b.node || !a.attr || !b.attr) return false;
    if (a.attr != b.attr && !a.attr->isAncestorOf(b.attr)) return false;
    if (a.indices.size() > b.indices.size()) return false;
    for (std::size_t i = 0; i < a.indices.size(); ++i) {
        if (a.indices[i] >= 0 && a.indices[i] != b.indices[i]) return false;
    }
    return true;
}

PlugRef parentPlug(const PlugRef& plug) {
    PlugRef parent;
    if (plug.isNull()) return parent;
    if (plug.isElement()) {
        parent = plug;
        parent.indices.back() = -1;
        return parent;
    }
    if (!plug.attr->parent) return parent;
    parent.node = plug.node;
    parent.attr = plug.attr->parent;
    parent.indices = plug.indices;
    if (plug.attr->array) parent.indices.pop_back();
    return parent;
}

PlugRef wholePlug(NodeImpl* node, const AttributeImpl* attr) {
    PlugRef plug;
    plug.node = node;
    plug.attr = attr;
    plug.indices.assign(attr ? attr->arrayDepth() : 0, -1);
    return plug;
}

PlugRef relatedPlug(const PlugRef& near, const AttributeImpl* attr) {
    PlugRef plug = wholePlug(near.node, attr);
    if (!near.attr || !attr) return plug;
    const std::vector<const AttributeImpl*> mine = attr->chain();
    const std::vector<const AttributeImpl*> theirs = near.attr->chain();
    std::size_t arrayPos = 0;
    for (std::size_t i = 0; i < mine.size() && i < theirs.size() && mine[i] == theirs[i]; ++i) {
        if (!mine[i]->array) continue;
        // The attribute itself, when it is the near plug's own array, stays
        // whole: affecting an array affects all of its elements.
        if (mine[i] == attr) break;
        if (arrayPos < near.indices.size()) plug.indices[arrayPos] = near.indices[arrayPos];
        ++arrayPos;
    }
    return plug;
}

std::string plugName(const PlugRef& plug) {
    if (plug.isNull()) return std::string();
    std::string text = plug.node->name + ".";
    const std::vector<const AttributeImpl*> chain = plug.attr->chain();
    std::size_t arrayPos = 0;
    bool first = true;
    for (const AttributeImpl* a : chain) {
        const bool last = a == plug.attr;
        int index = -1;
        if (a->array) index = plug.indices[arrayPos++];
        // Compound parents are named only where an element index sits on them.
        if (!last && !a->array) continue;
        if (!first) text += ".";
        first = false;
        text += a->longName;
        if (a->array && !(last && index < 0)) text += "[" + std::to_string(index) + "]";
    }
    return text;
}

bool isFullyIndexed(const PlugRef& plug) {
    for (std::size_t i = 0; i < plug.indices.size(); ++i) {
        const bool own = i + 1 == plug.indices.size() && plug.attr->array;
        if (plug.indices[i] < 0 && !own) return false;
    }
    return true;
}

// ---- cells -----------------------------------------------------------------

namespace {

void markTree(Cell& cell, bool dirty) {
    cell.dirty = dirty;
    for (Cell& child : cell.children) markTree(child, dirty);
    for (auto& entry : cell.elements) markTree(*entry.second, dirty);
}

}  // namespace

Cell* findCell(Cell& root, const AttributeImpl* attr, const std::vector<int>& indices,
               bool create) {
    const std::vector<const AttributeImpl*> chain = attr->chain();
    Cell* cell = &root;
    std::size_t arrayPos = 0;
    for (std::size_t i = 0; i < chain.size(); ++i) {
        const AttributeImpl* a = chain[i];
        const bool last = i + 1 == chain.size();
        if (a->array) {
            if (arrayPos >= indices.size()) return nullptr;
            const int index = indices[arrayPos++];
            if (index < 0) return last ? cell : nullptr;
            auto it = cell->elements.find(static_cast<unsigned int>(index));
            if (it == cell->elements.end()) {
                if (!create) return nullptr;
                // A new element starts as dirty as its array, as it read
                // before it existed, so a value the array still has to
                // compute (a world matrix after a move) is not taken for the
                // element's default once a connection creates the element.
                auto element = std::make_unique<Cell>(makeCell(*a, false));
                markTree(*element, cell->dirty);
                it = cell->elements.emplace(static_cast<unsigned int>(index), std::move(element))
                         .first;
            }
            cell = it->second.get();
        }
        if (!last) {
            const int child = a->childIndex(chain[i + 1]);
            if (child < 0 || static_cast<std::size_t>(child) >= cell->children.size())
                return nullptr;
            cell = &cell->children[static_cast<std::size_t>(child)];
        }
    }
    return cell;
}

// ---- nodes -----------------------------------------------------------------

NodeImpl::NodeImpl(NodeTypePtr nodeType) : type(std::move(nodeType)) {
    cells.reserve(type->attributes.size());
    for (const AttributePtr& attr : type->attributes) cells.push_back(makeCell(*attr, true));
}

NodeImpl::~NodeImpl() = default;

MFn::Type NodeImpl::apiType() const {
    return type->apiType;
}

bool NodeImpl::hasFn(MFn::Type t) const {
    if (t == MFn::kBase || t == MFn::kNamedObject || t == MFn::kDependencyNode ||
        t == type->apiType)
        return true;
    switch (type->role) {
        case NodeRole::kTransform:
            if (t == MFn::kDagNode || t == MFn::kTransform) return true;
            break;
        case NodeRole::kShape:
            if (t == MFn::kDagNode || t == MFn::kShape) return true;
            break;
        case NodeRole::kDepend:
            break;
    }
    switch (type->kind) {
        case MPxNode::kLocatorNode:
            return t == MFn::kLocator || t == MFn::kPluginLocatorNode;
        case MPxNode::kDeformerNode:
            return t == MFn::kGeometryFilt || t == MFn::kWeightGeometryFilt;
        case MPxNode::kEmitterNode:
            return t == MFn::kEmitter;
        default:
            return false;
    }
}

Cell* NodeImpl::cellOf(const PlugRef& plug, bool create) {
    if (plug.node != this || !type->has(plug.attr)) return nullptr;
    return findCell(rootCell(plug.attr->root()), plug.attr, plug.indices, create);
}

std::string NodeImpl::fullPathName() const {
    if (!isDag()) return name;
    std::string path;
    for (const NodeImpl* n = this; n; n = n->parent) path = "|" + n->name + path;
    return path;
}

}  // namespace zt::host
