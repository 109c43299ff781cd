// ztPointsAttrShuffle lets a channel produced under one name be read by a
// consumer that expects another:
//
//   createNode ztPointsAttrShuffle -n rename;
//   connectAttr scatter.outPoints rename.inPoints;
//   setAttr -type "string" rename.attrFrom "position";
//   setAttr -type "string" rename.attrTo "aimPosition";
//
// Renaming into "pointID" converts the values to ints, truncating toward
// zero (a vector channel gives its x components). The node runs on the host
// only.

#include "filters/ztPointsAttrShuffle.h"

#include <maya/MDataHandle.h>
#include <maya/MDoubleArray.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnStringData.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MGlobal.h>
#include <maya/MIOStream.h>
#include <maya/MIntArray.h>
#include <maya/MStringArray.h>
#include <maya/MVectorArray.h>

#include "core/channels.h"
#include "core/nodeAttributes.h"
#include "core/pointSet.h"
#include "core/pointSetNode.h"

const MTypeId ztPointsAttrShuffle::id(0xC4);

MObject ztPointsAttrShuffle::inPoints;
MObject ztPointsAttrShuffle::attrFrom;
MObject ztPointsAttrShuffle::attrTo;
MObject ztPointsAttrShuffle::outPoints;

namespace {

MObject createName(const char* longName, const char* shortName) {
    MStatus status;
    MFnStringData empty;
    MFnTypedAttribute typed;
    MObject attribute =
        typed.create(longName, shortName, MFnData::kString, empty.create(""), &status);
    CHECK_MSTATUS(status);
    CHECK_MSTATUS(typed.setStorable(true));
    CHECK_MSTATUS(typed.setReadable(true));
    CHECK_MSTATUS(typed.setWritable(true));
    CHECK_MSTATUS(typed.setKeyable(false));
    return attribute;
}

// Truncation toward zero for an id; values past the int range saturate and
// NaN gives 0, so every double has a defined id.
int toId(double value) {
    if (!(value == value)) return 0;
    if (value >= 2147483647.0) return 2147483647;
    if (value <= -2147483648.0) return -2147483647 - 1;
    return static_cast<int>(value);
}

}  // namespace

void* ztPointsAttrShuffle::creator() {
    return new ztPointsAttrShuffle();
}

MStatus ztPointsAttrShuffle::initialize() {
    MStatus status =
        zt::createPointSetAttribute(inPoints, "inPoints", "ip", zt::PointSetRole::kInput);
    if (!status) return status;
    CHECK_MSTATUS(addAttribute(inPoints));
    attrFrom = createName("attrFrom", "af");
    CHECK_MSTATUS(addAttribute(attrFrom));
    attrTo = createName("attrTo", "at");
    CHECK_MSTATUS(addAttribute(attrTo));
    status = zt::createPointSetAttribute(outPoints, "outPoints", "op", zt::PointSetRole::kOutput);
    if (!status) return status;
    CHECK_MSTATUS(addAttribute(outPoints));

    return zt::declareAffects({inPoints, attrFrom, attrTo}, outPoints);
}

MStatus ztPointsAttrShuffle::compute(const MPlug& plug, MDataBlock& data) {
    if (plug != outPoints) return MS::kUnknownParameter;
    MStatus status;
    const MObject node = thisMObject();

    // Inputs.
    MFnArrayAttrsData input;
    status = zt::readInputPointSet(data, node, inPoints, input);
    if (!status) return status;
    MDataHandle fromHandle = data.inputValue(attrFrom, &status);
    if (!status) {
        zt::reportError("ERROR getting attrFrom handle", status);
        return status;
    }
    const MString from = fromHandle.asString();
    if (from.length() == 0) {
        MGlobal::displayError(MPlug(node, attrFrom).name() +
                              ": please specify source attribute name.");
        return MS::kFailure;
    }
    MDataHandle toHandle = data.inputValue(attrTo, &status);
    if (!status) {
        zt::reportError("ERROR getting attrTo handle", status);
        return status;
    }
    const MString to = toHandle.asString();
    if (to.length() == 0) {
        MGlobal::displayError(MPlug(node, attrTo).name() +
                              ": please specify destination attribute name.");
        return MS::kFailure;
    }
    MFnArrayAttrsData::Type sourceType = MFnArrayAttrsData::kInvalid;
    if (!input.checkArrayExist(from, sourceType)) {
        MGlobal::displayError(MPlug(node, inPoints).name() + ": Input array does not contain '" +
                              from + "' attribute.");
        return MS::kFailure;
    }
    const bool toPointId = to == zt::channels::kPointId;
    const bool knownType = sourceType == MFnArrayAttrsData::kVectorArray ||
                           sourceType == MFnArrayAttrsData::kDoubleArray ||
                           sourceType == MFnArrayAttrsData::kIntArray;
    if (!knownType) {
        MGlobal::displayError("ztPointsAttrShuffle: invalid attribute type.");
        return MS::kFailure;
    }

    // Output: everything but the source, then the source under its new name.
    // A channel already called `attrTo` is replaced, whatever its type.
    MFnArrayAttrsData output;
    MObject outData = zt::createOutputPointSet(output, status);
    if (!status) return status;
    MStringArray excluded;
    excluded.append(from);
    excluded.append(to);
    zt::copyAttributes(output, input, excluded);

    if (toPointId) {
        MIntArray ids = output.intArray(to, &status);
        CHECK_MSTATUS(status);
        if (sourceType == MFnArrayAttrsData::kVectorArray) {
            const MVectorArray source = input.getVectorData(from);
            for (unsigned int i = 0; i < source.length(); ++i) ids.append(toId(source[i].x));
        } else if (sourceType == MFnArrayAttrsData::kDoubleArray) {
            const MDoubleArray source = input.getDoubleData(from);
            for (unsigned int i = 0; i < source.length(); ++i) ids.append(toId(source[i]));
        } else {
            CHECK_MSTATUS(ids.copy(input.getIntData(from)));
        }
    } else if (sourceType == MFnArrayAttrsData::kVectorArray) {
        MVectorArray target = output.vectorArray(to, &status);
        CHECK_MSTATUS(status);
        CHECK_MSTATUS(target.copy(input.getVectorData(from)));
    } else if (sourceType == MFnArrayAttrsData::kDoubleArray) {
        MDoubleArray target = output.doubleArray(to, &status);
        CHECK_MSTATUS(status);
        CHECK_MSTATUS(target.copy(input.getDoubleData(from)));
    } else {
        MIntArray target = output.intArray(to, &status);
        CHECK_MSTATUS(status);
        CHECK_MSTATUS(target.copy(input.getIntData(from)));
    }
    return zt::setOutputPointSet(data, outPoints, outData, plug);
}
