#pragma once
// ztPointsObjectId: index of the object to instance at each point.
// Registered so scenes that use it load; its attributes and compute are not
// built yet (see the status table in README.md).

#include <maya/MPxNode.h>
#include <maya/MTypeId.h>

class ztPointsObjectId : public MPxNode {
public:
    static void* creator() { return new ztPointsObjectId(); }
    static MStatus initialize() { return MS::kSuccess; }

    static const MTypeId id;
};
