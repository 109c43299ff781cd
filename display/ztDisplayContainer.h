#pragma once
// Locator that shows a container volume: a unit sphere or a unit box in its
// own space, with an inner copy scaled by one minus the fall-off width. A
// scene connects its type, fallof and world matrix to a ztPointsContainer so
// that the drawn volume is the one the points are tested against.
//
//   createNode ztDisplayContainer;                    // ztDisplayContainerShape1
//   setAttr ztDisplayContainerShape1.type 1;          // box
//   setAttr ztDisplayContainerShape1.fallof 0.25;

#include <maya/M3dView.h>
#include <maya/MBoundingBox.h>
#include <maya/MDagPath.h>
#include <maya/MDataBlock.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPxLocatorNode.h>
#include <maya/MStatus.h>
#include <maya/MTypeId.h>

class ztDisplayContainer : public MPxLocatorNode {
public:
    ztDisplayContainer() = default;
    ~ztDisplayContainer() override = default;

    void postConstructor() override;
    // The locator computes nothing.
    MStatus compute(const MPlug& plug, MDataBlock& data) override;
    void draw(M3dView& view, const MDagPath& path, M3dView::DisplayStyle style,
              M3dView::DisplayStatus status) override;
    bool isBounded() const override;
    MBoundingBox boundingBox() const override;

    static void* creator();
    static MStatus initialize();

    static MTypeId id;
    static MObject type;  // hides MPxNode::type() inside this class on purpose
    static MObject fallof;
};
