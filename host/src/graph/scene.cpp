// Nodes in the scene: creation, naming, deletion, DAG parenting, connections.

#include "graph/scene.h"

#include <algorithm>
#include <cctype>

#include <maya/MPlug.h>

#include "graph/evaluation.h"
#include "graph/plugAccess.h"
#include "graph/registryImpl.h"
#include "graph/sceneImpl.h"

namespace zt::host {

Scene& scene() {
    static Scene current;
    return current;
}

namespace {

void report(MStatus* status, MStatus::MStatusCode code) {
    if (status) *status = code;
}

// Letters, digits, '_' and ':' (namespaces), not starting with a digit, with
// an optional trailing '#'.
bool isValidName(const std::string& name) {
    if (name.empty()) return false;
    const std::size_t end = name.back() == '#' ? name.size() - 1 : name.size();
    if (end == 0 || std::isdigit(static_cast<unsigned char>(name[0]))) return false;
    for (std::size_t i = 0; i < end; ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (!std::isalnum(c) && c != '_' && c != ':') return false;
    }
    return true;
}

bool nameFree(const std::string& name, const NodeImpl* self) {
    auto it = scene().byName.find(name);
    return it == scene().byName.end() || it->second == self;
}

void markInitiallyDirty(const NodeType& type, const AttributeImpl* attr, Cell& cell) {
    // Outputs (what something affects, or what cannot be written) start out
    // dirty so that the first read computes them.
    if (type.affected.count(attr) || !attr->writable) {
        struct Marker {
            static void mark(Cell& c) {
                c.dirty = true;
                for (Cell& child : c.children) mark(child);
                for (auto& entry : c.elements) mark(*entry.second);
            }
        };
        Marker::mark(cell);
        return;
    }
    if (attr->array) return;
    for (std::size_t k = 0; k < attr->children.size() && k < cell.children.size(); ++k) {
        markInitiallyDirty(type, attr->children[k].get(), cell.children[k]);
        if (cell.children[k].dirty) cell.dirty = true;
    }
}

void detachFromParent(NodeImpl& node) {
    if (!node.parent) return;
    auto& siblings = node.parent->children;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), &node), siblings.end());
    node.parent = nullptr;
}

void removeConnection(const std::shared_ptr<Connection>& connection) {
    auto drop = [&](std::vector<std::shared_ptr<Connection>>& list) {
        list.erase(std::remove(list.begin(), list.end(), connection), list.end());
    };
    drop(connection->source.node->outgoing);
    drop(connection->destination.node->incoming);
}

// Breaks one connection and tells both nodes. The destination keeps the
// value it last received.
void breakConnection(const std::shared_ptr<Connection>& connection) {
    const PlugRef source = connection->source;
    const PlugRef destination = connection->destination;
    removeConnection(connection);
    const MPlug sourcePlug = PlugAccess::make(source);
    const MPlug destinationPlug = PlugAccess::make(destination);
    if (destination.node->alive && destination.node->user)
        destination.node->user->connectionBroken(destinationPlug, sourcePlug, false);
    if (source.node->alive && source.node->user)
        source.node->user->connectionBroken(sourcePlug, destinationPlug, true);
    if (!destination.node->alive) return;
    if (destination.isElement() && destination.attr->disconnectBehavior != MFnAttribute::kNothing) {
        PlugRef array = destination;
        array.indices.back() = -1;
        if (Cell* cells = valueCellOf(array, false)) {
            const unsigned int index = static_cast<unsigned int>(destination.indices.back());
            if (destination.attr->disconnectBehavior == MFnAttribute::kDelete)
                cells->elements.erase(index);
            else if (cells->elements.count(index))
                *cells->elements[index] = makeCell(*destination.attr, false);
        }
    }
    propagateDirty(destination, true);
}

}  // namespace

