// The CUDA backend and the CPU backend scatter the same points, in the same
// order, to the bit: on small generated meshes and on the benchmark meshes of
// examples/meshes/generated when they are there. Runs where the CUDA backend
// is built and a device is present (scripts/device-check); skipped elsewhere.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "host/src/mesh/meshReaders.h"
#include "kernels/backendFunctions.h"
#include "kernels/scatter.h"
#include "kernels/scatterTestMeshes.h"

namespace {

#if ZT_HAVE_CUDA
using zt::testing::TriMesh;

TriMesh fromFile(const std::string& path) {
    const zt::host::MeshGeometry geometry = zt::host::readMeshFile(path);
    TriMesh mesh;
    mesh.points = geometry.points();
    for (const int v : zt::host::triangulate(geometry).vertices)
        mesh.triangles.push_back(static_cast<unsigned int>(v));
    return mesh;
}
#endif

TEST(ScatterCrossBackend, BothBackendsGiveTheSamePoints) {
#if ZT_HAVE_CUDA
    std::string reason;
    if (!zt::cuda::deviceAvailable(&reason)) GTEST_SKIP() << "no CUDA device: " << reason;
    struct Case {
        std::string name;
        TriMesh mesh;
        float radius;
        bool vertices, edges;
    };
    std::vector<Case> cases = {
        {"sphere", zt::testing::makeSphere(2.0f, 40, 60), 0.03f, false, false},
        {"plane, all passes", zt::testing::makePlane(10.0f, 30), 0.1f, true, true},
    };
    const std::string dir = std::string(ZT_SOURCE_DIR) + "/examples/meshes/generated/";
    for (const char* name : {"bunny.off", "blob.ply", "valley.ply"}) {
        if (std::ifstream(dir + name))
            cases.push_back({name, fromFile(dir + name), 0.0f, false, true});
    }
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        zt::ScatterSettings s;
        zt::testing::frameTo(c.mesh, s);
        // About 10^5 points on the file meshes.
        s.radius = c.radius > 0.0f
                       ? c.radius
                       : static_cast<float>(std::sqrt(1.95 * c.mesh.area() / (3.14159265 * 1e5)));
        s.vertices = c.vertices;
        s.borderEdges = c.edges;
        zt::ScatterResult cpu, cuda;
        ASSERT_EQ(
            zt::cpu::scatterPoints(c.mesh.view(), s, cpu, zt::CpuSelection::kStreaming, nullptr),
            zt::KernelStatus::Ok);
        ASSERT_EQ(
            zt::cuda::scatterPoints(c.mesh.view(), s, cuda, zt::CpuSelection::kStreaming, nullptr),
            zt::KernelStatus::Ok);
        ASSERT_GT(cpu.triangleIds.size(), 100u);
        EXPECT_EQ(cpu.positions, cuda.positions);
        EXPECT_EQ(cpu.uvs, cuda.uvs);
        EXPECT_EQ(cpu.triangleIds, cuda.triangleIds);
        EXPECT_EQ(cpu.normals, cuda.normals);
    }
#else
    GTEST_SKIP() << "the CUDA backend is not built";
#endif
}

}  // namespace
