#include "cache/doZtPointsCacheCmd.h"

#include <maya/MComputation.h>
#include <maya/MDoubleArray.h>
#include <maya/MFn.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MGlobal.h>
#include <maya/MIOStream.h>
#include <maya/MIntArray.h>
#include <maya/MPlug.h>
#include <maya/MSelectionList.h>
#include <maya/MStringArray.h>
#include <maya/MVectorArray.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include <boost/archive/binary_oarchive.hpp>

#include "cache/cacheFile.h"
#include "core/channels.h"

namespace {

namespace ch = zt::channels;

// Mode 2: what Maya's particle instancer reads.
const char* const kInstancerChannels[] = {ch::kPosition,
                                          "id",
                                          "visibility",
                                          ch::kScale,
                                          "shear",
                                          ch::kRotationType,
                                          "rotation",
                                          ch::kAimDirection,
                                          "aimPosition",
                                          "aimAxis",
                                          "aimUpAxis",
                                          ch::kAimWorldUp,
                                          ch::kObjectIndex,
                                          "cycleStartObject",
                                          "age"};

// Mode 3 adds what the plug-in's nodes need to carry on from a cached set
// (replanting on a deforming mesh, normals, UV lookups).
const char* const kPluginChannels[] = {ch::kIntersection, ch::kDistanceToEdge,
                                       ch::kTriangleId,   ch::kRotationRgb,
                                       ch::kUv,           ch::kNormal};

bool listed(const MString& name, const char* const* first, const char* const* last) {
    for (; first != last; ++first)
        if (name == *first) return true;
    return false;
}

bool modeWrites(short mode, const MString& name) {
    if (mode < 2) return true;
    if (listed(name, std::begin(kInstancerChannels), std::end(kInstancerChannels))) return true;
    return mode == 3 && listed(name, std::begin(kPluginChannels), std::end(kPluginChannels));
}

// The cache name matches ^[a-zA-Z]+[a-zA-Z0-9_]*$ : a letter first, then
// letters, digits and underscores (ASCII only).
bool validCacheName(const MString& name) {
    const std::string text = name.asChar();
    auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    if (text.empty() || !isLetter(text[0])) return false;
    for (const char c : text) {
        if (!isLetter(c) && !isDigit(c) && c != '_') return false;
    }
    return true;
}

// Ends the interruptible computation on every way out of the frame loop.
class ComputationScope {
public:
    ComputationScope() { computation_.beginComputation(); }
    ~ComputationScope() { computation_.endComputation(); }
    ComputationScope(const ComputationScope&) = delete;
    ComputationScope& operator=(const ComputationScope&) = delete;
    bool interruptRequested() { return computation_.isInterruptRequested(); }

private:
    MComputation computation_;
};

MStatus fail(const MString& message) {
    MGlobal::displayError(message);
    return MS::kFailure;
}

}  // namespace

void* doZtPointsCacheCmd::creator() {
    return new doZtPointsCacheCmd();
}

MStatus doZtPointsCacheCmd::doIt(const MArgList& args) {
    MStatus status = parseArguments(args);
    if (!status) return status;
    return writeFrames();
}

MStatus doZtPointsCacheCmd::parseArguments(const MArgList& args) {
    MStatus status;
    const unsigned int count = args.length();
    if (count == 0) return fail("Missing ztNode node name argument.");
    if (count > 6) return fail("Too many arguments.");

    nodeName_ = args.asString(0, &status);
    if (!status) return fail("Failed to parse ztNode node name argument.");
    MSelectionList selection;
    if (!selection.add(nodeName_) || !selection.getDependNode(0, node_))
        return fail("There is no ztPoints node with the given name.");
    if (!node_.hasFn(MFn::kDependencyNode)) return fail("The named node is not kDependencyNode.");

    pathToCache_ = args.asString(1, &status);
    if (!status) return fail("Failed to parse pathToCache argument.");
    cacheName_ = args.asString(2, &status);
    if (!status) return fail("Failed to parse cacheName argument.");
    if (!validCacheName(cacheName_)) return fail("Wrong cache name: '" + cacheName_ + "'");

    startFrame_ = args.asInt(3, &status);
    if (!status) return fail("Failed to parse startFrame argument.");
    endFrame_ = args.asInt(4, &status);
    if (!status) return fail("Failed to parse endFrame argument.");
    if (endFrame_ < startFrame_) return fail("ztCache: endFrame < startFrame.");

    // Without a readable mode there is no telling which channels the user
    // wanted, so the command stops instead of guessing.
    const int mode = args.asInt(5, &status);
    if (!status) return fail("Failed to parse mode argument.");
    // The mode is a 16-bit value, as scripts have always passed it.
    mode_ = static_cast<short>(mode);
    if (mode_ < 0 || mode_ > 3) return fail("ztCache: Wrong mode.");
    return MS::kSuccess;
}

