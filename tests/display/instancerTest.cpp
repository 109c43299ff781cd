// The instancer: per-point matrices from the point-set channels (aim,
// rotation, scale) on hand-computed cases, bad channels, the node's wiring,
// its copies in pictures, and the export of the copies as one mesh.

#include <maya/MFnDependencyNode.h>
#include <maya/MGlobal.h>
#include <maya/MPlug.h>

#include <cmath>

#include "displayScene.h"
#include "host/src/graph/messages.h"
#include "host/src/graph/scene.h"
#include "host/src/mel/engine.h"
#include "host/src/mesh/meshReaders.h"
#include "host/src/viewport/instanceMath.h"
#include "host/src/viewport/instancerNode.h"

using namespace displaytest;
using zt::host::Image;
using zt::host::InstancePoints;

namespace {

class Instancer : public DisplayTest {};

MVector apply(const MMatrix& m, const MVector& p) {
    const MPoint q = MPoint(p) * m;
    return MVector(q.x, q.y, q.z);
}

void expectNear(const MVector& got, const MVector& want, const char* what) {
    EXPECT_NEAR((got - want).length(), 0.0, 1e-9) << what << ": got " << got << " want " << want;
}

// Where m takes the unit x, y and z axes.
void expectAxes(const MMatrix& m, const MVector& x, const MVector& y, const MVector& z,
                const char* what) {
    expectNear(apply(m, MVector(1, 0, 0)), x, what);
    expectNear(apply(m, MVector(0, 1, 0)), y, what);
    expectNear(apply(m, MVector(0, 0, 1)), z, what);
}

InstancePoints readPoints(const PointSet& set) {
    InstancePoints points;
    std::string error;
    EXPECT_TRUE(points.read(set.object(), error)) << error;
    return points;
}

std::string readError(const PointSet& set) {
    InstancePoints points;
    std::string error;
    EXPECT_FALSE(points.read(set.object(), error));
    return error;
}

}  // namespace

TEST_F(Instancer, AimRotationTurnsTheAxesAsComputedByHand) {
    using zt::host::aimRotation;
    const double r = 1.0 / std::sqrt(2.0);
    // Aim along +Z with +Y up: X -> Z, Y stays, Z -> X x Y of the new frame = -X.
    expectAxes(aimRotation(MVector(0, 0, 3), MVector(0, 1, 0)), MVector(0, 0, 1), MVector(0, 1, 0),
               MVector(-1, 0, 0), "aim +z");
    // Aim along (1,1,0): the up axis is the part of world up at right
    // angles to it, (-1,1,0)/sqrt 2.
    expectAxes(aimRotation(MVector(1, 1, 0), MVector(0, 1, 0)), MVector(r, r, 0), MVector(-r, r, 0),
               MVector(0, 0, 1), "aim diagonal");
    // The up direction need not be at right angles or of unit length.
    MMatrix m = aimRotation(MVector(0, 0, 1), MVector(5, 0, 7));
    expectNear(apply(m, MVector(0, 1, 0)), MVector(1, 0, 0), "up towards +x");
    // Up parallel to the aim: the least aligned world axis (+X) stands in.
    expectAxes(aimRotation(MVector(0, 2, 0), MVector(0, 1, 0)), MVector(0, 1, 0), MVector(1, 0, 0),
               MVector(0, 0, -1), "fallback up");
    // A zero aim leaves the object as it is.
    m = aimRotation(MVector(0, 0, 0), MVector(0, 1, 0));
    EXPECT_TRUE(m.isEquivalent(MMatrix(), 0.0));
    // Other object axes: aim with +Y, up with +Z.
    expectAxes(aimRotation(MVector(1, 0, 0), MVector(0, 0, 1), MVector(0, 1, 0), MVector(0, 0, 1)),
               MVector(0, -1, 0), MVector(1, 0, 0), MVector(0, 0, 1), "aim axis y, up axis z");
}

