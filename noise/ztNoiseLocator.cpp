#include "noise/ztNoiseLocator.h"

#include <maya/MFnDependencyNode.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MFnVectorArrayData.h>
#include <maya/MIOStream.h>
#include <maya/MPoint.h>

const MTypeId ztNoiseLocator::id(0xC9);
MObject ztNoiseLocator::curvePoints[3];
MObject ztNoiseLocator::crvLenIn[3];
MObject ztNoiseLocator::crvLenOut[3];
MObject ztNoiseLocator::crvPtsCountIn[3];
MObject ztNoiseLocator::crvPtsCountOut[3];

namespace {

struct AxisNames {
    const char* curvePoints[2];
    const char* crvLenIn[2];
    const char* crvLenOut[2];
    const char* crvPtsCountIn[2];
    const char* crvPtsCountOut[2];
};

const AxisNames kAxes[3] = {
    {{"oxCurvePoints", "oxP"},
     {"oxCrvLenIn", "xli"},
     {"oxCrvLenOut", "xlo"},
     {"oxCrvPtsCountIn", "xci"},
     {"oxCrvPtsCountOut", "xco"}},
    {{"oyCurvePoints", "oyP"},
     {"oyCrvLenIn", "yli"},
     {"oyCrvLenOut", "ylo"},
     {"oyCrvPtsCountIn", "yci"},
     {"oyCrvPtsCountOut", "yco"}},
    {{"ozCurvePoints", "ozP"},
     {"ozCrvLenIn", "zli"},
     {"ozCrvLenOut", "zlo"},
     {"ozCrvPtsCountIn", "zci"},
     {"ozCrvPtsCountOut", "zco"}},
};

constexpr float kDefaultLength = 1.0f;
constexpr int kDefaultCount = 30;
constexpr int kMinCount = 5;
constexpr int kMaxCount = 500;

MObject createInput(const char* const (&names)[2], MFnNumericData::Type type, double value) {
    MStatus status;
    MFnNumericAttribute numeric;
    MObject attribute = numeric.create(names[0], names[1], type, value, &status);
    CHECK_MSTATUS(status);
    CHECK_MSTATUS(numeric.setKeyable(true));
    CHECK_MSTATUS(numeric.setStorable(true));
    CHECK_MSTATUS(numeric.setReadable(true));
    CHECK_MSTATUS(numeric.setWritable(true));
    return attribute;
}

MObject createOutput(const char* const (&names)[2], MFnNumericData::Type type) {
    MStatus status;
    MFnNumericAttribute numeric;
    MObject attribute = numeric.create(names[0], names[1], type, 0.0, &status);
    CHECK_MSTATUS(status);
    CHECK_MSTATUS(numeric.setKeyable(false));
    CHECK_MSTATUS(numeric.setStorable(false));
    CHECK_MSTATUS(numeric.setReadable(true));
    CHECK_MSTATUS(numeric.setWritable(false));
    return attribute;
}

void drawAxisCross() {
    glColor3f(1.0f, 0.0f, 0.0f);
    glBegin(GL_LINES);
    glVertex3f(-1.0f, 0.0f, 0.0f);
    glVertex3f(1.0f, 0.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, -1.0f);
    glVertex3f(0.0f, 0.0f, 1.0f);
    glVertex3f(0.0f, -1.0f, 0.0f);
    glVertex3f(0.0f, 1.0f, 0.0f);
    glEnd();
}

}  // namespace

ztNoiseLocator::~ztNoiseLocator() = default;

void* ztNoiseLocator::creator() {
    return new ztNoiseLocator();
}

void ztNoiseLocator::postConstructor() {
    MFnDependencyNode fn(thisMObject());
    fn.setName("ztNoiseLocatorShape#");
}

