// Particle emission: the per-step counts and the random sequence of the
// emission function on hand-computed cases, and the emitter node with the
// host's particle shape stepped through frames (rate and single emission,
// rewinds, advection, colour and opacity channels, bad inputs).

#include <maya/MDoubleArray.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MGlobal.h>
#include <maya/MIntArray.h>
#include <maya/MPlug.h>
#include <maya/MVectorArray.h>

#include <cmath>
#include <map>

#include "display/particleEmission.h"
#include "display/ztPointsEmitter.h"
#include "displayScene.h"
#include "host/src/graph/evaluation.h"
#include "host/src/graph/messages.h"
#include "host/src/graph/plugAccess.h"
#include "host/src/graph/registry.h"
#include "host/src/graph/scene.h"
#include "host/src/mel/engine.h"

using namespace displaytest;

namespace {

// ---- the emission function -------------------------------------------------

TEST(EmissionCount, FollowsTheFloorDifferenceAndAddsUpToRateTimesTime) {
    // Rate 10 at 24 steps a second: T = 0.1 in single precision (a hair
    // above 0.1), so the first particle leaves in the step ending at 3/24 s.
    const double dt = 1.0 / 24.0;
    // Rate 30: 1.25 particles a step, so steps give 1 or 2. T is a hair
    // above 1/30, so step 4 ends at 4.9999999 periods: 1, and step 5 gets 2.
    const struct {
        int step;
        double rate;
        int count;
    } byHand[] = {{2, 10, 0}, {3, 10, 1}, {4, 10, 0}, {1, 30, 1},
                  {4, 30, 1}, {5, 30, 2}, {1, 0, 0},  {1, -5, 0}};
    for (const auto& c : byHand)
        EXPECT_EQ(zt::emissionCount(c.step * dt, dt, c.rate), c.count) << c.rate << " " << c.step;

    for (double rate : {10.0, 30.0, 7.5, 1000.0}) {
        const double period = static_cast<float>(1.0 / rate);
        int total = 0;
        for (int step = 1; step <= 240; ++step) {
            const int c = zt::emissionCount(step * dt, dt, rate);
            EXPECT_EQ(c, static_cast<int>(std::floor(step * dt / period) -
                                          std::floor((step - 1) * dt / period)))
                << "rate " << rate << " step " << step;
            total += c;
        }
        // 10 seconds: the sum telescopes to floor(10 / T).
        EXPECT_LE(std::abs(total - rate * 10.0), 1.0) << "rate " << rate;
    }
    // 1 / 0.1f = 9.9999998...: one second at rate 10 gives 9, not 10.
    int firstSecond = 0;
    for (int step = 1; step <= 24; ++step) firstSecond += zt::emissionCount(step * dt, dt, 10);
    EXPECT_EQ(firstSecond, 9);
}

TEST(EmissionRandom, IsTheCStandardSequence) {
    // The portable rand() of the C standard, seeded with 1.
    zt::CRandom random(1);
    EXPECT_EQ(random.next(), 16838);
    EXPECT_EQ(random.next(), 5758);
    EXPECT_EQ(random.next(), 10113);
    EXPECT_EQ(random.next(), 17515);
    zt::CRandom again(1);
    EXPECT_DOUBLE_EQ(again.uniform(), 16838 / 32768.0);
}

zt::EmittedParticles emit(const MVector& direction, float spread, double time, int sites = 1,
                          bool single = false) {
    std::vector<MVector> position(sites, MVector(1, 2, 3)), aim(sites, direction);
    std::vector<double> rate(sites, 240.0);
    zt::EmissionSettings settings;
    settings.time = time;
    settings.step = 1.0 / 24.0;
    settings.speed = 2.0;
    settings.spread = spread;
    settings.single = single;
    zt::EmittedParticles out;
    zt::emitParticles(position, aim, rate, settings, nullptr, nullptr, out);
    return out;
}

TEST(EmitParticles, DirectionSpreadAndTimeInStep) {
    // Along x the side vector d x (d + x) is zero: the particles leave
    // exactly along x (the spread only shortens e = d (1 - f)).
    const zt::EmittedParticles alongX = emit(MVector(5, 0, 0), 1.0f, 2.5);
    ASSERT_EQ(alongX.position.size(), 10u);  // 240 a second, 24 steps a second
    for (std::size_t i = 0; i < alongX.position.size(); ++i) {
        const MVector& v = alongX.velocity[i];
        EXPECT_EQ(v.y, 0.0);
        EXPECT_EQ(v.z, 0.0);
        EXPECT_GT(v.x, 0.0);
        EXPECT_LE(v.x, 2.0);
        const double s = alongX.timeInStep[i];
        EXPECT_GE(s, i / 10.0);
        EXPECT_LT(s, (i + 1) / 10.0);
        // Left at s and moved for the rest of the step.
        EXPECT_NEAR((alongX.position[i] - MVector(1 + v.x * (1 - s) / 24.0, 2, 3)).length(), 0,
                    1e-12);
    }

    // Along y the side vector is a unit vector perpendicular to d, so with
    // spread 0.5 (f below 0.5) the direction bends by atan(f / (1 - f)),
    // less than 45 degrees, and it does bend.
    const zt::EmittedParticles alongY = emit(MVector(0, 3, 0), 0.5f, 2.5, 20);
    double widest = 0;
    for (const MVector& v : alongY.velocity) {
        const double angle = v.angle(MVector(0, 1, 0));
        EXPECT_LE(angle, M_PI / 4 + 1e-9);
        widest = std::max(widest, angle);
    }
    EXPECT_GT(widest, 0.1);
    // No spread: straight along d whatever the direction.
    for (const MVector& v : emit(MVector(0, 3, 4), 0.0f, 2.5).velocity)
        EXPECT_NEAR((v - MVector(0, 1.2, 1.6)).length(), 0, 1e-12);

    // The generator is seeded from the whole seconds: the same time gives the
    // same particles, another second other ones.
    const zt::EmittedParticles again = emit(MVector(0, 3, 0), 0.5f, 2.5, 20);
    EXPECT_EQ(again.velocity, alongY.velocity);
    EXPECT_EQ(again.timeInStep, alongY.timeInStep);
    EXPECT_NE(emit(MVector(0, 3, 0), 0.5f, 3.5, 20).velocity, alongY.velocity);

    // Single emission: one particle per site, leaving at the step's start.
    const zt::EmittedParticles once = emit(MVector(0, 0, 1), 0.0f, 2.5, 3, true);
    ASSERT_EQ(once.position.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(once.timeInStep[i], 0.0);
        EXPECT_NEAR((once.position[i] - MVector(1, 2, 3 + 2.0 / 24.0)).length(), 0, 1e-12);
    }
}

// ---- the node with a particle shape ------------------------------------------

// Whether a captured message is `text`, or begins with it when `prefix`.
bool said(const zt::host::MessageCapture& capture, const std::string& text, bool prefix = false) {
    for (const auto& m : capture.messages())
        if (prefix ? m.text.rfind(text, 0) == 0 : m.text == text) return true;
    return false;
}

class Emitter : public DisplayTest {
protected:
    static void SetUpTestSuite() {
        DisplayTest::SetUpTestSuite();
        if (!zt::host::nodeTypeExists("ztPointsEmitter")) {
            ASSERT_TRUE(zt::host::registerBuiltinNodeType(
                "ztPointsEmitter", ztPointsEmitter::id, ztPointsEmitter::creator,
                ztPointsEmitter::initialize, MPxNode::kEmitterNode, MFn::kPluginEmitterNode));
        }
    }

