#pragma once
// ztPointsCache replays a point cache written by doZtPointsCache: at every
// time it loads the file of the current frame and outputs its point set.
//
//   createNode ztPointsCache -n flowersCache;
//   setAttr -type "string" flowersCache.cachePath "caches/flowers";
//   connectAttr time1.outTime flowersCache.time;
//   connectAttr flowersCache.outPoints instancer1.inputPoints;

#include <maya/MDataBlock.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPxNode.h>
#include <maya/MStatus.h>
#include <maya/MTypeId.h>

class ztPointsCache : public MPxNode {
public:
    ztPointsCache() = default;
    ~ztPointsCache() override = default;

    MStatus compute(const MPlug& plug, MDataBlock& data) override;

    static void* creator();
    static MStatus initialize();

    static const MTypeId id;

    static MObject time;       // "tm": the time whose frame is read
    static MObject cachePath;  // "cp": directory and cache name, without frame and extension
    static MObject outPoints;  // "op": the point set of the frame
};
