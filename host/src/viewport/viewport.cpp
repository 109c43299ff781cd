#include "viewport/viewport.h"
#include "viewport/particleNode.h"

#include <maya/MBoundingBox.h>
#include <maya/MFnDagNode.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MGL.h>
#include <maya/MGlobal.h>
#include <maya/MMatrix.h>
#include <maya/MPlug.h>
#include <maya/MPxLocatorNode.h>

#include <exception>
#include <stdexcept>
#include <vector>

#include "graph/scene.h"
#include "viewport/cameraNode.h"

namespace zt::host {

Viewport& Viewport::instance() {
    static Viewport view;
    return view;
}

OffscreenContext& Viewport::context() {
    if (!context_) context_ = std::make_unique<OffscreenContext>();
    return *context_;
}

void Viewport::makeCurrent() {
    OffscreenContext& ctx = context();
    if (!ctx.isCurrent() || ctx.width() != width_ || ctx.height() != height_)
        ctx.makeCurrent(width_, height_);
}

MStatus Viewport::beginGL() {
    if (glDepth_ >= kMaxGLDepth) return MS::kFailure;
    try {
        if (glDepth_ == 0) makeCurrent();
    } catch (const std::exception& e) {
        MGlobal::displayError(MString("M3dView: ") + e.what());
        return MS::kFailure;
    }
    GLint mode = GL_MODELVIEW;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
    for (GLenum stack : {GL_PROJECTION, GL_TEXTURE, GL_MODELVIEW}) {
        glMatrixMode(stack);
        glPushMatrix();
    }
    // GL_TRANSFORM_BIT saved the matrix mode; the pushes above changed it.
    glMatrixMode(GLenum(mode));
    ++glDepth_;
    return MS::kSuccess;
}

MStatus Viewport::endGL() {
    if (glDepth_ == 0) return MS::kFailure;
    for (GLenum stack : {GL_PROJECTION, GL_TEXTURE, GL_MODELVIEW}) {
        glMatrixMode(stack);
        glPopMatrix();
    }
    glPopClientAttrib();
    glPopAttrib();
    --glDepth_;
    return MS::kSuccess;
}

MStatus Viewport::drawText(const std::string& text, const MPoint& position, TextAlign align) {
    if (glDepth_ == 0) return MS::kFailure;
    Matrix4 modelView, projection;
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView.data());
    glGetDoublev(GL_PROJECTION_MATRIX, projection.data());
    glGetIntegerv(GL_VIEWPORT, viewport);
    const WindowPoint w = projectToWindow({position.x, position.y, position.z}, modelView,
                                          projection, viewport[2], viewport[3]);
    // Text at a point behind the camera or beyond the clip planes is not seen.
    if (!w.inFront || w.depth < 0.0 || w.depth > 1.0) return MS::kSuccess;
    drawBitmapText(text, viewport[0] + w.x, viewport[1] + (viewport[3] - w.y), align, kTextScale);
    return MS::kSuccess;
}

MObject cameraShapeOf(const MDagPath& path) {
    if (!path.isValid()) return MObject();
    MObject node = path.node();
    if (node.hasFn(MFn::kCamera)) return node;
    if (!node.hasFn(MFn::kTransform)) return MObject();
    MFnDagNode transform(node);
    for (unsigned int i = 0; i < transform.childCount(); ++i) {
        MObject child = transform.child(i);
        if (child.hasFn(MFn::kCamera)) return child;
    }
    return MObject();
}

namespace {

bool isLiveCamera(const MObject& node) {
    if (node.isNull() || !node.hasFn(MFn::kCamera)) return false;
    MDagPath path;
    return MDagPath::getAPathTo(node, path) == MS::kSuccess;
}

}  // namespace

MStatus Viewport::getCamera(MDagPath& camera) const {
    MObject chosen = camera_;
    if (!isLiveCamera(chosen)) chosen = findNode("perspShape");
    if (!isLiveCamera(chosen)) {
        chosen = MObject();
        for (const MObject& node : listNodes())
            if (isLiveCamera(node)) {
                chosen = node;
                break;
            }
    }
    if (chosen.isNull()) return MS::kFailure;
    return MDagPath::getAPathTo(chosen, camera);
}

MStatus Viewport::setCamera(const MDagPath& camera) {
    MObject shape = cameraShapeOf(camera);
    if (shape.isNull()) return MS::kInvalidParameter;
    camera_ = shape;
    return MS::kSuccess;
}

