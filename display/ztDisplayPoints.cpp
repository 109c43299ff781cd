#include "display/ztDisplayPoints.h"

#include <maya/MDoubleArray.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnStringData.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MGlobal.h>
#include <maya/MIntArray.h>
#include <maya/MMatrix.h>
#include <maya/MPoint.h>
#include <maya/MString.h>
#include <maya/MVector.h>

#include <algorithm>
#include <cmath>
#include <sstream>

#include "core/channels.h"
#include "core/pointSet.h"

MTypeId ztDisplayPoints::id(0xB4);
MObject ztDisplayPoints::inPoints;
MObject ztDisplayPoints::pointSize;
MObject ztDisplayPoints::pointColor;
MObject ztDisplayPoints::fallofColor;
MObject ztDisplayPoints::displayDir;
MObject ztDisplayPoints::arrowSize;
MObject ztDisplayPoints::colorFromRot;
MObject ztDisplayPoints::displayAttribute;
MObject ztDisplayPoints::attributeName;
MObject ztDisplayPoints::state;

namespace {

// The counter that `state` shows wraps here, so the value stays small.
constexpr unsigned int kStateModulus = 10000;

const MPoint kUnitCorner(1.0, 1.0, 1.0);

MBoundingBox unitCube() {
    return MBoundingBox(MPoint(-1.0, -1.0, -1.0), kUnitCorner);
}

struct Rgb {
    float r = 0.0f, g = 0.0f, b = 0.0f;
};

Rgb readColour(const MObject& node, const MObject& attribute) {
    MPlug plug(node, attribute);
    return {plug.child(0).asFloat(), plug.child(1).asFloat(), plug.child(2).asFloat()};
}

// A numeric attribute that the user sets and animates.
void makeKeyable(MFnNumericAttribute& fn) {
    CHECK_MSTATUS(fn.setKeyable(true));
    CHECK_MSTATUS(fn.setStorable(true));
    CHECK_MSTATUS(fn.setReadable(true));
    CHECK_MSTATUS(fn.setWritable(true));
}

// The values of the channel named by attributeName, when text is drawn.
struct TextChannel {
    MFnArrayAttrsData::Type type = MFnArrayAttrsData::kInvalid;
    MVectorArray vectors;
    MDoubleArray doubles;
    MIntArray ints;
};

void vertex(const MVector& v) {
    glVertex3f(float(v.x), float(v.y), float(v.z));
}

}  // namespace

ztDisplayPoints::ztDisplayPoints() : box_(unitCube()) {}

ztDisplayPoints::~ztDisplayPoints() = default;

void* ztDisplayPoints::creator() {
    return new ztDisplayPoints();
}

void ztDisplayPoints::postConstructor() {
    MFnDependencyNode fn(thisMObject());
    fn.setName("ztDisplayPointsShape#");
}

MStatus ztDisplayPoints::initialize() {
    MStatus status;
    MFnNumericAttribute numeric;
    MFnTypedAttribute typed;

    status = zt::createPointSetAttribute(inPoints, "inPoints", "ip", zt::PointSetRole::kInput);
    CHECK_MSTATUS(status);

    pointSize = numeric.create("pointSize", "ps", MFnNumericData::kInt, 2, &status);
    CHECK_MSTATUS(status);
    CHECK_MSTATUS(numeric.setMin(1));
    CHECK_MSTATUS(numeric.setMax(10));
    makeKeyable(numeric);

    pointColor = numeric.createColor("pointColor", "pc", &status);
    CHECK_MSTATUS(status);
    CHECK_MSTATUS(numeric.setDefault(0.0f, 0.0f, 0.0f));
    makeKeyable(numeric);

    fallofColor = numeric.createColor("fallofColor", "fc", &status);
    CHECK_MSTATUS(status);
    CHECK_MSTATUS(numeric.setDefault(0.0f, 0.0f, 0.0f));
    makeKeyable(numeric);

    displayDir = numeric.create("displayDir", "dd", MFnNumericData::kBoolean, 0, &status);
    CHECK_MSTATUS(status);
    makeKeyable(numeric);

    arrowSize = numeric.create("arrowSize", "as", MFnNumericData::kFloat, 1.0, &status);
    CHECK_MSTATUS(status);
    CHECK_MSTATUS(numeric.setMin(0.0));
    makeKeyable(numeric);

    colorFromRot = numeric.create("colorFromRot", "cfr", MFnNumericData::kBoolean, 0, &status);
    CHECK_MSTATUS(status);
    makeKeyable(numeric);

    displayAttribute =
        numeric.create("displayAttribute", "da", MFnNumericData::kBoolean, 0, &status);
    CHECK_MSTATUS(status);
    makeKeyable(numeric);

    MFnStringData emptyString;
    attributeName =
        typed.create("attributeName", "aa", MFnData::kString, emptyString.create(""), &status);
    CHECK_MSTATUS(status);
    CHECK_MSTATUS(typed.setKeyable(false));
    CHECK_MSTATUS(typed.setStorable(true));
    CHECK_MSTATUS(typed.setReadable(true));
    CHECK_MSTATUS(typed.setWritable(true));

    state = numeric.create("state", "st", MFnNumericData::kInt, 0, &status);
    CHECK_MSTATUS(status);
    CHECK_MSTATUS(numeric.setKeyable(false));
    CHECK_MSTATUS(numeric.setStorable(false));
    CHECK_MSTATUS(numeric.setReadable(true));
    CHECK_MSTATUS(numeric.setWritable(false));

    for (const MObject* attribute :
         {&inPoints, &pointSize, &pointColor, &fallofColor, &displayDir, &arrowSize, &colorFromRot,
          &displayAttribute, &attributeName, &state})
        CHECK_MSTATUS(addAttribute(*attribute));

    CHECK_MSTATUS(attributeAffects(inPoints, state));
    return MS::kSuccess;
}

