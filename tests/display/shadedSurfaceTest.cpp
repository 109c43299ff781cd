// Mesh shapes in the view: triangle lists and normals, head-light shading
// of known surfaces measured in pictures, vertex colours, visibility, and
// points staying visible on the surface.

#include <maya/M3dView.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MGlobal.h>
#include <maya/MPlug.h>

#include <cmath>

#include "displayScene.h"
#include "host/src/graph/scene.h"
#include "host/src/mel/engine.h"
#include "host/src/mesh/meshPrimitives.h"
#include "host/src/viewport/shadedMesh.h"
#include "host/src/viewport/viewport.h"
#include "host/src/viewport/viewportCommands.h"

using namespace displaytest;
using zt::host::Image;
using zt::host::ShadedTriangles;
using zt::host::ShadingMode;

namespace {

class ShadedSurfaces : public DisplayTest {
protected:
    void TearDown() override { zt::host::Viewport::instance().setShading(ShadingMode::kSmooth); }
};

// The grey a surface of material colour c shows at angle t to the head light.
int litChannel(double c, double cosine) {
    const double v = std::min(1.0, c * (zt::host::kAmbientLight + cosine));
    return int(v * 255.0 + 0.5);
}

Rgb litGrey(double cosine) {
    const int g = litChannel(zt::host::kSurfaceGrey, cosine);
    return {g, g, g};
}

MVector normalOf(const ShadedTriangles& t, std::size_t corner) {
    return MVector(t.normals[3 * corner], t.normals[3 * corner + 1], t.normals[3 * corner + 2]);
}

MVector positionOf(const ShadedTriangles& t, std::size_t corner) {
    return MVector(t.positions[3 * corner], t.positions[3 * corner + 1],
                   t.positions[3 * corner + 2]);
}

}  // namespace

TEST_F(ShadedSurfaces, TrianglesAndNormalsFollowTheSmoothingAngle) {
    using zt::host::shadeMesh;
    // A cube: every edge is 90 degrees, so even smooth shading keeps one
    // normal per side, along the side's outward axis.
    const zt::host::MeshGeometry cube = zt::host::makeCube(2, 2, 2);
    const ShadedTriangles box = shadeMesh(cube, ShadingMode::kSmooth);
    ASSERT_EQ(box.triangleCount(), 12u);
    ASSERT_EQ(box.normals.size(), box.positions.size());
    EXPECT_TRUE(box.colours.empty());
    for (std::size_t t = 0; t < 12; ++t) {
        // The side a triangle lies on: the axis its centre sits at +-1 on;
        // the normal is that axis.
        const MVector centre =
            (positionOf(box, 3 * t) + positionOf(box, 3 * t + 1) + positionOf(box, 3 * t + 2)) / 3;
        MVector expected(0, 0, 0);
        for (unsigned int a = 0; a < 3; ++a)
            if (std::fabs(centre[a]) == 1.0) expected[a] = centre[a];
        for (std::size_t k = 3 * t; k < 3 * t + 3; ++k)
            EXPECT_NEAR((normalOf(box, k) - expected).length(), 0.0, 1e-6) << "corner " << k;
    }

    // A sphere: smooth normals point away from the centre (the average of
    // the faces around a vertex), flat ones are the faces' own normals.
    const zt::host::MeshGeometry ball = zt::host::makeSphere(1.0, 24, 24);
    const ShadedTriangles smooth = shadeMesh(ball, ShadingMode::kSmooth);
    const ShadedTriangles flat = shadeMesh(ball, ShadingMode::kFlat);
    ASSERT_EQ(smooth.triangleCount(), flat.triangleCount());
    EXPECT_EQ(smooth.triangleCount(), std::size_t(24 * 22 * 2 + 2 * 24));
    double worstSmooth = 0.0, worstFlatInTriangle = 0.0, largestFlatOffset = 0.0;
    for (std::size_t corner = 0; corner < smooth.positions.size() / 3; ++corner) {
        const MVector radial = positionOf(smooth, corner).normal();
        worstSmooth = std::max(worstSmooth, (normalOf(smooth, corner) - radial).length());
        const std::size_t first = corner - corner % 3;
        worstFlatInTriangle = std::max(worstFlatInTriangle,
                                       (normalOf(flat, corner) - normalOf(flat, first)).length());
        largestFlatOffset = std::max(largestFlatOffset, (normalOf(flat, corner) - radial).length());
    }
    EXPECT_LT(worstSmooth, 0.05);
    EXPECT_LT(worstFlatInTriangle, 1e-6) << "flat: one normal per polygon";
    EXPECT_GT(largestFlatOffset, 0.1) << "flat normals are not the radial ones";

    // Vertex colours: painted vertices carry their colour, the others grey.
    zt::host::MeshGeometry plane = zt::host::makePlane(1, 1, 1, 1);
    plane.createColorSet("paint");
    plane.setVertexColor("paint", 0, {1.0f, 0.5f, 0.25f, 1.0f});
    const ShadedTriangles painted =
        shadeMesh(plane, ShadingMode::kFlat, plane.findColorSet("paint"));
    ASSERT_EQ(painted.colours.size(), 6u * 4u);
    int paintedCorners = 0, greyCorners = 0;
    for (std::size_t corner = 0; corner < 6; ++corner) {
        const MVector p = positionOf(painted, corner);
        const zt::host::Vec3 v0 = plane.point(0);
        const float* c = &painted.colours[4 * corner];
        if (p.x == v0.x && p.z == v0.z) {
            ++paintedCorners;
            EXPECT_EQ(c[0], 1.0f);
            EXPECT_EQ(c[1], 0.5f);
            EXPECT_EQ(c[2], 0.25f);
        } else {
            ++greyCorners;
            EXPECT_EQ(c[0], zt::host::kSurfaceGrey);
        }
    }
    EXPECT_GE(paintedCorners, 1);
    EXPECT_EQ(paintedCorners + greyCorners, 6);
}

