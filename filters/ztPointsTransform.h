#pragma once
// ztPointsTransform: moves a point set by a matrix. "position" is taken as
// points (with the translation); the aiming channels an instancer reads are
// taken as directions (without it); every other channel passes through.

#include <maya/MDataBlock.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPxNode.h>
#include <maya/MStatus.h>
#include <maya/MTypeId.h>

class ztPointsTransform : public MPxNode {
public:
    ztPointsTransform() = default;
    ~ztPointsTransform() override = default;

    MStatus compute(const MPlug& plug, MDataBlock& data) override;

    static void* creator();
    static MStatus initialize();

    static const MTypeId id;

    static MObject inPoints;       // "ip"
    static MObject inWorldMatrix;  // "iwm": the matrix applied to the points
    static MObject outPoints;      // "op"
};
