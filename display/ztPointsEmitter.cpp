// ztPointsEmitter: particles from the points of a point set.
//
// Usage (ztbatch or Maya's script editor):
//
//     polyPlane -w 4 -h 4 -n ground;
//     createNode ztScatterPoints -n scatter;
//     connectAttr groundShape.outMesh scatter.inMesh;
//     connectAttr groundShape.boundingBox scatter.boundingBox;
//     createNode ztPointsRotation -n rot;                 // gives aimDirection
//     connectAttr scatter.outPoints rot.inPoints;
//     connectAttr groundShape.outMesh rot.inMesh;
//     createNode ztPointsEmitter -n spray;
//     connectAttr rot.outPoints spray.inPoints;
//     setAttr spray.rate 24;  setAttr spray.spread 0.2;
//     particle -n drops;
//     connectDynamic -em spray dropsShape;
//     for ($f = 1; $f <= 24; $f++) currentTime $f;
//
// The compute reads the point set and its channels, the emitter's times and
// settings, works out each point's rate (the emitter's rate, or 1 for an
// identifier that has not emitted yet in single-emission mode), emits with
// emitParticles and writes one output element. A failure returns before
// the output is set, so the previous output stays.

#include "display/ztPointsEmitter.h"

#include <maya/MArrayDataBuilder.h>
#include <maya/MArrayDataHandle.h>
#include <maya/MDataBlock.h>
#include <maya/MDataHandle.h>
#include <maya/MDoubleArray.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MFnMatrixData.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnStringData.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MGL.h>
#include <maya/MGlobal.h>
#include <maya/MIntArray.h>
#include <maya/MPlug.h>
#include <maya/MVectorArray.h>

#include <string>
#include <vector>

#include "core/nodeAttributes.h"
#include "core/pointSetNode.h"
#include "display/particleEmission.h"

const MTypeId ztPointsEmitter::id(0xC3);

namespace {
// The most particles one compute emits.
constexpr double kMaxParticlesPerStep = 5e7;
}  // namespace

MObject ztPointsEmitter::inPoints;
MObject ztPointsEmitter::singleEmission;
MObject ztPointsEmitter::passAttrInRGB;
MObject ztPointsEmitter::attrName1;
MObject ztPointsEmitter::passAttrInOpacity;
MObject ztPointsEmitter::attrName2;

namespace {

MObject stringAttribute(const char* longName, const char* shortName) {
    MFnTypedAttribute typed;
    MFnStringData text;
    MObject attribute = typed.create(longName, shortName, MFnData::kString, text.create(""));
    typed.setKeyable(false);
    typed.setStorable(true);
    return attribute;
}

MObject booleanAttribute(const char* longName, const char* shortName) {
    return zt::numericAttribute(longName, shortName, MFnNumericData::kBoolean, 0);
}

// A channel of the point set passed on to the particles: a vector channel
// as it is, a double or int value x as (x, 0, 0); for opacity the x value.
struct PassedChannel {
    std::vector<MVector> vectors;
    std::vector<double> numbers;
    bool isVector = false;
};

// Reads channel `name` for `count` points. False, with the message shown,
// when it has a type that cannot be passed or too few elements.
bool readPassedChannel(MFnArrayAttrsData& points, const MString& name, unsigned int count,
                       const MPlug& plug, PassedChannel& out) {
    MFnArrayAttrsData::Type type;
    points.checkArrayExist(name, type);
    if (type != MFnArrayAttrsData::kVectorArray && type != MFnArrayAttrsData::kDoubleArray &&
        type != MFnArrayAttrsData::kIntArray) {
        MGlobal::displayError(plug.name() + ": channel '" + name + "' has an invalid type");
        return false;
    }
    if (!zt::requireChannelLength(points, name.asChar(), count, plug)) return false;
    out.isVector = type == MFnArrayAttrsData::kVectorArray;
    out.vectors.resize(count);
    out.numbers.resize(count);
    if (out.isVector) {
        const MVectorArray v = points.getVectorData(name);
        for (unsigned int i = 0; i < count; ++i) {
            out.vectors[i] = v[i];
            out.numbers[i] = v[i].x;
        }
    } else if (type == MFnArrayAttrsData::kDoubleArray) {
        const MDoubleArray v = points.getDoubleData(name);
        for (unsigned int i = 0; i < count; ++i) {
            out.vectors[i] = MVector(v[i], 0, 0);
            out.numbers[i] = v[i];
        }
    } else {
        const MIntArray v = points.getIntData(name);
        for (unsigned int i = 0; i < count; ++i) {
            out.vectors[i] = MVector(v[i], 0, 0);
            out.numbers[i] = v[i];
        }
    }
    return true;
}

}  // namespace

