#pragma once
// The host's camera: a DAG shape under a transform that supplies its
// placement. Its attributes carry the lens; the view reads them when it
// renders.
//
//   createNode transform -n cam;
//   createNode camera -n camShape -p cam;
//   setAttr camShape.focalLength 50;

#include <maya/MObject.h>
#include <maya/MPxNode.h>
#include <maya/MStatus.h>
#include <maya/MTypeId.h>

#include <string>

class MDagPath;

namespace zt::host {

class CameraNode : public MPxNode {
public:
    static void* creator();
    static MStatus initialize();

    static const MTypeId id;
    static MObject focalLength;             // millimetres
    static MObject horizontalFilmAperture;  // inches
    static MObject verticalFilmAperture;    // inches
    static MObject nearClipPlane;
    static MObject farClipPlane;
    static MObject orthographic;
    static MObject orthographicWidth;
};

// Registers the "camera" node type.
MStatus registerCameraNodeType();

// Creates the default camera of a new scene: transform "persp" with shape
// "perspShape", looking at the origin from (28, 21, 28).
void createDefaultCamera();

}  // namespace zt::host
