// ztPlantPoints: points scattered and oriented on a mesh keep their position
// and orientation when re-planted on the same mesh, follow the mesh when it
// moves, and bad input (missing or mistyped channels, another mesh, a
// degenerate triangle) is refused with the previous output kept.

#include <gtest/gtest.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnMesh.h>
#include <maya/MIntArray.h>
#include <maya/MPlug.h>
#include <maya/MPointArray.h>
#include <maya/MStringArray.h>
#include <maya/MVectorArray.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "common/pluginScene.h"
#include "host/src/graph/scene.h"

namespace {

class PlantPoints : public PluginScene {
protected:
    // A plane scattered and oriented towards a target with random R, G, B
    // (static random terms), edge data on, re-planted on the same plane.
    static void orientedSphere() {
        ASSERT_TRUE(
            mel("polyPlane -w 4 -h 4 -sx 10 -sy 10 -n ball;"
                "createNode ztScatterPoints -n sc;"
                "connectAttr ballShape.outMesh sc.inMesh;"
                "connectAttr ballShape.boundingBox sc.boundingBox;"
                "setAttr sc.radius 0.25;"
                "createNode ztPointsRotation -n rot;"
                "connectAttr sc.outPoints rot.inPoints;"
                "connectAttr ballShape.outMesh rot.inMesh;"
                "setAttr rot.localAimDirection 1;"
                "setAttr rot.target 5 3 1;"
                "setAttr rot.randomAmplitudeR 1; setAttr rot.randomAmplitudeG 1;"
                "setAttr rot.randomAmplitudeB 1; setAttr rot.seed 5;"
                "createNode ztPlantPoints -n plant;"
                "connectAttr rot.outPoints plant.inPoints;"
                "connectAttr ballShape.outMesh plant.inMesh;"));
    }

    // Feeds plant.inPoints a copy of the oriented set without channel
    // `skipped` (none when empty), changed by `edit`.
    template <class Edit>
    static void feedEdited(const std::string& skipped, Edit edit) {
        MObject source = plug("rot.outPoints").asMObject();
        MFnArrayAttrsData in(source);
        MFnArrayAttrsData out;
        MObject data = out.create();
        MStringArray names = in.list();
        for (unsigned int k = 0; k < names.length(); ++k) {
            if (skipped == names[k].asChar()) continue;
            MFnArrayAttrsData::Type type;
            in.checkArrayExist(names[k], type);
            if (type == MFnArrayAttrsData::kVectorArray) {
                MVectorArray copy = out.vectorArray(names[k]);
                copy.copy(in.getVectorData(names[k]));
            } else if (type == MFnArrayAttrsData::kIntArray) {
                MIntArray copy = out.intArray(names[k]);
                copy.copy(in.getIntData(names[k]));
            }
        }
        edit(out);
        ASSERT_TRUE(mel("disconnectAttr rot.outPoints plant.inPoints;"));
        MPlug target = plug("plant.inPoints");
        ASSERT_TRUE(target.setValue(data));
    }

