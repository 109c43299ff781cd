// ztPointsObjectId: writes the per-point "objectIndex" channel the instancer
// reads to choose which object to place at each point.
//
//     createNode ztPointsObjectId -n ids;
//     connectAttr scale.outPoints ids.inPoints;
//     setAttr ids.randomId[0].randomIdVal 0;                // a quarter of id 0,
//     setAttr ids.randomId[0].randomIdProbability 1;
//     setAttr ids.randomId[1].randomIdVal 2;                // three quarters of id 2
//     setAttr ids.randomId[1].randomIdProbability 3;
//     connectAttr terrainShape.outMesh ids.inMesh;          // where colour set 0 is
//     setAttr ids.vertexColor[0].vertexColorId1 1;          // painted red: id 1
//
// The id starts from baseId and is then replaced, in this order, by a
// weighted pick from the randomId list, by painted layers (red, green and
// blue each stand for an id, their strength is its chance) and by inColor
// with the three inColorIds.

#include "attributes/ztPointsObjectId.h"

#include <maya/MArrayDataHandle.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnAttribute.h>
#include <maya/MFnMesh.h>
#include <maya/MGlobal.h>
#include <maya/MIntArray.h>

#include <vector>

#include "core/channels.h"
#include "core/colorLayers.h"
#include "core/nodeAttributes.h"
#include "core/pointSet.h"
#include "core/pointSetNode.h"
#include "kernels/pointId.h"

const MTypeId ztPointsObjectId::id(0xB8);

MObject ztPointsObjectId::inPoints;
MObject ztPointsObjectId::outPoints;
MObject ztPointsObjectId::inMesh;
MObject ztPointsObjectId::baseId;
MObject ztPointsObjectId::seed;
MObject ztPointsObjectId::randomIdVal;
MObject ztPointsObjectId::randomIdProbability;
MObject ztPointsObjectId::randomId;
MObject ztPointsObjectId::vertexColorId1;
MObject ztPointsObjectId::vertexColorId2;
MObject ztPointsObjectId::vertexColorId3;
MObject ztPointsObjectId::vertexColor;
MObject ztPointsObjectId::inColor;
MObject ztPointsObjectId::inColorIds;

namespace {

struct WeightedList {
    std::vector<unsigned int> ids;
    std::vector<float> weights;
};

// The randomId entries in the order the array handle visits them; negative
// weights count as 0.
MStatus readWeightedList(MDataBlock& data, const MObject& list, const MObject& value,
                         const MObject& weight, WeightedList& result) {
    MStatus status;
    MArrayDataHandle elements = data.inputArrayValue(list, &status);
    if (!status) {
        zt::reportError("ERROR block.inputArrayValue(randomId)", status);
        return status;
    }
    const unsigned int count = elements.elementCount(&status);
    if (!status) {
        zt::reportError("ERROR randomCount = randomDataHandle.elementCount", status);
        return status;
    }
    if (!zt::checkDeviceMemory(8ull * count)) {
        MStatus(MS::kFailure).perror("Not enough memory on GPU for random input data");
        MGlobal::displayError("Not enough memory on GPU for random input data");
        return MS::kFailure;
    }
    for (unsigned int e = 0; e < count; ++e) {
        MDataHandle element = elements.inputValue(&status);
        if (!status) return status;
        const int id = element.child(value).asInt();
        const float w = element.child(weight).asFloat();
        result.ids.push_back(static_cast<unsigned int>(id));
        // A NaN weight counts as 0 too, so it can never poison the table.
        result.weights.push_back(w > 0.0f ? w : 0.0f);
        elements.next();
    }
    return MS::kSuccess;
}

}  // namespace

void* ztPointsObjectId::creator() {
    return new ztPointsObjectId();
}

MStatus ztPointsObjectId::initialize() {
    using zt::Range;
    MStatus status =
        zt::createPointSetAttribute(inPoints, "inPoints", "ip", zt::PointSetRole::kInput);
    if (!status) return status;
    CHECK_MSTATUS(MFnAttribute(inPoints).setHidden(true));
    status = zt::createPointSetAttribute(outPoints, "outPoints", "op", zt::PointSetRole::kOutput);
    if (!status) return status;
    inMesh = zt::meshAttribute("inMesh", "im", /*hidden=*/true);
    baseId = zt::numericAttribute("baseId", "bid", MFnNumericData::kInt, 0, Range::atLeast(0));
    seed = zt::numericAttribute("seed", "s", MFnNumericData::kInt, 0, Range::atLeast(0));
    randomIdVal =
        zt::numericAttribute("randomIdVal", "ridv", MFnNumericData::kInt, 0, Range::atLeast(0));
    randomIdProbability = zt::numericAttribute("randomIdProbability", "ridp",
                                               MFnNumericData::kFloat, 1, Range::atLeast(0));
    randomId = zt::compoundArrayAttribute("randomId", "rid", {randomIdVal, randomIdProbability});
    vertexColorId1 =
        zt::numericAttribute("vertexColorId1", "vci1", MFnNumericData::kInt, 0, Range::atLeast(0));
    vertexColorId2 =
        zt::numericAttribute("vertexColorId2", "vci2", MFnNumericData::kInt, 0, Range::atLeast(0));
    vertexColorId3 =
        zt::numericAttribute("vertexColorId3", "vci3", MFnNumericData::kInt, 0, Range::atLeast(0));
    vertexColor = zt::compoundArrayAttribute("vertexColor", "vc",
                                             {vertexColorId1, vertexColorId2, vertexColorId3});
    inColor = zt::vectorArrayAttribute("inColor", "ic");
    inColorIds = zt::numericAttribute("inColorIds", "ici", MFnNumericData::k3Int, 0);

    status = zt::addAttributes(
        {inPoints, outPoints, inMesh, baseId, seed, randomId, vertexColor, inColor, inColorIds});
    if (!status) return status;
    return zt::declareAffects(
        {baseId, inPoints, inMesh, randomId, vertexColor, inColor, inColorIds, seed}, outPoints);
}

