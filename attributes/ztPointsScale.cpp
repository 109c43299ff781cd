// ztPointsScale: writes the per-point "scale" channel the instancer reads.
//
//     createNode ztPointsScale -n scale;
//     connectAttr rotation.outPoints scale.inPoints;
//     setAttr scale.uniform 0;
//     setAttr scale.scaleRandomY 0.5;                       // taller by up to 0.5
//     connectAttr terrainShape.outMesh scale.inMesh;        // painted layers:
//     setAttr scale.vertexColor[0].vertexColorType 1;       // colour set 0 adds,
//     setAttr scale.vertexColor[0].vertexColorFactor 2;     // twice its colour
//
// The scale of a point is the base scale, multiplied by `inColor` and by the
// multiply layers, plus the add layers, plus a one-sided random term; in
// uniform mode only x is computed and written to all three axes.

#include "attributes/ztPointsScale.h"

#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnMesh.h>
#include <maya/MGlobal.h>
#include <maya/MVectorArray.h>

#include <vector>

#include "core/channels.h"
#include "core/colorLayers.h"
#include "core/nodeAttributes.h"
#include "core/pointSet.h"
#include "core/pointSetNode.h"
#include "kernels/pointScale.h"

const MTypeId ztPointsScale::id(0xB7);

MObject ztPointsScale::inPoints;
MObject ztPointsScale::outPoints;
MObject ztPointsScale::inMesh;
MObject ztPointsScale::uniform;
MObject ztPointsScale::scaleX;
MObject ztPointsScale::scaleY;
MObject ztPointsScale::scaleZ;
MObject ztPointsScale::seed;
MObject ztPointsScale::scaleRandomX;
MObject ztPointsScale::scaleRandomY;
MObject ztPointsScale::scaleRandomZ;
MObject ztPointsScale::inColorFactor;
MObject ztPointsScale::inColor;
MObject ztPointsScale::vertexColor;
MObject ztPointsScale::vertexColorType;
MObject ztPointsScale::vertexColorFactor;
MObject ztPointsScale::vertexColorWeight;

void* ztPointsScale::creator() {
    return new ztPointsScale();
}

MStatus ztPointsScale::initialize() {
    using zt::Range;
    MStatus status =
        zt::createPointSetAttribute(inPoints, "inPoints", "ip", zt::PointSetRole::kInput);
    if (!status) return status;
    status = zt::createPointSetAttribute(outPoints, "outPoints", "op", zt::PointSetRole::kOutput);
    if (!status) return status;
    inMesh = zt::meshAttribute("inMesh", "im", /*hidden=*/true);
    uniform = zt::numericAttribute("uniform", "u", MFnNumericData::kBoolean, 1);
    scaleX = zt::numericAttribute("scaleX", "sx", MFnNumericData::kFloat, 1);
    scaleY = zt::numericAttribute("scaleY", "sy", MFnNumericData::kFloat, 1);
    scaleZ = zt::numericAttribute("scaleZ", "sz", MFnNumericData::kFloat, 1);
    seed = zt::numericAttribute("seed", "s", MFnNumericData::kInt, 0, Range::atLeast(0));
    scaleRandomX =
        zt::numericAttribute("scaleRandomX", "srx", MFnNumericData::kFloat, 0, Range::atLeast(0));
    scaleRandomY =
        zt::numericAttribute("scaleRandomY", "sry", MFnNumericData::kFloat, 0, Range::atLeast(0));
    scaleRandomZ =
        zt::numericAttribute("scaleRandomZ", "srz", MFnNumericData::kFloat, 0, Range::atLeast(0));
    inColorFactor = zt::numericAttribute("inColorFactor", "icf", MFnNumericData::kFloat, 1,
                                         Range::between(0, 1));
    inColor = zt::vectorArrayAttribute("inColor", "ic");
    vertexColorType = zt::numericAttribute("vertexColorType", "vct", MFnNumericData::kShort, 0,
                                           Range::between(0, 1));
    vertexColorFactor = zt::numericAttribute("vertexColorFactor", "vcf", MFnNumericData::kFloat, 1);
    vertexColorWeight = zt::numericAttribute("vertexColorWeight", "vcw", MFnNumericData::kFloat, 1,
                                             Range::between(0, 1));
    vertexColor = zt::compoundArrayAttribute(
        "vertexColor", "vc", {vertexColorType, vertexColorFactor, vertexColorWeight});

    status = zt::addAttributes({inPoints, outPoints, inMesh, uniform, scaleX, scaleY, scaleZ, seed,
                                scaleRandomX, scaleRandomY, scaleRandomZ, inColorFactor, inColor,
                                vertexColor});
    if (!status) return status;
    return zt::declareAffects(
        {inPoints, uniform, scaleX, scaleY, scaleZ, seed, scaleRandomX, scaleRandomY, scaleRandomZ,
         inColorFactor, inColor, inMesh, vertexColor},
        outPoints);
}

