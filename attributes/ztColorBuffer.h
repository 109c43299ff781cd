#pragma once
// ztColorBuffer: colours sampled from a shading network at point UVs.
// Registered so scenes that use it load; its attributes and compute are not
// built yet (see the status table in README.md).

#include <maya/MPxNode.h>
#include <maya/MTypeId.h>

class ztColorBuffer : public MPxNode {
public:
    static void* creator() { return new ztColorBuffer(); }
    static MStatus initialize() { return MS::kSuccess; }

    static const MTypeId id;
};
