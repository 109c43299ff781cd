// ztPointsRotation: aim, up and rotation mode of every point for instancing.
//
// Usage (ztbatch or Maya's script editor):
//
//     polyPlane -w 4 -h 4 -n ground;
//     createNode ztScatterPoints -n scatter;
//     connectAttr groundShape.outMesh scatter.inMesh;
//     connectAttr groundShape.boundingBox scatter.boundingBox;
//     createNode ztPointsRotation -n rot;
//     connectAttr scatter.outPoints rot.inPoints;
//     connectAttr groundShape.outMesh rot.inMesh;     // for layers and edges
//     setAttr rot.target 3 0 3;                       // aim towards this point ...
//     setAttr rot.offsetR 1;                          // ... fully (R = 1)
//     polyColorPerVertex -rgb 0 0.25 0 -a 1 -colorSetName turn ground;
//     setAttr rot.vertexColor[0].vertexColorWeight 0.5;   // layer 0 = colour set 0
//     getAttr -channel aimDirection rot.outPoints;
//
// The compute reads the point set and checks its channels, reads the colour
// inputs, the mesh (layers, edges), the offsets and random terms into one
// flat kernel input, runs computeRotations, and builds the output point set.
// Every failure returns before the output is touched, so the previous output
// stays.

#include "attributes/ztPointsRotation.h"

#include <maya/MDataBlock.h>
#include <maya/MDataHandle.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnCompoundAttribute.h>
#include <maya/MFnMesh.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MFnVectorArrayData.h>
#include <maya/MGlobal.h>
#include <maya/MIntArray.h>
#include <maya/MPlug.h>
#include <maya/MStringArray.h>
#include <maya/MVectorArray.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/channels.h"
#include "core/colorLayers.h"
#include "core/meshInput.h"
#include "core/nodeAttributes.h"
#include "core/pointSet.h"
#include "core/pointSetNode.h"
#include "kernels/rotation.h"

namespace ch = zt::channels;

const MTypeId ztPointsRotation::id(0xB3);

MObject ztPointsRotation::inPoints;
MObject ztPointsRotation::inMesh;
MObject ztPointsRotation::outPoints;
MObject ztPointsRotation::localAimDirection;
MObject ztPointsRotation::target;
MObject ztPointsRotation::activeLayer;
MObject ztPointsRotation::offsetR;
MObject ztPointsRotation::offsetG;
MObject ztPointsRotation::offsetB;
MObject ztPointsRotation::seed;
MObject ztPointsRotation::randomR;
MObject ztPointsRotation::randomG;
MObject ztPointsRotation::randomB;
MObject ztPointsRotation::randomAmplitudeR;
MObject ztPointsRotation::randomAmplitudeG;
MObject ztPointsRotation::randomAmplitudeB;
MObject ztPointsRotation::minRandSpeedR;
MObject ztPointsRotation::minRandSpeedG;
MObject ztPointsRotation::minRandSpeedB;
MObject ztPointsRotation::maxRandSpeedR;
MObject ztPointsRotation::maxRandSpeedG;
MObject ztPointsRotation::maxRandSpeedB;
MObject ztPointsRotation::randTimeR;
MObject ztPointsRotation::randTimeG;
MObject ztPointsRotation::randTimeB;
MObject ztPointsRotation::addColorMode;
MObject ztPointsRotation::inColorFactor;
MObject ztPointsRotation::inColor;
MObject ztPointsRotation::vertexColor;
MObject ztPointsRotation::vertexColorType;
MObject ztPointsRotation::vertexColorWeight;

void* ztPointsRotation::creator() {
    return new ztPointsRotation();
}

