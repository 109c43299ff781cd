// The display locators, ztDisplayPoints and ztDisplayContainer: their
// attributes, the state and box they compute, and what they draw, checked on
// rendered pictures at pixels computed from the camera.

#include <maya/MFnAttribute.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MFnEnumAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MPlug.h>
#include <maya/MPxLocatorNode.h>

#include <string>
#include <vector>

#include "display/ztDisplayContainer.h"
#include "display/ztDisplayPoints.h"
#include "displayScene.h"
#include "host/src/graph/messages.h"

using namespace displaytest;
using zt::host::Image;

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
const Rgb kRed{255, 0, 0};
const Rgb kGreen{0, 255, 0};
const Rgb kText = toRgb(0.0f, 0.0f, 0.25f);
const Rgb kOuter = toRgb(0.2f, 0.0f, 0.0f);

class DisplayPoints : public DisplayTest {
protected:
    void SetUp() override {
        DisplayTest::SetUp();
        camera = createCamera(MVector(0, 0, 20));
    }
    Pixel at(const MPoint& p) const { return project(camera, p, kWidth, kHeight); }
    Image picture() const { return render(camera, kWidth, kHeight); }
    bool drawnNear(const Image& image, const MPoint& p, Rgb colour, int radius = 1) const {
        const Pixel px = at(p);
        return colourNearby(image, px.x, px.y, colour, 2, radius);
    }
    int state(const MObject& node) const { return MPlug(node, ztDisplayPoints::state).asInt(); }

    MDagPath camera;
};

class DisplayContainer : public DisplayTest {
protected:
    void SetUp() override {
        DisplayTest::SetUp();
        camera = createCamera(MVector(0, 0, 6));
        node = createLocator("ztDisplayContainer", MVector(0.5, 0, 0));
    }
    // Whether the colour is drawn within a pixel of a point given in the
    // container's own space.
    bool drawnAt(const Image& image, const MPoint& local, Rgb colour) const {
        const Pixel px = project(camera, local + MVector(0.5, 0, 0), kWidth, kHeight);
        return colourNearby(image, px.x, px.y, colour, 2, 1);
    }
    Image picture() const { return render(camera, kWidth, kHeight); }

    MDagPath camera;
    MObject node;
};

}  // namespace

TEST_F(DisplayPoints, AttributesAsDeclared) {
    MObject shape = createLocator("ztDisplayPoints");
    MFnDependencyNode node(shape);
    using T = MFnNumericData;
    // Names, flags, numeric type (kInvalid: not a plain number) and default.
    const struct Expected {
        const char* longName;
        const char* shortName;
        bool keyable, storable, writable;
        T::Type type;
        double value;
    } expected[] = {
        {"inPoints", "ip", false, false, true, T::kInvalid, 0},
        {"pointSize", "ps", true, true, true, T::kInt, 2},
        {"pointColor", "pc", true, true, true, T::kInvalid, 0},
        {"fallofColor", "fc", true, true, true, T::kInvalid, 0},
        {"displayDir", "dd", true, true, true, T::kBoolean, 0},
        {"arrowSize", "as", true, true, true, T::kFloat, 1},
        {"colorFromRot", "cfr", true, true, true, T::kBoolean, 0},
        {"displayAttribute", "da", true, true, true, T::kBoolean, 0},
        {"attributeName", "aa", false, true, true, T::kInvalid, 0},
        {"state", "st", false, false, false, T::kInt, 1},
    };
    // The node's attributes in the order they were created.
    std::vector<std::string> order;
    for (unsigned int i = 0; i < node.attributeCount(); ++i) {
        const std::string name = MFnAttribute(node.attribute(i)).name().asChar();
        for (const Expected& e : expected)
            if (name == e.longName) order.push_back(name);
    }
    ASSERT_EQ(order.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        const Expected& e = expected[i];
        SCOPED_TRACE(e.longName);
        EXPECT_EQ(order[i], e.longName);
        MFnAttribute attr(node.attribute(e.longName));
        EXPECT_EQ(std::string(attr.shortName().asChar()), e.shortName);
        EXPECT_EQ(attr.isKeyable(), e.keyable);
        EXPECT_EQ(attr.isStorable(), e.storable);
        EXPECT_EQ(attr.isWritable(), e.writable);
        EXPECT_TRUE(attr.isReadable());
        if (e.type == T::kInvalid) continue;
        EXPECT_EQ(MFnNumericAttribute(attr.object()).unitType(), e.type);
        EXPECT_EQ(node.findPlug(e.longName).asDouble(), e.value);
    }
    EXPECT_EQ(MFnTypedAttribute(node.attribute("inPoints")).attrType(), MFnData::kDynArrayAttrs);
    EXPECT_EQ(MFnTypedAttribute(node.attribute("attributeName")).attrType(), MFnData::kString);
    EXPECT_TRUE(MFnAttribute(node.attribute("pointColor")).isUsedAsColor());
    EXPECT_EQ(node.findPlug("attributeName").asString().length(), 0u);
    for (const char* colour : {"pointColor", "fallofColor"})
        for (unsigned int c = 0; c < 3; ++c)
            EXPECT_EQ(node.findPlug(colour).child(c).asFloat(), 0.0f) << colour;
    // Out-of-range values are held to the limits: the point size to 1..10,
    // the arrow size to 0 and up.
    for (const auto& [asked, held] : {std::pair{0, 1}, {40, 10}, {7, 7}}) {
        setPlug(shape, "pointSize", asked);
        EXPECT_EQ(node.findPlug("pointSize").asInt(), held);
    }
    for (const auto& [asked, held] : {std::pair{-2.0f, 0.0f}, {1e6f, 1e6f}}) {
        setPlug(shape, "arrowSize", asked);
        EXPECT_EQ(node.findPlug("arrowSize").asFloat(), held);
    }

    // A new node is renamed after its shape, and is a locator of its own type.
    EXPECT_EQ(std::string(node.name().asChar()), "ztDisplayPointsShape1");
    EXPECT_TRUE(shape.hasFn(MFn::kPluginLocatorNode));
    auto* locator = dynamic_cast<ztDisplayPoints*>(node.userNode());
    ASSERT_NE(locator, nullptr);
    EXPECT_EQ(locator->type(), MPxNode::kLocatorNode);
    EXPECT_TRUE(locator->isBounded());
    EXPECT_EQ(std::string(MFnDependencyNode(createLocator("ztDisplayPoints")).name().asChar()),
              "ztDisplayPointsShape2");
}

