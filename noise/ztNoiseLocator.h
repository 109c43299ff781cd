#pragma once
// ztNoiseLocator: the handle of a ztNoise deformer. It sits under the
// transform whose matrix is the deformer's deform space, passes the length
// and sample count of the three preview curves to the deformer, and draws a
// small red axis cross with the preview curves the deformer computes (the x,
// y and z axis lines bent by the noise) as one blue line strip.
//
//   deformer -type ztNoise groundShape;          // creates ztNoiseLocatorShape1
//   setAttr ztNoiseLocatorShape1.oxCrvLenIn 4;   // a longer x preview curve
//   setAttr ztNoiseLocatorShape1.oxCrvPtsCountIn 100;

#include <maya/M3dView.h>
#include <maya/MBoundingBox.h>
#include <maya/MDagPath.h>
#include <maya/MDataBlock.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPxLocatorNode.h>
#include <maya/MStatus.h>
#include <maya/MTypeId.h>
#include <maya/MVectorArray.h>

class ztNoiseLocator : public MPxLocatorNode {
public:
    ztNoiseLocator() = default;
    ~ztNoiseLocator() override;

    void postConstructor() override;
    // The length and count outputs: copies of the same axis's inputs.
    MStatus compute(const MPlug& plug, MDataBlock& block) override;
    void draw(M3dView& view, const MDagPath& path, M3dView::DisplayStyle style,
              M3dView::DisplayStatus status) override;
    bool isBounded() const override;
    MBoundingBox boundingBox() const override;

    // The preview curve of axis 0, 1 or 2 (x, y, z) as this node holds it;
    // empty when it cannot be read.
    MVectorArray readCurvePoints(int index) const;

    static void* creator();
    static MStatus initialize();

    static const MTypeId id;

    // Per-axis attributes are indexed 0, 1, 2 for x, y, z.
    static MObject curvePoints[3];
    static MObject crvLenIn[3];
    static MObject crvLenOut[3];
    static MObject crvPtsCountIn[3];
    static MObject crvPtsCountOut[3];
};