MStatus ztPointsScale::compute(const MPlug& plug, MDataBlock& data) {
    if (plug != outPoints) return MS::kUnknownParameter;

    // Input points: only their count matters, unless layers need their triangles.
    MFnArrayAttrsData input;
    MStatus status = zt::readInputPointSet(data, thisMObject(), inPoints, input,
                                           ": please supply points vector");
    if (!status) return status;
    const MPlug inPlug(thisMObject(), inPoints);
    if (!zt::requireChannel(input, zt::channels::kPosition, MFnArrayAttrsData::kVectorArray, inPlug,
                            ": 'position' vector missing")) {
        return MS::kFailure;
    }
    const unsigned int n = input.getVectorData(zt::channels::kPosition).length();

    zt::ScaleSettings settings;
    settings.uniform = data.inputValue(uniform).asBool();
    settings.scaleX = data.inputValue(scaleX).asFloat();
    settings.scaleY = data.inputValue(scaleY).asFloat();
    settings.scaleZ = data.inputValue(scaleZ).asFloat();
    settings.inColorFactor = zt::clampFloat(data.inputValue(inColorFactor).asFloat(), 0.0f, 1.0f);

    std::vector<float> colors;
    if (settings.inColorFactor > 0.0f && zt::readPointColors(data, inColor, n, colors)) {
        if (!zt::checkDeviceMemory(12ull * n)) {
            MGlobal::displayError("Not enough memory on GPU");
            return MS::kFailure;
        }
        settings.inColor = colors.data();
    }

    // Painted layers: element L of vertexColor with colour set L of the mesh;
    // unpainted vertices read as opaque white, so they multiply by one.
    zt::VertexColorLayers layers;
    zt::LayerGeometry geometry;
    std::vector<float> weights, factors;
    std::vector<short> types;
    MFnMesh mesh(data.inputValue(inMesh).asMesh(), &status);
    if (status) {
        unsigned short layerCount = 0;
        status = zt::countVertexColorLayers(data, vertexColor, mesh, layerCount);
        if (!status) return status;
        if (layerCount > 0) {
            const unsigned long long vertexCount = static_cast<unsigned>(mesh.numVertices());
            if (!zt::checkDeviceMemory(12ull * n + 16ull * vertexCount * layerCount +
                                       6ull * layerCount)) {
                MStatus(MS::kFailure).perror("Not enough memory on GPU for color sets");
                MGlobal::displayError("Not enough memory on GPU for color sets");
                return MS::kFailure;
            }
            status = zt::readLayerGeometry(mesh, input, n, inPlug, ": Points UV missing", geometry);
            if (!status) return status;
            zt::VertexColorLayerOptions options;
            options.unsetColor = MColor(1.0f, 1.0f, 1.0f, 1.0f);
            status = zt::readVertexColorLayers(
                data, vertexColor, mesh,
                [&](unsigned short, MDataHandle& element) {
                    types.push_back(zt::clampLayerType(element.child(vertexColorType).asShort()));
                    factors.push_back(element.child(vertexColorFactor).asFloat());
                    weights.push_back(
                        zt::clampFloat(element.child(vertexColorWeight).asFloat(), 0.0f, 1.0f));
                    return MStatus(MS::kSuccess);
                },
                layers, options);
            if (!status) return status;
            settings.layers = zt::paintedLayers(layers, geometry);
            settings.layerTypes = types.data();
            settings.layerFactors = factors.data();
            settings.layerWeights = weights.data();
        }
    }

    settings.seed = static_cast<unsigned int>(data.inputValue(seed).asInt());
    settings.randomX = data.inputValue(scaleRandomX).asFloat();
    settings.randomY = data.inputValue(scaleRandomY).asFloat();
    settings.randomZ = data.inputValue(scaleRandomZ).asFloat();

    std::vector<float> scales;
    if (!zt::succeeded(zt::computeScales(settings, n, scales))) return MS::kFailure;

    // Output: the input's channels with "scale" written anew.
    MFnArrayAttrsData output;
    MObject outData = zt::createOutputPointSet(output, status);
    if (!status) return status;
    zt::copyAttributes(output, input, MString(zt::channels::kScale));
    MVectorArray scaleChannel = output.vectorArray(zt::channels::kScale, &status);
    if (!status) {
        zt::reportError("ERROR in fnArrayAttrsData.vectorArray(scale)\n", status);
        return status;
    }
    zt::appendFloat3(scaleChannel, scales.data(), n);
    return zt::setOutputPointSet(data, outPoints, outData, plug);
}
