// The mesh shape node and the mesh commands, through the scene: names,
// outMesh / worldMesh / bounding-box outputs, upstream meshes, editing a
// node's mesh, file import and vertex colour painting.

#include <gtest/gtest.h>
#include <maya/MColorArray.h>
#include <maya/MDagPath.h>
#include <maya/MDataBlock.h>
#include <maya/MDataHandle.h>
#include <maya/MFloatPoint.h>
#include <maya/MFloatPointArray.h>
#include <maya/MFnCompoundAttribute.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MFnMesh.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MGlobal.h>
#include <maya/MIntArray.h>
#include <maya/MItGeometry.h>
#include <maya/MItMeshPolygon.h>
#include <maya/MPlug.h>
#include <maya/MPointArray.h>
#include <maya/MPxNode.h>
#include <maya/MStringArray.h>

#include <string>

#include "host/src/graph/messages.h"
#include "host/src/graph/registry.h"
#include "host/src/graph/scene.h"
#include "host/src/hostInit.h"
#include "meshFileTest.h"

namespace {

class MeshShape : public ::testing::Test {
protected:
    void SetUp() override {
        zt::host::startHost();
        zt::host::newScene();
    }

    // Runs a command; its string results (empty when it failed).
    static MStringArray run(const std::string& command) {
        MStringArray result;
        EXPECT_TRUE(MGlobal::executeCommand(command.c_str(), result)) << command;
        return result;
    }
    // Runs a command that must fail; the error text it reported.
    static std::string runFailing(const std::string& command) {
        zt::host::MessageCapture capture;
        MStringArray result;
        EXPECT_FALSE(MGlobal::executeCommand(command.c_str(), result)) << command;
        const auto errors = capture.texts(zt::host::MessageKind::kError);
        return errors.empty() ? std::string() : errors.front();
    }
    // Runs a command that must fail with an error holding `part`.
    static void expectError(const std::string& command, const char* part) {
        EXPECT_NE(runFailing(command).find(part), std::string::npos) << command;
    }
    // Vertex colour `i` of the named (or current) set, `unset` where none is set.
    static MColor colorAt(MFnMesh& fn, unsigned i, const MString* set = nullptr,
                          const MColor* unset = nullptr) {
        MColorArray colors;
        EXPECT_TRUE(fn.getVertexColors(colors, set, unset));
        return i < colors.length() ? colors[i] : MColor(7.f, 7.f, 7.f, 7.f);
    }
    static double plugValue(const std::string& node, const std::string& attribute) {
        MPlug plug;
        EXPECT_TRUE(zt::host::plugFromString(node + "." + attribute, plug)) << attribute;
        return plug.asDouble();
    }
    static MObject node(const std::string& name) { return zt::host::findNode(name); }
    static std::string currentColorSet(MFnMesh& fn) {
        MString name;
        fn.getCurrentColorSetName(name);
        return name.asChar();
    }
    // Registers a test node type unless an earlier test did (types outlive scenes).
    static bool registerOnce(const char* name, unsigned id, MCreatorFunction creator,
                             MInitializeFunction initialize) {
        return zt::host::nodeTypeExists(name) ||
               zt::host::registerBuiltinNodeType(name, MTypeId(id), creator, initialize,
                                                 MPxNode::kDependNode, MFn::kPluginDependNode);
    }
};

// A node with the bounding-box input layout of the scatter node (a compound
// of three compounds of floats), to check that a shape's boundingBox
// connects to it compound to compound.
struct BoxReader : public MPxNode {
    static inline MObject box;
    static void* creator() { return new BoxReader(); }
    static MStatus initialize() {
        const char* groups[3][2] = {
            {"boundingBoxMin", "bmi"}, {"boundingBoxMax", "bma"}, {"boundingBoxSize", "bms"}};
        const char* axes[3] = {"X", "Y", "Z"};
        const char* shortAxes[3] = {"x", "y", "z"};
        MFnCompoundAttribute top;
        box = top.create("boundingBox", "bb");
        for (const auto& group : groups) {
            MFnCompoundAttribute compound;
            MObject parent = compound.create(group[0], group[1]);
            for (int k = 0; k < 3; ++k) {
                MFnNumericAttribute numeric;
                compound.addChild(numeric.create(MString(group[0]) + axes[k],
                                                 MString(group[1]) + shortAxes[k],
                                                 MFnNumericData::kFloat, 0.0));
            }
            top.addChild(parent);
        }
        return addAttribute(box);
    }
};

// A deformer-like node: hands its input mesh object on to its output (so the
// two plugs share it) and lifts every point by 1 through MItGeometry.
struct Lift : public MPxNode {
    static inline MObject input, output;
    static void* creator() { return new Lift(); }
    static MStatus initialize() {
        MFnTypedAttribute typed;
        input = typed.create("inMesh", "i", MFnData::kMesh);
        output = typed.create("outMesh", "o", MFnData::kMesh);
        typed.setWritable(false);
        addAttribute(input);
        addAttribute(output);
        return attributeAffects(input, output);
    }
    MStatus compute(const MPlug& plug, MDataBlock& data) override {
        if (plug != output) return MS::kUnknownParameter;
        MDataHandle in = data.inputValue(input);
        MDataHandle out = data.outputValue(output);
        MStatus status = out.set(in.data());
        if (!status) return status;
        MItGeometry it(out, false, &status);
        if (!status) return status;
        for (; !it.isDone(); it.next()) {
            MPoint p = it.position();
            p.y += 1.0;
            status = it.setPosition(p);
            if (!status) return status;
        }
        out.setClean();
        return MS::kSuccess;
    }
};

}  // namespace