MStatus ztPointsEmitter::initialize() {
    MStatus status;
    MFnTypedAttribute typed;
    inPoints = typed.create("inPoints", "ip", MFnData::kDynArrayAttrs, MObject::kNullObj, &status);
    typed.setKeyable(false);
    typed.setStorable(false);
    singleEmission = booleanAttribute("singleEmission", "se");
    passAttrInRGB = booleanAttribute("passAttrInRGB", "prgb");
    attrName1 = stringAttribute("attrName1", "an1");
    passAttrInOpacity = booleanAttribute("passAttrInOpacity", "po");
    attrName2 = stringAttribute("attrName2", "an2");
    return zt::addAttributes(
        {inPoints, singleEmission, passAttrInRGB, attrName1, passAttrInOpacity, attrName2});
}

// ---- the emitter's own attributes ------------------------------------------

double ztPointsEmitter::rateValue(MDataBlock& data) {
    return data.inputValue(mRate).asDouble();
}

double ztPointsEmitter::speedValue(MDataBlock& data) {
    return data.inputValue(mSpeed).asDouble();
}

bool ztPointsEmitter::isFullValue(int k, MDataBlock& data) {
    MStatus status;
    MArrayDataHandle full = data.inputArrayValue(mIsFull, &status);
    if (!status || k < 0 || !full.jumpToElement(static_cast<unsigned int>(k))) return true;
    return full.inputValue().asBool();
}

bool ztPointsEmitter::hasParticleShape(int k, MDataBlock& data) {
    MStatus status;
    MArrayDataHandle full = data.inputArrayValue(mIsFull, &status);
    return status && k >= 0 && full.jumpToElement(static_cast<unsigned int>(k));
}

double ztPointsEmitter::inheritFactorValue(int k, MDataBlock& data) {
    MStatus status;
    MArrayDataHandle factor = data.inputArrayValue(mInheritFactor, &status);
    if (!status || k < 0 || !factor.jumpToElement(static_cast<unsigned int>(k))) return 0.0;
    return factor.inputValue().asDouble();
}

MTime ztPointsEmitter::currentTimeValue(MDataBlock& data) {
    return data.inputValue(mCurrentTime).asTime();
}

MTime ztPointsEmitter::startTimeValue(int k, MDataBlock& data) {
    return getStartTime(k, data);
}

MTime ztPointsEmitter::deltaTimeValue(int k, MDataBlock& data) {
    return getDeltaTime(k, data);
}

MStatus ztPointsEmitter::getWorldPosition(MPoint& point) {
    MStatus status;
    MPlug world = MPlug(thisMObject(), mWorldMatrix).elementByLogicalIndex(0, &status);
    if (!status) {
        MGlobal::displayError("ztPointsEmitter::getWorldPosition: get worldMatrix");
        return status;
    }
    MObject matrixData;
    status = world.getValue(matrixData);
    if (!status) {
        MGlobal::displayError("ztPointsEmitter::getWorldPosition: get worldMatrixData");
        return status;
    }
    MFnMatrixData fn(matrixData, &status);
    if (!status) {
        MGlobal::displayError("ztPointsEmitter::getWorldPosition: get matrixObject");
        return status;
    }
    const MMatrix m = fn.matrix();
    point = MPoint(m(3, 0), m(3, 1), m(3, 2));
    return MS::kSuccess;
}

// ---- compute -----------------------------------------------------------------

