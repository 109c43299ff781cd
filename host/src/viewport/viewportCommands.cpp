// playblast: renders the scene's locators through a camera to PNG files.
//
//   playblast -camera persp -widthHeight 640 480 -completeFilename "out.png";
//   playblast -startTime 1 -endTime 24 -filename "shots/preview";   // preview.0001.png ...
//
// viewFit: frames the visible locators with a camera.
//
//   viewFit;                 // the view's camera
//   viewFit -fitFactor 0.8 persp;

#include "viewport/viewportCommands.h"

#include <maya/MBoundingBox.h>
#include <maya/MFnAttribute.h>
#include <maya/MFnDagNode.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MGlobal.h>
#include <maya/MMatrix.h>
#include <maya/MPlug.h>
#include <maya/MPoint.h>
#include <maya/MPxLocatorNode.h>
#include <maya/MTime.h>

#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <vector>

#include "commands/commandRegistry.h"
#include "graph/scene.h"
#include "viewport/cameraNode.h"
#include "viewport/pngFile.h"
#include "viewport/shadedMesh.h"
#include "viewport/viewport.h"

namespace zt::host {

namespace {

constexpr int kMaxSide = 16384;
constexpr int kDefaultPadding = 4;

std::string nameOf(const MDagPath& path) {
    return path.partialPathName().asChar();
}

// A locator's box may depend on what it computes (a point locator caches
// its points' box when it evaluates): bring its outputs, the attributes no
// one may set, up to date first, as drawing it would.
void evaluateOutputs(const MObject& node) {
    MFnDependencyNode fn(node);
    for (unsigned int i = 0; i < fn.attributeCount(); ++i) {
        const MObject attribute = fn.attribute(i);
        MFnAttribute attr(attribute);
        if (attr.isWritable() || !attr.isReadable() || attr.isArray()) continue;
        MPlug plug(node, attribute);
        if (!plug.parent().isNull()) continue;  // the compound evaluates its children
        if (attribute.hasFn(MFn::kNumericAttribute) || attribute.hasFn(MFn::kEnumAttribute))
            plug.asDouble();
        else if (attribute.hasFn(MFn::kTypedAttribute))
            plug.asMObject();
    }
}

// The union of the visible locators' and surfaces' world boxes.
MBoundingBox sceneBox() {
    MBoundingBox box;
    for (const VisibleLocator& entry : visibleLocators()) {
        const MMatrix world = entry.path.inclusiveMatrix();
        evaluateOutputs(entry.path.node());
        if (entry.locator->isBounded()) {
            MBoundingBox local = entry.locator->boundingBox();
            local.transformUsing(world);
            box.expand(local);
        } else {
            box.expand(MPoint(0.0, 0.0, 0.0) * world);
        }
    }
    box.expand(surfacesBox());
    if (box.width() == 0.0 && box.height() == 0.0 && box.depth() == 0.0) {
        const MPoint c = box.center();
        box.expand(MPoint(c.x - 1.0, c.y - 1.0, c.z - 1.0));
        box.expand(MPoint(c.x + 1.0, c.y + 1.0, c.z + 1.0));
    }
    return box;
}

void setDouble3(const MObject& node, const char* names[3], const double values[3]) {
    MFnDependencyNode fn(node);
    for (int i = 0; i < 3; ++i) {
        MPlug plug = fn.findPlug(names[i]);
        if (plug.isNull() || plug.setValue(values[i]) != MS::kSuccess)
            throw std::runtime_error(std::string("cannot set ") + fn.name().asChar() + "." +
                                     names[i]);
    }
}

void checkSize(int width, int height) {
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide)
        throw commands::CommandError(
            "playblast: -widthHeight must be two whole numbers from 1 to " +
            std::to_string(kMaxSide) + ", got " + std::to_string(width) + " " +
            std::to_string(height));
}

double currentFrame() {
    MPlug outTime(timeNode(), MFnDependencyNode(timeNode()).attribute("outTime"));
    return outTime.asMTime().as(MTime::uiUnit());
}

void writeOrThrow(const std::string& path, const Image& image) {
    std::string error;
    if (!writePng(path, image, error)) throw commands::CommandError("playblast: " + error);
}

void playblast(const commands::ParsedArgs& args, commands::CommandResult& result) {
    MDagPath camera;
    if (args.isFlagSet("camera")) {
        camera = cameraByName(args.flagString("camera"));
    } else if (Viewport::instance().getCamera(camera) != MS::kSuccess) {
        throw commands::CommandError("playblast: the scene has no camera; name one with -camera");
    }
    const int width = args.flagInt("widthHeight", 0, kDefaultViewWidth);
    const int height = args.flagInt("widthHeight", 1, kDefaultViewHeight);
    checkSize(width, height);

    const bool single = args.isFlagSet("completeFilename");
    const bool sequence = args.isFlagSet("filename");
    if (single == sequence)
        throw commands::CommandError(
            "playblast: give either -completeFilename (one picture of the current frame) or "
            "-filename (a picture per frame)");
    const int padding = args.flagInt("framePadding", 0, kDefaultPadding);
    if (padding < 1 || padding > 9)
        throw commands::CommandError("playblast: -framePadding must be from 1 to 9");

    // A camera nobody has placed would show an arbitrary view: frame the
    // scene with it once, before the first picture, and keep it there.
    const bool fit =
        args.isFlagSet("viewFit") ? args.flagBool("viewFit") : isUnplacedCamera(camera);
    const double aspect = double(width) / double(height);

    if (single) {
        if (fit) fitCameraToLocators(camera, aspect);
        const std::string path = args.flagString("completeFilename");
        writeOrThrow(path, renderThrough(camera, width, height));
        result = commands::Value(path);
        return;
    }

    const double now = currentFrame();
    const double start = args.flagDouble("startTime", 0, now);
    const double end = args.flagDouble("endTime", 0, start);
    if (!std::isfinite(start) || !std::isfinite(end) || end < start)
        throw commands::CommandError("playblast: -endTime must not come before -startTime");
    if (end - start > 1e6) throw commands::CommandError("playblast: the frame range is too long");

    std::vector<std::string> written;
    const std::string prefix = args.flagString("filename");
    try {
        for (double frame = start; frame <= end + 1e-9; frame += 1.0) {
            MGlobal::viewFrame(frame);
            if (fit && frame == start) fitCameraToLocators(camera, aspect);
            const std::string path = frameFileName(prefix, frame, padding);
            writeOrThrow(path, renderThrough(camera, width, height));
            written.push_back(path);
        }
    } catch (...) {
        MGlobal::viewFrame(now);
        throw;
    }
    // Like an interactive playblast, the scene returns to the frame it was on.
    MGlobal::viewFrame(now);
    result = commands::Value(written);
}

void viewFit(const commands::ParsedArgs& args, commands::CommandResult& result) {
    MDagPath camera;
    if (args.positionalCount() == 1) {
        camera = cameraByName(args.positionalString(0));
    } else if (Viewport::instance().getCamera(camera) != MS::kSuccess) {
        throw commands::CommandError("viewFit: the scene has no camera");
    }
    const double fitFactor = args.flagDouble("fitFactor", 0, 1.0);
    if (!(fitFactor > 0.0) || !std::isfinite(fitFactor))
        throw commands::CommandError("viewFit: -fitFactor must be a positive number");
    Viewport& view = Viewport::instance();
    fitCameraToLocators(camera, double(view.width()) / double(view.height()), fitFactor);
    result = commands::Value(nameOf(camera));
}

}  // namespace

