// ztPointsAttrShuffle: renaming keeps values and types, renaming into
// "pointID" converts to ints, and missing names are refused; plus the
// attribute tables of the four filter nodes, which scenes depend on.

#include <maya/MFnAttribute.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MFnMatrixAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MPlug.h>

#include <string>
#include <vector>

#include "filterTestUtil.h"

using namespace filtertest;

namespace {

class Shuffle : public NodeTest {
protected:
    Shuffle() : NodeTest("ztPointsAttrShuffle", "rename") {}
    void rename(const char* from, const char* to) {
        set(node, "attrFrom", MString(from));
        set(node, "attrTo", MString(to));
    }
};

}  // namespace

TEST_F(Shuffle, RenamedChannelKeepsItsValuesAndTheOthersPassThrough) {
    setPoints(node, "inPoints",
              PointSet()
                  .vectors("position", {{1, 2, 3}, {4, 5, 6}})
                  .doubles("aimPosition", {9, 9})
                  .ints("pointID", {7, 8}));
    rename("position", "aimPosition");
    Output out(node);
    EXPECT_FALSE(out.has("position"));
    // The existing "aimPosition" (a double channel) is replaced by the vectors.
    EXPECT_EQ(out.vectors("aimPosition"), (std::vector<MVector>{{1, 2, 3}, {4, 5, 6}}));
    EXPECT_EQ(out.ints("pointID"), (std::vector<int>{7, 8}));

    // A name onto itself changes nothing.
    rename("pointID", "pointID");
    Output same(node);
    EXPECT_EQ(same.ints("pointID"), (std::vector<int>{7, 8}));
    EXPECT_EQ(same.vectors("position"), (std::vector<MVector>{{1, 2, 3}, {4, 5, 6}}));
    EXPECT_EQ(same.doubles("aimPosition"), (std::vector<double>{9, 9}));

    // Ints renamed to another name stay ints.
    rename("pointID", "objectIndex");
    Output ints(node);
    EXPECT_EQ(ints.ints("objectIndex"), (std::vector<int>{7, 8}));
    EXPECT_FALSE(ints.has("pointID"));
}

TEST_F(Shuffle, IntoPointIdValuesTruncateTowardZero) {
    setPoints(node, "inPoints",
              PointSet()
                  .doubles("label", {2.9, -2.9, 0.5, 1e12})
                  .vectors("seed", {{3.7, 100, 100}, {-0.2, 0, 0}, {-5.5, 1, 1}, {8, 8, 8}})
                  .ints("pointID", {0, 0, 0, 0}));
    rename("label", "pointID");
    Output fromDoubles(node);
    ASSERT_EQ(fromDoubles.typeOf("pointID"), MFnArrayAttrsData::kIntArray);
    // Past the int range the value saturates.
    EXPECT_EQ(fromDoubles.ints("pointID"), (std::vector<int>{2, -2, 0, 2147483647}));
    EXPECT_FALSE(fromDoubles.has("label"));

    rename("seed", "pointID");
    EXPECT_EQ(Output(node).ints("pointID"), (std::vector<int>{3, 0, -5, 8}));
}

TEST_F(Shuffle, MissingNamesAreReportedAndKeepThePreviousOutput) {
    setPoints(node, "inPoints", PointSet().doubles("a", {1.5}));
    rename("a", "b");
    ASSERT_EQ(Output(node).doubles("b"), (std::vector<double>{1.5}));

    struct Case {
        const char* from;
        const char* to;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"", "b", "rename.attrFrom: please specify source attribute name."},
        {"a", "", "rename.attrTo: please specify destination attribute name."},
        {"c", "b", "rename.inPoints: Input array does not contain 'c' attribute."},
    };
    const auto read = [&] { return Output(node).doubles("b"); };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        rename(c.from, c.to);
        expectRefused(c.message, read, std::vector<double>{1.5});
    }
    // A string channel cannot be renamed.
    setPoints(node, "inPoints", PointSet().doubles("a", {1.5}).strings("s", {"x"}));
    rename("s", "b");
    expectRefused("ztPointsAttrShuffle: invalid attribute type.", read, std::vector<double>{1.5});
}