MStatus ztPointsObjectId::compute(const MPlug& plug, MDataBlock& data) {
    if (plug != outPoints) return MS::kUnknownParameter;

    MFnArrayAttrsData input;
    MStatus status =
        zt::readInputPointSet(data, thisMObject(), inPoints, input, ": missing inPoints");
    if (!status) return status;
    const MPlug inPlug(thisMObject(), inPoints);
    if (!zt::requireChannel(input, zt::channels::kPosition, MFnArrayAttrsData::kVectorArray, inPlug,
                            ": 'position' vectorArray missing")) {
        return MS::kFailure;
    }
    const unsigned int n = input.getVectorData(zt::channels::kPosition).length();

    zt::PointIdSettings settings;
    settings.baseId = static_cast<unsigned int>(data.inputValue(baseId).asInt());

    WeightedList list;
    status = readWeightedList(data, randomId, randomIdVal, randomIdProbability, list);
    if (!status) return status;
    settings.listIds = list.ids.data();
    settings.listWeights = list.weights.data();
    settings.listCount = static_cast<unsigned int>(list.ids.size());

    // Painted layers; vertices outside a colour set read as transparent black
    // and never change the id.
    zt::VertexColorLayers layers;
    zt::LayerGeometry geometry;
    std::vector<unsigned int> layerIds;
    MFnMesh mesh(data.inputValue(inMesh).asMesh(), &status);
    if (status) {
        zt::VertexColorLayerOptions options;
        options.arrayHandleError = "ERROR block.inputArrayValue(vertexColor)";
        unsigned short layerCount = 0;
        status = zt::countVertexColorLayers(data, vertexColor, mesh, layerCount, options);
        if (!status) return status;
        if (layerCount > 0) {
            const unsigned long long vertexCount = static_cast<unsigned>(mesh.numVertices());
            if (!zt::checkDeviceMemory(
                    4ull * (3ull * n + 3ull * layerCount + 4ull * vertexCount * layerCount))) {
                MStatus(MS::kFailure).perror("Not enough memory on GPU for color sets");
                MGlobal::displayError("Not enough memory on GPU for color sets");
                return MS::kFailure;
            }
            status = zt::readLayerGeometry(mesh, input, n, inPlug,
                                           ": Points triID or uv missing, needed by the painted "
                                           "layers",
                                           geometry);
            if (!status) return status;
            status = zt::readVertexColorLayers(
                data, vertexColor, mesh,
                [&](unsigned short, MDataHandle& element) {
                    for (const MObject* child :
                         {&vertexColorId1, &vertexColorId2, &vertexColorId3}) {
                        layerIds.push_back(
                            static_cast<unsigned int>(element.child(*child).asInt()));
                    }
                    return MStatus(MS::kSuccess);
                },
                layers, options);
            if (!status) return status;
            settings.layers = zt::paintedLayers(layers, geometry);
            settings.layerIds = layerIds.data();
        }
    }

    std::vector<float> colors;
    if (zt::readPointColors(data, inColor, n, colors)) {
        if (!zt::checkDeviceMemory(12ull * n)) {
            MGlobal::displayError("Not enough memory on GPU");
            return MS::kFailure;
        }
        settings.inColor = colors.data();
    }
    const int3& colorIds = data.inputValue(inColorIds).asInt3();
    settings.idRed = static_cast<unsigned int>(colorIds[0]);
    settings.idGreen = static_cast<unsigned int>(colorIds[1]);
    settings.idBlue = static_cast<unsigned int>(colorIds[2]);
    settings.seed = static_cast<unsigned int>(data.inputValue(seed).asInt());

    const bool needsPool = settings.listCount > 0 || layers.count > 0 || settings.inColor;
    if (needsPool && !zt::checkDeviceMemory(4ull * zt::kPointIdPoolSize)) {
        MGlobal::displayError("Not enough memory on GPU for random data");
        return MS::kFailure;
    }
    std::vector<unsigned int> ids;
    if (!zt::succeeded(zt::computePointIds(settings, n, ids))) return MS::kFailure;

    MFnArrayAttrsData output;
    MObject outData = zt::createOutputPointSet(output, status);
    if (!status) return status;
    zt::copyAttributes(output, input, MString(zt::channels::kObjectIndex));
    MIntArray objectIndex = output.intArray(zt::channels::kObjectIndex, &status);
    if (!status) {
        zt::reportError("ERROR in fnArrayAttrsData.vectorArray(objectIndex)\n", status);
        return status;
    }
    zt::appendUnsigned(objectIndex, ids.data(), ids.size());
    return zt::setOutputPointSet(data, outPoints, outData, plug);
}
