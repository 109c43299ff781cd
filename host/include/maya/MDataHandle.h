#pragma once
// Handle to one value in a node's data block. The as*() accessors return
// references into the stored value; asking for another numeric type than
// the stored one converts the stored value to that type first, so the
// reference always refers to the value itself. asDouble3 and asVector share
// the storage of a three-double value, asFloat3 and asFloatVector that of a
// three-float one.

#include <maya/MFloatMatrix.h>
#include <maya/MFloatVector.h>
#include <maya/MFnData.h>
#include <maya/MFnNumericData.h>
#include <maya/MMatrix.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MTime.h>
#include <maya/MTypes.h>
#include <maya/MVector.h>

class MPlug;

namespace zt {
namespace host {
struct Cell;
class AttributeImpl;
struct DataHandleAccess;
}  // namespace host
}  // namespace zt

class OPENMAYA_EXPORT MDataHandle {
public:
    MDataHandle();
    MDataHandle(const MDataHandle&);
    MDataHandle& operator=(const MDataHandle& other);

    bool isNumeric() const;
    MFnNumericData::Type numericType() const;
    MFnData::Type type() const;
    MObject data();
    // Replaces this value by a copy of src's (data objects are duplicated).
    MStatus copy(const MDataHandle& src);
    void setClean();

    bool& asBool() const;
    char& asChar() const;
    unsigned char& asUChar() const;
    short& asShort() const;
    int& asInt() const;
    int& asLong() const;
    float& asFloat() const;
    double& asDouble() const;
    MTime asTime() const;
    short2& asShort2() const;
    int2& asInt2() const;
    float2& asFloat2() const;
    double2& asDouble2() const;
    short3& asShort3() const;
    int3& asInt3() const;
    float3& asFloat3() const;
    double3& asDouble3() const;
    double4& asDouble4() const;
    MVector& asVector() const;
    MFloatVector& asFloatVector() const;
    MMatrix& asMatrix() const;
    MFloatMatrix& asFloatMatrix() const;
    MString& asString() const;
    MObject asMesh() const;

    MDataHandle child(const MPlug& plug);
    MDataHandle child(const MObject& attribute);

    void set(bool);
    void set(char);
    void set(short);
    void set(int);
    void set(float);
    void set(double);
    void set(const MMatrix&);
    void set(const MFloatMatrix&);
    void set(const MVector&);
    void set(const MFloatVector&);
    void set(const MTime&);
    void set(short, short);
    void set(int, int);
    void set(float, float);
    void set(double, double);
    void set(short, short, short);
    void set(int, int, int);
    void set(float, float, float);
    void set(double, double, double);
    void set(const MString&);
    MStatus set(const MObject& data);
    void setBool(bool);
    void setChar(char);
    void setShort(short);
    void setInt(int);
    void setFloat(float);
    void setDouble(double);
    void setMMatrix(const MMatrix&);
    void setMFloatMatrix(const MFloatMatrix&);
    void setMVector(const MVector&);
    void setMFloatVector(const MFloatVector&);
    void setMTime(const MTime&);
    void setString(const MString&);
    MStatus setMObject(const MObject& data);

private:
    friend struct zt::host::DataHandleAccess;
    // The cell holding the value (for a child of a numeric compound: the
    // compound's cell), the attribute, whether writes are allowed, and
    // whether the handle is the whole of an array attribute.
    zt::host::Cell* cell_;
    const zt::host::AttributeImpl* attr_;
    bool writable_;
    bool wholeArray_;
};
