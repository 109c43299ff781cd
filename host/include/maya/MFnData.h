#pragma once
// Base function set of data values (what typed attributes hold).

#include <maya/MFnBase.h>

class OPENMAYA_EXPORT MFnData : public MFnBase {
public:
    MFnData();
    MFnData(MObject& object, MStatus* ReturnStatus = NULL);
    MFnData(const MObject& object, MStatus* ReturnStatus = NULL);
    virtual ~MFnData();
    virtual MFn::Type type() const;
    static const char* className();

    enum Type {
        kInvalid,
        kNumeric,
        kPlugin,
        kPluginGeometry,
        kString,
        kMatrix,
        kStringArray,
        kDoubleArray,
        kFloatArray,
        kIntArray,
        kPointArray,
        kVectorArray,
        kMatrixArray,
        kComponentList,
        kMesh,
        kLattice,
        kNurbsCurve,
        kNurbsSurface,
        kSphere,
        kDynArrayAttrs,
        kDynSweptGeometry,
        kSubdSurface,
        kNObject,
        kNId,
        kAny,
        kLast
    };

private:
    MFnData(const MFnData&);
    MFnData& operator=(const MFnData&);
};