TEST_F(DisplayPoints, StateCountsEvaluationsAndCachesTheBox) {
    MObject node = createLocator("ztDisplayPoints");
    auto* locator = dynamic_cast<ztDisplayPoints*>(MFnDependencyNode(node).userNode());
    ASSERT_NE(locator, nullptr);

    // Before anything is computed the box is the unit cube.
    EXPECT_EQ(locator->boundingBox().min(), MPoint(-1, -1, -1));
    EXPECT_EQ(locator->boundingBox().max(), MPoint(1, 1, 1));

    EXPECT_EQ(state(node), 1);
    EXPECT_EQ(state(node), 1);  // clean: no second evaluation
    // Only inPoints drives state; the drawing attributes are read by draw.
    setPlug(node, "pointSize", 4);
    setPlug(node, "displayDir", true);
    setColour(node, "pointColor", 1, 0, 0);
    EXPECT_EQ(state(node), 1);
    setPoints(node, PointSet().vectors("position", {MVector(5, -2, 0.5), MVector(-0.5, 0, 3)}));
    EXPECT_EQ(state(node), 2);
    EXPECT_EQ(locator->boundingBox().min(), MPoint(-1, -2, -1));
    EXPECT_EQ(locator->boundingBox().max(), MPoint(5, 1, 3));

    // A point set without positions resets the box.
    setPoints(node, PointSet().doubles("fallof", {0.5}));
    EXPECT_EQ(state(node), 3);
    EXPECT_EQ(locator->boundingBox().max(), MPoint(1, 1, 1));

    // The counter wraps to 0 after 9999.
    const PointSet points = PointSet().vectors("position", {MVector(0, 0, 0)});
    for (int expected = 4; expected <= 9999; ++expected) {
        setPoints(node, points);
        ASSERT_EQ(state(node), expected);
    }
    setPoints(node, points);
    EXPECT_EQ(state(node), 0);
    setPoints(node, points);
    EXPECT_EQ(state(node), 1);
}

