// ztPointsSelection: selected points to outPoints, the rest to
// outPointsComplement. Usage:
//
//     createNode ztPointsSelection -n sel;
//     connectAttr scatter.outPoints sel.inPoints;
//     // thin by the red of the mesh's current colour set (unpainted = kept)
//     connectAttr groundShape.outMesh sel.inMesh;
//     setAttr sel.useVertexColor 1;
//     // keep points above y = 0.5, and point 7 whatever its height
//     setAttr -type "string" sel.conditions "position.y > 0.5, 7";
//     // compare with a vector variable
//     setAttr -type "string" sel.variables[0].varName "h";
//     setAttr sel.variables[0].varValue 0 2 0;
//     setAttr -type "string" sel.conditions "h.y < position.y";
//     // drop points whose normal faces away from +y
//     setAttr sel.dotProdCondition 1;
//     setAttr sel.dotProdVector 0 1 0;
//     connectAttr sel.outPoints shown.inPoints;
//     connectAttr sel.outPointsComplement others.inPoints;

#include "filters/ztPointsSelection.h"

#include <maya/MArrayDataHandle.h>
#include <maya/MColor.h>
#include <maya/MDataHandle.h>
#include <maya/MDoubleArray.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnMesh.h>
#include <maya/MFnStringData.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MFnVectorArrayData.h>
#include <maya/MGlobal.h>
#include <maya/MIOStream.h>
#include <maya/MIntArray.h>
#include <maya/MVectorArray.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "core/channels.h"
#include "core/colorLayers.h"
#include "core/nodeAttributes.h"
#include "core/pointSetNode.h"
#include "filters/selectionConditions.h"
#include "kernels/selection.h"

const MTypeId ztPointsSelection::id(0xC6);

MObject ztPointsSelection::inPoints;
MObject ztPointsSelection::useVertexColor;
MObject ztPointsSelection::inMesh;
MObject ztPointsSelection::useInColor;
MObject ztPointsSelection::inColor;
MObject ztPointsSelection::conditions;
MObject ztPointsSelection::dotProdCondition;
MObject ztPointsSelection::dotProdVector;
MObject ztPointsSelection::dotProdRange;
MObject ztPointsSelection::variables;
MObject ztPointsSelection::varName;
MObject ztPointsSelection::varValue;
MObject ztPointsSelection::outPoints;
MObject ztPointsSelection::outPointsComplement;

