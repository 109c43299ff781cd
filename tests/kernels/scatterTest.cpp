// Properties of the Poisson-disc scatter, checked independently of its grid:
// minimum distance, points on their triangles, passes, determinism, the two
// CPU selection forms agreeing, coverage, and the mesh-preparation tables.

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <tuple>

#include "kernels/scatter.h"
#include "scatterTestMeshes.h"

namespace zt {
namespace {

using testing::expectOnTriangles;
using testing::TriMesh;

ScatterResult scatter(const TriMesh& mesh, const ScatterSettings& settings,
                      CpuSelection selection = CpuSelection::kStreaming) {
    return testing::scatterOn(mesh, settings, selection);
}

ScatterSettings surfaceOnly(float radius) {
    ScatterSettings s;
    s.radius = radius;
    return s;
}

std::size_t count(const ScatterResult& r) {
    return r.triangleIds.size();
}

std::set<std::tuple<float, float, float>> positionSet(const ScatterResult& r) {
    std::set<std::tuple<float, float, float>> set;
    for (std::size_t i = 0; i < count(r); ++i)
        set.emplace(r.positions[3 * i], r.positions[3 * i + 1], r.positions[3 * i + 2]);
    return set;
}

TEST(Scatter, NoTwoPointsWithinTheRadiusAndAllOnTheirTriangles) {
    struct Case {
        const char* name;
        TriMesh mesh;
        float radius;
        bool vertices, edges;
    };
    const Case cases[] = {
        {"plane", testing::makePlane(10.0f, 8), 0.1f, false, false},
        {"sphere", testing::makeSphere(2.0f, 24, 32), 0.08f, false, false},
        {"plane, all passes", testing::makePlane(10.0f, 20), 0.2f, true, true},
        {"sphere, vertices", testing::makeSphere(1.0f, 12, 16), 0.05f, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScatterSettings s = surfaceOnly(c.radius);
        s.vertices = c.vertices;
        s.borderEdges = c.edges;
        const ScatterResult r = scatter(c.mesh, s);
        ASSERT_GT(count(r), 100u);
        EXPECT_GT(testing::closestPairDistance(r.positions, c.radius), c.radius);
        expectOnTriangles(c.mesh, r);
        ASSERT_EQ(r.normals.size(), 3 * count(r));
    }
}

TEST(Scatter, NormalsAreUnitAndFollowTheSurface) {
    const ScatterResult plane = scatter(testing::makePlane(4.0f, 4), surfaceOnly(0.2f));
    for (std::size_t i = 0; i < count(plane); ++i) {
        // The plane lies in XZ: its normal is along y.
        EXPECT_NEAR(std::abs(plane.normals[3 * i + 1]), 1.0, 1e-6);
    }
    const ScatterResult sphere = scatter(testing::makeSphere(1.0f, 32, 48), surfaceOnly(0.1f));
    ASSERT_GT(count(sphere), 50u);
    for (std::size_t i = 0; i < count(sphere); ++i) {
        const float* n = &sphere.normals[3 * i];
        const float* p = &sphere.positions[3 * i];
        const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        EXPECT_NEAR(length, 1.0, 1e-5);
        const double pl = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
        const double cosine = std::abs(n[0] * p[0] + n[1] * p[1] + n[2] * p[2]) / pl;
        EXPECT_GT(cosine, 0.99) << "normal far from radial at point " << i;
    }
}

TEST(Scatter, VertexPassPlacesPointsOnVerticesAndLaterPassesKeepThem) {
    const TriMesh mesh = testing::makePlane(6.0f, 6);
    ScatterSettings vertexOnly = surfaceOnly(0.5f);
    vertexOnly.surface = false;
    vertexOnly.vertices = true;
    const ScatterResult vertices = scatter(mesh, vertexOnly);
    // Vertices are 1 apart, farther than the radius: every one is kept.
    ASSERT_EQ(count(vertices), mesh.points.size() / 3);
    std::set<std::tuple<float, float, float>> meshVertices;
    for (unsigned int i = 0; i < mesh.points.size() / 3; ++i) {
        const auto v = mesh.vertex(i);
        meshVertices.emplace(v[0], v[1], v[2]);
    }
    EXPECT_EQ(positionSet(vertices), meshVertices);
    expectOnTriangles(mesh, vertices);

    ScatterSettings all = vertexOnly;
    all.surface = true;
    all.borderEdges = true;
    const ScatterResult everything = scatter(mesh, all);
    const auto allPositions = positionSet(everything);
    for (const auto& v : meshVertices) EXPECT_TRUE(allPositions.count(v)) << "vertex lost";
    EXPECT_GT(count(everything), count(vertices));
    EXPECT_GT(testing::closestPairDistance(everything.positions, 0.5), 0.5);
}

TEST(Scatter, BorderEdgePointsLieOnTheBorderAndSurviveTheSurfacePass) {
    const TriMesh mesh = testing::makePlane(4.0f, 4);
    ScatterSettings edgesOnly = surfaceOnly(0.1f);
    edgesOnly.surface = false;
    edgesOnly.borderEdges = true;
    const ScatterResult edges = scatter(mesh, edgesOnly);
    ASSERT_GT(count(edges), 40u);
    for (std::size_t i = 0; i < count(edges); ++i) {
        const float x = edges.positions[3 * i], z = edges.positions[3 * i + 2];
        const bool onBorder =
            std::abs(std::abs(x) - 2.0f) < 1e-5f || std::abs(std::abs(z) - 2.0f) < 1e-5f;
        EXPECT_TRUE(onBorder) << x << ", " << z;
        const float u = edges.uvs[2 * i], v = edges.uvs[2 * i + 1];
        EXPECT_TRUE(u == 0.0f || v == 0.0f || std::abs(1.0f - u - v) < 1e-6f);
    }
    expectOnTriangles(mesh, edges);
    // Along a border of length 16 no two points are within 0.1: at most 160.
    EXPECT_LE(count(edges), 160u);

    ScatterSettings both = edgesOnly;
    both.surface = true;
    const auto withSurface = positionSet(scatter(mesh, both));
    for (const auto& p : positionSet(edges)) EXPECT_TRUE(withSurface.count(p));
}

TEST(Scatter, SameInputsGiveTheSamePointsAndAnotherSeedOthers) {
    const TriMesh mesh = testing::makeSphere(1.0f, 16, 24);
    ScatterSettings s = surfaceOnly(0.07f);
    const ScatterResult first = scatter(mesh, s);
    const ScatterResult second = scatter(mesh, s);
    EXPECT_EQ(first.positions, second.positions);
    EXPECT_EQ(first.triangleIds, second.triangleIds);
    s.seed = 4321;
    const ScatterResult other = scatter(mesh, s);
    const auto a = positionSet(first), b = positionSet(other);
    std::size_t shared = 0;
    for (const auto& p : b) shared += a.count(p);
    EXPECT_LT(shared, b.size() / 10);
}

TEST(Scatter, StreamingAndTableSelectionsAgreePointForPoint) {
    struct Case {
        const char* name;
        TriMesh mesh;
        float radius;
        bool vertices, edges;
        unsigned int trials;
    };
    const Case cases[] = {
        {"sphere", testing::makeSphere(1.5f, 20, 30), 0.06f, false, false, 5},
        {"plane, all passes", testing::makePlane(5.0f, 10), 0.15f, true, true, 5},
        {"cube, one trial", testing::makeCube(2.0f), 0.05f, false, true, 1},
        {"sphere, 30 trials", testing::makeSphere(1.0f, 10, 12), 0.1f, true, false, 30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScatterSettings s = surfaceOnly(c.radius);
        s.vertices = c.vertices;
        s.borderEdges = c.edges;
        s.trials = c.trials;
        const ScatterResult streaming = scatter(c.mesh, s, CpuSelection::kStreaming);
        const ScatterResult table = scatter(c.mesh, s, CpuSelection::kTable);
        ASSERT_GT(count(table), 10u);
        EXPECT_EQ(streaming.positions, table.positions);
        EXPECT_EQ(streaming.uvs, table.uvs);
        EXPECT_EQ(streaming.triangleIds, table.triangleIds);
        EXPECT_EQ(streaming.normals, table.normals);
    }
}

TEST(Scatter, CoversTheSurfaceAtTheDefaults) {
    struct Case {
        const char* name;
        TriMesh mesh;
        float radius;
    };
    const Case cases[] = {{"plane", testing::makePlane(10.0f, 10), 0.1f},
                          {"sphere", testing::makeSphere(2.0f, 48, 64), 0.05f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ScatterResult r = scatter(c.mesh, surfaceOnly(c.radius));
        const double uncovered =
            testing::coverage(c.mesh, r.positions, c.radius, 200000, 99).uncovered / 200000.0;
        const double expected = c.mesh.area() / (3.14159265 * c.radius * c.radius);
        std::printf("[ coverage ] %s: %zu points, %.3f x area/(pi r^2), uncovered %.4f%%\n", c.name,
                    count(r), count(r) / expected, 100.0 * uncovered);
        EXPECT_LT(uncovered, 0.01);
        // A maximal disc set with minimum distance r holds between about 1.5
        // and 3.6 (hexagonal packing) times area / (pi r^2) points.
        EXPECT_GT(count(r) / expected, 1.5);
        EXPECT_LT(count(r) / expected, 3.7);
    }
}

TEST(Scatter, DegenerateAndTinyMeshes) {
    // No area at all: nothing is done and the caller keeps its output.
    TriMesh flat;
    flat.points = {0, 0, 0, 1, 0, 0, 2, 0, 0};
    flat.triangles = {0, 1, 2};
    ScatterSettings s = surfaceOnly(0.1f);
    s.bboxMaxX = 2.0f;
    ScatterResult result;
    ASSERT_EQ(scatterPoints(flat.view(), s, result, CpuSelection::kStreaming, nullptr),
              KernelStatus::Ok);
    EXPECT_TRUE(result.meshHasNoArea);

    // A mesh smaller than the radius holds exactly one point.
    const ScatterResult one = scatter(testing::makeSphere(0.1f, 8, 8), surfaceOnly(1.0f));
    EXPECT_EQ(count(one), 1u);

    // Border edges of a closed mesh: none, so an edge-only scatter is empty.
    ScatterSettings edgesOnly = surfaceOnly(0.1f);
    edgesOnly.surface = false;
    edgesOnly.borderEdges = true;
    const ScatterResult none = scatter(testing::makeCube(1.0f), edgesOnly);
    EXPECT_FALSE(none.meshHasNoArea);
    EXPECT_EQ(count(none), 0u);
    EXPECT_TRUE(none.normals.empty());
}

TEST(Scatter, ABoundingBoxSmallerThanTheMeshStillKeepsTheDistance) {
    // Points beyond the grid in x and z share cell ids with cells of other
    // rows; the selection must still never accept two close points.
    const TriMesh mesh = testing::makeSphere(2.0f, 24, 32);
    ScatterSettings s = surfaceOnly(0.1f);
    s.bboxMinX = -0.5f, s.bboxMinY = -0.5f, s.bboxMinZ = -0.5f;
    s.bboxMaxX = 0.5f, s.bboxMaxZ = 0.5f;
    ScatterResult r, again;
    ASSERT_EQ(scatterPoints(mesh.view(), s, r, CpuSelection::kStreaming, nullptr),
              KernelStatus::Ok);
    ASSERT_GT(count(r), 500u);
    EXPECT_GT(testing::closestPairDistance(r.positions, 0.1), 0.1);
    expectOnTriangles(mesh, r);
    ASSERT_EQ(scatterPoints(mesh.view(), s, again, CpuSelection::kStreaming, nullptr),
              KernelStatus::Ok);
    EXPECT_EQ(r.positions, again.positions);
}

TEST(Scatter, CandidateCountIsCappedWithAWarningFlag) {
    // 10 x 10 plane at r = 0.01: 100 / (pi 1e-4) * 50 = 15.9 million candidates.
    ScatterSettings s = surfaceOnly(0.01f);
    s.trials = 1;
    s.computeNormals = false;
    const ScatterResult r = scatter(testing::makePlane(10.0f, 2), s);
    EXPECT_TRUE(r.reachedCandidateCap);
    EXPECT_GT(count(r), 100000u);
}

TEST(BorderEdges, AreEdgesOfExactlyOneTriangle) {
    auto edgesOf = [](const TriMesh& m) {
        BorderEdgeList list;
        EXPECT_EQ(findMeshBorderEdges(m.view(), list), KernelStatus::Ok);
        return list;
    };
    TriMesh one;
    one.points = {0, 0, 0, 3, 0, 0, 0, 4, 0};
    one.triangles = {0, 1, 2};
    const BorderEdgeList triangle = edgesOf(one);
    EXPECT_EQ(triangle.a, (std::vector<unsigned int>{0, 0, 1}));
    EXPECT_EQ(triangle.b, (std::vector<unsigned int>{1, 2, 2}));
    EXPECT_FLOAT_EQ(triangle.totalLength, 12.0f);

    TriMesh two = one;
    two.points.insert(two.points.end(), {3, 4, 0});
    two.triangles.insert(two.triangles.end(), {1, 3, 2});
    const BorderEdgeList pair = edgesOf(two);
    EXPECT_EQ(pair.a.size(), 4u);  // the shared edge 1-2 is gone
    EXPECT_EQ(pair.triangle, (std::vector<unsigned int>{0, 0, 1, 1}));

    // An edge shared by three triangles is not a border edge either.
    TriMesh fan = two;
    fan.points.insert(fan.points.end(), {1, 1, 5});
    fan.triangles.insert(fan.triangles.end(), {1, 2, 4});
    const BorderEdgeList three = edgesOf(fan);
    for (std::size_t i = 0; i < three.a.size(); ++i)
        EXPECT_FALSE(three.a[i] == 1 && three.b[i] == 2);
    EXPECT_EQ(three.a.size(), 6u);

    EXPECT_TRUE(edgesOf(testing::makeCube(1.0f)).a.empty());
    // A 4 x 4 grid plane: 16 border edges of length 1 around a 4 x 4 square.
    const BorderEdgeList plane = edgesOf(testing::makePlane(4.0f, 4));
    EXPECT_EQ(plane.a.size(), 16u);
    EXPECT_FLOAT_EQ(plane.totalLength, 16.0f);
}

TEST(Scatter, KeepsTheDistanceFarFromTheOrigin) {
    // A tilted plane thousands of radii from the origin, with a speck of a
    // triangle at the origin so that the grid spans both: positions in cells
    // are then large numbers, where rounding can put a candidate a little
    // outside its cell and the neighbour search must still see every point
    // within reach.
    for (const float offset : {1000.0f, 20000.0f}) {
        SCOPED_TRACE(offset);
        const float radius = offset * 2e-6f;
        TriMesh mesh = testing::makePlane(0.3f * offset / 1000, 3);
        for (std::size_t i = 0; i < mesh.points.size(); i += 3) {
            const float x = mesh.points[i], z = mesh.points[i + 2];
            mesh.points[i] = x + offset + 0.3f * z;
            mesh.points[i + 1] = 0.37f * x + 0.21f * z + 0.7f * offset;
            mesh.points[i + 2] = z + 1.3f * offset;
        }
        const unsigned int speck = static_cast<unsigned int>(mesh.points.size() / 3);
        mesh.points.insert(mesh.points.end(), {0, 0, 0, radius / 4, 0, 0, 0, 0, radius / 4});
        mesh.triangles.insert(mesh.triangles.end(), {speck, speck + 1, speck + 2});
        const ScatterResult streaming = scatter(mesh, surfaceOnly(radius));
        const ScatterResult table = scatter(mesh, surfaceOnly(radius), CpuSelection::kTable);
        ASSERT_GT(count(streaming), 10000u);
        EXPECT_GT(testing::closestPairDistance(streaming.positions, radius), radius);
        // Cell ids wrap on a grid this fine; both forms still agree.
        EXPECT_EQ(streaming.positions, table.positions);
    }
}

}  // namespace
}  // namespace zt
