#pragma once
// Function set of matrix data.

#include <maya/MFnData.h>
#include <maya/MMatrix.h>

class OPENMAYA_EXPORT MFnMatrixData : public MFnData {
    declareMFn(MFnMatrixData, MFnData);

    const MMatrix& matrix(MStatus* ReturnStatus = NULL) const;
    MStatus set(const MMatrix& matrix);
    MObject create(MStatus* ReturnStatus = NULL);
    MObject create(const MMatrix&, MStatus* ReturnStatus = NULL);
};