namespace {

using zt::reportError;
namespace sel = zt::selection;

const char* const kNoMemory = "ztPointsSelection: Not enough memory on GPU";
const char* const kNoMemoryShort = "Not enough memory on GPU";
const char* const kLengthsDiffer = "ztPointsSelection: different input vector arrays lenght";

MStatus fail(const MString& message) {
    MGlobal::displayError(message);
    return MS::kFailure;
}

MStatus createPointSet(MObject& attribute, const char* longName, const char* shortName,
                       bool writable) {
    MStatus status;
    MFnTypedAttribute typed;
    attribute = typed.create(longName, shortName, MFnData::kDynArrayAttrs, &status);
    if (!status) {
        reportError("ERROR in MFnData::kDynArrayAttrs.\n", status);
        return status;
    }
    CHECK_MSTATUS(typed.setStorable(false));
    CHECK_MSTATUS(typed.setWritable(writable));
    CHECK_MSTATUS(typed.setKeyable(false));
    return MS::kSuccess;
}

MStatus createString(MObject& attribute, const char* longName, const char* shortName,
                     const char* errorLine) {
    MStatus status;
    MFnTypedAttribute typed;
    MFnStringData empty;
    attribute = typed.create(longName, shortName, MFnData::kString, empty.create(""), &status);
    if (!status) {
        reportError(errorLine, status);
        return status;
    }
    CHECK_MSTATUS(typed.setStorable(true));
    CHECK_MSTATUS(typed.setReadable(true));
    CHECK_MSTATUS(typed.setWritable(true));
    CHECK_MSTATUS(typed.setKeyable(false));
    return MS::kSuccess;
}

sel::ChannelKind channelKind(MFnArrayAttrsData& pointSet, const std::string& name) {
    MFnArrayAttrsData::Type type = MFnArrayAttrsData::kInvalid;
    if (!pointSet.checkArrayExist(name.c_str(), type)) return sel::ChannelKind::kMissing;
    switch (type) {
        case MFnArrayAttrsData::kVectorArray:
            return sel::ChannelKind::kVector;
        case MFnArrayAttrsData::kDoubleArray:
            return sel::ChannelKind::kDouble;
        case MFnArrayAttrsData::kIntArray:
            return sel::ChannelKind::kInt;
        default:
            return sel::ChannelKind::kOther;
    }
}

// Everything the kernels read, gathered on the host. Arrays are per point
// unless noted; the count is settled before any flag exists.
struct SelectionInputs {
    unsigned int count = 0;
    bool vertexColor = false;
    std::vector<float> vertexReds;  // per mesh vertex
    std::vector<unsigned int> corners;
    std::vector<unsigned int> triangleIds;
    std::vector<float> uvs;  // 2 per point
    bool inColor = false;
    std::vector<float> colorValues;
    sel::ParsedConditions parsed;
    std::vector<std::vector<float>> columns;
    bool facing = false;
    std::vector<float> normals;  // 3 per point
    float range = 0.0f;
    std::array<float, 3> direction{0.0f, 1.0f, 0.0f};
};

MStatus readSwitch(MDataBlock& block, const MObject& attribute, const char* errorLine,
                   bool& value) {
    MStatus status;
    MDataHandle handle = block.inputValue(attribute, &status);
    if (!status) {
        reportError(errorLine, status);
        return status;
    }
    value = handle.asBool();
    return MS::kSuccess;
}

// The red of each mesh vertex in the current colour set (unpainted vertices
// read as white), the triangle corners, and each point's triangle and (u, v).
MStatus readVertexColorStage(MDataBlock& block, const MObject& node, MFnArrayAttrsData& input,
                             SelectionInputs& in) {
    MStatus status;
    MDataHandle meshHandle = block.inputValue(ztPointsSelection::inMesh, &status);
    if (!status) {
        reportError("ERROR getting inMesh", status);
        return status;
    }
    MObject meshData = meshHandle.asMesh();
    MFnMesh mesh(meshData, &status);
    const MString meshPlug = MPlug(node, ztPointsSelection::inMesh).name();
    if (!status) return fail(meshPlug + ": please supply inMesh");

    MFnArrayAttrsData::Type type = MFnArrayAttrsData::kInvalid;
    if (!input.checkArrayExist(zt::channels::kTriangleId, type)) {
        return fail("ztPointsSelection: Points triID missing");
    }
    if (type != MFnArrayAttrsData::kIntArray) {
        return fail("ztPointsSelection: invalid array type 'triID'");
    }
    const MIntArray triangleIds = input.getIntData(zt::channels::kTriangleId, &status);
    if (!status) {
        reportError("ERROR fnArrayAttrsData.getVectorData(triID, &status)", status);
        return status;
    }

    MIntArray counts, vertices;
    status = mesh.getTriangles(counts, vertices);
    if (!status) {
        reportError("ERROR meshFn.getTriangles", status);
        return status;
    }
    const std::size_t triangleCount = vertices.length() / 3u;
    const std::size_t n = in.count;
    if (!zt::checkDeviceMemory(
            (static_cast<std::size_t>(mesh.numVertices()) + 3u * n + vertices.length()) * 4u)) {
        return fail(kNoMemory);
    }
    in.corners.resize(vertices.length());
    for (unsigned int k = 0; k < vertices.length(); ++k) {
        in.corners[k] = static_cast<unsigned int>(vertices[k]);
    }

    // The unset colour is white: an unpainted vertex keeps its points.
    std::vector<float> rgba;
    status = zt::readVertexColors(mesh, nullptr, MColor(1.0f, 1.0f, 1.0f, 1.0f), rgba);
    if (!status) {
        reportError("ERROR getting colorSet", status);
        return fail(meshPlug + ": the mesh has no current colour set");
    }
    in.vertexReds.resize(rgba.size() / 4u);
    for (std::size_t v = 0; v < in.vertexReds.size(); ++v) in.vertexReds[v] = rgba[4u * v];

    if (!input.checkArrayExist(zt::channels::kUv, type)) {
        return fail("ztPointsSelection: Points UV missing");
    }
    if (type != MFnArrayAttrsData::kVectorArray) {
        return fail("ztPointsSelection: invalid array type 'uv'");
    }
    const MVectorArray uv = input.getVectorData(zt::channels::kUv, &status);
    if (!status) {
        reportError("ERROR fnArrayAttrsData.getVectorData(uv, &status)", status);
        return status;
    }
    if (uv.length() != triangleIds.length()) return fail(kLengthsDiffer);
    in.uvs.resize(2u * uv.length());
    in.triangleIds.resize(uv.length());
    for (unsigned int i = 0; i < uv.length(); ++i) {
        in.uvs[2u * i] = static_cast<float>(uv[i].x);
        in.uvs[2u * i + 1u] = static_cast<float>(uv[i].y);
        in.triangleIds[i] = static_cast<unsigned int>(triangleIds[i]);
        if (in.triangleIds[i] >= triangleCount) {
            return fail("ztPointsSelection: triID out of range, propably wrong inMesh input");
        }
    }
    in.vertexColor = true;
    return MS::kSuccess;
}

// The x of each inColor vector. A point set without points takes its count
// from the colours.
MStatus readInColorStage(MDataBlock& block, const MObject& node, SelectionInputs& in) {
    MStatus status;
    MDataHandle handle = block.inputValue(ztPointsSelection::inColor, &status);
    const MString colorPlug = MPlug(node, ztPointsSelection::inColor).name();
    if (!status) return fail(colorPlug + ": missing inColor input");
    MObject data = handle.data();
    MFnVectorArrayData colorData(data, &status);
    if (!status) return fail(colorPlug + ": missing inColor input");
    const MVectorArray colors = colorData.array();
    if (in.count == 0) in.count = colors.length();
    if (colors.length() != in.count) {
        return fail(colorPlug + ": array lenght differs from inPoints length");
    }
    if (!zt::checkDeviceMemory(4u * static_cast<std::size_t>(in.count)))
        return fail(kNoMemoryShort);
    in.colorValues.resize(colors.length());
    for (unsigned int i = 0; i < colors.length(); ++i) {
        in.colorValues[i] = static_cast<float>(colors[i].x);
    }
    in.inColor = true;
    return MS::kSuccess;
}

// The user's variables, in the order the array visits its elements.
MStatus readVariables(MDataBlock& block, const sel::ChannelLookup& channels,
                      const std::string& plugName, sel::Variables& table) {
    MStatus status;
    MArrayDataHandle elements = block.inputArrayValue(ztPointsSelection::variables, &status);
    if (!status) {
        reportError("ERROR block.inputArrayValue(variables)", status);
        return status;
    }
    const unsigned int count = elements.elementCount(&status);
    if (!status) {
        reportError("ERROR influencesCount = variablesDataHandle.elementCount", status);
        return status;
    }
    for (unsigned int k = 0; k < count; ++k) {
        MDataHandle element = elements.inputValue(&status);
        if (!status) return status;
        const std::string name = element.child(ztPointsSelection::varName).asString().asChar();
        const float3& value = element.child(ztPointsSelection::varValue).asFloat3();
        const std::string message =
            table.add(name, {value[0], value[1], value[2]}, channels, plugName);
        if (!message.empty()) return fail(message.c_str());
        elements.next();
    }
    return MS::kSuccess;
}

// One float column per key: a scalar channel, one component of a vector
// channel, or the point ids. The ids are a column like any other, read from
// the point set, so listed ids can be matched per point.
MStatus readColumns(MFnArrayAttrsData& input, SelectionInputs& in) {
    MStatus status;
    in.columns.clear();
    for (const sel::Column& column : in.parsed.columns) {
        std::vector<float> values;
        const MString channel = column.channel.c_str();
        if (column.component >= 0) {
            const MVectorArray vectors = input.getVectorData(channel, &status);
            if (!status) {
                reportError("ERROR: ztPointSelection: getVectorData", status);
                return status;
            }
            values.resize(vectors.length());
            for (unsigned int i = 0; i < vectors.length(); ++i) {
                values[i] = static_cast<float>(vectors[i][static_cast<unsigned>(column.component)]);
            }
        } else {
            MFnArrayAttrsData::Type type = MFnArrayAttrsData::kInvalid;
            input.checkArrayExist(channel, type);
            if (type == MFnArrayAttrsData::kDoubleArray) {
                const MDoubleArray doubles = input.getDoubleData(channel, &status);
                if (!status) {
                    reportError("ERROR: ztPointSelection: getDoubleData", status);
                    return status;
                }
                values.resize(doubles.length());
                for (unsigned int i = 0; i < doubles.length(); ++i) {
                    values[i] = static_cast<float>(doubles[i]);
                }
            } else if (type == MFnArrayAttrsData::kIntArray) {
                const MIntArray ints = input.getIntData(channel, &status);
                if (!status) {
                    reportError("ERROR: ztPointSelection: getIntData", status);
                    return status;
                }
                values.resize(ints.length());
                for (unsigned int i = 0; i < ints.length(); ++i) {
                    values[i] = static_cast<float>(ints[i]);
                }
            } else {
                return fail("This should not happen");
            }
        }
        if (in.count == 0) in.count = static_cast<unsigned int>(values.size());
        if (values.empty()) return fail("ztPointsSelection: vector length is 0.");
        if (values.size() != in.count) return fail(kLengthsDiffer);
        if (!zt::checkDeviceMemory(4u * values.size())) return fail(kNoMemoryShort);
        in.columns.push_back(std::move(values));
    }
    return MS::kSuccess;
}

MStatus readFacingStage(MDataBlock& block, MFnArrayAttrsData& input, const MString& plugName,
                        SelectionInputs& in) {
    MStatus status;
    MFnArrayAttrsData::Type type = MFnArrayAttrsData::kInvalid;
    if (!input.checkArrayExist(zt::channels::kNormal, type)) {
        return fail(plugName +
                    ": Input array does not contain 'normal' attr. information, cannot check "
                    "dotProd condition");
    }
    if (type != MFnArrayAttrsData::kVectorArray) {
        return fail(plugName + ": wrong 'normal' attribute type");
    }
    const MVectorArray normals = input.getVectorData(zt::channels::kNormal, &status);
    if (!status) {
        reportError("ERROR fnArrayAttrsData.getVectorData(normal, &status)", status);
        return status;
    }
    if (normals.length() != in.count) return fail(kLengthsDiffer);
    in.normals.resize(3u * normals.length());
    for (unsigned int i = 0; i < normals.length(); ++i) {
        for (unsigned int c = 0; c < 3; ++c) {
            in.normals[3u * i + c] = static_cast<float>(normals[i][c]);
        }
    }

    MDataHandle vectorHandle = block.inputValue(ztPointsSelection::dotProdVector, &status);
    if (!status) {
        reportError("ERROR handle = dotProdVector", status);
        return status;
    }
    const float3& stored = vectorHandle.asFloat3();
    double v[3] = {stored[0], stored[1], stored[2]};
    // A direction too short to have one: look along +y.
    if (std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]) < 0.001) v[1] = 1.0;
    const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    for (unsigned int c = 0; c < 3; ++c) in.direction[c] = static_cast<float>(v[c] / length);

    MDataHandle rangeHandle = block.inputValue(ztPointsSelection::dotProdRange, &status);
    if (!status) {
        reportError("ERROR handle = dotProdRange", status);
        return status;
    }
    in.range = zt::clampFloat(rangeHandle.asFloat(), -1.0f, 1.0f);
    in.facing = true;
    return MS::kSuccess;
}

