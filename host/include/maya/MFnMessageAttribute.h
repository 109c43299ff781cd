#pragma once
// Function set of message attributes: no value, only connections.

#include <maya/MFnAttribute.h>

class OPENMAYA_EXPORT MFnMessageAttribute : public MFnAttribute {
    declareMFn(MFnMessageAttribute, MFnAttribute);

    MObject create(const MString& fullName, const MString& briefName, MStatus* ReturnStatus = NULL);
};
