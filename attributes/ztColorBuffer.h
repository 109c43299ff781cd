#pragma once
// ztColorBuffer: one colour per point from a texture or any shading network.
// It takes the points' UVs (ztPointsUV.outUVs into inUVs), samples the
// network connected to its inColor at every UV through the renderer, and
// outputs the colours as a vector array (outColor), which the rotation,
// scale and object id nodes take as their inColor.

#include <maya/MPxNode.h>
#include <maya/MTypeId.h>

class ztColorBuffer : public MPxNode {
public:
    ztColorBuffer() = default;
    ~ztColorBuffer() override;

    MStatus compute(const MPlug& plug, MDataBlock& data) override;

    static void* creator() { return new ztColorBuffer(); }
    static MStatus initialize();

    static const MTypeId id;

    static MObject outColor;
    static MObject inUVs;
    static MObject inColor;
};
