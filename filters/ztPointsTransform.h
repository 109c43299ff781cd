#pragma once
// ztPointsTransform: moves a point set by a matrix.
// Registered so scenes that use it load; its attributes and compute are not
// built yet (see the status table in README.md).

#include <maya/MPxNode.h>
#include <maya/MTypeId.h>

class ztPointsTransform : public MPxNode {
public:
    static void* creator() { return new ztPointsTransform(); }
    static MStatus initialize() { return MS::kSuccess; }

    static const MTypeId id;
};
