#pragma once
// Function set of dependency nodes: creation, naming, attributes and plugs.

#include <maya/MFnBase.h>
#include <maya/MPlug.h>
#include <maya/MString.h>
#include <maya/MTypeId.h>

class MPxNode;

class OPENMAYA_EXPORT MFnDependencyNode : public MFnBase {
    declareMFn(MFnDependencyNode, MFnBase);

    MObject create(const MTypeId& typeId, MStatus* ReturnStatus = NULL);
    MObject create(const MString& type, MStatus* ReturnStatus = NULL);
    MTypeId typeId(MStatus* ReturnStatus = NULL) const;
    MString typeName(MStatus* ReturnStatus = NULL) const;
    MString name(MStatus* ReturnStatus = NULL) const;
    // Returns the name actually given: a trailing '#' becomes the smallest
    // number that makes the name unique, and a taken name gets a number.
    MString setName(const MString& name, bool createNamespace = false,
                    MStatus* ReturnStatus = NULL);
    MString setName(const MString& name, MStatus* ReturnStatus);
    unsigned int attributeCount(MStatus* ReturnStatus = NULL) const;
    MObject attribute(unsigned int index, MStatus* ReturnStatus = NULL) const;
    MObject attribute(const MString& attrName, MStatus* ReturnStatus = NULL) const;
    MPlug findPlug(const MObject& attr, bool wantNetworkedPlug, MStatus* ReturnStatus = NULL) const;
    MPlug findPlug(const MString& attrName, bool wantNetworkedPlug,
                   MStatus* ReturnStatus = NULL) const;
    MPlug findPlug(const MObject& attr, MStatus* ReturnStatus = NULL) const;
    MPlug findPlug(const MString& attrName, MStatus* ReturnStatus = NULL) const;
    bool hasAttribute(const MString& name, MStatus* ReturnStatus = NULL) const;
    // Plugs of this node that take part in connections (either side).
    MStatus getConnections(MPlugArray& array) const;
    MPxNode* userNode(MStatus* ReturnStatus = NULL) const;
};
