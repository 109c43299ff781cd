// ztPointsMerge blends channels of inPoints2 into inPoints1, point by point
// where the "pointID" values agree:
//
//   createNode ztPointsMerge -n merge;
//   connectAttr scatter.outPoints merge.inPoints1;       // the full set
//   connectAttr container.outPoints merge.inPoints2;     // a moved subset with "fallof"
//   setAttr -type "string" merge.attributes[0] "position";
//   setAttr -type "string" merge.attributes[1] "scale";
//   setAttr merge.factor 1;
//
// Listed channels travel through the kernels as floats, so every value of a
// listed channel (blended or not) is rounded to float precision; int channels
// come back truncated toward zero.

#include "filters/ztPointsMerge.h"

#include <maya/MArrayDataHandle.h>
#include <maya/MDataHandle.h>
#include <maya/MDoubleArray.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MGlobal.h>
#include <maya/MIOStream.h>
#include <maya/MIntArray.h>
#include <maya/MStringArray.h>
#include <maya/MVectorArray.h>

#include <string>
#include <vector>

#include "core/channels.h"
#include "core/nodeAttributes.h"
#include "core/pointSet.h"
#include "core/pointSetNode.h"
#include "kernels/pointFilters.h"

const MTypeId ztPointsMerge::id(0xC2);

MObject ztPointsMerge::factor;
MObject ztPointsMerge::inPoints1;
MObject ztPointsMerge::inPoints2;
MObject ztPointsMerge::outPoints;
MObject ztPointsMerge::attributes;

namespace {

constexpr unsigned int kMaxBlendChannels = 65535;

std::vector<float> intsToFloat(const MIntArray& values) {
    std::vector<float> out(values.length());
    for (unsigned int i = 0; i < values.length(); ++i) out[i] = static_cast<float>(values[i]);
    return out;
}

// Truncation toward zero; values past the int range saturate and a NaN (from
// a NaN weight) gives 0, so the conversion is defined for every float.
int truncateToInt(float value) {
    if (!(value == value)) return 0;
    if (value >= 2147483648.0f) return 2147483647;
    if (value <= -2147483648.0f) return -2147483647 - 1;
    return static_cast<int>(value);
}

// The channel of `set` as floats, in the layout of the blend kernel.
std::vector<float> channelAsFloat(MFnArrayAttrsData& set, const MString& name,
                                  zt::BlendChannelType type) {
    switch (type) {
        case zt::BlendChannelType::kVector:
            return zt::toFloat3(set.getVectorData(name));
        case zt::BlendChannelType::kDouble:
            return zt::toFloat(set.getDoubleData(name));
        case zt::BlendChannelType::kInt:
            return intsToFloat(set.getIntData(name));
    }
    return {};
}

// Writes the blended values of one channel into the output under its name,
// with the first set's type.
void writeBlended(MFnArrayAttrsData& output, const MString& name, const zt::BlendChannel& channel) {
    MStatus status;
    switch (channel.type) {
        case zt::BlendChannelType::kVector: {
            MVectorArray values = output.vectorArray(name, &status);
            CHECK_MSTATUS(status);
            zt::appendFloat3(values, channel.first.data(), channel.first.size() / 3);
            break;
        }
        case zt::BlendChannelType::kDouble: {
            MDoubleArray values = output.doubleArray(name, &status);
            CHECK_MSTATUS(status);
            zt::appendFloat(values, channel.first.data(), channel.first.size());
            break;
        }
        case zt::BlendChannelType::kInt: {
            MIntArray values = output.intArray(name, &status);
            CHECK_MSTATUS(status);
            for (const float v : channel.first) values.append(truncateToInt(v));
            break;
        }
    }
}

// Reads the "pointID" channel of one input after checking it is there and
// is an int channel, and that every channel of the set has its length.
bool readIds(MFnArrayAttrsData& set, const MPlug& plug, MIntArray& ids) {
    MFnArrayAttrsData::Type type = MFnArrayAttrsData::kInvalid;
    if (!set.checkArrayExist(zt::channels::kPointId, type)) {
        MGlobal::displayError(plug.name() + ": missing 'pointID' attribute");
        return false;
    }
    if (type != MFnArrayAttrsData::kIntArray) {
        MGlobal::displayError(plug.name() + ": wrong type of 'pointID' attribute");
        return false;
    }
    ids = set.getIntData(zt::channels::kPointId);
    return zt::checkChannelLengths(set, ids.length(), plug);
}

}  // namespace

