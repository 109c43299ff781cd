#pragma once
// ztPointsUV: the texture coordinates of the mesh surface under every point,
// interpolated in the point's triangle ("triID") at its parametric position
// ("uv") from the corner UVs of one UV set. Its output is a plain vector
// array (U, V, 0) per point, which ztColorBuffer takes as inUVs.

#include <maya/MPxNode.h>
#include <maya/MStatus.h>
#include <maya/MTypeId.h>

#include <vector>

class MFnMesh;
class MString;

class ztPointsUV : public MPxNode {
public:
    ztPointsUV() = default;
    ~ztPointsUV() override;

    MStatus compute(const MPlug& plug, MDataBlock& data) override;

    static void* creator() { return new ztPointsUV(); }
    static MStatus initialize();

    static const MTypeId id;

    static MObject inPoints;
    static MObject inMesh;
    static MObject uvSet;
    static MObject outUVs;
};

namespace zt {

// The per-triangle UV table of a mesh: 6 floats per triangle in
// MFnMesh::getTriangles order, (U, V) of the triangle's corners in the order
// MFnMesh::getPolygonTriangleVertices gives them, read from `uvSet` (null:
// the current set). A corner without a UV in the set keeps (0, 0). Fails,
// with "ztPointsUV: UV point not found" displayed, when a triangle corner is
// not a vertex of its polygon.
MStatus buildTriangleUVTable(MObject& mesh, const MString* uvSet, std::vector<float>& table);

}  // namespace zt
