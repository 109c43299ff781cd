#include "core/nodeAttributes.h"

#include <maya/MFnCompoundAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MIOStream.h>
#include <maya/MPxNode.h>

namespace zt {
namespace {

void report(const char* longName, const MStatus& result, MStatus* status) {
    if (!result) cerr << "ERROR in " << longName << ".\n" << endl << result.errorString() << endl;
    if (status) *status = result;
}

}  // namespace

MObject numericAttribute(const char* longName, const char* shortName, MFnNumericData::Type type,
                         double defaultValue, Range range, MStatus* status) {
    MFnNumericAttribute numeric;
    MStatus result;
    MObject attribute = numeric.create(longName, shortName, type, defaultValue, &result);
    if (result) {
        CHECK_MSTATUS(numeric.setKeyable(true));
        CHECK_MSTATUS(numeric.setStorable(true));
        CHECK_MSTATUS(numeric.setReadable(true));
        CHECK_MSTATUS(numeric.setWritable(true));
        if (range.min) CHECK_MSTATUS(numeric.setMin(*range.min));
        if (range.max) CHECK_MSTATUS(numeric.setMax(*range.max));
    }
    report(longName, result, status);
    return attribute;
}

MObject pointAttribute(const char* longName, const char* shortName, MStatus* status) {
    MFnNumericAttribute numeric;
    MStatus result;
    MObject attribute = numeric.createPoint(longName, shortName, &result);
    if (result) {
        CHECK_MSTATUS(numeric.setKeyable(true));
        CHECK_MSTATUS(numeric.setStorable(true));
        CHECK_MSTATUS(numeric.setReadable(true));
        CHECK_MSTATUS(numeric.setWritable(true));
    }
    report(longName, result, status);
    return attribute;
}

MObject meshAttribute(const char* longName, const char* shortName, bool hidden, MStatus* status) {
    MFnTypedAttribute typed;
    MStatus result;
    MObject attribute =
        typed.create(longName, shortName, MFnData::kMesh, MObject::kNullObj, &result);
    if (result) {
        CHECK_MSTATUS(typed.setKeyable(true));
        CHECK_MSTATUS(typed.setStorable(true));
        CHECK_MSTATUS(typed.setReadable(true));
        CHECK_MSTATUS(typed.setWritable(true));
        if (hidden) CHECK_MSTATUS(typed.setHidden(true));
    }
    report(longName, result, status);
    return attribute;
}

MObject vectorArrayAttribute(const char* longName, const char* shortName, MStatus* status) {
    MFnTypedAttribute typed;
    MStatus result;
    MObject attribute = typed.create(longName, shortName, MFnData::kVectorArray, &result);
    if (result) {
        CHECK_MSTATUS(typed.setStorable(true));
        CHECK_MSTATUS(typed.setReadable(true));
        CHECK_MSTATUS(typed.setWritable(true));
    }
    report(longName, result, status);
    return attribute;
}

MObject compoundArrayAttribute(const char* longName, const char* shortName,
                               std::initializer_list<MObject> children, MStatus* status) {
    MFnCompoundAttribute compound;
    MStatus result;
    MObject attribute = compound.create(longName, shortName, &result);
    if (result) {
        for (const MObject& child : children) CHECK_MSTATUS(compound.addChild(child));
        CHECK_MSTATUS(compound.setArray(true));
        CHECK_MSTATUS(compound.setStorable(true));
        CHECK_MSTATUS(compound.setReadable(true));
        CHECK_MSTATUS(compound.setWritable(true));
    }
    report(longName, result, status);
    return attribute;
}

MStatus addAttributes(std::initializer_list<MObject> attributes) {
    for (const MObject& attribute : attributes) {
        const MStatus status = MPxNode::addAttribute(attribute);
        if (!status) return status;
    }
    return MS::kSuccess;
}

MStatus declareAffects(std::initializer_list<MObject> inputs, const MObject& output) {
    for (const MObject& input : inputs) {
        const MStatus status = MPxNode::attributeAffects(input, output);
        if (!status) return status;
    }
    return MS::kSuccess;
}

}  // namespace zt