    // Moves the vertices of ballShape by `change`.
    template <class Change>
    static void editSphere(Change change) {
        MFnMesh mesh(zt::host::findNode("ballShape"));
        MPointArray points;
        ASSERT_TRUE(mesh.getPoints(points));
        change(points);
        ASSERT_TRUE(mesh.setPoints(points));
    }
};

// Infinite when the lengths differ: a channel the node did not write reads
// as an empty array.
double largestDifference(const MVectorArray& a, const MVectorArray& b) {
    if (a.length() != b.length()) return std::numeric_limits<double>::infinity();
    double worst = 0.0;
    for (unsigned int i = 0; i < a.length(); ++i) worst = std::max(worst, (a[i] - b[i]).length());
    return worst;
}

// Positions, aims and ups within 1e-5, the float rounding of the rebuilt direction (the
// worst seen is 7.5e-7 on the plane, 7.6e-6 on the sphere, where the
// crossings near the poles lie a few hundredths from the point).
TEST_F(PlantPoints, SameMeshKeepsAimsAndUps) {
    for (const bool sphere : {false, true}) {
        SCOPED_TRACE(sphere ? "sphere" : "plane");
        zt::host::newScene();
        orientedSphere();
        // The same network on a sphere, where the line along a point's
        // tangent direction and the lines of its triangle's edges are skew.
        if (sphere) {
            ASSERT_TRUE(
                mel("polySphere -r 2 -sx 16 -sy 10 -n globe;"
                    "connectAttr -f globeShape.outMesh sc.inMesh;"
                    "connectAttr -f globeShape.boundingBox sc.boundingBox;"
                    "connectAttr -f globeShape.outMesh rot.inMesh;"
                    "connectAttr -f globeShape.outMesh plant.inMesh;"));
        }
        const MVectorArray aim = vectors("rot.outPoints", "aimDirection");
        const MVectorArray up = vectors("rot.outPoints", "aimWorldUp");
        const MVectorArray position = vectors("rot.outPoints", "position");
        const MVectorArray rgb = vectors("rot.outPoints", "rotationRGB");
        ASSERT_GT(position.length(), 50u);
        // The random terms spread R, G, B well away from zero.
        double spreadG = 0.0;
        for (unsigned int i = 0; i < rgb.length(); ++i)
            spreadG = std::max(spreadG, std::fabs(rgb[i].y));
        ASSERT_GT(spreadG, 0.3);
        if (sphere) {
            // Points all round the sphere, not only on one side.
            double lowest = 0.0, highest = 0.0;
            for (unsigned int i = 0; i < position.length(); ++i) {
                lowest = std::min(lowest, position[i].y);
                highest = std::max(highest, position[i].y);
            }
            ASSERT_LT(lowest, -1.5);
            ASSERT_GT(highest, 1.5);
        }

        ASSERT_EQ(vectors("plant.outPoints", "position").length(), position.length());
        EXPECT_LT(largestDifference(vectors("plant.outPoints", "position"), position), 1e-5);
        EXPECT_LT(largestDifference(vectors("plant.outPoints", "aimDirection"), aim), 1e-5);
        EXPECT_LT(largestDifference(vectors("plant.outPoints", "aimWorldUp"), up), 1e-5);
        // Channels it does not write pass through.
        EXPECT_EQ(largestDifference(vectors("plant.outPoints", "rotationRGB"), rgb), 0.0);
        EXPECT_EQ(largestDifference(vectors("plant.outPoints", "normal"),
                                    vectors("rot.outPoints", "normal")),
                  0.0);
    }
}

TEST_F(PlantPoints, MovedMeshCarriesThePointsAlong) {
    // Orient once, then freeze that point set on plant.inPoints and lift the
    // plane by 1.5: positions follow.
    orientedSphere();
    const MVectorArray position = vectors("rot.outPoints", "position");
    feedEdited("", [](MFnArrayAttrsData&) {});
    editSphere([](MPointArray& points) {
        for (unsigned int k = 0; k < points.length(); ++k) points[k].y += 1.5;
    });
    const MVectorArray moved = vectors("plant.outPoints", "position");
    ASSERT_EQ(moved.length(), position.length());
    double worst = 0.0;
    for (unsigned int i = 0; i < moved.length(); ++i)
        worst = std::max(worst, (moved[i] - position[i] - MVector(0, 1.5, 0)).length());
    EXPECT_LT(worst, 1e-5);
}

TEST_F(PlantPoints, MissingOrMistypedChannelsKeepThePreviousOutput) {
    struct Case {
        const char* channel;
        bool asInt;
        const char* message;
    };
    for (const Case& c :
         {Case{"triID", false, ": Input array does not contain sample-triangle ID information"},
          Case{"uv", true, ": wrong 'uv' attribute type"},
          Case{"rotationRGB", false, ": Input array does not contain rotationRGB information"},
          Case{"intersection", false, ": Input array does not contain intersection information"},
          Case{"distanceToEdge", true, ": wrong 'distanceToEdge' attribute type"}}) {
        SCOPED_TRACE(c.channel);
        zt::host::newScene();
        orientedSphere();
        const MVectorArray before = vectors("plant.outPoints", "position");
        ASSERT_GT(before.length(), 0u);
        feedEdited(c.channel, [&](MFnArrayAttrsData& points) {
            if (c.asInt) points.intArray(c.channel).setLength(3);
        });
        testing::internal::CaptureStderr();
        const MVectorArray after = vectors("plant.outPoints", "position");
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find(std::string("plant.inPoints") + c.message), std::string::npos) << err;
        EXPECT_EQ(largestDifference(after, before), 0.0) << "previous output kept";
        EXPECT_EQ(after.length(), before.length());
    }
}

TEST_F(PlantPoints, PointsFromAnotherMeshOrOnADegenerateTriangleAreRefused) {
    orientedSphere();
    const unsigned int count = vectors("plant.outPoints", "position").length();
    ASSERT_GT(count, 0u);
    // A much smaller mesh: the triangle ids run past its triangles.
    ASSERT_TRUE(
        mel("polyPlane -w 1 -h 1 -sx 1 -sy 1 -n small;"
            "connectAttr -f smallShape.outMesh plant.inMesh;"));
    testing::internal::CaptureStderr();
    MVectorArray after = vectors("plant.outPoints", "position");
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("out of range (the mesh has 2 triangles), probably wrong inMesh"),
              std::string::npos)
        << err;
    EXPECT_EQ(after.length(), count);

    // Back on the plane, every point is moved onto the triangle whose
    // corners are then collapsed onto one vertex.
    ASSERT_TRUE(mel("connectAttr -f ballShape.outMesh plant.inMesh;"));
    feedEdited("", [](MFnArrayAttrsData&) {});
    const MVectorArray good = vectors("plant.outPoints", "position");
    ASSERT_EQ(good.length(), count);
    MIntArray counts, corners;
    MFnMesh(zt::host::findNode("ballShape")).getTriangles(counts, corners);
    const unsigned int t =
        MFnArrayAttrsData(plug("plant.inPoints").asMObject()).getIntData("triID")[0];
    editSphere([&](MPointArray& points) {
        points[corners[3 * t + 1]] = points[corners[3 * t]];
        points[corners[3 * t + 2]] = points[corners[3 * t]];
    });
    testing::internal::CaptureStderr();
    after = vectors("plant.outPoints", "position");
    err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("has zero area"), std::string::npos) << err;
    EXPECT_EQ(largestDifference(after, good), 0.0) << "previous output kept";
}

}  // namespace
