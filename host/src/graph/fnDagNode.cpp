// MFnDagNode and MDagPath.

#include <maya/MDagPath.h>
#include <maya/MFnDagNode.h>
#include <maya/MFnMatrixData.h>

#include "graph/dag.h"
#include "graph/node.h"
#include "graph/registryImpl.h"
#include "graph/scene.h"

using zt::host::NodeImpl;

namespace {

void report(MStatus* status, MStatus::MStatusCode code) {
    if (status) *status = code;
}

NodeImpl* liveDag(const MObject& object) {
    NodeImpl* node = zt::host::liveNodeOf(object);
    return node && node->isDag() ? node : nullptr;
}

// Element 0 of one of a DAG node's matrix arrays, brought up to date.
MMatrix matrixOf(NodeImpl* node, const MObject& attribute) {
    MPlug plug = MPlug(node->object(), attribute).elementByLogicalIndex(0);
    MObject data;
    if (!plug.getValue(data)) return MMatrix();
    return MFnMatrixData(data).matrix();
}

}  // namespace

// ---- MFnDagNode ------------------------------------------------------------

const unsigned int MFnDagNode::kNextPos = 0xffffffffu;

MFnDagNode::MFnDagNode() = default;
MFnDagNode::MFnDagNode(MObject& object, MStatus* ReturnStatus) {
    MStatus s = attach(object);
    if (ReturnStatus) *ReturnStatus = s;
}
MFnDagNode::MFnDagNode(const MObject& object, MStatus* ReturnStatus) {
    MStatus s = attach(object);
    if (ReturnStatus) *ReturnStatus = s;
}
MFnDagNode::MFnDagNode(const MDagPath& object, MStatus* ReturnStatus) {
    MStatus s = attach(object.node());
    if (ReturnStatus) *ReturnStatus = s;
}
MFnDagNode::~MFnDagNode() = default;
MFn::Type MFnDagNode::type() const {
    return MFn::kDagNode;
}
const char* MFnDagNode::className() {
    return "MFnDagNode";
}

MObject MFnDagNode::create(const MString& type, const MString& name, const MObject& parent,
                           MStatus* ReturnStatus) {
    MStatus status;
    MObject transform;
    MObject node = zt::host::createNode(type.asChar(), name.asChar(), parent, &status, &transform);
    if (!status) {
        report(ReturnStatus, status.statusCode());
        return MObject();
    }
    if (!liveDag(node)) {
        // Only DAG types belong under a DAG function set.
        zt::host::deleteNode(node);
        report(ReturnStatus, MS::kInvalidParameter);
        return MObject();
    }
    attach(node);
    report(ReturnStatus, MS::kSuccess);
    return transform.isNull() ? node : transform;
}

MObject MFnDagNode::create(const MString& type, const MObject& parent, MStatus* ReturnStatus) {
    return create(type, MString(), parent, ReturnStatus);
}

MObject MFnDagNode::create(const MTypeId& typeId, const MObject& parent, MStatus* ReturnStatus) {
    zt::host::NodeTypePtr type = zt::host::findNodeType(typeId);
    if (!type) {
        report(ReturnStatus, MS::kInvalidParameter);
        return MObject();
    }
    return create(MString(type->name.c_str()), MString(), parent, ReturnStatus);
}

unsigned int MFnDagNode::parentCount(MStatus* ReturnStatus) const {
    NodeImpl* node = liveDag(fObject);
    report(ReturnStatus, node ? MS::kSuccess : MS::kFailure);
    return node && node->parent ? 1u : 0u;
}

MObject MFnDagNode::parent(unsigned int i, MStatus* ReturnStatus) const {
    NodeImpl* node = liveDag(fObject);
    if (!node || !node->parent || i != 0) {
        report(ReturnStatus, MS::kInvalidParameter);
        return MObject();
    }
    report(ReturnStatus, MS::kSuccess);
    return node->parent->object();
}

unsigned int MFnDagNode::childCount(MStatus* ReturnStatus) const {
    NodeImpl* node = liveDag(fObject);
    report(ReturnStatus, node ? MS::kSuccess : MS::kFailure);
    return node ? static_cast<unsigned int>(node->children.size()) : 0u;
}

MObject MFnDagNode::child(unsigned int i, MStatus* ReturnStatus) const {
    NodeImpl* node = liveDag(fObject);
    if (!node || i >= node->children.size()) {
        report(ReturnStatus, MS::kInvalidParameter);
        return MObject();
    }
    report(ReturnStatus, MS::kSuccess);
    return node->children[i]->object();
}

MStatus MFnDagNode::addChild(MObject& childObject, unsigned int, bool) {
    return zt::host::parentNode(childObject, fObject);
}

MStatus MFnDagNode::removeChild(MObject& childObject) {
    NodeImpl* node = liveDag(fObject);
    NodeImpl* childNode = liveDag(childObject);
    if (!node || !childNode || childNode->parent != node) return MS::kInvalidParameter;
    return zt::host::parentNode(childObject, MObject());
}

MStatus MFnDagNode::getPath(MDagPath& path) const {
    return MDagPath::getAPathTo(fObject, path);
}

MDagPath MFnDagNode::dagPath(MStatus* ReturnStatus) const {
    MDagPath path;
    MStatus status = getPath(path);
    report(ReturnStatus, status.statusCode());
    return path;
}

