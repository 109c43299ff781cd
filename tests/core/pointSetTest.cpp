// Building an output point set from an input one, and the flat layouts the
// kernels take.

#include <gtest/gtest.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnTypedAttribute.h>

#include <string>

#include "core/pointSet.h"
#include "host/src/hostInit.h"

namespace {

class PointSetTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { zt::host::startHost(); }

    // A point set of two points with a channel of every type.
    MObject makeInput() {
        MObject data = in.create();
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
        return data;
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

}  // namespace
