#pragma once
// Function set of a loaded plug-in: registers its node types and commands.
// The host remembers what each plug-in registered and removes it on unload.

#include <maya/MApiVersion.h>
#include <maya/MFnBase.h>
#include <maya/MPxNode.h>
#include <maya/MString.h>
#include <maya/MTypeId.h>

class OPENMAYA_EXPORT MFnPlugin : public MFnBase {
public:
    MFnPlugin();
    MFnPlugin(MObject& object, const char* vendor = "Unknown", const char* version = "Unknown",
              const char* requiredApiVersion = "Any", MStatus* ReturnStatus = 0L);
    virtual ~MFnPlugin();
    virtual MFn::Type type() const;

    MStatus registerCommand(const MString& commandName, MCreatorFunction creatorFunction,
                            MCreateSyntaxFunction createSyntaxFunction = NULL);
    MStatus deregisterCommand(const MString& commandName);
    MStatus registerNode(const MString& typeName, const MTypeId& typeId,
                         MCreatorFunction creatorFunction, MInitializeFunction initFunction,
                         MPxNode::Type type = MPxNode::kDependNode,
                         const MString* classification = NULL);
    MStatus deregisterNode(const MTypeId& typeId);
    MString vendor(MStatus* ReturnStatus = NULL) const;
    MString version(MStatus* ReturnStatus = NULL) const;
    MString apiVersion(MStatus* ReturnStatus = NULL) const;
    MString name(MStatus* ReturnStatus = NULL) const;

private:
    MFnPlugin(const MFnPlugin&);
    MFnPlugin& operator=(const MFnPlugin&);
};