std::string uniqueName(const std::string& requested, const std::string& typeName,
                       const NodeImpl* self) {
    const std::string wanted = requested.empty() ? typeName + "#" : requested;
    if (wanted.back() != '#' && nameFree(wanted, self)) return wanted;
    std::string stem = wanted.back() == '#' ? wanted.substr(0, wanted.size() - 1) : wanted;
    if (wanted.back() != '#') {
        // "pPlane1" taken: try "pPlane2", not "pPlane11".
        while (!stem.empty() && std::isdigit(static_cast<unsigned char>(stem.back())))
            stem.pop_back();
    }
    unsigned long& hint = scene().firstFreeNumber[stem];
    for (unsigned long n = std::max(hint, 1ul);; ++n) {
        std::string candidate = stem + std::to_string(n);
        if (nameFree(candidate, self)) {
            hint = n;
            return candidate;
        }
    }
}

void claimName(NodeImpl& node, const std::string& name) {
    node.name = name;
    scene().byName[name] = &node;
}

void releaseName(NodeImpl& node) {
    Scene& s = scene();
    s.byName.erase(node.name);
    // A numbered name that becomes free lowers where searches start.
    std::size_t digits = node.name.size();
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(node.name[digits - 1]))) --digits;
    if (digits == node.name.size() || node.name.size() - digits > 18) return;
    auto it = s.firstFreeNumber.find(node.name.substr(0, digits));
    if (it == s.firstFreeNumber.end()) return;
    it->second = std::min(it->second, std::stoul(node.name.substr(digits)));
}

NodeImpl* findNodeImpl(const std::string& nameOrPath) {
    if (nameOrPath.empty()) return nullptr;
    if (nameOrPath[0] != '|') {
        auto it = scene().byName.find(nameOrPath);
        return it == scene().byName.end() ? nullptr : it->second;
    }
    // A DAG path: the last name must be reached through the named parents.
    std::vector<std::string> names;
    std::size_t start = 1;
    while (start <= nameOrPath.size()) {
        std::size_t bar = nameOrPath.find('|', start);
        if (bar == std::string::npos) bar = nameOrPath.size();
        names.push_back(nameOrPath.substr(start, bar - start));
        start = bar + 1;
    }
    NodeImpl* node = findNodeImpl(names.back());
    if (!node || node->fullPathName() != nameOrPath) return nullptr;
    return node;
}

MObject createNode(const std::string& typeName, const std::string& name, const MObject& parent,
                   MStatus* status, MObject* createdTransform) {
    if (createdTransform) *createdTransform = MObject();
    NodeTypePtr type = findNodeType(typeName);
    if (!type || (!name.empty() && !isValidName(name))) {
        report(status, MS::kInvalidParameter);
        return MObject();
    }
    NodeImpl* parentNode = nullptr;
    if (!parent.isNull()) {
        parentNode = liveNodeOf(parent);
        if (!parentNode || !parentNode->isTransform() || !type->isDag()) {
            report(status, MS::kInvalidParameter);
            return MObject();
        }
    }
    MObject transform;
    if (type->role == NodeRole::kShape && !parentNode) {
        MStatus made;
        transform = createNode("transform", "", MObject(), &made);
        if (!made) {
            report(status, made.statusCode());
            return MObject();
        }
        parentNode = nodeOf(transform);
    }

    auto node = std::make_shared<NodeImpl>(type);
    for (std::size_t i = 0; i < type->attributes.size(); ++i)
        markInitiallyDirty(*type, type->attributes[i].get(), node->cells[i]);
    node->user.reset(static_cast<MPxNode*>(type->creator()));
    if (!node->user) {
        if (!transform.isNull()) deleteNode(transform);
        report(status, MS::kFailure);
        return MObject();
    }
    NodeAccess::bind(*node->user, node.get());
    scene().nodes.push_back(node);
    claimName(*node, uniqueName(name, type->name, nullptr));
    if (parentNode) {
        node->parent = parentNode;
        parentNode->children.push_back(node.get());
    }
    MObject object = node->object();
    const std::string given = node->name;
    node->user->postConstructor();
    // A node may name itself in postConstructor ("myShape#"); a name the
    // caller asked for still wins over it.
    if (!name.empty() && node->alive && node->name != given) {
        releaseName(*node);
        claimName(*node, uniqueName(name, type->name, node.get()));
    }
    if (createdTransform) *createdTransform = transform;
    report(status, MS::kSuccess);
    return object;
}