bool readCameraLens(const MObject& cameraShape, CameraLens& lens) {
    if (cameraShape.isNull() || !cameraShape.hasFn(MFn::kCamera)) return false;
    lens.focalLength = MPlug(cameraShape, CameraNode::focalLength).asDouble();
    lens.horizontalFilmAperture = MPlug(cameraShape, CameraNode::horizontalFilmAperture).asDouble();
    lens.verticalFilmAperture = MPlug(cameraShape, CameraNode::verticalFilmAperture).asDouble();
    lens.nearClipPlane = MPlug(cameraShape, CameraNode::nearClipPlane).asDouble();
    lens.farClipPlane = MPlug(cameraShape, CameraNode::farClipPlane).asDouble();
    lens.orthographic = MPlug(cameraShape, CameraNode::orthographic).asBool();
    lens.orthographicWidth = MPlug(cameraShape, CameraNode::orthographicWidth).asDouble();
    return true;
}

namespace {

// A boolean attribute of a node by name; `fallback` when it has none.
bool boolAttribute(const MObject& node, const char* name, bool fallback) {
    MFnDependencyNode fn(node);
    MStatus status;
    MPlug plug = fn.findPlug(name, &status);
    if (!status || plug.isNull()) return fallback;
    return plug.asBool();
}

}  // namespace

bool isVisiblePath(const MDagPath& path) {
    if (boolAttribute(path.node(), "intermediateObject", false)) return false;
    MDagPath walk(path);
    while (walk.length() > 0) {
        if (!boolAttribute(walk.node(), "visibility", true)) return false;
        if (walk.pop() != MS::kSuccess) break;
    }
    return true;
}

std::vector<VisibleLocator> visibleLocators() {
    std::vector<VisibleLocator> opaque, transparent, last;
    for (const MObject& node : listNodes()) {
        if (!node.hasFn(MFn::kPluginLocatorNode)) continue;
        MFnDependencyNode fn(node);
        auto* locator = dynamic_cast<MPxLocatorNode*>(fn.userNode());
        MDagPath path;
        if (!locator || MDagPath::getAPathTo(node, path) != MS::kSuccess || !isVisiblePath(path))
            continue;
        VisibleLocator entry{locator, path, fn.name().asChar()};
        if (locator->drawLast())
            last.push_back(entry);
        else if (locator->isTransparent())
            transparent.push_back(entry);
        else
            opaque.push_back(entry);
    }
    opaque.insert(opaque.end(), transparent.begin(), transparent.end());
    opaque.insert(opaque.end(), last.begin(), last.end());
    return opaque;
}

Image Viewport::render(int width, int height) {
    if (glDepth_ != 0) throw std::runtime_error("cannot render while a locator is drawing");
    MDagPath cameraPath;
    if (getCamera(cameraPath) != MS::kSuccess)
        throw std::runtime_error("the scene has no camera to look through");
    CameraLens lens;
    readCameraLens(cameraPath.node(), lens);
    if (!isValidLens(lens))
        throw std::runtime_error("camera " + std::string(cameraPath.partialPathName().asChar()) +
                                 " has an unusable lens (focal length, film aperture, clip "
                                 "planes or orthographic width)");
    Matrix4 worldToCamera;
    if (!invert(toMatrix4(cameraPath.inclusiveMatrix()), worldToCamera))
        throw std::runtime_error("camera " + std::string(cameraPath.partialPathName().asChar()) +
                                 " has a singular transformation");

    // Validates the size before touching the context.
    OffscreenContext& ctx = context();
    ctx.makeCurrent(width, height);
    width_ = width;
    height_ = height;
    camera_ = cameraPath.node();

    glClearColor(kBackgroundGrey, kBackgroundGrey, kBackgroundGrey, 1.0f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDisable(GL_LIGHTING);
    const Matrix4 projection = projectionMatrix(lens, double(width) / double(height));
    drawSurfaces(worldToCamera, projection, shading_);
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixd(projection.data());
    drawParticleShapes(worldToCamera);
    drawEmitters(worldToCamera);

    M3dView view = M3dView::active3dView();
    for (VisibleLocator& entry : visibleLocators()) {
        const Matrix4 modelView = multiply(toMatrix4(entry.path.inclusiveMatrix()), worldToCamera);
        glMatrixMode(GL_PROJECTION);
        glLoadMatrixd(projection.data());
        glMatrixMode(GL_MODELVIEW);
        glLoadMatrixd(modelView.data());
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        try {
            entry.locator->draw(view, entry.path, M3dView::kWireFrame, M3dView::kDormant);
        } catch (const std::exception& e) {
            MGlobal::displayError(MString("drawing ") + entry.name.c_str() +
                                  " failed: " + e.what());
        }
        // A draw that forgot endGL must not leave its state to the next one.
        if (glDepth_ > 0) {
            MGlobal::displayWarning(MString(entry.name.c_str()) +
                                    ": draw returned without M3dView::endGL");
            while (glDepth_ > 0) endGL();
        }
        glPopAttrib();
    }
    return ctx.readPixels();
}

}  // namespace zt::host
