#pragma once
// ztPointsSelection: splits a point set by a condition.
// Registered so scenes that use it load; its attributes and compute are not
// built yet (see the status table in README.md).

#include <maya/MPxNode.h>
#include <maya/MTypeId.h>

class ztPointsSelection : public MPxNode {
public:
    static void* creator() { return new ztPointsSelection(); }
    static MStatus initialize() { return MS::kSuccess; }

    static const MTypeId id;
};
