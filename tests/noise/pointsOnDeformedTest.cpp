// Points on a plane bent by ztNoise: scattered on the deformed mesh they lie
// on its triangles; scattered and oriented on the rest plane and re-planted
// on the plane bent by an animated deformer, at every frame each point lies
// on its deformed triangle at its (u, v) and, with R = G = B = 0, aims along
// the deformed surface's smooth normal there.

#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnMesh.h>
#include <maya/MIntArray.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "noiseScene.h"

using namespace noisetest;

namespace {

class PointsOnDeformed : public NoiseTest {};

MVector unit(const MVector& v) {
    return v / v.length();
}

// The deformed plane's vertices and triangle corners, its rest vertices, and
// how far it is bent from them along y.
struct DeformedMesh {
    MPointArray vertices, rest;
    MIntArray corners;
    double bend = 0.0;
};
DeformedMesh deformedMesh() {
    DeformedMesh m;
    MFnMesh mesh(plug("groundShape.outMesh").asMObject());
    MIntArray counts;
    EXPECT_TRUE(mesh.getPoints(m.vertices));
    EXPECT_TRUE(mesh.getTriangles(counts, m.corners));
    m.rest = meshPoints("groundShapeOrig.outMesh");
    for (unsigned int k = 0; k < m.rest.length() && k < m.vertices.length(); ++k)
        m.bend = std::max(m.bend, std::fabs(m.vertices[k].y - m.rest[k].y));
    return m;
}

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

// Smooth normals of a mesh in double precision: unit face normals averaged
// at each vertex over the triangles that use it.
std::vector<MVector> vertexNormals(const MPointArray& points, const MIntArray& corners) {
    std::vector<MVector> sum(points.length(), MVector(0, 0, 0));
    std::vector<int> count(points.length(), 0);
    for (unsigned int t = 0; t + 2 < corners.length(); t += 3) {
        const MVector n = unit((points[corners[t + 1]] - points[corners[t]]) ^
                               (points[corners[t + 2]] - points[corners[t]]));
        for (unsigned int k = 0; k < 3; ++k) {
            sum[corners[t + k]] += n;
            ++count[corners[t + k]];
        }
    }
    for (std::size_t v = 0; v < sum.size(); ++v)
        if (count[v] > 0) sum[v] = sum[v] / count[v];
    return sum;
}

TEST_F(PointsOnDeformed, ScatteredLieOnTheDeformedSurface) {
    deformedPlane(4.0, 12);
    setAxis("y", 0.6, 0.5, 4);
    setAxis("x", 0.2, 0.9, 2);
    ASSERT_TRUE(
        mel("createNode ztScatterPoints -n sc;"
            "connectAttr groundShape.outMesh sc.inMesh;"
            "connectAttr groundShape.boundingBox sc.boundingBox;"
            "setAttr sc.radius 0.15;"));
    const MVectorArray positions =
        MFnArrayAttrsData(plug("sc.outPoints").asMObject()).getVectorData("position");
    ASSERT_GT(positions.length(), 100u);

    const DeformedMesh m = deformedMesh();
    ASSERT_GT(m.bend, 0.05) << "the mesh is visibly deformed";

    double worst = 0.0, worstOnRest = 0.0;
    for (unsigned int i = 0; i < positions.length(); ++i) {
        const MPoint p(positions[i]);
        double nearest = std::numeric_limits<double>::max();
        double nearestRest = std::numeric_limits<double>::max();
        for (unsigned int t = 0; t + 2 < m.corners.length(); t += 3) {
            const MPointArray &v = m.vertices, &r = m.rest;
            const int a = m.corners[t], b = m.corners[t + 1], c = m.corners[t + 2];
            nearest = std::min(nearest, distanceToTriangle(p, v[a], v[b], v[c]));
            nearestRest = std::min(nearestRest, distanceToTriangle(p, r[a], r[b], r[c]));
        }
        worst = std::max(worst, nearest);
        worstOnRest = std::max(worstOnRest, nearestRest);
    }
    EXPECT_LT(worst, 1e-5);
    EXPECT_GT(worstOnRest, 1e-2) << "the points are not those of the undeformed plane";
}

TEST_F(PointsOnDeformed, PlantedStayOnTheAnimatedSurfaceAndAimAlongItsNormals) {
    deformedPlane(6.0, 24);
    ASSERT_TRUE(
        mel("setAttr ztNoise1.oyNoiseFreq 0.4;"
            "setKeyframe -t 1 -v 0.1 -itt linear -ott linear ztNoise1.oyNoiseAmp;"
            "setKeyframe -t 4 -v 0.9 -itt linear -ott linear ztNoise1.oyNoiseAmp;"
            "setKeyframe -t 1 -v 0 -itt linear -ott linear transform1.tx;"
            "setKeyframe -t 4 -v 2 -itt linear -ott linear transform1.tx;"
            "currentTime 1;"
            "createNode ztScatterPoints -n sc;"
            "connectAttr groundShapeOrig.outMesh sc.inMesh;"
            "connectAttr groundShapeOrig.boundingBox sc.boundingBox;"
            "setAttr sc.radius 0.2;"
            "createNode ztPointsRotation -n rot;"
            "connectAttr sc.outPoints rot.inPoints;"
            "connectAttr groundShapeOrig.outMesh rot.inMesh;"
            "setAttr rot.localAimDirection 1;"
            "createNode ztPlantPoints -n plant;"
            "connectAttr rot.outPoints plant.inPoints;"
            "connectAttr groundShape.outMesh plant.inMesh;"));

    double previousBend = 0.0;
    for (int frame = 1; frame <= 4; ++frame) {
        SCOPED_TRACE(frame);
        ASSERT_TRUE(mel("currentTime " + std::to_string(frame) + ";"));
        MFnArrayAttrsData points(plug("plant.outPoints").asMObject());
        const MVectorArray position = points.getVectorData("position");
        const MVectorArray aim = points.getVectorData("aimDirection");
        const MVectorArray uv = points.getVectorData("uv");
        const MIntArray tri = points.getIntData("triID");
        ASSERT_GT(position.length(), 200u);
        ASSERT_EQ(aim.length(), position.length());

        const DeformedMesh m = deformedMesh();
        const MPointArray& vertices = m.vertices;
        const MIntArray& corners = m.corners;
        EXPECT_GT(m.bend, previousBend) << "the keyed amplitude grows";
        previousBend = m.bend;
        const std::vector<MVector> normals = vertexNormals(vertices, corners);

        double worstPosition = 0.0, worstAim = 0.0, lowestAlignment = 1.0;
        for (unsigned int i = 0; i < position.length(); ++i) {
            const int t = tri[i];
            const double u = uv[i].x, v = uv[i].y;
            const int a = corners[3 * t], b = corners[3 * t + 1], c = corners[3 * t + 2];
            const MVector expected = MVector(vertices[a]) * (1.0 - u - v) +
                                     MVector(vertices[b]) * u + MVector(vertices[c]) * v;
            worstPosition = std::max(worstPosition, (position[i] - expected).length());
            const MVector normal =
                unit(normals[a] * (1.0 - u - v) + normals[b] * u + normals[c] * v);
            worstAim = std::max(worstAim, (aim[i] - normal).length());
            // The same normal as the rest plane's would not follow the bend.
            lowestAlignment = std::min(lowestAlignment, aim[i].y);
        }
        EXPECT_LT(worstPosition, 1e-5);
        EXPECT_LT(worstAim, 1e-4);
        if (frame == 4) {
            EXPECT_LT(lowestAlignment, 0.95) << "aims tilt with the bent surface";
        }
    }
}

}  // namespace
