#pragma once
// Base function set of geometry data values (meshes, in this host).

#include <maya/MFnData.h>

class OPENMAYA_EXPORT MFnGeometryData : public MFnData {
    declareMFn(MFnGeometryData, MFnData);
};
