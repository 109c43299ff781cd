#pragma once
// MDGModifier with DAG operations: creating nodes under a parent and
// reparenting. A shape created with a null parent gets a new transform above
// it; createNode then returns that transform, as the SDK does.

#include <maya/MDGModifier.h>

class OPENMAYA_EXPORT MDagModifier : public MDGModifier {
public:
    MDagModifier();
    ~MDagModifier();
    MObject createNode(const MTypeId& typeId, const MObject& parent = MObject::kNullObj,
                       MStatus* ReturnStatus = NULL);
    MObject createNode(const MString& type, const MObject& parent = MObject::kNullObj,
                       MStatus* ReturnStatus = NULL);
    MStatus reparentNode(const MObject& node, const MObject& newParent = MObject::kNullObj);
};
