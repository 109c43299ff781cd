#pragma once
// Base class of plug-in locators: DAG shapes that draw themselves in the
// viewport with OpenGL and are not rendered. The host draws a locator in its
// own space (the GL modelview is the locator's world matrix followed by the
// camera's view) by calling draw() between M3dView::beginGL and endGL.

#include <maya/M3dView.h>
#include <maya/MBoundingBox.h>
#include <maya/MColor.h>
#include <maya/MDagPath.h>
#include <maya/MPxNode.h>
#include <maya/MTypes.h>

class OPENMAYAUI_EXPORT MPxLocatorNode : public MPxNode {
public:
    MPxLocatorNode();
    virtual ~MPxLocatorNode();
    virtual MPxNode::Type type() const;

    virtual void draw(M3dView& view, const MDagPath& path, M3dView::DisplayStyle style,
                      M3dView::DisplayStatus);
    // Whether boundingBox() means anything. The default locator is unbounded.
    virtual bool isBounded() const;
    // In the locator's local space.
    virtual MBoundingBox boundingBox() const;

    // The colour the host gives a wireframe of this status: an index into the
    // host's colour table and the colour itself.
    unsigned int color(M3dView::DisplayStatus displayStatus);
    MColor colorRGB(M3dView::DisplayStatus displayStatus);

    // Leaves the locator out of views that hide locators (default false).
    virtual bool excludeAsLocator() const;
    // Transparent locators are drawn after the opaque ones (default false).
    virtual bool isTransparent() const;
    // Drawn after everything else (default false).
    virtual bool drawLast() const;

    // Attributes every locator has. localPosition and localScale are the
    // locator's own (compounds of three doubles, children suffixed X, Y, Z);
    // visibility, intermediateObject and the matrices are the DAG attributes
    // every shape has (worldMatrix and the other world/parent matrices are
    // arrays whose element 0 holds the value). The others stay null in this
    // host: no node has them.
    static MObject localPosition;
    static MObject localPositionX;
    static MObject localPositionY;
    static MObject localPositionZ;
    static MObject worldPosition;
    static MObject worldPositionX;
    static MObject worldPositionY;
    static MObject worldPositionZ;
    static MObject localScale;
    static MObject localScaleX;
    static MObject localScaleY;
    static MObject localScaleZ;
    static MObject nodeBoundingBox;
    static MObject center;
    static MObject matrix;
    static MObject inverseMatrix;
    static MObject worldMatrix;
    static MObject worldInverseMatrix;
    static MObject parentMatrix;
    static MObject parentInverseMatrix;
    static MObject visibility;
    static MObject intermediateObject;
    static MObject isTemplated;
    static MObject instObjGroups;
    static MObject useObjectColor;
    static MObject objectColor;
    static MObject underWorldObject;
};
