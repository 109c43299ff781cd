#pragma once
// ztPointsRotation: orientation channels for instancing. Every point gets
// three numbers R, G, B ("rotationRGB") and from them an aim direction
// ("aimDirection"), an up vector ("aimWorldUp") and the instancer rotation
// mode ("rotationType" = 1):
//
//   R in [-1, 1] blends the aim from the surface normal (0) to the tangent
//     direction towards `target` (1) or away from it (-1);
//   G turns about the normal, B rolls about the aim, both in whole turns.
//
// R, G, B start from the input's "rotationRGB" (so rotation nodes chain) and
// are changed by `inColor`, painted vertex-colour layers of `inMesh`
// (`vertexColor`), offsets and random terms. With `localAimDirection` the
// node also writes where the line towards the target meets the lines of the
// point's triangle edges ("intersection", "distanceToEdge"). A single active
// add layer hides the points painted with zero alpha.

#include <maya/MObject.h>
#include <maya/MPxNode.h>
#include <maya/MTypeId.h>

class ztPointsRotation : public MPxNode {
public:
    ~ztPointsRotation() override = default;
    MStatus compute(const MPlug& plug, MDataBlock& data) override;

    static void* creator();
    static MStatus initialize();

    static const MTypeId id;

    // Point sets and the mesh the points were scattered on.
    static MObject inPoints;
    static MObject inMesh;
    static MObject outPoints;

    // Target of the tangent direction; edge-intersection outputs.
    static MObject localAimDirection;
    static MObject target;

    // Painted layers: -1 = all, else only that one.
    static MObject activeLayer;

    // Constant offsets (R in [-1, 1], G and B in degrees).
    static MObject offsetR;
    static MObject offsetG;
    static MObject offsetB;

    // Random terms: static amplitudes, oscillation amplitudes, speeds, times.
    static MObject seed;
    static MObject randomR;
    static MObject randomG;
    static MObject randomB;
    static MObject randomAmplitudeR;
    static MObject randomAmplitudeG;
    static MObject randomAmplitudeB;
    static MObject minRandSpeedR;
    static MObject minRandSpeedG;
    static MObject minRandSpeedB;
    static MObject maxRandSpeedR;
    static MObject maxRandSpeedG;
    static MObject maxRandSpeedB;
    static MObject randTimeR;
    static MObject randTimeG;
    static MObject randTimeB;

    // Per-point colour array and how it applies.
    static MObject addColorMode;
    static MObject inColorFactor;
    static MObject inColor;

    // One element per vertex-colour layer.
    static MObject vertexColor;
    static MObject vertexColorType;
    static MObject vertexColorWeight;
};
