#include "display/ztDisplayContainer.h"

#include <maya/MFnDependencyNode.h>
#include <maya/MFnEnumAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MPoint.h>

#include <cmath>

MTypeId ztDisplayContainer::id(0xB9);
MObject ztDisplayContainer::type;
MObject ztDisplayContainer::fallof;

namespace {

constexpr short kSphere = 0;
constexpr short kBox = 1;
constexpr int kCircleVertices = 36;

void drawMark() {
    glBegin(GL_LINES);
    glColor3f(1.0f, 0.0f, 0.0f);
    glVertex3f(-0.25f, 0.0f, 0.0f);
    glVertex3f(0.25f, 0.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, -0.25f);
    glVertex3f(0.0f, 0.0f, 0.25f);
    glVertex3f(0.0f, -0.25f, 0.0f);
    glVertex3f(0.0f, 0.25f, 0.0f);
    glEnd();
}

// Three great circles of the sphere of the given radius, in the xy, yz and
// xz planes.
void drawSphere(float radius) {
    for (int plane = 0; plane < 3; ++plane) {
        glBegin(GL_LINE_LOOP);
        for (int i = 0; i < kCircleVertices; ++i) {
            const float a = float(i) * 6.2831855f / float(kCircleVertices);
            const float c = std::cos(a) * radius;
            const float s = std::sin(a) * radius;
            if (plane == 0) glVertex3f(c, s, 0.0f);
            if (plane == 1) glVertex3f(0.0f, c, s);
            if (plane == 2) glVertex3f(c, 0.0f, s);
        }
        glEnd();
    }
}

// The cube with corners at -h and h: top face, bottom face, vertical edges.
void drawBox(float h) {
    glBegin(GL_LINE_LOOP);
    glVertex3f(-h, h, -h);
    glVertex3f(h, h, -h);
    glVertex3f(h, h, h);
    glVertex3f(-h, h, h);
    glEnd();
    glBegin(GL_LINE_LOOP);
    glVertex3f(-h, -h, -h);
    glVertex3f(h, -h, -h);
    glVertex3f(h, -h, h);
    glVertex3f(-h, -h, h);
    glEnd();
    glBegin(GL_LINES);
    glVertex3f(-h, -h, -h);
    glVertex3f(-h, h, -h);
    glVertex3f(h, -h, -h);
    glVertex3f(h, h, -h);
    glVertex3f(h, -h, h);
    glVertex3f(h, h, h);
    glVertex3f(-h, -h, h);
    glVertex3f(-h, h, h);
    glEnd();
}

}  // namespace

void* ztDisplayContainer::creator() {
    return new ztDisplayContainer();
}

void ztDisplayContainer::postConstructor() {
    MFnDependencyNode fn(thisMObject());
    fn.setName("ztDisplayContainerShape#");
}

MStatus ztDisplayContainer::initialize() {
    MStatus status;
    MFnEnumAttribute enumAttr;
    type = enumAttr.create("type", "t", kSphere, &status);
    if (!status) cerr << "ERROR in enumAttr.create(type)\n";
    status = enumAttr.addField("sphere", kSphere);
    if (!status) cerr << "ERROR in enumAttr.addField(sphere)\n";
    status = enumAttr.addField("box", kBox);
    if (!status) cerr << "ERROR in enumAttr.addField(box)\n";
    CHECK_MSTATUS(enumAttr.setHidden(false));

    MFnNumericAttribute numeric;
    fallof = numeric.create("fallof", "f", MFnNumericData::kFloat, 0.0, &status);
    CHECK_MSTATUS(status);
    CHECK_MSTATUS(numeric.setMin(0.0));
    CHECK_MSTATUS(numeric.setMax(1.0));
    CHECK_MSTATUS(numeric.setKeyable(true));
    CHECK_MSTATUS(numeric.setStorable(true));
    CHECK_MSTATUS(numeric.setReadable(true));
    CHECK_MSTATUS(numeric.setWritable(true));

    CHECK_MSTATUS(addAttribute(type));
    CHECK_MSTATUS(addAttribute(fallof));
    return MS::kSuccess;
}

MStatus ztDisplayContainer::compute(const MPlug&, MDataBlock&) {
    return MS::kUnknownParameter;
}

void ztDisplayContainer::draw(M3dView& view, const MDagPath& path, M3dView::DisplayStyle style,
                              M3dView::DisplayStatus displayStatus) {
    view.beginGL();
    glPushAttrib(GL_CURRENT_BIT);
    drawMark();

    const MObject node = thisMObject();
    const short shape = MPlug(node, type).asShort();
    const float s = 1.0f - MPlug(node, fallof).asFloat();
    // The inner shape shows only while the fall-off band has a width and
    // leaves a core: s = 1 and s = 0 would repeat the outer shape or a point.
    const bool inner = s > 0.0f && s < 1.0f;

    if (shape == kSphere) {
        glColor3f(0.2f, 0.0f, 0.0f);
        drawSphere(1.0f);
        if (inner) {
            glColor3f(1.0f, 0.0f, 0.0f);
            drawSphere(s);
        }
    } else if (shape == kBox) {
        glColor3f(0.2f, 0.0f, 0.0f);
        drawBox(1.0f);
        if (inner) {
            glColor3f(1.0f, 0.0f, 0.0f);
            drawBox(s);
        }
    }

    glPopAttrib();
    view.endGL();
}

bool ztDisplayContainer::isBounded() const {
    return true;
}

MBoundingBox ztDisplayContainer::boundingBox() const {
    return MBoundingBox(MPoint(-5.0, 0.0, -5.0), MPoint(5.0, 0.0, 5.0));
}
