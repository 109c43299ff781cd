#pragma once
// ztPointsNormal: gives every point of a point set the flat face normal of
// the mesh triangle it lies on ("triID"), as the "normal" channel. Use it for
// point sets scattered without normals, or to refresh normals after the mesh
// changed.

#include <maya/MPxNode.h>
#include <maya/MTypeId.h>

class ztPointsNormal : public MPxNode {
public:
    ztPointsNormal() = default;
    ~ztPointsNormal() override;

    MStatus compute(const MPlug& plug, MDataBlock& data) override;

    static void* creator() { return new ztPointsNormal(); }
    static MStatus initialize();

    static const MTypeId id;

    static MObject inPoints;
    static MObject inMesh;
    static MObject outPoints;
};
