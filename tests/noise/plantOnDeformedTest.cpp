// Points scattered and oriented on the rest plane and re-planted on the plane
// bent by an animated ztNoise deformer: at every frame each point lies on its
// deformed triangle at its (u, v) and, with R = G = B = 0, aims along the
// deformed surface's smooth normal there.

#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnMesh.h>
#include <maya/MIntArray.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "noiseScene.h"

using namespace noisetest;

namespace {

class PlantOnDeformed : public NoiseTest {};

MVector unit(const MVector& v) {
    return v / v.length();
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

TEST_F(PlantOnDeformed, PointsStayOnTheAnimatedSurfaceAndAimAlongItsNormals) {
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

        MFnMesh mesh(plug("groundShape.outMesh").asMObject());
        MPointArray vertices;
        MIntArray counts, corners;
        ASSERT_TRUE(mesh.getPoints(vertices));
        ASSERT_TRUE(mesh.getTriangles(counts, corners));
        const MPointArray rest = meshPoints("groundShapeOrig.outMesh");
        double bend = 0.0;
        for (unsigned int k = 0; k < rest.length(); ++k)
            bend = std::max(bend, std::fabs(vertices[k].y - rest[k].y));
        EXPECT_GT(bend, previousBend) << "the keyed amplitude grows";
        previousBend = bend;
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