MStatus deleteNode(const MObject& object) {
    NodeImpl* node = liveNodeOf(object);
    if (!node) return MS::kInvalidParameter;
    // Keep the node alive while it is taken apart.
    std::shared_ptr<ObjectImpl> keep = node->shared_from_this();
    const KindDeletion kindHook = kindDeletion(node->type->kind);
    const std::function<void()> afterwards = kindHook ? kindHook(object) : nullptr;
    const std::vector<NodeImpl*> children = node->children;
    for (NodeImpl* child : children) deleteNode(child->object());
    while (!node->incoming.empty()) breakConnection(node->incoming.back());
    while (!node->outgoing.empty()) breakConnection(node->outgoing.back());
    detachFromParent(*node);
    Scene& s = scene();
    releaseName(*node);
    s.nodes.erase(
        std::remove_if(s.nodes.begin(), s.nodes.end(),
                       [&](const std::shared_ptr<NodeImpl>& n) { return n.get() == node; }),
        s.nodes.end());
    if (s.time == node) s.time = nullptr;
    node->alive = false;
    node->user.reset();
    node->cells.clear();
    if (afterwards) afterwards();
    return MS::kSuccess;
}

std::string renameNode(const MObject& object, const std::string& name, MStatus* status) {
    NodeImpl* node = liveNodeOf(object);
    if (!node || !isValidName(name)) {
        report(status, MS::kInvalidParameter);
        return std::string();
    }
    const std::string given = uniqueName(name, node->type->name, node);
    releaseName(*node);
    claimName(*node, given);
    report(status, MS::kSuccess);
    return given;
}

MObject findNode(const std::string& nameOrPath) {
    NodeImpl* node = findNodeImpl(nameOrPath);
    return node ? node->object() : MObject();
}

std::vector<MObject> listNodes(const std::string& typeName) {
    std::vector<MObject> result;
    for (const auto& node : scene().nodes) {
        if (typeName.empty() || node->type->name == typeName) result.push_back(node->object());
    }
    return result;
}

MStatus parentNode(const MObject& childObject, const MObject& parentObject) {
    NodeImpl* child = liveNodeOf(childObject);
    if (!child || !child->isDag()) return MS::kInvalidParameter;
    NodeImpl* parent = nullptr;
    if (!parentObject.isNull()) {
        parent = liveNodeOf(parentObject);
        if (!parent || !parent->isTransform()) return MS::kInvalidParameter;
        for (NodeImpl* up = parent; up; up = up->parent) {
            if (up == child) return MS::kInvalidParameter;  // would make a cycle
        }
    }
    if (child->parent == parent) return MS::kSuccess;
    detachFromParent(*child);
    if (parent) {
        child->parent = parent;
        parent->children.push_back(child);
    }
    propagateDirty(parentMatrixPlug(*child), true);
    return MS::kSuccess;
}

