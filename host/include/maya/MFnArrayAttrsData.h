#pragma once
// Function set of array-attrs data: named per-element arrays ("channels")
// of vectors, doubles, ints or strings, kept in insertion order.
//
// vectorArray/doubleArray/intArray/stringArray return an array that refers
// to the channel's storage (appending to it fills the channel), creating an
// empty channel when the name is missing or holds another type. The get*Data
// accessors refer to the channel too but never create one: for a missing
// name they report kInvalidParameter, for a channel of another type
// kFailure, and return an empty array.

#include <maya/MDoubleArray.h>
#include <maya/MFnData.h>
#include <maya/MIntArray.h>
#include <maya/MString.h>
#include <maya/MStringArray.h>
#include <maya/MVectorArray.h>

class OPENMAYA_EXPORT MFnArrayAttrsData : public MFnData {
    declareMFn(MFnArrayAttrsData, MFnData);

    enum Type { kInvalid, kVectorArray, kDoubleArray, kIntArray, kStringArray, kLast };

    MStatus clear();
    unsigned int count() const;
    MStringArray list(MStatus* ReturnStatus = NULL) const;
    bool checkArrayExist(const MString attrName, MFnArrayAttrsData::Type& arrayType,
                         MStatus* ReturnStatus = NULL);
    MVectorArray vectorArray(const MString attrName, MStatus* ReturnStatus = NULL);
    MDoubleArray doubleArray(const MString attrName, MStatus* ReturnStatus = NULL);
    MIntArray intArray(const MString attrName, MStatus* ReturnStatus = NULL);
    MStringArray stringArray(const MString attrName, MStatus* ReturnStatus = NULL);
    MObject create(MStatus* ReturnStatus = NULL);
    MVectorArray getVectorData(const MString attrName, MStatus* ReturnStatus = NULL);
    MDoubleArray getDoubleData(const MString attrName, MStatus* ReturnStatus = NULL);
    MIntArray getIntData(const MString attrName, MStatus* ReturnStatus = NULL);
    MStringArray getStringData(const MString attrName, MStatus* ReturnStatus = NULL);
};
