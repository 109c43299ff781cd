// ztPointsNormal: face normals of the points' triangles.
//
//   createNode ztPointsNormal -n pn;
//   connectAttr pSphereShape1.outMesh pn.inMesh;
//   connectAttr scatter1.outPoints pn.inPoints;
//   getAttr -channel normal pn.outPoints;

#include "scatter/ztPointsNormal.h"

#include <maya/MDataBlock.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnMesh.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MGlobal.h>
#include <maya/MIOStream.h>
#include <maya/MIntArray.h>
#include <maya/MPlug.h>
#include <maya/MVectorArray.h>

#include <vector>

#include "core/channels.h"
#include "core/meshInput.h"
#include "core/pointSet.h"
#include "core/pointSetNode.h"
#include "kernels/pointsSurface.h"

const MTypeId ztPointsNormal::id(0xC1);

MObject ztPointsNormal::inPoints;
MObject ztPointsNormal::inMesh;
MObject ztPointsNormal::outPoints;

ztPointsNormal::~ztPointsNormal() = default;

MStatus ztPointsNormal::initialize() {
    MStatus status =
        zt::createPointSetAttribute(inPoints, "inPoints", "ip", zt::PointSetRole::kInput);
    if (!status) return status;

    MFnTypedAttribute typed;
    inMesh = typed.create("inMesh", "im", MFnData::kMesh, MObject::kNullObj, &status);
    if (!status) return status;
    CHECK_MSTATUS(typed.setKeyable(true));
    CHECK_MSTATUS(typed.setStorable(true));
    CHECK_MSTATUS(typed.setReadable(true));
    CHECK_MSTATUS(typed.setWritable(true));

    status = zt::createPointSetAttribute(outPoints, "outPoints", "op", zt::PointSetRole::kOutput);
    if (!status) return status;

    for (MObject* attribute : {&inPoints, &inMesh, &outPoints}) {
        status = addAttribute(*attribute);
        if (!status) return status;
    }
    CHECK_MSTATUS(attributeAffects(inPoints, outPoints));
    CHECK_MSTATUS(attributeAffects(inMesh, outPoints));
    return MS::kSuccess;
}

MStatus ztPointsNormal::compute(const MPlug& plug, MDataBlock& data) {
    if (plug != outPoints) return MS::kUnknownParameter;
    MStatus status;

    // The mesh.
    MFnMesh meshFn;
    status = zt::readInputMesh(data, thisMObject(), inMesh, meshFn);
    if (!status) return status;

    // The points and their triangle ids.
    MFnArrayAttrsData input;
    status = zt::readInputPointSet(data, thisMObject(), inPoints, input);
    if (!status) return status;
    const MPlug inPlug(thisMObject(), inPoints);
    if (!zt::hasChannel(input, zt::channels::kTriangleId, MFnArrayAttrsData::kIntArray)) {
        MGlobal::displayError(inPlug.name() +
                              ": Input array does not contain sample-triangle ID information");
        return MS::kFailure;
    }
    const MIntArray triangleIds = input.getIntData(zt::channels::kTriangleId, &status);
    if (!status) {
        zt::reportError("ERROR fnArrayAttrsData.getVectorData(triID, &status)", status);
        return status;
    }
    const unsigned int count = triangleIds.length();

    // The mesh's points and triangles. Every triangle id must name one of
    // its triangles, checked before any work so a wrong mesh fails at once.
    std::vector<float> points;
    status = zt::readMeshPoints(meshFn, points);
    if (!status) return status;
    std::vector<unsigned int> triangles;
    status = zt::readMeshTriangles(meshFn, triangles);
    if (!status) return status;
    if (!zt::checkTriangleIds(triangleIds, triangles.size() / 3, "ztPointsNormal"))
        return MS::kFailure;

    std::vector<float> faceNormals;
    const zt::KernelStatus kernelStatus = zt::computeFaceNormals(points, triangles, faceNormals);
    if (kernelStatus == zt::KernelStatus::NotEnoughMemory) {
        MGlobal::displayError("ztPointsNormal: Not enough memory on GPU");
        return MS::kFailure;
    }
    if (!zt::succeeded(kernelStatus)) return MS::kFailure;

    // The output: the input's channels with "normal" written anew.
    MFnArrayAttrsData output;
    MObject outData = zt::createOutputPointSet(output, status);
    if (!status) return status;
    zt::copyAttributes(output, input, MString(zt::channels::kNormal));
    MVectorArray normals = output.vectorArray(zt::channels::kNormal, &status);
    if (!status) {
        zt::reportError("ERROR in fnArrayAttrsData.vectorArray(normal)\n", status);
        return status;
    }
    normals.setLength(count);
    for (unsigned int i = 0; i < count; ++i) {
        const float* n = faceNormals.data() + 3u * static_cast<unsigned int>(triangleIds[i]);
        normals[i] = MVector(n[0], n[1], n[2]);
    }
    return zt::setOutputPointSet(data, outPoints, outData, plug);
}