TEST_F(Instancer, PointMatricesPlaceScaleAndTurnTheCopies) {
    // Point 0 aims along +Z and is stretched 2x along its own X; point 1
    // aims at a position; point 2 uses Euler rotation.
    InstancePoints points = readPoints(
        PointSet()
            .vectors("position", {MVector(1, 2, 3), MVector(0, 0, 0), MVector(4, 0, 0)})
            .vectors("scale", {MVector(2, 1, 1), MVector(1, 1, 1), MVector(1, 3, 1)})
            .vectors("aimDirection", {MVector(0, 0, 1), MVector(1, 0, 0), MVector(0, 0, 1)})
            .vectors("aimPosition", {MVector(0, 0, 0), MVector(0, 0, -9), MVector(0, 0, 0)})
            .vectors("rotation", {MVector(0, 0, 0), MVector(0, 0, 0), MVector(0, 0, 90)})
            .ints("rotationType", {1, 2, 0})
            .ints("objectIndex", {0, 1, 2}));
    ASSERT_EQ(points.size(), 3u);
    // p * S * R + position: (1,0,0) -> (2,0,0) -> (0,0,2) -> (1,2,5).
    expectAxes(points.matrix(0), MVector(1, 2, 5), MVector(1, 3, 3), MVector(0, 2, 3), "point 0");
    // Aim position (0,0,-9) from the origin: X -> -Z.
    expectNear(apply(points.matrix(1), MVector(1, 0, 0)), MVector(0, 0, -1), "point 1 x");
    // Euler Z 90 degrees: X -> Y; scale Y 3 then Y -> -X.
    expectNear(apply(points.matrix(2), MVector(1, 0, 0)), MVector(4, 1, 0), "point 2 x");
    expectNear(apply(points.matrix(2), MVector(0, 1, 0)), MVector(1, 0, 0), "point 2 y");
    EXPECT_EQ(points.objectIndex(2), 2);

    // Radians for the rotation channel.
    InstancePoints radians = readPoints(PointSet()
                                            .vectors("position", {MVector(0, 0, 0)})
                                            .vectors("rotation", {MVector(0, 0, M_PI / 2)}));
    expectNear(apply(radians.matrix(0, true), MVector(1, 0, 0)), MVector(0, 1, 0), "radians");

    // Without rotationType the first of rotation / aimDirection / aimPosition
    // decides; aimWorldUp turns the up axis. Defaults: no scale, index 0.
    InstancePoints aimed = readPoints(PointSet()
                                          .vectors("position", {MVector(0, 0, 0)})
                                          .vectors("aimDirection", {MVector(0, 0, -1)})
                                          .vectors("aimWorldUp", {MVector(1, 0, 0)}));
    expectNear(apply(aimed.matrix(0), MVector(1, 0, 0)), MVector(0, 0, -1), "default aim");
    expectNear(apply(aimed.matrix(0), MVector(0, 1, 0)), MVector(1, 0, 0), "world up");
    EXPECT_EQ(aimed.objectIndex(0), 0);
    InstancePoints plain = readPoints(PointSet().vectors("position", {MVector(7, 8, 9)}));
    expectNear(apply(plain.matrix(0), MVector(1, 1, 1)), MVector(8, 9, 10), "no rotation");

    // Ids as doubles (particle attributes often are) are rounded; visibility.
    InstancePoints doubles = readPoints(PointSet()
                                            .vectors("position", {MVector(0, 0, 0), MVector()})
                                            .doubles("objectIndex", {1.0, 2.0})
                                            .ints("visibility", {1, 0}));
    EXPECT_EQ(doubles.objectIndex(1), 2);
    EXPECT_TRUE(doubles.visible(0));
    EXPECT_FALSE(doubles.visible(1));

    // An empty point set places nothing and is not an error.
    EXPECT_EQ(readPoints(PointSet()).size(), 0u);
    EXPECT_EQ(readPoints(PointSet().vectors("position", {})).size(), 0u);
}