    void SetUp() override {
        DisplayTest::SetUp();
        MGlobal::viewFrame(1.0);
        MStatus status;
        emitter = zt::host::createNode("ztPointsEmitter", "em", MObject::kNullObj, &status);
        ASSERT_TRUE(status);
        run("particle -n drops; connectDynamic -em em dropsShape; setAttr em.rate 10;");
        for (const MObject& node : zt::host::listNodes())
            if (node.hasFn(MFn::kParticle)) shape = node;
        ASSERT_FALSE(shape.isNull());
    }

    void setPoints(const PointSet& set) {
        MObject data = set.object();
        ASSERT_TRUE(MPlug(emitter, ztPointsEmitter::inPoints).setValue(data));
    }

    // Steps through the frames from..to one at a time.
    static void step(int from, int to) {
        for (int frame = from; frame <= to; ++frame) MGlobal::viewFrame(double(frame));
    }

    int count() { return MFnDependencyNode(shape).findPlug("count").asInt(); }

    MPlug output() {
        return MFnDependencyNode(emitter).findPlug("output").elementByLogicalIndex(0);
    }
    bool outputDirty() { return zt::host::isDirty(zt::host::PlugAccess::ref(output())); }
    MObject outputData() {
        MObject data;
        output().getValue(data);
        return data;
    }

    MObject particles() {
        MObject data;
        MFnDependencyNode(shape).findPlug("outPoints").getValue(data);
        return data;
    }

