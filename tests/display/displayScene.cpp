#include "displayScene.h"

#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnDagNode.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MFnStringData.h>
#include <maya/MMatrix.h>
#include <maya/MPlug.h>

#include <cmath>

#include "display/ztDisplayContainer.h"
#include "display/ztDisplayPoints.h"
#include "host/src/graph/registry.h"
#include "host/src/graph/scene.h"
#include "host/src/hostInit.h"
#include "host/src/mel/engine.h"
#include "host/src/viewport/viewportCommands.h"

namespace displaytest {

void DisplayTest::SetUpTestSuite() {
    zt::host::startHost();
    // The node classes linked into this test, registered as the plug-in
    // registers them.
    if (!zt::host::nodeTypeExists("ztDisplayPoints")) {
        ASSERT_TRUE(zt::host::registerBuiltinNodeType(
            "ztDisplayPoints", ztDisplayPoints::id, ztDisplayPoints::creator,
            ztDisplayPoints::initialize, MPxNode::kLocatorNode, MFn::kInvalid));
    }
    if (!zt::host::nodeTypeExists("ztDisplayContainer")) {
        ASSERT_TRUE(zt::host::registerBuiltinNodeType(
            "ztDisplayContainer", ztDisplayContainer::id, ztDisplayContainer::creator,
            ztDisplayContainer::initialize, MPxNode::kLocatorNode, MFn::kInvalid));
    }
}

void DisplayTest::SetUp() {
    zt::host::newScene();
}

MPlug plugOf(const MObject& node, const char* attribute) {
    MStatus status;
    MPlug plug = MFnDependencyNode(node).findPlug(attribute, &status);
    EXPECT_TRUE(status) << "no attribute " << attribute;
    return plug;
}

namespace {
// Sets the X, Y and Z children of a compound such as "translate".
void setXYZ(const MObject& node, const std::string& name, const MVector& v) {
    for (unsigned int i = 0; i < 3; ++i) plugOf(node, (name + "XYZ"[i]).c_str()).setValue(v[i]);
}

template <class Array, class Values>
void appendAll(Array array, const Values& values) {
    for (const auto& v : values) array.append(v);
}
}  // namespace

void run(const std::string& script) {
    ASSERT_TRUE(zt::mel::executeText(script)) << script;
}

void setTranslate(const MObject& transform, const MVector& t) {
    setXYZ(transform, "translate", t);
}

MObject parentOf(const MObject& dagNode) {
    return MFnDagNode(dagNode).parent(0);
}

MObject createLocator(const std::string& type, const MVector& translate) {
    MStatus status;
    MObject transform;
    MObject shape = zt::host::createNode(type, "", MObject::kNullObj, &status, &transform);
    EXPECT_TRUE(status) << "cannot create " << type;
    setTranslate(transform, translate);
    return shape;
}

MDagPath createCamera(const MVector& eye, const MVector& rotateDegrees) {
    MStatus status;
    MObject transform = zt::host::createNode("transform", "testCam", MObject::kNullObj, &status);
    EXPECT_TRUE(status);
    MObject shape = zt::host::createNode("camera", "testCamShape", transform, &status);
    EXPECT_TRUE(status);
    setTranslate(transform, eye);
    setXYZ(transform, "rotate", rotateDegrees);
    MDagPath path;
    EXPECT_TRUE(MDagPath::getAPathTo(shape, path));
    return path;
}

PointSet::PointSet() {
    MFnArrayAttrsData fn;
    object_ = fn.create();
}

PointSet& PointSet::vectors(const char* name, std::initializer_list<MVector> values) {
    appendAll(MFnArrayAttrsData(object_).vectorArray(name), values);
    return *this;
}
PointSet& PointSet::doubles(const char* name, std::initializer_list<double> values) {
    appendAll(MFnArrayAttrsData(object_).doubleArray(name), values);
    return *this;
}
PointSet& PointSet::ints(const char* name, std::initializer_list<int> values) {
    appendAll(MFnArrayAttrsData(object_).intArray(name), values);
    return *this;
}
PointSet& PointSet::strings(const char* name, std::initializer_list<const char*> values) {
    appendAll(MFnArrayAttrsData(object_).stringArray(name), values);
    return *this;
}

void setPoints(const MObject& locator, const PointSet& points) {
    MObject data = points.object();
    ASSERT_TRUE(MPlug(locator, ztDisplayPoints::inPoints).setValue(data));
}

void setColour(const MObject& node, const char* attribute, float r, float g, float b) {
    MPlug plug = plugOf(node, attribute);
    ASSERT_TRUE(plug.child(0).setValue(r));
    ASSERT_TRUE(plug.child(1).setValue(g));
    ASSERT_TRUE(plug.child(2).setValue(b));
}

Pixel project(const MDagPath& camera, const MPoint& world, int width, int height) {
    // A pinhole: the horizontal film aperture spans the picture's width.
    const MObject shape = camera.node();
    const double focal = plugOf(shape, "focalLength").asDouble();
    const double aperture = plugOf(shape, "horizontalFilmAperture").asDouble() * 25.4;
    const MPoint local = world * camera.inclusiveMatrix().inverse();
    const double depth = -local.z;
    const double pixelsPerUnit = width / (aperture / focal);  // at unit depth
    const double x = width / 2.0 + local.x / depth * pixelsPerUnit;
    const double y = height / 2.0 - local.y / depth * pixelsPerUnit;
    return {int(std::floor(x)), int(std::floor(y))};
}

zt::host::Image render(const MDagPath& camera, int width, int height) {
    return zt::host::renderThrough(camera, width, height);
}

Rgb background() {
    return toRgb(0.631f, 0.631f, 0.631f);
}

}  // namespace displaytest
