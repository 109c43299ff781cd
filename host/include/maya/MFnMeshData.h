#pragma once
// Function set of mesh data: the value a mesh attribute (inMesh, outMesh)
// carries. Attach MFnMesh to the object to build or read the mesh.

#include <maya/MFnGeometryData.h>

class OPENMAYA_EXPORT MFnMeshData : public MFnGeometryData {
    declareMFn(MFnMeshData, MFnGeometryData);

    // A new, empty mesh data object; the function set is attached to it.
    MObject create(MStatus* ReturnStatus = NULL);
};
