// ztPointsUV: UVs interpolated in the points' triangles, checked against the
// plane's UV layout (u along +X, v along -Z over the plane's extent) at
// points scattered over a plane of unequal sides.

#include "common/pluginScene.h"

namespace {

using PointsUV = PluginScene;

// UV of a point of the w x h plane centred at the origin.
MVector planeUv(const MVector& p, double w, double h) {
    return MVector(p.x / w + 0.5, 0.5 - p.z / h, 0.0);
}

TEST_F(PointsUV, ScatteredPointsGetTheUVOfTheirPosition) {
    ASSERT_TRUE(
        mel("polyPlane -w 6 -h 3 -sx 5 -sy 4; createNode ztScatterPoints -n sc;"
            "connectAttr pPlaneShape1.outMesh sc.inMesh;"
            "connectAttr pPlaneShape1.boundingBox sc.boundingBox; setAttr sc.radius 0.2;"
            "createNode ztPointsUV -n puv; connectAttr pPlaneShape1.outMesh puv.inMesh;"
            "connectAttr sc.outPoints puv.inPoints;"));
    MFnArrayAttrsData points(plug("sc.outPoints").asMObject());
    const MVectorArray position = points.getVectorData("position");
    const MVectorArray uv = vectors("puv.outUVs");
    ASSERT_GT(position.length(), 100u);
    ASSERT_EQ(uv.length(), position.length());
    for (unsigned int i = 0; i < uv.length(); ++i) {
        const MVector expected = planeUv(position[i], 6.0, 3.0);
        EXPECT_NEAR(uv[i].x, expected.x, 1e-5) << i;
        EXPECT_NEAR(uv[i].y, expected.y, 1e-5) << i;
        EXPECT_EQ(uv[i].z, 0.0) << i;
    }

    // A UV set index past the mesh's sets warns and reads the current set.
    ASSERT_TRUE(mel("setAttr puv.uvSet 3;"));
    MVectorArray again;
    const std::string warnings = errorsOf([&] { again = vectors("puv.outUVs"); });
    EXPECT_NE(warnings.find("ztPointsUV: UV set not found, using default UV set."),
              std::string::npos)
        << warnings;
    ASSERT_EQ(again.length(), uv.length());
    for (unsigned int i = 0; i < uv.length(); ++i) EXPECT_EQ(again[i], uv[i]);
}

TEST_F(PointsUV, BadPointsFailWithTheirMessageAndKeepTheOutput) {
    ASSERT_TRUE(
        mel("polyPlane -w 1 -h 1 -sx 1 -sy 1; createNode ztPointsUV -n puv;"
            "connectAttr pPlaneShape1.outMesh puv.inMesh;"));
    MPlug input = plug("puv.inPoints");
    ASSERT_TRUE(input.setValue(pointSet({0, 1}, {{0.0, 0.0}, {0.5, 0.5}})));
    ASSERT_EQ(vectors("puv.outUVs").length(), 2u);

    struct Case {
        MObject points;
        const char* message;
    };
    MFnArrayAttrsData noUv;
    MObject noUvData = noUv.create();
    noUv.intArray("triID").append(0);
    MFnArrayAttrsData noIds;
    MObject noIdsData = noIds.create();
    noIds.vectorArray("uv").append(MVector(0, 0, 0));
    const Case cases[] = {
        {pointSet({0, 2}, {{0, 0}, {0, 0}}),
         "ztPointsUV: sample triId out of range, probably wrong inMesh input"},
        {pointSet({-3}, {{0, 0}}),
         "ztPointsUV: sample triId out of range, probably wrong inMesh input"},
        {noUvData, "puv.inPointsMissing 'uv' attribute in point array"},
        {noIdsData, "puv.inPointsMissing 'triID' attribute in point array"},
        {pointSet({0, 1}, {{0, 0}}), "puv.inPoints: 'uv' has 1 elements"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(input.setValue(c.points));
        MVectorArray kept;
        const std::string messages = errorsOf([&] { kept = vectors("puv.outUVs"); });
        EXPECT_NE(messages.find(c.message), std::string::npos) << messages;
        EXPECT_EQ(kept.length(), 2u) << c.message;
    }
}

}  // namespace
