// ztPointsTransform: positions move as points, the aiming channels as
// directions, in the row-vector convention of the host's matrices; other
// channels pass through; bad aiming channels and matrices are refused.

#include <cmath>
#include <string>
#include <vector>

#include "filterTestUtil.h"

using namespace filtertest;

namespace {

class Transform : public NodeTest {
protected:
    Transform() : NodeTest("ztPointsTransform", "move") {}
};

const std::vector<MVector> kPositions = {{0, 0, 0}, {1, -2, 0.5}};
const std::vector<MVector> kAim = {{1, 0, 0}, {0, 0.6, 0.8}};

PointSet aimedPoints() {
    return PointSet()
        .vectors("position", kPositions)
        .vectors("aimDirection", kAim)
        .vectors("aimPosition", {{5, 5, 5}, {0, 1, 0}})
        .vectors("aimWorldUp", {{0, 1, 0}, {0, 1, 0}})
        .vectors("normal", {{0, 1, 0}, {0, 0, 1}})
        .ints("pointID", {3, 4});
}

}  // namespace

TEST_F(Transform, TranslationMovesPositionsOnly) {
    setPoints(node, "inPoints", aimedPoints());
    setMatrix(node, "inWorldMatrix", translation(1, 2, 3));
    Output out(node);
    expectNear(out.vectors("position"), {{1, 2, 3}, {2, 0, 3.5}});
    expectNear(out.vectors("aimDirection"), kAim);
    expectNear(out.vectors("aimPosition"), {{5, 5, 5}, {0, 1, 0}});
    expectNear(out.vectors("aimWorldUp"), {{0, 1, 0}, {0, 1, 0}});
    // Channels that are not directions are not transformed.
    EXPECT_EQ(out.vectors("normal"), (std::vector<MVector>{{0, 1, 0}, {0, 0, 1}}));
    EXPECT_EQ(out.ints("pointID"), (std::vector<int>{3, 4}));
}

TEST_F(Transform, ScaleAndRotationApplyToPositionsAndDirections) {
    setPoints(node, "inPoints", aimedPoints());
    setMatrix(node, "inWorldMatrix", scaling(2));
    Output scaled(node);
    expectNear(scaled.vectors("position"), {{0, 0, 0}, {2, -4, 1}});
    const std::vector<MVector> aim = scaled.vectors("aimDirection");
    expectNear(aim, {{2, 0, 0}, {0, 1.2, 1.6}});
    ASSERT_EQ(aim.size(), 2u);
    EXPECT_NEAR(aim[1].length(), 2.0, 1e-5);  // not normalised

    // A quarter turn about z takes x to y (p * M): then the translation.
    setMatrix(node, "inWorldMatrix", rotationZ(90) * translation(0, 0, 10));
    Output turned(node);
    expectNear(turned.vectors("position"), {{0, 0, 10}, {2, 1, 10.5}});
    expectNear(turned.vectors("aimDirection"), {{0, 1, 0}, {-0.6, 0, 0.8}});
    expectNear(turned.vectors("aimWorldUp"), {{-1, 0, 0}, {-1, 0, 0}});

    // The identity leaves everything where it was.
    setMatrix(node, "inWorldMatrix", MMatrix());
    Output same(node);
    expectNear(same.vectors("position"), kPositions);
    expectNear(same.vectors("aimDirection"), kAim);
}

TEST_F(Transform, PointsWithoutAimingChannelsAreTransformedQuietly) {
    setPoints(node, "inPoints", PointSet().vectors("position", {{1, 1, 1}}).doubles("w", {0.5}));
    setMatrix(node, "inWorldMatrix", translation(0, -1, 0));
    std::vector<MVector> position;
    const std::vector<std::string> errors =
        errorsOf([&] { position = Output(node).vectors("position"); });
    EXPECT_TRUE(errors.empty());
    expectNear(position, {{1, 0, 1}});
    EXPECT_EQ(Output(node).names(), (std::vector<std::string>{"position", "w"}));
}

TEST_F(Transform, BadInputsAreReportedAndKeepThePreviousOutput) {
    setPoints(node, "inPoints", aimedPoints());
    setMatrix(node, "inWorldMatrix", translation(1, 0, 0));
    const std::vector<MVector> before = Output(node).vectors("position");
    ASSERT_EQ(before.size(), 2u);

    MMatrix notFinite;
    notFinite(0, 0) = std::nan("");
    struct Case {
        const char* what;
        PointSet points;
        MMatrix matrix;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"an up vector of another length",
         PointSet().vectors("position", kPositions).vectors("aimWorldUp", {{0, 1, 0}}), MMatrix(),
         "move.inPoints: wrong 'aimWorldUp' attribute array length"},
        {"an aim channel of another type",
         PointSet().vectors("position", kPositions).doubles("aimDirection", {1, 2}), MMatrix(),
         "move.inPoints: wrong 'aimDirection' attribute type"},
        {"no positions", PointSet().vectors("aimDirection", kAim), MMatrix(),
         "move.inPoints: Points position missing"},
        {"an empty point set", PointSet(), MMatrix(), "move.inPoints: Points position missing"},
        {"positions of another type", PointSet().doubles("position", {1, 2}), MMatrix(),
         "move.inPoints: wrong 'position' attribute type"},
        {"a matrix that is not finite", aimedPoints(), notFinite,
         "move.inWorldMatrix: the matrix holds a value that is not a finite number"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        setPoints(node, "inPoints", c.points);
        setMatrix(node, "inWorldMatrix", c.matrix);
        expectRefused(
            c.message, [&] { return Output(node).vectors("position"); }, before);
    }
}
