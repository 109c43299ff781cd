// ztPointsUV: UVs of the mesh at the points.
//
//   createNode ztPointsUV -n puv;
//   connectAttr pPlaneShape1.outMesh puv.inMesh;
//   connectAttr scatter1.outPoints puv.inPoints;
//   setAttr puv.uvSet 0;                  // index into the mesh's UV set names
//   connectAttr puv.outUVs colorBuffer1.inUVs;

#include "attributes/ztPointsUV.h"

#include <maya/MDataBlock.h>
#include <maya/MDataHandle.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnMesh.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MFnVectorArrayData.h>
#include <maya/MGlobal.h>
#include <maya/MIOStream.h>
#include <maya/MIntArray.h>
#include <maya/MItMeshPolygon.h>
#include <maya/MPlug.h>
#include <maya/MStringArray.h>
#include <maya/MVectorArray.h>

#include <string>

#include "core/channels.h"
#include "core/meshInput.h"
#include "core/pointSet.h"
#include "core/pointSetNode.h"
#include "kernels/pointsSurface.h"

const MTypeId ztPointsUV::id(0xB6);

MObject ztPointsUV::inPoints;
MObject ztPointsUV::inMesh;
MObject ztPointsUV::uvSet;
MObject ztPointsUV::outUVs;

ztPointsUV::~ztPointsUV() = default;

MStatus ztPointsUV::initialize() {
    MStatus status =
        zt::createPointSetAttribute(inPoints, "inPoints", "ip", zt::PointSetRole::kInput);
    if (!status) return status;
    MFnTypedAttribute typed(inPoints);
    CHECK_MSTATUS(typed.setHidden(true));

    inMesh = typed.create("inMesh", "im", MFnData::kMesh, MObject::kNullObj, &status);
    if (!status) return status;
    CHECK_MSTATUS(typed.setKeyable(true));
    CHECK_MSTATUS(typed.setStorable(true));
    CHECK_MSTATUS(typed.setReadable(true));
    CHECK_MSTATUS(typed.setWritable(true));
    CHECK_MSTATUS(typed.setHidden(true));

    MFnNumericAttribute numeric;
    uvSet = numeric.create("uvSet", "uvs", MFnNumericData::kInt, 0, &status);
    if (!status) return status;
    CHECK_MSTATUS(numeric.setMin(0));
    CHECK_MSTATUS(numeric.setKeyable(true));
    CHECK_MSTATUS(numeric.setStorable(true));
    CHECK_MSTATUS(numeric.setReadable(true));
    CHECK_MSTATUS(numeric.setWritable(true));

    outUVs = typed.create("outUVs", "uv", MFnData::kVectorArray, MObject::kNullObj, &status);
    if (!status) return status;
    CHECK_MSTATUS(typed.setKeyable(false));
    CHECK_MSTATUS(typed.setStorable(false));
    CHECK_MSTATUS(typed.setReadable(true));
    CHECK_MSTATUS(typed.setWritable(false));

    for (MObject* attribute : {&inPoints, &inMesh, &uvSet, &outUVs}) {
        status = addAttribute(*attribute);
        if (!status) return status;
    }
    CHECK_MSTATUS(attributeAffects(inMesh, outUVs));
    CHECK_MSTATUS(attributeAffects(inPoints, outUVs));
    CHECK_MSTATUS(attributeAffects(uvSet, outUVs));
    return MS::kSuccess;
}

namespace zt {

MStatus buildTriangleUVTable(MObject& mesh, const MString* uvSet, std::vector<float>& table) {
    MStatus status;
    MFnMesh meshFn(mesh, &status);
    if (!status) return status;
    MItMeshPolygon polygons(mesh, &status);
    if (!status) {
        reportError("ERROR MFnMesh", status);
        return status;
    }
    MIntArray triangleCounts, triangleVertices;
    status = meshFn.getTriangles(triangleCounts, triangleVertices);
    if (!status) {
        reportError("ERROR meshFn.getTriangles", status);
        return status;
    }
    table.assign(2 * static_cast<std::size_t>(triangleVertices.length()), 0.0f);

    std::size_t t = 0;
    MIntArray polygonVertices;
    for (unsigned int p = 0; p < triangleCounts.length(); ++p) {
        int previous = 0;
        polygons.setIndex(static_cast<int>(p), previous);
        polygons.getVertices(polygonVertices);
        for (int k = 0; k < triangleCounts[p]; ++k, ++t) {
            int corners[3] = {0, 0, 0};
            meshFn.getPolygonTriangleVertices(static_cast<int>(p), k, corners);
            for (unsigned int j = 0; j < 3; ++j) {
                // The corner's position in the polygon's own vertex list.
                int m = -1;
                for (unsigned int q = 0; q < polygonVertices.length(); ++q) {
                    if (polygonVertices[q] == corners[j]) {
                        m = static_cast<int>(q);
                        break;
                    }
                }
                if (m < 0) {
                    MGlobal::displayError("ztPointsUV: UV point not found");
                    return MS::kFailure;
                }
                // A corner without a UV in the set keeps the pair it holds.
                float2 uv = {table[6 * t + 2 * j], table[6 * t + 2 * j + 1]};
                polygons.getUV(m, uv, uvSet);
                table[6 * t + 2 * j] = uv[0];
                table[6 * t + 2 * j + 1] = uv[1];
            }
        }
    }
    return MS::kSuccess;
}

}  // namespace zt