MStatus ztPointsRotation::initialize() {
    using zt::Range;
    constexpr MFnNumericData::Type kBool = MFnNumericData::kBoolean;
    constexpr MFnNumericData::Type kInt = MFnNumericData::kInt;
    constexpr MFnNumericData::Type kFloat = MFnNumericData::kFloat;
    const Range unit = Range::between(0, 1);
    MStatus status;

    status = zt::createPointSetAttribute(inPoints, "inPoints", "ip", zt::PointSetRole::kInput);
    if (!status) return status;
    inMesh = zt::meshAttribute("inMesh", "im");
    status = zt::createPointSetAttribute(outPoints, "outPoints", "op", zt::PointSetRole::kOutput);
    if (!status) return status;

    // clang-format off
    //                                     long name            short   type    default  range
    localAimDirection = zt::numericAttribute("localAimDirection", "ldir", kBool,  0);
    target =            zt::pointAttribute(  "target",            "t");
    activeLayer =       zt::numericAttribute("activeLayer",       "al",   kInt,   -1, Range::atLeast(-1));
    offsetR =           zt::numericAttribute("offsetR",           "or",   kFloat, 0,  Range::between(-1, 1));
    offsetG =           zt::numericAttribute("offsetG",           "og",   kFloat, 0);
    offsetB =           zt::numericAttribute("offsetB",           "ob",   kFloat, 0);
    seed =              zt::numericAttribute("seed",              "s",    kInt,   0,  Range::atLeast(0));
    randomR =           zt::numericAttribute("randomR",           "rr",   kFloat, 0,  unit);
    randomG =           zt::numericAttribute("randomG",           "rg",   kFloat, 0,  unit);
    randomB =           zt::numericAttribute("randomB",           "rb",   kFloat, 0,  unit);
    randomAmplitudeR =  zt::numericAttribute("randomAmplitudeR",  "rar",  kFloat, 0,  unit);
    randomAmplitudeG =  zt::numericAttribute("randomAmplitudeG",  "rag",  kFloat, 0,  unit);
    randomAmplitudeB =  zt::numericAttribute("randomAmplitudeB",  "rab",  kFloat, 0,  unit);
    minRandSpeedR =     zt::numericAttribute("minRandSpeedR",     "mrsr", kFloat, 0);
    minRandSpeedG =     zt::numericAttribute("minRandSpeedG",     "mrsg", kFloat, 0);
    minRandSpeedB =     zt::numericAttribute("minRandSpeedB",     "mrsb", kFloat, 0);
    maxRandSpeedR =     zt::numericAttribute("maxRandSpeedR",     "xrsr", kFloat, 0);
    maxRandSpeedG =     zt::numericAttribute("maxRandSpeedG",     "xrsg", kFloat, 0);
    maxRandSpeedB =     zt::numericAttribute("maxRandSpeedB",     "xrsb", kFloat, 0);
    randTimeR =         zt::numericAttribute("randTimeR",         "rtr",  kFloat, 0);
    randTimeG =         zt::numericAttribute("randTimeG",         "rtg",  kFloat, 0);
    randTimeB =         zt::numericAttribute("randTimeB",         "rtb",  kFloat, 0);
    addColorMode =      zt::numericAttribute("addColorMode",      "acm",  kBool,  0);
    inColorFactor =     zt::numericAttribute("inColorFactor",     "icf",  kFloat, 1,  unit);
    inColor =           zt::vectorArrayAttribute("inColor",       "ic");
    // vertexColor[L]: type (0 replace, 1 add) and weight of layer L, which
    // reads colour set L of inMesh.
    vertexColorType =   zt::numericAttribute("vertexColorType",   "vct",  MFnNumericData::kShort, 0, unit);
    vertexColorWeight = zt::numericAttribute("vertexColorWeight", "vcw",  kFloat, 1,  unit);
    vertexColor =       zt::compoundArrayAttribute("vertexColor", "vc", {vertexColorType, vertexColorWeight});
    // clang-format on

    status = zt::addAttributes(
        {inPoints,         inMesh,        outPoints,     localAimDirection, target,
         activeLayer,      offsetR,       offsetG,       offsetB,           seed,
         randomR,          randomG,       randomB,       randomAmplitudeR,  randomAmplitudeG,
         randomAmplitudeB, minRandSpeedR, minRandSpeedG, minRandSpeedB,     maxRandSpeedR,
         maxRandSpeedG,    maxRandSpeedB, randTimeR,     randTimeG,         randTimeB,
         addColorMode,     inColorFactor, inColor,       vertexColor});
    if (!status) return status;
    return zt::declareAffects(
        {inPoints,         target,           inMesh,        activeLayer,
         addColorMode,     inColorFactor,    inColor,       vertexColor,
         offsetR,          offsetG,          offsetB,       seed,
         randomR,          randomG,          randomB,       randomAmplitudeR,
         randomAmplitudeG, randomAmplitudeB, minRandSpeedR, minRandSpeedG,
         minRandSpeedB,    maxRandSpeedR,    maxRandSpeedG, maxRandSpeedB,
         randTimeR,        randTimeG,        randTimeB,     localAimDirection},
        outPoints);
}

