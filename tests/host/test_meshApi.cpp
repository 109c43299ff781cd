// MFnMesh, MFnMeshData and MItMeshPolygon on mesh data objects: topology,
// triangulation, UVs per face corner and colour sets.

#include <gtest/gtest.h>
#include <maya/MColorArray.h>
#include <maya/MFloatArray.h>
#include <maya/MFloatPointArray.h>
#include <maya/MFnMesh.h>
#include <maya/MFnMeshData.h>
#include <maya/MIntArray.h>
#include <maya/MItMeshPolygon.h>
#include <maya/MPointArray.h>
#include <maya/MStringArray.h>

#include <limits>
#include <vector>

#include "host/src/graph/messages.h"

namespace {

// A quad (0 1 2 3), a triangle (1 4 2) and a concave pentagon (4 5 6 7 8)
// whose reflex corner is corner 3 (vertex 7), all in the XY plane facing +Z.
struct TestMesh {
    MObject data;
    MFloatArray u, v;  // one per face corner, corner c at (c / 10, c / 100)
};

TestMesh makeTestMesh() {
    TestMesh t;
    MFnMeshData dataFn;
    t.data = dataFn.create();
    const float xy[9][2] = {{0, 0}, {1, 0}, {1, 1},    {0, 1}, {2, 0},
                            {4, 0}, {4, 2}, {3, 0.5f}, {2, 2}};
    MFloatPointArray points;
    for (const auto& p : xy) points.append(p[0], p[1], 0.f);
    const int counts[] = {4, 3, 5};
    const int connects[] = {0, 1, 2, 3, 1, 4, 2, 4, 5, 6, 7, 8};
    const MIntArray polygonCounts(counts, 3), polygonConnects(connects, 12);
    for (int c = 0; c < 12; ++c) {
        t.u.append(c / 10.f);
        t.v.append(c / 100.f);
    }
    MFnMesh fn;
    MStatus status;
    fn.create(9, 3, points, polygonCounts, polygonConnects, t.u, t.v, t.data, &status);
    EXPECT_TRUE(status);
    return t;
}

std::vector<int> ints(const MIntArray& a) {
    std::vector<int> v(a.length());
    a.get(v.data());
    return v;
}

}  // namespace

TEST(MeshApi, TopologyPointsAndTriangulationOnMeshData) {
    const TestMesh t = makeTestMesh();
    MStatus status;
    MFnMesh fn(t.data, &status);
    ASSERT_TRUE(status);
    EXPECT_EQ(fn.numVertices(), 9);
    EXPECT_EQ(fn.numPolygons(), 3);
    EXPECT_EQ(fn.numFaceVertices(), 12);
    EXPECT_EQ(fn.numEdges(), 11);  // 4 + 3 + 5 minus the shared 1-2 edge
    EXPECT_EQ(fn.polygonVertexCount(2), 5);
    fn.polygonVertexCount(3, &status);
    EXPECT_EQ(status, MS::kInvalidParameter);

    MIntArray triCounts, triVerts;
    ASSERT_TRUE(fn.getTriangles(triCounts, triVerts));
    ASSERT_EQ(ints(triCounts), (std::vector<int>{2, 1, 3}));
    ASSERT_EQ(triVerts.length(), 18u);
    unsigned t3 = 0;
    for (int p = 0; p < 3; ++p) {
        for (int k = 0; k < triCounts[static_cast<unsigned>(p)]; ++k, ++t3) {
            int tri[3];
            ASSERT_TRUE(fn.getPolygonTriangleVertices(p, k, tri));
            for (unsigned c = 0; c < 3; ++c) EXPECT_EQ(triVerts[3 * t3 + c], tri[c]);
        }
    }
    int tri[3];
    EXPECT_FALSE(fn.getPolygonTriangleVertices(0, 2, tri));
    // The quad is the fan from its first corner.
    EXPECT_EQ(triVerts[0], 0);
    EXPECT_EQ(triVerts[4], 2);
    EXPECT_EQ(triVerts[5], 3);
    // No pentagon triangle may use the reflex vertex as the middle of a
    // fan across the notch: every triangle keeps the +Z winding.
    MFloatPointArray points;
    ASSERT_TRUE(fn.getPoints(points));
    for (unsigned i = 9; i < 18; i += 3) {
        const MFloatPoint& a = points[static_cast<unsigned>(triVerts[i])];
        const MFloatPoint& b = points[static_cast<unsigned>(triVerts[i + 1])];
        const MFloatPoint& c = points[static_cast<unsigned>(triVerts[i + 2])];
        EXPECT_GT((b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x), 0.f)
            << "triangle " << i / 3;
    }

    MPointArray dpoints;
    ASSERT_TRUE(fn.getPoints(dpoints));
    ASSERT_EQ(dpoints.length(), 9u);
    EXPECT_DOUBLE_EQ(dpoints[7].x, 3.0);
    EXPECT_DOUBLE_EQ(dpoints[7].y, 0.5);
    MPoint p;
    ASSERT_TRUE(fn.getPoint(6, p));
    EXPECT_DOUBLE_EQ(p.y, 2.0);
    EXPECT_FALSE(fn.getPoint(9, p));

    MIntArray counts, list, polygon;
    ASSERT_TRUE(fn.getVertices(counts, list));
    EXPECT_EQ(ints(counts), (std::vector<int>{4, 3, 5}));
    EXPECT_EQ(ints(list), (std::vector<int>{0, 1, 2, 3, 1, 4, 2, 4, 5, 6, 7, 8}));
    ASSERT_TRUE(fn.getPolygonVertices(1, polygon));
    EXPECT_EQ(ints(polygon), (std::vector<int>{1, 4, 2}));

    MVector normal;
    ASSERT_TRUE(fn.getPolygonNormal(2, normal));
    EXPECT_NEAR(normal.z, 1.0, 1e-9);

    const MBoundingBox box = fn.boundingBox();
    EXPECT_DOUBLE_EQ(box.max().x, 4.0);
    EXPECT_DOUBLE_EQ(box.max().y, 2.0);
}

