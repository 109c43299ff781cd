#pragma once
// Numeric types of attributes and the data object of a numeric compound
// (two or three numbers of one type carried as a single value).

#include <maya/MFnData.h>

class OPENMAYA_EXPORT MFnNumericData : public MFnData {
public:
    enum Type {
        kInvalid,
        kBoolean,
        kByte,
        kChar,
        kShort,
        k2Short,
        k3Short,
        kLong,
        kInt = kLong,
        k2Long,
        k2Int = k2Long,
        k3Long,
        k3Int = k3Long,
        kFloat,
        k2Float,
        k3Float,
        kDouble,
        k2Double,
        k3Double,
        k4Double,
        kAddr,
        kLast
    };

    MFnNumericData();
    MFnNumericData(MObject& object, MStatus* ReturnStatus = NULL);
    MFnNumericData(const MObject& object, MStatus* ReturnStatus = NULL);
    virtual ~MFnNumericData();
    virtual MFn::Type type() const;
    static const char* className();

    MObject create(Type dataType, MStatus* ReturnStatus = NULL);
    Type numericType(MStatus* ReturnStatus = NULL);
    MStatus getData(short& val1, short& val2);
    MStatus getData(int& val1, int& val2);
    MStatus getData(float& val1, float& val2);
    MStatus getData(double& val1, double& val2);
    MStatus getData(short& val1, short& val2, short& val3);
    MStatus getData(int& val1, int& val2, int& val3);
    MStatus getData(float& val1, float& val2, float& val3);
    MStatus getData(double& val1, double& val2, double& val3);
    MStatus setData(short val1, short val2);
    MStatus setData(int val1, int val2);
    MStatus setData(float val1, float val2);
    MStatus setData(double val1, double val2);
    MStatus setData(short val1, short val2, short val3);
    MStatus setData(int val1, int val2, int val3);
    MStatus setData(float val1, float val2, float val3);
    MStatus setData(double val1, double val2, double val3);

private:
    MFnNumericData(const MFnNumericData&);
    MFnNumericData& operator=(const MFnNumericData&);
};