MDagPath cameraByName(const std::string& name) {
    MObject node = findNode(name);
    MDagPath path;
    if (node.isNull() || MDagPath::getAPathTo(node, path) != MS::kSuccess)
        throw commands::CommandError("no camera named '" + name + "'");
    MObject shape = cameraShapeOf(path);
    if (shape.isNull()) throw commands::CommandError("'" + name + "' is not a camera");
    MDagPath shapePath;
    MDagPath::getAPathTo(shape, shapePath);
    return shapePath;
}

std::string frameFileName(const std::string& prefix, double frame, int padding) {
    char digits[32];
    std::snprintf(digits, sizeof(digits), "%0*lld", padding,
                  static_cast<long long>(std::lround(frame)));
    return prefix + "." + digits + ".png";
}

void fitCameraToLocators(const MDagPath& camera, double aspect, double fitFactor) {
    MObject shape = cameraShapeOf(camera);
    CameraLens lens;
    if (!readCameraLens(shape, lens) || !isValidLens(lens))
        throw std::runtime_error("camera " + nameOf(camera) + " has an unusable lens");
    MDagPath shapePath;
    MDagPath::getAPathTo(shape, shapePath);

    const MBoundingBox box = sceneBox();
    const MPoint lo = box.min(), hi = box.max();
    double orthographicWidth = lens.orthographicWidth;
    const Matrix4 framed = frameBox(toMatrix4(shapePath.inclusiveMatrix()), {lo.x, lo.y, lo.z},
                                    {hi.x, hi.y, hi.z}, lens, aspect, fitFactor, orthographicWidth);

    // The camera moves through its transform's translate, in the space of
    // the transform's parent.
    MDagPath transformPath;
    MDagPath::getAPathTo(shapePath.transform(), transformPath);
    const MPoint local =
        MPoint(framed[12], framed[13], framed[14]) * transformPath.exclusiveMatrixInverse();
    const char* translate[3] = {"translateX", "translateY", "translateZ"};
    const double values[3] = {local.x, local.y, local.z};
    setDouble3(transformPath.node(), translate, values);
    if (lens.orthographic) MPlug(shape, CameraNode::orthographicWidth).setValue(orthographicWidth);
}