TEST_F(DisplayPoints, MarkInLocalSpacePointsInWorldSpace) {
    MObject node = createLocator("ztDisplayPoints", MVector(3, 1, 0));
    // No input: the red axis mark alone, around the locator's position.
    Image image = picture();
    EXPECT_TRUE(drawnNear(image, MPoint(3, 1, 0), kRed));
    EXPECT_TRUE(drawnNear(image, MPoint(3.7, 1, 0), kRed));      // x axis line
    EXPECT_TRUE(drawnNear(image, MPoint(3, 0.3, 0), kRed));      // y axis line
    EXPECT_FALSE(drawnNear(image, MPoint(4.6, 1, 0), kRed, 2));  // the lines end at +-1
    EXPECT_EQ(countOtherThan(image, background(), 2), boxOfColour(image, kRed, 2).count);

    setPlug(node, "pointSize", 5);
    setColour(node, "pointColor", 0, 1, 0);
    setPoints(node, PointSet().vectors("position", {MVector(-4, 2, 0), MVector(0, -3, 0)}));
    image = picture();
    // Positions are drawn where they are, not moved with the locator.
    const Pixel a = at(MPoint(-4, 2, 0)), b = at(MPoint(0, -3, 0));
    EXPECT_TRUE(colourNear(image, a.x, a.y, kGreen, 0));
    EXPECT_TRUE(colourNear(image, b.x, b.y, kGreen, 0));
    EXPECT_FALSE(drawnNear(image, MPoint(-1, 3, 0), kGreen, 3));
    // A point of size 5 is 5 pixels across.
    const PixelBox green = boxOfColour(image, kGreen, 0);
    EXPECT_EQ(green.count, 2 * 25);
    EXPECT_TRUE(drawnNear(image, MPoint(3, 1, 0), kRed));
}

TEST_F(DisplayPoints, FallofBlendsBetweenTheTwoColours) {
    MObject node = createLocator("ztDisplayPoints");
    setPlug(node, "pointSize", 3);
    setColour(node, "pointColor", 0, 0, 1);
    setColour(node, "fallofColor", 1, 0, 0.5f);
    const MVector p0(-5, 3, 0), p1(0, 3, 0), p2(5, 3, 0);
    setPoints(node,
              PointSet().vectors("position", {p0, p1, p2}).doubles("fallof", {0.0, 0.25, 1.0}));
    const Image image = picture();
    const Pixel a = at(p0), b = at(p1), c = at(p2);
    EXPECT_TRUE(colourNear(image, a.x, a.y, toRgb(1, 0, 0.5f), 1));  // fall-off colour
    EXPECT_TRUE(colourNear(image, b.x, b.y, toRgb(0.75f, 0, 0.625f), 1));
    EXPECT_TRUE(colourNear(image, c.x, c.y, toRgb(0, 0, 1), 1));  // point colour
}

TEST_F(DisplayPoints, ArrowsFollowAimDirection) {
    MObject node = createLocator("ztDisplayPoints", MVector(0, -6, 0));
    setColour(node, "pointColor", 0, 1, 0);
    setPlug(node, "arrowSize", 3.0f);
    const MVector p(-2, 2, 0), aim(1, 0, 0), up(0, 4, 0);
    const MVector tip = p + aim * 3.0;
    auto onShaft = [&](const Image& image, Rgb colour) {
        int hits = 0;
        for (double t : {0.3, 0.5, 0.7}) hits += drawnNear(image, p + (tip - p) * t, colour);
        return hits;
    };

    setPoints(node, PointSet().vectors("position", {p}).vectors("aimDirection", {aim}));
    EXPECT_EQ(onShaft(picture(), kGreen), 0) << "displayDir is off";
    setPlug(node, "displayDir", true);
    Image image = picture();
    EXPECT_EQ(onShaft(image, kGreen), 3);
    EXPECT_FALSE(drawnNear(image, p + aim * 4.0, kGreen, 2)) << "the arrow is arrowSize long";

    // No aimDirection channel: no arrow even with displayDir on.
    setPoints(node, PointSet().vectors("position", {p}).vectors("normal", {aim}));
    EXPECT_EQ(onShaft(picture(), kGreen), 0);

    // With an up vector the arrow gets a barb from the tip towards p + up / 2.
    setPoints(node, PointSet()
                        .vectors("position", {p})
                        .vectors("aimDirection", {aim})
                        .vectors("aimWorldUp", {up}));
    image = picture();
    const MVector barbEnd = tip + ((p + up * 0.5) - tip) * 0.5;
    EXPECT_TRUE(drawnNear(image, tip + (barbEnd - tip) * 0.5, kGreen));
    EXPECT_TRUE(drawnNear(image, barbEnd, kGreen));
    EXPECT_FALSE(drawnNear(image, tip + (barbEnd - tip) * 1.5, kGreen, 2));

    // Rotation colours, when asked for and when the channel fits.
    const MVector rotation(-0.5, 0.5, 1.0 / 6.0);
    const Rgb rotationColour = toRgb(0.5f, 1.0f, 0.5f);
    setPoints(node, PointSet()
                        .vectors("position", {p})
                        .vectors("aimDirection", {aim})
                        .vectors("rotationRGB", {rotation}));
    EXPECT_EQ(onShaft(picture(), kGreen), 3) << "colorFromRot is off";
    setPlug(node, "colorFromRot", true);
    EXPECT_EQ(onShaft(picture(), rotationColour), 3);
    setPoints(node, PointSet()
                        .vectors("position", {p})
                        .vectors("aimDirection", {aim})
                        .vectors("rotationRGB", {rotation, rotation}));
    EXPECT_EQ(onShaft(picture(), kGreen), 3) << "a rotationRGB of another length is ignored";

    // Channels shorter than the positions draw what they have and never crash.
    setPoints(node, PointSet()
                        .vectors("position", {p, MVector(4, -2, 0)})
                        .vectors("aimDirection", {aim})
                        .vectors("aimWorldUp", {}));
    EXPECT_EQ(onShaft(picture(), kGreen), 3);
}