TEST_F(Shuffle, FilterNodesDeclareTheirAttributesInOrder) {
    struct Attribute {
        const char* longName;
        const char* shortName;
        bool storable, writable, keyable;
    };
    struct Node {
        const char* type;
        std::vector<Attribute> attributes;
    };
    const std::vector<Node> nodes = {
        {"ztPointsMerge",
         {{"factor", "f", true, true, true},
          {"inPoints1", "ip1", false, true, false},
          {"inPoints2", "ip2", false, true, false},
          {"outPoints", "op", false, false, false},
          {"attributes", "a", true, true, false}}},
        {"ztPointsContainer",
         {{"inPoints", "ip", false, true, false},
          {"type", "t", true, true, true},
          {"inWorldMatrix", "iwm", false, true, false},
          {"fallof", "f", true, true, true},
          {"outPoints", "op", false, false, false}}},
        {"ztPointsTransform",
         {{"inPoints", "ip", false, true, false},
          {"inWorldMatrix", "iwm", false, true, false},
          {"outPoints", "op", false, false, false}}},
        {"ztPointsAttrShuffle",
         {{"inPoints", "ip", false, true, false},
          {"attrFrom", "af", true, true, false},
          {"attrTo", "at", true, true, false},
          {"outPoints", "op", false, false, false}}},
    };
    for (const Node& expected : nodes) {
        SCOPED_TRACE(expected.type);
        MFnDependencyNode fn(createNode(expected.type, ""));
        std::vector<std::string> order;
        for (unsigned int i = 0; i < fn.attributeCount(); ++i) {
            const std::string name = MFnAttribute(fn.attribute(i)).name().asChar();
            for (const Attribute& a : expected.attributes)
                if (name == a.longName) order.push_back(name);
        }
        ASSERT_EQ(order.size(), expected.attributes.size());
        for (size_t i = 0; i < order.size(); ++i) {
            const Attribute& a = expected.attributes[i];
            EXPECT_EQ(order[i], a.longName);
            MFnAttribute attr(fn.attribute(a.longName));
            EXPECT_EQ(std::string(attr.shortName().asChar()), a.shortName) << a.longName;
            EXPECT_EQ(attr.isStorable(), a.storable) << a.longName;
            EXPECT_EQ(attr.isWritable(), a.writable) << a.longName;
            EXPECT_EQ(attr.isKeyable(), a.keyable) << a.longName;
        }
    }
    // Limits and defaults of the numeric settings.
    MFnDependencyNode merge(createNode("ztPointsMerge", ""));
    MFnDependencyNode container(createNode("ztPointsContainer", ""));
    EXPECT_TRUE(MFnAttribute(merge.attribute("attributes")).isArray());
    for (MPlug plug :
         {merge.findPlug("factor"), container.findPlug("fallof"), container.findPlug("type")}) {
        SCOPED_TRACE(plug.name().asChar());
        MFnNumericAttribute numeric(plug.attribute());
        double low = -1, high = -1;
        ASSERT_TRUE(numeric.hasMin() && numeric.hasMax());
        numeric.getMin(low);
        numeric.getMax(high);
        EXPECT_EQ(low, 0.0);
        EXPECT_EQ(high, 1.0);
        EXPECT_EQ(plug.asDouble(), 0.0);
    }
    EXPECT_EQ(MFnNumericAttribute(container.attribute("type")).unitType(), MFnNumericData::kInt);
    EXPECT_EQ(MFnNumericAttribute(container.attribute("fallof")).unitType(),
              MFnNumericData::kFloat);
    // The container's matrix starts as the identity.
    EXPECT_TRUE(container.findPlug("inWorldMatrix").attribute().hasFn(MFn::kMatrixAttribute));
}
