#pragma once
// ztPointsMerge: blends a second point set into a first by point id.
// Registered so scenes that use it load; its attributes and compute are not
// built yet (see the status table in README.md).

#include <maya/MPxNode.h>
#include <maya/MTypeId.h>

class ztPointsMerge : public MPxNode {
public:
    static void* creator() { return new ztPointsMerge(); }
    static MStatus initialize() { return MS::kSuccess; }

    static const MTypeId id;
};
