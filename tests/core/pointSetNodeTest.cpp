// The compute steps point-set nodes share: masked copies, channel checks,
// point counts, and vertex colours read for painted layers.

#include <gtest/gtest.h>
#include <maya/MColorArray.h>
#include <maya/MFloatPointArray.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnMesh.h>
#include <maya/MIntArray.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/colorLayers.h"
#include "core/pointSetNode.h"
#include "host/src/hostInit.h"

namespace {

class PointSetNodeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { zt::host::startHost(); }

    // Three points with a channel of every type and one string channel.
    void makeInput() {
        in.create();
        MVectorArray position = in.vectorArray("position");
        MDoubleArray weight = in.doubleArray("fallof");
        MIntArray ids = in.intArray("pointID");
        for (int i = 0; i < 3; ++i) {
            position.append(MVector(i, 2.0 * i, -i));
            weight.append(0.5 * i);
            ids.append(10 + i);
        }
        MStringArray labels = in.stringArray("label");
        labels.append("a");
    }

    MFnArrayAttrsData in;
    MFnArrayAttrsData out;
};

TEST_F(PointSetNodeTest, MaskedCopyKeepsFlaggedPointsInOrderForEveryType) {
    makeInput();
    out.create();
    MStringArray excluded;
    excluded.append("fallof");
    ::testing::internal::CaptureStderr();
    zt::copyAttributesMasked(out, in, excluded, {1, 0, 1}, "skipped");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "skipped");

    MFnArrayAttrsData::Type type;
    EXPECT_FALSE(out.checkArrayExist("fallof", type));
    EXPECT_FALSE(out.checkArrayExist("label", type));
    const MVectorArray position = out.getVectorData("position");
    const MIntArray ids = out.getIntData("pointID");
    ASSERT_EQ(position.length(), 2u);
    ASSERT_EQ(ids.length(), 2u);
    EXPECT_EQ(position[0], MVector(0, 0, 0));
    EXPECT_EQ(position[1], MVector(2, 4, -2));
    EXPECT_EQ(ids[0], 10);
    EXPECT_EQ(ids[1], 12);
}

TEST_F(PointSetNodeTest, ChannelChecksTellTypeAndLength) {
    // Without positions the points are counted on another channel; a masked
    // copy never reads past a channel shorter than its mask.
    in.create();
    EXPECT_EQ(zt::pointCount(in), 0u);
    MIntArray shortIds = in.intArray("pointID");
    shortIds.append(1);
    shortIds.append(2);
    EXPECT_EQ(zt::pointCount(in), 2u);
    out.create();
    zt::copyAttributesMasked(out, in, MStringArray(), {1, 1, 1, 1});
    EXPECT_EQ(out.getIntData("pointID").length(), 2u);

    makeInput();
    EXPECT_TRUE(zt::hasChannel(in, "pointID", MFnArrayAttrsData::kIntArray));
    EXPECT_FALSE(zt::hasChannel(in, "pointID", MFnArrayAttrsData::kDoubleArray));
    EXPECT_FALSE(zt::hasChannel(in, "pointId", MFnArrayAttrsData::kIntArray));
    EXPECT_EQ(zt::pointCount(in), 3u);

    MDoubleArray shortChannel = in.doubleArray("extra");
    shortChannel.append(1.0);
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(zt::checkChannelLengths(in, 3, MPlug()));
    const std::string message = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(message.find("channel 'extra' has 1 elements, expected 3"), std::string::npos)
        << message;
}

TEST(ColorLayers, VertexColorsGiveTheUnsetColourWhereNothingIsPainted) {
    zt::host::startHost();
    MFloatPointArray points;
    points.append(0, 0, 0);
    points.append(1, 0, 0);
    points.append(0, 0, 1);
    points.append(1, 0, 1);
    MIntArray counts;
    counts.append(4);
    MIntArray connects;
    for (int v : {0, 1, 3, 2}) connects.append(v);
    MFnMesh mesh;
    MStatus status;
    mesh.create(4, 1, points, counts, connects, MObject::kNullObj, &status);
    ASSERT_TRUE(status);
    MString set = mesh.createColorSetWithName("paint");
    ASSERT_TRUE(mesh.setCurrentColorSetName(set));
    ASSERT_TRUE(mesh.setVertexColor(MColor(0.25f, 0.5f, 0.75f, 1.0f), 2));

    std::vector<float> rgba;
    ASSERT_TRUE(zt::readVertexColors(mesh, &set, MColor(1, 1, 1, 1), rgba));
    ASSERT_EQ(rgba.size(), 16u);
    const std::vector<float> painted(rgba.begin() + 8, rgba.begin() + 12);
    EXPECT_EQ(painted, (std::vector<float>{0.25f, 0.5f, 0.75f, 1.0f}));
    for (int v : {0, 1, 3}) {
        const std::vector<float> unset(rgba.begin() + 4 * v, rgba.begin() + 4 * v + 4);
        EXPECT_EQ(unset, (std::vector<float>{1, 1, 1, 1})) << "vertex " << v;
    }
    EXPECT_EQ(zt::clampLayerType(-3), 0);
    EXPECT_EQ(zt::clampLayerType(7), 1);
    EXPECT_EQ(zt::clampFloat(std::nanf(""), 0.0f, 1.0f), 0.0f);
    EXPECT_EQ(zt::clampFloat(2.0f, -1.0f, 1.0f), 1.0f);
}

}  // namespace