TEST_F(MeshShape, PrimitiveCommandsNameNodesAsTheHostDoes) {
    const char* made[][3] = {{"polyPlane -w 4 -h 2 -sx 4 -sy 2", "pPlane1", "pPlaneShape1"},
                             {"polyPlane", "pPlane2", "pPlaneShape2"},
                             {"polyCube -n crate -w 2 -sx 2", "crate", "crateShape"},
                             {"polySphere -r 3 -sx 8 -sy 6", "pSphere1", "pSphereShape1"}};
    for (const auto& m : made) {
        const MStringArray names = run(m[0]);
        ASSERT_EQ(names.length(), 2u) << m[0];
        EXPECT_EQ(names[0], MString(m[1]));
        EXPECT_EQ(names[1], MString(m[2]));
    }

    const MObject shape = node("pPlaneShape1");
    ASSERT_TRUE(shape.hasFn(MFn::kMesh));
    MFnMesh fn(shape);
    EXPECT_EQ(fn.numVertices(), 15);
    EXPECT_EQ(fn.numPolygons(), 8);
    EXPECT_EQ(MFnMesh(node("crateShape")).numPolygons(), 2 + 2 + 2 + 2 + 1 + 1);
    EXPECT_EQ(MFnMesh(node("pSphereShape1")).numVertices(), 8 * 5 + 2);
    int count = 0;
    ASSERT_TRUE(MGlobal::executeCommand("polyEvaluate -v pPlane1", count));
    EXPECT_EQ(count, 15);
    ASSERT_TRUE(MGlobal::executeCommand("polyEvaluate -t pPlaneShape1", count));
    EXPECT_EQ(count, 16);

    // -axis turns the up direction: a plane facing +X lies in YZ.
    run("polyPlane -n wall -w 2 -h 4 -ax 1 0 0");
    EXPECT_NEAR(plugValue("wallShape", "boundingBoxSizeX"), 0.0, 1e-6);
    EXPECT_NEAR(
        plugValue("wallShape", "boundingBoxSizeY") * plugValue("wallShape", "boundingBoxSizeZ"),
        8.0, 1e-5);

    expectError("polyPlane -w 0", "width");
    expectError("polySphere -sx 2", "subdivisionsAxis");
}

