#pragma once
// Function set of matrix attributes. The default value is the identity.

#include <maya/MFloatMatrix.h>
#include <maya/MFnAttribute.h>
#include <maya/MMatrix.h>

class OPENMAYA_EXPORT MFnMatrixAttribute : public MFnAttribute {
    declareMFn(MFnMatrixAttribute, MFnAttribute);

    enum Type { kFloat, kDouble };
    MObject create(const MString& fullName, const MString& briefName, Type matrixType = kDouble,
                   MStatus* ReturnStatus = NULL);
    MStatus getDefault(MMatrix& def);
    MStatus setDefault(const MMatrix& def);
};
