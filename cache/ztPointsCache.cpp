#include "cache/ztPointsCache.h"

#include <maya/MDataHandle.h>
#include <maya/MDoubleArray.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnData.h>
#include <maya/MFnStringData.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MFnUnitAttribute.h>
#include <maya/MGlobal.h>
#include <maya/MIOStream.h>
#include <maya/MIntArray.h>
#include <maya/MString.h>
#include <maya/MTime.h>
#include <maya/MVector.h>
#include <maya/MVectorArray.h>

#include <cmath>
#include <string>

#include <boost/filesystem.hpp>

#include "cache/cacheFile.h"
#include "core/pointSet.h"

const MTypeId ztPointsCache::id(0xC7);
MObject ztPointsCache::time;
MObject ztPointsCache::cachePath;
MObject ztPointsCache::outPoints;

namespace {

// Anything but "not found" and "cannot tell" counts as present: a directory
// or a special file of the right name is then reported as unreadable rather
// than silently skipped.
bool pathExists(const std::string& fileName) {
    boost::system::error_code ignored;
    const boost::filesystem::file_type type = boost::filesystem::status(fileName, ignored).type();
    return type != boost::filesystem::file_not_found && type != boost::filesystem::status_error;
}

// The frame whose file is read: the time in the scene's unit, truncated
// toward zero. Times beyond the range of a frame number have no file.
bool frameAt(const MTime& t, int& frame) {
    const double value = t.as(MTime::uiUnit());
    if (!std::isfinite(value) || value <= -2147483649.0 || value >= 2147483648.0) return false;
    frame = static_cast<int>(value);
    return true;
}

// The message for a file that exists but cannot be turned into a point set.
MString loadFailureMessage(const zt::cache::LoadResult& result, const std::string& fileName) {
    using zt::cache::LoadError;
    switch (result.error) {
        case LoadError::intMap:
            return "Failed to load cache data (int map)";
        case LoadError::doubleMap:
            return "Failed to load cache data (double map)";
        case LoadError::vectorMap:
            return "Failed to load cache data (vector map)";
        case LoadError::invalidVectorLength:
            return "ztPointsCache: invalid vector length";
        case LoadError::cannotOpen:
            return MString("ztPointsCache: cannot open cache file ") + fileName.c_str() +
                   (result.detail.empty() ? "" : (" (" + result.detail + ")").c_str());
        case LoadError::unequalLengths:
        case LoadError::trailingBytes:
        case LoadError::badHeader:
        case LoadError::none:
            break;
    }
    return MString("ztPointsCache: not a readable cache file: ") + fileName.c_str() + " (" +
           result.detail.c_str() + ")";
}

}  // namespace

void* ztPointsCache::creator() {
    return new ztPointsCache();
}

MStatus ztPointsCache::initialize() {
    MStatus status;

    MFnUnitAttribute unitAttr;
    time = unitAttr.create("time", "tm", MFnUnitAttribute::kTime, 0.0, &status);
    CHECK_MSTATUS_AND_RETURN_IT(status);

    MFnTypedAttribute typedAttr;
    MFnStringData emptyString;
    cachePath =
        typedAttr.create("cachePath", "cp", MFnData::kString, emptyString.create(""), &status);
    CHECK_MSTATUS_AND_RETURN_IT(status);
    CHECK_MSTATUS(typedAttr.setKeyable(false));
    CHECK_MSTATUS(typedAttr.setStorable(true));
    CHECK_MSTATUS(typedAttr.setReadable(true));
    CHECK_MSTATUS(typedAttr.setWritable(true));

    status = zt::createPointSetAttribute(outPoints, "outPoints", "op", zt::PointSetRole::kOutput);
    if (!status) return status;

    CHECK_MSTATUS_AND_RETURN_IT(addAttribute(time));
    CHECK_MSTATUS_AND_RETURN_IT(addAttribute(cachePath));
    CHECK_MSTATUS_AND_RETURN_IT(addAttribute(outPoints));
    CHECK_MSTATUS_AND_RETURN_IT(attributeAffects(time, outPoints));
    CHECK_MSTATUS_AND_RETURN_IT(attributeAffects(cachePath, outPoints));
    return MS::kSuccess;
}