TEST_F(DisplayPoints, ValuesAsTextBesideThePoints) {
    MObject node = createLocator("ztDisplayPoints", MVector(0, -6, 0));
    const MVector p(-3, 2, 0);
    const PointSet withIds = PointSet()
                                 .vectors("position", {p})
                                 .ints("pointID", {42})
                                 .vectors("normal", {MVector(0, 1, 0)});
    setPoints(node, withIds);
    setPlug(node, "attributeName", MString("pointID"));
    EXPECT_EQ(boxOfColour(picture(), kText, 1).count, 0) << "displayAttribute is off";

    setPlug(node, "displayAttribute", true);
    const Pixel px = at(p);
    PixelBox text = boxOfColour(picture(), kText, 1);
    ASSERT_GT(text.count, 0);
    // Left-aligned: the text starts at the point and sits on it.
    EXPECT_GE(text.minX, px.x - 1);
    EXPECT_LE(text.minX, px.x + 2);
    EXPECT_LE(text.maxY, px.y + 1);
    EXPECT_GE(text.minY, px.y - 12);

    // A vector value is centred on the point.
    setPlug(node, "attributeName", MString("normal"));
    text = boxOfColour(picture(), kText, 1);
    ASSERT_GT(text.count, 0);
    EXPECT_LT(text.minX, px.x - 3);
    EXPECT_NEAR((text.minX + text.maxX) / 2.0, px.x, 2.0);

    // A channel of the wrong length: a warning and no text; points still drawn.
    setColour(node, "pointColor", 0, 1, 0);
    setPoints(node, PointSet().vectors("position", {p}).doubles("fallof", {0.5, 0.5}));
    setPlug(node, "attributeName", MString("fallof"));
    {
        zt::host::MessageCapture capture;
        const Image image = picture();
        EXPECT_EQ(boxOfColour(image, kText, 1).count, 0);
        EXPECT_TRUE(capture.contains(zt::host::MessageKind::kWarning,
                                     "ztDisplayPoints: Invalid attribute array length: fallof"));
    }

    // A string channel draws nothing and says nothing.
    setPoints(node, PointSet().vectors("position", {p}).strings("label", {"a"}));
    setPlug(node, "attributeName", MString("label"));
    {
        zt::host::MessageCapture capture;
        EXPECT_EQ(boxOfColour(picture(), kText, 1).count, 0);
        EXPECT_TRUE(capture.messages().empty());
    }
}

TEST_F(DisplayPoints, HiddenLocatorsAreNotDrawn) {
    MObject node = createLocator("ztDisplayPoints");
    setPoints(node, PointSet().vectors("position", {MVector(1, 1, 0)}));
    EXPECT_GT(countOtherThan(picture(), background(), 2), 0);
    setPlug(node, "visibility", false);
    EXPECT_EQ(countOtherThan(picture(), background(), 2), 0);
    setPlug(node, "visibility", true);
    setPlug(parentOf(node), "visibility", false);
    EXPECT_EQ(countOtherThan(picture(), background(), 2), 0);
}