MStatus doZtPointsCacheCmd::writeFrames() {
    MStatus status;
    MFnDependencyNode fnNode(node_);
    MPlug outPointsPlug = fnNode.findPlug("outPoints", &status);
    if (!status) {
        MGlobal::displayError("Can not get 'outPoints' plug");
        return status;
    }
    const std::string cachePath =
        zt::cache::joinCachePath(pathToCache_.asChar(), cacheName_.asChar());
    {
        ComputationScope computation;
        // A 64-bit counter, so that a range ending at the largest int ends.
        for (std::int64_t f = startFrame_; f <= endFrame_; ++f) {
            if (computation.interruptRequested()) return fail("Caching aborted");
            status = writeFrame(outPointsPlug, cachePath, static_cast<int>(f));
            if (!status) return status;
        }
    }
    MGlobal::displayInfo("ztPointsCache completed");
    return MS::kSuccess;
}

MStatus doZtPointsCacheCmd::writeFrame(const MPlug& outPointsPlug, const std::string& cachePath,
                                       int frame) {
    // The scene moves to the frame first and the point set is fetched after:
    // the host evaluates lazily, so a point set fetched before the move would
    // hold the previous time's values and every file would be one frame late.
    CHECK_MSTATUS(MGlobal::viewFrame(static_cast<double>(frame)));

    MStatus status;
    MObject pointData;
    status = outPointsPlug.getValue(pointData);
    if (!status) {
        cerr << "ERROR in outPointsPlug.attribute.\n" << status.errorString() << endl;
        return status;
    }
    MFnArrayAttrsData fnPoints(pointData, &status);
    if (!status) {
        cerr << "ERROR in fnArrayAttrsData(vectorArrayData).\n" << status.errorString() << endl;
        return status;
    }
    const MStringArray names = fnPoints.list(&status);
    CHECK_MSTATUS(status);

    // The frame is built and checked before its file is created, so that a
    // point set that cannot be cached leaves no file behind.
    zt::cache::CacheFrame cached;
    for (unsigned int i = 0; i < names.length(); ++i) {
        const MString& name = names[i];
        if (!modeWrites(mode_, name)) continue;
        MFnArrayAttrsData::Type type = MFnArrayAttrsData::kInvalid;
        fnPoints.checkArrayExist(name, type);
        if (type == MFnArrayAttrsData::kIntArray) {
            const MIntArray values = fnPoints.getIntData(name, &status);
            CHECK_MSTATUS(status);
            std::vector<int> flat(values.length());
            for (unsigned int k = 0; k < values.length(); ++k) flat[k] = values[k];
            zt::cache::addIntChannel(cached, name.asChar(), flat.data(), flat.size());
        } else if (type == MFnArrayAttrsData::kDoubleArray) {
            const MDoubleArray values = fnPoints.getDoubleData(name, &status);
            CHECK_MSTATUS(status);
            std::vector<double> flat(values.length());
            for (unsigned int k = 0; k < values.length(); ++k) flat[k] = values[k];
            zt::cache::addDoubleChannel(cached, name.asChar(), flat.data(), flat.size());
        } else if (type == MFnArrayAttrsData::kVectorArray) {
            const MVectorArray values = fnPoints.getVectorData(name, &status);
            CHECK_MSTATUS(status);
            std::vector<double> flat(3 * static_cast<std::size_t>(values.length()));
            for (unsigned int k = 0; k < values.length(); ++k) {
                flat[3 * k] = values[k].x;
                flat[3 * k + 1] = values[k].y;
                flat[3 * k + 2] = values[k].z;
            }
            zt::cache::addVectorChannel(cached, name.asChar(), flat.data(), values.length());
        } else {
            cerr << "doZtPointsCacheCmd: invalid array type" << endl;
            return MS::kFailure;
        }
    }
    // The reader refuses a file whose channels differ in length.
    std::string detail;
    if (!zt::cache::channelLengthsAgree(cached, detail)) {
        return fail(MString("Can not cache frame ") + frame + " of " + nodeName_ + ": " +
                    detail.c_str());
    }

    const std::string fileName = zt::cache::cacheFileName(cachePath, frame);
    std::ofstream file(fileName, std::ios::out);
    if (!file) return fail(MString("Can not create cache file: ") + fileName.c_str());
    try {
        boost::archive::binary_oarchive archive(file, 0);
        zt::cache::saveCacheFrame(archive, cached);
    } catch (const std::exception& e) {
        return fail(MString("Can not write cache file: ") + fileName.c_str() + " (" + e.what() +
                    ")");
    }
    file.close();
    if (!file) return fail(MString("Can not write cache file: ") + fileName.c_str());
    return MS::kSuccess;
}
