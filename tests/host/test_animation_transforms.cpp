// Key interpolation of animation curves and the split of a transform matrix
// back into translate, rotate and scale.

#include <gtest/gtest.h>

#include <maya/MMatrix.h>

#include <random>
#include <vector>

#include "graph/animCurve.h"
#include "graph/dag.h"

namespace {

using zt::host::AnimKey;
using zt::host::evaluateKeys;
using zt::host::TangentType;

std::vector<AnimKey> keys(std::initializer_list<std::pair<double, double>> points, TangentType in,
                          TangentType out) {
    std::vector<AnimKey> result;
    for (const auto& [t, v] : points) result.push_back(AnimKey{t, v, in, out});
    return result;
}

TEST(AnimKeys, InterpolateBetweenKeysAsTheirTangentsSay) {
    const auto linear =
        keys({{1, 0}, {10, 9}, {12, 5}}, TangentType::kLinear, TangentType::kLinear);
    EXPECT_DOUBLE_EQ(evaluateKeys(linear, 5.5), 4.5);
    EXPECT_DOUBLE_EQ(evaluateKeys(linear, 11), 7.0);
    EXPECT_DOUBLE_EQ(evaluateKeys(linear, -4), 0.0);  // held before the first key
    EXPECT_DOUBLE_EQ(evaluateKeys(linear, 99), 5.0);  // and after the last
    EXPECT_DOUBLE_EQ(evaluateKeys(linear, 10), 9.0);

    // Spline through (0,0), (10,10), (20,0): slopes 1, 0, -1, so at the
    // middle of the first segment 10 * (1/8) + 10 / 2 = 6.25.
    const auto spline =
        keys({{0, 0}, {10, 10}, {20, 0}}, TangentType::kSpline, TangentType::kSpline);
    EXPECT_DOUBLE_EQ(evaluateKeys(spline, 5), 6.25);
    EXPECT_DOUBLE_EQ(evaluateKeys(spline, 15), 6.25);
    // Two spline keys are a straight line.
    const auto two = keys({{0, 2}, {4, 6}}, TangentType::kSpline, TangentType::kSpline);
    EXPECT_DOUBLE_EQ(evaluateKeys(two, 1), 3.0);

    // Clamped: the middle key equals its left neighbour, so it is flat and
    // the second segment starts level; a spline slope there would be 0.5.
    const auto clampedKeys =
        keys({{0, 0}, {10, 0}, {20, 10}}, TangentType::kClamped, TangentType::kClamped);
    auto splineKeys = clampedKeys;
    for (auto& k : splineKeys) k.in = k.out = TangentType::kSpline;
    // s = 1/2, m1 = 1 * 10: m0 = 0 gives 10/2 - 10/8 = 3.75; m0 = 0.5 * 10 adds 5/8.
    EXPECT_DOUBLE_EQ(evaluateKeys(clampedKeys, 15), 3.75);
    EXPECT_DOUBLE_EQ(evaluateKeys(splineKeys, 15), 4.375);

    // Step holds; mixed sides use the linear side's straight slope.
    auto step = keys({{0, 1}, {4, 3}}, TangentType::kStep, TangentType::kStep);
    EXPECT_DOUBLE_EQ(evaluateKeys(step, 3.999), 1.0);
    EXPECT_DOUBLE_EQ(evaluateKeys(step, 4), 3.0);
    auto mixed = keys({{0, 0}, {2, 2}}, TangentType::kFlat, TangentType::kFlat);
    mixed[0].out = TangentType::kFlat;
    mixed[1].in = TangentType::kLinear;  // slope 1
    // s = 1/2, m0 = 0, m1 = 2: 2/2 - 2/8 = 0.75.
    EXPECT_DOUBLE_EQ(evaluateKeys(mixed, 1), 0.75);

    EXPECT_DOUBLE_EQ(evaluateKeys({}, 3), 0.0);
}

TEST(AnimKeys, AutoTangentsNeverOvershootAndTangentNamesRoundTrip) {
    const auto k =
        keys({{0, 0}, {1, 10}, {2, 10.1}, {3, 30}, {4, 0}}, TangentType::kAuto, TangentType::kAuto);
    for (int i = 0; i + 1 < static_cast<int>(k.size()); ++i) {
        const double lo = std::min(k[i].value, k[i + 1].value);
        const double hi = std::max(k[i].value, k[i + 1].value);
        for (int s = 0; s <= 100; ++s) {
            const double v = evaluateKeys(k, k[i].time + s / 100.0);
            EXPECT_GE(v, lo - 1e-12) << "segment " << i << " step " << s;
            EXPECT_LE(v, hi + 1e-12) << "segment " << i << " step " << s;
        }
    }
    // Flat at the ends and at the peak: symmetric around the peak's segment ends.
    EXPECT_NEAR(evaluateKeys(k, 3.5), 15.0, 1e-12);

    TangentType t;
    for (const char* name : {"spline", "linear", "flat", "step", "clamped", "auto"}) {
        ASSERT_TRUE(zt::host::tangentTypeFromName(name, t)) << name;
        EXPECT_STREQ(zt::host::tangentTypeName(t), name);
    }
    EXPECT_FALSE(zt::host::tangentTypeFromName("Linear", t));
    EXPECT_FALSE(zt::host::tangentTypeFromName("", t));
}

void expectSameMatrix(const MMatrix& a, const MMatrix& b, const char* what) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(a[r][c], b[r][c], 1e-9) << what << " " << r << c;
}

TEST(TransformSplit, RecoversTranslateRotateAndScale) {
    const double t[3] = {1, -2, 3}, r[3] = {10, 20, 30}, s[3] = {2, 0.5, 3};
    double t2[3], r2[3], s2[3];
    zt::host::decomposeTransform(zt::host::composeTransform(t, r, s), t2, r2, s2);
    for (int k = 0; k < 3; ++k) {
        EXPECT_NEAR(t2[k], t[k], 1e-9);
        EXPECT_NEAR(r2[k], r[k], 1e-9);
        EXPECT_NEAR(s2[k], s[k], 1e-9);
    }

    // Random transforms (Y within +-89 degrees, some mirrored) compose back.
    std::mt19937 random(7);
    std::uniform_real_distribution<double> angle(-179, 179), tilt(-89, 89), size(0.1, 4);
    for (int i = 0; i < 200; ++i) {
        const double tr[3] = {angle(random), angle(random), angle(random)};
        const double ro[3] = {angle(random), tilt(random), angle(random)};
        const double sc[3] = {(i % 3 == 0 ? -1 : 1) * size(random), size(random), size(random)};
        const MMatrix m = zt::host::composeTransform(tr, ro, sc);
        double a[3], b[3], c[3];
        zt::host::decomposeTransform(m, a, b, c);
        expectSameMatrix(zt::host::composeTransform(a, b, c), m, "random transform");
    }

    // Y at 90 degrees: X and Z turn about the same axis; the split still
    // gives the same matrix.
    const double gimbal[3] = {30, 90, 0}, one[3] = {1, 1, 1}, zero[3] = {0, 0, 0};
    const MMatrix g = zt::host::composeTransform(zero, gimbal, one);
    double a[3], b[3], c[3];
    zt::host::decomposeTransform(g, a, b, c);
    EXPECT_NEAR(b[1], 90.0, 1e-9);
    expectSameMatrix(zt::host::composeTransform(a, b, c), g, "gimbal");
}

}  // namespace
