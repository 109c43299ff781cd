#pragma once
// ztNoise: a deformer that moves every point by three fractal noise fields,
// one per axis, evaluated in the space of a controlling transform (the
// deform space). The y displacement is a noise of (x, z), the x displacement
// a noise of (y, z) and the z displacement a noise of (x, y), applied in
// that order, each seeing the coordinates the previous one changed. Moving,
// turning or scaling the transform moves the pattern over the object.
//
// Creating it with the deformer command also creates its handle: a
// transform (whose matrix is the deform space) with a ztNoiseLocator under
// it, which sets the length and sample count of three preview curves that
// this node computes and the locator draws.
//
//   polyPlane -w 10 -h 10 -sx 40 -sy 40 -n ground;
//   deformer -type ztNoise groundShape;     // ztNoise1, transform1, ztNoiseLocatorShape1
//   setAttr ztNoise1.oyNoiseAmp 0.5;
//   setAttr ztNoise1.oyNoiseFreq 0.3;
//
// The envelope scales the whole displacement; per-point weights are not
// used.

#include <maya/MDagModifier.h>
#include <maya/MDataBlock.h>
#include <maya/MItGeometry.h>
#include <maya/MMatrix.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPxDeformerNode.h>
#include <maya/MStatus.h>
#include <maya/MTypeId.h>

class ztNoise : public MPxDeformerNode {
public:
    ztNoise() = default;
    ~ztNoise() override;

    // The three visualisation point arrays; anything else (outputGeom) is
    // left to the deformer base class, which calls deform.
    MStatus compute(const MPlug& plug, MDataBlock& block) override;
    MStatus deform(MDataBlock& block, MItGeometry& iter, const MMatrix& localToWorld,
                   unsigned int multiIndex) override;
    MObject& accessoryAttribute() const override;
    MStatus accessoryNodeSetup(MDagModifier& modifier) override;

    static void* creator();
    static MStatus initialize();

    static const MTypeId id;

    // Per-axis attributes are indexed 0, 1, 2 for x, y, z.
    static MObject deformSpace;
    static MObject visualisationPoints[3];
    static MObject noiseAmp[3];
    static MObject noiseFreq[3];
    static MObject noiseOctaves[3];
    static MObject noiseSeed[3];
    static MObject length[3];
    static MObject pointsCount[3];
};
