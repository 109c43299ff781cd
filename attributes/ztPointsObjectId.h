#pragma once
// ztPointsObjectId: writes the per-point "objectIndex" channel the instancer
// reads to choose which object to place at each point.

#include <maya/MDataBlock.h>
#include <maya/MPlug.h>
#include <maya/MPxNode.h>
#include <maya/MTypeId.h>

class ztPointsObjectId : public MPxNode {
public:
    ztPointsObjectId() = default;
    ~ztPointsObjectId() override = default;

    MStatus compute(const MPlug& plug, MDataBlock& data) override;

    static void* creator();
    static MStatus initialize();

    static const MTypeId id;

    static MObject inPoints;
    static MObject outPoints;
    static MObject inMesh;
    static MObject baseId;
    static MObject seed;
    static MObject randomIdVal;
    static MObject randomIdProbability;
    static MObject randomId;
    static MObject vertexColorId1;
    static MObject vertexColorId2;
    static MObject vertexColorId3;
    static MObject vertexColor;
    static MObject inColor;
    static MObject inColorIds;
};
