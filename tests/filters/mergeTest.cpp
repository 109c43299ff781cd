// ztPointsMerge: pairing by point id (in any order, with points that have no
// partner), the blend weights (factor and per-point fall-off), the float and
// int round trip of blended channels, and the inputs it refuses while
// keeping its previous output.

#include <string>
#include <vector>

#include "filterTestUtil.h"

using namespace filtertest;

namespace {

class Merge : public NodeTest {
protected:
    Merge() : NodeTest("ztPointsMerge", "merge") {}
    void list(std::initializer_list<const char*> names) {
        unsigned int k = 0;
        for (const char* name : names) setStringElement(node, "attributes", k++, name);
    }
};

}  // namespace

TEST_F(Merge, HalfFactorAveragesListedChannelsOfPartnersFoundInAnyOrder) {
    // The second set lists the same ids in another order.
    setPoints(node, "inPoints1",
              PointSet()
                  .ints("pointID", {10, 20, 30})
                  .vectors("position", {{0, 0, 0}, {2, 0, 0}, {4, 4, 4}})
                  .doubles("weight", {1.0, 2.0, 3.0})
                  .doubles("keep", {0.1, 0.2, 0.3}));
    setPoints(node, "inPoints2",
              PointSet()
                  .ints("pointID", {30, 10, 20})
                  .vectors("position", {{0, 0, 0}, {2, 2, 2}, {2, 0, 8}})
                  .doubles("weight", {5.0, 3.0, 4.0})
                  .doubles("onlySecond", {9, 9, 9}));
    list({"position", "weight"});
    set(node, "factor", 0.5f);

    Output out(node);
    ASSERT_TRUE(out.ok());
    expectNear(out.vectors("position"), {{1, 1, 1}, {2, 0, 4}, {2, 2, 2}});
    // Halves of exact binary values: exact at float precision too.
    EXPECT_EQ(out.doubles("weight"), (std::vector<double>{2.0, 3.0, 4.0}));
    // Unlisted channels of the first set pass through exactly; nothing else
    // of the second set is carried over.
    EXPECT_EQ(out.doubles("keep"), (std::vector<double>{0.1, 0.2, 0.3}));
    EXPECT_EQ(out.ints("pointID"), (std::vector<int>{10, 20, 30}));
    EXPECT_FALSE(out.has("onlySecond"));

    // Factor 1 takes the second set's values, factor 0 keeps the first's.
    set(node, "factor", 1.0f);
    expectNear(Output(node).vectors("position"), {{2, 2, 2}, {2, 0, 8}, {0, 0, 0}});
    set(node, "factor", 0.0f);
    expectNear(Output(node).vectors("position"), {{0, 0, 0}, {2, 0, 0}, {4, 4, 4}});
}

TEST_F(Merge, FallofScalesTheWeightPerPointOfTheSecondSet) {
    setPoints(node, "inPoints1",
              PointSet().ints("pointID", {1, 2, 3, 4}).doubles("v", {0.0, 0.0, 0.0, 0.0}));
    set(node, "factor", 0.5f);
    list({"v"});

    // A fall-off of 0 everywhere leaves the first set's values.
    setPoints(node, "inPoints2",
              PointSet()
                  .ints("pointID", {1, 2, 3, 4})
                  .doubles("v", {8.0, 8.0, 8.0, 8.0})
                  .doubles("fallof", {0.0, 0.0, 0.0, 0.0}));
    EXPECT_EQ(Output(node).doubles("v"), (std::vector<double>{0.0, 0.0, 0.0, 0.0}));

    // Otherwise each point's weight is fallof * factor (not clamped).
    setPoints(node, "inPoints2",
              PointSet()
                  .ints("pointID", {4, 3, 2, 1})
                  .doubles("v", {8.0, 8.0, 8.0, 8.0})
                  .doubles("fallof", {1.0, 0.5, 0.25, 2.0}));
    // Weights for ids 1 to 4: 2.0, 0.25, 0.5 and 1.0 times 0.5.
    EXPECT_EQ(Output(node).doubles("v"), (std::vector<double>{8.0, 1.0, 2.0, 4.0}));
}

TEST_F(Merge, UnsortedIdsKeepTheFirstSetsOrderAndUnpairedPointsKeepTheirValues) {
    // Negative ids pair like any others.
    setPoints(node, "inPoints1",
              PointSet()
                  .ints("pointID", {7, -3, 42, 0, 15})
                  .vectors("position", {{7, 0, 0}, {-3, 0, 0}, {42, 0, 0}, {0, 0, 0}, {15, 0, 0}}));
    // Partners for 42 and -3 only; 99 has none in the first set.
    setPoints(node, "inPoints2",
              PointSet()
                  .ints("pointID", {99, 42, -3})
                  .vectors("position", {{1000, 0, 0}, {42, 10, 0}, {-3, 0, 10}}));
    list({"position"});
    set(node, "factor", 1.0f);

    Output out(node);
    EXPECT_EQ(out.ints("pointID"), (std::vector<int>{7, -3, 42, 0, 15}));
    expectNear(out.vectors("position"),
               {{7, 0, 0}, {-3, 0, 10}, {42, 10, 0}, {0, 0, 0}, {15, 0, 0}});
}

