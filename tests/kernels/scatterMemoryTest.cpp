// The memory check before a scatter pass's candidate arrays counts what
// they take: seven arrays of four bytes per candidate.

#include <gtest/gtest.h>

#include "kernels/backend.h"
#include "kernels/scatter.h"
#include "scatterTestMeshes.h"

namespace zt {
namespace {

// A vertex pass alone draws exactly one candidate per mesh vertex, so its
// candidate arrays take 28 bytes per vertex. Every other check of the pass
// asks for less on these meshes.
KernelStatus vertexPassWithFreeMemory(const testing::TriMesh& mesh, std::size_t freeBytes,
                                      ScatterResult& result) {
    ScatterSettings s;
    s.radius = 0.05f;
    s.vertices = true;
    s.surface = false;
    s.computeNormals = false;
    testing::frameTo(mesh, s);
    const ScopedFreeMemoryOverride fake(freeBytes);
    return scatterPoints(mesh.view(), s, result, CpuSelection::kStreaming, nullptr);
}

TEST(ScatterMemory, CandidateCheckCountsSevenArraysOfFourBytes) {
    for (unsigned int cells : {10u, 20u, 40u}) {
        const testing::TriMesh mesh = testing::makePlane(4.0f, cells);
        const std::size_t vertices = mesh.points.size() / 3;
        SCOPED_TRACE(vertices);
        ScatterResult result;
        // 24 bytes per candidate (three arrays short of what is allocated)
        // and one byte short of 28 both fail, before anything is allocated.
        EXPECT_EQ(vertexPassWithFreeMemory(mesh, 24 * vertices + 8, result),
                  KernelStatus::NotEnoughMemory);
        EXPECT_EQ(vertexPassWithFreeMemory(mesh, 28 * vertices - 1, result),
                  KernelStatus::NotEnoughMemory);
        EXPECT_TRUE(result.positions.empty());
        // Exactly 28 bytes per candidate is enough; every vertex is kept
        // (the grid spacing 4 / cells exceeds the radius).
        ASSERT_EQ(vertexPassWithFreeMemory(mesh, 28 * vertices, result), KernelStatus::Ok);
        EXPECT_EQ(result.triangleIds.size(), vertices);
    }
}

}  // namespace
}  // namespace zt