namespace {

using Node = ztPointsRotation;

// The required channels of the point set, checked in order, and the
// optional start values. Fills positions, normals and triangle ids; (u, v)
// is read with the mesh, when layers need it.
MStatus readPointChannels(MFnArrayAttrsData& points, const MPlug& inPlug,
                          zt::RotationInput& input) {
    constexpr auto kVector = MFnArrayAttrsData::kVectorArray;
    if (!zt::requireChannel(points, ch::kPosition, kVector, inPlug, ": Points position missing") ||
        !zt::requireChannel(points, ch::kTriangleId, MFnArrayAttrsData::kIntArray, inPlug,
                            ": Points triID missing") ||
        !zt::requireChannel(points, ch::kUv, kVector, inPlug, ": Points UV missing") ||
        !zt::requireChannel(points, ch::kNormal, kVector, inPlug, ": Points normal missing")) {
        return MS::kFailure;
    }
    const unsigned int n = points.getVectorData(ch::kPosition).length();
    for (const char* name : {ch::kTriangleId, ch::kUv, ch::kNormal}) {
        if (!zt::requireChannelLength(points, name, n, inPlug)) return MS::kFailure;
    }
    input.pointCount = n;
    input.positions = zt::toFloat3(points.getVectorData(ch::kPosition));
    input.normals = zt::toFloat3(points.getVectorData(ch::kNormal));
    input.triangles = zt::toUnsigned(points.getIntData(ch::kTriangleId));
    if (!zt::requireFinite(input.positions, 3, inPlug, "channel 'position'") ||
        !zt::requireFinite(input.normals, 3, inPlug, "channel 'normal'")) {
        return MS::kFailure;
    }

    // Start values from an upstream rotation node, used only at full length.
    if (zt::hasChannel(points, ch::kRotationRgb, kVector)) {
        const MVectorArray rgb = points.getVectorData(ch::kRotationRgb);
        if (rgb.length() != n) {
            MGlobal::displayError(
                "ztPointsRotation: rotationRGB array size differs from point array size, "
                "omitting rgb rotation");
        } else {
            input.startRgb = zt::toFloat3(rgb);
            if (!zt::requireFinite(input.startRgb, 3, inPlug, "channel 'rotationRGB'"))
                return MS::kFailure;
        }
    }
    return MS::kSuccess;
}

// addColorMode, inColorFactor and the inColor array, used only when it holds
// one colour per point.
MStatus readColorInput(MDataBlock& data, const MObject& node, zt::RotationInput& input) {
    input.addColorMode = data.inputValue(Node::addColorMode).asBool();
    input.inColorFactor = zt::clampFloat(data.inputValue(Node::inColorFactor).asFloat(), 0, 1);
    const auto n = static_cast<unsigned int>(input.pointCount);
    if (!zt::readPointColors(data, Node::inColor, n, input.inColor)) return MS::kSuccess;
    if (!zt::requireFinite(input.inColor, 3, MPlug(node, Node::inColor), "the colour array"))
        return MS::kFailure;
    return MS::kSuccess;
}

// The mesh, when layers or edge intersections need it: vertex positions (for
// edges), the triangulation, and the painted layers with their type and
// weight. Without a mesh the compute goes on with no layers, unless the edge
// intersections were asked for.
MStatus readMesh(MDataBlock& data, const MObject& node, MFnArrayAttrsData& points,
                 zt::RotationInput& input) {
    MStatus status;
    MDataHandle meshHandle = data.inputValue(Node::inMesh, &status);
    if (!status) {
        zt::reportError("ERROR getting inMesh", status);
        return status;
    }
    MFnMesh mesh(meshHandle.asMesh(), &status);
    if (!status) {
        if (!input.computeLocalAim) return MS::kSuccess;
        MGlobal::displayError(MPlug(node, Node::inMesh).name() +
                              ": missing inMesh, can not compute localAimDirection");
        return MS::kFailure;
    }
    input.meshPointCount = static_cast<std::size_t>(mesh.numVertices());

    if (input.computeLocalAim) {
        status = zt::readMeshPoints(mesh, input.meshPoints);
        if (!status) return status;
        if (!zt::requireFinite(input.meshPoints, 3, MPlug(node, Node::inMesh), "the mesh points"))
            return MS::kFailure;
    }

    std::vector<short> types;
    std::vector<float> weights;
    const zt::LayerElementReader readLayer = [&](unsigned short, MDataHandle& element) {
        types.push_back(zt::clampLayerType(element.child(Node::vertexColorType).asShort()));
        weights.push_back(
            zt::clampFloat(element.child(Node::vertexColorWeight).asFloat(), 0.0f, 1.0f));
        return MStatus(MS::kSuccess);
    };
    zt::VertexColorLayers layers;
    status = zt::readVertexColorLayers(data, Node::vertexColor, mesh, readLayer, layers);
    if (!status) return status;
    if (!zt::requireFinite(layers.colors, 4, MPlug(node, Node::vertexColor),
                           "a painted colour set")) {
        return MS::kFailure;
    }

    // Where the points lie: the triangulation, and (u, v) for the layers.
    if (layers.count > 0 || input.computeLocalAim) {
        zt::LayerGeometry geometry;
        status =
            zt::readLayerGeometry(mesh, points, static_cast<unsigned int>(input.pointCount),
                                  MPlug(node, Node::inPoints), ": Points UV missing", geometry);
        if (!status) return status;
        input.triangleList = std::move(geometry.triangles);
        if (layers.count > 0) input.uvs = std::move(geometry.pointUvs);
    }
    if (layers.count > 0) {
        input.layerCount = layers.count;
        input.layerColors = std::move(layers.colors);
        input.layerTypes = std::move(types);
        input.layerWeights = std::move(weights);
    }
    return MS::kSuccess;
}

// Active layer, offsets and the random block. The random terms are on when
// any static or oscillation amplitude is above zero.
void readOffsetsAndRandomTerms(MDataBlock& data, zt::RotationInput& input) {
    short active = static_cast<short>(data.inputValue(Node::activeLayer).asInt());
    if (active < -1 || active >= static_cast<int>(input.layerCount)) active = -1;
    input.activeLayer = active;

    input.offsetR = zt::clampFloat(data.inputValue(Node::offsetR).asFloat(), -1.0f, 1.0f);
    input.offsetG = data.inputValue(Node::offsetG).asFloat() / 360.0f;
    input.offsetB = data.inputValue(Node::offsetB).asFloat() / 360.0f;

    const int seedValue = data.inputValue(Node::seed).asInt();
    input.seed = seedValue < 0 ? 0u : static_cast<unsigned int>(seedValue);
    const MObject* amplitudes[] = {&Node::randomR,          &Node::randomG,
                                   &Node::randomB,          &Node::randomAmplitudeR,
                                   &Node::randomAmplitudeG, &Node::randomAmplitudeB};
    const unsigned int amplitudeSlots[] = {
        zt::kRandomAmplitude,      zt::kRandomAmplitude + 1,      zt::kRandomAmplitude + 2,
        zt::kOscillationAmplitude, zt::kOscillationAmplitude + 1, zt::kOscillationAmplitude + 2};
    input.random = false;
    for (unsigned int k = 0; k < 6; ++k) {
        const float value = zt::clampFloat(data.inputValue(*amplitudes[k]).asFloat(), 0.0f, 1.0f);
        input.randomData[amplitudeSlots[k]] = value;
        if (value > 0.0f) input.random = true;
    }
    if (!input.random) return;
    const MObject* timing[] = {&Node::minRandSpeedR, &Node::minRandSpeedG, &Node::minRandSpeedB,
                               &Node::maxRandSpeedR, &Node::maxRandSpeedG, &Node::maxRandSpeedB,
                               &Node::randTimeR,     &Node::randTimeG,     &Node::randTimeB};
    for (unsigned int k = 0; k < 9; ++k) {
        input.randomData[zt::kMinSpeed + k] = data.inputValue(*timing[k]).asFloat();
    }
}

// The user message for a kernel status other than Ok (the kernel has printed
// its own diagnostics).
void reportKernelFailure(zt::KernelStatus status, zt::RotationMemoryGroup refused) {
    if (status != zt::KernelStatus::NotEnoughMemory) return;
    switch (refused) {
        case zt::RotationMemoryGroup::kColorSets:
            MGlobal::displayError("Not enough memory on GPU for color sets");
            break;
        case zt::RotationMemoryGroup::kRandomData:
            MGlobal::displayError("Not enough memory on GPU for random data");
            break;
        default:
            MGlobal::displayError("Not enough memory on GPU");
            break;
    }
}

// Appends the kept elements of a flat float array as vectors.
void appendVectors(MFnArrayAttrsData& output, const char* name, const std::vector<float>& values,
                   const std::vector<std::uint8_t>* keep) {
    MStatus status;
    MVectorArray channel = output.vectorArray(name, &status);
    CHECK_MSTATUS(status);
    if (keep) {
        const std::vector<float> kept = zt::keepElements(values, 3, *keep);
        zt::appendFloat3(channel, kept.data(), kept.size() / 3);
    } else {
        zt::appendFloat3(channel, values.data(), values.size() / 3);
    }
}

}  // namespace

