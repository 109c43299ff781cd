#pragma once
// doZtPointsCache writes the outPoints point set of a node to one cache file
// per frame, moving the scene through the frame range itself:
//
//   doZtPointsCache pointsRotation1 "caches" "flowers" 1 100 2;
//
// arguments: node name, directory, cache name, start frame, end frame, mode.
// Mode 0 and 1 write every channel, 2 only the channels Maya's instancer
// reads, 3 those and the channels the plug-in's own nodes need to go on
// from a cached point set. All six are required: a missing or non-integer
// mode is refused ("Failed to parse mode argument.") rather than guessed.
// An empty directory means the working directory. The directory must exist;
// files already there are overwritten. The files are read back by
// ztPointsCache.

#include <maya/MArgList.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPxCommand.h>
#include <maya/MStatus.h>
#include <maya/MString.h>

#include <string>

class doZtPointsCacheCmd : public MPxCommand {
public:
    doZtPointsCacheCmd() = default;
    ~doZtPointsCacheCmd() override = default;

    MStatus doIt(const MArgList& args) override;

    static void* creator();

private:
    MStatus parseArguments(const MArgList& args);
    MStatus writeFrames();
    MStatus writeFrame(const MPlug& outPointsPlug, const std::string& cachePath, int frame);

    MString nodeName_;
    MString pathToCache_;
    MString cacheName_;
    int startFrame_ = 0;
    int endFrame_ = 0;
    short mode_ = 0;
    MObject node_;
};
