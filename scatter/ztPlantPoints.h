#pragma once
// ztPlantPoints: re-seats points on a deforming mesh.
// Registered so scenes that use it load; its attributes and compute are not
// built yet (see the status table in README.md).

#include <maya/MPxNode.h>
#include <maya/MTypeId.h>

class ztPlantPoints : public MPxNode {
public:
    static void* creator() { return new ztPlantPoints(); }
    static MStatus initialize() { return MS::kSuccess; }

    static const MTypeId id;
};