// Every per-point array the kernels read holds exactly `count` values.
bool lengthsAgree(const SelectionInputs& in) {
    const std::size_t n = in.count;
    if (in.vertexColor && (in.triangleIds.size() != n || in.uvs.size() != 2u * n)) return false;
    if (in.inColor && in.colorValues.size() != n) return false;
    if (in.facing && in.normals.size() != 3u * n) return false;
    for (const std::vector<float>& column : in.columns) {
        if (column.size() != n) return false;
    }
    return true;
}

MStatus runKernels(const SelectionInputs& in, std::vector<std::uint8_t>& flags) {
    zt::SelectionColorStage color;
    color.hasColor = in.inColor;
    color.inColor = in.colorValues.data();
    color.hasVertexColor = in.vertexColor;
    color.vertexColors = in.vertexReds.data();
    color.vertexCount = in.vertexReds.size();
    color.triangleVertices = in.corners.data();
    color.triangleVertexCount = in.corners.size();
    color.triangleIds = in.triangleIds.data();
    color.uvs = in.uvs.data();

    zt::SelectionConditionStage conditions;
    conditions.columns = &in.columns;
    conditions.firstOperand = &in.parsed.firstOperand;
    conditions.operation = &in.parsed.operation;
    conditions.secondOperandType = &in.parsed.secondOperandType;
    conditions.secondOperandInt = &in.parsed.secondOperandInt;
    conditions.secondOperandFloat = &in.parsed.secondOperandFloat;
    conditions.ids = &in.parsed.ids;
    const int pointIdColumn = in.parsed.pointIdColumn();
    conditions.pointIdColumn = pointIdColumn < 0 ? 0u : static_cast<unsigned int>(pointIdColumn);

    zt::SelectionFacingStage facing;
    facing.normals = in.normals.data();
    facing.range = in.range;
    facing.x = in.direction[0];
    facing.y = in.direction[1];
    facing.z = in.direction[2];

    if (!in.parsed.ids.empty() || in.parsed.comparisonCount() > 0) {
        if (!zt::checkDeviceMemory(4u * in.parsed.ids.size() + 16u * in.parsed.comparisonCount())) {
            return fail(kNoMemoryShort);
        }
    }
    const bool thinning = in.vertexColor || in.inColor;
    const zt::KernelStatus result = zt::selectPoints(in.count, thinning ? &color : nullptr,
                                                     in.columns.empty() ? nullptr : &conditions,
                                                     in.facing ? &facing : nullptr, flags);
    if (result == zt::KernelStatus::NotEnoughMemory) return fail(kNoMemory);
    return zt::succeeded(result) ? MS::kSuccess : MS::kFailure;
}

}  // namespace

