// The scatter's output is part of its contract: the same mesh, seed and
// settings give the same points, bit for bit, on every backend and after every
// rewrite of the compute. These cases pin the exact output recorded from the
// implementation as first shipped (count and a 64-bit FNV-1a hash of the bits
// of every channel), for the compute itself with both CPU selection forms and
// for the node in a scene, where the channels are doubles in the output set;
// the gap fill's points are pinned the same way.
// A change that alters any point, its order, uv, triangle or normal fails here.

#include <gtest/gtest.h>
#include <maya/MFnArrayAttrsData.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/pluginScene.h"
#include "kernels/scatter.h"
#include "kernels/scatterTestMeshes.h"

namespace {

using zt::testing::TriMesh;

// FNV-1a over raw bytes, chained across arrays.
struct Fnv {
    std::uint64_t h = 1469598103934665603ull;
    void add(const void* data, std::size_t bytes) {
        const unsigned char* p = static_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i < bytes; ++i) {
            h ^= p[i];
            h *= 1099511628211ull;
        }
    }
    template <class T>
    void add(const std::vector<T>& v) {
        const std::uint64_t n = v.size();
        add(&n, sizeof n);
        if (!v.empty()) add(v.data(), v.size() * sizeof(T));
    }
};

std::string hex(std::uint64_t h) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%016llx", static_cast<unsigned long long>(h));
    return text;
}

// A 24 x 24 grid over [-3, 3]^2 lifted into a saddle with a ripple, built
// with +, -, * and / only so the vertices are the same bits everywhere. Not
// planar, so candidates spread over several grid layers in y.
TriMesh bumpyGrid() {
    TriMesh m;
    const unsigned int cells = 24;
    for (unsigned int j = 0; j <= cells; ++j)
        for (unsigned int i = 0; i <= cells; ++i) {
            const float x = -3.0f + 6.0f * static_cast<float>(i) / static_cast<float>(cells);
            const float z = -3.0f + 6.0f * static_cast<float>(j) / static_cast<float>(cells);
            const float ripple = (i % 3 == 0 ? 0.15f : 0.0f) - (j % 4 == 1 ? 0.1f : 0.0f);
            m.points.insert(m.points.end(), {x, 0.12f * (x * x - z * z) + ripple, z});
        }
    for (unsigned int j = 0; j < cells; ++j)
        for (unsigned int i = 0; i < cells; ++i) {
            const unsigned int a = j * (cells + 1) + i, b = a + 1, c = a + cells + 1, d = c + 1;
            m.triangles.insert(m.triangles.end(), {a, c, b, b, c, d});
        }
    return m;
}

// Both CPU selections on the same input: the same points, bit for bit, and
// more than `atLeast` of them.
void expectStreamingGivesTheTablesPoints(const TriMesh& mesh, const zt::ScatterSettings& s,
                                         std::size_t atLeast) {
    zt::ScatterResult streaming, table;
    ASSERT_EQ(zt::scatterPoints(mesh.view(), s, streaming, zt::CpuSelection::kStreaming, nullptr),
              zt::KernelStatus::Ok);
    ASSERT_EQ(zt::scatterPoints(mesh.view(), s, table, zt::CpuSelection::kTable, nullptr),
              zt::KernelStatus::Ok);
    EXPECT_GT(streaming.triangleIds.size(), atLeast);
    EXPECT_EQ(streaming.positions, table.positions);
    EXPECT_EQ(streaming.triangleIds, table.triangleIds);
    EXPECT_EQ(streaming.uvs, table.uvs);
}

struct Recorded {
    const char* name;
    bool vertices, borderEdges, normals, fill;
    unsigned int seed, multiplier, trials;
    std::size_t count;
    std::uint64_t hash;
};

