// The viewport's building blocks on their own: lens maths, the software GL
// context and bitmap text.

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include "host/src/viewport/bitmapText.h"
#include "host/src/viewport/cameraMath.h"
#include "host/src/viewport/offscreenContext.h"
#include "imageProbe.h"

using namespace zt::host;

namespace {

Matrix4 translation(double x, double y, double z) {
    Matrix4 m = identityMatrix();
    m[12] = x, m[13] = y, m[14] = z;
    return m;
}

Matrix4 rotationY(double radians) {
    Matrix4 m = identityMatrix();
    m[0] = std::cos(radians), m[2] = -std::sin(radians);
    m[8] = std::sin(radians), m[10] = std::cos(radians);
    return m;
}

}  // namespace

TEST(CameraMath, LensGeometry) {
    CameraLens lens;
    // 35 mm on a 36 mm wide gate: the well-known 54.43 degree angle of view.
    EXPECT_NEAR(horizontalFieldOfView(lens) * 180.0 / M_PI, 54.43, 0.01);
    EXPECT_TRUE(isValidLens(lens));

    CameraLens bad = lens;
    bad.nearClipPlane = bad.farClipPlane;
    EXPECT_FALSE(isValidLens(bad));
    bad = lens;
    bad.focalLength = std::nan("");
    EXPECT_FALSE(isValidLens(bad));
    bad = lens;
    bad.horizontalFilmAperture = 0.0;
    EXPECT_FALSE(isValidLens(bad));
    bad.orthographic = true;  // the aperture does not matter for an orthographic lens
    EXPECT_TRUE(isValidLens(bad));
    bad.orthographicWidth = -1.0;
    EXPECT_FALSE(isValidLens(bad));
}

TEST(CameraMath, PerspectiveProjectionMatchesPinhole) {
    CameraLens lens;
    const int width = 640, height = 480;
    const Matrix4 proj = projectionMatrix(lens, double(width) / height);
    const Matrix4 view = identityMatrix();  // camera at the origin looking down -z
    // Pinhole model: pixels per unit of (x / depth) is half the width over the
    // half-gate slope.
    const double slope = lens.horizontalFilmAperture * 25.4 * 0.5 / lens.focalLength;
    const double pixelsPerSlope = width * 0.5 / slope;
    const struct {
        double x, y, z;
    } points[] = {{0, 0, -10}, {2, 0, -10}, {-1, 1.5, -4}, {3, -2, -25}};
    for (const auto& p : points) {
        const WindowPoint w = projectToWindow({p.x, p.y, p.z}, view, proj, width, height);
        EXPECT_TRUE(w.inFront);
        EXPECT_NEAR(w.x, width * 0.5 + p.x / -p.z * pixelsPerSlope, 1e-9);
        EXPECT_NEAR(w.y, height * 0.5 - p.y / -p.z * pixelsPerSlope, 1e-9);
        EXPECT_GT(w.depth, 0.0);
        EXPECT_LT(w.depth, 1.0);
    }
    EXPECT_FALSE(projectToWindow({0, 0, 5}, view, proj, width, height).inFront);

    // Nearer points get smaller depths.
    EXPECT_LT(projectToWindow({0, 0, -1}, view, proj, width, height).depth,
              projectToWindow({0, 0, -2}, view, proj, width, height).depth);
}

TEST(CameraMath, OrthographicProjection) {
    CameraLens lens;
    lens.orthographic = true;
    lens.orthographicWidth = 20.0;
    const Matrix4 proj = projectionMatrix(lens, 2.0);
    const WindowPoint near = projectToWindow({5, 2.5, -3}, identityMatrix(), proj, 200, 100);
    const WindowPoint far = projectToWindow({5, 2.5, -300}, identityMatrix(), proj, 200, 100);
    EXPECT_NEAR(near.x, 150.0, 1e-9);
    EXPECT_NEAR(near.y, 25.0, 1e-9);
    EXPECT_NEAR(far.x, near.x, 1e-9);  // no perspective shrinking
    EXPECT_NEAR(far.y, near.y, 1e-9);
}

