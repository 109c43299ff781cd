#include <maya/M3dView.h>
#include <maya/MDagPath.h>

#include "viewport/viewport.h"

M3dView::M3dView() = default;

M3dView::~M3dView() = default;

M3dView M3dView::active3dView(MStatus* ReturnStatus) {
    if (ReturnStatus) *ReturnStatus = MS::kSuccess;
    return M3dView(&zt::host::Viewport::instance());
}

MStatus M3dView::beginGL() {
    return view_ ? view_->beginGL() : MS::kFailure;
}

MStatus M3dView::endGL() {
    return view_ ? view_->endGL() : MS::kFailure;
}

MStatus M3dView::drawText(const MString& text, const MPoint position, TextPosition textPosition) {
    if (!view_) return MS::kFailure;
    zt::host::TextAlign align = zt::host::TextAlign::kLeft;
    if (textPosition == kCenter) align = zt::host::TextAlign::kCenter;
    if (textPosition == kRight) align = zt::host::TextAlign::kRight;
    return view_->drawText(text.asChar(), position, align);
}

MStatus M3dView::getCamera(MDagPath& camera) {
    return view_ ? view_->getCamera(camera) : MS::kFailure;
}

MStatus M3dView::setCamera(MDagPath& camera) {
    return view_ ? view_->setCamera(camera) : MS::kFailure;
}

int M3dView::portWidth(MStatus* ReturnStatus) {
    if (ReturnStatus) *ReturnStatus = view_ ? MS::kSuccess : MS::kFailure;
    return view_ ? view_->width() : 0;
}

int M3dView::portHeight(MStatus* ReturnStatus) {
    if (ReturnStatus) *ReturnStatus = view_ ? MS::kSuccess : MS::kFailure;
    return view_ ? view_->height() : 0;
}
