// The ztPointsRotation node in a scene: attributes, the channels it writes,
// painted layers (replace blend, hiding add layer), chaining through
// "rotationRGB", and its answers to bad input (message, failure, previous
// output kept).

#include <gtest/gtest.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnAttribute.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MFnMesh.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnVectorArrayData.h>
#include <maya/MIntArray.h>
#include <maya/MPlug.h>
#include <maya/MVectorArray.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "common/pluginScene.h"
#include "host/src/graph/messages.h"
#include "host/src/graph/scene.h"

namespace {

using zt::host::MessageKind;

class RotationNode : public PluginScene {
protected:
    // A 4 x 4 plane (4 x 4 quads) scattered at radius 0.3 and a rotation node
    // reading the points and the mesh.
    static void scatteredPlane() {
        ASSERT_TRUE(
            mel("polyPlane -w 4 -h 4 -sx 4 -sy 4 -n ground; createNode ztScatterPoints -n sc;"
                "connectAttr groundShape.outMesh sc.inMesh;"
                "connectAttr groundShape.boundingBox sc.boundingBox; setAttr sc.radius 0.3;"
                "createNode ztPointsRotation -n rot; connectAttr sc.outPoints rot.inPoints;"
                "connectAttr groundShape.outMesh rot.inMesh;"));
    }

    // A plane of two triangles and a rotation node whose inPoints is set
    // directly (not connected), for hand-made point sets.
    static void quadScene() {
        ASSERT_TRUE(
            mel("polyPlane -w 2 -h 2 -sx 1 -sy 1 -n quad; createNode ztPointsRotation -n rot;"
                "connectAttr quadShape.outMesh rot.inMesh;"));
    }

    // Points on the plane y = 0 with normal +y, triangle 0 and (u, v) =
    // (0.25, 0.25); `triangle` and `position` override the first point.
    struct Points {
        unsigned int count = 3;
        std::vector<int> triangles;
        std::vector<MVector> positions;
        bool withTriangles = true, withUv = true, withNormal = true;
        unsigned int uvCount = 3;
        unsigned int rgbCount = 0;  // "rotationRGB" of this length when > 0
    };
    static MObject makePoints(const Points& spec) {
        MFnArrayAttrsData fn;
        MObject data = fn.create();
        MVectorArray position = fn.vectorArray("position");
        for (unsigned int i = 0; i < spec.count; ++i) {
            position.append(i < spec.positions.size() ? spec.positions[i]
                                                      : MVector(0.1 * i, 0.0, 0.2));
        }
        if (spec.withTriangles) {
            MIntArray triangles = fn.intArray("triID");
            for (unsigned int i = 0; i < spec.count; ++i)
                triangles.append(i < spec.triangles.size() ? spec.triangles[i] : 0);
        }
        if (spec.withUv) {
            MVectorArray uv = fn.vectorArray("uv");
            for (unsigned int i = 0; i < spec.uvCount; ++i) uv.append(MVector(0.25, 0.25, 0.0));
        }
        if (spec.withNormal) {
            MVectorArray normal = fn.vectorArray("normal");
            for (unsigned int i = 0; i < spec.count; ++i) normal.append(MVector(0, 1, 0));
        }
        if (spec.rgbCount > 0) {
            MVectorArray rgb = fn.vectorArray("rotationRGB");
            for (unsigned int i = 0; i < spec.rgbCount; ++i) rgb.append(MVector(1, 0, 0));
        }
        return data;
    }
    static void setPoints(const Points& spec) {
        ASSERT_TRUE(plug("rot.inPoints").setValue(makePoints(spec)));
    }

    // The errors reported while reading the point set on `plugName`.
    static std::vector<std::string> errorsReading(const std::string& plugName,
                                                  MObject* data = nullptr) {
        zt::host::MessageCapture messages;
        const MObject read = points(plugName);
        if (data) *data = read;
        return messages.texts(MessageKind::kError);
    }