TEST(MeshApi, UVsPerFaceCornerAndColourSetsWithUnsetDefaults) {
    const TestMesh t = makeTestMesh();
    MFnMesh fn(t.data);
    EXPECT_EQ(fn.numUVSets(), 1);
    MString current;
    fn.getCurrentUVSetName(current);
    EXPECT_EQ(current, MString("map1"));
    EXPECT_EQ(fn.numUVs(), 12);

    // Corner 1 of polygon 1 is face-vertex 5: UV (0.5, 0.05).
    float u = -1, v = -1;
    ASSERT_TRUE(fn.getPolygonUV(1, 1, u, v));
    EXPECT_FLOAT_EQ(u, 0.5f);
    EXPECT_FLOAT_EQ(v, 0.05f);
    int uvId = -1;
    ASSERT_TRUE(fn.getPolygonUVid(2, 4, uvId));
    EXPECT_EQ(uvId, 11);
    EXPECT_FALSE(fn.getPolygonUV(1, 3, u, v));
    const MString missing("nope");
    EXPECT_FALSE(fn.getPolygonUV(0, 0, u, v, &missing));

    MStatus status;
    MItMeshPolygon it(t.data, &status);
    ASSERT_TRUE(status);
    EXPECT_EQ(it.count(), 3u);
    int visited = 0;
    for (; !it.isDone(); it.next()) ++visited;
    EXPECT_EQ(visited, 3);

    int previous = -1;
    it.reset();
    ASSERT_TRUE(it.setIndex(2, previous));
    EXPECT_EQ(previous, 0);
    EXPECT_EQ(it.index(), 2u);
    MIntArray vertices;
    ASSERT_TRUE(it.getVertices(vertices));
    EXPECT_EQ(ints(vertices), (std::vector<int>{4, 5, 6, 7, 8}));
    EXPECT_TRUE(it.hasUVs());
    float2 uv = {0, 0};
    ASSERT_TRUE(it.getUV(3, uv));  // face-relative corner 3 = face-vertex 10
    EXPECT_FLOAT_EQ(uv[0], 1.0f);
    EXPECT_FLOAT_EQ(uv[1], 0.1f);
    EXPECT_FALSE(it.getUV(5, uv));
    int index = -1;
    ASSERT_TRUE(it.getUVIndex(0, index));
    EXPECT_EQ(index, 7);
    int triangles = 0;
    ASSERT_TRUE(it.numTriangles(triangles));
    EXPECT_EQ(triangles, 3);
    EXPECT_FALSE(it.setIndex(3, previous));
    EXPECT_EQ(it.index(), 2u);

    // Colour sets: unset defaults and the RGB / alpha representations.
    EXPECT_EQ(fn.numColorSets(), 0);
    MColorArray colors;
    EXPECT_FALSE(fn.getVertexColors(colors));  // no current set

    MString name("paint");
    ASSERT_TRUE(fn.createColorSet(name));
    EXPECT_EQ(name, MString("paint"));
    MString second = fn.createColorSetWithName("paint");
    EXPECT_EQ(second, MString("paint1"));  // a taken name gets a number
    MStringArray names;
    fn.getColorSetNames(names);
    ASSERT_EQ(names.length(), 2u);
    fn.getCurrentColorSetName(current);
    EXPECT_EQ(current, MString("paint"));

    const MColor painted[] = {{1.f, 0.5f, 0.25f, 0.75f}, {0.f, 1.f, 0.f, 0.5f}};
    const int paintedIds[] = {2, 7};
    MColorArray newColors(painted, 2);
    MIntArray ids(paintedIds, 2);
    ASSERT_TRUE(fn.setVertexColors(newColors, ids));
    // kRGB keeps the alpha, kAlpha keeps the colour.
    ASSERT_TRUE(fn.setVertexColor(MColor(0.f, 0.f, 1.f, 0.1f), 2, nullptr, MFnMesh::kRGB));
    ASSERT_TRUE(fn.setVertexColor(MColor(0.3f, 0.3f, 0.3f, 0.2f), 7, nullptr, MFnMesh::kAlpha));

    ASSERT_TRUE(fn.getVertexColors(colors));
    ASSERT_EQ(colors.length(), 9u);
    EXPECT_EQ(colors[0], MColor(-1.f, -1.f, -1.f, -1.f));
    EXPECT_EQ(colors[2], MColor(0.f, 0.f, 1.f, 0.75f));
    EXPECT_EQ(colors[7], MColor(0.f, 1.f, 0.f, 0.2f));
    const MColor white(1.f, 1.f, 1.f, 1.f);
    ASSERT_TRUE(fn.getVertexColors(colors, nullptr, &white));
    EXPECT_EQ(colors[8], white);
    // The other set is untouched.
    ASSERT_TRUE(fn.getVertexColors(colors, &second, &white));
    EXPECT_EQ(colors[2], white);

    MColorArray corners;
    ASSERT_TRUE(fn.getFaceVertexColors(corners));
    ASSERT_EQ(corners.length(), 12u);
    EXPECT_EQ(corners[2], MColor(0.f, 0.f, 1.f, 0.75f));  // face-vertex 2 is vertex 2
    EXPECT_EQ(corners[10], MColor(0.f, 1.f, 0.f, 0.2f));  // face-vertex 10 is vertex 7

    ASSERT_TRUE(fn.setCurrentColorSetName(second));
    fn.getCurrentColorSetName(current);
    EXPECT_EQ(current, second);
    {
        zt::host::MessageCapture quiet;
        EXPECT_FALSE(fn.setCurrentColorSetName("missing"));
        ids.append(9);
        newColors.append(white);
        EXPECT_FALSE(fn.setVertexColors(newColors, ids));  // vertex 9 does not exist
    }
}

