// Built-in primitives: counts, sizes, placement, UVs and outward normals.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "host/src/mesh/meshPrimitives.h"

using zt::host::MeshError;
using zt::host::MeshGeometry;

namespace {

// Every polygon's normal points away from the centre (the primitives are
// convex and centred at the origin).
void expectOutwardNormals(const MeshGeometry& m) {
    for (int f = 0; f < m.numFaces(); ++f) {
        const auto n = zt::host::polygonNormal(m, f);
        zt::host::Vec3 c;
        for (int k = 0; k < m.faceVertexCount(f); ++k) {
            const auto p = m.point(m.faceVertex(f, k));
            c.x += p.x;
            c.y += p.y;
            c.z += p.z;
        }
        EXPECT_GT(n.x * c.x + n.y * c.y + n.z * c.z, 0.0) << "face " << f;
    }
}

void expectUVsInUnitSquare(const MeshGeometry& m) {
    const auto& set = m.uvSet("map1");
    EXPECT_EQ(std::count(set.cornerUVs.begin(), set.cornerUVs.end(), -1), 0);
    for (std::size_t i = 0; i < set.u.size(); ++i) {
        EXPECT_TRUE(set.u[i] >= 0.f && set.u[i] <= 1.f && set.v[i] >= 0.f && set.v[i] <= 1.f)
            << "UV " << i << " (" << set.u[i] << ", " << set.v[i] << ")";
    }
}

}  // namespace

TEST(MeshPrimitives, PlaneCountsAreaAndUVs) {
    const MeshGeometry plane = zt::host::makePlane();
    EXPECT_EQ(plane.numVertices(), 121);
    EXPECT_EQ(plane.numFaces(), 100);
    EXPECT_EQ(zt::host::meshEdges(plane).size(), 220u);
    EXPECT_NEAR(zt::host::surfaceArea(plane), 1.0, 1e-6);

    const MeshGeometry wide = zt::host::makePlane(4.0, 2.0, 3, 2);
    EXPECT_EQ(wide.numVertices(), 12);
    EXPECT_EQ(wide.numFaces(), 6);
    EXPECT_NEAR(zt::host::surfaceArea(wide), 8.0, 1e-5);
    const auto box = zt::host::boundingBox(wide);
    EXPECT_DOUBLE_EQ(box.min.x, -2.0);
    EXPECT_DOUBLE_EQ(box.max.x, 2.0);
    EXPECT_DOUBLE_EQ(box.min.z, -1.0);
    EXPECT_DOUBLE_EQ(box.max.z, 1.0);
    EXPECT_DOUBLE_EQ(box.max.y - box.min.y, 0.0);
    for (int f = 0; f < wide.numFaces(); ++f)
        EXPECT_DOUBLE_EQ(zt::host::polygonNormal(wide, f).y, 1.0);
    // UV (0,0) at the -X/+Z corner, (1,1) at the +X/-Z corner.
    const auto& uv = wide.uvSet();
    const auto corner0 = wide.point(0);
    EXPECT_DOUBLE_EQ(corner0.x, -2.0);
    EXPECT_DOUBLE_EQ(corner0.z, 1.0);
    EXPECT_FLOAT_EQ(uv.u[0], 0.f);
    EXPECT_FLOAT_EQ(uv.v[0], 0.f);
    EXPECT_FLOAT_EQ(uv.u[11], 1.f);
    EXPECT_FLOAT_EQ(uv.v[11], 1.f);
    expectUVsInUnitSquare(wide);
}