MStatus ztPointsRotation::compute(const MPlug& plug, MDataBlock& data) {
    if (plug != outPoints) return MS::kUnknownParameter;
    zt::RotationInput input;
    const float3& targetValue = data.inputValue(target).asFloat3();
    for (int k = 0; k < 3; ++k) input.target[k] = targetValue[k];

    // The point set and its channels.
    MFnArrayAttrsData points;
    MStatus status = zt::readInputPointSet(data, thisMObject(), inPoints, points);
    if (!status) return status;
    const MPlug inPlug(thisMObject(), inPoints);
    status = readPointChannels(points, inPlug, input);
    if (!status) return status;

    // Colour inputs, the mesh (layers, edges), offsets and random terms.
    status = readColorInput(data, thisMObject(), input);
    if (!status) return status;
    input.computeLocalAim = data.inputValue(localAimDirection).asBool();
    status = readMesh(data, thisMObject(), points, input);
    if (!status) return status;
    readOffsetsAndRandomTerms(data, input);

    // A triangle id outside the mesh, or anything else the kernel could not
    // read safely, is refused before the launch.
    const std::string problem = zt::validateRotationInput(input);
    if (!problem.empty()) {
        MGlobal::displayError(inPlug.name() + ": " + problem.c_str());
        return MS::kFailure;
    }

    zt::RotationResult result;
    const zt::KernelStatus kernelStatus = zt::computeRotations(input, result);
    if (kernelStatus != zt::KernelStatus::Ok) {
        reportKernelFailure(kernelStatus, result.refusedGroup);
        return MS::kFailure;
    }

    // The output: the input's other channels and the written ones. A single
    // active add layer keeps only the points it leaves visible.
    MFnArrayAttrsData output;
    MObject outputData = zt::createOutputPointSet(output, status);
    if (!status) return status;
    MStringArray written;
    for (const char* name :
         {ch::kRotationType, ch::kAimDirection, ch::kAimWorldUp, ch::kRotationRgb}) {
        written.append(name);
    }
    if (input.computeLocalAim) {
        written.append(ch::kIntersection);
        written.append(ch::kDistanceToEdge);
    }
    const bool hiding = input.activeLayer >= 0 &&
                        input.layerTypes[static_cast<std::size_t>(input.activeLayer)] == 1;
    const std::vector<std::uint8_t>* keep = hiding ? &result.visible : nullptr;
    if (hiding) {
        zt::copyAttributesMasked(output, points, written, result.visible,
                                 "ztPointsRotation: arrayType: create vectors");
    } else {
        zt::copyAttributes(output, points, written);
    }

    MIntArray rotationType = output.intArray(ch::kRotationType, &status);
    if (!status) {
        zt::reportError("ERROR in fnArrayAttrsData.vectorArray rotationType\n", status);
        return status;
    }
    for (std::size_t i = 0; i < input.pointCount; ++i) {
        if (!keep || (*keep)[i]) rotationType.append(1);
    }
    appendVectors(output, ch::kAimDirection, result.aim, keep);
    appendVectors(output, ch::kAimWorldUp, result.up, keep);
    appendVectors(output, ch::kRotationRgb, result.rgb, keep);
    if (input.computeLocalAim) {
        appendVectors(output, ch::kIntersection, result.intersection, keep);
        appendVectors(output, ch::kDistanceToEdge, result.distanceToEdge, keep);
    }
    return zt::setOutputPointSet(data, outPoints, outputData, plug);
}
