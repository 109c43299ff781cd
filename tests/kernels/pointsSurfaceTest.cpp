// The surface attribute kernels on the active backend: UVs interpolated in
// triangles, face normals, their memory checks and empty inputs.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "kernels/backend.h"
#include "kernels/pointsSurface.h"

namespace {

TEST(SampleUVs, CornersAndInteriorPointsOfTheirTriangles) {
    // Two triangles with distinct corner UVs.
    const std::vector<float> table = {0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 1.0f,
                                      0.2f, 0.4f, 0.6f, 0.4f, 0.2f, 0.9f};
    // Per point: triangle and (u, v) in it. 70 points, so more than one
    // block of the one-dimensional launch is used.
    std::vector<unsigned int> tri;
    std::vector<float> uv;
    std::vector<float> expected;
    for (unsigned int k = 0; k < 70; ++k) {
        const unsigned int t = k % 2;
        const float params[5][2] = {{0, 0}, {1, 0}, {0, 1}, {0.25f, 0.5f}, {0.1f, 0.1f}};
        const float u = params[k % 5][0], v = params[k % 5][1];
        tri.push_back(t);
        uv.insert(uv.end(), {u, v});
        const float* row = table.data() + 6 * t;
        const float w = 1.0f - u - v;
        expected.push_back(w * row[0] + u * row[2] + v * row[4]);
        expected.push_back(w * row[1] + u * row[3] + v * row[5]);
    }
    ASSERT_EQ(zt::interpolateSampleUVs(table, tri, uv), zt::KernelStatus::Ok);
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_NEAR(uv[i], expected[i], 1e-6f) << i;
}

TEST(SampleUVs, MemoryCheckAndEmptyInput) {
    const std::vector<float> table(6, 0.5f);
    std::vector<float> uv = {0.1f, 0.2f};
    {
        const zt::ScopedFreeMemoryOverride noMemory(8);
        EXPECT_EQ(zt::interpolateSampleUVs(table, {0u}, uv), zt::KernelStatus::NotEnoughMemory);
        EXPECT_FLOAT_EQ(uv[0], 0.1f) << "the input stays as it was";
    }
    std::vector<float> none;
    EXPECT_EQ(zt::interpolateSampleUVs(table, {}, none), zt::KernelStatus::Ok);
    EXPECT_TRUE(none.empty());
    // Fewer (u, v) pairs than triangle ids is refused.
    std::vector<float> shortUv = {0.1f, 0.2f};
    EXPECT_NE(zt::interpolateSampleUVs(table, {0u, 0u}, shortUv), zt::KernelStatus::Ok);
}

TEST(FaceNormals, UnitNormalsByTheCornerOrder) {
    // A right triangle in XY wound counter-clockwise seen from +Z, the same
    // corners wound the other way, one in XZ and a degenerate one.
    const std::vector<float> points = {0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 5, 4, 4, 4};
    const std::vector<unsigned int> triangles = {0, 1, 2, 0, 2, 1, 0, 1, 3, 0, 4, 4};
    std::vector<float> normals;
    ASSERT_EQ(zt::computeFaceNormals(points, triangles, normals), zt::KernelStatus::Ok);
    ASSERT_EQ(normals.size(), 12u);
    const float expected[3][3] = {{0, 0, 1}, {0, 0, -1}, {0, -1, 0}};
    for (int t = 0; t < 3; ++t)
        for (int k = 0; k < 3; ++k) EXPECT_FLOAT_EQ(normals[3 * t + k], expected[t][k]) << t;
    EXPECT_FALSE(std::isfinite(normals[9])) << "degenerate triangle";

    EXPECT_EQ(zt::computeFaceNormals(points, {}, normals), zt::KernelStatus::Ok);
    EXPECT_TRUE(normals.empty());
    const zt::ScopedFreeMemoryOverride noMemory(16);
    EXPECT_EQ(zt::computeFaceNormals(points, triangles, normals),
              zt::KernelStatus::NotEnoughMemory);
    EXPECT_TRUE(normals.empty());
}

}  // namespace
