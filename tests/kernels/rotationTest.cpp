// The orientation kernel on the CPU backend: aim and up vectors from R, G, B,
// the order in which colours, layers, offsets and random terms change R, G,
// B, the hiding of points by an add layer, the random pool's period and
// seed, edge intersections, and refused input. Expected values are worked out
// by hand in the comments.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "kernels/backend.h"
#include "kernels/rotation.h"
#include "tests/kernels/probe/frameProbes.h"
#include "tests/kernels/vec3.h"

namespace {

using zt::testing::at;
using zt::testing::V3;

void aimAt(zt::RotationInput& input, float x, float y, float z) {
    input.target[0] = x;
    input.target[1] = y;
    input.target[2] = z;
}

// Edge data on, over the one triangle (0, 1, 2) of `meshPoints`.
void onTriangle(zt::RotationInput& input, std::vector<float> meshPoints) {
    input.computeLocalAim = true;
    input.meshPointCount = 3;
    input.meshPoints = std::move(meshPoints);
    input.triangleList = {0, 1, 2};
}

// Points at the origin on the plane y = 0 (normal +y), target (3, 5, 4): the
// target projects to (3, 0, 4), so the tangent direction is (0.6, 0, 0.8)
// and n x dir = (0.8, 0, -0.6).
zt::RotationInput originPoints(std::size_t n) {
    zt::RotationInput input;
    input.pointCount = n;
    input.positions.assign(3 * n, 0.0f);
    input.normals.assign(3 * n, 0.0f);
    for (std::size_t i = 0; i < n; ++i) input.normals[3 * i + 1] = 1.0f;
    input.triangles.assign(n, 0u);
    aimAt(input, 3.0f, 5.0f, 4.0f);
    return input;
}

// The same with start values (R, G, B) for every point.
zt::RotationInput originPointsWithRgb(float r, float g, float b) {
    zt::RotationInput input = originPoints(1);
    input.startRgb = {r, g, b};
    return input;
}

zt::RotationResult run(const zt::RotationInput& input) {
    zt::RotationResult result;
    EXPECT_EQ(zt::cpu::computeRotations(input, result), zt::KernelStatus::Ok);
    return result;
}

// One triangle (0,0,0), (2,0,0), (0,0,2) on y = 0 and one layer over it.
// The points sit at (u, v) = (0.25, 0.25), i.e. at (0.5, 0, 0.5).
void addTriangleLayer(zt::RotationInput& input, short type, float weight,
                      const std::vector<float>& cornerColors) {
    input.meshPointCount = 3;
    input.triangleList = {0, 1, 2};
    input.uvs.clear();
    for (std::size_t i = 0; i < input.pointCount; ++i) {
        input.uvs.push_back(0.25f);
        input.uvs.push_back(0.25f);
    }
    input.layerCount = static_cast<unsigned short>(input.layerCount + 1);
    input.layerColors.insert(input.layerColors.end(), cornerColors.begin(), cornerColors.end());
    input.layerWeights.push_back(weight);
    input.layerTypes.push_back(type);
}

std::vector<float> uniformCorners(float r, float g, float b, float a) {
    return {r, g, b, a, r, g, b, a, r, g, b, a};
}

TEST(RotationKernel, DefaultsAimAlongTheNormalWithUpFromNormalCrossTangent) {
    const zt::RotationResult result = run(originPoints(3));
    ASSERT_EQ(result.aim.size(), 9u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_V3_NEAR(at(result.aim, i), 0.0f, 1.0f, 0.0f, 0.0f);
        EXPECT_V3_NEAR(at(result.up, i), 0.8f, 0.0f, -0.6f, 1e-6f);
        EXPECT_V3_NEAR(at(result.rgb, i), 0.0f, 0.0f, 0.0f, 0.0f);
    }
    EXPECT_TRUE(result.intersection.empty());
}

TEST(RotationKernel, RBlendsTheAimFromNormalToTangentTowardsOrAwayFromTheTarget) {
    EXPECT_V3_NEAR(at(run(originPointsWithRgb(1, 0, 0)).aim, 0), 0.6f, 0.0f, 0.8f, 1e-6f);
    EXPECT_V3_NEAR(at(run(originPointsWithRgb(-1, 0, 0)).aim, 0), -0.6f, 0.0f, -0.8f, 1e-6f);
    // Halfway: the unnormalised sum 0.5 n + 0.5 dir.
    EXPECT_V3_NEAR(at(run(originPointsWithRgb(0.5f, 0, 0)).aim, 0), 0.3f, 0.5f, 0.4f, 1e-6f);
    // The up vector is n x dir whatever the sign of R.
    EXPECT_V3_NEAR(at(run(originPointsWithRgb(-1, 0, 0)).up, 0), 0.8f, 0.0f, -0.6f, 1e-6f);

    // A point away from the origin on a tilted plane: the tangent still points
    // at the target's projection and lies in the plane.
    zt::RotationInput tilted = originPointsWithRgb(1, 0, 0);
    tilted.positions = {1.0f, 1.0f, 0.0f};
    tilted.normals = {0.6f, 0.8f, 0.0f};  // plane 0.6x + 0.8y = 1.4
    aimAt(tilted, 0.0f, 0.0f, 2.0f);
    // T = (0, 0, 2) is 1.4 below the plane: Q = T + 1.4 n = (0.84, 1.12, 2),
    // Q - p = (-0.16, 0.12, 2).
    const float length = std::sqrt(0.16f * 0.16f + 0.12f * 0.12f + 4.0f);
    const V3 aim = at(run(tilted).aim, 0);
    EXPECT_V3_NEAR(aim, -0.16f / length, 0.12f / length, 2.0f / length, 1e-5f);
    EXPECT_NEAR(aim.dot(V3{0.6f, 0.8f, 0.0f}), 0.0f, 1e-6f);
}

TEST(RotationKernel, TargetOnTheNormalLineFallsBackToAFixedTangent) {
    zt::RotationInput input = originPointsWithRgb(1, 0, 0);
    input.normals = {0.0f, 0.6f, 0.8f};
    aimAt(input, 0.0f, 3.0f, 4.0f);
    // dir = n x (-1, 0, 0) = (0, -0.8, 0.6).
    EXPECT_V3_NEAR(at(run(input).aim, 0), 0.0f, -0.8f, 0.6f, 1e-6f);

    // Normal along x: that fallback vanishes too; the result is still a unit
    // tangent, never NaN.
    input.normals = {1.0f, 0.0f, 0.0f};
    aimAt(input, 5.0f, 0.0f, 0.0f);
    const V3 aim = at(run(input).aim, 0);
    EXPECT_NEAR(aim.dot(aim), 1.0f, 1e-6f);
    EXPECT_NEAR(aim.x, 0.0f, 1e-6f);
}

TEST(RotationKernel, GTurnsAboutTheNormalInWholeTurns) {
    // A quarter turn about +y takes (0.6, 0, 0.8) to (0.8, 0, -0.6) and the
    // up vector (0.8, 0, -0.6) to (-0.6, 0, -0.8).
    const zt::RotationResult quarter = run(originPointsWithRgb(1, 0.25f, 0));
    EXPECT_V3_NEAR(at(quarter.aim, 0), 0.8f, 0.0f, -0.6f, 1e-6f);
    EXPECT_V3_NEAR(at(quarter.up, 0), -0.6f, 0.0f, -0.8f, 1e-6f);

    // A full turn comes back, up to rounding.
    const zt::RotationResult full = run(originPointsWithRgb(1, 1.0f, 0));
    EXPECT_V3_NEAR(at(full.aim, 0), 0.6f, 0.0f, 0.8f, 1e-5f);
    EXPECT_V3_NEAR(at(full.up, 0), 0.8f, 0.0f, -0.6f, 1e-5f);
    EXPECT_FLOAT_EQ(at(full.rgb, 0).y, 1.0f);
}

TEST(RotationKernel, BRollsTheUpVectorAboutTheAim) {
    // R = 0: the aim is the normal (0, 1, 0); a quarter roll takes the up
    // vector (0.8, 0, -0.6) to (-0.6, 0, -0.8) and leaves the aim alone.
    const zt::RotationResult quarter = run(originPointsWithRgb(0, 0, 0.25f));
    EXPECT_V3_NEAR(at(quarter.aim, 0), 0.0f, 1.0f, 0.0f, 0.0f);
    EXPECT_V3_NEAR(at(quarter.up, 0), -0.6f, 0.0f, -0.8f, 1e-6f);

    // R = 1: rolling about the tangent keeps up perpendicular to the aim, of
    // unit length, at the rolled angle (1/8 turn = 45 degrees) from n x dir.
    const zt::RotationResult eighth = run(originPointsWithRgb(1, 0, 0.125f));
    const V3 aim = at(eighth.aim, 0);
    const V3 up = at(eighth.up, 0);
    EXPECT_V3_NEAR(aim, 0.6f, 0.0f, 0.8f, 1e-6f);
    EXPECT_NEAR(up.dot(aim), 0.0f, 1e-6f);
    EXPECT_NEAR(up.dot(up), 1.0f, 1e-6f);
    EXPECT_NEAR(up.dot(V3{0.8f, 0.0f, -0.6f}), std::sqrt(0.5f), 1e-6f);
}

TEST(RotationKernel, PointColourReplacesOrAddsBeforeTheOffsets) {
    zt::RotationInput input = originPointsWithRgb(0.5f, 0.5f, 0.5f);
    input.inColor = {1.0f, 0.25f, 0.0f};
    input.inColorFactor = 0.5f;
    // Replace: R = 0.5 * 0.5 + 1 * 0.5 = 0.75, G = 0.375, B = 0.25.
    EXPECT_V3_NEAR(at(run(input).rgb, 0), 0.75f, 0.375f, 0.25f, 1e-7f);
    // Add: R = 0.5 + 0.5 (2 - 1) = 1, G = 0.5 + 0.5 (0.5 - 1) = 0.25, B = 0.
    input.addColorMode = true;
    EXPECT_V3_NEAR(at(run(input).rgb, 0), 1.0f, 0.25f, 0.0f, 1e-7f);
    // Then the offsets: R is clamped after its offset, G and B are not.
    input.offsetR = 0.5f;
    input.offsetG = 2.0f;
    input.offsetB = -3.0f;
    EXPECT_V3_NEAR(at(run(input).rgb, 0), 1.0f, 2.25f, -3.0f, 1e-7f);
    input.offsetR = -1.5f;
    EXPECT_FLOAT_EQ(at(run(input).rgb, 0).x, -0.5f);
}

TEST(RotationKernel, ReplaceLayerBlendsByAlphaTimesWeight) {
    // Colour (0.4, 0.2, 0.1), alpha 1, weight 0.5: k = 0.5.
    // R = 0.6 * 0.5 + 0.5 * 0.4 = 0.5, G = 1 * 0.5 + 0.5 * 0.2 = 0.6,
    // B = 0 + 0.5 * 0.1 = 0.05.
    zt::RotationInput input = originPointsWithRgb(0.6f, 1.0f, 0.0f);
    addTriangleLayer(input, 0, 0.5f, uniformCorners(0.4f, 0.2f, 0.1f, 1.0f));
    zt::RotationResult result = run(input);
    EXPECT_V3_NEAR(at(result.rgb, 0), 0.5f, 0.6f, 0.05f, 1e-6f);
    EXPECT_EQ(result.visible[0], 1);

    // Alpha only at corner a: at (u, v) = (0.25, 0.25) alpha = 0.5, k = 0.25.
    // R = 0.6 * 0.75 + 0.25 * 0.4 = 0.55, G = 0.75 + 0.05 = 0.8, B = 0.025.
    input.layerColors = {0.4f, 0.2f, 0.1f, 1.0f, 0.4f, 0.2f, 0.1f, 0.0f, 0.4f, 0.2f, 0.1f, 0.0f};
    EXPECT_V3_NEAR(at(run(input).rgb, 0), 0.55f, 0.8f, 0.025f, 1e-6f);

    // Red beyond [-1, 1] is clamped per corner before interpolation; green is
    // not: red 3 acts as 1, green 3 stays 3. k = 1: R = 1, G = 3.
    input.layerColors = uniformCorners(3.0f, 3.0f, 0.0f, 1.0f);
    input.layerWeights = {1.0f};
    EXPECT_V3_NEAR(at(run(input).rgb, 0), 1.0f, 3.0f, 0.0f, 1e-6f);

    // Zero weight or zero alpha leaves R, G, B as they were.
    input.layerWeights = {0.0f};
    EXPECT_V3_NEAR(at(run(input).rgb, 0), 0.6f, 1.0f, 0.0f, 0.0f);
}

TEST(RotationKernel, AddLayerMovesByTwiceTheColourMinusOneAndHidesZeroAlpha) {
    // Colour (1, 0.75, 0.25), alpha 1, weight 0.5: k = 0.5.
    // R = 0 + 0.5 (2 - 1) = 0.5, G = 0.2 + 0.5 (1.5 - 1) = 0.45,
    // B = 0 + 0.5 (0.5 - 1) = -0.25.
    zt::RotationInput input = originPointsWithRgb(0.0f, 0.2f, 0.0f);
    addTriangleLayer(input, 1, 0.5f, uniformCorners(1.0f, 0.75f, 0.25f, 1.0f));
    EXPECT_V3_NEAR(at(run(input).rgb, 0), 0.5f, 0.45f, -0.25f, 1e-6f);

    // Two triangles: the first painted with alpha 1, the second with alpha 0.
    // Points on the second are hidden; R, G, B of hidden points are untouched.
    zt::RotationInput two = originPoints(4);
    two.triangles = {0, 1, 1, 0};
    addTriangleLayer(two, 1, 1.0f, {});
    two.meshPointCount = 6;
    two.triangleList = {0, 1, 2, 3, 4, 5};
    two.layerColors = uniformCorners(1.0f, 1.0f, 1.0f, 1.0f);
    const std::vector<float> hidden = uniformCorners(1.0f, 1.0f, 1.0f, 0.0f);
    two.layerColors.insert(two.layerColors.end(), hidden.begin(), hidden.end());
    const zt::RotationResult result = run(two);
    EXPECT_EQ(result.visible, (std::vector<std::uint8_t>{1, 0, 0, 1}));
    EXPECT_V3_NEAR(at(result.rgb, 0), 1.0f, 1.0f, 1.0f, 1e-6f);
    EXPECT_V3_NEAR(at(result.rgb, 1), 0.0f, 0.0f, 0.0f, 0.0f);

    // A replace layer with zero alpha never hides.
    two.layerTypes = {0};
    EXPECT_EQ(run(two).visible, (std::vector<std::uint8_t>{1, 1, 1, 1}));
}

TEST(RotationKernel, ActiveLayerProcessesOnlyThatLayer) {
    zt::RotationInput input = originPointsWithRgb(0, 0, 0);
    addTriangleLayer(input, 0, 1.0f, uniformCorners(0.5f, 0.0f, 0.0f, 1.0f));
    addTriangleLayer(input, 0, 1.0f, uniformCorners(0.25f, 0.0f, 0.0f, 1.0f));
    // Both: the second replaces the first, R = 0.25. Only layer 0: R = 0.5.
    EXPECT_FLOAT_EQ(at(run(input).rgb, 0).x, 0.25f);
    input.activeLayer = 0;
    EXPECT_FLOAT_EQ(at(run(input).rgb, 0).x, 0.5f);
    input.activeLayer = 1;
    EXPECT_FLOAT_EQ(at(run(input).rgb, 0).x, 0.25f);
}

TEST(RotationKernel, RandomTermsComeFromTheSeededPoolAndRepeatEvery10000Points) {
    const std::size_t n = 20005;
    zt::RotationInput input = originPoints(n);
    input.random = true;
    input.seed = 7;
    input.randomData[zt::kRandomAmplitude] = 0.5f;  // static term of R only
    const zt::RotationResult result = run(input);

    std::vector<float> pool;
    ASSERT_EQ(zt::cpu::randomBufferContents(zt::kRotationRandomPoolSize, 7, pool),
              zt::KernelStatus::Ok);
    float lowest = 1.0f, highest = -1.0f;
    for (std::size_t i = 0; i < n; ++i) {
        const float r = at(result.rgb, i).x;
        ASSERT_FLOAT_EQ(r, 0.5f * (2.0f * pool[i % pool.size()] - 1.0f)) << i;
        if (i + zt::kRotationRandomPoolSize < n) {
            ASSERT_EQ(r, at(result.rgb, i + zt::kRotationRandomPoolSize).x) << i;
        }
        lowest = std::min(lowest, r);
        highest = std::max(highest, r);
        EXPECT_EQ(at(result.rgb, i).y, 0.0f);
    }
    EXPECT_GT(lowest, -0.5f);
    EXPECT_LE(highest, 0.5f);
    EXPECT_LT(lowest, -0.45f);  // spread over the range
    EXPECT_GT(highest, 0.45f);

    // The same seed repeats; another seed does not.
    EXPECT_EQ(run(input).rgb, result.rgb);
    input.seed = 8;
    EXPECT_NE(run(input).rgb, result.rgb);
}

TEST(RotationKernel, OscillationUsesTheSpeedAndPhasePoolSlotsOfItsChannel) {
    const std::size_t n = 50;
    zt::RotationInput input = originPoints(n);
    input.random = true;
    input.seed = 3;
    // G: oscillation amplitude 0.5, speed from 1 to 3, time 2.
    input.randomData[zt::kOscillationAmplitude + 1] = 0.5f;
    input.randomData[zt::kMinSpeed + 1] = 1.0f;
    input.randomData[zt::kMaxSpeed + 1] = 3.0f;
    input.randomData[zt::kRandomTime + 1] = 2.0f;
    const zt::RotationResult result = run(input);
    std::vector<float> pool;
    ASSERT_EQ(zt::cpu::randomBufferContents(zt::kRotationRandomPoolSize, 3, pool),
              zt::KernelStatus::Ok);
    for (std::size_t i = 0; i < n; ++i) {
        // Speed from pool value i + 4, phase from pool value i + 7 (G's slots).
        const double speed = 1.0 + pool[i + 4] * 2.0;
        const double angle = 2.0 * speed + pool[i + 7] * 3.14159265359;
        EXPECT_NEAR(at(result.rgb, i).y, 0.5 * std::cos(angle), 2e-6) << i;
        EXPECT_EQ(at(result.rgb, i).x, 0.0f);
        EXPECT_EQ(at(result.rgb, i).z, 0.0f);
    }
}

TEST(RotationKernel, EdgeIntersectionsOfAPointInsideATriangle) {
    // Triangle a (0,0,0), b (2,0,0), c (0,0,2) on y = 0; the point (0.5, 0,
    // 0.5) looks along +x towards the target (1.5, 0, 0.5).
    //   edge a->b is parallel to the line: parameter 100, distance
    //     (0 + 2 * 100 - 0.5) / 1 = 199.5;
    //   edge b->c is met at (1.5, 0, 0.5): parameter 0.25, distance 1;
    //   edge c->a is met at (0, 0, 0.5): parameter 0.75, distance -0.5.
    zt::RotationInput input = originPoints(1);
    input.positions = {0.5f, 0.0f, 0.5f};
    aimAt(input, 1.5f, 0.0f, 0.5f);
    onTriangle(input, {0, 0, 0, 2, 0, 0, 0, 0, 2});
    zt::RotationResult result = run(input);
    ASSERT_EQ(result.intersection.size(), 3u);
    EXPECT_V3_NEAR(at(result.intersection, 0), 100.0f, 0.25f, 0.75f, 1e-6f);
    EXPECT_V3_NEAR(at(result.distanceToEdge, 0), 199.5f, 1.0f, -0.5f, 1e-5f);

    // The same in the plane z = 0, where the xy plane decides: triangle
    // (0,0,0), (2,0,0), (0,2,0), point (0.5, 0.5, 0) looking along +y.
    //   a->b met at (0.5, 0, 0): 0.25, distance -0.5;
    //   b->c met at (0.5, 1.5, 0): 0.75, distance 1;
    //   c->a parallel: 100, distance (2 - 2 * 100 - 0.5) / 1 = -198.5.
    input.positions = {0.5f, 0.5f, 0.0f};
    input.normals = {0.0f, 0.0f, 1.0f};
    aimAt(input, 0.5f, 1.5f, 0.0f);
    input.meshPoints = {0, 0, 0, 2, 0, 0, 0, 2, 0};
    result = run(input);
    EXPECT_V3_NEAR(at(result.intersection, 0), 0.25f, 0.75f, 100.0f, 1e-6f);
    EXPECT_V3_NEAR(at(result.distanceToEdge, 0), -0.5f, 1.0f, -198.5f, 1e-5f);

    // A far point: the line meets edge a->b's line 200 edge lengths before
    // its start, (0 - 1 * (0 + 20)) / 0.1 = -200, stored as -100; the
    // distance is then measured to the clamped point.
    input.meshPoints = {0, 0, 0, 0.1f, 0, 0, 0, 2, 0};
    input.positions = {-20.0f, 0.5f, 0.0f};
    input.target[0] = -20.0f;
    result = run(input);
    EXPECT_FLOAT_EQ(result.intersection[0], -100.0f);
    EXPECT_FLOAT_EQ(result.distanceToEdge[0], -0.5f);
}

// On a curved surface the normal is not that of the point's triangle and the
// line along dir misses the edges' lines; each crossing is still solved in
// the first coordinate plane whose denominator is at least 0.01. Triangle
// a (0,0,0), b (2,0,0), c (0,2,2) (in the plane y = z), the point (0.5, 0.5,
// 0.5) with n = (-0.48, -0.8, 0.36) and the target (2, 0.5, 2.5), which lies
// in the tangent plane (n . (1.5, 0, 2) = 0), so dir = (1.5, 0, 2) / 2.5 =
// (0.6, 0, 0.8). With S - p:
//   a->b, E = (2, 0, 0): xy gives q = 0 * 2 - 0.6 * 0 = 0, so xz:
//     q = 0.8 * 2 - 0.6 * 0 = 1.6, s = (0.6 * -0.5 - 0.8 * -0.5) / 1.6
//     = 0.0625; the point (0.125, 0, 0), distance (0.125 - 0.5) / 0.6
//     = -0.625 (the way there, (-0.375, -0.5, -0.5), is -0.625 dir only in
//     x and z);
//   b->c, E = (-2, 2, 2): q = 0 * -2 - 0.6 * 2 = -1.2, s = (0.6 * -0.5 -
//     0 * 1.5) / -1.2 = 0.25; the point (1.5, 0.5, 0.5), distance 1 / 0.6;
//   c->a, E = (0, -2, -2): q = 0 * 0 - 0.6 * -2 = 1.2, s = (0.6 * 1.5 -
//     0 * -0.5) / 1.2 = 0.75; the point (0, 0.5, 0.5), distance -0.5 / 0.6.
// With R = 0 the aim is the normal and up = n x dir = (-0.64, 0.6, 0.48).
TEST(RotationKernel, EdgeCrossingsOffACurvedSurfaceAreSolvedInCoordinatePlanes) {
    zt::RotationInput input = originPoints(1);
    input.positions = {0.5f, 0.5f, 0.5f};
    input.normals = {-0.48f, -0.8f, 0.36f};
    aimAt(input, 2.0f, 0.5f, 2.5f);
    onTriangle(input, {0, 0, 0, 2, 0, 0, 0, 2, 2});
    const zt::RotationResult result = run(input);
    ASSERT_EQ(result.intersection.size(), 3u);
    EXPECT_V3_NEAR(at(result.up, 0), -0.64f, 0.6f, 0.48f, 1e-6f);
    EXPECT_V3_NEAR(at(result.intersection, 0), 0.0625f, 0.25f, 0.75f, 1e-6f);
    EXPECT_V3_NEAR(at(result.distanceToEdge, 0), -0.625f, 1.0f / 0.6f, -0.5f / 0.6f, 1e-5f);
}

TEST(RotationKernel, RefusesInputItCouldNotReadSafely) {
    zt::RotationInput input = originPoints(2);
    onTriangle(input, {0, 0, 0, 2, 0, 0, 0, 0, 2});
    input.triangles = {0, 1};  // the mesh has one triangle
    std::string problem = zt::validateRotationInput(input);
    EXPECT_NE(problem.find("point 1 names triangle 1 but the mesh has 1 triangles"),
              std::string::npos)
        << problem;
    zt::RotationResult result;
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(zt::cpu::computeRotations(input, result), zt::KernelStatus::InvalidLaunch);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("names triangle 1"), std::string::npos);
    EXPECT_TRUE(result.aim.empty());