MStatus ztPointsUV::compute(const MPlug& plug, MDataBlock& data) {
    if (plug != outUVs) return MS::kUnknownParameter;
    MStatus status;

    // The mesh and the UV set to read.
    MFnMesh meshFn;
    MObject mesh;
    status = zt::readInputMesh(data, thisMObject(), inMesh, meshFn, &mesh, "ERROR MFnMesh");
    if (!status) return status;
    const int setIndex = data.inputValue(uvSet).asInt();
    MStringArray setNames;
    meshFn.getUVSetNames(setNames);
    int chosen = setIndex;
    if (setIndex < 0 || static_cast<unsigned int>(setIndex) >= setNames.length()) {
        MGlobal::displayWarning("ztPointsUV: UV set not found, using default UV set.");
        chosen = 0;
    }
    // Index 0 is the mesh's current set, read without naming it.
    MString setName;
    if (chosen > 0) setName = setNames[static_cast<unsigned int>(chosen)];
    std::vector<float> table;
    status = zt::buildTriangleUVTable(mesh, chosen > 0 ? &setName : nullptr, table);
    if (!status) return status;
    const std::size_t triangleCount = table.size() / 6;

    // The points: triangle ids and parametric (u, v).
    MFnArrayAttrsData input;
    status = zt::readInputPointSet(data, thisMObject(), inPoints, input,
                                   ": please supply points vector");
    if (!status) return status;
    const MPlug inPlug(thisMObject(), inPoints);
    if (!zt::requireChannel(input, zt::channels::kTriangleId, MFnArrayAttrsData::kIntArray, inPlug,
                            "Missing 'triID' attribute in point array") ||
        !zt::requireChannel(input, zt::channels::kUv, MFnArrayAttrsData::kVectorArray, inPlug,
                            "Missing 'uv' attribute in point array")) {
        return MS::kFailure;
    }
    const MIntArray triangleIds = input.getIntData(zt::channels::kTriangleId);
    const MVectorArray uvs = input.getVectorData(zt::channels::kUv, &status);
    if (!status) {
        zt::reportError("ERROR fnArrayAttrsData.getVectorData(uv, &status)", status);
        return status;
    }
    const unsigned int count = triangleIds.length();
    if (uvs.length() != count) {
        MGlobal::displayError(inPlug.name() + ": 'uv' has " + std::to_string(uvs.length()).c_str() +
                              " elements, 'triID' " + std::to_string(count).c_str());
        return MS::kFailure;
    }
    if (!zt::checkTriangleIds(triangleIds, triangleCount, "ztPointsUV")) return MS::kFailure;

    const std::vector<unsigned int> samplesTriID = zt::toUnsigned(triangleIds);
    std::vector<float> sampleUV = zt::toFloat2(uvs);
    const zt::KernelStatus kernelStatus = zt::interpolateSampleUVs(table, samplesTriID, sampleUV);
    if (kernelStatus == zt::KernelStatus::NotEnoughMemory) {
        MGlobal::displayError("Not enough memory on GPU");
        return MS::kFailure;
    }
    if (!zt::succeeded(kernelStatus)) return MS::kFailure;

    MFnVectorArrayData outFn;
    MObject outData = outFn.create(&status);
    if (!status) {
        zt::reportError("ERROR in fnVectorArrayData.create.\n", status);
        return status;
    }
    MVectorArray out = outFn.array(&status);
    if (!status) {
        zt::reportError("ERROR getting outUVs array", status);
        return status;
    }
    out.setLength(count);
    for (unsigned int i = 0; i < count; ++i)
        out[i] = MVector(sampleUV[2 * i], sampleUV[2 * i + 1], 0.0);

    MDataHandle outHandle = data.outputValue(outUVs, &status);
    if (!status) {
        zt::reportError("ERROR handle = block.outputValue(outUVs).\n", status);
        return status;
    }
    status = outHandle.set(outData);
    if (!status) {
        zt::reportError("ERROR handle.set(outArray)\n", status);
        return status;
    }
    data.setClean(plug);
    return MS::kSuccess;
}
