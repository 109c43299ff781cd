#pragma once
// ztNoiseLocator: draws preview curves of the noise deformer.
// Registered so scenes that use it load; its attributes and compute are not
// built yet (see the status table in README.md).

#include <maya/MPxLocatorNode.h>
#include <maya/MTypeId.h>

class ztNoiseLocator : public MPxLocatorNode {
public:
    static void* creator() { return new ztNoiseLocator(); }
    static MStatus initialize() { return MS::kSuccess; }

    static const MTypeId id;
};
