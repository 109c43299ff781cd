// MDGModifier and MDagModifier: queued graph edits.

#include <maya/MDGModifier.h>
#include <maya/MDagModifier.h>
#include <maya/MFnDependencyNode.h>

#include "graph/node.h"
#include "graph/registryImpl.h"
#include "graph/scene.h"

MDGModifier::MDGModifier() = default;

MDGModifier::~MDGModifier() = default;

void MDGModifier::queue(std::function<MStatus()> run) {
    operations_.push_back([run = std::move(run)](std::vector<Undo>&) { return run(); });
}

namespace {

MObject createRemembered(const std::string& type, const MObject& parent, MStatus* ReturnStatus,
                         std::vector<std::function<void()>>& created) {
    MStatus status;
    MObject transform;
    MObject node = zt::host::createNode(type, "", parent, &status, &transform);
    if (ReturnStatus) *ReturnStatus = status;
    if (!status) return MObject();
    created.push_back([node] { zt::host::deleteNode(node); });
    if (!transform.isNull()) created.push_back([transform] { zt::host::deleteNode(transform); });
    return node;
}

std::string typeNameOf(const MTypeId& typeId) {
    zt::host::NodeTypePtr type = zt::host::findNodeType(typeId);
    return type ? type->name : std::string();
}

MPlug plugOf(const MObject& node, const MObject& attr) {
    return MPlug(node, attr);
}

}  // namespace

MObject MDGModifier::createNode(const MTypeId& typeId, MStatus* ReturnStatus) {
    return createNode(MString(typeNameOf(typeId).c_str()), ReturnStatus);
}

MObject MDGModifier::createNode(const MString& type, MStatus* ReturnStatus) {
    return createRemembered(type.asChar(), MObject::kNullObj, ReturnStatus, created_);
}

MStatus MDGModifier::deleteNode(const MObject& node) {
    if (!zt::host::liveNodeOf(node)) return MS::kInvalidParameter;
    // Deleting cannot be undone: the node's values go with it.
    queue([node] { return zt::host::deleteNode(node); });
    return MS::kSuccess;
}

MStatus MDGModifier::renameNode(const MObject& node, const MString& newName) {
    if (!zt::host::liveNodeOf(node)) return MS::kInvalidParameter;
    const std::string wanted = newName.asChar();
    operations_.push_back([node, wanted](std::vector<Undo>& undo) {
        const std::string before = zt::host::nodeOf(node)->name;
        MStatus status;
        zt::host::renameNode(node, wanted, &status);
        if (status) undo.push_back([node, before] { zt::host::renameNode(node, before); });
        return status;
    });
    return MS::kSuccess;
}

MStatus MDGModifier::connect(const MPlug& source, const MPlug& dest) {
    if (source.isNull() || dest.isNull()) return MS::kInvalidParameter;
    operations_.push_back([source, dest](std::vector<Undo>& undo) {
        MStatus status = zt::host::connectPlugs(source, dest);
        if (status) undo.push_back([source, dest] { zt::host::disconnectPlugs(source, dest); });
        return status;
    });
    return MS::kSuccess;
}

MStatus MDGModifier::disconnect(const MPlug& source, const MPlug& dest) {
    if (source.isNull() || dest.isNull()) return MS::kInvalidParameter;
    operations_.push_back([source, dest](std::vector<Undo>& undo) {
        MStatus status = zt::host::disconnectPlugs(source, dest);
        if (status) undo.push_back([source, dest] { zt::host::connectPlugs(source, dest); });
        return status;
    });
    return MS::kSuccess;
}

MStatus MDGModifier::connect(const MObject& sourceNode, const MObject& sourceAttr,
                             const MObject& destNode, const MObject& destAttr) {
    return connect(plugOf(sourceNode, sourceAttr), plugOf(destNode, destAttr));
}

MStatus MDGModifier::disconnect(const MObject& sourceNode, const MObject& sourceAttr,
                                const MObject& destNode, const MObject& destAttr) {
    return disconnect(plugOf(sourceNode, sourceAttr), plugOf(destNode, destAttr));
}

namespace {

template <class T>
MStatus queueValue(std::vector<MDGModifier::Operation>& operations, const MPlug& plug, T value) {
    if (plug.isNull()) return MS::kInvalidParameter;
    operations.push_back([plug, value](std::vector<MDGModifier::Undo>& undo) {
        T before{};
        const bool hadValue = plug.getValue(before);
        MStatus status = MPlug(plug).setValue(value);
        if (status && hadValue) undo.push_back([plug, before] { MPlug(plug).setValue(before); });
        return status;
    });
    return MS::kSuccess;
}

}  // namespace

MStatus MDGModifier::newPlugValueDouble(const MPlug& plug, double value) {
    return queueValue(operations_, plug, value);
}
MStatus MDGModifier::newPlugValueInt(const MPlug& plug, int value) {
    return queueValue(operations_, plug, value);
}
MStatus MDGModifier::newPlugValueBool(const MPlug& plug, bool value) {
    return queueValue(operations_, plug, value);
}
MStatus MDGModifier::newPlugValueString(const MPlug& plug, const MString& value) {
    return queueValue(operations_, plug, value);
}

MStatus MDGModifier::doIt() {
    std::vector<Operation> pending;
    pending.swap(operations_);
    for (Operation& operation : pending) {
        MStatus status = operation(undo_);
        if (!status) return status;
    }
    return MS::kSuccess;
}

MStatus MDGModifier::undoIt() {
    while (!undo_.empty()) {
        Undo revert = std::move(undo_.back());
        undo_.pop_back();
        revert();
    }
    while (!created_.empty()) {
        Undo revert = std::move(created_.back());
        created_.pop_back();
        revert();
    }
    return MS::kSuccess;
}

// ---- MDagModifier ----------------------------------------------------------

MDagModifier::MDagModifier() = default;
MDagModifier::~MDagModifier() = default;

MObject MDagModifier::createNode(const MTypeId& typeId, const MObject& parent,
                                 MStatus* ReturnStatus) {
    return createNode(MString(typeNameOf(typeId).c_str()), parent, ReturnStatus);
}

MObject MDagModifier::createNode(const MString& type, const MObject& parent,
                                 MStatus* ReturnStatus) {
    MStatus status;
    MObject transform;
    MObject node = zt::host::createNode(type.asChar(), "", parent, &status, &transform);
    if (ReturnStatus) *ReturnStatus = status;
    if (!status) return MObject();
    created_.push_back([node] { zt::host::deleteNode(node); });
    if (!transform.isNull()) {
        created_.push_back([transform] { zt::host::deleteNode(transform); });
        return transform;
    }
    return node;
}

MStatus MDagModifier::reparentNode(const MObject& node, const MObject& newParent) {
    if (!zt::host::liveNodeOf(node)) return MS::kInvalidParameter;
    operations_.push_back([node, newParent](std::vector<Undo>& undo) {
        zt::host::NodeImpl* impl = zt::host::nodeOf(node);
        MObject before = impl && impl->parent ? impl->parent->object() : MObject();
        MStatus status = zt::host::parentNode(node, newParent);
        if (status) undo.push_back([node, before] { zt::host::parentNode(node, before); });
        return status;
    });
    return MS::kSuccess;
}