MStatus ztPointsEmitter::compute(const MPlug& plug, MDataBlock& data) {
    if (plug.attribute() != mOutput) return MS::kUnknownParameter;

    // The output element and an empty point set for it.
    MStatus status;
    const int k = static_cast<int>(plug.logicalIndex(&status));
    if (!status) {
        zt::reportError("ERROR in plug.logicalIndex.", status);
        return status;
    }
    MArrayDataHandle outArray = data.outputArrayValue(mOutput, &status);
    MArrayDataBuilder builder = outArray.builder(&status);
    if (!status) {
        zt::reportError("ERROR in bOutArray = hOutArray.builder.", status);
        return status;
    }
    MDataHandle outElement = builder.addElement(static_cast<unsigned int>(k), &status);
    MFnArrayAttrsData fnOutput;
    MObject outData = fnOutput.create(&status);
    if (!status) {
        zt::reportError("ERROR in fnOutput.create.", status);
        return status;
    }
    const auto setOutput = [&]() {
        outElement.set(outData);
        outArray.set(builder);
        outArray.setAllClean();
        data.setClean(plug);
        return MS::kSuccess;
    };

    if (!hasParticleShape(k, data)) {
        MGlobal::displayWarning(plug.name() +
                                ": no particle shape is connected (connect one with "
                                "connectDynamic -em); nothing is emitted");
        return MS::kSuccess;
    }
    if (isFullValue(k, data)) return MS::kSuccess;

    // The point set and its channels.
    MFnArrayAttrsData points;
    status = zt::readInputPointSet(data, thisMObject(), inPoints, points);
    if (!status) return status;
    const MPlug inPlug(thisMObject(), inPoints);
    MFnArrayAttrsData::Type type;
    if (!points.checkArrayExist("position", type) || type != MFnArrayAttrsData::kVectorArray) {
        MGlobal::displayError(inPlug.name() + ": Points position missing");
        return MS::kFailure;
    }
    if (!points.checkArrayExist("aimDirection", type)) {
        MGlobal::displayError(inPlug.name() + ": 'aimDirection' attribute missing");
        return MS::kFailure;
    }
    if (type != MFnArrayAttrsData::kVectorArray) {
        MGlobal::displayError(inPlug.name() + ": invalid 'aimDirection' attribute type");
        return MS::kFailure;
    }
    const MVectorArray positionArray = points.getVectorData("position");
    const unsigned int n = positionArray.length();
    if (!zt::requireChannelLength(points, "aimDirection", n, inPlug)) return MS::kFailure;

    MPoint worldPosition;
    status = getWorldPosition(worldPosition);
    if (!status) return status;

    // Times: nothing before the start, and a rewind lets every identifier
    // emit again.
    const MTime now = currentTimeValue(data);
    const MTime start = startTimeValue(k, data);
    const MTime step = deltaTimeValue(k, data);
    if (now <= start || step <= MTime()) {
        emitted_.clear();
        return setOutput();
    }
    const double t = (now - start).as(MTime::kSeconds);
    const double dt = step.as(MTime::kSeconds);

    const double rate = rateValue(data);
    if (rate <= 0) return setOutput();

    // Per-point rates.
    const bool single = data.inputValue(singleEmission).asBool();
    std::vector<double> rates(n, rate);
    if (single) {
        if (!points.checkArrayExist("pointID", type)) {
            MGlobal::displayError(inPlug.name() +
                                  ": inPoint vector does not contain pointID info. Signle "
                                  "emission not possible.");
            return MS::kFailure;
        }
        if (type != MFnArrayAttrsData::kIntArray) {
            MGlobal::displayError(inPlug.name() +
                                  ": invalid 'pointID' attribute type. Signle emission not "
                                  "possible.");
            return MS::kFailure;
        }
        if (!zt::requireChannelLength(points, "pointID", n, inPlug)) return MS::kFailure;
        const MIntArray ids = points.getIntData("pointID");
        for (unsigned int i = 0; i < n; ++i)
            rates[i] = emitted_.insert(static_cast<std::uint32_t>(ids[i])).second ? 1.0 : 0.0;
    }

    const MFnDependencyNode self(thisMObject());
    zt::EmissionSettings settings;
    settings.time = t;
    settings.step = dt;
    settings.speed = speedValue(data);
    settings.spread = zt::clampFloat(
        static_cast<float>(data.inputValue(self.attribute("spread")).asDouble()), 0.0f, 1.0f);
    settings.speedRandom =
        static_cast<float>(data.inputValue(self.attribute("speedRandom")).asDouble());
    settings.single = single;
    (void)inheritFactorValue(k, data);

    // Colour and opacity sources.
    PassedChannel colour, opacity;
    bool withColour = false, withOpacity = false;
    const MString colourName = data.inputValue(attrName1).asString();
    if (data.inputValue(passAttrInRGB).asBool() && colourName.length() > 0) {
        if (points.checkArrayExist(colourName, type)) {
            if (!readPassedChannel(points, colourName, n, inPlug, colour)) return MS::kFailure;
            withColour = true;
        } else {
            MGlobal::displayWarning(inPlug.name() + ": no '" + colourName +
                                    "' attribute to pass in rgbPP channel, omitting.");
        }
    }
    const MString opacityName = data.inputValue(attrName2).asString();
    if (data.inputValue(passAttrInOpacity).asBool() && opacityName.length() > 0) {
        if (points.checkArrayExist(opacityName, type)) {
            if (!readPassedChannel(points, opacityName, n, inPlug, opacity)) return MS::kFailure;
            if (opacity.isVector)
                MGlobal::displayWarning(
                    "'" + opacityName +
                    "' attribute is Vector array, passing only vector.x value.");
            withOpacity = true;
        } else {
            MGlobal::displayWarning(inPlug.name() + ": no '" + opacityName +
                                    "' attribute to pass in opacityPP channel, omitting.");
        }
    }

    // One step may not ask for more particles than memory can sensibly hold
    // (a huge rate, or a long jump in time).
    double total = 0;
    for (unsigned int i = 0; i < n; ++i)
        total += single ? (rates[i] > 0 ? 1 : 0) : zt::emissionCount(t, dt, rates[i]);
    if (total > kMaxParticlesPerStep) {
        MGlobal::displayError(inPlug.name() + ": this step would emit " + total +
                              " particles, more than " + double(kMaxParticlesPerStep) +
                              "; lower the rate or step frame by frame");
        return MS::kFailure;
    }

    // Emission.
    std::vector<MVector> position(n), direction(n);
    const MVectorArray aim = points.getVectorData("aimDirection");
    for (unsigned int i = 0; i < n; ++i) {
        position[i] = positionArray[i];
        direction[i] = aim[i];
    }
    zt::EmittedParticles emitted;
    zt::emitParticles(position, direction, rates, settings, withColour ? &colour.vectors : nullptr,
                      withOpacity ? &opacity.numbers : nullptr, emitted);

    const unsigned int count = static_cast<unsigned int>(emitted.position.size());
    MVectorArray outPosition = fnOutput.vectorArray("position");
    MVectorArray outVelocity = fnOutput.vectorArray("velocity");
    MDoubleArray outTime = fnOutput.doubleArray("timeInStep");
    outPosition.setLength(count);
    outVelocity.setLength(count);
    outTime.setLength(count);
    for (unsigned int i = 0; i < count; ++i) {
        outPosition[i] = emitted.position[i];
        outVelocity[i] = emitted.velocity[i];
        outTime[i] = emitted.timeInStep[i];
    }
    if (withColour) {
        MVectorArray rgb = fnOutput.vectorArray("rgbPP");
        rgb.setLength(count);
        for (unsigned int i = 0; i < count; ++i) rgb[i] = emitted.rgb[i];
    }
    if (withOpacity) {
        MDoubleArray alpha = fnOutput.doubleArray("opacityPP");
        alpha.setLength(count);
        for (unsigned int i = 0; i < count; ++i) alpha[i] = emitted.opacity[i];
    }
    return setOutput();
}