Image renderThrough(const MDagPath& camera, int width, int height) {
    Viewport& view = Viewport::instance();
    if (view.setCamera(camera) != MS::kSuccess)
        throw commands::CommandError(nameOf(camera) + " is not a camera");
    try {
        return view.render(width, height);
    } catch (const commands::CommandError&) {
        throw;
    } catch (const std::exception& e) {
        throw commands::CommandError(std::string("playblast: ") + e.what());
    }
}

void registerPlayblastCommands() {
    using commands::ArgType;
    commands::CommandSpec blast;
    blast.name = "playblast";
    blast.flags = {
        {"cam", "camera", {ArgType::kString}},
        {"wh", "widthHeight", {ArgType::kInt, ArgType::kInt}},
        {"cf", "completeFilename", {ArgType::kString}},
        {"f", "filename", {ArgType::kString}},
        {"st", "startTime", {ArgType::kDouble}},
        {"et", "endTime", {ArgType::kDouble}},
        {"fp", "framePadding", {ArgType::kInt}},
        {"vf", "viewFit", {ArgType::kBool}},
        // Accepted for scripts written for the interactive host; pictures are
        // always PNG files rendered off-screen.
        {"fmt", "format", {ArgType::kString}},
        {"c", "compression", {ArgType::kString}},
        {"v", "viewer", {ArgType::kBool}},
        {"os", "offScreen", {}},
        {"fo", "forceOverwrite", {}},
        {"orn", "showOrnaments", {ArgType::kBool}},
        {"p", "percent", {ArgType::kInt}},
        {"qlt", "quality", {ArgType::kInt}},
    };
    blast.maxPositional = 0;
    blast.handler = [](const commands::ParsedArgs& args, commands::CommandResult& result) {
        const std::string format = args.flagString("format", 0, "image");
        const std::string compression = args.flagString("compression", 0, "png");
        if (format != "image" || compression != "png")
            throw commands::CommandError(
                "playblast: only -format image with -compression png is supported");
        playblast(args, result);
    };
    commands::registerCommand(std::move(blast));

    commands::CommandSpec fit;
    fit.name = "viewFit";
    fit.flags = {{"f", "fitFactor", {ArgType::kDouble}}, {"all", "allObjects", {}}};
    fit.maxPositional = 1;
    fit.handler = viewFit;
    commands::registerCommand(std::move(fit));
}

}  // namespace zt::host