void* ztPointsMerge::creator() {
    return new ztPointsMerge();
}

MStatus ztPointsMerge::initialize() {
    MStatus status;
    factor = zt::numericAttribute("factor", "f", MFnNumericData::kFloat, 0,
                                  zt::Range::between(0, 1), &status);
    if (!status) return status;
    CHECK_MSTATUS(addAttribute(factor));

    status = zt::createPointSetAttribute(inPoints1, "inPoints1", "ip1", zt::PointSetRole::kInput);
    if (!status) return status;
    CHECK_MSTATUS(addAttribute(inPoints1));
    status = zt::createPointSetAttribute(inPoints2, "inPoints2", "ip2", zt::PointSetRole::kInput);
    if (!status) return status;
    CHECK_MSTATUS(addAttribute(inPoints2));
    status = zt::createPointSetAttribute(outPoints, "outPoints", "op", zt::PointSetRole::kOutput);
    if (!status) return status;
    CHECK_MSTATUS(addAttribute(outPoints));

    MFnTypedAttribute typed;
    attributes = typed.create("attributes", "a", MFnData::kString, MObject::kNullObj, &status);
    CHECK_MSTATUS(status);
    CHECK_MSTATUS(typed.setArray(true));
    CHECK_MSTATUS(typed.setStorable(true));
    CHECK_MSTATUS(typed.setReadable(true));
    CHECK_MSTATUS(typed.setWritable(true));
    CHECK_MSTATUS(typed.setKeyable(false));
    CHECK_MSTATUS(addAttribute(attributes));

    return zt::declareAffects({factor, inPoints1, inPoints2, attributes}, outPoints);
}

