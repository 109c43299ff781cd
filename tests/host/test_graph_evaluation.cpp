// Dirty propagation and pull evaluation: chains of nodes, compounds,
// arrays, time, failing computes and cycles.

#include <cmath>

#include "test_graphNodes.h"

namespace graphtest {
namespace {

using Evaluation = GraphTest;

// a -> b -> c, each adding its own offset.
struct Chain {
    MObject a, b, c;
};

Chain makeChain() {
    Chain chain;
    MObject* nodes[] = {&chain.a, &chain.b, &chain.c};
    for (int i = 0; i < 3; ++i) {
        *nodes[i] = zt::host::createNode("graphAdder", std::string(1, char('a' + i)));
        MFnDependencyNode(*nodes[i]).findPlug("offset").setValue(std::pow(10.0, i + 1));
        if (i > 0)
            zt::host::connectPlugs(MFnDependencyNode(*nodes[i - 1]).findPlug("output"),
                                   MFnDependencyNode(*nodes[i]).findPlug("input"));
    }
    return chain;
}

// How often each node of the chain has computed.
std::vector<int> computeCounts(const Chain& chain) {
    return {user<Adder>(chain.a).computeCount, user<Adder>(chain.b).computeCount,
            user<Adder>(chain.c).computeCount};
}

TEST_F(Evaluation, ReadingTheEndOfAChainPullsEveryNodeOnceAndOnlyWhenDirty) {
    Chain chain = makeChain();
    plug(chain.a, "input").setValue(1.0);
    // Setting a value computes nothing by itself.
    EXPECT_EQ(user<Adder>(chain.a).computeCount, 0);

    EXPECT_DOUBLE_EQ(plug(chain.c, "output").asDouble(), 1111.0);
    EXPECT_EQ(computeCounts(chain), (std::vector<int>{1, 1, 1}));
    // Clean: reading again computes nothing.
    EXPECT_DOUBLE_EQ(plug(chain.c, "output").asDouble(), 1111.0);
    EXPECT_EQ(computeCounts(chain), (std::vector<int>{1, 1, 1}));

    plug(chain.a, "input").setValue(2.0);
    EXPECT_DOUBLE_EQ(plug(chain.c, "output").asDouble(), 1112.0);
    EXPECT_EQ(computeCounts(chain), (std::vector<int>{2, 2, 2}));
    // A change at the end leaves the upstream nodes alone.
    plug(chain.c, "offset").setValue(3000.0);
    EXPECT_DOUBLE_EQ(plug(chain.c, "output").asDouble(), 3112.0);
    EXPECT_EQ(computeCounts(chain), (std::vector<int>{2, 2, 3}));
}

TEST_F(Evaluation, ConnectingDisconnectingAndDeletingTheSourceDirtyTheDestination) {
    MObject a = create("graphAdder", "a");
    MObject b = create("graphAdder", "b");
    plug(a, "input").setValue(5.0);
    plug(b, "input").setValue(1.0);
    EXPECT_DOUBLE_EQ(plug(b, "output").asDouble(), 1.0);

    ASSERT_TRUE(connect(plug(a, "output"), plug(b, "input")));
    EXPECT_DOUBLE_EQ(plug(b, "output").asDouble(), 5.0);
    // A destination cannot be set while connected.
    EXPECT_FALSE(plug(b, "input").setValue(7.0));

    ASSERT_TRUE(zt::host::disconnectPlugs(plug(a, "output"), plug(b, "input")));
    // It keeps the last value it received and can be set again.
    EXPECT_DOUBLE_EQ(plug(b, "input").asDouble(), 5.0);
    EXPECT_TRUE(plug(b, "input").setValue(7.0));
    EXPECT_DOUBLE_EQ(plug(b, "output").asDouble(), 7.0);

    // Deleting a source leaves the destination with its value.
    MObject src = create("graphAdder", "src");
    MObject dst = create("graphAdder", "dst");
    plug(src, "input").setValue(9.0);
    ASSERT_TRUE(connect(plug(src, "output"), plug(dst, "input")));
    EXPECT_DOUBLE_EQ(plug(dst, "output").asDouble(), 9.0);
    ASSERT_TRUE(zt::host::deleteNode(src));
    EXPECT_FALSE(plug(dst, "input").isConnected());
    EXPECT_DOUBLE_EQ(plug(dst, "output").asDouble(), 9.0);
    EXPECT_TRUE(plug(dst, "input").setValue(1.0));
    EXPECT_DOUBLE_EQ(plug(dst, "output").asDouble(), 1.0);
    // The old handle is dead: function sets refuse it.
    MStatus status;
    MFnDependencyNode(src).name(&status);
    EXPECT_FALSE(status);
}

TEST_F(Evaluation, AFailedComputeKeepsTheOldOutputForDownstreamNodesAndIsRetried) {
    MObject a = create("graphAdder", "a");
    plug(a, "input").setValue(5.0);
    EXPECT_DOUBLE_EQ(plug(a, "output").asDouble(), 5.0);

    plug(a, "fail").setValue(true);
    plug(a, "input").setValue(6.0);
    // Compute wrote -999 before failing: none of it may show.
    EXPECT_DOUBLE_EQ(plug(a, "output").asDouble(), 5.0);
    const int attempts = user<Adder>(a).computeCount;
    // Still dirty: the next read tries again.
    EXPECT_DOUBLE_EQ(plug(a, "output").asDouble(), 5.0);
    EXPECT_EQ(user<Adder>(a).computeCount, attempts + 1);

    plug(a, "fail").setValue(false);
    EXPECT_DOUBLE_EQ(plug(a, "output").asDouble(), 6.0);
    const int afterSuccess = user<Adder>(a).computeCount;
    EXPECT_DOUBLE_EQ(plug(a, "output").asDouble(), 6.0);
    EXPECT_EQ(user<Adder>(a).computeCount, afterSuccess);

    // Downstream nodes read the last good value of a failed node.
    Chain chain = makeChain();
    plug(chain.a, "input").setValue(1.0);
    EXPECT_DOUBLE_EQ(plug(chain.c, "output").asDouble(), 1111.0);
    plug(chain.a, "fail").setValue(true);
    plug(chain.a, "input").setValue(50.0);
    EXPECT_DOUBLE_EQ(plug(chain.c, "output").asDouble(), 1111.0);
    EXPECT_EQ(computeCounts(chain)[2], 2);
}

TEST_F(Evaluation, ACycleIsReportedAndEvaluationReturns) {
    MObject a = create("graphAdder", "a");
    MObject b = create("graphAdder", "b");
    ASSERT_TRUE(connect(plug(a, "output"), plug(b, "input")));
    ASSERT_TRUE(connect(plug(b, "output"), plug(a, "input")));
    plug(a, "offset").setValue(1.0);

    zt::host::MessageCapture capture;
    double value = 0.0;
    plug(a, "output").getValue(value);
    EXPECT_TRUE(std::isfinite(value));
    EXPECT_TRUE(capture.contains(zt::host::MessageKind::kError, "Cycle on"));
    // The graph stays usable after the cycle is broken.
    ASSERT_TRUE(zt::host::disconnectPlugs(plug(b, "output"), plug(a, "input")));
    plug(a, "input").setValue(2.0);
    EXPECT_DOUBLE_EQ(plug(b, "output").asDouble(), 3.0);
}

TEST_F(Evaluation, CompoundChildrenDirtyTheirParentAndConnectChildByChild) {
    MObject d = create("graphDoubler", "d");
    plugNamed("d.posY").setValue(4.0);
    // The child is asked for first; the node only handles the parent.
    EXPECT_DOUBLE_EQ(plugNamed("d.outPos1").asDouble(), 8.0);
    const std::vector<std::string> expected = {"d.outPos1", "d.outPos"};
    EXPECT_EQ(user<Doubler>(d).asked, expected);

    // Feeding one child through a connection pulls it into the compound.
    MObject a = create("graphAdder", "a");
    plug(a, "input").setValue(1.5);
    ASSERT_TRUE(connect(plug(a, "output"), plugNamed("d.posZ")));
    EXPECT_DOUBLE_EQ(plugNamed("d.outPos2").asDouble(), 3.0);
    plug(a, "input").setValue(2.5);
    EXPECT_DOUBLE_EQ(plugNamed("d.outPos2").asDouble(), 5.0);
    EXPECT_DOUBLE_EQ(plugNamed("d.outPos1").asDouble(), 8.0);

    // Compounds connect child by child, with conversion.
    MObject from = create("graphDoubler", "from");
    MObject to = create("graphDoubler", "to");
    plugNamed("from.posX").setValue(1.0);
    plugNamed("from.posY").setValue(2.0);
    ASSERT_TRUE(connect(plug(from, "outPos"), plug(to, "pos")));
    EXPECT_DOUBLE_EQ(plugNamed("to.outPos1").asDouble(), 8.0);
    EXPECT_DOUBLE_EQ(plugNamed("to.outPos0").asDouble(), 4.0);
    // A compound does not go into a single number.
    MObject single = create("graphAdder", "single");
    EXPECT_FALSE(connect(plug(from, "outPos"), plug(single, "input")));
}

TEST_F(Evaluation, ArrayElementsAreVisitedInLogicalOrderAndBuildersKeepTheIndices) {
    MObject s = create("graphSummer", "s");
    plugNamed("s.values[7]").setValue(1.0);
    plugNamed("s.values[2]").setValue(2.0);
    plugNamed("s.values[5]").setValue(4.0);
    EXPECT_DOUBLE_EQ(plug(s, "sum").asDouble(), 7.0);
    const std::vector<unsigned int> order = {2, 5, 7};
    EXPECT_EQ(user<Summer>(s).visited, order);

    plugNamed("s.values[5]").setValue(10.0);
    EXPECT_DOUBLE_EQ(plug(s, "sum").asDouble(), 13.0);

    // An element fed by a connection counts too, and follows its source.
    MObject a = create("graphAdder", "a");
    plug(a, "input").setValue(100.0);
    ASSERT_TRUE(connect(plug(a, "output"), plugNamed("s.values[3]")));
    EXPECT_DOUBLE_EQ(plug(s, "sum").asDouble(), 113.0);
    plug(a, "input").setValue(200.0);
    EXPECT_DOUBLE_EQ(plug(s, "sum").asDouble(), 213.0);
    EXPECT_EQ(plug(s, "values").numElements(), 4u);

    // A builder keeps the logical indices of the output.
    MObject t = create("graphSummer", "t");
    plugNamed("t.values[9]").setValue(1.5);
    plugNamed("t.values[4]").setValue(-2.0);
    EXPECT_DOUBLE_EQ(plugNamed("t.doubled[9]").asDouble(), 3.0);
    EXPECT_DOUBLE_EQ(plugNamed("t.doubled[4]").asDouble(), -4.0);
    std::vector<unsigned int> indices;
    plug(t, "doubled").getExistingArrayAttributeIndices(indices);
    EXPECT_EQ(indices, (std::vector<unsigned int>{4, 9}));
}

TEST_F(Evaluation, TheTimeNodeDrivesItsDestinationsAndDataObjectsAreShared) {
    MObject a = create("graphAdder", "a");
    plug(a, "offset").setValue(0.5);
    ASSERT_TRUE(connect(plugNamed("time1.outTime"), plug(a, "input")));
    ASSERT_TRUE(MGlobal::viewFrame(12.0));
    EXPECT_DOUBLE_EQ(plug(a, "output").asDouble(), 12.5);
    ASSERT_TRUE(MGlobal::viewFrame(MTime(2.0, MTime::kSeconds)));
    EXPECT_DOUBLE_EQ(plug(a, "output").asDouble(),
                     MTime(2.0, MTime::kSeconds).as(MTime::uiUnit()) + 0.5);

    // Data objects are shared along connections.
    MObject first = create("graphTagger", "first");
    MObject second = create("graphTagger", "second");
    plug(first, "tag").setValue(3);
    plug(second, "tag").setValue(4);
    ASSERT_TRUE(connect(plug(first, "outPoints"), plug(second, "inPoints")));

    MObject produced, received;
    ASSERT_TRUE(plug(second, "outPoints").getValue(produced));
    ASSERT_TRUE(plug(first, "outPoints").getValue(received));
    MObject input;
    ASSERT_TRUE(plug(second, "inPoints").getValue(input));
    EXPECT_TRUE(input == received);

    MFnArrayAttrsData out(produced);
    MStatus status;
    MIntArray tags = out.getIntData("tag", &status);
    ASSERT_TRUE(status);
    ASSERT_EQ(tags.length(), 2u);
    EXPECT_EQ(tags[0], 3);
    EXPECT_EQ(tags[1], 4);

    // A new upstream value replaces the object downstream.
    plug(first, "tag").setValue(8);
    MObject again;
    plug(second, "outPoints").getValue(again);
    EXPECT_FALSE(again == produced);
    EXPECT_EQ(MFnArrayAttrsData(again).getIntData("tag")[0], 8);
}

}  // namespace
}  // namespace graphtest
