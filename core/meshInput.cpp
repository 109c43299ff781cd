#include "core/meshInput.h"

#include <maya/MDataHandle.h>
#include <maya/MFloatPointArray.h>
#include <maya/MGlobal.h>
#include <maya/MPlug.h>
#include <maya/MString.h>

#include "core/pointSet.h"
#include "core/pointSetNode.h"

namespace zt {

MStatus readInputMesh(MDataBlock& block, const MObject& node, const MObject& attribute,
                      MFnMesh& mesh, MObject* meshData, const char* attachError) {
    MStatus status;
    MDataHandle handle = block.inputValue(attribute, &status);
    if (!status) {
        reportError("ERROR getting inMesh", status);
        return status;
    }
    const MObject data = handle.asMesh();
    if (meshData) *meshData = data;
    status = mesh.setObject(data);
    if (!status) {
        MGlobal::displayError(MPlug(node, attribute).name() + ": please supply inMesh");
        if (attachError) reportError(attachError, status);
    }
    return status;
}

MStatus readMeshPoints(const MFnMesh& mesh, std::vector<float>& xyz) {
    MFloatPointArray points;
    const MStatus status = mesh.getPoints(points, MSpace::kObject);
    if (!status) {
        reportError("ERROR meshFn.getPoints", status);
        return status;
    }
    xyz.resize(3u * static_cast<std::size_t>(points.length()));
    for (unsigned int i = 0; i < points.length(); ++i) {
        xyz[3u * i] = points[i].x;
        xyz[3u * i + 1] = points[i].y;
        xyz[3u * i + 2] = points[i].z;
    }
    return MS::kSuccess;
}

MStatus readMeshTriangles(const MFnMesh& mesh, std::vector<unsigned int>& corners) {
    MIntArray triangleCounts, triangleVertices;
    const MStatus status = mesh.getTriangles(triangleCounts, triangleVertices);
    if (!status) {
        reportError("ERROR meshFn.getTriangles", status);
        return status;
    }
    corners = toUnsigned(triangleVertices);
    return MS::kSuccess;
}

bool checkTriangleIds(const MIntArray& ids, std::size_t triangleCount, const char* nodeType) {
    for (unsigned int i = 0; i < ids.length(); ++i) {
        // The unsigned view turns a negative id into one past any count.
        if (static_cast<unsigned int>(ids[i]) >= triangleCount) {
            MGlobal::displayError(MString(nodeType) +
                                  ": sample triId out of range, probably wrong inMesh input");
            return false;
        }
    }
    return true;
}

}  // namespace zt
