#pragma once
// The host's one 3D view: an off-screen software GL context, the camera it
// looks through and the state M3dView exposes to locators while they draw.

#include <maya/MDagPath.h>
#include <maya/MMatrix.h>
#include <maya/MObject.h>
#include <maya/MPoint.h>
#include <maya/MStatus.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bitmapText.h"
#include "cameraMath.h"
#include "offscreenContext.h"
#include "shadedMesh.h"

class MPxLocatorNode;

namespace zt::host {

// Background of every picture: the mid grey of the host's default viewport
// (RGB 161, 161, 161 in 8 bits).
constexpr float kBackgroundGrey = 0.631f;

// Size of a picture when nothing asks for another.
constexpr int kDefaultViewWidth = 640;
constexpr int kDefaultViewHeight = 480;

// Scale of the bitmap font that drawText uses.
constexpr double kTextScale = 1.0;

class Viewport {
public:
    // The host's view, made on first use. It lives as long as the process,
    // as the view of an interactive session does.
    static Viewport& instance();

    Viewport(const Viewport&) = delete;
    Viewport& operator=(const Viewport&) = delete;

    // Makes the GL context current (at the view's size) and pushes the GL
    // state; endGL pops it. Calls nest up to kMaxGLDepth deep.
    MStatus beginGL();
    MStatus endGL();
    bool insideGL() const { return glDepth_ > 0; }
    static constexpr int kMaxGLDepth = 8;

    // Text at a point of the current GL space; see M3dView::drawText.
    MStatus drawText(const std::string& text, const MPoint& position, TextAlign align);

    // The camera shape the view looks through: the one set last while it
    // still exists, else the default camera "perspShape", else the first
    // camera of the scene.
    MStatus getCamera(MDagPath& camera) const;
    // Accepts a camera shape or a transform with a camera shape below it.
    MStatus setCamera(const MDagPath& camera);

    int width() const { return width_; }
    int height() const { return height_; }

    // How mesh shapes and instanced copies are drawn (smooth by default).
    ShadingMode shading() const { return shading_; }
    void setShading(ShadingMode mode) { shading_ = mode; }

    // Renders the scene through the view's camera at the given size: the
    // visible mesh shapes and instancers shaded (see shadedMesh.h), then every
    // visible locator drawn in its own space, opaque ones first, then the
    // transparent ones, then those that ask to be drawn last. Throws
    // std::runtime_error (with a message for the user) when the size, the
    // camera or its lens is unusable.
    Image render(int width, int height);

private:
    Viewport() = default;
    OffscreenContext& context();
    void makeCurrent();

    std::unique_ptr<OffscreenContext> context_;
    MObject camera_;
    int width_ = kDefaultViewWidth;
    int height_ = kDefaultViewHeight;
    int glDepth_ = 0;
    ShadingMode shading_ = ShadingMode::kSmooth;
};

// A locator the view draws: visible itself, with every transform above it
// visible, and not an intermediate object.
struct VisibleLocator {
    MPxLocatorNode* locator = nullptr;
    MDagPath path;
    std::string name;
};

// Whether the view draws a DAG node: it and every node above it have
// visibility on, and it is not an intermediate object.
bool isVisiblePath(const MDagPath& path);

// The scene's visible locators in drawing order: opaque ones first, then the
// transparent ones, then those that ask to be drawn last.
std::vector<VisibleLocator> visibleLocators();

inline Matrix4 toMatrix4(const MMatrix& m) {
    Matrix4 out;
    std::memcpy(out.data(), &m.matrix[0][0], sizeof(double) * 16);
    return out;
}

// The lens of a camera shape, read from its attributes. False when the node
// is not a camera.
bool readCameraLens(const MObject& cameraShape, CameraLens& lens);

// The camera shape a DAG path leads to: the node itself or the first camera
// shape under a transform. Null when there is none.
MObject cameraShapeOf(const MDagPath& path);

}  // namespace zt::host