TEST_F(MeshShape, BoundingBoxOutputsFollowTheMeshAndConnectCompoundToCompound) {
    ASSERT_TRUE(
        registerOnce("meshTestBoxReader", 0x7F00D1, BoxReader::creator, BoxReader::initialize));
    run("polyCube -w 2 -h 4 -d 6");
    run("createNode meshTestBoxReader -n reader");
    run("connectAttr pCubeShape1.boundingBox reader.boundingBox");
    for (const char* reading : {"pCubeShape1", "reader"}) {
        SCOPED_TRACE(reading);
        EXPECT_DOUBLE_EQ(plugValue(reading, "boundingBoxMinX"), -1.0);
        EXPECT_DOUBLE_EQ(plugValue(reading, "boundingBoxMaxY"), 2.0);
        EXPECT_DOUBLE_EQ(plugValue(reading, "boundingBoxMinZ"), -3.0);
        EXPECT_DOUBLE_EQ(plugValue(reading, "boundingBoxSizeZ"), 6.0);
    }

    // Moving a point through the function set changes the outputs, and the
    // connected compound stays current.
    MFnMesh fn(node("pCubeShape1"));
    ASSERT_TRUE(fn.setPoint(0, MPoint(-5.0, 3.0, 0.0)));
    for (const char* reading : {"pCubeShape1", "reader"}) {
        SCOPED_TRACE(reading);
        EXPECT_DOUBLE_EQ(plugValue(reading, "boundingBoxMinX"), -5.0);
        EXPECT_DOUBLE_EQ(plugValue(reading, "boundingBoxSizeX"), 6.0);
        EXPECT_DOUBLE_EQ(plugValue(reading, "boundingBoxMaxY"), 3.0);
    }

    // So does writing every point through the geometry iterator.
    MObject shape = node("pCubeShape1");
    MStatus status;
    MItGeometry it(shape, &status);
    ASSERT_TRUE(status);
    EXPECT_EQ(it.count(), 8);
    for (; !it.isDone(); it.next()) {
        MPoint p = it.position();
        ASSERT_TRUE(it.setPosition(MPoint(p.x * 10.0, p.y, p.z)));
    }
    EXPECT_DOUBLE_EQ(plugValue("pCubeShape1", "boundingBoxMinX"), -50.0);
    EXPECT_DOUBLE_EQ(plugValue("reader", "boundingBoxMaxX"), 10.0);
    MPointArray all;
    ASSERT_TRUE(it.allPositions(all));
    EXPECT_DOUBLE_EQ(all[0].x, -50.0);
}

TEST_F(MeshShape, UpstreamMeshesFeedOutMeshAndOnlyTheOutputMoves) {
    run("polyPlane -sx 3 -sy 3");
    run("polyCube");
    MPlug source, destination;
    ASSERT_TRUE(zt::host::plugFromString("pPlaneShape1.outMesh", source));
    ASSERT_TRUE(zt::host::plugFromString("pCubeShape1.inMesh", destination));
    ASSERT_TRUE(zt::host::connectPlugs(source, destination));

    MFnMesh cube(node("pCubeShape1"));
    EXPECT_EQ(cube.numVertices(), 16);
    EXPECT_DOUBLE_EQ(plugValue("pCubeShape1", "boundingBoxSizeY"), 0.0);
    {
        zt::host::MessageCapture capture;
        EXPECT_FALSE(cube.setPoint(0, MPoint(0, 9, 0)));
        EXPECT_TRUE(capture.contains(zt::host::MessageKind::kError, "inMesh"));
    }
    expectError("polyColorPerVertex -rgb 1 0 0 pCube1", "inMesh");

    // Changes upstream reach the downstream shape.
    MFnMesh plane(node("pPlaneShape1"));
    ASSERT_TRUE(plane.setPoint(0, MPoint(0, 3, 0)));
    EXPECT_DOUBLE_EQ(plugValue("pCubeShape1", "boundingBoxMaxY"), 3.0);

    // Disconnected, the shape shows its own cube again.
    ASSERT_TRUE(zt::host::disconnectPlugs(source, destination));
    EXPECT_EQ(MFnMesh(node("pCubeShape1")).numVertices(), 8);

    // A node that moves points through MItGeometry on its output handle
    // leaves the shared upstream mesh alone.
    ASSERT_TRUE(registerOnce("meshTestLift", 0x7F00D2, Lift::creator, Lift::initialize));
    run("polyPlane -n flat -w 2 -h 2 -sx 1 -sy 1");
    run("polyPlane -n lifted -sx 1 -sy 1");
    run("createNode meshTestLift -n lift");
    run("connectAttr flatShape.outMesh lift.inMesh");
    run("connectAttr lift.outMesh liftedShape.inMesh");
    EXPECT_DOUBLE_EQ(plugValue("liftedShape", "boundingBoxMinY"), 1.0);
    EXPECT_DOUBLE_EQ(plugValue("liftedShape", "boundingBoxMaxX"), 1.0);
    // The shared upstream mesh was not moved.
    EXPECT_DOUBLE_EQ(plugValue("flatShape", "boundingBoxMaxY"), 0.0);
    MPoint p;
    ASSERT_TRUE(MFnMesh(node("flatShape")).getPoint(0, p));
    EXPECT_DOUBLE_EQ(p.y, 0.0);
}

