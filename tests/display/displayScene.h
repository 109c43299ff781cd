#pragma once
// Scene set-up for the display tests: the host with the two display locator
// types registered, a test camera, point sets, and a pinhole projection
// computed from the camera's attributes and placement independently of the
// viewport's own matrices.

#include <gtest/gtest.h>
#include <maya/MDagPath.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPoint.h>
#include <maya/MVector.h>

#include <filesystem>
#include <initializer_list>
#include <string>

#include "common/scratchDir.h"
#include "host/src/viewport/offscreenContext.h"
#include "imageProbe.h"

namespace displaytest {

// Starts the host once, registers the display locators and gives every test
// a new scene.
class DisplayTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
};

// A node of `type` under a new transform placed at `translate`; returns the
// shape.
MObject createLocator(const std::string& type, const MVector& translate = MVector(0, 0, 0));

// A camera at `eye` looking down -z (no rotation), or rotated by the given
// angles in degrees.
MDagPath createCamera(const MVector& eye, const MVector& rotateDegrees = MVector(0, 0, 0));

// Runs MEL text and expects it to succeed.
void run(const std::string& script);

using ScratchDir = zt::testing::ScratchDir;

void setTranslate(const MObject& transform, const MVector& t);
MObject parentOf(const MObject& dagNode);

// Point sets.
class PointSet {
public:
    PointSet();
    PointSet& vectors(const char* name, std::initializer_list<MVector> values);
    PointSet& doubles(const char* name, std::initializer_list<double> values);
    PointSet& ints(const char* name, std::initializer_list<int> values);
    PointSet& strings(const char* name, std::initializer_list<const char*> values);
    const MObject& object() const { return object_; }

private:
    MObject object_;
};

MPlug plugOf(const MObject& node, const char* attribute);
// Sets a plug and expects it to succeed; pass MString for strings.
template <class T>
void setPlug(const MObject& node, const char* attribute, T value) {
    ASSERT_TRUE(plugOf(node, attribute).setValue(value));
}
void setPoints(const MObject& locator, const PointSet& points);
void setColour(const MObject& node, const char* attribute, float r, float g, float b);

// Where a world point lands in a picture of the given size through the
// camera: pixel column and row (row 0 at the top).
struct Pixel {
    int x, y;
};
Pixel project(const MDagPath& camera, const MPoint& world, int width, int height);

zt::host::Image render(const MDagPath& camera, int width, int height);

// The background colour of every picture.
Rgb background();

}  // namespace displaytest
