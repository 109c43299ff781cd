// ztDisplayContainer: attributes, bounding box and the drawn volume, with the
// inner shape only while the fall-off leaves a core.

#include <maya/MFnAttribute.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MFnEnumAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MPlug.h>

#include <string>
#include <vector>

#include "display/ztDisplayContainer.h"
#include "displayScene.h"

using namespace displaytest;
using zt::host::Image;

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
const Rgb kInner{255, 0, 0};
const Rgb kOuter = toRgb(0.2f, 0.0f, 0.0f);

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
    short defaultIndex = -1;
    kind.getDefault(defaultIndex);
    EXPECT_EQ(defaultIndex, 0);
    EXPECT_FALSE(kind.isHidden());
    EXPECT_EQ(fn.findPlug("type").asShort(), 0);

    MFnNumericAttribute fallof(fn.attribute("fallof"));
    EXPECT_EQ(std::string(fallof.shortName().asChar()), "f");
    EXPECT_EQ(fallof.unitType(), MFnNumericData::kFloat);
    double limit = -1.0;
    ASSERT_TRUE(fallof.hasMin() && fallof.hasMax());
    fallof.getMin(limit);
    EXPECT_EQ(limit, 0.0);
    fallof.getMax(limit);
    EXPECT_EQ(limit, 1.0);
    EXPECT_TRUE(fallof.isKeyable() && fallof.isStorable() && fallof.isReadable() &&
                fallof.isWritable());
    EXPECT_EQ(fn.findPlug("fallof").asFloat(), 0.0f);
    setFloat(node, "fallof", 1.5f);
    EXPECT_EQ(fn.findPlug("fallof").asFloat(), 1.0f);

    EXPECT_EQ(std::string(fn.name().asChar()), "ztDisplayContainerShape1");
    auto* locator = dynamic_cast<ztDisplayContainer*>(fn.userNode());
    ASSERT_NE(locator, nullptr);
    EXPECT_TRUE(locator->isBounded());
    setInt(node, "type", 1);
    setFloat(node, "fallof", 0.5f);
    EXPECT_EQ(locator->boundingBox().min(), MPoint(-5, 0, -5));
    EXPECT_EQ(locator->boundingBox().max(), MPoint(5, 0, 5));
}

TEST_F(DisplayContainer, SphereWithInnerShapeOnlyInsideTheFallofRange) {
    Image image = picture();  // fallof 0: the outer sphere alone
    EXPECT_TRUE(drawnAt(image, MPoint(1, 0, 0), kOuter));
    EXPECT_TRUE(drawnAt(image, MPoint(0, -1, 0), kOuter));
    EXPECT_TRUE(drawnAt(image, MPoint(0.7071, 0.7071, 0), kOuter));
    EXPECT_TRUE(drawnAt(image, MPoint(0, -0.2, 0), kInner)) << "the mark";
    EXPECT_FALSE(drawnAt(image, MPoint(0.75, 0, 0), kInner));
    EXPECT_FALSE(drawnAt(image, MPoint(0.4, 0, 0), kInner)) << "the mark ends at 0.25";

    setFloat(node, "fallof", 0.25f);
    image = picture();
    EXPECT_TRUE(drawnAt(image, MPoint(0.75, 0, 0), kInner));
    EXPECT_TRUE(drawnAt(image, MPoint(0, 0.75, 0), kInner));
    EXPECT_TRUE(drawnAt(image, MPoint(-0.5303, -0.5303, 0), kInner));
    EXPECT_TRUE(drawnAt(image, MPoint(1, 0, 0), kOuter));
    EXPECT_FALSE(drawnAt(image, MPoint(0.9, 0, 0), kInner));

    setFloat(node, "fallof", 1.0f);
    image = picture();
    EXPECT_FALSE(drawnAt(image, MPoint(0.75, 0, 0), kInner));
    EXPECT_FALSE(drawnAt(image, MPoint(0.05, 0.5, 0), kInner));
    EXPECT_TRUE(drawnAt(image, MPoint(1, 0, 0), kOuter));
}

TEST_F(DisplayContainer, BoxWithInnerBox) {
    setInt(node, "type", 1);
    setFloat(node, "fallof", 0.25f);
    const Image image = picture();
    // Vertical edges of both cubes, halfway up; the front ones are nearer
    // the camera and so further out in the picture.
    EXPECT_TRUE(drawnAt(image, MPoint(1, 0, 1), kOuter));
    EXPECT_TRUE(drawnAt(image, MPoint(-1, 0, -1), kOuter));
    EXPECT_TRUE(drawnAt(image, MPoint(0.75, 0, 0.75), kInner));
    EXPECT_TRUE(drawnAt(image, MPoint(-0.75, 0, -0.75), kInner));
    // Top face edge of the inner cube.
    EXPECT_TRUE(drawnAt(image, MPoint(0, 0.75, 0.75), kInner));
    // The sphere's circles are not drawn for a box.
    EXPECT_FALSE(drawnAt(image, MPoint(0.7071, 0.7071, 0), kOuter));

    setInt(node, "type", 0);
    setFloat(node, "fallof", 0.0f);
    const Image sphere = picture();
    EXPECT_FALSE(drawnAt(sphere, MPoint(1, 0, 1), kOuter));
}