    input.triangles = {0, 0};
    EXPECT_EQ(zt::validateRotationInput(input), "");
    input.triangleList = {0, 1, 3};  // corner beyond the three vertices
    EXPECT_NE(zt::validateRotationInput(input).find("names vertex 3"), std::string::npos);
    input.triangleList = {0, 1, 2};
    input.normals.pop_back();
    EXPECT_EQ(zt::validateRotationInput(input), "normals has 5 values, expected 6");
    input.normals.push_back(1.0f);
    input.inColor = {1.0f, 2.0f};
    EXPECT_EQ(zt::validateRotationInput(input), "point colours has 2 values, expected 6");
    input.inColor.clear();
    addTriangleLayer(input, 0, 1.0f, uniformCorners(0, 0, 0, 1));
    input.layerColors.pop_back();
    EXPECT_EQ(zt::validateRotationInput(input), "layer colours has 11 values, expected 12");
}

TEST(RotationKernel, MemoryCheckRefusalNamesTheGroup) {
    zt::RotationInput input = originPoints(100);
    zt::RotationResult result;
    {
        zt::ScopedFreeMemoryOverride tight(28 * 100 - 1);
        EXPECT_EQ(zt::cpu::computeRotations(input, result), zt::KernelStatus::NotEnoughMemory);
        EXPECT_EQ(result.refusedGroup, zt::RotationMemoryGroup::kPoints);
    }
    input.random = true;
    input.randomData[0] = 0.5f;
    {
        // Enough for every point group (28n, 12n, 25n bytes), not for the pool.
        zt::ScopedFreeMemoryOverride tight(28 * 100);
        EXPECT_EQ(zt::cpu::computeRotations(input, result), zt::KernelStatus::NotEnoughMemory);
        EXPECT_EQ(result.refusedGroup, zt::RotationMemoryGroup::kRandomData);
    }
}

}  // namespace
