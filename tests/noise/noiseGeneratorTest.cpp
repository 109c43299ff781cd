// The gradient noise and its fractal sum, checked against the lattice
// properties and against values worked out by hand from the tables.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "noise/noiseGenerator.h"

namespace {

using zt::noise::buildNoiseTables;
using zt::noise::fractalNoise;
using zt::noise::kLatticeSize;
using zt::noise::noise2;
using zt::noise::NoiseGenerator;
using zt::noise::setNoiseParameters;

std::unique_ptr<NoiseGenerator> generator(int octaves, float frequency, float amplitude, int seed) {
    auto g = std::make_unique<NoiseGenerator>();
    setNoiseParameters(*g, octaves, frequency, amplitude, seed);
    return g;
}

TEST(NoiseTables, PermutationAndUnitGradientsRepeatedInTheSecondHalf) {
    for (int seed : {0, 1, 2, 77}) {
        auto g = generator(1, 1.0f, 1.0f, seed);
        buildNoiseTables(*g);
        EXPECT_FALSE(g->needsInit);
        std::vector<int> first(g->p, g->p + kLatticeSize);
        std::sort(first.begin(), first.end());
        for (int i = 0; i < kLatticeSize; ++i) ASSERT_EQ(first[i], i) << "seed " << seed;
        for (int i = 0; i < kLatticeSize + 2; ++i) {
            ASSERT_EQ(g->p[kLatticeSize + i], g->p[i]);
            ASSERT_EQ(g->g2[kLatticeSize + i][0], g->g2[i][0]);
            ASSERT_EQ(g->g2[kLatticeSize + i][1], g->g2[i][1]);
            ASSERT_EQ(g->g3[kLatticeSize + i][2], g->g3[i][2]);
        }
        for (int i = 0; i < kLatticeSize; ++i) {
            const float len2 = std::hypot(g->g2[i][0], g->g2[i][1]);
            ASSERT_NEAR(len2, 1.0f, 1e-5f) << "g2[" << i << "]";
            const float len3 = std::sqrt(g->g3[i][0] * g->g3[i][0] + g->g3[i][1] * g->g3[i][1] +
                                         g->g3[i][2] * g->g3[i][2]);
            ASSERT_NEAR(len3, 1.0f, 1e-5f) << "g3[" << i << "]";
            ASSERT_GE(g->g1[i], -1.0f);
            ASSERT_LT(g->g1[i], 1.0f);
        }
    }
}

TEST(NoiseParameters, OctavesClampedSeedNotNegative) {
    NoiseGenerator g;
    setNoiseParameters(g, 0, 2.0f, 3.0f, -4);
    EXPECT_EQ(g.octaves, 1);
    EXPECT_EQ(g.seed, 0);
    EXPECT_TRUE(g.needsInit);
    setNoiseParameters(g, 20, 1.0f, 1.0f, 9);
    EXPECT_EQ(g.octaves, 10);
    EXPECT_EQ(g.seed, 9);
}

TEST(Noise2, ZeroAtLatticePointsAndHandWorkedBetween) {
    auto g = generator(1, 1.0f, 1.0f, 3);
    buildNoiseTables(*g);
    for (float x : {-7.0f, -1.0f, 0.0f, 1.0f, 2.0f, 100.0f})
        for (float y : {-3.0f, 0.0f, 5.0f}) EXPECT_EQ(noise2(*g, x, y), 0.0f) << x << " " << y;

    // (0.5, 0): cell (0, 0) of the shifted lattice (4096 & 1023 = 0), rx0 =
    // 0.5, ry0 = 0, so sy = 0, sx = 0.5 and the value is the mean of
    // 0.5·g(b00).x and -0.5·g(b10).x.
    const int b00 = g->p[g->p[0]];
    const int b10 = g->p[g->p[1]];
    const float expected = 0.5f * (0.5f * g->g2[b00][0] + (-0.5f) * g->g2[b10][0]);
    EXPECT_NEAR(noise2(*g, 0.5f, 0.0f), expected, 1e-7f);

    // (0, 0.25): rx0 = 0 so only the y gradients of column bx0 count.
    const int b01 = g->p[g->p[0] + 1];
    const float sy = 0.25f * 0.25f * (3.0f - 2.0f * 0.25f);
    const float a = 0.25f * g->g2[b00][1];
    const float b = -0.75f * g->g2[b01][1];
    EXPECT_NEAR(noise2(*g, 0.0f, 0.25f), a + sy * (b - a), 1e-7f);
}

TEST(Noise2, BoundedAndSafeForAnyInput) {
    auto g = generator(1, 1.0f, 1.0f, 0);
    buildNoiseTables(*g);
    for (int i = 0; i < 2000; ++i) {
        const float x = -40.0f + 0.0371f * float(i);
        const float y = 13.0f - 0.0213f * float(i);
        const float v = noise2(*g, x, y);
        ASSERT_TRUE(std::isfinite(v));
        ASSERT_LE(std::fabs(v), 1.0f) << x << " " << y;
    }
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(noise2(*g, nan, 0.5f), 0.0f);
    EXPECT_EQ(noise2(*g, 0.5f, inf), 0.0f);
    // Beyond the int range every float is whole: the value is that of the
    // lattice line, finite.
    EXPECT_TRUE(std::isfinite(noise2(*g, 3.0e12f, 0.37f)));
    EXPECT_TRUE(std::isfinite(noise2(*g, -3.0e30f, 0.37f)));
}

TEST(FractalNoise, OctavesHalveTheWeightAndDoubleTheScale) {
    auto one = generator(1, 1.0f, 1.0f, 4);
    auto four = generator(4, 1.0f, 2.0f, 4);
    buildNoiseTables(*one);
    const float x = 0.3f, y = 1.7f;
    float expected = 0.0f;
    for (int k = 0; k < 4; ++k) {
        const float scale = float(1 << k);
        expected += 2.0f / scale * noise2(*one, x * scale, y * scale);
    }
    EXPECT_NEAR(fractalNoise(*four, x, y), expected, 1e-6f);
    EXPECT_FALSE(four->needsInit) << "tables built at the first evaluation";

    // Frequency scales the input: frequency 3 at x is frequency 1 at 3x.
    auto f3 = generator(2, 3.0f, 1.0f, 4);
    auto f1 = generator(2, 1.0f, 1.0f, 4);
    EXPECT_NEAR(fractalNoise(*f3, 0.2f, 0.45f), fractalNoise(*f1, 0.6f, 1.35f), 1e-6f);
}

TEST(FractalNoise, ZeroAtWholeNumbersForEveryOctaveCountAndAtZeroAmplitude) {
    for (int octaves = 1; octaves <= 10; ++octaves) {
        auto g = generator(octaves, 1.0f, 5.5f, octaves);
        for (float x : {-3.0f, 0.0f, 2.0f, 11.0f}) {
            ASSERT_EQ(fractalNoise(*g, x, 4.0f), 0.0f) << octaves << " octaves at " << x;
        }
        // Half-way between lattice points the field is not zero.
        EXPECT_NE(fractalNoise(*g, 0.5f, 0.5f) + fractalNoise(*g, 1.5f, 0.25f), 0.0f);
    }
    // Zero amplitude is zero everywhere.
    auto g = generator(6, 1.7f, 0.0f, 2);
    for (int i = 0; i < 50; ++i) ASSERT_EQ(fractalNoise(*g, 0.13f * float(i), -0.4f), 0.0f);
}

}  // namespace
