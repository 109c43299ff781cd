// The node type table and the registration of static attributes.

#include "graph/registry.h"

#include <algorithm>

#include "graph/registryImpl.h"
#include "graph/scene.h"
#include "graph/sceneImpl.h"

namespace zt::host {

Registry& registry() {
    static Registry table;
    return table;
}

NodeTypePtr findNodeType(const std::string& typeName) {
    for (const NodeTypePtr& type : registry().types) {
        if (type->name == typeName) return type;
    }
    return nullptr;
}

NodeTypePtr findNodeType(const MTypeId& typeId) {
    for (const NodeTypePtr& type : registry().types) {
        if (type->id == typeId) return type;
    }
    return nullptr;
}

namespace {

NodeRole roleOf(MPxNode::Type kind) {
    switch (kind) {
        case MPxNode::kTransformNode:
        case MPxNode::kEmitterNode:
        case MPxNode::kFluidEmitterNode:
            return NodeRole::kTransform;
        case MPxNode::kLocatorNode:
        case MPxNode::kSurfaceShape:
            return NodeRole::kShape;
        default:
            return NodeRole::kDepend;
    }
}

MFn::Type pluginApiType(MPxNode::Type kind) {
    switch (kind) {
        case MPxNode::kLocatorNode:
            return MFn::kPluginLocatorNode;
        case MPxNode::kDeformerNode:
            return MFn::kPluginDeformerNode;
        case MPxNode::kEmitterNode:
            return MFn::kPluginEmitterNode;
        case MPxNode::kTransformNode:
            return MFn::kPluginTransformNode;
        case MPxNode::kSurfaceShape:
            return MFn::kPluginShape;
        default:
            return MFn::kPluginDependNode;
    }
}

// Makes `type` the target of addAttribute/attributeAffects while alive.
class Initializing {
public:
    explicit Initializing(NodeTypePtr type) : previous_(registry().initializing) {
        registry().initializing = std::move(type);
    }
    ~Initializing() { registry().initializing = previous_; }
    Initializing(const Initializing&) = delete;
    Initializing& operator=(const Initializing&) = delete;

private:
    NodeTypePtr previous_;
};

void collectAttributes(const AttributePtr& attr, std::vector<AttributePtr>& out) {
    out.push_back(attr);
    for (const AttributePtr& child : attr->children) collectAttributes(child, out);
}

}  // namespace

MStatus registerNodeType(const std::string& typeName, const MTypeId& typeId,
                         MCreatorFunction creator, MInitializeFunction initializer,
                         MPxNode::Type kind, MFn::Type apiType, const std::string& owner) {
    Registry& table = registry();
    if (table.failNext.erase(typeName) > 0) return MS::kFailure;
    if (typeName.empty() || !creator) return MS::kInvalidParameter;
    if (findNodeType(typeName) || findNodeType(typeId)) return MS::kFailure;

    auto type = std::make_shared<NodeType>();
    type->name = typeName;
    type->id = typeId;
    type->creator = creator;
    type->initializer = initializer;
    type->kind = kind;
    type->role = roleOf(kind);
    type->apiType = apiType == MFn::kInvalid ? pluginApiType(kind) : apiType;
    type->owner = owner;

    {
        Initializing scope(type);
        MStatus status = addInheritedAttributes(kind, type->role);
        if (!status) return status;
        auto custom = table.kindInitializers.find(kind);
        if (custom != table.kindInitializers.end() && custom->second) {
            status = custom->second();
            if (!status) return status;
        }
        if (initializer) {
            status = initializer();
            if (!status) return status;
        }
    }
    table.types.push_back(std::move(type));
    return MS::kSuccess;
}

MStatus deregisterNodeType(const MTypeId& typeId) {
    NodeTypePtr type = findNodeType(typeId);
    if (!type) return MS::kFailure;
    for (const MObject& node : listNodes(type->name)) deleteNode(node);
    auto& types = registry().types;
    types.erase(std::remove(types.begin(), types.end(), type), types.end());
    return MS::kSuccess;
}

std::vector<NodeTypePtr> nodeTypesOwnedBy(const std::string& owner) {
    std::vector<NodeTypePtr> owned;
    for (const NodeTypePtr& type : registry().types) {
        if (type->owner == owner) owned.push_back(type);
    }
    return owned;
}

MStatus registerBuiltinNodeType(const std::string& typeName, const MTypeId& typeId,
                                MCreatorFunction creator, MInitializeFunction initializer,
                                MPxNode::Type kind, MFn::Type apiType) {
    return registerNodeType(typeName, typeId, creator, initializer, kind, apiType, "");
}

void setKindInitializer(MPxNode::Type kind, MInitializeFunction initializer) {
    registry().kindInitializers[kind] = initializer;
}

void setKindCompute(MPxNode::Type kind, KindCompute compute) {
    registry().kindComputes[kind] = compute;
}

KindCompute kindCompute(MPxNode::Type kind) {
    auto it = registry().kindComputes.find(kind);
    return it == registry().kindComputes.end() ? nullptr : it->second;
}

void setKindDeletion(MPxNode::Type kind, KindDeletion deletion) {
    registry().kindDeletions[kind] = deletion;
}

KindDeletion kindDeletion(MPxNode::Type kind) {
    auto it = registry().kindDeletions.find(kind);
    return it == registry().kindDeletions.end() ? nullptr : it->second;
}

bool nodeTypeExists(const std::string& typeName) {
    return findNodeType(typeName) != nullptr;
}

std::vector<std::string> nodeTypeNames() {
    std::vector<std::string> names;
    for (const NodeTypePtr& type : registry().types) names.push_back(type->name);
    std::sort(names.begin(), names.end());
    return names;
}

namespace testing {
void failNextRegistrationOf(const std::string& typeName) {
    registry().failNext.insert(typeName);
}
}  // namespace testing

}  // namespace zt::host