TEST(ScatterRegression, ComputeReproducesTheRecordedPointsWithBothSelections) {
    const TriMesh mesh = bumpyGrid();
    const Recorded cases[] = {
        {"defaults", false, false, true, false, 1234, 50, 5, 2324, 0xf2a319a823ae3bf1ull},
        {"all passes, seed 7", true, true, true, false, 7, 50, 5, 2443, 0xc841279d8635b81cull},
        {"no normals, few candidates", false, true, false, false, 99, 4, 2, 1678,
         0xaee46feff0931abeull},
        // The fill, as it gave its points before its later speed-ups.
        {"fillGaps", false, true, true, true, 1234, 50, 5, 2717, 0xc6229bfae4e6c7abull},
    };
    for (const Recorded& c : cases) {
        SCOPED_TRACE(c.name);
        zt::ScatterSettings s;
        zt::testing::frameTo(mesh, s);
        s.radius = 0.11f;
        s.seed = c.seed;
        s.randomsMultiplier = c.multiplier;
        s.trials = c.trials;
        s.vertices = c.vertices;
        s.borderEdges = c.borderEdges;
        s.computeNormals = c.normals;
        s.fillGaps = c.fill;
        for (const zt::CpuSelection selection :
             {zt::CpuSelection::kStreaming, zt::CpuSelection::kTable}) {
            SCOPED_TRACE(selection == zt::CpuSelection::kStreaming ? "streaming" : "table");
            zt::ScatterResult r;
            ASSERT_EQ(zt::scatterPoints(mesh.view(), s, r, selection, nullptr),
                      zt::KernelStatus::Ok);
            Fnv f;
            f.add(r.positions);
            f.add(r.uvs);
            f.add(r.triangleIds);
            f.add(r.normals);
            EXPECT_EQ(r.triangleIds.size(), c.count);
            EXPECT_EQ(r.normals.size(), c.normals ? 3 * r.triangleIds.size() : 0u);
            EXPECT_EQ(hex(f.h), hex(c.hash));
        }
    }
}

TEST(ScatterRegression, StreamingMatchesTheTableWhereCellIdsAlias) {
    // A grid frame smaller than the mesh: candidates past it in x or z share
    // ids with cells of other rows, and one past it in y is far from the
    // origin. The CPU's streaming selection must still give the table's points.
    const TriMesh mesh = bumpyGrid();
    struct Frame {
        const char* name;
        float minX, minY, minZ, maxX, maxZ;
    };
    const Frame frames[] = {{"narrow in x and z", -1.0f, -2.0f, -1.5f, 0.5f, 0.3f},
                            {"wide", -3.0f, -2.0f, -3.0f, 3.0f, 3.0f},
                            {"origin above part of the mesh", -3.0f, 0.2f, -3.0f, 3.0f, 3.0f}};
    for (const Frame& frame : frames) {
        SCOPED_TRACE(frame.name);
        zt::ScatterSettings s;
        s.radius = 0.09f;
        s.borderEdges = true;
        s.bboxMinX = frame.minX, s.bboxMinY = frame.minY, s.bboxMinZ = frame.minZ;
        s.bboxMaxX = frame.maxX, s.bboxMaxZ = frame.maxZ;
        expectStreamingGivesTheTablesPoints(mesh, s, 2000);
    }
}

// At a finer radius a phase accepts thousands of points at once, so the
// selection's bricks take them on both threads (each thread its own bricks
// and overflow lists), many bricks overflow their first four slots, and the
// first trial has cells enough per slab to run as a wavefront over the
// grid's slabs. The streaming selection must still give exactly the table's
// points.
TEST(ScatterRegression, StreamingSelectionMatchesTheTableWhenPhasesAcceptThousands) {
    const TriMesh mesh = bumpyGrid();
    zt::ScatterSettings s;
    zt::testing::frameTo(mesh, s);
    s.radius = 0.03f;
    s.borderEdges = true;
    s.seed = 31;
    expectStreamingGivesTheTablesPoints(mesh, s, 28000);
}

using ScatterRegressionNode = PluginScene;

TEST_F(ScatterRegressionNode, ReproducesTheRecordedOutputSet) {
    ASSERT_TRUE(
        mel("polyPlane -w 4 -h 3 -sx 5 -sy 3; createNode ztScatterPoints -n sc;"
            "connectAttr pPlaneShape1.outMesh sc.inMesh;"
            "connectAttr pPlaneShape1.boundingBox sc.boundingBox;"
            "setAttr sc.radius 0.07; setAttr sc.seed 31; setAttr sc.scatterOnBorderEdges 1;"));
    const MObject data = points("sc.outPoints");
    MFnArrayAttrsData fn(data);
    Fnv f;
    auto addVectors = [&](const char* channel) {
        const MVectorArray a = fn.getVectorData(channel);
        std::vector<double> flat;
        for (unsigned int i = 0; i < a.length(); ++i)
            flat.insert(flat.end(), {a[i].x, a[i].y, a[i].z});
        f.add(flat);
        return a.length();
    };
    auto addInts = [&](const char* channel) {
        const MIntArray a = fn.getIntData(channel);
        std::vector<int> flat;
        for (unsigned int i = 0; i < a.length(); ++i) flat.push_back(a[i]);
        f.add(flat);
        return a.length();
    };
    const unsigned int n = addVectors("position");
    EXPECT_EQ(addVectors("uv"), n);
    EXPECT_EQ(addInts("triID"), n);
    EXPECT_EQ(addInts("pointID"), n);
    EXPECT_EQ(addVectors("normal"), n);
    EXPECT_EQ(n, 1549u);
    EXPECT_EQ(hex(f.h), hex(0x8156571e5955cc98ull));
}

}  // namespace