TEST_F(Merge, IntChannelsTruncateTowardZeroAndListedValuesRoundTripThroughFloat) {
    setPoints(node, "inPoints1",
              PointSet()
                  .ints("pointID", {1, 2, 3})
                  .ints("objectIndex", {1, -1, 5})
                  .doubles("precise", {0.1, 0.2, 1.0 / 3.0}));
    setPoints(node, "inPoints2",
              PointSet()
                  .ints("pointID", {1, 2})
                  .ints("objectIndex", {2, -2})
                  .doubles("precise", {0.1, 0.2}));
    list({"objectIndex", "precise"});
    set(node, "factor", 0.5f);

    Output out(node);
    ASSERT_EQ(out.typeOf("objectIndex"), MFnArrayAttrsData::kIntArray);
    // 1.5 gives 1, -1.5 gives -1, the unpaired 5 stays 5.
    EXPECT_EQ(out.ints("objectIndex"), (std::vector<int>{1, -1, 5}));
    // A listed double channel comes back at float precision, paired or not.
    const std::vector<double> precise = out.doubles("precise");
    ASSERT_EQ(precise.size(), 3u);
    EXPECT_EQ(precise[2], static_cast<double>(static_cast<float>(1.0 / 3.0)));
    EXPECT_NE(precise[2], 1.0 / 3.0);
}

TEST_F(Merge, EmptySecondSetOrEmptyListCopiesTheFirstSetExactly) {
    const std::vector<double> exact = {0.1, 1.0 / 3.0};
    setPoints(node, "inPoints1", PointSet().ints("pointID", {1, 2}).doubles("d", exact));
    setPoints(node, "inPoints2", PointSet().ints("pointID", {}).doubles("d", {}));
    list({"d"});
    set(node, "factor", 1.0f);
    EXPECT_EQ(Output(node).doubles("d"), exact);

    // With partners but no names listed, nothing is blended or rounded.
    MObject other = createNode("ztPointsMerge", "other");
    setPoints(other, "inPoints1", PointSet().ints("pointID", {1, 2}).doubles("d", exact));
    setPoints(other, "inPoints2", PointSet().ints("pointID", {1, 2}).doubles("d", {5, 5}));
    set(other, "factor", 1.0f);
    Output copy(other);
    EXPECT_EQ(copy.doubles("d"), exact);
    EXPECT_EQ(copy.ints("pointID"), (std::vector<int>{1, 2}));
}

TEST_F(Merge, BadInputsAreReportedAndKeepThePreviousOutput) {
    const PointSet good1 = PointSet().ints("pointID", {1, 2}).doubles("d", {0.0, 0.0});
    const PointSet good2 = PointSet().ints("pointID", {2, 1}).doubles("d", {4.0, 2.0});
    setPoints(node, "inPoints1", good1);
    setPoints(node, "inPoints2", good2);
    list({"d"});
    set(node, "factor", 0.5f);
    const std::vector<double> before = Output(node).doubles("d");
    ASSERT_EQ(before, (std::vector<double>{1.0, 2.0}));

    struct Case {
        const char* what;
        PointSet first, second;
        const char* listed;  // replaces attributes[0]
        std::string message;
    };
    const std::vector<Case> cases = {
        {"no ids in the first set", PointSet().doubles("d", {0, 0}), good2, "d",
         "merge.inPoints1: missing 'pointID' attribute"},
        {"ids of the wrong type", good1, PointSet().doubles("pointID", {1, 2}).doubles("d", {1, 1}),
         "d", "merge.inPoints2: wrong type of 'pointID' attribute"},
        {"channels of different lengths", good1,
         PointSet().ints("pointID", {1, 2}).doubles("d", {1, 1, 1}), "d",
         "merge.inPoints2: channel 'd' has 3 elements, expected 2"},
        {"an empty first set", PointSet().ints("pointID", {}).doubles("d", {}), good2, "d",
         "merge.inPoints1: Zero length input"},
        {"a repeated id in the first set", PointSet().ints("pointID", {5, 5}).doubles("d", {0, 0}),
         good2, "d", "merge.inPoints1: 'pointID' 5 appears more than once"},
        {"a repeated id in the second set", good1,
         PointSet().ints("pointID", {2, 3, 2}).doubles("d", {1, 1, 1}), "d",
         "merge.inPoints2: 'pointID' 2 appears more than once"},
        {"a listed channel missing from the first set", good1, good2, "position",
         "merge.inPoints1: missing 'position' attribute"},
        {"a listed channel missing from the second set",
         PointSet().ints("pointID", {1, 2}).doubles("d", {0, 0}).doubles("e", {0, 0}), good2, "e",
         "merge.inPoints2: missing 'e' attribute"},
        {"a listed channel of two types", good1,
         PointSet().ints("pointID", {2, 1}).vectors("d", {{1, 1, 1}, {2, 2, 2}}), "d",
         "Attribute 'd' type differs in merge.inPoints1 and merge.inPoints2"},
        {"a fall-off that is not a double channel", good1,
         PointSet().ints("pointID", {2, 1}).doubles("d", {4, 2}).ints("fallof", {1, 1}), "d",
         "merge.inPoints2: 'fallof' must be a double attribute"},
        {"a listed string channel",
         PointSet().ints("pointID", {1, 2}).doubles("d", {0, 0}).strings("s", {"a", "b"}),
         PointSet().ints("pointID", {2, 1}).doubles("d", {4, 2}).strings("s", {"c", "d"}), "s",
         "ztPointsMerge: Invalid array type"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        setPoints(node, "inPoints1", c.first);
        setPoints(node, "inPoints2", c.second);
        setStringElement(node, "attributes", 0, c.listed);
        expectRefused(
            c.message, [&] { return Output(node).doubles("d"); }, before);
    }

    // An unconnected input is named.
    MObject lonely = createNode("ztPointsMerge", "lonely");
    const std::vector<std::string> errors = errorsOf([&] { Output(lonely).ok(); });
    EXPECT_TRUE(anyContains(errors, "lonely.inPoints1: please supply inPoints1"));
}
