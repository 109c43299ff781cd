#pragma once
// Path from the world to a DAG node through its ancestors. This host has no
// instancing: every DAG node has at most one parent, so a node has exactly
// one path.

#include <maya/MFn.h>
#include <maya/MMatrix.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>
#include <maya/MString.h>

class OPENMAYA_EXPORT MDagPath {
public:
    MDagPath();
    MDagPath(const MDagPath& src);
    virtual ~MDagPath();
    static MStatus getAPathTo(const MObject& node, MDagPath& path);

    bool hasFn(MFn::Type type, MStatus* ReturnStatus = NULL) const;
    bool isValid(MStatus* ReturnStatus = NULL) const;
    MObject node(MStatus* ReturnStatus = NULL) const;
    // The nearest transform on the path: the node itself when it is one.
    MObject transform(MStatus* ReturnStatus = NULL) const;
    unsigned int length(MStatus* ReturnStatus = NULL) const;
    MStatus pop(unsigned int num = 1);
    MMatrix inclusiveMatrix(MStatus* ReturnStatus = NULL) const;
    MMatrix exclusiveMatrix(MStatus* ReturnStatus = NULL) const;
    MMatrix inclusiveMatrixInverse(MStatus* ReturnStatus = NULL) const;
    MMatrix exclusiveMatrixInverse(MStatus* ReturnStatus = NULL) const;
    MString fullPathName(MStatus* ReturnStatus = NULL) const;
    MString partialPathName(MStatus* ReturnStatus = NULL) const;
    MDagPath& operator=(const MDagPath& src);
    bool operator==(const MDagPath& src) const;

private:
    MObject node_;
};