TEST_F(ShadedSurfaces, TransformedTrianglesKeepNormalsAtRightAngles) {
    // A unit quad in XZ (normal +Y) squashed along a slanted axis: the
    // transformed normal must stay perpendicular to the transformed edges.
    const ShadedTriangles quad =
        zt::host::shadeMesh(zt::host::makePlane(1, 1, 1, 1), ShadingMode::kFlat);
    const double m[4][4] = {{1, 0.5, 0, 0}, {0, 0.25, 0, 0}, {0.3, 0.7, 2, 0}, {5, 6, 7, 1}};
    ShadedTriangles placed;
    ASSERT_TRUE(zt::host::appendTransformed(quad, MMatrix(m), placed));
    ASSERT_EQ(placed.triangleCount(), 2u);
    for (std::size_t t = 0; t < 2; ++t) {
        const MVector a = positionOf(placed, 3 * t), b = positionOf(placed, 3 * t + 1),
                      c = positionOf(placed, 3 * t + 2);
        const MVector n = normalOf(placed, 3 * t);
        EXPECT_NEAR(n.length(), 1.0, 1e-6);
        EXPECT_NEAR(n * (b - a), 0.0, 1e-5);
        EXPECT_NEAR(n * (c - a), 0.0, 1e-5);
        // The matrix keeps orientation (positive determinant), so the normal
        // stays on the side the triangle's winding gives it.
        const MVector a0 = positionOf(quad, 3 * t), b0 = positionOf(quad, 3 * t + 1),
                      c0 = positionOf(quad, 3 * t + 2);
        const double before = normalOf(quad, 3 * t) * ((b0 - a0) ^ (c0 - a0));
        const double after = n * ((b - a) ^ (c - a));
        EXPECT_GT(before * after, 0.0);
    }
    // The first corner moved as p * M.
    const MVector p = positionOf(quad, 0);
    const MVector expected(p.x * 1 + p.z * 0.3 + 5, p.x * 0.5 + p.y * 0.25 + p.z * 0.7 + 6,
                           p.z * 2 + 7);
    EXPECT_NEAR((positionOf(placed, 0) - expected).length(), 0.0, 1e-5);
    const double singular[4][4] = {{1, 0, 0, 0}, {2, 0, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    EXPECT_FALSE(zt::host::appendTransformed(quad, MMatrix(singular), placed));
    EXPECT_EQ(placed.triangleCount(), 2u) << "a singular matrix appends nothing";
}

TEST_F(ShadedSurfaces, PlanesShowTheHeadLightAngle) {
    // A camera above the origin looking straight down.
    MDagPath camera = createCamera(MVector(0, 10, 0), MVector(-90, 0, 0));
    run("polyPlane -w 4 -h 4 -sx 1 -sy 1 -n ground;");
    const int w = 80, h = 60;
    Image image = render(camera, w, h);
    const Pixel centre = project(camera, MPoint(0, 0, 0), w, h);
    EXPECT_TRUE(colourNear(image, centre.x, centre.y, litGrey(1.0), 2))
        << "facing the camera: grey * (ambient + 1)";
    EXPECT_TRUE(colourNear(image, 2, 2, background(), 1)) << "outside the plane";
    // The plane's extent: 4 units seen from 10 units away.
    const PixelBox lit = boxOfColour(image, litGrey(1.0), 2);
    const Pixel corner = project(camera, MPoint(2, 0, 2), w, h);
    EXPECT_NEAR(lit.maxX, corner.x, 1);
    EXPECT_NEAR(lit.maxY, corner.y, 1);

    // Tilted by 60 degrees the light falls at cos 60 = 0.5; seen from the
    // back (tilted by 120) the back side is lit the same.
    for (const char* tilt : {"60", "120"}) {
        run(std::string("setAttr ground.rotateX ") + tilt + ";");
        image = render(camera, w, h);
        EXPECT_TRUE(colourNear(image, centre.x, centre.y, litGrey(0.5), 2)) << tilt;
    }

    // Hidden through its transform, or drawn as edges only.
    run("setAttr ground.rotateX 0; setAttr ground.visibility 0;");
    image = render(camera, w, h);
    EXPECT_EQ(countOtherThan(image, background(), 1), 0);
    run("setAttr ground.visibility 1; modelEditor -e -displayAppearance wireframe modelPanel4;");
    EXPECT_EQ(MGlobal::executeCommandStringResult("modelEditor -q -displayAppearance modelPanel4"),
              MString("wireframe"));
    image = render(camera, w, h);
    EXPECT_TRUE(colourNear(image, centre.x, centre.y, background(), 1)) << "no fill";
    const Rgb wire =
        toRgb(zt::host::kWireColour[0], zt::host::kWireColour[1], zt::host::kWireColour[2]);
    EXPECT_TRUE(colourNearby(image, corner.x, centre.y, wire, 2, 1)) << "the plane's edge";
    // The polygon's four edges, not the diagonal of its triangles: the wire
    // pixels are the outline of the square.
    const PixelBox wires = boxOfColour(image, wire, 2);
    const Pixel opposite = project(camera, MPoint(-2, 0, -2), w, h);
    EXPECT_NEAR(wires.minX, opposite.x, 1);
    EXPECT_NEAR(wires.maxX, corner.x, 1);
    int inside = 0;
    for (int y = wires.minY + 2; y <= wires.maxY - 2; ++y)
        for (int x = wires.minX + 2; x <= wires.maxX - 2; ++x)
            if (colourNear(image, x, y, wire, 2)) ++inside;
    EXPECT_EQ(inside, 0) << "no diagonal";
    EXPECT_GE(wires.count, 4 * (wires.maxX - wires.minX) - 8);
    EXPECT_FALSE(zt::mel::executeText("modelEditor -e -displayAppearance shiny;"));
}

TEST_F(ShadedSurfaces, VertexColoursAndPointsOnTheSurface) {
    MDagPath camera = createCamera(MVector(0, 10, 0), MVector(-90, 0, 0));
    run("polyPlane -w 4 -h 4 -sx 2 -sy 2 -n ground;"
        "polyColorPerVertex -rgb 0.5 0.25 0 groundShape;");
    const int w = 80, h = 60;
    const Pixel centre = project(camera, MPoint(0.5, 0, 0.5), w, h);
    // Painted but not displayed: still grey.
    Image image = render(camera, w, h);
    EXPECT_TRUE(colourNear(image, centre.x, centre.y, litGrey(1.0), 2));
    run("setAttr groundShape.displayColors 1;");
    image = render(camera, w, h);
    const Rgb lit = {litChannel(0.5, 1.0), litChannel(0.25, 1.0), litChannel(0.0, 1.0)};
    EXPECT_TRUE(colourNear(image, centre.x, centre.y, lit, 2));
    // -colorDisplayOption turns the display on, as in the full host.
    run("setAttr groundShape.displayColors 0;"
        "polyColorPerVertex -rgb 0 0.5 0 -cdo groundShape;");
    EXPECT_EQ(MGlobal::executeCommandStringResult("getAttr groundShape.displayColors"),
              MString("1"));
    image = render(camera, w, h);
    EXPECT_TRUE(colourNear(image, centre.x, centre.y, {0, litChannel(0.5, 1.0), 0}, 2));

    // Points lying on the surface are drawn over it, not hidden in it.
    MObject points = createLocator("ztDisplayPoints");
    setPoints(points, PointSet().vectors("position", {MVector(1, 0, 1), MVector(-1, 0, -1)}));
    setPlug(points, "pointSize", 4);
    image = render(camera, w, h);
    for (const MPoint p : {MPoint(1, 0, 1), MPoint(-1, 0, -1)}) {
        const Pixel px = project(camera, p, w, h);
        EXPECT_TRUE(colourNearby(image, px.x, px.y, {0, 0, 0}, 2, 1)) << p.x;
    }
}

TEST_F(ShadedSurfaces, SphereShadingFollowsTheNormal) {
    // A sphere of radius 1 five units in front of the camera. For pixels
    // along the middle row, the expected brightness comes from the ray's hit
    // on the true sphere: the cosine is the normal's component towards the
    // camera (the head light shines along the viewing axis).
    MDagPath camera = createCamera(MVector(0, 0, 5));
    run("polySphere -r 1 -sx 48 -sy 48 -n ball;");
    const int w = 160, h = 120;
    const Image image = render(camera, w, h);
    const double focal = 35.0, aperture = 1.41732 * 25.4;
    const double pixelsPerUnit = w / (aperture / focal);
    int checked = 0;
    for (int x = w / 2; x < w; x += 3) {
        const MVector ray((x + 0.5 - w / 2.0) / pixelsPerUnit, -(0.5) / pixelsPerUnit, -1.0);
        const MVector d = ray.normal();
        const MVector centre(0, 0, -5);
        const double b = d * centre, c = centre * centre - 1.0;
        const double disc = b * b - c;
        if (disc < 0.05) break;  // near the rim the facets differ most from the sphere
        const MVector hit = d * (b - std::sqrt(disc));
        const double cosine = (hit - centre).z;
        EXPECT_TRUE(colourNear(image, x, h / 2, litGrey(cosine), 5))
            << "x " << x << " cosine " << cosine << " got " << int(image.pixel(x, h / 2)[0]);
        ++checked;
    }
    EXPECT_GT(checked, 5);

    // Flat shading: the same sphere in facets; many pixels change, and the
    // centre (facing the camera) keeps its brightness.
    run("modelEditor -e -da flatShaded;");
    const Image faceted = render(camera, w, h);
    int changed = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (std::abs(int(faceted.pixel(x, y)[0]) - int(image.pixel(x, y)[0])) > 2) ++changed;
    EXPECT_GT(changed, 100);
    EXPECT_TRUE(colourNear(faceted, w / 2, h / 2, litGrey(1.0), 4));
}

TEST_F(ShadedSurfaces, FramingCoversMeshesAndInstancedCopies) {
    // A plane far off to one side and a copy far off to the other: framing
    // the persp camera brings both into the picture.
    run("polyPlane -w 2 -h 2 -sx 1 -sy 1 -n farPlane; setAttr farPlane.translateX 60;"
        "polyCube -n post; setAttr post.visibility 0;"
        "instancer -object post -n inst;");
    MObject inst = zt::host::findNode("inst");
    ASSERT_TRUE(MFnDependencyNode(inst)
                    .findPlug("inputPoints")
                    .setValue(PointSet().vectors("position", {MVector(0, 0, -70)}).object()));
    MDagPath persp;
    ASSERT_TRUE(M3dView::active3dView().getCamera(persp));
    const int w = 200, h = 150;
    zt::host::fitCameraToLocators(persp, double(w) / h);
    const Image image = render(persp, w, h);
    for (const MPoint p : {MPoint(60, 0, 0), MPoint(0, 0, -70)}) {
        const Pixel px = project(persp, p, w, h);
        ASSERT_TRUE(px.x >= 0 && px.x < w && px.y >= 0 && px.y < h) << p.x << " " << p.z;
        EXPECT_FALSE(colourNear(image, px.x, px.y, background(), 1)) << p.x << " " << p.z;
    }
}
