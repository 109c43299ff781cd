#pragma once
// Iterator over the polygons of a mesh (a mesh node, a DAG path to one, or a
// mesh data object). Corner arguments of getUV/getUVIndex are face-relative:
// position m in the list getVertices returns. A null uvSet means the
// current UV set.

#include <maya/MDagPath.h>
#include <maya/MFloatArray.h>
#include <maya/MIntArray.h>
#include <maya/MObject.h>
#include <maya/MPoint.h>
#include <maya/MPointArray.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MTypes.h>
#include <maya/MVector.h>

class OPENMAYA_EXPORT MItMeshPolygon {
public:
    MItMeshPolygon(const MObject& polyObject, MStatus* ReturnStatus = NULL);
    // Only whole meshes are iterated: `component` must be null.
    MItMeshPolygon(const MDagPath& polyObject, MObject& component = MObject::kNullObj,
                   MStatus* ReturnStatus = NULL);
    virtual ~MItMeshPolygon();

    bool isDone(MStatus* ReturnStatus = NULL);
    MStatus next();
    MStatus reset();
    unsigned int count(MStatus* ReturnStatus = NULL);
    unsigned int polygonVertexCount(MStatus* ReturnStatus = NULL);
    unsigned int index(MStatus* ReturnStatus = NULL);
    MStatus setIndex(int index, int& prevIndex);
    unsigned int vertexIndex(int index, MStatus* ReturnStatus = NULL);
    MStatus getVertices(MIntArray& vertices);
    bool hasUVs(MStatus* ReturnStatus = NULL) const;
    bool hasUVs(const MString& uvSet, MStatus* ReturnStatus = NULL) const;
    MStatus getUV(int vertexId, float2& uvPoint, const MString* uvSet = NULL) const;
    MStatus getUVs(MFloatArray& uArray, MFloatArray& vArray, const MString* uvSet = NULL) const;
    MStatus getUVIndex(int vertex, int& index, const MString* uvSet = NULL);
    MStatus numTriangles(int& count) const;
    // Triangle `localTriIndex` of the current polygon: its corner points and
    // mesh vertex ids, in the order MFnMesh::getPolygonTriangleVertices uses.
    MStatus getTriangle(int localTriIndex, MPointArray& points, MIntArray& vertexList,
                        MSpace::Space space = MSpace::kObject) const;
    MPoint center(MSpace::Space space = MSpace::kObject, MStatus* ReturnStatus = NULL);
    MStatus getNormal(MVector& normal, MSpace::Space space = MSpace::kObject) const;

private:
    MItMeshPolygon(const MItMeshPolygon&);
    MItMeshPolygon& operator=(const MItMeshPolygon&);
    MStatus attach(const MObject& mesh);

    MObject fMesh;   // the mesh node or data
    MObject fData;   // the mesh data read when the iterator was made (or reset)
    MDagPath fPath;  // for world space; invalid for data objects
    int fIndex = 0;
};