    MObject emitter, shape;
};

PointSet threeSites() {
    PointSet set;
    set.vectors("position", {MVector(0, 0, 0), MVector(1, 0, 0), MVector(0, 0, 1)})
        .vectors("aimDirection", {MVector(0, 1, 0), MVector(0, 1, 0), MVector(1, 0, 0)})
        .ints("pointID", {5, 7, 5})
        .doubles("size", {0.25, 0.5, 0.75})
        .vectors("tint", {MVector(1, 0, 0), MVector(0, 1, 0), MVector(0, 0, 1)});
    return set;
}

TEST_F(Emitter, RateModeCountsAdvectionAndRewind) {
    setPoints(threeSites());
    // Frame f is (f - 1) / 24 s after the start frame 1; rate 10 gives the
    // first particle per site at frame 4 and 9 per site after one second.
    std::map<int, int> expected = {{2, 0}, {3, 0}, {4, 3}, {5, 3}, {25, 27}};
    for (int frame = 2; frame <= 25; ++frame) {
        MGlobal::viewFrame(double(frame));
        if (expected.count(frame)) {
            EXPECT_EQ(count(), expected[frame]) << "frame " << frame;
        }
    }
    // Every step moves the particles by velocity x step; ages grow with it.
    MFnArrayAttrsData before(particles());
    const MVectorArray p0 = before.getVectorData("position");
    const MVectorArray v0 = before.getVectorData("velocity");
    const MDoubleArray a0 = before.getDoubleData("age");
    const MIntArray id0 = before.getIntData("particleId");
    MGlobal::viewFrame(26.0);
    MFnArrayAttrsData after(particles());
    const MVectorArray p1 = after.getVectorData("position");
    const MDoubleArray a1 = after.getDoubleData("age");
    const MIntArray id1 = after.getIntData("particleId");
    ASSERT_GE(p1.length(), p0.length());
    for (unsigned int i = 0; i < p0.length(); ++i) {
        EXPECT_EQ(id1[i], id0[i]);
        EXPECT_NEAR((p1[i] - (p0[i] + v0[i] / 24.0)).length(), 0, 1e-9);
        EXPECT_NEAR(a1[i] - a0[i], 1 / 24.0, 1e-12);
    }
    for (unsigned int i = 0; i < id1.length(); ++i) EXPECT_EQ(id1[i], int(i));

    // Back to the start: nothing left; stepping again gives the very same
    // particles.
    MGlobal::viewFrame(1.0);
    EXPECT_EQ(count(), 0);
    step(2, 26);
    const MVectorArray p2 = MFnArrayAttrsData(particles()).getVectorData("position");
    ASSERT_EQ(p2.length(), p1.length());
    for (unsigned int i = 0; i < p2.length(); ++i) EXPECT_EQ(p2[i], p1[i]);
}

TEST_F(Emitter, SingleEmissionOncePerIdentifierAndAgainAfterRewind) {
    setPoints(threeSites());
    run("setAttr em.singleEmission 1;");
    // Identifiers 5, 7, 5: two particles, then none.
    for (int frame = 2; frame <= 6; ++frame) {
        MGlobal::viewFrame(double(frame));
        EXPECT_EQ(count(), 2) << "frame " << frame;
    }
    // A new identifier emits once, in the step where it first shows up.
    setPoints(PointSet()
                  .vectors("position", {MVector(0, 0, 0), MVector(2, 0, 0)})
                  .vectors("aimDirection", {MVector(0, 1, 0), MVector(0, 1, 0)})
                  .ints("pointID", {5, 9}));
    const std::pair<double, int> steps[] = {{7, 3}, {8, 3}, {1, 0}, {2, 2}};
    for (const auto& [frame, n] : steps) {
        MGlobal::viewFrame(frame);
        EXPECT_EQ(count(), n) << "frame " << frame;
    }
}

TEST_F(Emitter, ColourAndOpacityChannels) {
    setPoints(threeSites());
    run("setAttr em.rate 48; setAttr em.passAttrInRGB 1; setAttr -type \"string\" em.attrName1 "
        "size; setAttr em.passAttrInOpacity 1; setAttr -type \"string\" em.attrName2 tint;");
    zt::host::MessageCapture capture;
    MGlobal::viewFrame(2.0);
    MFnArrayAttrsData out(outputData());
    const MVectorArray rgb = out.getVectorData("rgbPP");
    const MDoubleArray opacity = out.getDoubleData("opacityPP");
    // One particle per site: the double as (x, 0, 0), the vector's x.
    ASSERT_EQ(rgb.length(), 3u);
    ASSERT_EQ(opacity.length(), 3u);
    EXPECT_EQ(rgb[1], MVector(0.5, 0, 0));
    EXPECT_EQ(opacity[0], 1.0);
    EXPECT_EQ(opacity[1], 0.0);
    EXPECT_TRUE(said(capture, "'tint' attribute is Vector array, passing only vector.x value."));
    EXPECT_EQ(count(), 3);

    // A missing source only warns and leaves the channel out.
    run("setAttr -type \"string\" em.attrName1 nothing;");
    capture.clear();
    MGlobal::viewFrame(3.0);
    MFnArrayAttrsData::Type type;
    EXPECT_FALSE(MFnArrayAttrsData(outputData()).checkArrayExist("rgbPP", type));
    EXPECT_TRUE(
        said(capture, "em.inPoints: no 'nothing' attribute to pass in rgbPP channel, omitting."));
}

TEST_F(Emitter, BadInputsFailWithTheirMessages) {
    setPoints(threeSites());
    step(2, 4);
    EXPECT_EQ(count(), 3);
    EXPECT_FALSE(outputDirty());

    // Each set fails at the next frame with the message (or its beginning);
    // the output element stays dirty with its previous value.
    const MVector o(0, 0, 0), up(0, 1, 0);
    struct Case {
        PointSet points;
        const char* settings;
        const char* message;
    };
    const Case cases[] = {
        {PointSet().vectors("position", {o}).ints("pointID", {1}), "",
         "em.inPoints: 'aimDirection' attribute missing"},
        {PointSet().vectors("aimDirection", {up}), "", "em.inPoints: Points position missing"},
        {PointSet().vectors("position", {o}).doubles("aimDirection", {1.0}), "",
         "em.inPoints: invalid 'aimDirection' attribute type"},
        {PointSet().vectors("position", {o}).vectors("aimDirection", {up}),
         "setAttr em.singleEmission 1;",
         "em.inPoints: inPoint vector does not contain pointID info. Signle emission not "
         "possible."},
        {PointSet().vectors("position", {o}).vectors("aimDirection", {up}).doubles("pointID", {1}),
         "", "em.inPoints: invalid 'pointID' attribute type. Signle emission not possible."},
        {PointSet().vectors("position", {o}).vectors("aimDirection", {up}).strings("label", {"a"}),
         "setAttr em.singleEmission 0; setAttr em.passAttrInRGB 1;"
         "setAttr -type \"string\" em.attrName1 label;",
         "em.inPoints: channel 'label' has an invalid type"},
        // A short aimDirection is refused rather than read past its end.
        {PointSet().vectors("position", {o, MVector(1, 0, 0)}).vectors("aimDirection", {up}),
         "setAttr em.passAttrInRGB 0;",
         "em.inPoints: channel 'aimDirection' has 1 elements, expected 2"},
        // A rate that would emit 10^10 / 24 particles a site in one step.
        {threeSites(), "setAttr em.rate 1e10;", "em.inPoints: this step would emit "},
    };
    double frame = 5.0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        if (*c.settings) run(c.settings);
        setPoints(c.points);
        zt::host::MessageCapture capture;
        MGlobal::viewFrame(frame++);
        outputData();
        EXPECT_TRUE(outputDirty());
        EXPECT_TRUE(said(capture, c.message, true));
    }
    // The failed steps did not add the last good output again.
    EXPECT_EQ(count(), 3);
}

