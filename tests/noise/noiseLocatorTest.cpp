// The preview curves of ztNoise and the ztNoiseLocator that passes their
// settings and draws them.

#include <maya/MBoundingBox.h>
#include <maya/MDagPath.h>
#include <maya/MFnDependencyNode.h>

#include <memory>

#include "host/src/viewport/viewportCommands.h"
#include "noise/noiseGenerator.h"
#include "noise/ztNoiseLocator.h"
#include "noiseScene.h"

using namespace noisetest;

namespace {

class NoiseCurves : public NoiseTest {
protected:
    // A deformer made by createNode, with its x count and length fed from a
    // transform's translate channels (values arriving through connections
    // are not clamped by the attribute's limits).
    static void standalone() {
        ASSERT_TRUE(
            mel("createNode ztNoise -n n; createNode transform -n src;"
                "connectAttr src.tx n.oxPointsCount; connectAttr src.ty n.oxLength;"));
    }
};

TEST_F(NoiseCurves, PointCountClampedToFiveAndFiveHundred) {
    standalone();
    const struct {
        double asked;
        unsigned int used;
    } cases[] = {{3, 5}, {-20, 5}, {5, 5}, {40, 40}, {500, 500}, {1000, 500}};
    for (const auto& c : cases) {
        ASSERT_TRUE(mel("setAttr src.tx " + std::to_string(c.asked) + ";"));
        EXPECT_EQ(plug("n.oxPointsCount").asInt(), int(c.asked)) << "passed as given";
        EXPECT_EQ(vectors("n.oxVisualisationPoints").length(), c.used) << c.asked;
    }
    // Set on the node itself the count is held to its limits.
    ASSERT_TRUE(mel("setAttr n.oyPointsCount 2;"));
    EXPECT_EQ(plug("n.oyPointsCount").asInt(), 5);
}

TEST_F(NoiseCurves, AxisLineSampledFromTheOriginAndBentByTheOtherFields) {
    standalone();
    ASSERT_TRUE(mel("setAttr src.tx 8; setAttr src.ty 2;"));
    MVectorArray curve = vectors("n.oxVisualisationPoints");
    ASSERT_EQ(curve.length(), 8u);
    for (unsigned int i = 0; i < 8; ++i) {
        EXPECT_FLOAT_EQ(float(curve[i].x), 0.25f * float(i));  // up to L - L/N
        EXPECT_EQ(curve[i].y, 0.0) << "amplitudes are 0 by default";
        EXPECT_EQ(curve[i].z, 0.0);
    }

    ASSERT_TRUE(
        mel("setAttr n.oyNoiseAmp 0.7; setAttr n.oyNoiseFreq 1.3;"
            "setAttr n.ozNoiseAmp 0.4; setAttr n.ozNoiseOctaves 2;"));
    curve = vectors("n.oxVisualisationPoints");
    auto gy = std::make_unique<zt::noise::NoiseGenerator>();
    auto gz = std::make_unique<zt::noise::NoiseGenerator>();
    zt::noise::setNoiseParameters(*gy, 4, 1.3f, 0.7f, 1);
    zt::noise::setNoiseParameters(*gz, 2, 1.0f, 0.4f, 2);
    bool bent = false;
    for (unsigned int i = 0; i < curve.length(); ++i) {
        const float t = 0.25f * float(i);
        const float y = zt::noise::fractalNoise(*gy, t, 0.0f);
        EXPECT_EQ(float(curve[i].y), y) << i;
        EXPECT_EQ(float(curve[i].z), zt::noise::fractalNoise(*gz, t, y)) << i;
        bent = bent || curve[i].y != 0.0;
    }
    EXPECT_TRUE(bent);

    // The x field does not bend the x curve; it bends the y curve.
    ASSERT_TRUE(mel("setAttr n.oyLength 1.5;"));
    const MVectorArray yBefore = vectors("n.oyVisualisationPoints");
    ASSERT_TRUE(mel("setAttr n.oxNoiseAmp 0.9;"));
    const MVectorArray xAfter = vectors("n.oxVisualisationPoints");
    const MVectorArray yAfter = vectors("n.oyVisualisationPoints");
    for (unsigned int i = 0; i < curve.length(); ++i) EXPECT_EQ(xAfter[i], curve[i]);
    bool changed = false;
    for (unsigned int i = 0; i < yAfter.length(); ++i) changed = changed || yAfter[i] != yBefore[i];
    EXPECT_TRUE(changed);

    // Length 0: every point sits at t = 0.
    ASSERT_TRUE(mel("setAttr src.ty 0;"));
    curve = vectors("n.oxVisualisationPoints");
    ASSERT_EQ(curve.length(), 8u);
    for (unsigned int i = 0; i < curve.length(); ++i) EXPECT_EQ(curve[i], curve[0]);
    EXPECT_EQ(curve[0].x, 0.0);
}

TEST_F(NoiseCurves, LocatorPassesItsSettingsThroughUnclamped) {
    ASSERT_TRUE(mel("createNode ztNoiseLocator;"));
    ASSERT_FALSE(node("ztNoiseLocatorShape1").isNull()) << "renamed by postConstructor";
    EXPECT_EQ(plug("ztNoiseLocatorShape1.oxCrvLenOut").asFloat(), 1.0f);
    EXPECT_EQ(plug("ztNoiseLocatorShape1.ozCrvPtsCountOut").asInt(), 30);
    ASSERT_TRUE(
        mel("setAttr ztNoiseLocatorShape1.oyCrvLenIn 2.5;"
            "setAttr ztNoiseLocatorShape1.zci 77;"));
    EXPECT_EQ(plug("ztNoiseLocatorShape1.oyCrvLenOut").asFloat(), 2.5f);
    EXPECT_EQ(plug("ztNoiseLocatorShape1.ozCrvPtsCountOut").asInt(), 77);
    EXPECT_EQ(plug("ztNoiseLocatorShape1.oxCrvLenOut").asFloat(), 1.0f) << "other axes unchanged";

    auto* locator =
        dynamic_cast<ztNoiseLocator*>(MFnDependencyNode(node("ztNoiseLocatorShape1")).userNode());
    ASSERT_NE(locator, nullptr);
    EXPECT_TRUE(locator->isBounded());
    const MBoundingBox box = locator->boundingBox();
    EXPECT_EQ(box.min(), MPoint(-5, 0, -5));
    EXPECT_EQ(box.max(), MPoint(5, 0, 5));
    for (int axis = 0; axis < 3; ++axis) EXPECT_EQ(locator->readCurvePoints(axis).length(), 0u);

    ASSERT_TRUE(mel("createNode ztNoiseLocator;"));
    EXPECT_FALSE(node("ztNoiseLocatorShape2").isNull());
}

// Pixels of one colour in a picture.
int countColour(const zt::host::Image& image, int r, int g, int b) {
    int count = 0;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const std::uint8_t* p = image.pixel(x, y);
            if (std::abs(p[0] - r) <= 8 && std::abs(p[1] - g) <= 8 && std::abs(p[2] - b) <= 8)
                ++count;
        }
    }
    return count;
}