TEST_F(MeshShape, WorldMeshCarriesTheWorldMatrix) {
    run("polyCube -w 2 -h 2 -d 2");
    MPlug translate;
    ASSERT_TRUE(zt::host::plugFromString("pCube1.translateX", translate));
    ASSERT_TRUE(translate.setValue(10.0));

    MPlug world;
    ASSERT_TRUE(zt::host::plugFromString("pCubeShape1.worldMesh[0]", world));
    MFnMesh fn(world.asMObject());
    MPointArray points;
    ASSERT_TRUE(fn.getPoints(points));
    ASSERT_EQ(points.length(), 8u);
    EXPECT_DOUBLE_EQ(points[0].x, 9.0);
    EXPECT_DOUBLE_EQ(points[1].x, 11.0);
    // Object space is unchanged, in the outputs and through the node.
    EXPECT_DOUBLE_EQ(plugValue("pCubeShape1", "boundingBoxMinX"), -1.0);
    MFnMesh shape(node("pCubeShape1"));
    ASSERT_TRUE(shape.getPoints(points, MSpace::kObject));
    EXPECT_DOUBLE_EQ(points[1].x, 1.0);
    ASSERT_TRUE(shape.getPoints(points, MSpace::kWorld));
    EXPECT_DOUBLE_EQ(points[1].x, 11.0);

    // Moving the transform again updates the world mesh.
    ASSERT_TRUE(translate.setValue(-4.0));
    ASSERT_TRUE(MFnMesh(world.asMObject()).getPoints(points));
    EXPECT_DOUBLE_EQ(points[1].x, -3.0);
}

TEST_F(MeshShape, FileImportCreatesNamedShapesWithTheFilesData) {
    EXPECT_EQ(run("file -import \"" + meshDataFile("quad.ply") + "\"")[1], MString("quadShape"));
    MFnMesh fn(node("quadShape"));
    EXPECT_EQ(fn.numVertices(), 4);
    EXPECT_EQ(currentColorSet(fn), "colorSet1");
    EXPECT_EQ(colorAt(fn, 1), MColor(0.f, 1.f, 0.f, 1.f));

    const MStringArray names = run("file -i -type \"OBJ\" \"" + meshDataFile("quad.obj") + "\"");
    EXPECT_EQ(names[0], MString("quad1"));
    EXPECT_EQ(names[1], MString("quadShape1"));
    float u = 0, v = 0;
    ASSERT_TRUE(MFnMesh(node("quadShape1")).getPolygonUV(1, 2, u, v));
    EXPECT_FLOAT_EQ(u, 0.f);
    EXPECT_FLOAT_EQ(v, 1.f);

    const std::string missing = runFailing("file -import \"/nonexistent/mesh.obj\"");
    EXPECT_NE(missing.find("/nonexistent/mesh.obj"), std::string::npos);
    EXPECT_NE(missing.find("cannot open"), std::string::npos);
    expectError("file -import \"" + meshDataFile("quad.ply") + "\" -type \"STL\"", "unsupported");

    run("file -f -new");
    EXPECT_TRUE(node("quad").isNull());
}

