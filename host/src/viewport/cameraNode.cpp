#include "viewport/cameraNode.h"

#include <maya/MDagPath.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MPlug.h>

#include <cmath>

#include "graph/registry.h"
#include "graph/scene.h"

namespace zt::host {

// The id the camera type has in the host application, 'DCAM'.
const MTypeId CameraNode::id(0x4443414D);
MObject CameraNode::focalLength;
MObject CameraNode::horizontalFilmAperture;
MObject CameraNode::verticalFilmAperture;
MObject CameraNode::nearClipPlane;
MObject CameraNode::farClipPlane;
MObject CameraNode::orthographic;
MObject CameraNode::orthographicWidth;

namespace {

// Where the default camera starts: looking at the origin from above and to
// the side, as in a new scene of the host application.
constexpr double kPerspTranslate[3] = {28.0, 21.0, 28.0};
constexpr double kPerspRotateDegrees[3] = {-27.938, 45.0, 0.0};

MStatus addDouble(MObject& attribute, const char* longName, const char* shortName, double value,
                  double minimum) {
    MFnNumericAttribute fn;
    MStatus status;
    attribute = fn.create(longName, shortName, MFnNumericData::kDouble, value, &status);
    if (!status) return status;
    fn.setMin(minimum);
    fn.setKeyable(true);
    return MPxNode::addAttribute(attribute);
}

}  // namespace

void* CameraNode::creator() {
    return new CameraNode();
}

MStatus CameraNode::initialize() {
    // Limits keep the lens usable; the clip planes are checked together
    // when the camera renders.
    MStatus status = addDouble(focalLength, "focalLength", "fl", 35.0, 2.5);
    if (status)
        status = addDouble(horizontalFilmAperture, "horizontalFilmAperture", "hfa", 1.41732, 0.001);
    if (status)
        status = addDouble(verticalFilmAperture, "verticalFilmAperture", "vfa", 0.94488, 0.001);
    if (status) status = addDouble(nearClipPlane, "nearClipPlane", "ncp", 0.1, 0.0);
    if (status) status = addDouble(farClipPlane, "farClipPlane", "fcp", 10000.0, 0.0);
    if (status) status = addDouble(orthographicWidth, "orthographicWidth", "ow", 30.0, 0.001);
    if (!status) return status;
    MFnNumericAttribute fn;
    orthographic = fn.create("orthographic", "o", MFnNumericData::kBoolean, 0, &status);
    if (!status) return status;
    fn.setKeyable(true);
    return MPxNode::addAttribute(orthographic);
}

MStatus registerCameraNodeType() {
    return registerBuiltinNodeType("camera", CameraNode::id, CameraNode::creator,
                                   CameraNode::initialize, MPxNode::kSurfaceShape, MFn::kCamera);
}

void createDefaultCamera() {
    MStatus status;
    MObject transform = createNode("transform", "persp", MObject::kNullObj, &status);
    if (!status) return;
    createNode("camera", "perspShape", transform, &status);
    if (!status) return;
    MFnDependencyNode fn(transform);
    const char* translate[3] = {"translateX", "translateY", "translateZ"};
    const char* rotate[3] = {"rotateX", "rotateY", "rotateZ"};
    for (int i = 0; i < 3; ++i) {
        fn.findPlug(translate[i]).setValue(kPerspTranslate[i]);
        fn.findPlug(rotate[i]).setValue(kPerspRotateDegrees[i]);
    }
}

}  // namespace zt::host