MStatus connectPlugs(const MPlug& sourcePlug, const MPlug& destinationPlug, bool force) {
    const PlugRef source = PlugAccess::ref(sourcePlug);
    const PlugRef destination = PlugAccess::ref(destinationPlug);
    if (source.isNull() || destination.isNull() || !isFullyIndexed(source) ||
        !isFullyIndexed(destination) || source == destination)
        return MS::kInvalidParameter;
    if (!source.attr->readable || !source.attr->connectable || !destination.attr->writable ||
        !destination.attr->connectable)
        return MS::kFailure;
    if (!connectionCompatible(source.attr, source.isWholeArray(), destination.attr,
                              destination.isWholeArray()))
        return MS::kFailure;
    if (sourceOf(destination) == source) return MS::kSuccess;

    // A destination takes one source, also counting its compound parents
    // and children.
    std::vector<std::shared_ptr<Connection>> conflicting;
    for (const auto& c : destination.node->incoming) {
        if (covers(c->destination, destination) || covers(destination, c->destination))
            conflicting.push_back(c);
    }
    if (!conflicting.empty() && !force) return MS::kFailure;
    for (const auto& c : conflicting) breakConnection(c);

    auto connection = std::make_shared<Connection>(Connection{source, destination});
    source.node->outgoing.push_back(connection);
    destination.node->incoming.push_back(connection);
    // Elements named by a connection exist from then on.
    valueCellOf(source, true);
    valueCellOf(destination, true);
    if (destination.node->user)
        destination.node->user->connectionMade(destinationPlug, sourcePlug, false);
    if (source.node->user) source.node->user->connectionMade(sourcePlug, destinationPlug, true);
    propagateDirty(destination, true);
    return MS::kSuccess;
}

MStatus disconnectPlugs(const MPlug& sourcePlug, const MPlug& destinationPlug) {
    const PlugRef source = PlugAccess::ref(sourcePlug);
    const PlugRef destination = PlugAccess::ref(destinationPlug);
    if (source.isNull() || destination.isNull()) return MS::kInvalidParameter;
    for (const auto& c : destination.node->incoming) {
        if (c->source == source && c->destination == destination) {
            breakConnection(c);
            return MS::kSuccess;
        }
    }
    return MS::kFailure;
}

bool plugFromString(const std::string& text, MPlug& plug) {
    plug = MPlug();
    const std::size_t dot = text.find('.');
    if (dot == std::string::npos || dot == 0) return false;
    NodeImpl* node = findNodeImpl(text.substr(0, dot));
    if (!node) return false;

    // Segments "name" or "name[index]", separated by dots.
    struct Segment {
        std::string name;
        int index;
    };
    std::vector<Segment> segments;
    std::size_t start = dot + 1;
    while (start <= text.size()) {
        std::size_t end = text.find('.', start);
        if (end == std::string::npos) end = text.size();
        std::string part = text.substr(start, end - start);
        Segment segment{part, -1};
        const std::size_t bracket = part.find('[');
        if (bracket != std::string::npos) {
            if (part.back() != ']') return false;
            const std::string digits = part.substr(bracket + 1, part.size() - bracket - 2);
            if (digits.empty() || digits.size() > 9 ||
                !std::all_of(digits.begin(), digits.end(),
                             [](unsigned char c) { return std::isdigit(c); }))
                return false;
            segment.name = part.substr(0, bracket);
            segment.index = std::stoi(digits);
        }
        if (segment.name.empty()) return false;
        segments.push_back(segment);
        start = end + 1;
    }

    const AttributeImpl* attr = nullptr;
    std::vector<std::pair<const AttributeImpl*, int>> chosen;
    for (const Segment& segment : segments) {
        const AttributeImpl* found = nullptr;
        if (!attr) {
            found = node->type->find(segment.name);
        } else {
            for (const AttributePtr& child : attr->children) {
                if (child->longName == segment.name || child->shortName == segment.name)
                    found = child.get();
            }
        }
        if (!found) return false;
        if (segment.index >= 0) {
            if (!found->array) return false;
            chosen.emplace_back(found, segment.index);
        }
        attr = found;
    }
    PlugRef ref = wholePlug(node, attr);
    std::size_t arrayPos = 0;
    for (const AttributeImpl* link : attr->chain()) {
        if (!link->array) continue;
        for (const auto& [array, index] : chosen) {
            if (array == link) ref.indices[arrayPos] = index;
        }
        ++arrayPos;
    }
    plug = PlugAccess::make(ref);
    return true;
}