MStatus ztPointsCache::compute(const MPlug& plug, MDataBlock& data) {
    if (plug != outPoints) return MS::kUnknownParameter;

    MStatus status;
    MDataHandle pathHandle = data.inputValue(cachePath, &status);
    if (!status) {
        cerr << status.errorString() << endl;
        return status;
    }
    const MString path = pathHandle.asString();

    MDataHandle timeHandle = data.inputValue(time, &status);
    if (!status) {
        cerr << "ERROR getting time data handle\n" << status.errorString() << endl;
        return status;
    }
    int frame = 0;
    if (!frameAt(timeHandle.asTime(), frame)) {
        MGlobal::displayError(MString("ztPointsCache: time ") + timeHandle.asTime().value() +
                              " lies outside the range of frame numbers");
        return MS::kFailure;
    }

    std::string fileName = zt::cache::cacheFileName(path.asChar(), frame);
    if (!pathExists(fileName) && boost::filesystem::path(fileName).is_absolute()) {
        MGlobal::displayWarning(MString("No cache found for frame ") + frame + ": " +
                                fileName.c_str());
        return MS::kSuccess;
    }
    if (!pathExists(fileName)) {
        // A relative path that is not found from the working directory is
        // looked up under the project's workspace root.
        MString root;
        if (!MGlobal::executeCommand("workspace -q -rd;", root, false, false)) {
            MGlobal::displayError("ztCache: cannot get workspace");
            return MS::kFailure;
        }
        fileName = std::string(root.asChar()) + fileName;
        if (!pathExists(fileName)) {
            MGlobal::displayWarning(MString("No cache found for frame ") + frame + ": " +
                                    fileName.c_str());
            return MS::kSuccess;
        }
    }

    const zt::cache::LoadResult loaded = zt::cache::loadCacheFile(fileName);
    if (!loaded.ok()) {
        MGlobal::displayError(loadFailureMessage(loaded, fileName));
        return MS::kFailure;
    }

    MFnArrayAttrsData fnOutput;
    MObject outputData = fnOutput.create(&status);
    if (!status) {
        cerr << "ERROR in fnOutput.create.\n" << status.errorString() << endl;
        return status;
    }
    for (const auto& [name, bits] : loaded.frame.ints) {
        MIntArray values = fnOutput.intArray(name.c_str(), &status);
        CHECK_MSTATUS(status);
        CHECK_MSTATUS(values.setLength(static_cast<unsigned int>(bits.size())));
        for (unsigned int i = 0; i < values.length(); ++i)
            values[i] = zt::cache::intFromBits(bits[i]);
    }
    for (const auto& [name, doubles] : loaded.frame.doubles) {
        MDoubleArray values = fnOutput.doubleArray(name.c_str(), &status);
        CHECK_MSTATUS(status);
        CHECK_MSTATUS(values.setLength(static_cast<unsigned int>(doubles.size())));
        for (unsigned int i = 0; i < values.length(); ++i) values[i] = doubles[i];
    }
    for (const auto& [name, floats] : loaded.frame.vectors) {
        // loadCacheFile has already refused entries of a wrong length; the
        // check stays so this loop never reads past an entry.
        if (floats.size() % 3 != 0) {
            MGlobal::displayError("ztPointsCache: invalid vector length");
            return MS::kFailure;
        }
        MVectorArray values = fnOutput.vectorArray(name.c_str(), &status);
        if (!status) {
            cerr << "ERROR creating vectorArray\n" << status.errorString() << endl;
            return status;
        }
        CHECK_MSTATUS(values.setLength(static_cast<unsigned int>(floats.size() / 3)));
        for (unsigned int i = 0; i < values.length(); ++i)
            values[i] = MVector(floats[3 * i], floats[3 * i + 1], floats[3 * i + 2]);
    }

    MDataHandle outHandle = data.outputValue(outPoints, &status);
    if (!status) {
        cerr << "ERROR in handle = block.outputValue(outPoints).\n" << status.errorString() << endl;
        return status;
    }
    status = outHandle.set(outputData);
    if (!status) {
        cerr << "ERROR handle.set(outPointsArray)\n" << status.errorString() << endl;
        return status;
    }
    data.setClean(plug);
    return MS::kSuccess;
}
