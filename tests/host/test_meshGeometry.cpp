// Geometry model: triangulation, validation, edges, normals, UV and colour
// sets of zt::host::MeshGeometry.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>

#include "host/src/mesh/meshGeometry.h"

using zt::host::MeshError;
using zt::host::MeshGeometry;

namespace {

// A mesh of one polygon over the given outline (z = 0).
MeshGeometry polygonMesh(const std::vector<std::pair<float, float>>& outline) {
    std::vector<float> points;
    std::vector<int> ids;
    for (std::size_t i = 0; i < outline.size(); ++i) {
        points.insert(points.end(), {outline[i].first, outline[i].second, 0.f});
        ids.push_back(static_cast<int>(i));
    }
    return MeshGeometry(points, {static_cast<int>(outline.size())}, ids);
}

double signedArea2D(const MeshGeometry& m, int a, int b, int c) {
    const auto p = m.point(a), q = m.point(b), r = m.point(c);
    return 0.5 * ((q.x - p.x) * (r.y - p.y) - (q.y - p.y) * (r.x - p.x));
}

double polygonArea2D(const std::vector<std::pair<float, float>>& o) {
    double a = 0;
    for (std::size_t i = 0; i < o.size(); ++i) {
        const auto& p = o[i];
        const auto& q = o[(i + 1) % o.size()];
        a += p.first * q.second - q.first * p.second;
    }
    return 0.5 * a;
}

// The message of the MeshError that `f` throws ("" when none).
template <class F>
std::string meshErrorOf(F f) {
    try {
        f();
    } catch (const MeshError& e) {
        return e.what();
    }
    return "";
}

}  // namespace

