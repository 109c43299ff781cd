#pragma once
// ztPointsEmitter: emits particles from a point set.
// Registered so scenes that use it load; its attributes and compute are not
// built yet (see the status table in README.md).

#include <maya/MPxEmitterNode.h>
#include <maya/MTypeId.h>

class ztPointsEmitter : public MPxEmitterNode {
public:
    static void* creator() { return new ztPointsEmitter(); }
    static MStatus initialize() { return MS::kSuccess; }

    static const MTypeId id;
};
