// ztPointsNormal: the face normal of each point's triangle, on a sphere and
// a plane, and what bad input does to the output.

#include <gtest/gtest.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MIntArray.h>
#include <maya/MPlug.h>
#include <maya/MVectorArray.h>

#include <cmath>
#include <string>

#include "common/pluginScene.h"

namespace {

class PointsNormal : public PluginScene {
protected:
    // Scatters over `shape` and connects the points and the mesh to node pn.
    static void scatterScene(const std::string& shape, double radius) {
        ASSERT_TRUE(mel("createNode ztScatterPoints -n sc; connectAttr " + shape +
                        ".outMesh sc.inMesh; connectAttr " + shape +
                        ".boundingBox sc.boundingBox; setAttr sc.radius " + std::to_string(radius) +
                        "; setAttr sc.computeNormal 0; createNode ztPointsNormal -n pn;"
                        "connectAttr sc.outPoints pn.inPoints; connectAttr " +
                        shape + ".outMesh pn.inMesh;"));
    }

    // A point set with the given triangle ids.
    static MObject pointsOnTriangles(const std::vector<int>& ids) {
        return pointSet(ids, std::vector<std::pair<double, double>>(ids.size()));
    }
};

TEST_F(PointsNormal, SphereNormalsAreUnitFaceNormalsCloseToRadial) {
    // 20 x 20 facets: a facet spans 18 degrees around and 9 from pole to pole.
    ASSERT_TRUE(mel("polySphere -r 2 -sx 20 -sy 20;"));
    scatterScene("pSphereShape1", 0.3);
    MFnArrayAttrsData out(plug("pn.outPoints").asMObject());
    const MVectorArray position = out.getVectorData("position");
    const MVectorArray normal = out.getVectorData("normal");
    const MIntArray tri = out.getIntData("triID");
    ASSERT_GT(position.length(), 100u);
    ASSERT_EQ(normal.length(), position.length());
    const double facetAngle = 18.0 * M_PI / 180.0;
    for (unsigned int i = 0; i < position.length(); ++i) {
        EXPECT_NEAR(normal[i].length(), 1.0, 1e-6);
        const double cosine = normal[i] * position[i].normal();
        EXPECT_GE(cosine, std::cos(facetAngle)) << "point " << i;
    }
    // Points on one triangle share one normal.
    for (unsigned int i = 1; i < tri.length(); ++i) {
        for (unsigned int j = 0; j < i; ++j) {
            if (tri[i] == tri[j]) {
                EXPECT_EQ(normal[i], normal[j]);
            }
        }
    }
}

TEST_F(PointsNormal, PlaneNormalsAreExactlyUpAndOtherChannelsPassThrough) {
    ASSERT_TRUE(mel("polyPlane -w 4 -h 4 -sx 3 -sy 3;"));
    scatterScene("pPlaneShape1", 0.25);
    MFnArrayAttrsData in(plug("sc.outPoints").asMObject());
    MFnArrayAttrsData out(plug("pn.outPoints").asMObject());
    const MVectorArray normal = out.getVectorData("normal");
    ASSERT_GT(normal.length(), 50u);
    for (unsigned int i = 0; i < normal.length(); ++i) EXPECT_EQ(normal[i], MVector(0, 1, 0));
    // Every input channel is copied unchanged.
    for (const char* name : {"position", "uv"}) {
        const MVectorArray a = in.getVectorData(name), b = out.getVectorData(name);
        ASSERT_EQ(a.length(), b.length());
        for (unsigned int i = 0; i < a.length(); ++i) EXPECT_EQ(a[i], b[i]) << name;
    }
    EXPECT_EQ(out.list().length(), in.list().length() + 1);
}

TEST_F(PointsNormal, TriangleIdsOutOfRangeOrMissingFailAndKeepTheOutput) {
    // One quad: two triangles, both facing up.
    ASSERT_TRUE(
        mel("polyPlane -w 1 -h 1 -sx 1 -sy 1; createNode ztPointsNormal -n pn;"
            "connectAttr pPlaneShape1.outMesh pn.inMesh;"));
    MPlug input = plug("pn.inPoints");
    MPlug output = plug("pn.outPoints");
    ASSERT_TRUE(input.setValue(pointsOnTriangles({1, 0, 1})));
    MFnArrayAttrsData good(output.asMObject());
    ASSERT_EQ(good.getVectorData("normal").length(), 3u);

    MFnArrayAttrsData noIds;
    MObject noIdsData = noIds.create();
    noIds.vectorArray("position").append(MVector(0, 0, 0));
    const struct {
        MObject points;
        const char* message;
    } cases[] = {
        {pointsOnTriangles({0, 2}),
         "ztPointsNormal: sample triId out of range, probably wrong inMesh input"},
        {pointsOnTriangles({0, -1}),
         "ztPointsNormal: sample triId out of range, probably wrong inMesh input"},
        {noIdsData, "pn.inPoints: Input array does not contain sample-triangle ID information"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(input.setValue(c.points));
        MVectorArray kept;
        const std::string messages = errorsOf([&] { kept = vectors("pn.outPoints", "normal"); });
        EXPECT_NE(messages.find(c.message), std::string::npos) << messages;
        EXPECT_EQ(kept.length(), 3u) << c.message;
    }

    // An empty point set gives an empty normal channel.
    ASSERT_TRUE(input.setValue(pointsOnTriangles({})));
    MFnArrayAttrsData empty(output.asMObject());
    MFnArrayAttrsData::Type type;
    ASSERT_TRUE(empty.checkArrayExist("normal", type));
    EXPECT_EQ(empty.getVectorData("normal").length(), 0u);
}

}  // namespace
