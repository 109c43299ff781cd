// ztPointsContainer: which points a sphere or box keeps and with what
// weight, for containers placed, scaled and moved by their world matrix; the
// channels of the kept points; and the inputs it refuses.

#include <maya/MFnDependencyNode.h>
#include <maya/MPlug.h>

#include <cmath>
#include <string>
#include <vector>

#include "filterTestUtil.h"
#include "host/src/graph/scene.h"

using namespace filtertest;

namespace {

class Container : public NodeTest {
protected:
    Container() : NodeTest("ztPointsContainer", "inside") {}
    // Points at the given places, with ids 0, 1, 2...
    void pointsAt(const std::vector<MVector>& positions) {
        std::vector<int> ids;
        for (size_t i = 0; i < positions.size(); ++i) ids.push_back(static_cast<int>(i));
        setPoints(node, "inPoints", PointSet().vectors("position", positions).ints("pointID", ids));
    }
    // Points on the x axis at the given distances.
    void pointsAlongX(const std::vector<double>& xs) {
        std::vector<MVector> positions;
        for (double x : xs) positions.emplace_back(x, 0, 0);
        pointsAt(positions);
    }
};

void expectWeights(const Output& out, const std::vector<int>& ids,
                   const std::vector<double>& weights) {
    EXPECT_EQ(out.ints("pointID"), ids);
    const std::vector<double> got = out.doubles("fallof");
    ASSERT_EQ(got.size(), weights.size());
    for (size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], weights[i], 1e-5) << "point " << i;
}

}  // namespace

TEST_F(Container, SphereWeightsAtTheDistancesOfTheFallofBand) {
    // Without a band: inside is 1, outside is dropped, in every direction.
    pointsAt({{0.999, 0, 0}, {1.001, 0, 0}, {0, -0.999, 0}, {0, 0, 1.001}, {0.5, 0.5, 0.5}});
    expectWeights(Output(node), {0, 2, 4}, {1, 1, 1});

    // Band 0.5: 1 up to 0.5, 0.5 at 0.75, 0.2 at 0.9, and exactly 1 is weight 0 (dropped).
    set(node, "fallof", 0.5f);
    pointsAlongX({0.25, 0.5, 0.75, 0.9, 1.0, -0.75});
    expectWeights(Output(node), {0, 1, 2, 3, 5}, {1, 1, 0.5, 0.2, 0.5});

    // The whole radius as band: the weight is one minus the distance.
    set(node, "fallof", 1.0f);
    pointsAlongX({0.0, 0.25, 0.6});
    expectWeights(Output(node), {0, 1, 2}, {1, 0.75, 0.4});
}

TEST_F(Container, BoxIsStrictAtItsFacesAndWeighsByTheLargestCoordinate) {
    set(node, "type", 1);
    pointsAt({{1, 0, 0}, {0.999, 0.999, -0.999}, {0, -1, 0}, {0.5, 0.5, 1.0001}});
    expectWeights(Output(node), {1}, {1});

    set(node, "fallof", 0.2f);
    pointsAt(
        {{0.9, 0, 0}, {0.5, 0.95, 0}, {0.7, -0.7, 0.7}, {0.2, 0.2, -0.85}, {0.99, 0.99, 0.99}});
    // 0.9 -> 0.5; |y| 0.95 -> 0.25; all inside 0.8 -> 1; |z| 0.85 -> 0.75; 0.99 -> 0.05.
    expectWeights(Output(node), {0, 1, 2, 3, 4}, {0.5, 0.25, 1, 0.75, 0.05});
}

TEST_F(Container, WorldMatrixPlacesScalesAndTurnsTheContainer) {
    // Scaled by 2: points up to distance 2 are kept; the band scales too.
    setMatrix(node, "inWorldMatrix", scaling(2));
    set(node, "fallof", 0.5f);
    pointsAlongX({0.5, 1.5, 1.9, 2.1, -1.99});
    expectWeights(Output(node), {0, 1, 2, 4}, {1, 0.5, 0.1, 0.01});

    // A box of half-size 1 stretched along y by 3 and turned 90 degrees about
    // z lies along x in the world: (2.5, 0, 0) is inside, (0, 2.5, 0) not.
    MMatrix stretch;
    stretch(1, 1) = 3.0;
    setMatrix(node, "inWorldMatrix", stretch * rotationZ(90));
    set(node, "type", 1);
    set(node, "fallof", 0.0f);
    pointsAt({{2.5, 0, 0}, {0, 2.5, 0}, {-2.9, 0.9, 0.9}});
    expectWeights(Output(node), {0, 2}, {1, 1});
}

