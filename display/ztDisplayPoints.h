#pragma once
// Locator that previews a point set in the viewport: every point as a GL
// point, optionally an arrow along its "aimDirection", colours from the
// "fallof" or "rotationRGB" channels, and optionally one channel's values as
// text beside each point.
//
//   createNode ztDisplayPoints;                       // ztDisplayPointsShape1
//   connectAttr ztPointsScale1.outPoints ztDisplayPointsShape1.inPoints;
//   setAttr ztDisplayPointsShape1.displayDir 1;

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

class ztDisplayPoints : public MPxLocatorNode {
public:
    ztDisplayPoints();
    ~ztDisplayPoints() override;

    void postConstructor() override;
    // Computes `state`: counts the evaluations and caches the positions and
    // the bounding box that draw and boundingBox use.
    MStatus compute(const MPlug& plug, MDataBlock& data) override;
    void draw(M3dView& view, const MDagPath& path, M3dView::DisplayStyle style,
              M3dView::DisplayStatus status) override;
    bool isBounded() const override;
    MBoundingBox boundingBox() const override;

    static void* creator();
    static MStatus initialize();

    static MTypeId id;
    static MObject inPoints;
    static MObject pointSize;
    static MObject pointColor;
    static MObject fallofColor;
    static MObject displayDir;
    static MObject arrowSize;
    static MObject colorFromRot;
    static MObject displayAttribute;
    static MObject attributeName;
    static MObject state;  // hides the inherited nodeState attribute on purpose

private:
    MBoundingBox box_;
    MVectorArray positions_;
    unsigned int counter_ = 0;
};
