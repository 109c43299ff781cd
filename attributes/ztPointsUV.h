#pragma once
// ztPointsUV: UVs of the points' triangles.
// Registered so scenes that use it load; its attributes and compute are not
// built yet (see the status table in README.md).

#include <maya/MPxNode.h>
#include <maya/MTypeId.h>

class ztPointsUV : public MPxNode {
public:
    static void* creator() { return new ztPointsUV(); }
    static MStatus initialize() { return MS::kSuccess; }

    static const MTypeId id;
};
