#pragma once
// ztPlantPoints: re-seats an oriented point set on a mesh that moved or
// deformed. Each point keeps its triangle ("triID") and its place in it
// ("uv"); position, aim and up are rebuilt on the current mesh from the
// orientation data ztPointsRotation stored ("rotationRGB", "intersection",
// "distanceToEdge").

#include <maya/MPxNode.h>
#include <maya/MTypeId.h>

class ztPlantPoints : public MPxNode {
public:
    ztPlantPoints() = default;
    ~ztPlantPoints() override;

    MStatus compute(const MPlug& plug, MDataBlock& data) override;

    static void* creator() { return new ztPlantPoints(); }
    static MStatus initialize();

    static const MTypeId id;

    static MObject inPoints;
    static MObject inMesh;
    static MObject outPoints;
};
