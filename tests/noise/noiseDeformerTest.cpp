// ztNoise on a plane through the deformer command: what the deformed mesh
// holds for amplitudes, lattice points, seeds, the handle's placement and the
// envelope (which the deformer leaves unapplied), and how bad input is met.

#include <maya/MFnDagNode.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MPlugArray.h>

#include <cmath>
#include <string>

#include "host/src/graph/messages.h"
#include "noise/noiseGenerator.h"
#include "noiseScene.h"

using namespace noisetest;
using zt::host::MessageCapture;
using zt::host::MessageKind;

namespace {

class NoiseDeformer : public NoiseTest {};

MPointArray original() {
    return meshPoints("groundShapeOrig.outMesh");
}
MPointArray deformed() {
    return meshPoints("groundShape.outMesh");
}

// Largest coordinate difference between two point lists of the same length.
double maxDifference(const MPointArray& a, const MPointArray& b) {
    EXPECT_EQ(a.length(), b.length());
    double worst = 0.0;
    for (unsigned int i = 0; i < a.length() && i < b.length(); ++i) {
        worst = std::max({worst, std::fabs(a[i].x - b[i].x), std::fabs(a[i].y - b[i].y),
                          std::fabs(a[i].z - b[i].z)});
    }
    return worst;
}

std::string sourceOf(const std::string& plugName) {
    MPlugArray sources;
    plug(plugName).connectedTo(sources, true, false);
    return sources.length() == 1 ? std::string(sources[0].name().asChar()) : std::string();
}

TEST_F(NoiseDeformer, CommandInsertsTheDeformerAndBuildsItsHandle) {
    deformedPlane(4.0, 4);
    // History: the original shape feeds the deformer, which feeds the shape.
    EXPECT_EQ(sourceOf("ztNoise1.input[0].inputGeometry"), "groundShapeOrig.outMesh");
    EXPECT_EQ(sourceOf("groundShape.inMesh"), "ztNoise1.outputGeometry[0]");
    EXPECT_TRUE(MFnDagNode(node("groundShapeOrig")).isIntermediateObject());
    EXPECT_FALSE(MFnDagNode(node("groundShape")).isIntermediateObject());

    // The handle: a transform driving the deform space, with the locator
    // under it passing its curve settings and receiving the curves.
    const MObject locator = node("ztNoiseLocatorShape1");
    ASSERT_FALSE(locator.isNull());
    EXPECT_EQ(std::string(MFnDependencyNode(MFnDagNode(locator).parent(0)).name().asChar()),
              "transform1");
    EXPECT_EQ(sourceOf("ztNoise1.deformSpace"), "transform1.matrix");
    const char* axes[] = {"x", "y", "z"};
    for (const char* a : axes) {
        const std::string o = std::string("o") + a;
        EXPECT_EQ(sourceOf("ztNoise1." + o + "Length"), "ztNoiseLocatorShape1." + o + "CrvLenOut");
        EXPECT_EQ(sourceOf("ztNoise1." + o + "PointsCount"),
                  "ztNoiseLocatorShape1." + o + "CrvPtsCountOut");
        EXPECT_EQ(sourceOf("ztNoiseLocatorShape1." + o + "CurvePoints"),
                  "ztNoise1." + o + "VisualisationPoints");
        // A fresh locator passes length 1 and 30 points.
        EXPECT_EQ(plug("ztNoise1." + o + "Length").asFloat(), 1.0f);
        EXPECT_EQ(plug("ztNoise1." + o + "PointsCount").asInt(), 30);
        EXPECT_EQ(vectors("ztNoiseLocatorShape1." + o + "CurvePoints").length(), 30u);
    }
}

TEST_F(NoiseDeformer, CommandRefusesWhatItCannotDeform) {
    ASSERT_TRUE(mel("polyPlane -n ground; createNode transform -n empty;"));
    MessageCapture capture;
    EXPECT_FALSE(mel("deformer groundShape;"));
    EXPECT_FALSE(mel("deformer -type ztScatterPoints groundShape;"));
    EXPECT_TRUE(capture.contains(MessageKind::kError, "not a deformer type"));
    EXPECT_FALSE(mel("deformer -type ztNoise empty;"));
    EXPECT_TRUE(capture.contains(MessageKind::kError, "'empty' is not a mesh"));
    EXPECT_FALSE(mel("deformer -type ztNoise nothing;"));
    // Nothing was left behind by the failures.
    EXPECT_TRUE(node("ztScatterPoints1").isNull());
    EXPECT_TRUE(node("ztNoise1").isNull());
    EXPECT_TRUE(node("groundShapeOrig").isNull());
    EXPECT_FALSE(plug("groundShape.inMesh").isConnected());
}

TEST_F(NoiseDeformer, ZeroAmplitudesKeepTheMeshAndASeedChangesOnlyItsOwnField) {
    deformedPlane(4.0, 16);
    const MPointArray rest = original();
    for (const char* a : {"x", "y", "z"}) setAxis(a, 0.0, 1.37, 7);
    EXPECT_EQ(maxDifference(deformed(), rest), 0.0);
    // The x field alone: only x coordinates move.
    setAxis("x", 0.5, 0.9, 3);
    const MPointArray xField = deformed();
    for (unsigned int i = 0; i < rest.length(); ++i) {
        ASSERT_EQ(xField[i].y, rest[i].y);
        ASSERT_EQ(xField[i].z, rest[i].z);
    }
    ASSERT_GT(maxDifference(xField, rest), 1e-3);

    // Another y or z seed leaves the x field as it was...
    ASSERT_TRUE(mel("setAttr ztNoise1.oyNoiseSeed 2; setAttr ztNoise1.ozNoiseSeed 7;"));
    EXPECT_EQ(maxDifference(deformed(), xField), 0.0);
    // ...another x seed changes it, and the old seed brings it back.
    ASSERT_TRUE(mel("setAttr ztNoise1.oxNoiseSeed 5;"));
    EXPECT_GT(maxDifference(deformed(), xField), 1e-3);
    ASSERT_TRUE(mel("setAttr ztNoise1.oxNoiseSeed 0;"));
    EXPECT_EQ(maxDifference(deformed(), xField), 0.0);
}

TEST_F(NoiseDeformer, BadValuesLeaveTheGeometryFiniteWithAMessage) {
    deformedPlane(4.0, 8);
    const MPointArray rest = original();
    setAxis("y", 0.3, 0.8, 3);
    const MPointArray good = deformed();

    MessageCapture capture;
    // NaN cannot be typed in a script; infinity arrives as a float overflow.
    ASSERT_TRUE(mel("setAttr ztNoise1.oxNoiseAmp 1e39;"));
    EXPECT_EQ(maxDifference(deformed(), good), 0.0) << "the x field is left out";
    EXPECT_TRUE(capture.contains(MessageKind::kWarning, "the x noise has an amplitude"));
    ASSERT_TRUE(mel("setAttr ztNoise1.oxNoiseAmp 0; setAttr ztNoise1.oyNoiseFreq 1e39;"));
    EXPECT_EQ(maxDifference(deformed(), rest), 0.0);

    // Huge but finite: every point stays finite.
    ASSERT_TRUE(
        mel("setAttr ztNoise1.oyNoiseFreq 1e30; setAttr ztNoise1.oyNoiseAmp 3e38;"
            "setAttr ztNoise1.oyNoiseOctaves 10;"));
    MPointArray huge = deformed();
    ASSERT_EQ(huge.length(), rest.length());
    for (unsigned int i = 0; i < huge.length(); ++i) ASSERT_TRUE(std::isfinite(huge[i].y));
    ASSERT_TRUE(mel("setAttr ztNoise1.oyNoiseFreq 0.9;"));
    huge = deformed();
    for (unsigned int i = 0; i < huge.length(); ++i) ASSERT_TRUE(std::isfinite(huge[i].y));

    // A handle scaled to nothing: the mesh passes through, with a warning.
    ASSERT_TRUE(mel("setAttr ztNoise1.oyNoiseAmp 0.3; setAttr transform1.scaleY 0;"));
    EXPECT_EQ(maxDifference(deformed(), rest), 0.0);
    EXPECT_TRUE(capture.contains(MessageKind::kWarning, "not an invertible matrix"));
}

TEST_F(NoiseDeformer, EnvelopeAndNodeStateAndDeletedNodes) {
    deformedPlane(4.0, 8);
    for (const char* a : {"x", "y", "z"}) setAxis(a, 0.6, 0.7, 4);
    ASSERT_TRUE(mel("setAttr transform1.translateX 0.25;"));
    const MPointArray rest = original();
    const MPointArray full = deformed();
    EXPECT_GT(maxDifference(full, rest), 1e-2);
    // Every point gets the full displacement whatever the envelope.
    for (const char* envelope : {"0.5", "0"}) {
        ASSERT_TRUE(mel(std::string("setAttr ztNoise1.envelope ") + envelope + ";"));
        EXPECT_EQ(maxDifference(deformed(), full), 0.0) << "envelope " << envelope;
    }
    // "Has no effect" passes the mesh through.
    ASSERT_TRUE(mel("setAttr ztNoise1.nodeState 1;"));
    EXPECT_EQ(maxDifference(deformed(), rest), 0.0);
    ASSERT_TRUE(mel("setAttr ztNoise1.nodeState 0;"));

    // A deleted handle leaves the last deform space: the deformer still
    // evaluates (a seed change forces it) and the old seed gives the old mesh.
    ASSERT_TRUE(mel("delete transform1;"));
    EXPECT_TRUE(node("ztNoiseLocatorShape1").isNull());
    ASSERT_TRUE(mel("setAttr ztNoise1.oyNoiseSeed 4;"));
    EXPECT_GT(maxDifference(deformed(), full), 1e-3);
    ASSERT_TRUE(mel("setAttr ztNoise1.oyNoiseSeed 1;"));
    EXPECT_EQ(maxDifference(deformed(), full), 0.0);

    // A deleted deformer gives back the undeformed mesh, and the shape keeps
    // its original shape as history.
    ASSERT_TRUE(mel("delete ztNoise1;"));
    EXPECT_EQ(sourceOf("groundShape.inMesh"), "groundShapeOrig.outMesh");
    EXPECT_EQ(maxDifference(deformed(), rest), 0.0);
}

TEST_F(NoiseDeformer, DeletingOneOfTwoStackedDeformersKeepsTheOther) {
    deformedPlane(4.0, 8);
    setAxis("y", 0.5, 0.7, 3);
    const MPointArray first = deformed();
    // Named by its transform, the shape with history: the second goes after the first.
    ASSERT_TRUE(
        mel("deformer -type ztNoise -n second ground;"
            "setAttr second.oxNoiseAmp 0.4; setAttr second.oxNoiseFreq 0.9;"));
    EXPECT_EQ(sourceOf("second.input[0].inputGeometry"), "ztNoise1.outputGeometry[0]");
    EXPECT_EQ(sourceOf("groundShape.inMesh"), "second.outputGeometry[0]");
    EXPECT_FALSE(node("ztNoiseLocatorShape2").isNull());
    const MPointArray both = deformed();
    EXPECT_GT(maxDifference(both, first), 1e-2);

    // Without the later deformer the shape shows the first one's mesh.
    ASSERT_TRUE(mel("delete second;"));
    EXPECT_EQ(sourceOf("groundShape.inMesh"), "ztNoise1.outputGeometry[0]");
    EXPECT_EQ(maxDifference(deformed(), first), 0.0);

    // Without the earlier one the later deforms the original mesh.
    ASSERT_TRUE(
        mel("deformer -type ztNoise -n third groundShape;"
            "setAttr third.oxNoiseAmp 0.4; setAttr third.oxNoiseFreq 0.9;"));
    ASSERT_TRUE(mel("delete ztNoise1;"));
    EXPECT_EQ(sourceOf("third.input[0].inputGeometry"), "groundShapeOrig.outMesh");
    EXPECT_EQ(sourceOf("groundShape.inMesh"), "third.outputGeometry[0]");
    EXPECT_GT(maxDifference(deformed(), original()), 1e-2);
}

TEST_F(NoiseDeformer, MeshWithoutPointsPassesThrough) {
    ASSERT_TRUE(mel("createNode mesh -n emptyShape;"));
    ASSERT_TRUE(mel("deformer -type ztNoise emptyShape;"));
    setAxis("y", 0.3, 0.8, 3);
    MessageCapture capture;
    EXPECT_EQ(meshPoints("emptyShape.outMesh").length(), 0u);
    EXPECT_EQ(vectors("ztNoise1.oxVisualisationPoints").length(), 30u);
    EXPECT_TRUE(capture.texts(MessageKind::kError).empty());
}

TEST_F(NoiseDeformer, KeyedSeedGivesTheFieldOfEachFramesSeed) {
    deformedPlane(4.0, 8);
    setAxis("y", 0.4, 0.9, 3);
    // A second deformed plane whose seed is set by hand, for reference.
    ASSERT_TRUE(
        mel("polyPlane -n other -w 4 -h 4 -sx 8 -sy 8;"
            "deformer -type ztNoise -n ref otherShape;"
            "setAttr ref.oyNoiseAmp 0.4; setAttr ref.oyNoiseFreq 0.9;"
            "setAttr ref.oyNoiseOctaves 3;"
            "setKeyframe -t 1 -v 1 ztNoise1.oyNoiseSeed;"
            "setKeyframe -t 10 -v 9 ztNoise1.oyNoiseSeed;"));
    int distinct = 0;
    MPointArray previous;
    // Forwards, then jumping back: each frame's mesh is the one of its seed.
    for (int frame : {1, 2, 3, 5, 8, 10, 4, 1}) {
        ASSERT_TRUE(mel("currentTime " + std::to_string(frame) + ";"));
        const int seed = plug("ztNoise1.oyNoiseSeed").asInt();
        ASSERT_GE(seed, 1);
        ASSERT_LE(seed, 9);
        ASSERT_TRUE(mel("setAttr ref.oyNoiseSeed " + std::to_string(seed) + ";"));
        const MPointArray keyed = deformed();
        EXPECT_EQ(maxDifference(keyed, meshPoints("otherShape.outMesh")), 0.0)
            << "frame " << frame << ", seed " << seed;
        if (previous.length() > 0 && maxDifference(keyed, previous) > 1e-3) ++distinct;
        previous = keyed;
    }
    EXPECT_GE(distinct, 4) << "the seed changed the field along the way";
}

TEST_F(NoiseDeformer, DisplacementAppliesYThenXThenZInDeformSpace) {
    // With the handle moved by t and scaled by s, a point p is displaced at
    // q = (p - t) / s in deform space and mapped back as q * s + t: the
    // pattern follows the handle and the displacement grows with its scale.
    deformedPlane(3.0, 6);
    setAxis("x", 0.3, 0.7, 2);
    setAxis("y", 0.5, 0.45, 3);
    setAxis("z", 0.25, 1.1, 1);
    ASSERT_TRUE(
        mel("setAttr transform1.translate 0.3 -0.2 0.1;"
            "setAttr transform1.scale 2 1.5 0.8;"));
    const MPointArray rest = original();
    const MPointArray moved = deformed();
    zt::noise::NoiseGenerator gx, gy, gz;
    zt::noise::setNoiseParameters(gx, 2, 0.7f, 0.3f, 0);
    zt::noise::setNoiseParameters(gy, 3, 0.45f, 0.5f, 1);
    zt::noise::setNoiseParameters(gz, 1, 1.1f, 0.25f, 2);
    const double t[3] = {0.3, -0.2, 0.1}, sc[3] = {2, 1.5, 0.8};
    ASSERT_EQ(moved.length(), 49u);
    for (unsigned int i = 0; i < rest.length(); ++i) {
        double x = (rest[i].x - t[0]) / sc[0], y = (rest[i].y - t[1]) / sc[1],
               z = (rest[i].z - t[2]) / sc[2];
        y += zt::noise::fractalNoise(gy, float(x), float(z));
        x += zt::noise::fractalNoise(gx, float(y), float(z));
        z += zt::noise::fractalNoise(gz, float(x), float(y));
        // Stored as float in the mesh.
        ASSERT_NEAR(moved[i].x, x * sc[0] + t[0], 1e-6) << i;
        ASSERT_NEAR(moved[i].y, y * sc[1] + t[1], 1e-6) << i;
        ASSERT_NEAR(moved[i].z, z * sc[2] + t[2], 1e-6) << i;
    }
}

}  // namespace