MDagPath frontCamera() {
    EXPECT_TRUE(
        mel("createNode transform -n cam; createNode camera -n camShape -p cam;"
            "setAttr cam.translate 0.5 0.5 6;"));
    MDagPath path;
    EXPECT_TRUE(MDagPath::getAPathTo(node("camShape"), path));
    return path;
}

TEST_F(NoiseCurves, LocatorDrawsTheCrossAndTheCurves) {
    ASSERT_TRUE(mel("createNode ztNoiseLocator;"));
    const MDagPath camera = frontCamera();
    zt::host::Image alone = zt::host::renderThrough(camera, 160, 120);
    EXPECT_GT(countColour(alone, 255, 0, 0), 40) << "the red axis cross";
    EXPECT_EQ(countColour(alone, 0, 0, 255), 0) << "no curves without a deformer";

    ASSERT_TRUE(mel("delete transform1;"));
    deformedPlane(4.0, 4);
    ASSERT_TRUE(
        mel("setAttr ztNoise1.oyNoiseAmp 0.5; setAttr ztNoise1.oxNoiseAmp 0.5;"
            "setAttr ztNoiseLocatorShape1.oxCrvLenIn 2;"
            "setAttr ztNoiseLocatorShape1.oyCrvLenIn 2;"));
    zt::host::Image drawn = zt::host::renderThrough(camera, 160, 120);
    EXPECT_GT(countColour(drawn, 0, 0, 255), 60) << "the blue preview strip";
    EXPECT_GT(countColour(drawn, 255, 0, 0), 20);
}

}  // namespace
