#pragma once
// Scene set-up for the noise deformer tests: the host with ztNoise,
// ztNoiseLocator, ztScatterPoints, ztPointsRotation and ztPlantPoints
// registered from the linked node code, a new scene per test, and helpers
// that read meshes and plugs.

#include <gtest/gtest.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPoint.h>
#include <maya/MPointArray.h>
#include <maya/MVectorArray.h>

#include <string>

namespace noisetest {

class NoiseTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
};

// Runs MEL text; false when it failed.
bool mel(const std::string& text);

MPlug plug(const std::string& name);
MObject node(const std::string& name);

// The points of the mesh on a mesh plug ("groundShape.outMesh").
MPointArray meshPoints(const std::string& plugName);

// The vector array on a plug.
MVectorArray vectors(const std::string& plugName);

// A plane of the given width (square) and subdivisions named "ground" with a
// ztNoise deformer "ztNoise1" on it (and its handle transform1 with
// ztNoiseLocatorShape1).
void deformedPlane(double width, int subdivisions);

// Sets the three attributes of one axis ("x", "y" or "z") of ztNoise1.
void setAxis(const char* axis, double amplitude, double frequency, int octaves);

}  // namespace noisetest