MStatus ztDisplayPoints::compute(const MPlug& plug, MDataBlock& data) {
    if (plug != state) return MS::kUnknownParameter;
    MStatus status;

    MDataHandle stateHandle = data.outputValue(state, &status);
    CHECK_MSTATUS(status);
    counter_ = (counter_ + 1) % kStateModulus;
    stateHandle.setInt(int(counter_));

    box_ = unitCube();

    MDataHandle inHandle = data.inputValue(inPoints, &status);
    CHECK_MSTATUS(status);
    MFnArrayAttrsData points(inHandle.data(), &status);
    MFnArrayAttrsData::Type type;
    if (!status || !points.checkArrayExist(zt::channels::kPosition, type) ||
        type != MFnArrayAttrsData::kVectorArray) {
        positions_.clear();
        data.setClean(plug);
        return MS::kSuccess;
    }

    status = positions_.copy(points.getVectorData(zt::channels::kPosition));
    CHECK_MSTATUS(status);
    for (unsigned int i = 0; i < positions_.length(); ++i) box_.expand(MPoint(positions_[i]));
    data.setClean(plug);
    return MS::kSuccess;
}

void ztDisplayPoints::draw(M3dView& view, const MDagPath& path, M3dView::DisplayStyle style,
                           M3dView::DisplayStatus displayStatus) {
    const MObject node = thisMObject();
    // Reading state first brings the position cache up to date with inPoints.
    MPlug(node, state).asInt();

    view.beginGL();
    glPushAttrib(GL_CURRENT_BIT);

    glBegin(GL_LINES);
    glColor3f(1.0f, 0.0f, 0.0f);
    glVertex3f(-1.0f, 0.0f, 0.0f);
    glVertex3f(1.0f, 0.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, -1.0f);
    glVertex3f(0.0f, 0.0f, 1.0f);
    glVertex3f(0.0f, -1.0f, 0.0f);
    glVertex3f(0.0f, 1.0f, 0.0f);
    glEnd();

    const float size = MPlug(node, pointSize).asFloat();
    const MObject pointData = MPlug(node, inPoints).asMObject();
    const Rgb colour = readColour(node, pointColor);
    MStatus status;
    MFnArrayAttrsData points(pointData, &status);
    MFnArrayAttrsData::Type type;
    if (!status || !points.checkArrayExist(zt::channels::kPosition, type)) {
        glPopAttrib();
        view.endGL();
        return;
    }

    const unsigned int n = positions_.length();

    MVectorArray aim;
    const bool arrows = MPlug(node, displayDir).asBool() &&
                        points.checkArrayExist(zt::channels::kAimDirection, type);
    if (arrows) aim = points.getVectorData(zt::channels::kAimDirection);
    float arrowLength = MPlug(node, arrowSize).asFloat();
    if (arrowLength < 0.0f) arrowLength = 0.0f;

    MVectorArray rotation;
    bool rotationColours = false;
    if (points.checkArrayExist(zt::channels::kRotationRgb, type)) {
        rotation = points.getVectorData(zt::channels::kRotationRgb);
        rotationColours = rotation.length() == n && MPlug(node, colorFromRot).asBool();
    }

    MVectorArray up;
    const bool upVectors = points.checkArrayExist(zt::channels::kAimWorldUp, type);
    if (upVectors) up = points.getVectorData(zt::channels::kAimWorldUp);

    const Rgb fallColour = readColour(node, fallofColor);

    TextChannel text;
    const MString textName = MPlug(node, attributeName).asString();
    bool drawValues = textName.length() > 0 && MPlug(node, displayAttribute).asBool() &&
                      points.checkArrayExist(textName, text.type);
    if (drawValues) {
        unsigned int length = 0;
        switch (text.type) {
            case MFnArrayAttrsData::kVectorArray:
                text.vectors = points.getVectorData(textName);
                length = text.vectors.length();
                break;
            case MFnArrayAttrsData::kDoubleArray:
                text.doubles = points.getDoubleData(textName);
                length = text.doubles.length();
                break;
            case MFnArrayAttrsData::kIntArray:
                text.ints = points.getIntData(textName);
                length = text.ints.length();
                break;
            default:
                drawValues = false;
                break;
        }
        if (drawValues && length != n) {
            drawValues = false;
            MGlobal::displayWarning("ztDisplayPoints: Invalid attribute array length: " + textName);
        }
    }

    MDoubleArray fallof;
    const bool useFallof = points.checkArrayExist(zt::channels::kFallof, type);
    if (useFallof) fallof = points.getDoubleData(zt::channels::kFallof);

    // Positions are drawn as stored, in world space, whatever the locator's
    // own transform: load the camera's view alone.
    MDagPath camera;
    view.getCamera(camera);
    const MMatrix worldToCamera = camera.inclusiveMatrix().inverse();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadMatrixd(&worldToCamera.matrix[0][0]);

    glPointSize(size);
    glBegin(GL_POINTS);
    if (!useFallof) {
        glColor3f(colour.r, colour.g, colour.b);
        for (unsigned int i = 0; i < n; ++i) vertex(positions_[i]);
    } else {
        for (unsigned int i = 0; i < n; ++i) {
            // A fall-off channel shorter than the positions leaves the rest
            // of the points at full weight rather than reading past its end.
            const double f = i < fallof.length() ? fallof[i] : 1.0;
            glColor3f(float((1.0 - f) * fallColour.r + f * colour.r),
                      float((1.0 - f) * fallColour.g + f * colour.g),
                      float((1.0 - f) * fallColour.b + f * colour.b));
            vertex(positions_[i]);
        }
    }
    glEnd();

    glColor3f(0.0f, 0.0f, 0.25f);
    if (drawValues) {
        for (unsigned int i = 0; i < n; ++i) {
            std::ostringstream value;
            value.setf(std::ios::fixed, std::ios::floatfield);
            value.precision(3);
            M3dView::TextPosition align = M3dView::kLeft;
            if (text.type == MFnArrayAttrsData::kVectorArray) {
                value << text.vectors[i];
                align = M3dView::kCenter;
            } else if (text.type == MFnArrayAttrsData::kDoubleArray) {
                value << text.doubles[i];
            } else {
                value << text.ints[i];
            }
            view.drawText(MString(value.str().c_str()), MPoint(positions_[i]), align);
        }
    }

    if (arrows) {
        glBegin(GL_LINES);
        if (!rotationColours) glColor3f(colour.r, colour.g, colour.b);
        // Points without a direction (or up vector) of their own get no arrow
        // (or barb): the channels may be shorter than the positions.
        const unsigned int arrowCount = std::min(n, aim.length());
        for (unsigned int i = 0; i < arrowCount; ++i) {
            if (rotationColours) {
                const MVector& r = rotation[i];
                glColor3f(float(std::fabs(r.x)), float(std::fabs(std::sin(M_PI * r.y))),
                          float(std::fabs(std::sin(M_PI * r.z))));
            }
            const MVector p = positions_[i];
            const MVector tip = p + aim[i] * arrowLength;
            vertex(p);
            vertex(tip);
            if (upVectors && i < up.length()) {
                const MVector barb = tip + 0.5 * ((p + 0.5 * up[i]) - tip);
                vertex(tip);
                vertex(barb);
            }
        }
        glEnd();
    }

    glPopMatrix();
    glPopAttrib();
    view.endGL();
}

bool ztDisplayPoints::isBounded() const {
    return true;
}

MBoundingBox ztDisplayPoints::boundingBox() const {
    return box_;
}
