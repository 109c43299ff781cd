#pragma once
// Function set of numeric attributes: one number, or a compound of two or
// three numbers of one type (points, colours, k3Float...).

#include <maya/MFnAttribute.h>
#include <maya/MFnNumericData.h>

class OPENMAYA_EXPORT MFnNumericAttribute : public MFnAttribute {
    declareMFn(MFnNumericAttribute, MFnAttribute);

    // For two- and three-component types the children are created too and
    // named fullName + "0", "1", "2" (briefName likewise).
    MObject create(const MString& fullName, const MString& briefName, MFnNumericData::Type unitType,
                   double defaultValue = 0, MStatus* ReturnStatus = NULL);
    // Three floats named fullName + "R", "G", "B", used as a colour.
    MObject createColor(const MString& fullName, const MString& briefName,
                        MStatus* ReturnStatus = NULL);
    // Three floats named fullName + "X", "Y", "Z".
    MObject createPoint(const MString& fullName, const MString& briefName,
                        MStatus* ReturnStatus = NULL);
    // A numeric compound from existing numeric children of one type.
    MObject create(const MString& fullName, const MString& briefName, const MObject& child1,
                   const MObject& child2, const MObject& child3 = MObject::kNullObj,
                   MStatus* ReturnStatus = NULL);
    MFnNumericData::Type unitType(MStatus* ReturnStatus = NULL) const;
    MObject child(unsigned int index, MStatus* ReturnStatus = NULL) const;

    bool hasMin(MStatus* ReturnStatus = NULL) const;
    bool hasMax(MStatus* ReturnStatus = NULL) const;
    bool hasSoftMin(MStatus* ReturnStatus = NULL) const;
    bool hasSoftMax(MStatus* ReturnStatus = NULL) const;
    MStatus getMin(double& min1) const;
    MStatus getMax(double& max1) const;
    MStatus getSoftMin(double& min1) const;
    MStatus getSoftMax(double& max1) const;
    MStatus setMin(int min1);
    MStatus setMin(double min1);
    MStatus setMin(double min1, double min2);
    MStatus setMin(double min1, double min2, double min3);
    MStatus setMax(int max1);
    MStatus setMax(double max1);
    MStatus setMax(double max1, double max2);
    MStatus setMax(double max1, double max2, double max3);
    MStatus setSoftMin(double min1);
    MStatus setSoftMax(double max1);
    MStatus setDefault(bool def1);
    MStatus setDefault(int def1);
    MStatus setDefault(int def1, int def2, int def3);
    MStatus setDefault(float def1);
    MStatus setDefault(float def1, float def2, float def3);
    MStatus setDefault(double def1);
    MStatus setDefault(double def1, double def2);
    MStatus setDefault(double def1, double def2, double def3);
    MStatus getDefault(double& def1);
};