TEST_F(Emitter, TimeJumpsRatesAndLimits) {
    setPoints(threeSites());
    zt::host::MessageCapture capture;
    // A jump is one long step: 24 frames at once give the same count as
    // stepping, since the counts telescope.
    MGlobal::viewFrame(25.0);
    EXPECT_EQ(count(), 27);
    EXPECT_FALSE(capture.messages().empty());
    // Going back to a frame after the start keeps the particles.
    MGlobal::viewFrame(10.0);
    EXPECT_EQ(count(), 27);
    // Zero rate: nothing more is emitted, the particles stay.
    MGlobal::viewFrame(1.0);
    run("setAttr em.rate 0;");
    step(2, 10);
    EXPECT_EQ(count(), 0);
    // maxCount caps the particles.
    run("setAttr em.rate 100; setAttr dropsShape.maxCount 5;");
    MGlobal::viewFrame(1.0);
    step(2, 10);
    EXPECT_EQ(count(), 5);
    EXPECT_TRUE(MFnDependencyNode(shape).findPlug("isFull").asBool());
}

TEST_F(Emitter, WithoutParticleShapeOnlyWarns) {
    MStatus status;
    MObject lone = zt::host::createNode("ztPointsEmitter", "lone", MObject::kNullObj, &status);
    ASSERT_TRUE(status);
    MPlug(lone, ztPointsEmitter::inPoints).setValue(threeSites().object());
    run("connectAttr time1.outTime lone.currentTime;");
    zt::host::MessageCapture capture;
    MGlobal::viewFrame(5.0);
    MObject out;
    MFnDependencyNode(lone).findPlug("output").elementByLogicalIndex(0).getValue(out);
    EXPECT_TRUE(
        capture.contains(zt::host::MessageKind::kWarning, "no particle shape is connected"));
    EXPECT_FALSE(zt::mel::executeText("connectDynamic -em lone time1;"));
}

}  // namespace