TEST(MeshTriangulation, ConvexPolygonsAreFansListedInPolygonThenTriangleOrder) {
    // A triangle, a quad and a pentagon in one mesh, with vertex ids that
    // are not in face order so that ids and corners cannot be confused.
    const std::vector<float> points = {0, 0, 0, 1, 0, 0, 1,   1, 0, 0,   1, 0,  // square 0..3
                                       2, 0, 0, 3, 0, 0, 3.5, 1, 0, 2.5, 2, 0, 1.5, 1, 0};
    const MeshGeometry mesh(points, {3, 4, 5}, {2, 0, 1, 3, 0, 1, 2, 4, 5, 6, 7, 8});
    const auto t = zt::host::triangulate(mesh);
    EXPECT_EQ(t.counts, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(t.vertices, (std::vector<int>{2, 0, 1,                       // triangle
                                            3, 0, 1, 3, 1, 2,              // quad fan
                                            4, 5, 6, 4, 6, 7, 4, 7, 8}));  // pentagon fan

    // Triangles are listed polygon by polygon, in each polygon's order.
    const MeshGeometry mixed(
        {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 2, 0, 0, 2, 1, 0, 3, 1, 0, 4, 0.5f, 0, 3, 0, 0},
        {4, 3, 5}, {0, 1, 2, 3, 1, 4, 5, 4, 8, 7, 6, 5});
    const auto listed = zt::host::triangulate(mixed);
    std::size_t running = 0;
    for (int f = 0; f < mixed.numFaces(); ++f) {
        const auto corners = zt::host::polygonTriangleCorners(mixed, f);
        ASSERT_EQ(static_cast<int>(corners.size()), listed.counts[static_cast<std::size_t>(f)]);
        for (const auto& tri : corners) {
            for (int k = 0; k < 3; ++k) {
                EXPECT_EQ(listed.vertices[3 * running + static_cast<std::size_t>(k)],
                          mixed.faceVertex(f, tri[static_cast<std::size_t>(k)]));
            }
            ++running;
        }
    }
    EXPECT_EQ(listed.vertices.size(), 3 * running);
    EXPECT_EQ(running, 2u + 1u + 3u);
}

TEST(MeshTriangulation, ConcavePolygonGivesCoveringTrianglesWithItsWinding) {
    // An arrow head: corner 3 is reflex, so the plain fan from corner 0
    // would put a triangle outside the polygon.
    const std::vector<std::pair<float, float>> arrow = {{0, 0}, {2, 1}, {4, 0}, {2, 3}};
    const std::vector<std::pair<float, float>> notch = {{0, 0}, {4, 0}, {4, 4}, {2, 1}, {0, 4}};
    for (const auto& outline : {arrow, notch}) {
        const MeshGeometry mesh = polygonMesh(outline);
        const auto corners = zt::host::polygonTriangleCorners(mesh, 0);
        ASSERT_EQ(corners.size(), outline.size() - 2);
        const double polygonArea = polygonArea2D(outline);
        double sum = 0;
        std::set<int> used;
        for (const auto& tri : corners) {
            const double a = signedArea2D(mesh, tri[0], tri[1], tri[2]);
            // Same orientation as the polygon and no inverted triangle.
            EXPECT_GT(a * polygonArea, 0.0);
            sum += a;
            used.insert(tri.begin(), tri.end());
        }
        // Triangles without overlap and inside the polygon add up to its area.
        EXPECT_NEAR(sum, polygonArea, 1e-9);
        EXPECT_EQ(used.size(), outline.size());
    }
}

TEST(MeshValidation, RejectsBadTopologyAndNonFinitePoints) {
    const std::vector<float> tri = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    EXPECT_NO_THROW(MeshGeometry(tri, {3}, {0, 1, 2}));
    EXPECT_NE(meshErrorOf([&] {
                  MeshGeometry(tri, {2}, {0, 1});
              }).find("at least 3"),
              std::string::npos);
    EXPECT_NE(meshErrorOf([&] {
                  MeshGeometry(tri, {3}, {0, 1, 3});
              }).find("vertex 3"),
              std::string::npos);
    EXPECT_THROW(MeshGeometry(tri, {3}, {0, 1, -1}), MeshError);
    EXPECT_THROW(MeshGeometry(tri, {3, 3}, {0, 1, 2}), MeshError);  // counts exceed list
    EXPECT_THROW(MeshGeometry({0, 0, 0, 1}, {}, {}), MeshError);    // not a multiple of 3

    std::vector<float> bad = tri;
    bad[4] = std::numeric_limits<float>::quiet_NaN();
    const MeshGeometry withNaN(bad, {3}, {0, 1, 2});
    const std::string nan = meshErrorOf([&] { zt::host::validateMesh(withNaN); });
    EXPECT_NE(nan.find("vertex 1"), std::string::npos) << nan;
    EXPECT_NE(nan.find("y coordinate"), std::string::npos) << nan;
    bad[4] = std::numeric_limits<float>::infinity();
    EXPECT_THROW(zt::host::validateMesh(MeshGeometry(bad, {3}, {0, 1, 2})), MeshError);
}

TEST(MeshTopology, EdgesNormalsAreaAndBoundingBox) {
    // Two quads sharing the edge 1-4 in the XZ plane, wound to face +Y.
    const MeshGeometry mesh({0, 0, 0, 1, 0, 0, 2, 0, 0, 0, 0, -1, 1, 0, -1, 2, 0, -1.5f}, {4, 4},
                            {0, 1, 4, 3, 1, 2, 5, 4});
    const auto edges = zt::host::meshEdges(mesh);
    EXPECT_EQ(edges.size(), 7u);  // 4 + 4 - the shared one
    EXPECT_EQ(edges.front(), std::make_pair(0, 1));
    EXPECT_EQ(std::count(edges.begin(), edges.end(), std::make_pair(1, 4)), 1);

    const auto n0 = zt::host::polygonNormal(mesh, 0);
    EXPECT_NEAR(n0.x, 0.0, 1e-12);
    EXPECT_NEAR(n0.y, 1.0, 1e-12);
    EXPECT_NEAR(n0.z, 0.0, 1e-12);
    // The second quad is a trapezoid (depth 1 and 1.5): area 1.25.
    EXPECT_NEAR(zt::host::surfaceArea(mesh), 1.0 + 1.25, 1e-6);

    const auto box = zt::host::boundingBox(mesh);
    EXPECT_FALSE(box.empty);
    EXPECT_DOUBLE_EQ(box.min.z, -1.5);
    EXPECT_DOUBLE_EQ(box.max.x, 2.0);
    EXPECT_TRUE(zt::host::boundingBox(MeshGeometry()).empty);
}

TEST(MeshSets, UVAndColourSetsKeepTheirContentsAndChecks) {
    MeshGeometry mesh({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0}, {3, 3}, {0, 1, 2, 0, 2, 3});
    ASSERT_EQ(mesh.uvSets().size(), 1u);
    EXPECT_EQ(mesh.currentUVSetName(), "map1");
    EXPECT_EQ(mesh.uvSet().cornerUVs, std::vector<int>(6, -1));

    // Per-corner ids: corner 3 reuses UV 0, corner 5 has none.
    mesh.setUVs("map1", {0, 1, 1}, {0, 0, 1}, {0, 1, 2, 0, 2, -1});
    EXPECT_EQ(mesh.uvSet("map1").cornerUVs[3], 0);
    EXPECT_THROW(mesh.setUVs("map1", {0}, {0}, {0, 0, 0, 0, 0, 1}), MeshError);  // id 1 of 1
    EXPECT_THROW(mesh.setUVs("map1", {0}, {0}, {0}), MeshError);                 // too few corners
    EXPECT_THROW(mesh.setUVs("nope", {}, {}, std::vector<int>(6, -1)), MeshError);
    mesh.createUVSet("second");
    EXPECT_THROW(mesh.createUVSet("second"), MeshError);
    mesh.setCurrentUVSet("second");
    EXPECT_EQ(mesh.uvSet().name, "second");
    EXPECT_THROW(mesh.setCurrentUVSet("missing"), MeshError);

    EXPECT_TRUE(mesh.colorSets().empty());
    EXPECT_TRUE(mesh.currentColorSetName().empty());
    mesh.createColorSet("paint");
    EXPECT_EQ(mesh.currentColorSetName(), "paint");  // the first set becomes current
    mesh.createColorSet("other");
    EXPECT_EQ(mesh.currentColorSetName(), "paint");
    mesh.setVertexColor("other", 2, {0.25f, 0.5f, 0.75f, 1.f});
    const auto* other = mesh.findColorSet("other");
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->isSet, (std::vector<std::uint8_t>{0, 0, 1, 0}));
    EXPECT_FLOAT_EQ(other->colors[2][1], 0.5f);
    EXPECT_THROW(mesh.setVertexColor("other", 4, {}), MeshError);
    EXPECT_THROW(mesh.setVertexColor("missing", 0, {}), MeshError);

    // Moving points keeps topology and sets; the count may not change.
    mesh.setPoints({0, 0, 1, 1, 0, 1, 1, 1, 1, 0, 1, 1});
    EXPECT_DOUBLE_EQ(mesh.point(3).z, 1.0);
    EXPECT_THROW(mesh.setPoints({0, 0, 0}), MeshError);
    EXPECT_THROW(mesh.setPoint(4, {}), MeshError);
}