    // The compute fails with exactly `message` and the previous output stays.
    static void expectFailureKeepingOutput(const std::string& message) {
        MObject data;
        EXPECT_EQ(errorsReading("rot.outPoints", &data), std::vector<std::string>{message});
        EXPECT_EQ(channelLength(data, "aimDirection"), 3u) << "previous output not kept";
    }
};

TEST_F(RotationNode, AttributesHaveTheirNamesDefaultsLimitsAndFlags) {
    ASSERT_TRUE(mel("createNode ztPointsRotation -n rot;"));
    struct Expected {
        std::string longName, shortName;
        double value;
    };
    std::vector<Expected> numbers = {{"localAimDirection", "ldir", 0},
                                     {"activeLayer", "al", -1},
                                     {"seed", "s", 0},
                                     {"addColorMode", "acm", 0},
                                     {"inColorFactor", "icf", 1}};
    // Per-channel triples: long name + R/G/B, short name + r/g/b, all 0.
    const std::string triples[][2] = {{"offset", "o"},           {"random", "r"},
                                      {"randomAmplitude", "ra"}, {"minRandSpeed", "mrs"},
                                      {"maxRandSpeed", "xrs"},   {"randTime", "rt"}};
    for (const auto& t : triples)
        for (const std::string c : {"Rr", "Gg", "Bb"})
            numbers.push_back({t[0] + c[0], t[1] + c[1], 0});
    MFnDependencyNode fn(zt::host::findNode("rot"));
    for (const Expected& e : numbers) {
        SCOPED_TRACE(e.longName);
        const MObject byShort = fn.attribute(e.shortName.c_str());
        ASSERT_FALSE(byShort.isNull());
        const MFnAttribute attribute(byShort);
        EXPECT_EQ(attribute.name(), MString(e.longName.c_str()));
        EXPECT_TRUE(attribute.isKeyable());
        EXPECT_TRUE(attribute.isStorable());
        double value = -2;
        ASSERT_TRUE(fn.findPlug(e.longName.c_str()).getValue(value));
        EXPECT_DOUBLE_EQ(value, e.value);
    }
    // The target is a point of three floats at the origin.
    EXPECT_TRUE(MFnAttribute(fn.attribute("t")).isKeyable());
    EXPECT_EQ(MFnAttribute(fn.attribute("tx")).name(), MString("targetX"));
    EXPECT_FLOAT_EQ(fn.findPlug("targetZ").asFloat(), 0.0f);
    // Limits clamp what a script sets; offsetG has none.
    ASSERT_TRUE(
        mel("setAttr rot.offsetR 2; setAttr rot.activeLayer -5; setAttr rot.randomG 3;"
            "setAttr rot.inColorFactor -1; setAttr rot.offsetG 720; setAttr rot.seed -4;"));
    EXPECT_FLOAT_EQ(fn.findPlug("offsetR").asFloat(), 1.0f);
    EXPECT_EQ(fn.findPlug("activeLayer").asInt(), -1);
    EXPECT_FLOAT_EQ(fn.findPlug("randomG").asFloat(), 1.0f);
    EXPECT_FLOAT_EQ(fn.findPlug("inColorFactor").asFloat(), 0.0f);
    EXPECT_FLOAT_EQ(fn.findPlug("offsetG").asFloat(), 720.0f);
    EXPECT_EQ(fn.findPlug("seed").asInt(), 0);

    // Point sets in and out; the layers multi with its two children.
    EXPECT_FALSE(MFnAttribute(fn.attribute("op")).isWritable());
    EXPECT_FALSE(MFnAttribute(fn.attribute("ip")).isStorable());
    EXPECT_TRUE(MFnAttribute(fn.attribute("im")).isStorable());
    EXPECT_TRUE(MFnAttribute(fn.attribute("vc")).isArray());
    ASSERT_TRUE(mel("setAttr rot.vertexColor[2].vertexColorType 7;"));
    EXPECT_EQ(plug("rot.vertexColor[2].vertexColorType").asShort(), 1);
    EXPECT_FLOAT_EQ(plug("rot.vertexColor[2].vertexColorWeight").asFloat(), 1.0f);
}

TEST_F(RotationNode, DefaultsAimAlongTheNormalAndOffsetsTurn) {
    scatteredPlane();
    ASSERT_TRUE(mel("setAttr rot.target 10 3 -2;"));
    const MObject data = points("rot.outPoints");
    MFnArrayAttrsData fn(data);
    const unsigned int n = channelLength(data, "position");
    ASSERT_GT(n, 50u);
    const MVectorArray normal = fn.getVectorData("normal");
    const MVectorArray position = fn.getVectorData("position");
    const MVectorArray aim = fn.getVectorData("aimDirection");
    const MVectorArray up = fn.getVectorData("aimWorldUp");
    const MVectorArray rgb = fn.getVectorData("rotationRGB");
    const MIntArray type = fn.getIntData("rotationType");
    ASSERT_EQ(aim.length(), n);
    ASSERT_EQ(up.length(), n);
    ASSERT_EQ(rgb.length(), n);
    ASSERT_EQ(type.length(), n);
    MFnArrayAttrsData::Type t;
    EXPECT_FALSE(fn.checkArrayExist("intersection", t));
    for (unsigned int i = 0; i < n; ++i) {
        EXPECT_EQ(type[i], 1);
        EXPECT_EQ(rgb[i], MVector(0, 0, 0));
        EXPECT_NEAR((aim[i] - normal[i]).length(), 0.0, 1e-6);
        // Up = n x dir, dir pointing at (10, 0, -2) in the plane.
        MVector dir = MVector(10, 0, -2) - MVector(position[i].x, 0, position[i].z);
        dir.normalize();
        EXPECT_NEAR((up[i] - (normal[i] ^ dir)).length(), 0.0, 1e-5) << i;
    }

    // Offsets turn; a full turn comes back.
    ASSERT_TRUE(mel("setAttr rot.target 1 0 1; setAttr rot.offsetR 1;"));
    const MVectorArray before = vectors("rot.outPoints", "aimDirection");
    ASSERT_TRUE(mel("setAttr rot.offsetG 360;"));
    const MVectorArray after = vectors("rot.outPoints", "aimDirection");
    const MVectorArray offsetRgb = vectors("rot.outPoints", "rotationRGB");
    ASSERT_EQ(after.length(), before.length());
    for (unsigned int i = 0; i < after.length(); ++i) {
        EXPECT_NEAR((after[i] - before[i]).length(), 0.0, 1e-5);
        EXPECT_NEAR(after[i].y, 0.0, 1e-6);  // R = 1: in the tangent plane
        EXPECT_EQ(offsetRgb[i], MVector(1, 1, 0));
    }
}

TEST_F(RotationNode, AReplaceLayerBlendsTowardsThePaintedColour) {
    scatteredPlane();
    // Colour set 0 "tint" painted (0.5, 0.25, 0.75) with alpha 1, weight 0.5.
    ASSERT_TRUE(
        mel("polyColorPerVertex -rgb 0.5 0.25 0.75 -a 1 -colorSetName tint ground;"
            "setAttr rot.vertexColor[0].vertexColorWeight 0.5;"));
    const MVectorArray rgb = vectors("rot.outPoints", "rotationRGB");
    ASSERT_GT(rgb.length(), 50u);
    for (unsigned int i = 0; i < rgb.length(); ++i) {
        EXPECT_NEAR(rgb[i].x, 0.25, 1e-6);
        EXPECT_NEAR(rgb[i].y, 0.125, 1e-6);
        EXPECT_NEAR(rgb[i].z, 0.375, 1e-6);
    }
    // An element without a colour set (two elements, one set) is ignored;
    // the layer type 1 (add) moves by k (2c - 1): 0.5 * (1 - 1) = 0 for R,
    // 0.5 * (0.5 - 1) = -0.25 for G, 0.5 * (1.5 - 1) = 0.25 for B.
    ASSERT_TRUE(
        mel("setAttr rot.vertexColor[0].vertexColorType 1;"
            "setAttr rot.vertexColor[1].vertexColorWeight 1;"));
    const MVectorArray added = vectors("rot.outPoints", "rotationRGB");
    ASSERT_EQ(added.length(), rgb.length());
    EXPECT_NEAR(added[0].x, 0.0, 1e-6);
    EXPECT_NEAR(added[0].y, -0.25, 1e-6);
    EXPECT_NEAR(added[0].z, 0.25, 1e-6);
}

TEST_F(RotationNode, AnActiveAddLayerWithZeroAlphaHidesExactlyThePointsOnIt) {
    scatteredPlane();
    // Colour set "show": alpha 1 everywhere except the first two vertex rows,
    // so the first row of quads (8 triangles) has zero alpha at every corner.
    ASSERT_TRUE(
        mel("polyColorPerVertex -rgb 1 1 1 -a 1 -colorSetName show ground;"
            "polyColorPerVertex -a 0 -colorSetName show ground.vtx[0:9];"
            "setAttr rot.vertexColor[0].vertexColorType 1; setAttr rot.activeLayer 0;"));
    const MObject in = points("sc.outPoints");
    MFnArrayAttrsData inFn(in);
    const MIntArray triangles = inFn.getIntData("triID");
    const MIntArray ids = inFn.getIntData("pointID");
    MIntArray counts, corners;
    MFnMesh mesh(zt::host::findNode("groundShape"));
    ASSERT_TRUE(mesh.getTriangles(counts, corners));
    std::vector<int> keptIds;
    for (unsigned int i = 0; i < triangles.length(); ++i) {
        const unsigned int t = static_cast<unsigned int>(triangles[i]);
        bool hidden = true;
        for (unsigned int k = 0; k < 3; ++k) hidden = hidden && corners[3 * t + k] <= 9;
        if (!hidden) keptIds.push_back(ids[i]);
    }
    ASSERT_LT(keptIds.size(), triangles.length());  // some are hidden
    ASSERT_GT(keptIds.size(), triangles.length() / 2);

    const MObject out = points("rot.outPoints");
    MFnArrayAttrsData outFn(out);
    const MStringArray names = outFn.list();
    EXPECT_EQ(names.length(), 9u);
    for (unsigned int c = 0; c < names.length(); ++c) {
        EXPECT_EQ(channelLength(out, names[c].asChar()), keptIds.size()) << names[c].asChar();
    }
    const MIntArray outIds = outFn.getIntData("pointID");
    for (unsigned int i = 0; i < outIds.length(); ++i) EXPECT_EQ(outIds[i], keptIds[i]);

    // The same layer as replace (type 0) hides nothing.
    ASSERT_TRUE(mel("setAttr rot.vertexColor[0].vertexColorType 0;"));
    EXPECT_EQ(channelLength(points("rot.outPoints"), "position"), triangles.length());
}

TEST_F(RotationNode, ASecondNodeStartsFromTheFirstNodesRotation) {
    scatteredPlane();
    ASSERT_TRUE(
        mel("setAttr rot.target 2 0 2; setAttr rot.offsetR 0.5; setAttr rot.offsetB 90;"
            "createNode ztPointsRotation -n rot2; connectAttr rot.outPoints rot2.inPoints;"
            "setAttr rot2.target 2 0 2; setAttr rot2.offsetG 180;"));
    const MVectorArray rgb = vectors("rot2.outPoints", "rotationRGB");
    const MVectorArray aim1 = vectors("rot.outPoints", "aimDirection");
    const MVectorArray aim2 = vectors("rot2.outPoints", "aimDirection");
    const MVectorArray normal = vectors("rot2.outPoints", "normal");
    ASSERT_EQ(rgb.length(), aim1.length());
    ASSERT_GT(rgb.length(), 50u);
    for (unsigned int i = 0; i < rgb.length(); ++i) {
        EXPECT_NEAR(rgb[i].x, 0.5, 1e-7);
        EXPECT_NEAR(rgb[i].y, 0.5, 1e-7);
        EXPECT_NEAR(rgb[i].z, 0.25, 1e-7);
        // Half a turn about the normal mirrors the tangent half of the aim.
        EXPECT_NEAR(aim2[i].y, aim1[i].y, 1e-6);
        EXPECT_NEAR(aim2[i].x - normal[i].x * 0.5, -(aim1[i].x - normal[i].x * 0.5), 1e-5);
        EXPECT_NEAR(aim2[i].z, -aim1[i].z, 1e-5);
    }
}

TEST_F(RotationNode, EdgeChannelsOnlyWithLocalAimDirection) {
    scatteredPlane();
    ASSERT_TRUE(mel("setAttr rot.localAimDirection 1; setAttr rot.target 9 0 0.1;"));
    const MObject data = points("rot.outPoints");
    const unsigned int n = channelLength(data, "position");
    ASSERT_GT(n, 0u);
    EXPECT_EQ(channelLength(data, "intersection"), n);
    EXPECT_EQ(channelLength(data, "distanceToEdge"), n);
    // Every parameter lies in [-100, 100].
    const MVectorArray s = MFnArrayAttrsData(data).getVectorData("intersection");
    for (unsigned int i = 0; i < n; ++i) {
        for (int k = 0; k < 3; ++k) {
            EXPECT_LE(std::fabs(s[i][k]), 100.0);
        }
    }
    // A node that never had a mesh cannot compute the edges; with
    // localAimDirection off it needs none.
    ASSERT_TRUE(
        mel("createNode ztPointsRotation -n bare; connectAttr sc.outPoints bare.inPoints;"
            "setAttr bare.localAimDirection 1;"));
    EXPECT_EQ(
        errorsReading("bare.outPoints"),
        std::vector<std::string>{"bare.inMesh: missing inMesh, can not compute localAimDirection"});
    ASSERT_TRUE(mel("setAttr bare.localAimDirection 0;"));
    EXPECT_EQ(channelLength(points("bare.outPoints"), "aimDirection"), n);
}

TEST_F(RotationNode, MissingOrMalformedChannelsFailAndKeepThePreviousOutput) {
    quadScene();
    EXPECT_EQ(errorsReading("rot.outPoints"),
              std::vector<std::string>{"rot.inPoints: please supply inPoints"});
    setPoints(Points{});
    ASSERT_EQ(channelLength(points("rot.outPoints"), "aimDirection"), 3u);

    // Each bad set fails with its message. With the mesh read for the edges
    // (localAimDirection on), a triangle id beyond the two triangles is
    // refused before the kernel reads anything.
    struct Case {
        Points points;
        bool edges;
        const char* message;
    };
    const auto without = [](bool Points::*channel) {
        Points points;
        points.*channel = false;
        return points;
    };
    Points shortUv, pastTheMesh, beforeTheMesh, notANumber;
    shortUv.uvCount = 2;
    pastTheMesh.triangles = {0, 5, 1};
    beforeTheMesh.triangles = {-1, 0, 0};
    notANumber.positions = {MVector(0, 0, 0), MVector(std::nan(""), 0, 0)};
    const Case cases[] = {
        {without(&Points::withTriangles), false, "rot.inPoints: Points triID missing"},
        {without(&Points::withUv), false, "rot.inPoints: Points UV missing"},
        {without(&Points::withNormal), false, "rot.inPoints: Points normal missing"},
        {shortUv, false, "rot.inPoints: channel 'uv' has 2 elements, expected 3"},
        {pastTheMesh, true,
         "rot.inPoints: point 1 lies on triangle 5, which the mesh does not have (it has 2 "
         "triangles)"},
        {beforeTheMesh, true,
         "rot.inPoints: point 0 lies on triangle -1, which the mesh does not have (it has 2 "
         "triangles)"},
        {notANumber, true,
         "rot.inPoints: channel 'position' holds a value that is not a finite number (element "
         "1)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        ASSERT_TRUE(mel(std::string("setAttr rot.localAimDirection ") + (c.edges ? "1;" : "0;")));
        setPoints(c.points);
        expectFailureKeepingOutput(c.message);
    }
}

TEST_F(RotationNode, ColourInputsOfTheWrongLengthAreSkippedAndNaNColoursRefused) {
    quadScene();
    // A "rotationRGB" of another length: one message, then treated as absent.
    Points shortRgb;
    shortRgb.rgbCount = 2;
    setPoints(shortRgb);
    MObject data;
    EXPECT_EQ(errorsReading("rot.outPoints", &data),
              std::vector<std::string>{"ztPointsRotation: rotationRGB array size differs "
                                       "from point array size, omitting rgb rotation"});
    const MVectorArray rgb = MFnArrayAttrsData(data).getVectorData("rotationRGB");
    ASSERT_EQ(rgb.length(), 3u);
    EXPECT_EQ(rgb[2], MVector(0, 0, 0));
    // At full length it is the start value.
    Points fullRgb;
    fullRgb.rgbCount = 3;
    setPoints(fullRgb);
    EXPECT_EQ(vectors("rot.outPoints", "rotationRGB")[1], MVector(1, 0, 0));

    // inColor: a wrong length is ignored silently; a NaN is refused.
    MFnVectorArrayData colorFn;
    MVectorArray colors;
    colors.append(MVector(0.5, 0.5, 0.5));
    ASSERT_TRUE(plug("rot.inColor").setValue(colorFn.create(colors)));
    {
        zt::host::MessageCapture messages;
        const MObject data = points("rot.outPoints");
        EXPECT_TRUE(messages.messages().empty());
        EXPECT_EQ(MFnArrayAttrsData(data).getVectorData("rotationRGB")[0], MVector(1, 0, 0));
    }
    colors.append(MVector(0, 1, 0));
    colors.append(MVector(0, std::numeric_limits<double>::quiet_NaN(), 0));
    ASSERT_TRUE(plug("rot.inColor").setValue(colorFn.create(colors)));
    expectFailureKeepingOutput(
        "rot.inColor: the colour array holds a value that is not a finite number (element 2)");
}

}  // namespace
