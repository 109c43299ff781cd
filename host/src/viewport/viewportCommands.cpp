// playblast: renders the scene through the view's camera to image files.
//
//   lookThru top;                                   // the camera playblast uses
//   playblast -format image -compression png -frame 1 -percent 100
//             -widthHeight 640 480 -viewer 0 -offScreen -completeFilename "shot.png";
//   playblast -fmt image -c jpg -st 1 -et 24 -p 100 -f "shots/preview";   // preview.0001.jpg ...
//
// viewFit: frames the visible locators and surfaces with a camera.
// lookThru: sets or asks for the camera the view looks through.
//
//   viewFit;                 // the view's camera
//   viewFit -fitFactor 0.8 persp;
//   string $cam = `lookThru -q`;

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

#include <algorithm>
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

// What one playblast writes: the picture format and the frames.
struct BlastRequest {
    std::string extension = "png";
    int quality = 90;               // JPEG only
    std::vector<double> frames;     // in the current time unit
    int width = kDefaultViewWidth;  // after -percent
    int height = kDefaultViewHeight;
};

BlastRequest readRequest(const commands::ParsedArgs& args) {
    BlastRequest request;
    const std::string format = args.flagString("format", 0, "image");
    if (format != "image")
        throw commands::CommandError("playblast: unsupported -format \"" + format +
                                     "\"; this host writes pictures (-format image)");
    const std::string compression = args.flagString("compression", 0, "png");
    if (compression == "png") {
        request.extension = "png";
    } else if (compression == "jpg" || compression == "jpeg") {
        request.extension = "jpg";
    } else {
        throw commands::CommandError("playblast: unsupported -compression \"" + compression +
                                     "\" (png or jpg)");
    }
    if (args.isFlagSet("quality")) {
        request.quality = args.flagInt("quality");
        if (request.quality < 0 || request.quality > 100)
            throw commands::CommandError("playblast: -quality must be from 0 to 100");
        request.quality = std::max(request.quality, 1);
    }

    int width = args.flagInt("widthHeight", 0, kDefaultViewWidth);
    int height = args.flagInt("widthHeight", 1, kDefaultViewHeight);
    if (args.isFlagSet("width")) width = args.flagInt("width");
    if (args.isFlagSet("height")) height = args.flagInt("height");
    checkSize(width, height);
    // -percent scales the picture, 1 to 100 (the host clamps), 50 by default.
    const int percent = std::clamp(args.flagInt("percent", 0, 50), 1, 100);
    request.width = std::max(1, int(std::lround(width * percent / 100.0)));
    request.height = std::max(1, int(std::lround(height * percent / 100.0)));

    // Frames: those named with -frame, else -startTime..-endTime, whose
    // ends default to the playback range.
    const PlaybackRange& range = playbackRange();
    if (args.isFlagSet("frame")) {
        if (args.isFlagSet("startTime") || args.isFlagSet("endTime"))
            throw commands::CommandError(
                "playblast: give the frames with -frame or with -startTime/-endTime, not both");
        for (std::size_t u = 0; u < args.flagUseCount("frame"); ++u)
            request.frames.push_back(args.flagValues("frame", u).at(0).asDouble());
    } else {
        const double start = args.flagDouble("startTime", 0, range.minTime.as(MTime::uiUnit()));
        const double end = args.flagDouble("endTime", 0, range.maxTime.as(MTime::uiUnit()));
        if (end < start)
            throw commands::CommandError("playblast: -endTime must not come before -startTime");
        if (end - start > 1e6)
            throw commands::CommandError("playblast: the frame range is too long");
        for (double frame = start; frame <= end + 1e-9; frame += 1.0)
            request.frames.push_back(frame);
    }
    return request;
}

void writeOrThrow(const std::string& path, const Image& image, const BlastRequest& request) {
    std::string error;
    const bool written = request.extension == "jpg" ? writeJpeg(path, image, request.quality, error)
                                                    : writePng(path, image, error);
    if (!written) throw commands::CommandError("playblast: " + error);
}