// ---- MPxNode static attribute declaration ---------------------------------

using zt::host::AttributeImpl;
using zt::host::AttributePtr;

MStatus MPxNode::addAttribute(const MObject& attr) {
    zt::host::NodeTypePtr type = zt::host::registry().initializing;
    AttributePtr attribute = zt::host::attributePtrOf(attr);
    if (!type || !attribute) return MS::kFailure;
    // Children come with their compound; adding one alone is an error.
    if (attribute->parent) return MS::kFailure;
    if (type->rootIndex.count(attribute.get())) return MS::kFailure;

    std::vector<AttributePtr> added;
    zt::host::collectAttributes(attribute, added);
    for (const AttributePtr& a : added) {
        if (a->longName.empty() || type->byName.count(a->longName)) return MS::kFailure;
    }
    type->rootIndex[attribute.get()] = type->attributes.size();
    type->attributes.push_back(attribute);
    for (const AttributePtr& a : added) {
        type->allAttributes.push_back(a);
        type->byName[a->longName] = a.get();
        // A short name that another attribute already uses keeps pointing at
        // the first one; the long name still finds this one.
        if (!a->shortName.empty()) type->byName.emplace(a->shortName, a.get());
    }
    return MS::kSuccess;
}

MStatus MPxNode::attributeAffects(const MObject& whenChanges, const MObject& isAffected) {
    zt::host::NodeTypePtr type = zt::host::registry().initializing;
    const AttributeImpl* source = zt::host::attributeOf(whenChanges);
    const AttributeImpl* target = zt::host::attributeOf(isAffected);
    if (!type || !type->has(source) || !type->has(target)) return MS::kFailure;
    auto& list = type->affects[source];
    if (std::find(list.begin(), list.end(), target) == list.end()) list.push_back(target);
    type->affected.insert(target);
    return MS::kSuccess;
}

MStatus MPxNode::inheritAttributesFrom(const MString& parentClassName) {
    zt::host::NodeTypePtr type = zt::host::registry().initializing;
    zt::host::NodeTypePtr parent = zt::host::findNodeType(parentClassName.asChar());
    if (!type || !parent) return MS::kFailure;
    for (const AttributePtr& attr : parent->attributes) {
        if (type->rootIndex.count(attr.get())) continue;
        MStatus status = addAttribute(zt::host::wrapAttribute(attr.get()));
        if (!status) return status;
    }
    for (const auto& [source, targets] : parent->affects) {
        for (const AttributeImpl* target : targets) {
            attributeAffects(zt::host::wrapAttribute(source), zt::host::wrapAttribute(target));
        }
    }
    return MS::kSuccess;
}
