#pragma once
// ztPointsContainer: keeps the points inside a sphere or box container.
// Registered so scenes that use it load; its attributes and compute are not
// built yet (see the status table in README.md).

#include <maya/MPxNode.h>
#include <maya/MTypeId.h>

class ztPointsContainer : public MPxNode {
public:
    static void* creator() { return new ztPointsContainer(); }
    static MStatus initialize() { return MS::kSuccess; }

    static const MTypeId id;
};
