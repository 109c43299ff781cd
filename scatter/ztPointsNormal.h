#pragma once
// ztPointsNormal: normals of the points' triangles.
// Registered so scenes that use it load; its attributes and compute are not
// built yet (see the status table in README.md).

#include <maya/MPxNode.h>
#include <maya/MTypeId.h>

class ztPointsNormal : public MPxNode {
public:
    static void* creator() { return new ztPointsNormal(); }
    static MStatus initialize() { return MS::kSuccess; }

    static const MTypeId id;
};