MStatus ztNoiseLocator::initialize() {
    for (int axis = 0; axis < 3; ++axis) {
        MStatus status;
        MFnVectorArrayData empty;
        MObject emptyArray = empty.create(&status);
        CHECK_MSTATUS(status);
        MFnTypedAttribute typed;
        curvePoints[axis] = typed.create(kAxes[axis].curvePoints[0], kAxes[axis].curvePoints[1],
                                         MFnData::kVectorArray, emptyArray, &status);
        CHECK_MSTATUS(status);
        CHECK_MSTATUS(typed.setKeyable(true));
        CHECK_MSTATUS(typed.setStorable(true));
        CHECK_MSTATUS(typed.setReadable(true));
        CHECK_MSTATUS(typed.setWritable(true));

        crvLenIn[axis] = createInput(kAxes[axis].crvLenIn, MFnNumericData::kFloat, kDefaultLength);
        crvLenOut[axis] = createOutput(kAxes[axis].crvLenOut, MFnNumericData::kFloat);
        crvPtsCountIn[axis] =
            createInput(kAxes[axis].crvPtsCountIn, MFnNumericData::kInt, kDefaultCount);
        MFnNumericAttribute count(crvPtsCountIn[axis]);
        CHECK_MSTATUS(count.setMin(kMinCount));
        CHECK_MSTATUS(count.setMax(kMaxCount));
        crvPtsCountOut[axis] = createOutput(kAxes[axis].crvPtsCountOut, MFnNumericData::kInt);

        for (MObject* attribute : {curvePoints, crvLenIn, crvLenOut, crvPtsCountIn, crvPtsCountOut})
            CHECK_MSTATUS(addAttribute(attribute[axis]));
    }
    for (int axis = 0; axis < 3; ++axis) {
        CHECK_MSTATUS(attributeAffects(crvLenIn[axis], crvLenOut[axis]));
        CHECK_MSTATUS(attributeAffects(crvPtsCountIn[axis], crvPtsCountOut[axis]));
    }
    return MS::kSuccess;
}

MStatus ztNoiseLocator::compute(const MPlug& plug, MDataBlock& block) {
    const MObject attribute = plug.attribute();
    for (int axis = 0; axis < 3; ++axis) {
        MStatus status;
        if (attribute == crvLenOut[axis]) {
            const float value = block.inputValue(crvLenIn[axis], &status).asFloat();
            if (!status) return status;
            MDataHandle out = block.outputValue(crvLenOut[axis], &status);
            if (!status) return status;
            out.set(value);
        } else if (attribute == crvPtsCountOut[axis]) {
            // Not clamped here: the deformer clamps the count it uses.
            const int value = block.inputValue(crvPtsCountIn[axis], &status).asInt();
            if (!status) return status;
            MDataHandle out = block.outputValue(crvPtsCountOut[axis], &status);
            if (!status) return status;
            out.set(value);
        } else {
            continue;
        }
        block.setClean(plug);
        return MS::kSuccess;
    }
    return MS::kUnknownParameter;
}

MVectorArray ztNoiseLocator::readCurvePoints(int index) const {
    if (index < 0 || index > 2) return MVectorArray();
    MStatus status;
    MFnDependencyNode fn(thisMObject());
    MPlug plug = fn.findPlug(kAxes[index].curvePoints[0], &status);
    if (!status) {
        status.perror("plug");
        return MVectorArray();
    }
    MObject data;
    status = plug.getValue(data);
    if (!status) {
        status.perror("getValue");
        return MVectorArray();
    }
    MFnVectorArrayData array(data, &status);
    if (!status) {
        status.perror("MFnVectorArrayData");
        return MVectorArray();
    }
    return array.array();
}

void ztNoiseLocator::draw(M3dView& view, const MDagPath&, M3dView::DisplayStyle,
                          M3dView::DisplayStatus) {
    view.beginGL();
    glPushAttrib(GL_CURRENT_BIT);
    drawAxisCross();

    // One strip through the three curves, so the end of one joins the start
    // of the next.
    glColor3f(0.0f, 0.0f, 1.0f);
    glBegin(GL_LINE_STRIP);
    for (int axis = 0; axis < 3; ++axis) {
        const MVectorArray points = readCurvePoints(axis);
        for (unsigned int i = 0; i < points.length(); ++i) {
            glVertex3f(static_cast<float>(points[i].x), static_cast<float>(points[i].y),
                       static_cast<float>(points[i].z));
        }
    }
    glEnd();

    glPopAttrib();
    view.endGL();
}

bool ztNoiseLocator::isBounded() const {
    return true;
}

MBoundingBox ztNoiseLocator::boundingBox() const {
    return MBoundingBox(MPoint(-1.0, 0.0, -1.0) * 5.0, MPoint(1.0, 0.0, 1.0) * 5.0);
}
