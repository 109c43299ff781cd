// MPxDeformerNode: the standard deformer attributes. What the base class
// computes (outputGeom through deform) is in deformer/deformerEvaluation.cpp.

#include <maya/MFnCompoundAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MPxDeformerNode.h>

#include "graph/nodeKinds.h"

MObject MPxDeformerNode::input;
MObject MPxDeformerNode::inputGeom;
MObject MPxDeformerNode::groupId;
MObject MPxDeformerNode::outputGeom;
MObject MPxDeformerNode::envelope;
MObject MPxDeformerNode::weightList;
MObject MPxDeformerNode::weights;

namespace zt::host {

namespace {

void createDeformerAttributes() {
    MFnTypedAttribute typed;
    MPxDeformerNode::inputGeom =
        typed.create("inputGeometry", "ig", MFnData::kAny, MObject::kNullObj);
    MFnNumericAttribute numeric;
    MPxDeformerNode::groupId = numeric.create("groupId", "gi", MFnNumericData::kInt, 0);
    MFnCompoundAttribute compound;
    MPxDeformerNode::input = compound.create("input", "ip");
    compound.addChild(MPxDeformerNode::inputGeom);
    compound.addChild(MPxDeformerNode::groupId);
    compound.setArray(true);
    compound.setIndexMatters(true);

    MPxDeformerNode::outputGeom =
        typed.create("outputGeometry", "og", MFnData::kAny, MObject::kNullObj);
    typed.setArray(true);
    typed.setWritable(false);
    typed.setStorable(false);
    typed.setUsesArrayDataBuilder(true);

    MPxDeformerNode::envelope = numeric.create("envelope", "en", MFnNumericData::kFloat, 1.0);
    numeric.setKeyable(true);
    numeric.setMin(0.0);
    numeric.setMax(1.0);

    MPxDeformerNode::weights = numeric.create("weights", "w", MFnNumericData::kFloat, 1.0);
    numeric.setArray(true);
    numeric.setUsesArrayDataBuilder(true);
    MPxDeformerNode::weightList = compound.create("weightList", "wl");
    compound.addChild(MPxDeformerNode::weights);
    compound.setArray(true);
    compound.setUsesArrayDataBuilder(true);
}

}  // namespace

MStatus addDeformerAttributes() {
    if (MPxDeformerNode::input.isNull()) createDeformerAttributes();
    for (const MObject* attr : {&MPxDeformerNode::input, &MPxDeformerNode::outputGeom,
                                &MPxDeformerNode::envelope, &MPxDeformerNode::weightList}) {
        MStatus status = MPxNode::addAttribute(*attr);
        if (!status) return status;
    }
    for (const MObject* source : {&MPxDeformerNode::input, &MPxDeformerNode::envelope,
                                  &MPxDeformerNode::weightList, &MPxNode::state}) {
        MStatus status = MPxNode::attributeAffects(*source, MPxDeformerNode::outputGeom);
        if (!status) return status;
    }
    return MS::kSuccess;
}

}  // namespace zt::host

MPxDeformerNode::MPxDeformerNode() = default;
MPxDeformerNode::~MPxDeformerNode() = default;
MPxNode::Type MPxDeformerNode::type() const {
    return kDeformerNode;
}

MStatus MPxDeformerNode::deform(MDataBlock&, MItGeometry&, const MMatrix&, unsigned int) {
    return MS::kSuccess;
}

MObject& MPxDeformerNode::accessoryAttribute() const {
    return MObject::kNullObj;
}
MStatus MPxDeformerNode::accessoryNodeSetup(MDagModifier&) {
    return MS::kSuccess;
}
void MPxDeformerNode::setUseExistingConnectionWhenSetEditing(bool) {}
void MPxDeformerNode::setModifiedCallback(MSelectionList&, bool) {}

float MPxDeformerNode::weightValue(MDataBlock& block, unsigned int multiIndex,
                                   unsigned int wtIndex) {
    MStatus status;
    MArrayDataHandle lists = block.inputArrayValue(weightList, &status);
    if (!status || !lists.jumpToElement(multiIndex)) return 1.0f;
    MDataHandle list = lists.inputValue(&status);
    if (!status) return 1.0f;
    MArrayDataHandle values(list.child(weights), &status);
    if (!status || !values.jumpToElement(wtIndex)) return 1.0f;
    return values.inputValue().asFloat();
}
