#pragma once
// The input mesh of a node that works on points lying on it: the mesh read
// from its attribute, its vertex positions and triangulation as the flat
// arrays the kernels take, and the check that the points' triangle ids name
// triangles of it. Each step writes the node's usual diagnostic and returns
// the failing status, so a compute reads
//
//     MFnMesh mesh;
//     MStatus status = zt::readInputMesh(data, thisMObject(), inMesh, mesh);
//     if (!status) return status;
//     std::vector<unsigned int> triangles;
//     status = zt::readMeshTriangles(mesh, triangles);
//     if (!status) return status;

#include <maya/MDataBlock.h>
#include <maya/MFnMesh.h>
#include <maya/MIntArray.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>

#include <cstddef>
#include <vector>

namespace zt {

// Attaches `mesh` to the mesh on `attribute` of `node` (and `meshData`, when
// given, to the mesh data itself). A failing handle writes "ERROR getting
// inMesh" and returns its status; no mesh connected displays "<plug>: please
// supply inMesh", writes `attachError` with the status when one is given,
// and returns the status of attaching.
MStatus readInputMesh(MDataBlock& block, const MObject& node, const MObject& attribute,
                      MFnMesh& mesh, MObject* meshData = nullptr,
                      const char* attachError = nullptr);

// The object-space vertex positions as x, y, z floats per vertex. A failing
// host call writes "ERROR meshFn.getPoints" and returns its status.
MStatus readMeshPoints(const MFnMesh& mesh, std::vector<float>& xyz);

// The triangulation in getTriangles order, 3 vertex ids per triangle. A
// failing host call writes "ERROR meshFn.getTriangles" and returns its status.
MStatus readMeshTriangles(const MFnMesh& mesh, std::vector<unsigned int>& corners);

// True when every id names one of `triangleCount` triangles; a negative id
// is out of range. Otherwise displays "<nodeType>: sample triId out of
// range, probably wrong inMesh input" and returns false.
bool checkTriangleIds(const MIntArray& ids, std::size_t triangleCount, const char* nodeType);

}  // namespace zt
