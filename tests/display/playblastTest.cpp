// The view and its commands: M3dView's GL bracket and text, the default
// camera, framing, and playblast's files and errors.

#include <maya/M3dView.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MGlobal.h>
#include <maya/MPlug.h>

#include "display/ztDisplayPoints.h"
#include "displayScene.h"
#include "host/src/commands/commandRegistry.h"
#include "host/src/graph/scene.h"
#include "host/src/mel/engine.h"
#include "host/src/viewport/viewport.h"
#include "host/src/viewport/viewportCommands.h"

using namespace displaytest;
using zt::host::Image;

namespace {

class Playblast : public DisplayTest {};

double plugValue(const char* name) {
    MPlug plug;
    EXPECT_TRUE(zt::host::plugFromString(name, plug)) << name;
    return plug.asDouble();
}

}  // namespace

TEST_F(Playblast, ViewBracketsGLStateAndText) {
    M3dView none;
    EXPECT_FALSE(none.beginGL());
    MDagPath camera;
    EXPECT_FALSE(none.getCamera(camera));

    M3dView view = M3dView::active3dView();
    EXPECT_FALSE(view.endGL()) << "endGL without beginGL";
    EXPECT_FALSE(view.drawText("x", MPoint(0, 0, 0))) << "text outside beginGL";
    ASSERT_TRUE(view.beginGL());
    glColor3f(0.5f, 0.25f, 1.0f);
    glEnable(GL_BLEND);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glTranslatef(3, 0, 0);
    ASSERT_TRUE(view.beginGL());  // nested
    glColor3f(1, 1, 1);
    glDisable(GL_BLEND);
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(1, 2, 3);
    EXPECT_TRUE(view.endGL());
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[0], 0.5f);
    EXPECT_FLOAT_EQ(colour[1], 0.25f);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_PROJECTION);
    GLdouble modelView[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
    EXPECT_EQ(modelView[12], 0.0);
    EXPECT_TRUE(view.endGL());
    GLdouble projection[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    EXPECT_EQ(projection[12], 0.0) << "the outer endGL restores the projection";

    // The default camera of a new scene is the view's camera.
    ASSERT_TRUE(view.getCamera(camera));
    EXPECT_EQ(std::string(camera.partialPathName().asChar()), "perspShape");
    EXPECT_NEAR(plugValue("perspShape.focalLength"), 35.0, 1e-12);
    EXPECT_NEAR(plugValue("persp.translateX"), 28.0, 1e-12);
    MDagPath other = createCamera(MVector(0, 0, 5));
    MDagPath transformPath;
    MDagPath::getAPathTo(other.transform(), transformPath);
    EXPECT_TRUE(view.setCamera(transformPath)) << "a transform above a camera will do";
    ASSERT_TRUE(view.getCamera(camera));
    EXPECT_TRUE(camera == other);
    MDagPath notACamera;
    MDagPath::getAPathTo(parentOf(createLocator("ztDisplayPoints")), notACamera);
    EXPECT_FALSE(view.setCamera(notACamera));
}

TEST_F(Playblast, WritesPicturesOfTheAskedSizeAndFormat) {
    ScratchDir dir;
    MDagPath camera = createCamera(MVector(0, 0, 20));
    createLocator("ztDisplayPoints", MVector(2, 0, 0));
    const std::string single = dir.file("one.png");
    run("playblast -camera testCam -widthHeight 80 60 -percent 100 "
        "-completeFilename \"" +
        single + "\";");
    Image image = readPngFile(single);
    ASSERT_EQ(image.width, 80);
    ASSERT_EQ(image.height, 60);
    EXPECT_TRUE(colourNear(image, 1, 1, background(), 1));
    const Pixel mark = project(camera, MPoint(2, 0, 0), 80, 60);
    EXPECT_TRUE(colourNearby(image, mark.x, mark.y, {255, 0, 0}, 2, 1));

    EXPECT_EQ(zt::host::frameFileName("a/b", 12, 4), "a/b.0012.png");
    EXPECT_EQ(zt::host::frameFileName("b", 3.0000001, 2), "b.03.png");
    EXPECT_EQ(zt::host::frameFileName("c", -2, 3, "jpg"), "c.-02.jpg");

    // -percent scales the size, 50 unless given; -width and -height set one
    // side each.
    const std::string half = dir.file("half.png");
    run("playblast -cam testCam -wh 80 60 -cf \"" + half + "\";");
    EXPECT_EQ(readPngFile(half).width, 40);
    EXPECT_EQ(readPngFile(half).height, 30);
    run("playblast -cam testCam -width 50 -height 20 -p 30 -cf \"" + half + "\";");
    EXPECT_EQ(readPngFile(half).width, 15);
    EXPECT_EQ(readPngFile(half).height, 6);

    // JPEG pictures show the same scene; frames named with -frame, padded
    // as asked.
    const std::string jpeg = dir.file("one.jpg");
    run("playblast -cam testCam -fmt image -c jpg -qlt 95 -wh 80 60 "
        "-p 100 -cf \"" +
        jpeg + "\";");
    image = readPngFile(jpeg);
    ASSERT_EQ(image.width, 80);
    EXPECT_TRUE(colourNear(image, 1, 1, background(), 4));
    EXPECT_TRUE(colourNearby(image, mark.x, mark.y, {255, 0, 0}, 2, 60));
    const std::string picked = dir.file("pick");
    run("playblast -cam testCam -c jpg -wh 16 16 -fr 4 -fr 9 -fp 2 "
        "-f \"" +
        picked + "\";");
    EXPECT_EQ(readPngFile(picked + ".04.jpg").width, 8) << "sequence frames are sized too (50 %)";
    EXPECT_TRUE(std::filesystem::exists(picked + ".09.jpg"));
    EXPECT_FALSE(std::filesystem::exists(picked + ".05.jpg"));
    // Without frames a sequence covers the playback range.
    run("playbackOptions -min 2 -max 3;");
    run("playblast -cam testCam -wh 16 16 -f \"" + picked + "\";");
    EXPECT_TRUE(std::filesystem::exists(picked + ".0002.png"));
    EXPECT_TRUE(std::filesystem::exists(picked + ".0003.png"));
    EXPECT_FALSE(std::filesystem::exists(picked + ".0001.png"));
    EXPECT_FALSE(std::filesystem::exists(picked + ".0004.png"));

    // Bad requests fail with a message and write nothing (the scene script
    // commands_playblast.mel refuses more).
    const std::string bad = dir.file("bad.png");
    for (const std::string& command : std::vector<std::string>{
             "playblast -cam testCam -wh 20 10;",
             "playblast -cam noSuchCamera -cf \"" + bad + "\";",
             "playblast -cam testCam -cf \"" + bad + "\" -format qt;",
             "playblast -cam testCam -cf \"" + bad + "\" -fr 1 -st 1;",
             "playblast -cam testCam -cf \"" + bad + "\" -c jpg -qlt 101;",
             "playblast -cam testCam -st 5 -et 2 -f \"" + (dir.file("x")) + "\";",
             std::string("playblast -cam testCam -cf \"/nonexistent-dir/a.png\";")}) {
        EXPECT_FALSE(zt::mel::executeText(command)) << command;
    }
    EXPECT_FALSE(std::filesystem::exists(bad));
    setPlug(camera.node(), "nearClipPlane", 50.0f);
    setPlug(camera.node(), "farClipPlane", 40.0f);
    EXPECT_FALSE(zt::mel::executeText("playblast -cam testCam -cf \"" + bad + "\";"))
        << "near clip beyond far clip";
}

TEST_F(Playblast, LeavesTheCameraWhereItIsAndViewFitFramesTheScene) {
    MObject node = createLocator("ztDisplayPoints");
    setPoints(node, PointSet().vectors("position", {MVector(38, 8, -31), MVector(44, 13, -26)}));
    // The locator's box: the unit cube around its origin and the positions.
    const MPoint boxMin(-1, -1, -31), boxMax(44, 13, 1);
    const MPoint boxCentre = (boxMin + MVector(boxMax)) * 0.5;
    ScratchDir dir;
    const std::string file = dir.file("fit.png");
    // playblast never moves the camera it looks through.
    run("playblast -wh 200 100 -p 100 -cf \"" + file + "\";");
    EXPECT_EQ(plugValue("persp.translateX"), 28.0);
    run("viewFit; playblast -wh 200 100 -p 100 -cf \"" + file + "\";");

    // viewFit moved the default camera (without turning it) so that the box is in view.
    MDagPath persp;
    ASSERT_TRUE(M3dView::active3dView().getCamera(persp));
    EXPECT_NE(plugValue("persp.translateX"), 28.0);
    EXPECT_NEAR(plugValue("persp.rotateY"), 45.0, 1e-12);
    for (int corner = 0; corner < 8; ++corner) {
        const MPoint p(corner & 1 ? boxMax.x : boxMin.x, corner & 2 ? boxMax.y : boxMin.y,
                       corner & 4 ? boxMax.z : boxMin.z);
        const Pixel px = project(persp, p, 200, 100);
        EXPECT_TRUE(px.x >= 0 && px.x < 200 && px.y >= 0 && px.y < 100) << "corner " << corner;
    }
    const Pixel centre = project(persp, boxCentre, 200, 100);
    EXPECT_NEAR(centre.x, 100, 1);
    EXPECT_NEAR(centre.y, 50, 1);
    const Image image = readPngFile(file);
    const Pixel point = project(persp, MPoint(44, 13, -26), 200, 100);
    EXPECT_TRUE(colourNearby(image, point.x, point.y, {0, 0, 0}, 2, 1));

    // viewFit moves a camera on request.
    MDagPath camera = createCamera(MVector(0, 0, 50));
    run("viewFit testCam;");
    // lookThru picks the camera playblast renders through.
    run("lookThru testCam;");
    MString looking;
    ASSERT_TRUE(MGlobal::executeCommand("lookThru -q", looking));
    EXPECT_EQ(std::string(looking.asChar()), "testCam");
    run("playblast -wh 200 100 -p 100 -cf \"" + file + "\";");
    const Image seen = readPngFile(file);
    const Pixel far = project(camera, MPoint(44, 13, -26), 200, 100);
    EXPECT_TRUE(colourNearby(seen, far.x, far.y, {0, 0, 0}, 2, 1));
    EXPECT_FALSE(zt::mel::executeText("lookThru ztDisplayPointsShape1;"));
    const Pixel fitted = project(camera, boxCentre, 200, 100);
    EXPECT_NEAR(fitted.x, 100, 1);
    EXPECT_NEAR(fitted.y, 50, 1);
    EXPECT_FALSE(zt::mel::executeText("viewFit -fitFactor 0 testCam;"));
    EXPECT_FALSE(zt::mel::executeText("viewFit ztDisplayPointsShape1;"));
}