MStatus ztPointsMerge::compute(const MPlug& plug, MDataBlock& data) {
    if (plug != outPoints) return MS::kUnknownParameter;
    MStatus status;
    const MObject node = thisMObject();
    const MPlug plug1(node, inPoints1);
    const MPlug plug2(node, inPoints2);

    // Inputs.
    MFnArrayAttrsData first;
    status = zt::readInputPointSet(data, node, inPoints1, first, ": please supply inPoints1");
    if (!status) return status;
    MFnArrayAttrsData second;
    status = zt::readInputPointSet(data, node, inPoints2, second, ": please supply inPoints2");
    if (!status) return status;

    MArrayDataHandle names = data.inputArrayValue(attributes, &status);
    if (!status) {
        zt::reportError("ERROR block.inputArrayValue(attributes)", status);
        return status;
    }
    const unsigned int nameCount = names.elementCount(&status);
    if (!status) {
        zt::reportError("ERROR attrCount = elementCount", status);
        return status;
    }
    if (nameCount > kMaxBlendChannels) {
        MGlobal::displayError(MPlug(node, attributes).name() + ": more than 65535 channel names");
        return MS::kFailure;
    }

    // Point ids of both sets.
    MIntArray ids1;
    MIntArray ids2;
    if (!readIds(first, plug1, ids1)) return MS::kFailure;
    if (!readIds(second, plug2, ids2)) return MS::kFailure;
    const unsigned int n1 = ids1.length();
    const unsigned int n2 = ids2.length();
    if (n1 == 0) {
        MGlobal::displayError(plug1.name() + ": Zero length input");
        return MS::kFailure;
    }

    std::vector<float> weights;
    MFnArrayAttrsData::Type fallofType = MFnArrayAttrsData::kInvalid;
    const bool hasFallof = second.checkArrayExist(zt::channels::kFallof, fallofType);
    if (hasFallof) {
        if (fallofType != MFnArrayAttrsData::kDoubleArray) {
            MGlobal::displayError(plug2.name() + ": 'fallof' must be a double attribute");
            return MS::kFailure;
        }
        weights = zt::toFloat(second.getDoubleData(zt::channels::kFallof));
    }

    MFnArrayAttrsData output;
    MObject outData = zt::createOutputPointSet(output, status);
    if (!status) return status;
    if (n2 == 0) {
        zt::copyAttributes(output, first, MString());
        return zt::setOutputPointSet(data, outPoints, outData, plug);
    }

    // The listed channels: present in both sets with one type of the three.
    MStringArray listed;
    std::vector<zt::BlendChannel> channels;
    for (unsigned int k = 0; k < nameCount; ++k) {
        names.jumpToArrayElement(k);
        const MString name = names.inputValue().asString();
        bool repeated = false;
        for (unsigned int j = 0; j < listed.length(); ++j) repeated = repeated || listed[j] == name;
        if (repeated) continue;  // a name listed twice is blended once
        MFnArrayAttrsData::Type type1 = MFnArrayAttrsData::kInvalid;
        MFnArrayAttrsData::Type type2 = MFnArrayAttrsData::kInvalid;
        if (!first.checkArrayExist(name, type1)) {
            MGlobal::displayError(plug1.name() + ": missing '" + name + "' attribute");
            return MS::kFailure;
        }
        if (!second.checkArrayExist(name, type2)) {
            MGlobal::displayError(plug2.name() + ": missing '" + name + "' attribute");
            return MS::kFailure;
        }
        if (type1 != type2) {
            MGlobal::displayError("Attribute '" + name + "' type differs in " + plug1.name() +
                                  " and " + plug2.name());
            return MS::kFailure;
        }
        zt::BlendChannel channel;
        switch (type1) {
            case MFnArrayAttrsData::kDoubleArray:
                channel.type = zt::BlendChannelType::kDouble;
                break;
            case MFnArrayAttrsData::kIntArray:
                channel.type = zt::BlendChannelType::kInt;
                break;
            case MFnArrayAttrsData::kVectorArray:
                channel.type = zt::BlendChannelType::kVector;
                break;
            default:
                MGlobal::displayError("ztPointsMerge: Invalid array type");
                return MS::kFailure;
        }
        channel.first = channelAsFloat(first, name, channel.type);
        channel.second = channelAsFloat(second, name, channel.type);
        listed.append(name);
        channels.push_back(std::move(channel));
    }

    // Blend.
    const std::vector<unsigned int> firstIds = zt::toUnsigned(ids1);
    const std::vector<unsigned int> secondIds = zt::toUnsigned(ids2);
    zt::BlendInput input;
    input.firstIds = firstIds.data();
    input.firstCount = n1;
    input.secondIds = secondIds.data();
    input.secondCount = n2;
    input.factor = zt::clampFloat(data.inputValue(factor).asFloat(), 0.0f, 1.0f);
    input.secondWeights = hasFallof ? weights.data() : nullptr;
    zt::BlendIdCheck idCheck;
    const zt::KernelStatus result = zt::blendPointChannels(input, channels, idCheck);
    if (result == zt::KernelStatus::NotEnoughMemory) {
        MGlobal::displayError("ztPointsMerge: Not enough memory on GPU");
        return MS::kFailure;
    }
    if (!zt::succeeded(result)) {
        MGlobal::displayError(MString("ztPointsMerge: ") + zt::describe(result));
        return MS::kFailure;
    }
    if (idCheck.repeatedInFirst || idCheck.repeatedInSecond) {
        const MPlug& where = idCheck.repeatedInFirst ? plug1 : plug2;
        const int repeatedId = static_cast<int>(idCheck.repeatedId);
        MGlobal::displayError(where.name() + ": 'pointID' " + std::to_string(repeatedId).c_str() +
                              " appears more than once; point ids must be unique to pair points");
        return MS::kFailure;
    }

    // Output: the first set with the listed channels replaced by their blend.
    zt::copyAttributes(output, first, listed);
    for (unsigned int k = 0; k < listed.length(); ++k) {
        writeBlended(output, listed[k], channels[k]);
    }
    return zt::setOutputPointSet(data, outPoints, outData, plug);
}
