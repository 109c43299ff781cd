// Attributes every node inherits by its kind: MPxNode's own, the DAG ones,
// translate/rotate/scale for transforms, and those of the emitter and
// deformer base classes.

#include <maya/MFnEnumAttribute.h>
#include <maya/MFnMessageAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MPxNode.h>

#include "graph/dag.h"
#include "graph/nodeKinds.h"
#include "graph/registryImpl.h"

namespace zt::host {

namespace {

void createNodeAttributes() {
    if (!MPxNode::message.isNull()) return;
    MFnMessageAttribute message;
    MPxNode::message = message.create("message", "msg");
    MFnNumericAttribute numeric;
    MPxNode::isHistoricallyInteresting =
        numeric.create("isHistoricallyInteresting", "ihi", MFnNumericData::kByte, 2);
    MPxNode::caching = numeric.create("caching", "cch", MFnNumericData::kBoolean, 0);
    MFnEnumAttribute enumeration;
    MPxNode::state = enumeration.create("nodeState", "nds", 0);
    enumeration.addField("Normal", 0);
    enumeration.addField("HasNoEffect", 1);
    enumeration.addField("Blocking", 2);
}

MStatus addAll(std::initializer_list<const MObject*> attributes) {
    for (const MObject* attr : attributes) {
        MStatus status = MPxNode::addAttribute(*attr);
        if (!status) return status;
    }
    return MS::kSuccess;
}

MStatus affectsAll(std::initializer_list<const MObject*> sources,
                   std::initializer_list<const MObject*> targets) {
    for (const MObject* source : sources) {
        for (const MObject* target : targets) {
            MStatus status = MPxNode::attributeAffects(*source, *target);
            if (!status) return status;
        }
    }
    return MS::kSuccess;
}

}  // namespace

MStatus addInheritedAttributes(MPxNode::Type kind, NodeRole role) {
    createNodeAttributes();
    MStatus status = addAll({&MPxNode::message, &MPxNode::caching,
                             &MPxNode::isHistoricallyInteresting, &MPxNode::state});
    if (!status) return status;

    if (role != NodeRole::kDepend) {
        const DagAttributes& a = dagAttributes();
        status = addAll({&a.visibility, &a.intermediateObject, &a.matrix, &a.inverseMatrix,
                         &a.worldMatrix, &a.worldInverseMatrix, &a.parentMatrix,
                         &a.parentInverseMatrix});
        if (!status) return status;
        status = affectsAll({&a.parentMatrix},
                            {&a.worldMatrix, &a.worldInverseMatrix, &a.parentInverseMatrix});
        if (!status) return status;
        if (role == NodeRole::kTransform) {
            status = addAll({&a.translate, &a.rotate, &a.scale});
            if (!status) return status;
            status =
                affectsAll({&a.translate, &a.rotate, &a.scale},
                           {&a.matrix, &a.inverseMatrix, &a.worldMatrix, &a.worldInverseMatrix});
            if (!status) return status;
        }
    }
    switch (kind) {
        case MPxNode::kEmitterNode:
            return addEmitterAttributes();
        case MPxNode::kDeformerNode:
            return addDeformerAttributes();
        default:
            return MS::kSuccess;
    }
}

}  // namespace zt::host
