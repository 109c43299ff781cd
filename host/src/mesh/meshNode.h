#pragma once
// The built-in "mesh" shape node. Its geometry comes from inMesh when that
// is connected, otherwise from the node's own mesh (cachedInMesh, set by
// the primitive and import commands and by function sets that edit the
// node). Outputs:
//   outMesh      the geometry, in object space;
//   worldMesh[0] the geometry transformed by the shape's world matrix;
//   boundingBox  (boundingBoxMin, boundingBoxMax, boundingBoxSize, each with
//                X/Y/Z double children) of outMesh in object space, (0,0,0)
//                for an empty mesh.
// UV sets and colour sets travel with the mesh data. displayColors (dc, off
// by default) makes the view draw the current colour set.

#include <maya/MPxNode.h>
#include <maya/MTypeId.h>

#include "meshGeometry.h"

namespace zt::host {

class MeshNode : public MPxNode {
public:
    static constexpr const char* kTypeName = "mesh";
    static const MTypeId id;

    static MObject inMesh;
    static MObject cachedInMesh;
    static MObject outMesh;
    static MObject worldMesh;
    static MObject boundingBox;
    static MObject boundingBoxMin, boundingBoxMinX, boundingBoxMinY, boundingBoxMinZ;
    static MObject boundingBoxMax, boundingBoxMaxX, boundingBoxMaxY, boundingBoxMaxZ;
    static MObject boundingBoxSize, boundingBoxSizeX, boundingBoxSizeY, boundingBoxSizeZ;
    // Whether the view shows the vertex colours of the current colour set.
    static MObject displayColors;

    static void* creator();
    static MStatus initialize();

    MStatus compute(const MPlug& plug, MDataBlock& data) override;

private:
    MObject sourceMesh(MDataBlock& data, MStatus& status);
    bool isBoundingBoxAttribute(const MObject& attribute) const;
};

// Creates a transform named `transformName` (a trailing '#' or a taken name
// gets a number) with a mesh shape under it holding `geometry`. The shape is
// named after the transform with "Shape" before any trailing digits
// (pPlane1 -> pPlaneShape1). Returns {transform, shape} names; throws
// MeshError on failure.
struct CreatedMesh {
    MObject transform;
    MObject shape;
    std::string transformName;
    std::string shapeName;
};
CreatedMesh createMeshNode(const std::string& transformName, MeshGeometry geometry);

// "pPlane1" -> "pPlaneShape1", "ground" -> "groundShape".
std::string shapeNameFor(const std::string& transformName);

}  // namespace zt::host
