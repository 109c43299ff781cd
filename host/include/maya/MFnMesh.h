#pragma once
// Function set of polygon meshes. It attaches to a mesh shape node (reading
// the node's output mesh, writing the node's own geometry) or to a mesh data
// object (MFnMeshData::create, MDataHandle::asMesh/data), which it reads and
// changes directly.
//
// Triangulation: polygon p with n corners has n - 2 triangles; getTriangles
// lists polygons in order and, inside each, the triangles k = 0..n-3 that
// getPolygonTriangleVertices(p, k) returns. Convex polygons are fans from
// their first corner; concave ones are cut by ear clipping in their plane.
//
// Space: kWorld needs the function set to be built from an MDagPath (or a
// node, whose one path is used); on data objects it equals kObject.

#include <maya/MBoundingBox.h>
#include <maya/MColor.h>
#include <maya/MColorArray.h>
#include <maya/MDagPath.h>
#include <maya/MFloatArray.h>
#include <maya/MFloatPointArray.h>
#include <maya/MFnDagNode.h>
#include <maya/MIntArray.h>
#include <maya/MPoint.h>
#include <maya/MPointArray.h>
#include <maya/MString.h>
#include <maya/MStringArray.h>
#include <maya/MVector.h>

#define kMFnMeshInstanceUnspecified -1

class MDGModifier;

class OPENMAYA_EXPORT MFnMesh : public MFnDagNode {
    declareMFn(MFnMesh, MFnDagNode);

    MFnMesh(const MDagPath& object, MStatus* ReturnStatus = NULL);
    MStatus setObject(MObject& object) override;
    MStatus setObject(const MObject& object) override;
    MStatus setObject(const MDagPath& path);

    enum MColorRepresentation { kAlpha = 1, kRGB = 3, kRGBA = 4 };

    // Creates a mesh. `parentOrOwner` may be a mesh data object (the mesh
    // goes into it and it is returned), a transform (a new mesh shape is
    // created under it and returned) or null (a new transform with a mesh
    // shape under it; the transform is returned). The function set is
    // attached to the new mesh.
    MObject create(int numVertices, int numPolygons, const MFloatPointArray& vertexArray,
                   const MIntArray& polygonCounts, const MIntArray& polygonConnects,
                   MObject& parentOrOwner = MObject::kNullObj, MStatus* ReturnStatus = NULL);
    MObject create(int numVertices, int numPolygons, const MFloatPointArray& vertexArray,
                   const MIntArray& polygonCounts, const MIntArray& polygonConnects,
                   const MFloatArray& uArray, const MFloatArray& vArray,
                   MObject& parentOrOwner = MObject::kNullObj, MStatus* ReturnStatus = NULL);

    int numVertices(MStatus* ReturnStatus = NULL) const;
    int numEdges(MStatus* ReturnStatus = NULL) const;
    int numPolygons(MStatus* ReturnStatus = NULL) const;
    int numFaceVertices(MStatus* ReturnStatus = NULL) const;
    int polygonVertexCount(int polygonId, MStatus* ReturnStatus = NULL) const;

    MStatus getTriangles(MIntArray& triangleCounts, MIntArray& triangleVertices) const;
    MStatus getPoints(MFloatPointArray& vertexArray, MSpace::Space space = MSpace::kObject) const;
    MStatus getPoints(MPointArray& vertexArray, MSpace::Space space = MSpace::kObject) const;
    MStatus getPoint(int vertexId, MPoint& pos, MSpace::Space space = MSpace::kObject) const;
    MStatus getVertices(MIntArray& vertexCount, MIntArray& vertexList) const;
    MStatus getPolygonVertices(int polygonId, MIntArray& vertexList) const;
    MStatus getPolygonTriangleVertices(int polygonId, int triangleId,
                                       int triangleVertices[3]) const;
    MStatus getPolygonNormal(int polygonId, MVector& normal,
                             MSpace::Space space = MSpace::kObject) const;
    MStatus getEdgeVertices(int edgeId, int2& vertexList) const;

    // Writing points. On a node they replace the node's own geometry; on a
    // node whose inMesh is connected they fail (the mesh comes from upstream).
    MStatus setPoints(const MFloatPointArray& vertexArray, MSpace::Space space = MSpace::kObject);
    MStatus setPoints(const MPointArray& vertexArray, MSpace::Space space = MSpace::kObject);
    MStatus setPoint(int vertexId, const MPoint& pos, MSpace::Space space = MSpace::kObject);

    // UV sets. A null uvSet means the current set.
    int numUVSets(MStatus* ReturnStatus = NULL) const;
    int numUVs(MStatus* ReturnStatus = NULL) const;
    int numUVs(const MString& uvSet, MStatus* ReturnStatus = NULL) const;
    MStatus getUVSetNames(MStringArray& setNames) const;
    MStatus getCurrentUVSetName(MString& setName, int instance = kMFnMeshInstanceUnspecified) const;
    MStatus getUV(int uvId, float& u, float& v, const MString* uvSet = NULL) const;
    MStatus getUVs(MFloatArray& uArray, MFloatArray& vArray, const MString* uvSet = NULL) const;
    MStatus getPolygonUV(int polygonId, int vertexIndex, float& u, float& v,
                         const MString* uvSet = NULL) const;
    MStatus getPolygonUVid(int polygonId, int vertexIndex, int& uvId,
                           const MString* uvSet = NULL) const;

    // Colour sets. A null colorSet means the current set. Vertices without a
    // colour read as *defaultUnsetColor, or (-1, -1, -1, -1) when it is null.
    int numColorSets(MStatus* ReturnStatus = NULL) const;
    MStatus getColorSetNames(MStringArray& setNames) const;
    MStatus getCurrentColorSetName(MString& setName,
                                   int instance = kMFnMeshInstanceUnspecified) const;
    MStatus getVertexColors(MColorArray& colors, const MString* colorSet = NULL,
                            const MColor* defaultUnsetColor = NULL);
    MStatus getFaceVertexColors(MColorArray& colors, const MString* colorSet = NULL,
                                const MColor* defaultUnsetColor = NULL);
    // Creating a set makes it current when the mesh has no current set.
    // colorSetName gets the name given (a taken name gets a number).
    // The modifier, when given, is not used: changes apply at once.
    MStatus createColorSet(MString& colorSetName, MDGModifier* modifier = NULL,
                           int* instance = NULL);
    MString createColorSetWithName(const MString& colorSetName, MDGModifier* modifier = NULL,
                                   int* instance = NULL, MStatus* ReturnStatus = NULL);
    MStatus setCurrentColorSetName(const MString& colorSetName, MDGModifier* modifier = NULL,
                                   int* instance = NULL);
    // Colours of the listed vertices in the current colour set (created as
    // "colorSet1" when the mesh has none). With kRGB the alpha stays as it
    // was (1 for a vertex without colour); kAlpha sets only the alpha.
    MStatus setVertexColors(const MColorArray& colors, const MIntArray& vertexList,
                            MDGModifier* modifier = NULL, MColorRepresentation rep = kRGBA);
    MStatus setVertexColor(const MColor& color, int vertexId, MDGModifier* modifier = NULL,
                           MColorRepresentation rep = kRGBA);

    // Host extra: the object-space bounding box of the points.
    MBoundingBox boundingBox(MStatus* ReturnStatus = NULL) const;

private:
    MDagPath fPath;
    // The mesh data read from a node, kept alive while the function set is.
    mutable MObject fReadData;
};