void playblast(const commands::ParsedArgs& args, commands::CommandResult& result) {
    // The view's camera: the one set with lookThru, else persp. -camera is
    // this host's shorthand for a lookThru first.
    MDagPath camera;
    if (args.isFlagSet("camera")) {
        camera = cameraByName(args.flagString("camera"));
    } else if (Viewport::instance().getCamera(camera) != MS::kSuccess) {
        throw commands::CommandError("playblast: the scene has no camera to look through");
    }
    const BlastRequest request = readRequest(args);

    std::string prefix = args.flagString("filename");
    if (args.positionalCount() == 1) {
        if (args.isFlagSet("filename"))
            throw commands::CommandError("playblast: give the file name once");
        prefix = args.positionalString(0);
    }
    const bool single = args.isFlagSet("completeFilename");
    if (single == !prefix.empty())
        throw commands::CommandError(
            "playblast: give either -completeFilename (one file) or -filename (a file per "
            "frame, numbered)");
    const int padding = args.flagInt("framePadding", 0, kDefaultPadding);
    if (padding < 0 || padding > 9)
        throw commands::CommandError("playblast: -framePadding must be from 0 to 9");
    // One file holds one picture.
    const bool explicitFrames =
        args.isFlagSet("frame") || args.isFlagSet("startTime") || args.isFlagSet("endTime");
    std::vector<double> frames = request.frames;
    if (single) {
        if (!explicitFrames)
            frames = {currentFrame()};
        else if (frames.size() != 1)
            throw commands::CommandError(
                "playblast: -completeFilename names one file; ask for one frame or use "
                "-filename for several");
    }

    const double now = currentFrame();
    try {
        for (std::size_t i = 0; i < frames.size(); ++i) {
            MGlobal::viewFrame(frames[i]);
            const double number = args.isFlagSet("indexFromZero") ? double(i) : frames[i];
            const std::string path =
                single ? args.flagString("completeFilename")
                       : frameFileName(prefix, number, padding, request.extension);
            writeOrThrow(path, renderThrough(camera, request.width, request.height), request);
        }
    } catch (...) {
        MGlobal::viewFrame(now);
        throw;
    }
    // Like an interactive playblast, the scene returns to the frame it was on.
    MGlobal::viewFrame(now);
    // The file written, or for a sequence its name with the frame number
    // shown as '#'s: "shots/preview.####.png".
    result = commands::Value(single ? args.flagString("completeFilename")
                                    : prefix + "." +
                                          std::string(std::size_t(std::max(padding, 1)), '#') +
                                          "." + request.extension);
}

void lookThru(const commands::ParsedArgs& args, commands::CommandResult& result) {
    Viewport& view = Viewport::instance();
    if (args.isQuery()) {
        MDagPath camera;
        if (view.getCamera(camera) != MS::kSuccess)
            throw commands::CommandError("lookThru: the scene has no camera");
        // The camera is named by its transform, as lookThru takes it.
        const MObject transform = camera.transform();
        result = commands::Value(transform.isNull()
                                     ? nameOf(camera)
                                     : std::string(MFnDependencyNode(transform).name().asChar()));
        return;
    }
    if (args.positionalCount() == 0) throw commands::CommandError("lookThru: name a camera");
    // A second argument names the panel; this host has one view.
    MDagPath camera = cameraByName(args.positionalString(0));
    if (view.setCamera(camera) != MS::kSuccess)
        throw commands::CommandError("lookThru: '" + args.positionalString(0) +
                                     "' is not a camera");
    result = commands::Value();
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

std::string frameFileName(const std::string& prefix, double frame, int padding,
                          const std::string& extension) {
    char digits[32];
    std::snprintf(digits, sizeof(digits), "%0*lld", padding,
                  static_cast<long long>(std::lround(frame)));
    return prefix + "." + digits + "." + extension;
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
        {"fmt", "format", {ArgType::kString}},
        {"c", "compression", {ArgType::kString}},
        {"qlt", "quality", {ArgType::kInt}},
        {"f", "filename", {ArgType::kString}},
        {"cf", "completeFilename", {ArgType::kString}},
        {"fp", "framePadding", {ArgType::kInt}},
        {"ifz", "indexFromZero", {}},
        {"wh", "widthHeight", {ArgType::kInt, ArgType::kInt}},
        {"w", "width", {ArgType::kInt}},
        {"h", "height", {ArgType::kInt}},
        {"p", "percent", {ArgType::kInt}},
        {"fr", "frame", {ArgType::kDouble}, true},
        {"st", "startTime", {ArgType::kDouble}},
        {"et", "endTime", {ArgType::kDouble}},
        // Pictures are always rendered off screen, without a viewer or
        // ornaments (there is no window); these are accepted as the host
        // takes them.
        {"v", "viewer", {ArgType::kBool}},
        {"os", "offScreen", {}},
        {"orn", "showOrnaments", {ArgType::kBool}},
        {"fo", "forceOverwrite", {}},
        {"cc", "clearCache", {ArgType::kBool}},
        // This host's shorthand for lookThru before the playblast.
        {"cam", "camera", {ArgType::kString}},
    };
    blast.maxPositional = 1;
    blast.handler = playblast;
    commands::registerCommand(std::move(blast));

    commands::CommandSpec fit;
    fit.name = "viewFit";
    fit.flags = {{"f", "fitFactor", {ArgType::kDouble}}, {"all", "allObjects", {}}};
    fit.maxPositional = 1;
    fit.handler = viewFit;
    commands::registerCommand(std::move(fit));

    commands::CommandSpec look;
    look.name = "lookThru";
    look.queryable = true;
    look.maxPositional = 2;
    look.handler = lookThru;
    commands::registerCommand(std::move(look));
}

}  // namespace zt::host