TEST(MeshApi, CreateRejectsBadInputAndFunctionSetRejectsOtherObjects) {
    zt::host::MessageCapture quiet;
    MFnMeshData dataFn;
    MObject data = dataFn.create();
    const MFloatPoint corners[] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    const int badIds[] = {0, 1, 5};
    MFloatPointArray points(corners, 3);
    MIntArray counts(1, 3), connects(badIds, 3);
    MFnMesh fn;
    MStatus status;
    fn.create(3, 1, points, counts, connects, data, &status);
    EXPECT_EQ(status, MS::kInvalidParameter);
    EXPECT_TRUE(quiet.contains(zt::host::MessageKind::kError, "vertex 5"));
    connects[2] = 2;
    fn.create(4, 1, points, counts, connects, data, &status);  // 4 vertices, 3 points
    EXPECT_EQ(status, MS::kInvalidParameter);
    points[1].x = std::numeric_limits<float>::quiet_NaN();
    fn.create(3, 1, points, counts, connects, data, &status);
    EXPECT_EQ(status, MS::kInvalidParameter);

    MFnMesh none(MObject(), &status);
    EXPECT_EQ(status, MS::kInvalidParameter);
    EXPECT_EQ(none.numVertices(&status), 0);
    EXPECT_FALSE(status);
    MIntArray a, b;
    EXPECT_FALSE(none.getTriangles(a, b));
}