// ---- the icon ----------------------------------------------------------------

void ztPointsEmitter::draw(M3dView& view, const MDagPath&, M3dView::DisplayStyle,
                           M3dView::DisplayStatus) {
    view.beginGL();
    glPushAttrib(GL_CURRENT_BIT);

    glLineWidth(4.0f);
    glColor3f(1.0f, 0.0f, 0.0f);
    glBegin(GL_LINE_LOOP);
    glVertex3f(-1.0f, -1.0f, -1.0f);
    glVertex3f(1.0f, -1.0f, -1.0f);
    glVertex3f(1.0f, -1.0f, 1.0f);
    glVertex3f(-1.0f, -1.0f, 1.0f);
    glEnd();

    // Three arrows rising from the base.
    static const float arrows[][6] = {
        {-0.7f, -1.0f, 0.5f, -0.9f, 1.0f, 0.9f}, {-0.9f, 1.0f, 0.9f, -1.0f, 0.5f, 1.0f},
        {-0.9f, 1.0f, 0.9f, -1.0f, 0.5f, 0.9f},  {0.3f, -1.0f, -0.5f, 0.5f, 1.0f, -0.9f},
        {0.5f, 1.0f, -0.9f, 0.6f, 0.6f, -0.6f},  {0.5f, 1.0f, -0.9f, 0.3f, 0.6f, -1.0f},
        {0.7f, -1.0f, 0.1f, 1.0f, 1.0f, 0.6f},   {1.0f, 1.0f, 0.6f, 0.9f, 0.55f, 0.4f},
        {1.0f, 1.0f, 0.6f, 1.1f, 0.65f, 0.8f}};
    glLineWidth(2.0f);
    glColor3f(0.0f, 0.0f, 1.0f);
    glBegin(GL_LINES);
    for (const auto& segment : arrows) {
        glVertex3f(segment[0], segment[1], segment[2]);
        glVertex3f(segment[3], segment[4], segment[5]);
    }
    glEnd();

    glPointSize(6.0f);
    glColor3f(0.0f, 1.0f, 0.0f);
    glBegin(GL_POINTS);
    glVertex3f(-0.7f, -1.0f, 0.5f);
    glVertex3f(0.3f, -1.0f, -0.5f);
    glVertex3f(0.7f, -1.0f, 0.1f);
    glEnd();

    glLineWidth(1.0f);
    glPopAttrib();
    view.endGL();
}
