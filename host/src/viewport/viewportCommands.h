#pragma once
// The viewport's operations as the commands `playblast` and `viewFit` use
// them, for callers inside the host that have no script to run.

#include <maya/MDagPath.h>

#include <string>

#include "offscreenContext.h"

namespace zt::host {

// Moves the camera (keeping its orientation) so that it frames the union of
// the visible locators' world bounding boxes for a picture of the given
// aspect; an unbounded locator counts as its origin, an empty scene as the
// unit cube. For an orthographic camera the width is adjusted too.
// Throws std::runtime_error when the camera cannot be moved.
void fitCameraToLocators(const MDagPath& camera, double aspect, double fitFactor = 1.0);

// The camera a command names: a camera shape or a transform above one.
// Throws std::runtime_error naming the argument when it is neither.
MDagPath cameraByName(const std::string& name);

// File name of one frame of a playblast sequence: prefix.0012.png with the
// frame rounded to a whole number and zero-padded to `padding` digits.
std::string frameFileName(const std::string& prefix, double frame, int padding,
                          const std::string& extension = "png");

// Renders the view through `camera` and returns the picture.
Image renderThrough(const MDagPath& camera, int width, int height);

// Registers playblast, viewFit and lookThru.
void registerPlayblastCommands();

// Registers modelEditor, instancer and exportInstances (surfaceCommands.cpp).
void registerSurfaceCommands();

}  // namespace zt::host