TEST(MeshPrimitives, DefaultCubeMatchesTheHostsIdsAndSubdividedCubeCounts) {
    const MeshGeometry cube = zt::host::makeCube();
    EXPECT_EQ(cube.numVertices(), 8);
    EXPECT_EQ(cube.numFaces(), 6);
    EXPECT_EQ(zt::host::meshEdges(cube).size(), 12u);
    EXPECT_EQ(cube.faceVertices(), (std::vector<int>{0, 1, 3, 2, 2, 3, 5, 4, 4, 5, 7, 6,
                                                     6, 7, 1, 0, 1, 7, 5, 3, 6, 0, 2, 4}));
    EXPECT_EQ(cube.uvSet().u.size(), 14u);
    EXPECT_EQ(cube.uvSet().cornerUVs, (std::vector<int>{0, 1, 3, 2, 2, 3,  5,  4, 4,  5, 7, 6,
                                                        6, 7, 9, 8, 1, 10, 11, 3, 12, 0, 2, 13}));
    EXPECT_FLOAT_EQ(cube.uvSet().u[10], 0.875f);
    EXPECT_FLOAT_EQ(cube.uvSet().v[8], 1.f);
    const auto p7 = cube.point(7);
    EXPECT_DOUBLE_EQ(p7.x, 0.5);
    EXPECT_DOUBLE_EQ(p7.y, -0.5);
    EXPECT_DOUBLE_EQ(p7.z, -0.5);
    expectOutwardNormals(cube);
    expectUVsInUnitSquare(cube);
    EXPECT_NEAR(zt::host::surfaceArea(cube), 6.0, 1e-6);

    const MeshGeometry box = zt::host::makeCube(2.0, 3.0, 4.0, 2, 3, 4);
    // Surface lattice points: all minus the interior ones.
    EXPECT_EQ(box.numVertices(), 3 * 4 * 5 - 1 * 2 * 3);
    EXPECT_EQ(box.numFaces(), 2 * (2 * 3 + 3 * 4 + 2 * 4));
    EXPECT_NEAR(zt::host::surfaceArea(box), 2 * (2 * 3 + 3 * 4 + 2 * 4), 1e-5);
    // A closed surface: every edge is shared by exactly two faces, so
    // V - E + F = 2.
    EXPECT_EQ(
        box.numVertices() - static_cast<int>(zt::host::meshEdges(box).size()) + box.numFaces(), 2);
    const auto bb = zt::host::boundingBox(box);
    EXPECT_DOUBLE_EQ(bb.min.y, -1.5);
    EXPECT_DOUBLE_EQ(bb.max.z, 2.0);
    expectOutwardNormals(box);
    expectUVsInUnitSquare(box);
}

TEST(MeshPrimitives, SphereCountsRadiusPolesAndUVsAndInvalidParametersAreRefused) {
    const MeshGeometry sphere = zt::host::makeSphere();
    EXPECT_EQ(sphere.numVertices(), 382);
    EXPECT_EQ(sphere.numFaces(), 400);
    EXPECT_EQ(sphere.uvSet().u.size(), 439u);
    EXPECT_EQ(std::count(sphere.faceCounts().begin(), sphere.faceCounts().end(), 3), 40);

    const double r = 2.5;
    const MeshGeometry s = zt::host::makeSphere(r, 8, 5);
    EXPECT_EQ(s.numVertices(), 8 * 4 + 2);
    EXPECT_EQ(s.numFaces(), 8 * 3 + 16);
    for (int v = 0; v < s.numVertices(); ++v) {
        const auto p = s.point(v);
        EXPECT_NEAR(std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z), r, 1e-5) << "vertex " << v;
    }
    EXPECT_DOUBLE_EQ(s.point(32).y, -r);  // bottom pole
    EXPECT_DOUBLE_EQ(s.point(33).y, r);   // top pole
    EXPECT_EQ(s.numVertices() - static_cast<int>(zt::host::meshEdges(s).size()) + s.numFaces(), 2);
    expectOutwardNormals(s);
    expectUVsInUnitSquare(s);
    // The area approaches 4·pi·r² from below as the sphere gets finer.
    const double exact = 4.0 * 3.14159265358979 * r * r;
    const double coarse = zt::host::surfaceArea(s);
    const double fine = zt::host::surfaceArea(zt::host::makeSphere(r, 64, 64));
    EXPECT_LT(coarse, fine);
    EXPECT_LT(fine, exact);
    EXPECT_NEAR(fine, exact, 0.01 * exact);

    EXPECT_THROW(zt::host::makePlane(0.0), MeshError);
    EXPECT_THROW(zt::host::makePlane(1.0, -1.0), MeshError);
    EXPECT_THROW(zt::host::makePlane(1.0, 1.0, 0, 1), MeshError);
    EXPECT_THROW(zt::host::makePlane(std::nan(""), 1.0), MeshError);
    EXPECT_THROW(zt::host::makeCube(1, 1, 1, 1, 0, 1), MeshError);
    EXPECT_THROW(zt::host::makeCube(1, 1, INFINITY), MeshError);
    EXPECT_THROW(zt::host::makeSphere(1.0, 2, 10), MeshError);
    EXPECT_THROW(zt::host::makeSphere(-1.0), MeshError);
    EXPECT_THROW(zt::host::makePlane(1, 1, 100000, 100000), MeshError);
}