MString MFnDagNode::fullPathName(MStatus* ReturnStatus) const {
    NodeImpl* node = liveDag(fObject);
    report(ReturnStatus, node ? MS::kSuccess : MS::kFailure);
    return node ? MString(node->fullPathName().c_str()) : MString();
}

MString MFnDagNode::partialPathName(MStatus* ReturnStatus) const {
    NodeImpl* node = liveDag(fObject);
    report(ReturnStatus, node ? MS::kSuccess : MS::kFailure);
    return node ? MString(node->name.c_str()) : MString();
}

MMatrix MFnDagNode::transformationMatrix(MStatus* ReturnStatus) const {
    NodeImpl* node = liveDag(fObject);
    if (!node) {
        report(ReturnStatus, MS::kFailure);
        return MMatrix();
    }
    report(ReturnStatus, MS::kSuccess);
    MObject data;
    MPlug(fObject, zt::host::dagAttributes().matrix).getValue(data);
    return MFnMatrixData(data).matrix();
}

bool MFnDagNode::isIntermediateObject(MStatus* ReturnStatus) const {
    NodeImpl* node = liveDag(fObject);
    report(ReturnStatus, node ? MS::kSuccess : MS::kFailure);
    return node && MPlug(fObject, zt::host::dagAttributes().intermediateObject).asBool();
}

// ---- MDagPath --------------------------------------------------------------

MDagPath::MDagPath() = default;
MDagPath::MDagPath(const MDagPath& src) = default;
MDagPath::~MDagPath() = default;
MDagPath& MDagPath::operator=(const MDagPath& src) = default;
bool MDagPath::operator==(const MDagPath& src) const {
    return node_ == src.node_;
}

MStatus MDagPath::getAPathTo(const MObject& node, MDagPath& path) {
    if (!liveDag(node)) return MS::kInvalidParameter;
    path.node_ = node;
    return MS::kSuccess;
}

bool MDagPath::hasFn(MFn::Type type, MStatus* ReturnStatus) const {
    report(ReturnStatus, isValid() ? MS::kSuccess : MS::kFailure);
    return node_.hasFn(type);
}

bool MDagPath::isValid(MStatus* ReturnStatus) const {
    report(ReturnStatus, MS::kSuccess);
    return liveDag(node_) != nullptr;
}

MObject MDagPath::node(MStatus* ReturnStatus) const {
    report(ReturnStatus, isValid() ? MS::kSuccess : MS::kFailure);
    return node_;
}

MObject MDagPath::transform(MStatus* ReturnStatus) const {
    NodeImpl* node = liveDag(node_);
    if (!node) {
        report(ReturnStatus, MS::kFailure);
        return MObject();
    }
    report(ReturnStatus, MS::kSuccess);
    if (node->isTransform() || !node->parent) return node_;
    return node->parent->object();
}

unsigned int MDagPath::length(MStatus* ReturnStatus) const {
    NodeImpl* node = liveDag(node_);
    report(ReturnStatus, node ? MS::kSuccess : MS::kFailure);
    unsigned int depth = 0;
    for (NodeImpl* n = node; n; n = n->parent) ++depth;
    return depth;
}

MStatus MDagPath::pop(unsigned int num) {
    NodeImpl* node = liveDag(node_);
    if (!node) return MS::kFailure;
    for (unsigned int i = 0; i < num; ++i) {
        if (!node->parent) return MS::kInvalidParameter;
        node = node->parent;
    }
    node_ = node->object();
    return MS::kSuccess;
}

MMatrix MDagPath::inclusiveMatrix(MStatus* ReturnStatus) const {
    NodeImpl* node = liveDag(node_);
    report(ReturnStatus, node ? MS::kSuccess : MS::kFailure);
    return node ? matrixOf(node, zt::host::dagAttributes().worldMatrix) : MMatrix();
}

MMatrix MDagPath::exclusiveMatrix(MStatus* ReturnStatus) const {
    NodeImpl* node = liveDag(node_);
    report(ReturnStatus, node ? MS::kSuccess : MS::kFailure);
    if (!node) return MMatrix();
    // A shape has no transformation of its own: it is placed by its parent.
    const zt::host::DagAttributes& a = zt::host::dagAttributes();
    return matrixOf(node, node->isTransform() ? a.parentMatrix : a.worldMatrix);
}

MMatrix MDagPath::inclusiveMatrixInverse(MStatus* ReturnStatus) const {
    return inclusiveMatrix(ReturnStatus).inverse();
}

MMatrix MDagPath::exclusiveMatrixInverse(MStatus* ReturnStatus) const {
    return exclusiveMatrix(ReturnStatus).inverse();
}

MString MDagPath::fullPathName(MStatus* ReturnStatus) const {
    NodeImpl* node = liveDag(node_);
    report(ReturnStatus, node ? MS::kSuccess : MS::kFailure);
    return node ? MString(node->fullPathName().c_str()) : MString();
}

MString MDagPath::partialPathName(MStatus* ReturnStatus) const {
    NodeImpl* node = liveDag(node_);
    report(ReturnStatus, node ? MS::kSuccess : MS::kFailure);
    return node ? MString(node->name.c_str()) : MString();
}
