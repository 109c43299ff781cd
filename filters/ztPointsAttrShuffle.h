#pragma once
// ztPointsAttrShuffle: renames one channel of a point set. The channel named
// by `attrFrom` reappears under `attrTo` with the same values; into
// "pointID" the values become ints, so the result is a valid id channel.

#include <maya/MDataBlock.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPxNode.h>
#include <maya/MStatus.h>
#include <maya/MTypeId.h>

class ztPointsAttrShuffle : public MPxNode {
public:
    ztPointsAttrShuffle() = default;
    ~ztPointsAttrShuffle() override = default;

    MStatus compute(const MPlug& plug, MDataBlock& data) override;

    static void* creator();
    static MStatus initialize();

    static const MTypeId id;

    static MObject inPoints;   // "ip"
    static MObject attrFrom;   // "af": the channel that is renamed
    static MObject attrTo;     // "at": its new name
    static MObject outPoints;  // "op"
};
