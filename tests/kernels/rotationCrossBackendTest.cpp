// The orientation kernel gives the same results on the CUDA and CPU backends:
// the same bits for everything computed without sin and cos (R, G, B without
// the oscillating terms, the edge intersections, the visibility), and the
// same values within float rounding where sin and cos enter (aim and up
// vectors, oscillating R, G, B). Runs where the CUDA backend is built and a
// device is present (scripts/device-check); skipped elsewhere.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "kernels/backendFunctions.h"
#include "kernels/rotation.h"

namespace {

// 200 000 points on a 60 x 60 vertex grid with bumps, normals leaning every
// way, three painted layers (one an add layer with zero-alpha patches, which
// the third layer makes the last processed), a colour array and static
// random terms on R, G and B.
zt::RotationInput makeInput() {
    constexpr unsigned int kSide = 60;
    constexpr std::size_t kPoints = 200000;
    zt::RotationInput input;
    input.pointCount = kPoints;
    input.meshPointCount = kSide * kSide;
    std::mt19937 random(21);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    for (unsigned int y = 0; y < kSide; ++y) {
        for (unsigned int x = 0; x < kSide; ++x) {
            input.meshPoints.insert(input.meshPoints.end(),
                                    {0.1f * x, 0.3f * unit(random), 0.1f * y});
        }
    }
    for (unsigned int y = 0; y + 1 < kSide; ++y) {
        for (unsigned int x = 0; x + 1 < kSide; ++x) {
            const unsigned int v = y * kSide + x;
            input.triangleList.insert(input.triangleList.end(),
                                      {v, v + 1, v + kSide, v + 1, v + kSide + 1, v + kSide});
        }
    }
    const auto triangleCount = static_cast<unsigned int>(input.triangleList.size() / 3);
    for (std::size_t i = 0; i < kPoints; ++i) {
        const unsigned int t = static_cast<unsigned int>(random() % triangleCount);
        const float u = unit(random), v = unit(random) * (1.0f - u);
        input.triangles.push_back(t);
        input.uvs.insert(input.uvs.end(), {u, v});
        for (unsigned int k = 0; k < 3; ++k) {
            const float a = input.meshPoints[3 * input.triangleList[3 * t] + k];
            const float b = input.meshPoints[3 * input.triangleList[3 * t + 1] + k];
            const float c = input.meshPoints[3 * input.triangleList[3 * t + 2] + k];
            input.positions.push_back(a + u * (b - a) + v * (c - a));
        }
        const float n[3] = {unit(random) - 0.5f, 0.5f + unit(random), unit(random) - 0.5f};
        const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        for (const float c : n) input.normals.push_back(c / length);
        for (int k = 0; k < 3; ++k) input.inColor.push_back(unit(random));
    }
    input.target[0] = 3.0f;
    input.target[1] = 1.0f;
    input.target[2] = 2.5f;
    input.layerCount = 3;
    input.layerColors.resize(4u * input.meshPointCount * 3);
    for (std::size_t k = 0; k < input.layerColors.size(); ++k) {
        // Red beyond [-1, 1] sometimes, alpha zero on a third of the vertices.
        const float value = unit(random);
        input.layerColors[k] = k % 4 == 0                      ? 3.0f * value - 1.5f
                               : (k % 4 == 3 && value < 0.33f) ? 0.0f
                                                               : value;
    }
    input.layerWeights = {1.0f, 0.5f, 0.75f};
    input.layerTypes = {0, 0, 1};
    input.inColorFactor = 0.5f;
    input.offsetR = 0.1f;
    input.offsetG = 0.2f;
    input.offsetB = -0.1f;
    input.random = true;
    input.seed = 77;
    input.randomData[0] = 0.2f;
    input.randomData[1] = 0.1f;
    input.randomData[2] = 0.3f;
    input.computeLocalAim = true;
    return input;
}

bool sameBits(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

// Largest difference between two arrays of equal length, relative to the
// magnitude of the values (at least 1).
float largestDifference(const std::vector<float>& a, const std::vector<float>& b) {
    float worst = 0.0f;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const float scale = std::fmax(1.0f, std::fabs(a[i]));
        worst = std::fmax(worst, std::fabs(a[i] - b[i]) / scale);
    }
    return worst;
}

class RotationCrossBackend : public ::testing::Test {
protected:
    void SetUp() override {
#if ZT_HAVE_CUDA
        std::string reason;
        if (!zt::cuda::deviceAvailable(&reason)) {
            GTEST_SKIP() << "no CUDA device (" << reason << "): cross-backend checks did not run";
        }
#else
        GTEST_SKIP() << "this build has no CUDA backend: cross-backend checks did not run";
#endif
    }

    static void runBoth(const zt::RotationInput& input, zt::RotationResult& onCpu,
                        zt::RotationResult& onCuda) {
        ASSERT_EQ(zt::cpu::computeRotations(input, onCpu), zt::KernelStatus::Ok);
#if ZT_HAVE_CUDA
        ASSERT_EQ(zt::cuda::computeRotations(input, onCuda), zt::KernelStatus::Ok);
#else
        (void)onCuda;
#endif
    }
};

TEST_F(RotationCrossBackend, SameBitsWithoutSinAndCosWithinRoundingElsewhere) {
    const zt::RotationInput input = makeInput();
    zt::RotationResult onCpu, onCuda;
    runBoth(input, onCpu, onCuda);
    EXPECT_TRUE(sameBits(onCpu.rgb, onCuda.rgb));
    EXPECT_TRUE(sameBits(onCpu.intersection, onCuda.intersection));
    EXPECT_TRUE(sameBits(onCpu.distanceToEdge, onCuda.distanceToEdge));
    EXPECT_EQ(onCpu.visible, onCuda.visible);
    // Both outcomes of the hiding layer occur.
    std::size_t hidden = 0;
    for (const std::uint8_t v : onCpu.visible) hidden += v == 0;
    EXPECT_GT(hidden, 0u);
    EXPECT_LT(hidden, onCpu.visible.size());
    ASSERT_EQ(onCuda.aim.size(), onCpu.aim.size());
    ASSERT_EQ(onCuda.up.size(), onCpu.up.size());
    EXPECT_LT(largestDifference(onCpu.aim, onCuda.aim), 1e-5f);
    EXPECT_LT(largestDifference(onCpu.up, onCuda.up), 1e-5f);
}

TEST_F(RotationCrossBackend, OscillatingTermsAgreeWithinRounding) {
    zt::RotationInput input = makeInput();
    const float timing[12] = {0.5f, 1.0f, 2.0f, 3.0f, 2.5f, 4.0f,
                              7.0f, 1.5f, 3.0f, 0.3f, 0.2f, 0.1f};
    for (unsigned int k = 0; k < 12; ++k) input.randomData[zt::kMinSpeed + k] = timing[k];
    zt::RotationResult onCpu, onCuda;
    runBoth(input, onCpu, onCuda);
    ASSERT_EQ(onCuda.rgb.size(), onCpu.rgb.size());
    EXPECT_LT(largestDifference(onCpu.rgb, onCuda.rgb), 1e-5f);
    EXPECT_LT(largestDifference(onCpu.aim, onCuda.aim), 1e-4f);
    EXPECT_LT(largestDifference(onCpu.up, onCuda.up), 1e-4f);
    EXPECT_TRUE(sameBits(onCpu.intersection, onCuda.intersection));
}

}  // namespace