TEST(CameraMath, FrameBoxKeepsOrientationAndFitsTheBox) {
    CameraLens lens;
    const int width = 320, height = 240;
    const std::array<double, 3> lo{-3, 1, 2}, hi{5, 4, 9};
    const Matrix4 camera = multiply(rotationY(0.6), translation(100, 50, -20));
    double orthoWidth = 0.0;
    const Matrix4 framed = frameBox(camera, lo, hi, lens, double(width) / height, 1.0, orthoWidth);
    for (int i = 0; i < 12; ++i) EXPECT_DOUBLE_EQ(framed[i], camera[i]) << "rotation changed";

    Matrix4 view;
    ASSERT_TRUE(invert(framed, view));
    Matrix4 flat = identityMatrix();
    flat[5] = 0.0;  // a camera squashed flat has no view
    EXPECT_FALSE(invert(flat, flat));
    const Matrix4 proj = projectionMatrix(lens, double(width) / height);
    const WindowPoint centre = projectToWindow({1, 2.5, 5.5}, view, proj, width, height);
    EXPECT_NEAR(centre.x, width / 2.0, 1e-6);
    EXPECT_NEAR(centre.y, height / 2.0, 1e-6);
    double minX = 1e9, maxX = -1e9, minY = 1e9, maxY = -1e9;
    for (int corner = 0; corner < 8; ++corner) {
        const std::array<double, 3> p{corner & 1 ? hi[0] : lo[0], corner & 2 ? hi[1] : lo[1],
                                      corner & 4 ? hi[2] : lo[2]};
        const WindowPoint w = projectToWindow(p, view, proj, width, height);
        ASSERT_TRUE(w.inFront);
        minX = std::min(minX, w.x), maxX = std::max(maxX, w.x);
        minY = std::min(minY, w.y), maxY = std::max(maxY, w.y);
    }
    EXPECT_GE(minX, 0.0);
    EXPECT_LE(maxX, width);
    EXPECT_GE(minY, 0.0);
    EXPECT_LE(maxY, height);
    // Framed, not lost in the distance: the box spans a good part of the picture.
    EXPECT_GT(std::max((maxX - minX) / width, (maxY - minY) / height), 0.5);

    lens.orthographic = true;
    frameBox(camera, lo, hi, lens, 2.0, 1.0, orthoWidth);
    const double diagonal = std::sqrt(8.0 * 8.0 + 3.0 * 3.0 + 7.0 * 7.0);
    EXPECT_NEAR(orthoWidth, diagonal * 2.0, 1e-9);
}

TEST(OffscreenContext, RendersTopRowFirst) {
    OffscreenContext context;
    context.makeCurrent(64, 32);
    EXPECT_TRUE(context.isCurrent());
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 64, 0, 32, -1, 1);  // GL counts y upwards
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor3f(1.0f, 0.0f, 0.0f);
    glBegin(GL_QUADS);  // a red block in the upper-left quarter
    glVertex2f(0, 16), glVertex2f(32, 16), glVertex2f(32, 32), glVertex2f(0, 32);
    glEnd();
    const Image image = context.readPixels();
    ASSERT_EQ(image.width, 64);
    ASSERT_EQ(image.height, 32);
    EXPECT_TRUE(colourNear(image, 5, 5, {255, 0, 0}, 0));
    EXPECT_TRUE(colourNear(image, 5, 27, {0, 0, 255}, 0));
    EXPECT_TRUE(colourNear(image, 40, 5, {0, 0, 255}, 0));

    // A new size takes effect at once, also for the GL viewport.
    context.makeCurrent(10, 20);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 10);
    EXPECT_EQ(viewport[3], 20);
    EXPECT_EQ(context.readPixels().rgba.size(), 10u * 20u * 4u);

    EXPECT_THROW(context.makeCurrent(0, 10), std::invalid_argument);
    EXPECT_THROW(context.makeCurrent(10, 100000), std::invalid_argument);
}

TEST(BitmapText, AlignmentAndColour) {
    OffscreenContext context;
    context.makeCurrent(200, 60);
    auto render = [&](TextAlign align) {
        glClearColor(1, 1, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glColor3f(0.0f, 0.0f, 0.25f);
        drawBitmapText("0.125", 100.0, 30.0, align, 2.0);
        return context.readPixels();
    };
    const double width = bitmapTextWidth("0.125", 2.0);
    EXPECT_GT(width, 20.0);

    const PixelBox left = boxOfColour(render(TextAlign::kLeft), {0, 0, 64}, 2);
    ASSERT_GT(left.count, 0);
    EXPECT_GE(left.minX, 100);
    EXPECT_LE(left.maxX, 100 + width);
    // Above the baseline (row 30 from the bottom is row 29 from the top) and
    // no taller than the glyphs.
    EXPECT_LE(left.maxY, 30);
    EXPECT_GE(left.minY, 30 - (kTextCapHeight + 1) * 2);

    const PixelBox right = boxOfColour(render(TextAlign::kRight), {0, 0, 64}, 2);
    ASSERT_GT(right.count, 0);
    EXPECT_LT(right.maxX, 100);
    EXPECT_GE(right.minX, 100 - width - 1);

    const PixelBox centre = boxOfColour(render(TextAlign::kCenter), {0, 0, 64}, 2);
    ASSERT_GT(centre.count, 0);
    EXPECT_LT(centre.minX, 100);
    EXPECT_GT(centre.maxX, 100);
    EXPECT_EQ(centre.count, left.count);  // the same glyphs, only moved

    // Characters the font lacks are replaced rather than read past its tables.
    glClear(GL_COLOR_BUFFER_BIT);
    drawBitmapText(std::string("a\x01\xff"), 10, 30, TextAlign::kLeft, 1.0);
    EXPECT_GT(boxOfColour(context.readPixels(), {0, 0, 64}, 2).count, 0);

    // The text leaves the caller's matrices alone.
    GLint depth = 0;
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
}
