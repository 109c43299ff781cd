#pragma once
// ztPointsAttrShuffle: copies a channel under another name.
// Registered so scenes that use it load; its attributes and compute are not
// built yet (see the status table in README.md).

#include <maya/MPxNode.h>
#include <maya/MTypeId.h>

class ztPointsAttrShuffle : public MPxNode {
public:
    static void* creator() { return new ztPointsAttrShuffle(); }
    static MStatus initialize() { return MS::kSuccess; }

    static const MTypeId id;
};