TEST_F(MeshShape, PolyColorPerVertexPaintsRangesSetsAndGradients) {
    run("polyPlane -w 2 -h 2 -sx 2 -sy 2");  // 9 vertices, rows from +Z to -Z
    run("polyColorPerVertex -rgb 1 0 0 pPlane1.vtx[1:3]");
    MFnMesh fn(node("pPlaneShape1"));
    EXPECT_EQ(currentColorSet(fn), "colorSet1");
    const MColor none(-1.f, -1.f, -1.f, -1.f), red(1.f, 0.f, 0.f, 1.f);
    EXPECT_EQ(colorAt(fn, 0), none);
    EXPECT_EQ(colorAt(fn, 1), red);
    EXPECT_EQ(colorAt(fn, 3), red);
    EXPECT_EQ(colorAt(fn, 4), none);

    // Single channels and alpha change only themselves.
    run("polyColorPerVertex -g 0.5 -a 0.25 pPlaneShape1.vtx[2]");
    EXPECT_EQ(colorAt(fn, 2), MColor(1.f, 0.5f, 0.f, 0.25f));

    // A named set is created and made current; the first keeps its colours.
    MStringArray used = run("polyColorPerVertex -rgb 0 0 1 -colorSetName mask pPlane1.vtx[*]");
    EXPECT_EQ(used[0], MString("mask"));
    EXPECT_EQ(currentColorSet(fn), "mask");
    EXPECT_EQ(fn.numColorSets(), 2);
    EXPECT_EQ(colorAt(fn, 8), MColor(0.f, 0.f, 1.f, 1.f));
    const MString first("colorSet1");
    EXPECT_EQ(colorAt(fn, 1, &first), red);

    // Gradient along Z over the whole mesh: row 0 (z = +1) is white, the
    // middle row half grey, the last row (z = -1) black.
    run("polyColorPerVertex -gradient z -colorSetName ramp pPlane1");
    EXPECT_EQ(colorAt(fn, 0), MColor(1.f, 1.f, 1.f, 1.f));
    EXPECT_EQ(colorAt(fn, 4), MColor(0.5f, 0.5f, 0.5f, 1.f));
    EXPECT_EQ(colorAt(fn, 8), MColor(0.f, 0.f, 0.f, 1.f));

    run("polyColorPerVertex -remove -colorSetName ramp pPlane1.vtx[4]");
    EXPECT_EQ(colorAt(fn, 4), none);

    expectError("polyColorPerVertex -rgb 1 1 1 pPlane1.vtx[7:12]", "vertex 9");
    expectError("polyColorPerVertex -rgb 1 1 1 pPlane1.vtx[3:1]", "bad vertex");
    expectError("polyColorPerVertex -rgb 1 1 1 pPlane1.f[0]", "vertex components");
    expectError("polyColorPerVertex -rgb 1 1 1 nothing", "no object");
    expectError("polyColorPerVertex pPlane1", "give a colour");
    // A failed paint leaves the mesh as it was.
    EXPECT_EQ(colorAt(fn, 8), MColor(0.f, 0.f, 0.f, 1.f));
}

TEST_F(MeshShape, PolyColorSetCreatesRenamesCopiesDeletesAndSwitchesSets) {
    run("polyPlane -w 2 -h 2 -sx 1 -sy 1 -n quad");  // 4 vertices
    MFnMesh fn(node("quadShape"));
    EXPECT_EQ(run("polyColorSet -q -allColorSets quad").length(), 0u);
    EXPECT_EQ(run("polyColorSet -q -currentColorSet quad").length(), 0u);

    // The first set created becomes current; creating an existing name keeps it.
    run("polyColorSet -create -colorSet paint quad");
    run("polyColorPerVertex -rgb 1 0.5 0 -a 0.75 -colorSetName paint quad.vtx[1]");
    run("polyColorSet -cr -cs mask quadShape");
    run("polyColorSet -create -colorSet paint quad");
    MStringArray sets = run("polyColorSet -q -acs quad");
    ASSERT_EQ(sets.length(), 2u);
    EXPECT_EQ(sets[0], MString("paint"));
    EXPECT_EQ(sets[1], MString("mask"));
    EXPECT_EQ(run("polyColorSet -q -ccs quad")[0], MString("paint"));
    const MString paint("paint");
    const MColor painted(1.f, 0.5f, 0.f, 0.75f);
    EXPECT_EQ(colorAt(fn, 1, &paint), painted);

    // Switching the current set changes what painting without a set name
    // and reading without one see.
    run("polyColorSet -currentColorSet -colorSet mask quad");
    EXPECT_EQ(run("polyColorSet -q -currentColorSet quad")[0], MString("mask"));
    run("polyColorPerVertex -a 0 quad.vtx[0]");
    const MColor unset(9.f, 9.f, 9.f, 9.f);
    EXPECT_EQ(colorAt(fn, 0, nullptr, &unset), MColor(0.f, 0.f, 0.f, 0.f));
    EXPECT_EQ(colorAt(fn, 1, nullptr, &unset), unset);

    // Copy keeps the colours; rename keeps a current set current; delete
    // moves the current set to the first remaining one.
    run("polyColorSet -copy -colorSet paint -newColorSet paint2 quad");
    const MString copied("paint2");
    EXPECT_EQ(colorAt(fn, 1, &copied, &unset), painted);
    EXPECT_EQ(colorAt(fn, 2, &copied, &unset), unset);
    run("polyColorSet -rename -colorSet mask -newColorSet hide quad");
    EXPECT_EQ(run("polyColorSet -q -ccs quad")[0], MString("hide"));
    run("polyColorSet -delete -colorSet hide quad");
    sets = run("polyColorSet -q -allColorSets quad");
    ASSERT_EQ(sets.length(), 2u);
    EXPECT_EQ(sets[1], MString("paint2"));
    EXPECT_EQ(run("polyColorSet -q -ccs quad")[0], MString("paint"));

    expectError("polyColorSet -delete -colorSet none quad", "none");
    expectError("polyColorSet -currentColorSet -colorSet none quad", "none");
    expectError("polyColorSet -rename -colorSet paint -newColorSet paint2 quad", "already exists");
    expectError("polyColorSet -create quad", "needs -colorSet");
    expectError("polyColorSet -rename -colorSet paint quad", "needs -newColorSet");
    expectError("polyColorSet -create -delete -colorSet a quad", "cannot be combined");
    EXPECT_EQ(fn.numColorSets(), 2);
}