TEST_F(Instancer, BadChannelsAreNamed) {
    const MVector o(0, 0, 0), x(1, 0, 0);
    const struct {
        PointSet points;
        const char* fragment;
    } cases[] = {
        {PointSet().vectors("scale", {MVector(1, 1, 1)}), "\"position\""},
        {PointSet().doubles("position", {1.0}), "vector"},
        {PointSet().vectors("position", {o}).doubles("scale", {2.0}),
         "\"scale\" is a double array"},
        {PointSet().vectors("position", {o, x}).vectors("aimDirection", {x}),
         "\"aimDirection\" has 1 elements for 2 positions"},
        {PointSet().vectors("position", {o}).ints("rotationType", {5}), "rotationType"},
        {PointSet().vectors("position", {o}).strings("objectIndex", {"a"}), "objectIndex"},
        {PointSet().vectors("position", {MVector(NAN, 0, 0)}), "not a number"},
    };
    for (const auto& c : cases) {
        const std::string error = readError(c.points);
        EXPECT_NE(error.find(c.fragment), std::string::npos) << error;
    }
}

TEST_F(Instancer, WiredNodeDrawsCopiesWhereThePointsAre) {
    // Two objects: a flat box and a tall box, placed by a point set.
    run("polyCube -w 1 -h 1 -d 1 -n flat; polyCube -w 0.5 -h 0.5 -d 0.5 -n small;"
        "createNode instancer -n inst;"
        "connectAttr flat.matrix inst.inputHierarchy[0];"
        "connectAttr small.matrix inst.inputHierarchy[1];"
        "createNode transform -n originals; setAttr originals.visibility 0;");
    // The originals sit in a hidden group.
    for (const char* name : {"flat", "small"})
        ASSERT_TRUE(
            zt::host::parentNode(zt::host::findNode(name), zt::host::findNode("originals")));
    MObject inst = zt::host::findNode("inst");
    ASSERT_FALSE(inst.isNull());
    MPlug input(inst, zt::host::InstancerNode::inputPoints);
    MPlug count(inst, zt::host::InstancerNode::instanceCount);
    PointSet points;
    points.vectors("position", {MVector(-3, 0, 0), MVector(3, 0, 0), MVector(0, 0, 3)})
        .vectors("scale", {MVector(2, 1, 2), MVector(1, 1, 1), MVector(1, 1, 1)})
        .ints("objectIndex", {0, 1, 7});
    ASSERT_TRUE(input.setValue(points.object()));
    EXPECT_EQ(count.asInt(), 3);

    zt::host::InstancerContents contents;
    std::string error;
    ASSERT_TRUE(zt::host::readInstancer(inst, contents, error)) << error;
    ASSERT_EQ(contents.objects.size(), 2u);
    EXPECT_EQ(contents.objects[0].name, "flat");
    EXPECT_EQ(contents.instances.size(), 2u);
    EXPECT_EQ(contents.outOfRange, 1u);
    EXPECT_EQ(contents.firstBadIndex, 7);

    MDagPath camera = createCamera(MVector(0, 20, 0), MVector(-90, 0, 0));
    const int w = 120, h = 90;
    zt::host::MessageCapture capture;
    Image image = render(camera, w, h);
    EXPECT_EQ(capture.texts(zt::host::MessageKind::kWarning).size(), 1u)
        << "one warning for the point whose index names no object";
    EXPECT_TRUE(capture.contains(zt::host::MessageKind::kWarning, "objectIndex"));
    // The top of each box faces the camera: grey * (ambient + 1).
    const int g =
        int(std::min(1.0, zt::host::kSurfaceGrey * (zt::host::kAmbientLight + 1.0)) * 255.0 + 0.5);
    const Rgb top = {g, g, g};
    const Pixel left = project(camera, MPoint(-3, 0.5, 0), w, h);
    const Pixel right = project(camera, MPoint(3, 0.25, 0), w, h);
    const Pixel missing = project(camera, MPoint(0, 0, 3), w, h);
    EXPECT_TRUE(colourNear(image, left.x, left.y, top, 2));
    EXPECT_TRUE(colourNear(image, right.x, right.y, top, 2));
    EXPECT_TRUE(colourNear(image, missing.x, missing.y, background(), 1));
    // The first copy is 2 units wide (scale 2 on a unit box), the second 0.5.
    const Pixel leftEdge = project(camera, MPoint(-3 - 1.0, 0.5, 0), w, h);
    const Pixel rightEdge = project(camera, MPoint(3 + 0.25, 0.25, 0), w, h);
    EXPECT_TRUE(colourNear(image, leftEdge.x + 1, left.y, top, 2));
    EXPECT_TRUE(colourNear(image, leftEdge.x - 2, left.y, background(), 1));
    EXPECT_TRUE(colourNear(image, rightEdge.x - 1, right.y, top, 2));
    EXPECT_TRUE(colourNear(image, rightEdge.x + 2, right.y, background(), 1));

    // Hiding an original itself keeps its copies; hiding its shape (below
    // the instanced object) removes them.
    run("setAttr originals.visibility 1; setAttr small.visibility 0;");
    image = render(camera, w, h);
    EXPECT_TRUE(colourNear(image, right.x, right.y, top, 2));
    const Pixel original = project(camera, MPoint(0, 0.5, 0), w, h);
    EXPECT_TRUE(colourNear(image, original.x, original.y, top, 2)) << "the visible original";
    run("setAttr small.visibility 1; setAttr smallShape.visibility 0;");
    image = render(camera, w, h);
    EXPECT_TRUE(colourNear(image, right.x, right.y, background(), 1));
    EXPECT_TRUE(colourNear(image, left.x, left.y, top, 2));
    run("setAttr smallShape.visibility 1; setAttr originals.visibility 0;");

    // Hiding the instancer hides the copies; an empty point set draws nothing.
    run("setAttr inst.visibility 0;");
    EXPECT_EQ(countOtherThan(render(camera, w, h), background(), 1), 0);
    run("setAttr inst.visibility 1;");
    ASSERT_TRUE(input.setValue(PointSet().vectors("position", {}).object()));
    capture.clear();
    EXPECT_EQ(countOtherThan(render(camera, w, h), background(), 1), 0);
    EXPECT_TRUE(capture.messages().empty());
    EXPECT_EQ(count.asInt(), 0);

    // A point set it cannot read: one error, nothing drawn, the count kept.
    ASSERT_TRUE(input.setValue(
        PointSet().vectors("position", {MVector(0, 0, 0)}).doubles("scale", {1.0}).object()));
    EXPECT_EQ(countOtherThan(render(camera, w, h), background(), 1), 0);
    EXPECT_TRUE(capture.contains(zt::host::MessageKind::kError, "inst.inputPoints"));
    EXPECT_EQ(count.asInt(), 0) << "the count of the empty set is kept";
}

