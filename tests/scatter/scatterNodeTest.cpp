// The ztScatterPoints node in a scene: its output channels, its messages and
// what its output holds after a failed or skipped compute.

#include <gtest/gtest.h>
#include <maya/MComputation.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnAttribute.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MPlug.h>

#include <cmath>
#include <string>

#include "common/pluginScene.h"
#include "host/src/graph/messages.h"

namespace {

using zt::host::MessageKind;

class ScatterNode : public PluginScene {
protected:
    // A 4 x 4 plane and a scatter node reading its mesh and bounding box.
    static void planeScene(float radius) {
        ASSERT_TRUE(
            mel("polyPlane -w 4 -h 4 -sx 4 -sy 4; createNode ztScatterPoints -n sc;"
                "connectAttr pPlaneShape1.outMesh sc.inMesh;"
                "connectAttr pPlaneShape1.boundingBox sc.boundingBox;"
                "setAttr sc.radius " +
                std::to_string(radius) + ";"));
    }

    static unsigned int count(const MObject& data, const char* channel = "position") {
        return channelLength(data, channel);
    }
};

// Every channel holds one value per point, pointID numbers them in order,
// and each lies on the 4 x 4 plane; `n` receives the point count.
void expectChannelsOnThePlane(const MObject& data, unsigned int& n) {
    MFnArrayAttrsData fn(data);
    const MVectorArray position = fn.getVectorData("position");
    const MIntArray tri = fn.getIntData("triID");
    const MVectorArray uv = fn.getVectorData("uv");
    const MIntArray ids = fn.getIntData("pointID");
    const MVectorArray normal = fn.getVectorData("normal");
    n = position.length();
    ASSERT_EQ(tri.length(), n);
    ASSERT_EQ(uv.length(), n);
    ASSERT_EQ(ids.length(), n);
    ASSERT_EQ(normal.length(), n);
    for (unsigned int i = 0; i < n; ++i) {
        EXPECT_EQ(ids[i], static_cast<int>(i));
        EXPECT_EQ(position[i].y, 0.0) << i;
        EXPECT_LE(std::abs(position[i].x), 2.0) << i;
        EXPECT_LE(std::abs(position[i].z), 2.0) << i;
        EXPECT_GE(tri[i], 0);
        EXPECT_LT(tri[i], 32);
        EXPECT_EQ(uv[i].z, 0.0);
        EXPECT_NEAR(std::abs(normal[i].y), 1.0, 1e-6) << i;
    }
}

TEST_F(ScatterNode, WritesTheChannelsOfEveryPointOnTheMesh) {
    planeScene(0.2f);
    const MObject data = points("sc.outPoints");
    const MStringArray names = MFnArrayAttrsData(data).list();
    ASSERT_EQ(names.length(), 5u);
    const char* expected[] = {"position", "triID", "uv", "pointID", "normal"};
    for (unsigned int i = 0; i < 5; ++i) EXPECT_EQ(names[i], MString(expected[i]));
    unsigned int n = 0;
    expectChannelsOnThePlane(data, n);
    ASSERT_GT(n, 150u);
    const MVectorArray position = MFnArrayAttrsData(data).getVectorData("position");

    // Without normals the channel is not written; the points stay the same.
    ASSERT_TRUE(mel("setAttr sc.computeNormal 0;"));
    const MObject noNormals = points("sc.outPoints");
    MFnArrayAttrsData::Type type;
    EXPECT_FALSE(MFnArrayAttrsData(noNormals).checkArrayExist("normal", type));
    EXPECT_EQ(count(noNormals), n);

    // Another seed gives another set; the same seed the same one.
    ASSERT_TRUE(mel("setAttr sc.computeNormal 1; setAttr sc.seed 99;"));
    const MVectorArray other = MFnArrayAttrsData(points("sc.outPoints")).getVectorData("position");
    ASSERT_TRUE(mel("setAttr sc.seed 1234;"));
    const MVectorArray again = MFnArrayAttrsData(points("sc.outPoints")).getVectorData("position");
    ASSERT_EQ(again.length(), n);
    for (unsigned int i = 0; i < n; ++i) EXPECT_EQ(again[i], position[i]);
    EXPECT_FALSE(other.length() == n && other[0] == position[0] && other[n - 1] == position[n - 1]);

    // Filling the gaps appends points after the unchanged ones, every
    // channel following and pointID continuing the numbering.
    ASSERT_TRUE(mel("setAttr sc.fillGaps 1;"));
    const MObject filled = points("sc.outPoints");
    unsigned int withFill = 0;
    expectChannelsOnThePlane(filled, withFill);
    ASSERT_GT(withFill, n);
    const MVectorArray p = MFnArrayAttrsData(filled).getVectorData("position");
    for (unsigned int i = 0; i < n; ++i) EXPECT_EQ(p[i], position[i]) << i;
}

TEST_F(ScatterNode, AttributesHaveTheirShortNamesDefaultsLimitsAndFlags) {
    ASSERT_TRUE(mel("createNode ztScatterPoints -n sc;"));
    struct Expected {
        const char* longName;
        const char* shortName;
        double value;  // default
    };
    const Expected numbers[] = {
        {"radius", "r", 1.0},
        {"seed", "s", 1234},
        {"computeNormal", "cn", 1},
        {"randomsMultipler", "rm", 50},
        {"trials", "t", 5},
        {"mode", "mod", 0},
        {"addAll", "aa", 0},
        {"partial", "p", 0},
        {"scatterOnVertices", "sov", 0},
        {"scatterOnBorderEdges", "sobe", 0},
        {"scatterOnSurface", "sos", 1},
        {"maxCandidates", "mxc", 10000000},
        {"boundingBoxMinX", "bmix", 0},
        {"boundingBoxMaxZ", "bmaz", 0},
        {"boundingBoxSizeY", "bmsy", 0},
        {"fillGaps", "fg", 0},
    };
    const MObject node = zt::host::findNode("sc");
    MFnDependencyNode fn(node);
    for (const Expected& e : numbers) {
        SCOPED_TRACE(e.longName);
        const MObject byShort = fn.attribute(e.shortName);
        ASSERT_FALSE(byShort.isNull());
        EXPECT_EQ(MFnAttribute(byShort).name(), MString(e.longName));
        double value = -1;
        ASSERT_TRUE(fn.findPlug(e.longName).getValue(value));
        EXPECT_DOUBLE_EQ(value, e.value);
    }
    // Limits clamp what a script sets.
    ASSERT_TRUE(
        mel("setAttr sc.trials 25; setAttr sc.radius 0; setAttr sc.randomsMultipler -3;"
            "setAttr sc.mode 4; setAttr sc.seed -1; setAttr sc.maxCandidates 300000000;"));
    EXPECT_EQ(fn.findPlug("trials").asInt(), 20);
    EXPECT_FLOAT_EQ(fn.findPlug("radius").asFloat(), 0.001f);
    EXPECT_EQ(fn.findPlug("randomsMultipler").asInt(), 1);
    EXPECT_EQ(fn.findPlug("mode").asShort(), 1);
    EXPECT_EQ(fn.findPlug("seed").asInt(), 0);
    EXPECT_EQ(fn.findPlug("maxCandidates").asInt(), 200000000);
    ASSERT_TRUE(mel("setAttr sc.maxCandidates 0;"));
    EXPECT_EQ(fn.findPlug("maxCandidates").asInt(), 1);
    // The output is neither writable nor stored; the face list is stored but
    // not keyable; the box's children are hidden.
    const MFnAttribute out(fn.attribute("op"));
    EXPECT_FALSE(out.isWritable());
    EXPECT_FALSE(out.isStorable());
    const MFnAttribute faceList(fn.attribute("f"));
    EXPECT_TRUE(faceList.isStorable());
    EXPECT_FALSE(faceList.isKeyable());
    EXPECT_TRUE(MFnAttribute(fn.attribute("bmi")).isHidden());
    EXPECT_TRUE(MFnAttribute(fn.attribute("bmax")).isHidden());
    EXPECT_FALSE(MFnAttribute(fn.attribute("bb")).isHidden());
}

TEST_F(ScatterNode, AnUnsetBoxOrNoMeshIsAnErrorAndNoPassAnEmptyOutputWithoutABox) {
    const struct {
        const char* scene;
        const char* error;  // nullptr: no message, an empty output
    } cases[] = {
        {"polyPlane; createNode ztScatterPoints -n sc;"
         "connectAttr pPlaneShape1.outMesh sc.inMesh; setAttr sc.boundingBoxMaxY 5;",
         "sc.boundingBox: plug-in bounding box attribute or type: dgdirty sc.boundingBox in "
         "command line if bbox already connected"},
        {"createNode ztScatterPoints -n sc;", "sc.inMesh: please supply inMesh"},
        {"polyPlane; createNode ztScatterPoints -n sc;"
         "connectAttr pPlaneShape1.outMesh sc.inMesh; setAttr sc.scatterOnSurface 0;",
         nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scene);
        zt::host::newScene();
        ASSERT_TRUE(mel(c.scene));
        zt::host::MessageCapture messages;
        MStatus status;
        const MObject data = points("sc.outPoints", &status);
        if (c.error) {
            EXPECT_EQ(messages.texts(MessageKind::kError), std::vector<std::string>{c.error});
        } else {
            EXPECT_TRUE(status);
            EXPECT_TRUE(messages.messages().empty());
            EXPECT_EQ(MFnArrayAttrsData(data).count(), 0u);
        }
    }
}

TEST_F(ScatterNode, InterruptedFailedAndAreaLessComputesKeepThePreviousPoints) {
    planeScene(0.3f);
    const unsigned int before = count(points("sc.outPoints"));
    ASSERT_GT(before, 50u);
    ASSERT_TRUE(mel("setAttr sc.radius 0.15;"));
    {
        // The node computes inside a command's computation that the user
        // interrupts (what Ctrl-C does in the batch program).
        MComputation command;
        command.beginComputation();
        zt::host::requestInterrupt();
        zt::host::MessageCapture messages;
        EXPECT_EQ(count(points("sc.outPoints")), before);
        EXPECT_EQ(messages.texts(MessageKind::kError),
                  std::vector<std::string>{
                      "sc.outPoints: scatter interrupted; the output keeps its previous points"});
        command.endComputation();
    }
    zt::host::clearInterrupt();
    // Without the request the same settings compute in full.
    const unsigned int full = count(points("sc.outPoints"));
    EXPECT_GT(full, 3 * before);

    // Flatten the plane into a line: every triangle loses its area; the
    // output is kept without a message.
    ASSERT_TRUE(
        mel("polyPlane -w 4 -h 0.00001 -sx 1 -sy 1 -n thin;"
            "connectAttr -f thinShape.outMesh sc.inMesh;"));
    {
        zt::host::MessageCapture messages;
        MStatus status;
        EXPECT_EQ(count(points("sc.outPoints", &status)), full);
        EXPECT_TRUE(status);
        EXPECT_TRUE(messages.messages().empty());
    }

    // Back on the plane, disconnecting the box leaves it at zeros: every
    // compute now fails.
    ASSERT_TRUE(
        mel("connectAttr -f pPlaneShape1.outMesh sc.inMesh;"
            "disconnectAttr pPlaneShape1.boundingBox sc.boundingBox;"
            "setAttr sc.boundingBoxMinX 0; setAttr sc.boundingBoxMinY 0;"
            "setAttr sc.boundingBoxMinZ 0; setAttr sc.boundingBoxMaxX 0;"
            "setAttr sc.boundingBoxMaxZ 0; setAttr sc.radius 0.1;"));
    zt::host::MessageCapture messages;
    EXPECT_EQ(count(points("sc.outPoints")), full);
    EXPECT_FALSE(messages.texts(MessageKind::kError).empty());
}

TEST_F(ScatterNode, EarlierPassesPointsSurviveAndBorderPointsLieOnTheBorder) {
    planeScene(0.25f);
    ASSERT_TRUE(mel("setAttr sc.scatterOnVertices 1; setAttr sc.scatterOnBorderEdges 1;"));
    MFnArrayAttrsData fn(points("sc.outPoints"));
    const MVectorArray position = fn.getVectorData("position");
    unsigned int vertices = 0, border = 0;
    for (unsigned int i = 0; i < position.length(); ++i) {
        const double x = position[i].x, z = position[i].z;
        const bool onGrid =
            std::abs(x - std::round(x)) < 1e-6 && std::abs(z - std::round(z)) < 1e-6;
        if (onGrid) ++vertices;
        if (std::abs(std::abs(x) - 2) < 1e-6 || std::abs(std::abs(z) - 2) < 1e-6) ++border;
    }
    // All 25 vertices (1 apart, beyond the radius) and the border between them.
    EXPECT_EQ(vertices, 25u);
    EXPECT_GT(border, 16u + 16u);
}

TEST_F(ScatterNode, ACandidateCapBelowWhatThePassAsksForWarnsAndThinsThePoints) {
    // The surface pass asks for 50 candidates per disc area: 25500 at r = 0.1.
    planeScene(0.1f);
    const unsigned int full = count(points("sc.outPoints"));
    ASSERT_TRUE(mel("setAttr sc.maxCandidates 25500;"));
    zt::host::MessageCapture messages;
    EXPECT_EQ(count(points("sc.outPoints")), full);
    EXPECT_TRUE(messages.messages().empty());
    ASSERT_TRUE(mel("setAttr sc.maxCandidates 500;"));
    const unsigned int thin = count(points("sc.outPoints"));
    EXPECT_GT(thin, 300u);
    EXPECT_LE(thin, 500u);  // no more points than candidates
    EXPECT_GT(full, 900u);
    EXPECT_EQ(messages.texts(MessageKind::kWarning),
              std::vector<std::string>{"Reached maximum randoms number, undersampling can occur"});
}

TEST_F(ScatterNode, LongScattersPrintEachStagesProgressOnTheErrorStream) {
    planeScene(0.1f);
    EXPECT_EQ(errorsOf([&] { ASSERT_GT(count(points("sc.outPoints")), 500u); }), "");
    // 16 / (pi 0.03^2) = 5658.8, rounded up, times 1000: 5.66 million candidates.
    ASSERT_TRUE(mel("setAttr sc.radius 0.03; setAttr sc.randomsMultipler 1000;"));
    EXPECT_EQ(errorsOf([&] { ASSERT_GT(count(points("sc.outPoints")), 5000u); }),
              "sc: surface pass 0%\n"
              "sc: surface pass 25%\n"
              "sc: surface pass 40%\n"
              "sc: surface pass 50%\n"
              "sc: surface pass 60%\n"
              "sc: surface pass 69%\n"
              "sc: surface pass 79%\n"
              "sc: surface pass 89%\n"
              "sc: surface pass 100%\n"
              "sc: normals 0%\n"
              "sc: normals 100%\n");
}

}  // namespace
