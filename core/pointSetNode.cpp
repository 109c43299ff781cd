#include "core/pointSetNode.h"

#include <maya/MDataHandle.h>
#include <maya/MDoubleArray.h>
#include <maya/MFnAttribute.h>
#include <maya/MGlobal.h>
#include <maya/MIOStream.h>
#include <maya/MIntArray.h>
#include <maya/MVectorArray.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "core/channels.h"

namespace zt {
namespace {

bool isExcluded(const MString& name, const MStringArray& excluded) {
    for (unsigned int j = 0; j < excluded.length(); ++j) {
        if (name == excluded[j]) return true;
    }
    return false;
}

// Length of a channel of one of the three point-set types; false otherwise.
bool channelLength(MFnArrayAttrsData& pointSet, const MString& name, unsigned int& length) {
    MFnArrayAttrsData::Type type = MFnArrayAttrsData::kInvalid;
    if (!pointSet.checkArrayExist(name, type)) return false;
    switch (type) {
        case MFnArrayAttrsData::kVectorArray:
            length = pointSet.getVectorData(name).length();
            return true;
        case MFnArrayAttrsData::kDoubleArray:
            length = pointSet.getDoubleData(name).length();
            return true;
        case MFnArrayAttrsData::kIntArray:
            length = pointSet.getIntData(name).length();
            return true;
        default:
            return false;
    }
}

template <class Array>
void appendKept(Array& target, const Array& source, const std::vector<std::uint8_t>& keep) {
    // A channel shorter than the flags only contributes the elements it has.
    const std::size_t n = std::min<std::size_t>(keep.size(), source.length());
    for (std::size_t i = 0; i < n; ++i) {
        if (keep[i]) target.append(source[static_cast<unsigned int>(i)]);
    }
}

}  // namespace

void reportError(const char* line, const MStatus& status) {
    cerr << line << endl << status.errorString() << endl;
}

void displayFailure(const MString& text) {
    MGlobal::displayError(text);
    MStatus(MS::kFailure).perror(text);
}

MObject createOutputPointSet(MFnArrayAttrsData& output, MStatus& status) {
    MObject data = output.create(&status);
    if (!status) reportError("ERROR in fnOutput.create.\n", status);
    return data;
}

MStatus readInputPointSet(MDataBlock& block, const MObject& node, const MObject& attribute,
                          MFnArrayAttrsData& pointSet, const char* missingMessage) {
    MStatus status;
    MDataHandle handle = block.inputValue(attribute, &status);
    if (!status) {
        const MString line = "ERROR getting " + MFnAttribute(attribute).name() + " handle";
        reportError(line.asChar(), status);
        return status;
    }
    MObject data = handle.data();
    status = pointSet.setObject(data);
    if (!status) {
        MGlobal::displayError(MPlug(node, attribute).name() + missingMessage);
        return MS::kFailure;
    }
    return MS::kSuccess;
}

bool hasChannel(MFnArrayAttrsData& pointSet, const char* name, MFnArrayAttrsData::Type type) {
    MFnArrayAttrsData::Type found = MFnArrayAttrsData::kInvalid;
    return pointSet.checkArrayExist(name, found) && found == type;
}

bool requireChannel(MFnArrayAttrsData& pointSet, const char* name, MFnArrayAttrsData::Type type,
                    const MPlug& plug, const char* message) {
    if (hasChannel(pointSet, name, type)) return true;
    MGlobal::displayError(plug.name() + message);
    return false;
}

unsigned int pointCount(MFnArrayAttrsData& pointSet) {
    unsigned int length = 0;
    if (channelLength(pointSet, channels::kPosition, length)) return length;
    const MStringArray names = pointSet.list();
    for (unsigned int i = 0; i < names.length(); ++i) {
        if (channelLength(pointSet, names[i], length)) return length;
    }
    return 0;
}

bool checkChannelLengths(MFnArrayAttrsData& pointSet, unsigned int count, const MPlug& plug) {
    const MStringArray names = pointSet.list();
    for (unsigned int i = 0; i < names.length(); ++i) {
        unsigned int length = 0;
        if (!channelLength(pointSet, names[i], length) || length == count) continue;
        MGlobal::displayError(plug.name() + ": channel '" + names[i] + "' has " +
                              std::to_string(length).c_str() + " elements, expected " +
                              std::to_string(count).c_str());
        return false;
    }
    return true;
}

bool requireChannelLength(MFnArrayAttrsData& pointSet, const char* name, unsigned int count,
                          const MPlug& plug) {
    unsigned int length = 0;
    if (channelLength(pointSet, name, length) && length == count) return true;
    MGlobal::displayError(plug.name() + ": channel '" + name + "' has " +
                          std::to_string(length).c_str() + " elements, expected " +
                          std::to_string(count).c_str());
    return false;
}

bool requireFinite(const std::vector<float>& values, unsigned int width, const MPlug& plug,
                   const char* what) {
    for (std::size_t k = 0; k < values.size(); ++k) {
        if (std::isfinite(values[k])) continue;
        const std::size_t element = width > 0 ? k / width : k;
        MGlobal::displayError(plug.name() + ": " + what +
                              " holds a value that is not a finite number (element " +
                              std::to_string(element).c_str() + ")");
        return false;
    }
    return true;
}

void copyAttributesMasked(MFnArrayAttrsData& out, MFnArrayAttrsData& in,
                          const MStringArray& excluded, const std::vector<std::uint8_t>& keep,
                          const char* skipMessage) {
    MStatus status;
    const MStringArray names = in.list(&status);
    CHECK_MSTATUS(status);
    for (unsigned int i = 0; i < names.length(); ++i) {
        const MString name = names[i];
        if (isExcluded(name, excluded)) continue;
        MFnArrayAttrsData::Type type = MFnArrayAttrsData::kInvalid;
        in.checkArrayExist(name, type);
        switch (type) {
            case MFnArrayAttrsData::kVectorArray: {
                MVectorArray target = out.vectorArray(name, &status);
                CHECK_MSTATUS(status);
                appendKept(target, in.getVectorData(name), keep);
                break;
            }
            case MFnArrayAttrsData::kDoubleArray: {
                MDoubleArray target = out.doubleArray(name, &status);
                CHECK_MSTATUS(status);
                appendKept(target, in.getDoubleData(name), keep);
                break;
            }
            case MFnArrayAttrsData::kIntArray: {
                MIntArray target = out.intArray(name, &status);
                CHECK_MSTATUS(status);
                appendKept(target, in.getIntData(name), keep);
                break;
            }
            default:
                cerr << skipMessage;
                break;
        }
    }
}

MStatus setOutputPointSet(MDataBlock& block, const MObject& attribute, MObject& pointSetData,
                          const MPlug& plug) {
    MStatus status;
    const MString attributeName = MFnAttribute(attribute).name();
    MDataHandle handle = block.outputValue(attribute, &status);
    if (!status) {
        const MString line = "ERROR in handle = block.outputValue(" + attributeName + ").\n";
        reportError(line.asChar(), status);
        return status;
    }
    status = handle.set(pointSetData);
    if (!status) {
        const MString line = "ERROR handle.set(" + attributeName + "Array)\n";
        reportError(line.asChar(), status);
        return status;
    }
    block.setClean(plug);
    return MS::kSuccess;
}

}  // namespace zt
