#pragma once
// Function set of compound attributes: a named group of child attributes.
// Children reach a node only through their compound.

#include <maya/MFnAttribute.h>

class OPENMAYA_EXPORT MFnCompoundAttribute : public MFnAttribute {
    declareMFn(MFnCompoundAttribute, MFnAttribute);

    MObject create(const MString& full, const MString& brief, MStatus* ReturnStatus = NULL);
    MStatus addChild(const MObject& child);
    MStatus removeChild(const MObject& child);
    unsigned int numChildren(MStatus* ReturnStatus = NULL) const;
    MObject child(unsigned int index, MStatus* ReturnStatus = NULL) const;
};
