// MPxNode: the base class's own behaviour and static attributes.

#include <maya/MPlugArray.h>
#include <maya/MPxNode.h>

#include "graph/node.h"

MObject MPxNode::message;
MObject MPxNode::isHistoricallyInteresting;
MObject MPxNode::caching;
MObject MPxNode::state;

MPxNode::MPxNode() : node_(nullptr) {}
MPxNode::~MPxNode() = default;

void MPxNode::postConstructor() {}

MStatus MPxNode::compute(const MPlug&, MDataBlock&) {
    return MS::kUnknownParameter;
}

MPxNode::Type MPxNode::type() const {
    return kDependNode;
}

MTypeId MPxNode::typeId() const {
    return node_ ? node_->type->id : MTypeId();
}

MString MPxNode::typeName() const {
    return node_ ? MString(node_->type->name.c_str()) : MString();
}

MString MPxNode::name() const {
    return node_ ? MString(node_->name.c_str()) : MString();
}

MObject MPxNode::thisMObject() const {
    return node_ && node_->alive ? node_->object() : MObject();
}

MStatus MPxNode::setDependentsDirty(const MPlug&, MPlugArray&) {
    return MS::kSuccess;
}

MStatus MPxNode::connectionMade(const MPlug&, const MPlug&, bool) {
    return MS::kUnknownParameter;
}

MStatus MPxNode::connectionBroken(const MPlug&, const MPlug&, bool) {
    return MS::kUnknownParameter;
}
