#pragma once
// Function set of typed attributes: attributes that carry a data object
// (array-attrs point sets, meshes, strings, vector arrays, matrices...).

#include <maya/MFnAttribute.h>
#include <maya/MFnData.h>
#include <maya/MTypeId.h>

class OPENMAYA_EXPORT MFnTypedAttribute : public MFnAttribute {
    declareMFn(MFnTypedAttribute, MFnAttribute);

    MObject create(const MString& fullName, const MString& briefName, const MTypeId& id,
                   MObject defaultData = MObject::kNullObj, MStatus* ReturnStatus = NULL);
    MObject create(const MString& fullName, const MString& briefName, MFnData::Type type,
                   MObject defaultData = MObject::kNullObj, MStatus* ReturnStatus = NULL);
    MObject create(const MString& fullName, const MString& briefName, MFnData::Type type,
                   MStatus* ReturnStatus);
    MFnData::Type attrType(MStatus* ReturnStatus = NULL) const;
    MStatus getDefault(MObject& defaultCustomData);
    MStatus setDefault(const MObject& defaultCustomData);
};
