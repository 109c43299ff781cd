#pragma once
// Function set of unit attributes: a double measured in time, distance or
// angle. Time values are MTime; distances and angles are stored as given
// (angles in degrees, distances in centimetres: this host does no unit
// conversion).

#include <maya/MFnAttribute.h>
#include <maya/MTime.h>

class OPENMAYA_EXPORT MFnUnitAttribute : public MFnAttribute {
    declareMFn(MFnUnitAttribute, MFnAttribute);

    enum Type { kInvalid, kAngle, kDistance, kTime, kLast };
    MObject create(const MString& fullName, const MString& briefName,
                   MFnUnitAttribute::Type unitType, double defaultValue = 0.0,
                   MStatus* ReturnStatus = NULL);
    MObject create(const MString& fullName, const MString& briefName, const MTime& defaultValue,
                   MStatus* ReturnStatus = NULL);
    MFnUnitAttribute::Type unitType(MStatus* ReturnStatus = NULL) const;
    MStatus setDefault(double defaultValue);
    MStatus setDefault(const MTime& defaultValue);
    MStatus setMin(double minValue);
    MStatus setMax(double maxValue);
    MStatus setSoftMin(double minValue);
    MStatus setSoftMax(double maxValue);
};