TEST_F(Instancer, CommandAndExportOfTheCopies) {
    // The instancer command connects the objects; the point set comes from a
    // connection as in a scattering graph.
    run("polyCube -w 2 -h 2 -d 2 -n box; polyPlane -w 1 -h 1 -sx 1 -sy 1 -n card;"
        "setAttr box.translateY 1;");  // the object's own matrix applies to its copies
    EXPECT_EQ(MGlobal::executeCommandStringResult("instancer -addObject -object box -n forest"),
              MString("forest"));
    run("instancer -e -addObject -object card forest;");
    MPlug second;
    ASSERT_TRUE(zt::host::plugFromString("forest.inputHierarchy[1]", second));
    EXPECT_TRUE(second.isConnected());
    EXPECT_FALSE(zt::mel::executeText("instancer -e -object box box;")) << "not an instancer";

    MObject forest = zt::host::findNode("forest");
    PointSet points;
    points.vectors("position", {MVector(10, 0, 0), MVector(0, 0, 0), MVector(0, 5, 0)})
        .vectors("aimDirection", {MVector(0, 0, 1), MVector(1, 0, 0), MVector(1, 0, 0)})
        .ints("objectIndex", {0, 1, 0});
    ASSERT_TRUE(MPlug(forest, zt::host::InstancerNode::inputPoints).setValue(points.object()));
    run("setAttr forest.translateX 100;");  // copies follow the instancer

    ScratchDir dir;
    const std::string obj = dir.file("forest.obj"), ply = dir.file("forest.ply"),
                      text = dir.file("forest_text.ply");
    int written = 0;
    ASSERT_TRUE(MGlobal::executeCommand(MString(("exportInstances forest \"" + obj + "\"").c_str()),
                                        written));
    EXPECT_EQ(written, 3);
    run("exportInstances forest \"" + ply + "\";");
    run("exportInstances -ascii forest \"" + text + "\";");
    for (const std::string& file : {obj, ply, text}) {
        const zt::host::MeshGeometry mesh = zt::host::readMeshFile(file);
        // Two boxes (6 quads, 12 triangles each) and one card (2 triangles).
        EXPECT_EQ(mesh.numVertices(), 8 + 4 + 8) << file;
        EXPECT_EQ(mesh.numFaces(), 6 + 1 + 6) << file;
        EXPECT_EQ(zt::host::triangulate(mesh).vertices.size() / 3, 26u) << file;
        // First copy: box corner (1, 1, 1) lifted by its translate to
        // (1, 2, 1), turned so X -> Z (Z -> -X), moved to (10, 0, 0) and by
        // the instancer's 100: (99, 2, 1).
        double minX = 1e9, maxX = -1e9, minY = 1e9, maxY = -1e9;
        for (int v = 0; v < 8; ++v) {
            minX = std::min(minX, mesh.point(v).x), maxX = std::max(maxX, mesh.point(v).x);
            minY = std::min(minY, mesh.point(v).y), maxY = std::max(maxY, mesh.point(v).y);
        }
        EXPECT_NEAR(minX, 109, 1e-5);
        EXPECT_NEAR(maxX, 111, 1e-5);
        EXPECT_NEAR(minY, 0, 1e-5);
        EXPECT_NEAR(maxY, 2, 1e-5);
        // The card (a plane facing +Y at the origin, aimed along +X: no turn).
        for (int v = 8; v < 12; ++v) {
            EXPECT_NEAR(mesh.point(v).y, 0.0, 1e-6) << file;
            EXPECT_NEAR(std::fabs(mesh.point(v).x - 100.0), 0.5, 1e-6) << file;
        }
        // Third copy: the box again, 5 units up.
        EXPECT_NEAR(mesh.point(12).y - mesh.point(0).y, 5.0, 1e-5);
    }
    // Box vertex 0 is (-1,-1,1): +translate (-1,0,1); turned X -> Z, Z -> -X:
    // (-1, 0, 1) -> (-1, 0, -1); + (110, 0, 0).
    const zt::host::MeshGeometry back = zt::host::readMeshFile(obj);
    EXPECT_NEAR(back.point(0).x, 109.0, 1e-5);
    EXPECT_NEAR(back.point(0).y, 0.0, 1e-5);
    EXPECT_NEAR(back.point(0).z, -1.0, 1e-5);

    EXPECT_FALSE(zt::mel::executeText("exportInstances forest \"" + (dir.file("f.stl")) + "\";"));
    EXPECT_FALSE(zt::mel::executeText("exportInstances box \"" + (dir.file("f.obj")) + "\";"));
    EXPECT_FALSE(
        zt::mel::executeText("exportInstances -ascii forest \"" + (dir.file("f.obj")) + "\";"));
    EXPECT_FALSE(std::filesystem::exists(dir.file("f.obj")));
}