MStatus ztPointsSelection::initialize() {
    MStatus status;
    if (!(status = createPointSet(inPoints, "inPoints", "ip", true))) return status;
    useVertexColor = zt::numericAttribute("useVertexColor", "uvc", MFnNumericData::kBoolean, 0,
                                          zt::Range::none(), &status);
    if (!status) return status;
    inMesh = zt::meshAttribute("inMesh", "im");
    useInColor = zt::numericAttribute("useInColor", "uic", MFnNumericData::kBoolean, 0,
                                      zt::Range::none(), &status);
    if (!status) return status;
    inColor = zt::vectorArrayAttribute("inColor", "ic", &status);
    if (!status) return status;
    if (!(status = createString(conditions, "conditions", "c", "ERROR in 'conditions'\n"))) {
        return status;
    }
    dotProdCondition = zt::numericAttribute("dotProdCondition", "dpc", MFnNumericData::kBoolean, 0,
                                            zt::Range::none(), &status);
    if (!status) return status;
    dotProdVector = zt::numericAttribute("dotProdVector", "dpv", MFnNumericData::k3Float, 0,
                                         zt::Range::none(), &status);
    if (!status) return status;
    dotProdRange = zt::numericAttribute("dotProdRange", "dpr", MFnNumericData::kFloat, 0,
                                        zt::Range::between(-1.0, 1.0), &status);
    if (!status) return status;
    if (!(status = createString(varName, "varName", "vn", "ERROR in 'varName'\n"))) return status;
    varValue = zt::numericAttribute("varValue", "vv", MFnNumericData::k3Float, 0);
    variables = zt::compoundArrayAttribute("variables", "v", {varName, varValue});
    if (!(status = createPointSet(outPoints, "outPoints", "op", false))) return status;
    if (!(status = createPointSet(outPointsComplement, "outPointsComplement", "opc", false))) {
        return status;
    }

    status = zt::addAttributes({inPoints, useVertexColor, inMesh, useInColor, inColor, conditions,
                                dotProdCondition, dotProdVector, dotProdRange, variables, outPoints,
                                outPointsComplement});
    if (!status) return status;
    for (const MObject* output : {&outPoints, &outPointsComplement}) {
        status =
            zt::declareAffects({inPoints, conditions, variables, useVertexColor, inMesh, useInColor,
                                inColor, dotProdCondition, dotProdVector, dotProdRange},
                               *output);
        if (!status) return status;
    }
    return MS::kSuccess;
}

