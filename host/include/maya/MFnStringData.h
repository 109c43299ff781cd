#pragma once
// Function set of string data.

#include <maya/MFnData.h>
#include <maya/MString.h>

class OPENMAYA_EXPORT MFnStringData : public MFnData {
    declareMFn(MFnStringData, MFnData);

    MString string(MStatus* ReturnStatus = NULL) const;
    MStatus set(const MString& newString);
    MObject create(const MString& str, MStatus* ReturnStatus = NULL);
    MObject create(MStatus* ReturnStatus = NULL);
};
