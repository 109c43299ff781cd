#pragma once
// ztPointsMerge: blends chosen channels of a second point set into a first
// one, pairing points by their "pointID". The output is the first set in its
// own order with the listed channels blended; the weight is `factor`, times
// the second set's "fallof" per point when it has one.

#include <maya/MDataBlock.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPxNode.h>
#include <maya/MStatus.h>
#include <maya/MTypeId.h>

class ztPointsMerge : public MPxNode {
public:
    ztPointsMerge() = default;
    ~ztPointsMerge() override = default;

    MStatus compute(const MPlug& plug, MDataBlock& data) override;

    static void* creator();
    static MStatus initialize();

    static const MTypeId id;

    static MObject factor;      // "f": blend weight, 0 keeps the first set, 1 takes the second
    static MObject inPoints1;   // "ip1": the set that is blended into
    static MObject inPoints2;   // "ip2": the set whose values are blended in
    static MObject outPoints;   // "op"
    static MObject attributes;  // "a": names of the channels to blend (multi string)
};
