// ztColorBuffer: colours of a shading network at the points' UVs.
//
//   createNode file -n tex;
//   setAttr -type "string" tex.fileTextureName "ids.png";
//   createNode ztColorBuffer -n cb;
//   connectAttr puv.outUVs cb.inUVs;          // a ztPointsUV node
//   connectAttr tex.outColor cb.inColor;
//   connectAttr cb.outColor objectId1.inColor;

#include "attributes/ztColorBuffer.h"

#include <maya/M3dView.h>
#include <maya/MDagPath.h>
#include <maya/MDataBlock.h>
#include <maya/MDataHandle.h>
#include <maya/MFloatArray.h>
#include <maya/MFloatMatrix.h>
#include <maya/MFloatVectorArray.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MFnVectorArrayData.h>
#include <maya/MGlobal.h>
#include <maya/MIOStream.h>
#include <maya/MMatrix.h>
#include <maya/MPlug.h>
#include <maya/MPlugArray.h>
#include <maya/MRenderUtil.h>
#include <maya/MSelectionList.h>
#include <maya/MVectorArray.h>

#include <string>

#include "core/pointSetNode.h"

const MTypeId ztColorBuffer::id(0xB5);

MObject ztColorBuffer::outColor;
MObject ztColorBuffer::inUVs;
MObject ztColorBuffer::inColor;

namespace {

// The camera the network is shaded for: the active view's, else the default
// perspective camera; identity when neither exists.
MFloatMatrix cameraMatrix() {
    MStatus status;
    MDagPath camera;
    M3dView view = M3dView::active3dView(&status);
    if (!status || !view.getCamera(camera)) {
        MSelectionList list;
        if (!list.add("persp") || !list.getDagPath(0, camera)) return MFloatMatrix();
    }
    const MMatrix matrix = camera.inclusiveMatrix(&status);
    if (!status) return MFloatMatrix();
    return MFloatMatrix(matrix.matrix);
}

}  // namespace

ztColorBuffer::~ztColorBuffer() = default;

MStatus ztColorBuffer::initialize() {
    MStatus status;
    MFnTypedAttribute typed;
    outColor = typed.create("outColor", "oc", MFnData::kVectorArray, MObject::kNullObj, &status);
    if (!status) {
        zt::reportError("ERROR in MFnData::kDynArrayAttrs.\n", status);
        return status;
    }
    CHECK_MSTATUS(typed.setKeyable(false));
    CHECK_MSTATUS(typed.setStorable(false));
    CHECK_MSTATUS(typed.setReadable(true));
    CHECK_MSTATUS(typed.setWritable(false));

    inUVs = typed.create("inUVs", "uv", MFnData::kVectorArray, MObject::kNullObj, &status);
    if (!status) {
        zt::reportError("ERROR in inColors.\n", status);
        return status;
    }
    CHECK_MSTATUS(typed.setKeyable(true));
    CHECK_MSTATUS(typed.setStorable(true));
    CHECK_MSTATUS(typed.setReadable(true));
    CHECK_MSTATUS(typed.setWritable(true));

    MFnNumericAttribute numeric;
    inColor = numeric.createColor("inColor", "ic", &status);
    if (!status) return status;
    CHECK_MSTATUS(numeric.setKeyable(true));
    CHECK_MSTATUS(numeric.setStorable(true));
    CHECK_MSTATUS(numeric.setReadable(true));
    CHECK_MSTATUS(numeric.setWritable(true));

    for (MObject* attribute : {&outColor, &inUVs, &inColor}) {
        status = addAttribute(*attribute);
        if (!status) return status;
    }
    CHECK_MSTATUS(attributeAffects(inColor, outColor));
    CHECK_MSTATUS(attributeAffects(inUVs, outColor));
    return MS::kSuccess;
}

MStatus ztColorBuffer::compute(const MPlug& plug, MDataBlock& data) {
    if (plug != outColor) return MS::kUnknownParameter;
    MStatus status;

    // The UVs to sample at.
    MDataHandle uvHandle = data.inputValue(inUVs, &status);
    if (!status) {
        zt::reportError("ERROR getting inUVs", status);
        return status;
    }
    MObject uvData = uvHandle.data();
    MFnVectorArrayData uvFn;
    status = uvFn.setObject(uvData);
    if (!status) {
        MGlobal::displayError(MPlug(thisMObject(), inUVs).name() +
                              ": please supply points UV from ztPointsUV node");
        return status;
    }
    const MVectorArray uvs = uvFn.array();
    const unsigned int count = uvs.length();
    MFloatArray u(count), v(count);
    for (unsigned int i = 0; i < count; ++i) {
        u[i] = static_cast<float>(uvs[i].x);
        v[i] = static_cast<float>(uvs[i].y);
    }

    // The network to sample: whatever feeds inColor. Nothing connected is
    // not an error; the output keeps what it held.
    MPlugArray sources;
    MPlug(thisMObject(), inColor).connectedTo(sources, true, false, &status);
    if (!status) {
        zt::reportError("ERROR getting plug connections", status);
        return status;
    }
    if (sources.length() == 0) {
        data.setClean(plug);
        return MS::kSuccess;
    }
    const MString networkName = sources[0].name(&status);
    if (!status) {
        zt::reportError("ERROR getting plug name(2)", status);
        return status;
    }

    MFloatMatrix camera = cameraMatrix();
    MFloatVectorArray colors, transparencies;
    status = MRenderUtil::sampleShadingNetwork(networkName, static_cast<int>(count), false, false,
                                               camera, nullptr, &u, &v, nullptr, nullptr, nullptr,
                                               nullptr, nullptr, colors, transparencies);
    if (!status) {
        MGlobal::displayError("ztColorBuffer: cannot sample the shading network " + networkName);
        return MS::kFailure;
    }
    if (colors.length() < count) {
        MGlobal::displayError("ztColorBuffer: the shading network " + networkName + " gave " +
                              std::to_string(colors.length()).c_str() + " colours for " +
                              std::to_string(count).c_str() + " points");
        return MS::kFailure;
    }

    MFnVectorArrayData outFn;
    MObject outData = outFn.create(&status);
    if (!status) {
        zt::reportError("ERROR in fnVectorArrayData.create.\n", status);
        return status;
    }
    MVectorArray out = outFn.array(&status);
    if (!status) {
        zt::reportError("ERROR getting outColor array", status);
        return status;
    }
    out.setLength(count);
    for (unsigned int i = 0; i < count; ++i)
        out[i] = MVector(colors[i].x, colors[i].y, colors[i].z);

    MDataHandle outHandle = data.outputValue(outColor, &status);
    if (!status) {
        zt::reportError("ERROR handle = block.outputValue.\n", status);
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
