#pragma once
// A 3D view of the scene. This host has one view, rendered off-screen with a
// software OpenGL context; the playblast command draws it and writes pictures.
// An M3dView is a handle: copies refer to the same view.

#include <maya/MGL.h>
#include <maya/MPoint.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MTypes.h>

class MDagPath;

namespace zt::host {
class Viewport;
}

class OPENMAYAUI_EXPORT M3dView {
public:
    enum DisplayStyle { kBoundingBox, kFlatShaded, kGouraudShaded, kWireFrame, kPoints };
    enum DisplayStatus {
        kActive,
        kLive,
        kDormant,
        kInvisible,
        kHilite,
        kTemplate,
        kActiveTemplate,
        kActiveComponent,
        kLead,
        kIntermediateObject,
        kActiveAffected,
        kNoStatus
    };
    enum TextPosition { kLeft, kCenter, kRight };

    // A handle to no view: every call on it fails.
    M3dView();
    virtual ~M3dView();

    // The host's view.
    static M3dView active3dView(MStatus* ReturnStatus = NULL);

    // Makes the view's GL context current and saves the GL state (attributes,
    // client attributes, the three matrix stacks' tops and the matrix mode);
    // endGL restores it. Calls nest.
    MStatus beginGL();
    MStatus endGL();

    // Draws text at a point of the current GL space (current modelview and
    // projection), with the current GL colour, the text's baseline through
    // the point and aligned on it by textPosition. Only between beginGL and
    // endGL; a point behind the camera draws nothing.
    MStatus drawText(const MString& text, const MPoint position, TextPosition textPosition = kLeft);

    // The view's camera (a camera shape); fails when the view has none.
    MStatus getCamera(MDagPath& camera);
    // Looks through another camera: the path must lead to a camera shape or to
    // a transform directly above one.
    MStatus setCamera(MDagPath& camera);

    // Size of the view's picture in pixels.
    int portWidth(MStatus* ReturnStatus = NULL);
    int portHeight(MStatus* ReturnStatus = NULL);

private:
    explicit M3dView(zt::host::Viewport* view) : view_(view) {}
    zt::host::Viewport* view_ = nullptr;
};
