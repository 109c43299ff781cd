#pragma once
// Function set of DAG nodes (transforms and shapes): parents, children and
// placement in the hierarchy.

#include <maya/MDagPath.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MMatrix.h>

class OPENMAYA_EXPORT MFnDagNode : public MFnDependencyNode {
    declareMFn(MFnDagNode, MFnDependencyNode);

    MFnDagNode(const MDagPath& object, MStatus* ReturnStatus = NULL);

    // Creates a node of `type` under `parent`; a shape type created with a
    // null parent gets a new transform above it, and the transform is
    // returned (as the SDK does).
    MObject create(const MTypeId& typeId, const MObject& parent = MObject::kNullObj,
                   MStatus* ReturnStatus = NULL);
    MObject create(const MString& type, const MObject& parent = MObject::kNullObj,
                   MStatus* ReturnStatus = NULL);
    MObject create(const MString& type, const MString& name,
                   const MObject& parent = MObject::kNullObj, MStatus* ReturnStatus = NULL);

    unsigned int parentCount(MStatus* ReturnStatus = NULL) const;
    MObject parent(unsigned int i, MStatus* ReturnStatus = NULL) const;
    unsigned int childCount(MStatus* ReturnStatus = NULL) const;
    MObject child(unsigned int i, MStatus* ReturnStatus = NULL) const;
    MStatus addChild(MObject& child, unsigned int index = kNextPos,
                     bool keepExistingParents = false);
    MStatus removeChild(MObject& child);
    MStatus getPath(MDagPath& path) const;
    MDagPath dagPath(MStatus* ReturnStatus = NULL) const;
    MString fullPathName(MStatus* ReturnStatus = NULL) const;
    MString partialPathName(MStatus* ReturnStatus = NULL) const;
    MMatrix transformationMatrix(MStatus* ReturnStatus = NULL) const;
    bool isIntermediateObject(MStatus* ReturnStatus = NULL) const;

    static const unsigned int kNextPos;
};