MObject timeNode() {
    NodeImpl* time = scene().time;
    return time && time->alive ? time->object() : MObject();
}

std::vector<std::pair<MPlug, MPlug>> connectionsOf(const MObject& object) {
    std::vector<std::pair<MPlug, MPlug>> result;
    NodeImpl* node = liveNodeOf(object);
    if (!node) return result;
    for (const auto* list : {&node->incoming, &node->outgoing})
        for (const auto& c : *list)
            result.emplace_back(PlugAccess::make(c->source), PlugAccess::make(c->destination));
    return result;
}

namespace {

// Both cells now refer to the same data objects: neither may change them in
// place any more.
void shareData(Cell& cell) {
    cell.value.dataOwned = false;
    for (Cell& child : cell.children) shareData(child);
    for (auto& entry : cell.elements) shareData(*entry.second);
}

NodeImpl* copyNode(NodeImpl& original, NodeImpl* parent, const std::string& name,
                   std::vector<MObject>* made) {
    MObject createdTransform;
    MStatus status;
    MObject copyObject =
        createNode(original.type->name, name.empty() ? original.name : name,
                   parent ? parent->object() : MObject(), &status, &createdTransform);
    NodeImpl* copy = status ? liveNodeOf(copyObject) : nullptr;
    if (!copy) return nullptr;
    if (made && !createdTransform.isNull()) made->push_back(createdTransform);
    if (made) made->push_back(copyObject);
    for (Cell& cell : original.cells) shareData(cell);
    copy->cells = original.cells;
    // What the copy computes is its own: its outputs start out dirty again.
    for (std::size_t i = 0; i < copy->type->attributes.size() && i < copy->cells.size(); ++i)
        markInitiallyDirty(*copy->type, copy->type->attributes[i].get(), copy->cells[i]);
    const std::vector<NodeImpl*> children = original.children;
    for (NodeImpl* child : children) {
        if (!copyNode(*child, copy, "", made)) return nullptr;
    }
    return copy;
}

}  // namespace

MObject duplicateNode(const MObject& object, const std::string& name, MStatus* status,
                      std::vector<MObject>* made) {
    NodeImpl* original = liveNodeOf(object);
    if (!original || (!name.empty() && !isValidName(name))) {
        report(status, MS::kInvalidParameter);
        return MObject();
    }
    // A transform stays beside the original; a shape gets a transform of
    // its own, as a shape created without a parent does.
    NodeImpl* parent = original->isTransform() ? original->parent : nullptr;
    NodeImpl* copy = copyNode(*original, parent, name, made);
    if (!copy) {
        report(status, MS::kFailure);
        return MObject();
    }
    report(status, MS::kSuccess);
    return copy->object();
}

std::vector<MObject> activeSelection() {
    std::vector<MObject> live;
    for (const MObject& node : scene().selection)
        if (liveNodeOf(node)) live.push_back(node);
    scene().selection = live;
    return live;
}

void setActiveSelection(const std::vector<MObject>& nodes) {
    std::vector<MObject> unique;
    for (const MObject& node : nodes) {
        if (!liveNodeOf(node)) continue;
        if (std::find(unique.begin(), unique.end(), node) == unique.end()) unique.push_back(node);
    }
    scene().selection = unique;
}

PlaybackRange& playbackRange() {
    return scene().playback;
}

void clearScene() {
    Scene& s = scene();
    while (!s.nodes.empty()) deleteNode(s.nodes.back()->object());
    s.time = nullptr;
    s.firstFreeNumber.clear();
    s.selection.clear();
    const MTime::Unit unit = MTime::uiUnit();
    s.playback =
        PlaybackRange{MTime(1.0, unit), MTime(120.0, unit), MTime(1.0, unit), MTime(200.0, unit)};
}

}  // namespace zt::host
