#pragma once
// Function set of enum attributes: a short with named values.

#include <maya/MFnAttribute.h>

class OPENMAYA_EXPORT MFnEnumAttribute : public MFnAttribute {
    declareMFn(MFnEnumAttribute, MFnAttribute);

    MObject create(const MString& fullName, const MString& briefName, short defaultValue = 0,
                   MStatus* ReturnStatus = NULL);
    MStatus addField(const MString& fieldString, short index);
    MString fieldName(short index, MStatus* ReturnStatus = NULL) const;
    short fieldIndex(const MString& fieldString, MStatus* ReturnStatus = NULL) const;
    MStatus getMin(short& minValue) const;
    MStatus getMax(short& maxValue) const;
    MStatus setDefault(short index);
    MStatus setDefault(const MString& fieldString);
    MStatus getDefault(short& index) const;
};
