// The per-point scale and object id kernels on flat inputs: the blends,
// picks and random terms checked against values worked out by hand or from
// the same random pool.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "kernels/backendFunctions.h"
#include "kernels/pointId.h"
#include "kernels/pointScale.h"

namespace {

// The pool the kernels draw for a seed, as the CPU backend draws it.
std::vector<float> pool(unsigned int size, unsigned int seed) {
    std::vector<float> values(size);
    EXPECT_EQ(zt::cpu::generateUniform(values.data(), size, seed), zt::KernelStatus::Ok);
    return values;
}

// One triangle (vertices 0, 1, 2) and points on it at the given (u, v).
struct OneTriangle {
    std::vector<unsigned int> triangles{0, 1, 2};
    std::vector<unsigned int> pointTriangles;
    std::vector<float> uvs;
    std::vector<float> colors;  // RGBA per vertex per layer

    explicit OneTriangle(std::size_t points) : pointTriangles(points, 0), uvs(2 * points, 0.25f) {}

    void addLayer(float r, float g, float b, float a) {
        for (int v = 0; v < 3; ++v) colors.insert(colors.end(), {r, g, b, a});
    }

    zt::PaintedLayers layers() const {
        zt::PaintedLayers l;
        l.count = static_cast<unsigned short>(colors.size() / 12);
        l.vertexCount = 3;
        l.colors = colors.data();
        l.triangles = triangles.data();
        l.triangleCount = 1;
        l.pointTriangles = pointTriangles.data();
        l.pointUvs = uvs.data();
        return l;
    }
};

TEST(ScaleKernel, BaseColourAndLayers) {
    std::vector<float> scales;
    zt::ScaleSettings defaults;
    ASSERT_EQ(zt::computeScales(defaults, 5, scales), zt::KernelStatus::Ok);
    EXPECT_EQ(scales, std::vector<float>(15, 1.0f));

    // Uniform mode takes x alone, from the base, the colour's red and the layers.
    zt::ScaleSettings uniform;
    uniform.scaleX = 2.0f;
    uniform.scaleY = 7.0f;
    uniform.scaleZ = 9.0f;
    const std::vector<float> color{0.5f, 0.1f, 0.9f};
    uniform.inColor = color.data();
    uniform.inColorFactor = 1.0f;
    ASSERT_EQ(zt::computeScales(uniform, 1, scales), zt::KernelStatus::Ok);
    EXPECT_EQ(scales, (std::vector<float>{1.0f, 1.0f, 1.0f}));

    // Per axis, half the colour: m = 0.5 * c + 0.5.
    zt::ScaleSettings perAxis = uniform;
    perAxis.uniform = false;
    perAxis.inColorFactor = 0.5f;
    ASSERT_EQ(zt::computeScales(perAxis, 1, scales), zt::KernelStatus::Ok);
    EXPECT_FLOAT_EQ(scales[0], 2.0f * 0.75f);
    EXPECT_FLOAT_EQ(scales[1], 7.0f * 0.55f);
    EXPECT_FLOAT_EQ(scales[2], 9.0f * 0.95f);

    // An add layer of factor 2 over opaque white adds 2; a multiply layer of
    // red 0.25 at weight 1 replaces the multiplier; a transparent layer and a
    // layer of weight 0 change nothing.
    OneTriangle tri(1);
    tri.addLayer(1, 1, 1, 1);
    tri.addLayer(0.25f, 0.5f, 0.75f, 1);
    tri.addLayer(5, 5, 5, 0);
    tri.addLayer(5, 5, 5, 1);
    const std::vector<short> types{1, 0, 0, 0};
    const std::vector<float> factors{2, 1, 1, 1};
    const std::vector<float> weights{1, 1, 1, 0};
    zt::ScaleSettings layered;
    layered.uniform = false;
    layered.scaleX = layered.scaleY = layered.scaleZ = 4.0f;
    layered.layers = tri.layers();
    layered.layerTypes = types.data();
    layered.layerFactors = factors.data();
    layered.layerWeights = weights.data();
    ASSERT_EQ(zt::computeScales(layered, 1, scales), zt::KernelStatus::Ok);
    EXPECT_FLOAT_EQ(scales[0], 4.0f * 0.25f + 2.0f);
    EXPECT_FLOAT_EQ(scales[1], 4.0f * 0.5f + 2.0f);
    EXPECT_FLOAT_EQ(scales[2], 4.0f * 0.75f + 2.0f);
}

TEST(ScaleKernel, RandomTermIsOneSidedPerAxisAndRepeatsEvery1000Points) {
    zt::ScaleSettings settings;
    settings.uniform = false;
    settings.randomZ = 0.5f;
    settings.seed = 42;
    const std::size_t n = 2500;
    std::vector<float> scales;
    ASSERT_EQ(zt::computeScales(settings, n, scales), zt::KernelStatus::Ok);
    const std::vector<float> values = pool(zt::kScalePoolSize, 42);
    for (std::size_t i = 0; i < n; ++i) {
        EXPECT_EQ(scales[3 * i], 1.0f);
        EXPECT_EQ(scales[3 * i + 1], 1.0f);
        const float z = scales[3 * i + 2];
        ASSERT_EQ(z, 1.0f + values[(i + 2) % 1000] * 0.5f) << i;
        ASSERT_GT(z, 1.0f);
        ASSERT_LE(z, 1.5f);
        if (i >= 1000) {
            ASSERT_EQ(z, scales[3 * (i - 1000) + 2]);
        }
    }
    settings.seed = 43;
    std::vector<float> other;
    ASSERT_EQ(zt::computeScales(settings, n, other), zt::KernelStatus::Ok);
    EXPECT_NE(other, scales);
}

TEST(PointIdKernel, WeightedListFollowsTheWeights) {
    const std::vector<unsigned int> ids{10, 20, 30};
    const std::vector<float> weights{1, 0, 3};
    zt::PointIdSettings settings;
    settings.baseId = 99;
    settings.listIds = ids.data();
    settings.listWeights = weights.data();
    settings.listCount = 3;
    const std::size_t n = 100000;
    std::vector<unsigned int> out;
    ASSERT_EQ(zt::computePointIds(settings, n, out), zt::KernelStatus::Ok);
    std::size_t first = 0, third = 0;
    for (unsigned int id : out) {
        ASSERT_TRUE(id == 10 || id == 30) << id;  // weight 0 and the base never appear
        (id == 10 ? first : third) += 1;
    }
    // The pool holds 10 000 values reused ten times, so the share is that of
    // 10 000 draws: within 2 % of 1/4 (about four standard deviations).
    EXPECT_NEAR(static_cast<double>(first) / n, 0.25, 0.02);
    EXPECT_EQ(first + third, n);
    for (std::size_t i = 0; i + 10000 < n; i += 997) EXPECT_EQ(out[i], out[i + 10000]);

    // One entry wins everywhere whatever its weight; weight 0 keeps the base.
    const std::vector<float> half{0.5f};
    settings.listWeights = half.data();
    settings.listCount = 1;
    ASSERT_EQ(zt::computePointIds(settings, 50, out), zt::KernelStatus::Ok);
    EXPECT_EQ(out, std::vector<unsigned int>(50, 10));
    const std::vector<float> none{0.0f};
    settings.listWeights = none.data();
    ASSERT_EQ(zt::computePointIds(settings, 50, out), zt::KernelStatus::Ok);
    EXPECT_EQ(out, std::vector<unsigned int>(50, 99));
}

// A point takes the layer's first id when its third pool value is at most
// the paint's alpha and its second at most the red strength; transparent
// paint never changes the id.
TEST(PointIdKernel, PaintedLayersPickByStrengthAndAlpha) {
    const std::size_t n = 20000;
    const std::vector<float> values = pool(zt::kPointIdPoolSize, 7);
    const std::vector<unsigned int> layerIds{4, 5, 6};
    zt::PointIdSettings settings;
    settings.baseId = 1;
    settings.seed = 7;
    settings.layerIds = layerIds.data();
    const float paints[][4] = {{1, 0, 0, 1}, {1, 0, 0, 0.5f}, {0.5f, 0, 0, 1}, {1, 1, 1, 0}};
    for (const auto& paint : paints) {
        SCOPED_TRACE(::testing::Message() << "red " << paint[0] << " alpha " << paint[3]);
        OneTriangle painted(n);
        painted.addLayer(paint[0], paint[1], paint[2], paint[3]);
        settings.layers = painted.layers();
        std::vector<unsigned int> out;
        ASSERT_EQ(zt::computePointIds(settings, n, out), zt::KernelStatus::Ok);
        ASSERT_EQ(out.size(), n);
        std::size_t changed = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const bool picked =
                values[(i + 2) % 10000] <= paint[3] && values[(i + 1) % 10000] <= paint[0];
            ASSERT_EQ(out[i], picked ? 4u : 1u) << i;
            changed += picked;
        }
        EXPECT_NEAR(static_cast<double>(changed) / n, paint[0] * paint[3], 0.03);
    }
}

TEST(PointIdKernel, ColourPicksNarrowTo16Bits) {
    zt::PointIdSettings settings;
    settings.baseId = 3;
    settings.idRed = 40000;
    settings.idGreen = 8;
    settings.idBlue = 9;
    const std::vector<float> colors{1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 2};
    settings.inColor = colors.data();
    std::vector<unsigned int> out;
    ASSERT_EQ(zt::computePointIds(settings, 4, out), zt::KernelStatus::Ok);
    EXPECT_EQ(static_cast<int>(out[0]), 40000 - 65536);
    EXPECT_EQ(out[1], 8u);
    EXPECT_EQ(out[2], 3u);  // black leaves the id alone
    EXPECT_EQ(out[3], 9u);  // components clamp to 1: pure blue
}

}  // namespace
