#pragma once
// ztPointsScale: writes the per-point "scale" channel the instancer reads.

#include <maya/MDataBlock.h>
#include <maya/MPlug.h>
#include <maya/MPxNode.h>
#include <maya/MTypeId.h>

class ztPointsScale : public MPxNode {
public:
    ztPointsScale() = default;
    ~ztPointsScale() override = default;

    MStatus compute(const MPlug& plug, MDataBlock& data) override;

    static void* creator();
    static MStatus initialize();

    static const MTypeId id;

    static MObject inPoints;
    static MObject outPoints;
    static MObject inMesh;
    static MObject uniform;
    static MObject scaleX;
    static MObject scaleY;
    static MObject scaleZ;
    static MObject seed;
    static MObject scaleRandomX;
    static MObject scaleRandomY;
    static MObject scaleRandomZ;
    static MObject inColorFactor;
    static MObject inColor;
    static MObject vertexColor;
    static MObject vertexColorType;
    static MObject vertexColorFactor;
    static MObject vertexColorWeight;
};
