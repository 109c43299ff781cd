// Building an output point set from an input one, the compute steps
// point-set nodes share (masked copies, channel checks, point counts), the
// flat layouts the kernels take, and vertex colours read for painted layers.

#include <gtest/gtest.h>
#include <maya/MColorArray.h>
#include <maya/MFloatPointArray.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnMesh.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MIntArray.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/colorLayers.h"
#include "core/pointSet.h"
#include "core/pointSetNode.h"
#include "host/src/hostInit.h"

namespace {

class PointSetTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { zt::host::startHost(); }

    // A point set of two points with a channel of every type.
    void makeInput() {
        in.create();
        MVectorArray position = in.vectorArray("position");
        position.append(MVector(1, 2, 3));
        position.append(MVector(-4, 5.5, 1e-30));
        MDoubleArray fallof = in.doubleArray("fallof");
        fallof.append(0.25);
        fallof.append(-0.0);
        MIntArray ids = in.intArray("pointID");
        ids.append(-7);
        ids.append(2147483647);
        MStringArray labels = in.stringArray("label");
        labels.append("a");
        labels.append("b");
    }

    // Three points with a channel of every type and a one-element string
    // channel.
    void makeThreePoints() {
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

TEST_F(PointSetTest, CopiesEveryChannelTypeExceptTheExcludedOne) {
    makeInput();
    out.create();
    ::testing::internal::CaptureStderr();
    zt::copyAttributes(out, in, MString("fallof"));
    const std::string errors = ::testing::internal::GetCapturedStderr();

    // The string channel is dropped with one line on the error stream.
    EXPECT_EQ(errors, "copyAttributes: invalid array type");
    MFnArrayAttrsData::Type type;
    EXPECT_FALSE(out.checkArrayExist("label", type));
    EXPECT_FALSE(out.checkArrayExist("fallof", type));
    ASSERT_TRUE(out.checkArrayExist("position", type));
    EXPECT_EQ(type, MFnArrayAttrsData::kVectorArray);
    ASSERT_TRUE(out.checkArrayExist("pointID", type));
    EXPECT_EQ(type, MFnArrayAttrsData::kIntArray);
    EXPECT_EQ(out.count(), 2u);

    const MVectorArray position = out.getVectorData("position");
    ASSERT_EQ(position.length(), 2u);
    EXPECT_EQ(position[1], MVector(-4, 5.5, 1e-30));
    const MIntArray ids = out.getIntData("pointID");
    EXPECT_EQ(ids[0], -7);
    EXPECT_EQ(ids[1], 2147483647);

    // The copy is independent of the input.
    MVectorArray inputPosition = in.vectorArray("position");
    inputPosition[0] = MVector(9, 9, 9);
    EXPECT_EQ(out.getVectorData("position")[0], MVector(1, 2, 3));

    // An excluded name can be written afterwards with another type.
    MIntArray fresh = out.intArray("fallof");
    fresh.append(1);
    ASSERT_TRUE(out.checkArrayExist("fallof", type));
    EXPECT_EQ(type, MFnArrayAttrsData::kIntArray);
}

TEST_F(PointSetTest, AnExclusionListDropsEveryNamedChannelAndNamesAreExact) {
    makeInput();
    out.create();
    MStringArray excluded;
    excluded.append("position");
    excluded.append("pointid");  // wrong case: not excluded
    excluded.append("label");
    ::testing::internal::CaptureStderr();
    zt::copyAttributes(out, in, excluded);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    const MStringArray names = out.list();
    ASSERT_EQ(names.length(), 2u);
    MFnArrayAttrsData::Type type;
    EXPECT_TRUE(out.checkArrayExist("fallof", type));
    EXPECT_TRUE(out.checkArrayExist("pointID", type));
    EXPECT_EQ(out.getDoubleData("fallof")[0], 0.25);

    // An empty point set gives an empty output, quietly.
    in.create();
    out.create();
    ::testing::internal::CaptureStderr();
    zt::copyAttributes(out, in, MString(""));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(out.count(), 0u);
}

TEST_F(PointSetTest, PointSetAttributesHaveTheFlagsOfTheirRole) {
    MObject input, output;
    ASSERT_TRUE(zt::createPointSetAttribute(input, "inPoints", "ip", zt::PointSetRole::kInput));
    ASSERT_TRUE(zt::createPointSetAttribute(output, "outPoints", "op", zt::PointSetRole::kOutput));
    MFnTypedAttribute inFn(input), outFn(output);
    EXPECT_EQ(inFn.attrType(), MFnData::kDynArrayAttrs);
    EXPECT_EQ(inFn.shortName(), MString("ip"));
    EXPECT_TRUE(inFn.isWritable());
    EXPECT_FALSE(inFn.isStorable());
    EXPECT_FALSE(inFn.isKeyable());
    EXPECT_TRUE(outFn.isReadable());
    EXPECT_FALSE(outFn.isWritable());
    EXPECT_FALSE(outFn.isStorable());
}

TEST(FlatLayouts, RoundTripThroughTheKernelArrays) {
    MVectorArray vectors;
    vectors.append(MVector(0.1, -2, 3e10));
    vectors.append(MVector(4, 5, 6));
    const std::vector<float> xyz = zt::toFloat3(vectors);
    EXPECT_EQ(xyz, (std::vector<float>{0.1f, -2.0f, 3e10f, 4.0f, 5.0f, 6.0f}));
    EXPECT_EQ(zt::toFloat2(vectors), (std::vector<float>{0.1f, -2.0f, 4.0f, 5.0f}));
    MIntArray ints;
    ints.append(-1);
    EXPECT_EQ(zt::toUnsigned(ints), std::vector<unsigned int>{0xFFFFFFFFu});
    MVectorArray back;
    zt::appendFloat3(back, xyz.data(), 2);
    EXPECT_EQ(back[0], MVector(0.1f, -2.0f, 3e10f));
    MIntArray backInts;
    const unsigned int values[] = {0xFFFFFFFEu};
    zt::appendUnsigned(backInts, values, 1);
    EXPECT_EQ(backInts[0], -2);
}

TEST_F(PointSetTest, MaskedCopyKeepsFlaggedPointsInOrderForEveryType) {
    makeThreePoints();
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

TEST_F(PointSetTest, ChannelChecksTellTypeAndLength) {
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

    makeThreePoints();
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
