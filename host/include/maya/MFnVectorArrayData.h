#pragma once
// Function set of vector array data.

#include <maya/MFnData.h>
#include <maya/MVector.h>
#include <maya/MVectorArray.h>

class OPENMAYA_EXPORT MFnVectorArrayData : public MFnData {
    declareMFn(MFnVectorArrayData, MFnData);

    unsigned int length(MStatus* ReturnStatus = NULL) const;
    MStatus set(MVector& element, unsigned int index);
    MStatus copyTo(MVectorArray&) const;
    MStatus set(const MVectorArray& newArray);
    // Refers to the data object's storage: changes to it change the data.
    MVectorArray array(MStatus* ReturnStatus = NULL);
    MObject create(MStatus* ReturnStatus = NULL);
    MObject create(const MVectorArray& in, MStatus* ReturnStatus = NULL);
    const MVector& operator[](unsigned int index) const;
    MVector& operator[](unsigned int index);
};
