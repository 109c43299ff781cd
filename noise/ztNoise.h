#pragma once
// ztNoise: displaces geometry by per-axis fractal noise.
// Registered so scenes that use it load; its attributes and compute are not
// built yet (see the status table in README.md).

#include <maya/MPxDeformerNode.h>
#include <maya/MTypeId.h>

class ztNoise : public MPxDeformerNode {
public:
    static void* creator() { return new ztNoise(); }
    static MStatus initialize() { return MS::kSuccess; }

    static const MTypeId id;
};
