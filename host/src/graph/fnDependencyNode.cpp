// MFnDependencyNode.

#include <maya/MFnDependencyNode.h>
#include <maya/MPlugArray.h>

#include <algorithm>

#include "graph/fnConstructors.h"
#include "graph/plugAccess.h"
#include "graph/registryImpl.h"
#include "graph/scene.h"

using zt::host::AttributeImpl;
using zt::host::NodeImpl;

namespace {

void report(MStatus* status, MStatus::MStatusCode code) {
    if (status) *status = code;
}

}  // namespace

ZT_DEFINE_MFN_CONSTRUCTORS(MFnDependencyNode, MFn::kDependencyNode)

MObject MFnDependencyNode::create(const MTypeId& typeId, MStatus* ReturnStatus) {
    zt::host::NodeTypePtr type = zt::host::findNodeType(typeId);
    if (!type) {
        report(ReturnStatus, MS::kInvalidParameter);
        return MObject();
    }
    return create(MString(type->name.c_str()), ReturnStatus);
}

MObject MFnDependencyNode::create(const MString& type, MStatus* ReturnStatus) {
    MStatus status;
    MObject node = zt::host::createNode(type.asChar(), "", MObject::kNullObj, &status);
    if (status) attach(node);
    report(ReturnStatus, status.statusCode());
    return node;
}

MTypeId MFnDependencyNode::typeId(MStatus* ReturnStatus) const {
    NodeImpl* node = zt::host::liveNodeOf(fObject);
    report(ReturnStatus, node ? MS::kSuccess : MS::kFailure);
    return node ? node->type->id : MTypeId();
}

MString MFnDependencyNode::typeName(MStatus* ReturnStatus) const {
    NodeImpl* node = zt::host::liveNodeOf(fObject);
    report(ReturnStatus, node ? MS::kSuccess : MS::kFailure);
    return node ? MString(node->type->name.c_str()) : MString();
}

MString MFnDependencyNode::name(MStatus* ReturnStatus) const {
    NodeImpl* node = zt::host::liveNodeOf(fObject);
    report(ReturnStatus, node ? MS::kSuccess : MS::kFailure);
    return node ? MString(node->name.c_str()) : MString();
}

MString MFnDependencyNode::setName(const MString& name, bool, MStatus* ReturnStatus) {
    MStatus status;
    const std::string given = zt::host::renameNode(fObject, name.asChar(), &status);
    report(ReturnStatus, status.statusCode());
    return MString(given.c_str());
}

MString MFnDependencyNode::setName(const MString& name, MStatus* ReturnStatus) {
    return setName(name, false, ReturnStatus);
}

unsigned int MFnDependencyNode::attributeCount(MStatus* ReturnStatus) const {
    NodeImpl* node = zt::host::liveNodeOf(fObject);
    report(ReturnStatus, node ? MS::kSuccess : MS::kFailure);
    return node ? static_cast<unsigned int>(node->type->allAttributes.size()) : 0u;
}

MObject MFnDependencyNode::attribute(unsigned int index, MStatus* ReturnStatus) const {
    NodeImpl* node = zt::host::liveNodeOf(fObject);
    if (!node || index >= node->type->allAttributes.size()) {
        report(ReturnStatus, MS::kInvalidParameter);
        return MObject();
    }
    report(ReturnStatus, MS::kSuccess);
    return zt::host::wrapAttribute(node->type->allAttributes[index].get());
}

MObject MFnDependencyNode::attribute(const MString& attrName, MStatus* ReturnStatus) const {
    NodeImpl* node = zt::host::liveNodeOf(fObject);
    AttributeImpl* attr = node ? node->type->find(attrName.asChar()) : nullptr;
    report(ReturnStatus, attr ? MS::kSuccess : MS::kInvalidParameter);
    return zt::host::wrapAttribute(attr);
}

MPlug MFnDependencyNode::findPlug(const MObject& attr, bool, MStatus* ReturnStatus) const {
    MPlug plug(fObject, attr);
    report(ReturnStatus, plug.isNull() ? MS::kInvalidParameter : MS::kSuccess);
    return plug;
}

MPlug MFnDependencyNode::findPlug(const MString& attrName, bool, MStatus* ReturnStatus) const {
    MStatus status;
    MObject attr = attribute(attrName, &status);
    if (!status) {
        report(ReturnStatus, status.statusCode());
        return MPlug();
    }
    return findPlug(attr, true, ReturnStatus);
}

MPlug MFnDependencyNode::findPlug(const MObject& attr, MStatus* ReturnStatus) const {
    return findPlug(attr, true, ReturnStatus);
}

MPlug MFnDependencyNode::findPlug(const MString& attrName, MStatus* ReturnStatus) const {
    return findPlug(attrName, true, ReturnStatus);
}

bool MFnDependencyNode::hasAttribute(const MString& attrName, MStatus* ReturnStatus) const {
    NodeImpl* node = zt::host::liveNodeOf(fObject);
    report(ReturnStatus, node ? MS::kSuccess : MS::kFailure);
    return node && node->type->find(attrName.asChar());
}

MStatus MFnDependencyNode::getConnections(MPlugArray& array) const {
    array.clear();
    NodeImpl* node = zt::host::liveNodeOf(fObject);
    if (!node) return MS::kFailure;
    std::vector<zt::host::PlugRef> seen;
    auto add = [&](const zt::host::PlugRef& plug) {
        if (std::find(seen.begin(), seen.end(), plug) != seen.end()) return;
        seen.push_back(plug);
        array.append(zt::host::PlugAccess::make(plug));
    };
    for (const auto& c : node->incoming) add(c->destination);
    for (const auto& c : node->outgoing) add(c->source);
    return MS::kSuccess;
}

MPxNode* MFnDependencyNode::userNode(MStatus* ReturnStatus) const {
    NodeImpl* node = zt::host::liveNodeOf(fObject);
    report(ReturnStatus, node && node->user ? MS::kSuccess : MS::kFailure);
    return node ? node->user.get() : nullptr;
}
