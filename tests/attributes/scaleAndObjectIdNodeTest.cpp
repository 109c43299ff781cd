// ztPointsScale and ztPointsObjectId in a scene: what they read from the
// point set, the painted mesh and their attributes, their messages, and the
// output they keep when a compute fails.

#include <gtest/gtest.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MPlug.h>

#include <string>

#include "common/pluginScene.h"

namespace {

class ScaleAndObjectIdNodes : public PluginScene {
protected:
    // Points scattered on a 4 x 4 plane, fed into `node` of `type`, which
    // also reads the plane's mesh.
    static void scatteredInto(const char* type, const char* node) {
        ASSERT_TRUE(
            mel("polyPlane -w 4 -h 4 -sx 4 -sy 4; createNode ztScatterPoints -n sc;"
                "connectAttr pPlaneShape1.outMesh sc.inMesh;"
                "connectAttr pPlaneShape1.boundingBox sc.boundingBox;"
                "setAttr sc.radius 0.2;"
                "createNode " +
                std::string(type) + " -n " + node + "; connectAttr sc.outPoints " + node +
                ".inPoints; connectAttr pPlaneShape1.outMesh " + node + ".inMesh;"));
    }

    static MIntArray ints(const std::string& plugName, const char* channel) {
        return MFnArrayAttrsData(points(plugName)).getIntData(channel);
    }

    // Runs `text` and returns what it wrote to the error stream.
    static std::string errorsOf(const std::string& text) {
        ::testing::internal::CaptureStderr();
        mel(text);
        return ::testing::internal::GetCapturedStderr();
    }
};

TEST_F(ScaleAndObjectIdNodes, ScalePassesChannelsThroughAndAddsPaintedLayers) {
    scatteredInto("ztPointsScale", "scl");
    const MVectorArray scale = vectors("scl.outPoints", "scale");
    const unsigned int n = vectors("scl.outPoints", "position").length();
    ASSERT_GT(n, 100u);
    ASSERT_EQ(scale.length(), n);
    for (unsigned int i = 0; i < n; ++i) ASSERT_EQ(scale[i], MVector(1, 1, 1));
    EXPECT_EQ(ints("scl.outPoints", "pointID").length(), n);

    // A white add layer of factor 2 on the whole plane, then a red multiply
    // layer of 0.5 on top: x = 1 * 0.5 + 2, y and z = 1 * 0 + 2.
    ASSERT_TRUE(
        mel("polyColorPerVertex -rgb 1 1 1 -a 1 -colorSetName add pPlaneShape1;"
            "polyColorPerVertex -rgb 0.5 0 0 -a 1 -colorSetName mul pPlaneShape1;"
            "setAttr scl.uniform 0;"
            "setAttr scl.vertexColor[0].vertexColorType 1;"
            "setAttr scl.vertexColor[0].vertexColorFactor 2;"
            "setAttr scl.vertexColor[1].vertexColorType 0;"));
    const MVectorArray layered = vectors("scl.outPoints", "scale");
    ASSERT_EQ(layered.length(), n);
    for (unsigned int i = 0; i < n; ++i) {
        ASSERT_NEAR(layered[i].x, 2.5, 1e-6) << i;
        ASSERT_NEAR(layered[i].y, 2.0, 1e-6) << i;
        ASSERT_NEAR(layered[i].z, 2.0, 1e-6) << i;
    }
}

TEST_F(ScaleAndObjectIdNodes, ObjectIdFromAPaintedLayerAndTheList) {
    scatteredInto("ztPointsObjectId", "ids");
    ASSERT_TRUE(
        mel("setAttr ids.baseId 3; setAttr ids.randomId[0].randomIdVal 7;"
            "setAttr ids.randomId[0].randomIdProbability 0.5;"));
    MIntArray ids = ints("ids.outPoints", "objectIndex");
    ASSERT_GT(ids.length(), 100u);
    for (unsigned int i = 0; i < ids.length(); ++i) ASSERT_EQ(ids[i], 7) << i;

    // Opaque pure red painted on the mesh overrides the list everywhere.
    ASSERT_TRUE(
        mel("polyColorPerVertex -rgb 1 0 0 -a 1 -colorSetName paint pPlaneShape1;"
            "setAttr ids.vertexColor[0].vertexColorId1 12;"));
    ids = ints("ids.outPoints", "objectIndex");
    for (unsigned int i = 0; i < ids.length(); ++i) ASSERT_EQ(ids[i], 12) << i;
}

TEST_F(ScaleAndObjectIdNodes, BadInputKeepsThePreviousOutput) {
    scatteredInto("ztPointsObjectId", "ids");
    const unsigned int before = ints("ids.outPoints", "objectIndex").length();
    ASSERT_GT(before, 0u);

    // A layer reads each point's triangle: points scattered on another,
    // finer mesh name triangles this plane lacks, and the compute fails with
    // the plug and the point named, leaving the last good output.
    ASSERT_TRUE(
        mel("polyColorPerVertex -rgb 1 0 0 -a 1 -colorSetName paint pPlaneShape1;"
            "setAttr ids.vertexColor[0].vertexColorId1 2;"));
    const std::string errors = errorsOf(
        "polyPlane -w 4 -h 4 -sx 20 -sy 20 -n big;"
        "createNode ztScatterPoints -n sc2; connectAttr bigShape.outMesh sc2.inMesh;"
        "connectAttr bigShape.boundingBox sc2.boundingBox; setAttr sc2.radius 0.2;"
        "connectAttr -f sc2.outPoints ids.inPoints; getAttr ids.outPoints;");
    EXPECT_NE(errors.find("ids.inPoints: point"), std::string::npos) << errors;
    EXPECT_NE(errors.find("which the mesh does not have"), std::string::npos) << errors;
    EXPECT_EQ(ints("ids.outPoints", "objectIndex").length(), before);

    // Without "position" the scale node says so and keeps nothing new.
    const std::string scaleErrors =
        errorsOf("createNode ztPointsScale -n scl; getAttr scl.outPoints;");
    EXPECT_NE(scaleErrors.find("scl.inPoints: please supply points vector"), std::string::npos)
        << scaleErrors;
}

}  // namespace