TEST_F(Container, KeptPointsKeepEveryChannelAndGetFreshWeights) {
    setPoints(node, "inPoints",
              PointSet()
                  .vectors("position", {{0, 0, 0}, {5, 0, 0}, {0.5, 0, 0}})
                  .ints("pointID", {10, 11, 12})
                  .doubles("scaleValue", {0.125, 0.25, 0.375})
                  .vectors("normal", {{0, 1, 0}, {1, 0, 0}, {0, 0, 1}})
                  .doubles("fallof", {7, 7, 7}));
    Output out(node);
    EXPECT_EQ(out.ints("pointID"), (std::vector<int>{10, 12}));
    EXPECT_EQ(out.doubles("scaleValue"), (std::vector<double>{0.125, 0.375}));
    EXPECT_EQ(out.vectors("normal"), (std::vector<MVector>{{0, 1, 0}, {0, 0, 1}}));
    EXPECT_EQ(out.vectors("position"), (std::vector<MVector>{{0, 0, 0}, {0.5, 0, 0}}));
    EXPECT_EQ(out.doubles("fallof"), (std::vector<double>{1, 1}));

    // Nothing inside: every channel is there, empty.
    setMatrix(node, "inWorldMatrix", translation(100, 0, 0));
    Output none(node);
    ASSERT_TRUE(none.ok());
    for (const char* name : {"position", "pointID", "scaleValue", "normal", "fallof"}) {
        EXPECT_TRUE(none.has(name)) << name;
    }
    EXPECT_TRUE(none.vectors("position").empty());
    EXPECT_TRUE(none.doubles("fallof").empty());
}

TEST_F(Container, BadInputsAreReportedAndKeepThePreviousOutput) {
    pointsAlongX({0.0, 0.5, 3.0});
    const std::vector<int> before = Output(node).ints("pointID");
    ASSERT_EQ(before, (std::vector<int>{0, 1}));

    MMatrix flat;
    flat(1, 1) = 0.0;
    MMatrix notFinite;
    notFinite(3, 0) = std::nan("");

    const PointSet one = PointSet().vectors("position", {{0, 0, 0}}).ints("pointID", {5});
    const std::string singular = "inside.inWorldMatrix: the container matrix cannot be inverted";
    const std::string noPositions =
        "inside.inPoints: Input array does not contain position information";
    struct Case {
        const char* what;
        PointSet points;
        MMatrix matrix;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"a singular matrix", one, flat, singular},
        {"a matrix that is not finite", one, notFinite, singular},
        {"no positions", PointSet().ints("pointID", {5}), MMatrix(), noPositions},
        {"positions of another type", PointSet().doubles("position", {1.0}), MMatrix(),
         noPositions},
        {"an empty point set", PointSet(), MMatrix(), noPositions},
        {"channels of different lengths",
         PointSet().vectors("position", {{0, 0, 0}, {1, 0, 0}}).ints("pointID", {5}), MMatrix(),
         "inside.inPoints: channel 'pointID' has 1 elements, expected 2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        setPoints(node, "inPoints", c.points);
        setMatrix(node, "inWorldMatrix", c.matrix);
        expectRefused(
            c.message, [&] { return Output(node).ints("pointID"); }, before);
    }
}

TEST_F(Container, PlacedByATransformsWorldMatrixBeforeAndAfterConnecting) {
    // Scaled by 2 and moved to (10, 0, 0): only points near x = 10 are kept.
    // The transform is moved and scaled before the connection exists: the
    // connected element must bring the moved matrix, not a default.
    MStatus status;
    MObject mover = zt::host::createNode("transform", "mover", MObject::kNullObj, &status);
    ASSERT_TRUE(status);
    MFnDependencyNode fn(mover);
    fn.findPlug("translateX").setValue(10.0);
    for (const char* axis : {"scaleX", "scaleY", "scaleZ"}) fn.findPlug(axis).setValue(2.0);
    MPlug world = fn.findPlug("worldMatrix").elementByLogicalIndex(0);
    ASSERT_TRUE(zt::host::connectPlugs(world, MFnDependencyNode(node).findPlug("inWorldMatrix")));
    pointsAlongX({0.0, 8.5, 10.0, 11.9, 12.5, -10.0});
    set(node, "fallof", 0.5f);
    expectWeights(Output(node), {1, 2, 3}, {0.5, 1, 0.1});

    // Moving it afterwards moves the selection.
    fn.findPlug("translateX").setValue(-10.0);
    expectWeights(Output(node), {5}, {1});
}