TEST_F(MeshShape, FunctionSetCreatesShapesAndReadsThemInWorldSpace) {
    const MFloatPoint square[] = {{0, 0, 0}, {1, 0, 0}, {1, 0, -1}, {0, 0, -1}};
    const int quad[] = {0, 1, 2, 3};
    const MFloatPointArray points(square, 4);
    const MIntArray counts(1, 4), connects(quad, 4);

    // Without a parent: a new transform with a mesh shape under it.
    MFnMesh fn;
    MStatus status;
    MObject transform = fn.create(4, 1, points, counts, connects, MObject::kNullObj, &status);
    ASSERT_TRUE(status);
    ASSERT_TRUE(transform.hasFn(MFn::kTransform));
    EXPECT_EQ(MFnDependencyNode(transform).name(), MString("polySurface1"));
    EXPECT_EQ(fn.numPolygons(), 1);
    EXPECT_TRUE(node("polySurfaceShape1").hasFn(MFn::kMesh));

    // Under an existing transform, turned 90 degrees about Z and moved.
    run("createNode transform -n holder");
    MObject holder = node("holder");
    MObject shape = fn.create(4, 1, points, counts, connects, holder, &status);
    ASSERT_TRUE(status);
    ASSERT_TRUE(shape.hasFn(MFn::kMesh));
    run("setAttr holder.rotateZ 90");
    run("setAttr holder.translateY 2");

    MDagPath path;
    ASSERT_TRUE(MDagPath::getAPathTo(shape, path));
    MFnMesh placed(path);
    MVector normal;
    ASSERT_TRUE(placed.getPolygonNormal(0, normal, MSpace::kWorld));
    EXPECT_NEAR(normal.x, -1.0, 1e-9);  // +Y turned about Z by +90 degrees
    EXPECT_NEAR(normal.y, 0.0, 1e-9);
    ASSERT_TRUE(placed.getPolygonNormal(0, normal));
    EXPECT_NEAR(normal.y, 1.0, 1e-9);
    MPoint p;
    ASSERT_TRUE(placed.getPoint(1, p, MSpace::kWorld));
    EXPECT_NEAR(p.x, 0.0, 1e-9);
    EXPECT_NEAR(p.y, 3.0, 1e-9);

    // Writing in world space stores the object-space position.
    ASSERT_TRUE(placed.setPoint(1, MPoint(0.0, 4.0, 0.0), MSpace::kWorld));
    ASSERT_TRUE(placed.getPoint(1, p));
    EXPECT_NEAR(p.x, 2.0, 1e-6);
    EXPECT_NEAR(p.y, 0.0, 1e-6);

    MItMeshPolygon it(path);
    MPointArray corners;
    MIntArray ids;
    ASSERT_TRUE(it.getTriangle(0, corners, ids, MSpace::kWorld));
    EXPECT_EQ(ids[1], 1);
    EXPECT_NEAR(corners[1].y, 4.0, 1e-6);
    EXPECT_NEAR(it.center(MSpace::kWorld).y, 2.75, 1e-6);  // centre (0.75, 0, -0.5)
}
