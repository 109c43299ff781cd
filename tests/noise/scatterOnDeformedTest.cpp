// Points scattered on a mesh deformed by ztNoise lie on the deformed
// surface: every point is within 1e-5 of one of the deformed triangles.

#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnMesh.h>
#include <maya/MIntArray.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "noiseScene.h"

using namespace noisetest;

namespace {

class ScatterOnDeformed : public NoiseTest {};

// Distance from p to the triangle abc (closest point by regions, after
// Ericson, Real-Time Collision Detection 5.1.5).
double distanceToTriangle(const MPoint& p, const MPoint& a, const MPoint& b, const MPoint& c) {
    const MVector ab = b - a, ac = c - a, ap = p - a;
    const double d1 = ab * ap, d2 = ac * ap;
    if (d1 <= 0 && d2 <= 0) return (p - a).length();
    const MVector bp = p - b;
    const double d3 = ab * bp, d4 = ac * bp;
    if (d3 >= 0 && d4 <= d3) return (p - b).length();
    const double vc = d1 * d4 - d3 * d2;
    if (vc <= 0 && d1 >= 0 && d3 <= 0) return (p - (a + ab * (d1 / (d1 - d3)))).length();
    const MVector cp = p - c;
    const double d5 = ab * cp, d6 = ac * cp;
    if (d6 >= 0 && d5 <= d6) return (p - c).length();
    const double vb = d5 * d2 - d1 * d6;
    if (vb <= 0 && d2 >= 0 && d6 <= 0) return (p - (a + ac * (d2 / (d2 - d6)))).length();
    const double va = d3 * d6 - d5 * d4;
    if (va <= 0 && (d4 - d3) >= 0 && (d5 - d6) >= 0) {
        const double w = (d4 - d3) / ((d4 - d3) + (d5 - d6));
        return (p - (b + (c - b) * w)).length();
    }
    const double denom = 1.0 / (va + vb + vc);
    const double v = vb * denom, w = vc * denom;
    return (p - (a + ab * v + ac * w)).length();
}

TEST_F(ScatterOnDeformed, EveryPointLiesOnTheDeformedSurface) {
    deformedPlane(4.0, 12);
    setAxis("y", 0.6, 0.5, 4);
    setAxis("x", 0.2, 0.9, 2);
    ASSERT_TRUE(
        mel("createNode ztScatterPoints -n sc;"
            "connectAttr groundShape.outMesh sc.inMesh;"
            "connectAttr groundShape.boundingBox sc.boundingBox;"
            "setAttr sc.radius 0.15;"));
    MObject pointSet = plug("sc.outPoints").asMObject();
    MFnArrayAttrsData points(pointSet);
    MFnArrayAttrsData::Type type;
    ASSERT_TRUE(points.checkArrayExist("position", type));
    const MVectorArray positions = points.getVectorData("position");
    ASSERT_GT(positions.length(), 100u);

    MObject meshData = plug("groundShape.outMesh").asMObject();
    MFnMesh mesh(meshData);
    MPointArray vertices;
    MIntArray counts, corners;
    ASSERT_TRUE(mesh.getPoints(vertices));
    ASSERT_TRUE(mesh.getTriangles(counts, corners));
    const MPointArray rest = meshPoints("groundShapeOrig.outMesh");
    double bent = 0.0;
    for (unsigned int i = 0; i < rest.length(); ++i)
        bent = std::max(bent, std::fabs(vertices[i].y - rest[i].y));
    ASSERT_GT(bent, 0.05) << "the mesh is visibly deformed";

    double worst = 0.0, worstOnRest = 0.0;
    for (unsigned int i = 0; i < positions.length(); ++i) {
        const MPoint p(positions[i]);
        double nearest = std::numeric_limits<double>::max();
        double nearestRest = std::numeric_limits<double>::max();
        for (unsigned int t = 0; t + 2 < corners.length(); t += 3) {
            const int a = corners[t], b = corners[t + 1], c = corners[t + 2];
            nearest =
                std::min(nearest, distanceToTriangle(p, vertices[a], vertices[b], vertices[c]));
            nearestRest = std::min(nearestRest, distanceToTriangle(p, rest[a], rest[b], rest[c]));
        }
        worst = std::max(worst, nearest);
        worstOnRest = std::max(worstOnRest, nearestRest);
    }
    EXPECT_LT(worst, 1e-5);
    EXPECT_GT(worstOnRest, 1e-2) << "the points are not those of the undeformed plane";
}

}  // namespace