TEST_F(DisplayContainer, AttributesAndBox) {
    MFnDependencyNode fn(node);
    std::vector<std::string> order;
    for (unsigned int i = 0; i < fn.attributeCount(); ++i) {
        const std::string name = MFnAttribute(fn.attribute(i)).name().asChar();
        if (name == "type" || name == "fallof") order.push_back(name);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"type", "fallof"}));

    MFnEnumAttribute kind(fn.attribute("type"));
    EXPECT_EQ(std::string(kind.shortName().asChar()), "t");
    EXPECT_EQ(std::string(kind.fieldName(0).asChar()), "sphere");
    EXPECT_EQ(std::string(kind.fieldName(1).asChar()), "box");
    EXPECT_FALSE(kind.isHidden());
    EXPECT_EQ(fn.findPlug("type").asShort(), 0);

    MFnNumericAttribute fallof(fn.attribute("fallof"));
    EXPECT_EQ(std::string(fallof.shortName().asChar()), "f");
    EXPECT_EQ(fallof.unitType(), MFnNumericData::kFloat);
    EXPECT_TRUE(fallof.isKeyable() && fallof.isStorable() && fallof.isReadable() &&
                fallof.isWritable());
    EXPECT_EQ(fn.findPlug("fallof").asFloat(), 0.0f);
    // Held to 0..1.
    for (const auto& [asked, held] : {std::pair{1.5f, 1.0f}, {-0.5f, 0.0f}, {0.25f, 0.25f}}) {
        setPlug(node, "fallof", asked);
        EXPECT_EQ(fn.findPlug("fallof").asFloat(), held);
    }

    EXPECT_EQ(std::string(fn.name().asChar()), "ztDisplayContainerShape1");
    auto* locator = dynamic_cast<ztDisplayContainer*>(fn.userNode());
    ASSERT_NE(locator, nullptr);
    EXPECT_TRUE(locator->isBounded());
    setPlug(node, "type", 1);
    setPlug(node, "fallof", 0.5f);
    EXPECT_EQ(locator->boundingBox().min(), MPoint(-5, 0, -5));
    EXPECT_EQ(locator->boundingBox().max(), MPoint(5, 0, 5));
}

TEST_F(DisplayContainer, SphereWithInnerShapeOnlyInsideTheFallofRange) {
    Image image = picture();  // fallof 0: the outer sphere alone
    EXPECT_TRUE(drawnAt(image, MPoint(1, 0, 0), kOuter));
    EXPECT_TRUE(drawnAt(image, MPoint(0, -1, 0), kOuter));
    EXPECT_TRUE(drawnAt(image, MPoint(0.7071, 0.7071, 0), kOuter));
    EXPECT_TRUE(drawnAt(image, MPoint(0, -0.2, 0), kRed)) << "the mark";
    EXPECT_FALSE(drawnAt(image, MPoint(0.75, 0, 0), kRed));
    EXPECT_FALSE(drawnAt(image, MPoint(0.4, 0, 0), kRed)) << "the mark ends at 0.25";

    setPlug(node, "fallof", 0.25f);
    image = picture();
    EXPECT_TRUE(drawnAt(image, MPoint(0.75, 0, 0), kRed));
    EXPECT_TRUE(drawnAt(image, MPoint(0, 0.75, 0), kRed));
    EXPECT_TRUE(drawnAt(image, MPoint(-0.5303, -0.5303, 0), kRed));
    EXPECT_TRUE(drawnAt(image, MPoint(1, 0, 0), kOuter));
    EXPECT_FALSE(drawnAt(image, MPoint(0.9, 0, 0), kRed));

    setPlug(node, "fallof", 1.0f);
    image = picture();
    EXPECT_FALSE(drawnAt(image, MPoint(0.75, 0, 0), kRed));
    EXPECT_FALSE(drawnAt(image, MPoint(0.05, 0.5, 0), kRed));
    EXPECT_TRUE(drawnAt(image, MPoint(1, 0, 0), kOuter));
}

TEST_F(DisplayContainer, BoxWithInnerBox) {
    setPlug(node, "type", 1);
    setPlug(node, "fallof", 0.25f);
    const Image image = picture();
    // Vertical edges of both cubes, halfway up; the front ones are nearer
    // the camera and so further out in the picture.
    EXPECT_TRUE(drawnAt(image, MPoint(1, 0, 1), kOuter));
    EXPECT_TRUE(drawnAt(image, MPoint(-1, 0, -1), kOuter));
    EXPECT_TRUE(drawnAt(image, MPoint(0.75, 0, 0.75), kRed));
    EXPECT_TRUE(drawnAt(image, MPoint(-0.75, 0, -0.75), kRed));
    // Top face edge of the inner cube.
    EXPECT_TRUE(drawnAt(image, MPoint(0, 0.75, 0.75), kRed));
    // The sphere's circles are not drawn for a box.
    EXPECT_FALSE(drawnAt(image, MPoint(0.7071, 0.7071, 0), kOuter));

    setPlug(node, "type", 0);
    setPlug(node, "fallof", 0.0f);
    const Image sphere = picture();
    EXPECT_FALSE(drawnAt(sphere, MPoint(1, 0, 1), kOuter));
}