MStatus ztPointsSelection::compute(const MPlug& plug, MDataBlock& block) {
    if (plug != outPoints && plug != outPointsComplement) return MS::kUnknownParameter;

    // Inputs: the point set and its ids.
    MFnArrayAttrsData input;
    MStatus status = zt::readInputPointSet(block, thisMObject(), inPoints, input);
    if (!status) return status;
    const MPlug inPlug(thisMObject(), inPoints);
    const MString plugName = inPlug.name();
    MFnArrayAttrsData::Type type = MFnArrayAttrsData::kInvalid;
    if (!input.checkArrayExist(zt::channels::kPointId, type)) {
        return fail(plugName + ": Input array does not contain pointID information");
    }
    const MIntArray pointIds = input.getIntData(zt::channels::kPointId, &status);
    if (!status) {
        reportError("ERROR fnArrayAttrsData.getVectorData(pointID, &status)", status);
        return status;
    }
    SelectionInputs in;
    in.count = pointIds.length();
    // Every point must own one element of every channel, or the split could
    // not put each point in exactly one output.
    if (!zt::checkChannelLengths(input, in.count, inPlug)) return MS::kFailure;

    // Colour thinning.
    bool useVertex = false, useColor = false;
    status = readSwitch(block, useVertexColor, "ERROR handle = block.inputValue( useVertexColor );",
                        useVertex);
    if (!status) return status;
    if (useVertex && !(status = readVertexColorStage(block, thisMObject(), input, in))) {
        return status;
    }
    status =
        readSwitch(block, useInColor, "ERROR handle = block.inputValue( useInColor );", useColor);
    if (!status) return status;
    if (useColor && !(status = readInColorStage(block, thisMObject(), in))) return status;

    // Conditions and forced ids.
    const std::string plugText = plugName.asChar();
    const sel::ChannelLookup channels = [&input](const std::string& name) {
        return channelKind(input, name);
    };
    sel::Variables table;
    if (!(status = readVariables(block, channels, plugText, table))) return status;
    MDataHandle conditionsHandle = block.inputValue(conditions, &status);
    if (!status) {
        reportError("ERROR handle = conditions", status);
        return status;
    }
    const std::string text = conditionsHandle.asString().asChar();
    if (!text.empty()) {
        std::string refusal;
        if (!sel::parseConditions(text, channels, table, plugText, in.parsed, refusal)) {
            return fail(refusal.c_str());
        }
        if (!(status = readColumns(input, in))) return status;
    }

    // Facing.
    bool facing = false;
    if (!(status =
              readSwitch(block, dotProdCondition, "ERROR handle = dotProdCondition", facing))) {
        return status;
    }
    if (facing && !(status = readFacingStage(block, input, plugName, in))) return status;

    // The count is final here (an empty point set may have taken it from
    // inColor or a column): the flags are made for it and every array the
    // kernels read must match it.
    if (!lengthsAgree(in)) return fail(kLengthsDiffer);
    if (!zt::checkDeviceMemory(in.count)) return fail(kNoMemory);
    std::vector<std::uint8_t> flags;
    if (!(status = runKernels(in, flags))) return status;

    // Division: the same channels in both outputs, each point in one of them.
    MFnArrayAttrsData selected, rest;
    MObject selectedData = zt::createOutputPointSet(selected, status);
    if (!status) return status;
    MObject restData = zt::createOutputPointSet(rest, status);
    if (!status) return status;
    std::vector<std::uint8_t> others(flags.size());
    for (std::size_t i = 0; i < flags.size(); ++i) others[i] = flags[i] ? 0 : 1;
    zt::copyAttributesMasked(selected, input, MStringArray(), flags,
                             "splitPointSet: invalid array type\n");
    zt::copyAttributesMasked(rest, input, MStringArray(), others, "");

    status = zt::setOutputPointSet(block, outPoints, selectedData, MPlug(thisMObject(), outPoints));
    if (!status) return status;
    return zt::setOutputPointSet(block, outPointsComplement, restData,
                                 MPlug(thisMObject(), outPointsComplement));
}
