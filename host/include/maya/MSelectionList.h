#pragma once
// List of nodes, DAG paths and plugs. add(MString) takes a node name
// ("ztScatterPoints1"), a DAG path ("|pPlane1|pPlaneShape1") or a plug
// ("node.attr", "node.input[0].inputGeometry") and fails when nothing of
// that name exists.

#include <maya/MDagPath.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MStatus.h>
#include <maya/MString.h>

#include <vector>

class MStringArray;

class OPENMAYA_EXPORT MSelectionList {
public:
    enum MergeStrategy { kMergeNormal = 0, kXORWithList, kRemoveFromList };
    MSelectionList();
    MSelectionList(const MSelectionList& src);
    MSelectionList& operator=(const MSelectionList& src);
    virtual ~MSelectionList();
    MStatus clear();
    bool isEmpty(MStatus* ReturnStatus = NULL) const;
    unsigned int length(MStatus* ReturnStatus = NULL) const;
    MStatus getDependNode(unsigned int index, MObject& depNode) const;
    MStatus getDagPath(unsigned int index, MDagPath& dagPath,
                       MObject& component = MObject::kNullObj) const;
    MStatus getPlug(unsigned int index, MPlug& plug) const;
    MStatus getSelectionStrings(MStringArray& array) const;
    MStatus add(const MObject& object, const bool mergeWithExisting = false);
    MStatus add(const MString& matchString, const bool searchChildNamespacesToo = false);
    MStatus add(const MPlug& plug, const bool mergeWithExisting = false);
    MStatus add(const MDagPath& object, const MObject& component = MObject::kNullObj,
                bool mergeWithExisting = false);
    MStatus remove(unsigned int index);

private:
    struct Item {
        MObject node;
        MPlug plug;
        bool isPlug = false;
    };
    std::vector<Item> items_;
};
