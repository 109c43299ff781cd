#include <maya/MFnNumericAttribute.h>
#include <maya/MPxLocatorNode.h>

#include "graph/dag.h"

MObject MPxLocatorNode::localPosition;
MObject MPxLocatorNode::localPositionX;
MObject MPxLocatorNode::localPositionY;
MObject MPxLocatorNode::localPositionZ;
MObject MPxLocatorNode::worldPosition;
MObject MPxLocatorNode::worldPositionX;
MObject MPxLocatorNode::worldPositionY;
MObject MPxLocatorNode::worldPositionZ;
MObject MPxLocatorNode::localScale;
MObject MPxLocatorNode::localScaleX;
MObject MPxLocatorNode::localScaleY;
MObject MPxLocatorNode::localScaleZ;
MObject MPxLocatorNode::nodeBoundingBox;
MObject MPxLocatorNode::center;
MObject MPxLocatorNode::matrix;
MObject MPxLocatorNode::inverseMatrix;
MObject MPxLocatorNode::worldMatrix;
MObject MPxLocatorNode::worldInverseMatrix;
MObject MPxLocatorNode::parentMatrix;
MObject MPxLocatorNode::parentInverseMatrix;
MObject MPxLocatorNode::visibility;
MObject MPxLocatorNode::intermediateObject;
MObject MPxLocatorNode::isTemplated;
MObject MPxLocatorNode::instObjGroups;
MObject MPxLocatorNode::useObjectColor;
MObject MPxLocatorNode::objectColor;
MObject MPxLocatorNode::underWorldObject;

MPxLocatorNode::MPxLocatorNode() = default;

MPxLocatorNode::~MPxLocatorNode() = default;

MPxNode::Type MPxLocatorNode::type() const {
    return kLocatorNode;
}

void MPxLocatorNode::draw(M3dView&, const MDagPath&, M3dView::DisplayStyle,
                          M3dView::DisplayStatus) {}

bool MPxLocatorNode::isBounded() const {
    return false;
}

MBoundingBox MPxLocatorNode::boundingBox() const {
    return MBoundingBox();
}

namespace {

// The host's wireframe colours: an index into its colour table and the colour.
struct WireColour {
    unsigned int index;
    MColor colour;
};

WireColour wireColour(M3dView::DisplayStatus status) {
    switch (status) {
        case M3dView::kActive:
        case M3dView::kActiveComponent:
            return {19, MColor(0.263f, 1.0f, 0.639f)};  // light green
        case M3dView::kLead:
            return {16, MColor(1.0f, 1.0f, 1.0f)};  // white
        case M3dView::kLive:
            return {14, MColor(0.0f, 1.0f, 0.0f)};  // green
        case M3dView::kHilite:
        case M3dView::kActiveAffected:
            return {18, MColor(0.392f, 0.863f, 1.0f)};  // light blue
        case M3dView::kTemplate:
        case M3dView::kActiveTemplate:
            return {3, MColor(0.6f, 0.6f, 0.6f)};  // light grey
        case M3dView::kInvisible:
        case M3dView::kIntermediateObject:
            return {2, MColor(0.251f, 0.251f, 0.251f)};  // dark grey
        default:
            return {5, MColor(0.0f, 0.0f, 0.376f)};  // dark blue: a dormant locator
    }
}

}  // namespace

unsigned int MPxLocatorNode::color(M3dView::DisplayStatus displayStatus) {
    return wireColour(displayStatus).index;
}

MColor MPxLocatorNode::colorRGB(M3dView::DisplayStatus displayStatus) {
    return wireColour(displayStatus).colour;
}

bool MPxLocatorNode::excludeAsLocator() const {
    return false;
}

bool MPxLocatorNode::isTransparent() const {
    return false;
}

bool MPxLocatorNode::drawLast() const {
    return false;
}

namespace zt::host {

namespace {

// A compound of three doubles with children suffixed X, Y, Z.
MStatus createDouble3(MObject& parent, MObject& x, MObject& y, MObject& z, const char* longName,
                      const char* shortName, double value) {
    MFnNumericAttribute fn;
    MStatus status;
    const MString l(longName), s(shortName);
    x = fn.create(l + "X", s + "x", MFnNumericData::kDouble, value, &status);
    if (!status) return status;
    y = fn.create(l + "Y", s + "y", MFnNumericData::kDouble, value, &status);
    if (!status) return status;
    z = fn.create(l + "Z", s + "z", MFnNumericData::kDouble, value, &status);
    if (!status) return status;
    parent = fn.create(l, s, x, y, z, &status);
    if (!status) return status;
    fn.setKeyable(true);
    return MS::kSuccess;
}

}  // namespace

// Runs for every locator type before its own initializer: adds the
// locator's own attributes and binds the MPxLocatorNode statics to the DAG
// attributes the graph gives every shape. The attribute objects are made
// once and shared by all locator types.
MStatus initializeLocatorAttributes() {
    if (MPxLocatorNode::localPosition.isNull()) {
        MStatus status =
            createDouble3(MPxLocatorNode::localPosition, MPxLocatorNode::localPositionX,
                          MPxLocatorNode::localPositionY, MPxLocatorNode::localPositionZ,
                          "localPosition", "lp", 0.0);
        if (!status) return status;
        status = createDouble3(MPxLocatorNode::localScale, MPxLocatorNode::localScaleX,
                               MPxLocatorNode::localScaleY, MPxLocatorNode::localScaleZ,
                               "localScale", "ls", 1.0);
        if (!status) return status;
    }
    MStatus status = MPxNode::addAttribute(MPxLocatorNode::localPosition);
    if (!status) return status;
    status = MPxNode::addAttribute(MPxLocatorNode::localScale);
    if (!status) return status;

    const DagAttributes& dag = dagAttributes();
    MPxLocatorNode::visibility = dag.visibility;
    MPxLocatorNode::intermediateObject = dag.intermediateObject;
    MPxLocatorNode::matrix = dag.matrix;
    MPxLocatorNode::inverseMatrix = dag.inverseMatrix;
    MPxLocatorNode::worldMatrix = dag.worldMatrix;
    MPxLocatorNode::worldInverseMatrix = dag.worldInverseMatrix;
    MPxLocatorNode::parentMatrix = dag.parentMatrix;
    MPxLocatorNode::parentInverseMatrix = dag.parentInverseMatrix;
    return MS::kSuccess;
}

}  // namespace zt::host
