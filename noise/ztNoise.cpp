#include "noise/ztNoise.h"

#include <maya/MFnDependencyNode.h>
#include <maya/MFnMatrixAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MFnVectorArrayData.h>
#include <maya/MGlobal.h>
#include <maya/MIOStream.h>
#include <maya/MPoint.h>
#include <maya/MPointArray.h>
#include <maya/MVectorArray.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "core/pointSet.h"
#include "noise/noiseGenerator.h"
#include "noise/ztNoiseLocator.h"

using zt::noise::fractalNoise;
using zt::noise::NoiseGenerator;

const MTypeId ztNoise::id(0xD0);
MObject ztNoise::deformSpace;
MObject ztNoise::visualisationPoints[3];
MObject ztNoise::noiseAmp[3];
MObject ztNoise::noiseFreq[3];
MObject ztNoise::noiseOctaves[3];
MObject ztNoise::noiseSeed[3];
MObject ztNoise::length[3];
MObject ztNoise::pointsCount[3];

namespace {

constexpr int kX = 0;
constexpr int kY = 1;
constexpr int kZ = 2;
constexpr int kMinCurvePoints = 5;
constexpr int kMaxCurvePoints = 500;

// Long and short names per axis.
struct AxisNames {
    const char* axis;  // "x"
    const char* visualisationPoints[2];
    const char* noiseAmp[2];
    const char* noiseFreq[2];
    const char* noiseOctaves[2];
    const char* noiseSeed[2];
    const char* length[2];
    const char* pointsCount[2];
    int defaultSeed;
};

const AxisNames kAxes[3] = {
    {"x",
     {"oxVisualisationPoints", "oxP"},
     {"oxNoiseAmp", "xna"},
     {"oxNoiseFreq", "xnf"},
     {"oxNoiseOctaves", "xno"},
     {"oxNoiseSeed", "xns"},
     {"oxLength", "oxL"},
     {"oxPointsCount", "xpc"},
     0},
    {"y",
     {"oyVisualisationPoints", "oyP"},
     {"oyNoiseAmp", "yna"},
     {"oyNoiseFreq", "ynf"},
     {"oyNoiseOctaves", "yno"},
     {"oyNoiseSeed", "yns"},
     {"oyLength", "oyL"},
     {"oyPointsCount", "ypc"},
     1},
    {"z",
     {"ozVisualisationPoints", "ozP"},
     {"ozNoiseAmp", "zna"},
     {"ozNoiseFreq", "znf"},
     {"ozNoiseOctaves", "zno"},
     {"ozNoiseSeed", "zns"},
     {"ozLength", "ozL"},
     {"ozPointsCount", "zpc"},
     2},
};

MObject createInput(const char* const (&names)[2], MFnNumericData::Type type, double defaultValue) {
    MFnNumericAttribute numeric;
    MStatus status;
    MObject attribute = numeric.create(names[0], names[1], type, defaultValue, &status);
    CHECK_MSTATUS(status);
    CHECK_MSTATUS(numeric.setKeyable(true));
    CHECK_MSTATUS(numeric.setStorable(true));
    CHECK_MSTATUS(numeric.setReadable(true));
    CHECK_MSTATUS(numeric.setWritable(true));
    return attribute;
}

MObject createLimitedInt(const char* const (&names)[2], int defaultValue, int minimum,
                         int maximum) {
    MObject attribute = createInput(names, MFnNumericData::kInt, defaultValue);
    MFnNumericAttribute numeric(attribute);
    CHECK_MSTATUS(numeric.setMin(minimum));
    if (maximum >= minimum) CHECK_MSTATUS(numeric.setMax(maximum));
    return attribute;
}

// Whether the field of one axis can be evaluated: amplitude and frequency
// are finite numbers. An axis that cannot contributes nothing.
bool isUsable(float amplitude, float frequency) {
    return std::isfinite(amplitude) && std::isfinite(frequency);
}

// The generator of one axis from the node's attributes (octaves clamped to
// [1, 10], a negative seed taken as 0). False when the field is left out
// because its amplitude or frequency is not a finite number; the generator
// then gives 0 everywhere.
bool readGenerator(MDataBlock& block, int axis, NoiseGenerator& g) {
    const int octaves = block.inputValue(ztNoise::noiseOctaves[axis]).asInt();
    const float frequency = block.inputValue(ztNoise::noiseFreq[axis]).asFloat();
    const float amplitude = block.inputValue(ztNoise::noiseAmp[axis]).asFloat();
    const int seed = block.inputValue(ztNoise::noiseSeed[axis]).asInt();
    const bool usable = isUsable(amplitude, frequency);
    zt::noise::setNoiseParameters(g, octaves, usable ? frequency : 0.0f, usable ? amplitude : 0.0f,
                                  seed);
    return usable;
}

// The three generators of one evaluation. They are large (a few tens of
// kilobytes of tables each), so they live on the heap.
struct Fields {
    NoiseGenerator axis[3];
    bool usable[3] = {true, true, true};
};

std::unique_ptr<Fields> readFields(MDataBlock& block) {
    auto fields = std::make_unique<Fields>();
    for (int axis = 0; axis < 3; ++axis)
        fields->usable[axis] = readGenerator(block, axis, fields->axis[axis]);
    return fields;
}

bool isFinite(const MPoint& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z) && std::isfinite(p.w);
}

// One point through the three fields, in deform space: y from (x, z), then
// x from (y, z) with the new y, then z from (x, y) with the new x and y.
MPoint displace(Fields& f, const MPoint& point, const MMatrix& space, const MMatrix& inverse) {
    MPoint q = point * inverse;
    q.y += static_cast<double>(
        fractalNoise(f.axis[kY], static_cast<float>(q.x), static_cast<float>(q.z)));
    q.x += static_cast<double>(
        fractalNoise(f.axis[kX], static_cast<float>(q.y), static_cast<float>(q.z)));
    q.z += static_cast<double>(
        fractalNoise(f.axis[kZ], static_cast<float>(q.x), static_cast<float>(q.y)));
    return q * space;
}

}  // namespace

ztNoise::~ztNoise() = default;

void* ztNoise::creator() {
    return new ztNoise();
}

MStatus ztNoise::initialize() {
    MStatus status;
    MFnMatrixAttribute matrix;
    deformSpace = matrix.create("deformSpace", "dSp", MFnMatrixAttribute::kDouble, &status);
    CHECK_MSTATUS(status);
    CHECK_MSTATUS(matrix.setStorable(false));

    for (int axis = 0; axis < 3; ++axis) {
        MFnVectorArrayData empty;
        MObject emptyArray = empty.create(&status);
        CHECK_MSTATUS(status);
        MFnTypedAttribute typed;
        visualisationPoints[axis] =
            typed.create(kAxes[axis].visualisationPoints[0], kAxes[axis].visualisationPoints[1],
                         MFnData::kVectorArray, emptyArray, &status);
        CHECK_MSTATUS(status);
        CHECK_MSTATUS(typed.setStorable(false));
        CHECK_MSTATUS(typed.setConnectable(true));
    }
    for (int axis = 0; axis < 3; ++axis)
        noiseAmp[axis] = createInput(kAxes[axis].noiseAmp, MFnNumericData::kFloat, 0.0);
    for (int axis = 0; axis < 3; ++axis)
        noiseFreq[axis] = createInput(kAxes[axis].noiseFreq, MFnNumericData::kFloat, 1.0);
    for (int axis = 0; axis < 3; ++axis)
        noiseOctaves[axis] = createLimitedInt(kAxes[axis].noiseOctaves, 4, 1, 10);
    for (int axis = 0; axis < 3; ++axis) {
        // No maximum: -1 < 0 leaves it open.
        noiseSeed[axis] = createLimitedInt(kAxes[axis].noiseSeed, kAxes[axis].defaultSeed, 0, -1);
    }
    for (int axis = 0; axis < 3; ++axis)
        length[axis] = createInput(kAxes[axis].length, MFnNumericData::kFloat, 0.0);
    for (int axis = 0; axis < 3; ++axis) {
        pointsCount[axis] = createLimitedInt(kAxes[axis].pointsCount, kMinCurvePoints,
                                             kMinCurvePoints, kMaxCurvePoints);
    }

    CHECK_MSTATUS(addAttribute(deformSpace));
    for (MObject* group :
         {visualisationPoints, noiseAmp, noiseFreq, noiseOctaves, noiseSeed, length, pointsCount}) {
        for (int axis = 0; axis < 3; ++axis) CHECK_MSTATUS(addAttribute(group[axis]));
    }

    CHECK_MSTATUS(attributeAffects(deformSpace, outputGeom));
    for (int axis = 0; axis < 3; ++axis) {
        for (MObject* group : {noiseOctaves, noiseSeed, noiseFreq, noiseAmp}) {
            CHECK_MSTATUS(attributeAffects(group[axis], outputGeom));
            for (int other = 0; other < 3; ++other) {
                if (other != axis)
                    CHECK_MSTATUS(attributeAffects(group[axis], visualisationPoints[other]));
            }
        }
        CHECK_MSTATUS(attributeAffects(length[axis], visualisationPoints[axis]));
        CHECK_MSTATUS(attributeAffects(pointsCount[axis], visualisationPoints[axis]));
    }
    return MS::kSuccess;
}

MStatus ztNoise::compute(const MPlug& plug, MDataBlock& block) {
    int axis = -1;
    for (int a = 0; a < 3; ++a) {
        if (plug.attribute() == visualisationPoints[a]) axis = a;
    }
    if (axis < 0) return MS::kUnknownParameter;

    const float curveLength = block.inputValue(length[axis]).asFloat();
    const int count =
        std::clamp(block.inputValue(pointsCount[axis]).asInt(), kMinCurvePoints, kMaxCurvePoints);
    const float step = curveLength / static_cast<float>(count);
    std::unique_ptr<Fields> f = readFields(block);

    // The axis line from the origin, bent by the two other fields in the
    // order deform applies them; the axis's own field is left out.
    MVectorArray points(static_cast<unsigned int>(count));
    for (int i = 0; i < count; ++i) {
        const float t = static_cast<float>(i) * step;
        float x = 0.0f, y = 0.0f, z = 0.0f;
        if (axis == kX) {
            x = t;
            y = fractalNoise(f->axis[kY], t, 0.0f);
            z = fractalNoise(f->axis[kZ], t, y);
        } else if (axis == kY) {
            y = t;
            x = fractalNoise(f->axis[kX], t, 0.0f);
            z = fractalNoise(f->axis[kZ], x, t);
        } else {
            z = t;
            y = fractalNoise(f->axis[kY], 0.0f, t);
            x = fractalNoise(f->axis[kX], y, t);
        }
        points[static_cast<unsigned int>(i)] = MVector(x, y, z);
    }

    MStatus status;
    MFnVectorArrayData data;
    MObject array = data.create(points, &status);
    if (!status) {
        cerr << "ERROR in MFnVectorArrayData::create\n";
        return status;
    }
    MDataHandle out = block.outputValue(visualisationPoints[axis], &status);
    if (!status) return status;
    status = out.set(array);
    if (!status) return status;
    block.setClean(plug);
    return MS::kSuccess;
}

MStatus ztNoise::deform(MDataBlock& block, MItGeometry& iter, const MMatrix&, unsigned int) {
    MStatus status;
    MDataHandle spaceHandle = block.inputValue(deformSpace, &status);
    if (!status) return status;
    const MMatrix space = spaceHandle.asMatrix();
    const std::string nodeName = name().asChar();
    if (!zt::isInvertible(space)) {
        MGlobal::displayWarning(MString(nodeName.c_str()) +
                                ".deformSpace is not an invertible matrix: the geometry is "
                                "left as it is.");
        return MS::kSuccess;
    }
    const MMatrix inverse = space.inverse();

    // The envelope and per-point weights are not applied: every point gets
    // the full displacement of the three fields, whatever they are set to.

    std::unique_ptr<Fields> f = readFields(block);
    for (int axis = 0; axis < 3; ++axis) {
        if (f->usable[axis]) continue;
        MGlobal::displayWarning(MString(nodeName.c_str()) + ": the " + kAxes[axis].axis +
                                " noise has an amplitude or frequency that is not a finite "
                                "number; that axis is not displaced.");
    }
    // The tables are built here, once, so the loop below only reads them.
    for (NoiseGenerator& g : f->axis) zt::noise::prepareNoise(g);

    MPointArray points;
    status = iter.allPositions(points, MSpace::kObject);
    if (!status) return status;
    const long count = static_cast<long>(points.length());
    if (count == 0) return MS::kSuccess;

    long nonFinite = 0;
    Fields& fields = *f;
#pragma omp parallel for reduction(+ : nonFinite) schedule(static) if (count > 4096)
    for (long i = 0; i < count; ++i) {
        const MPoint before = points[static_cast<unsigned int>(i)];
        const MPoint moved = displace(fields, before, space, inverse);
        // A point the fields would carry to infinity stays where it was.
        if (!isFinite(moved)) {
            if (isFinite(before)) ++nonFinite;
            continue;
        }
        points[static_cast<unsigned int>(i)] = moved;
    }
    if (nonFinite > 0) {
        MGlobal::displayWarning(MString(nodeName.c_str()) + ": " +
                                std::to_string(nonFinite).c_str() +
                                " points would move to non-finite positions and were left "
                                "in place; lower the noise amplitudes.");
    }
    return iter.setAllPositions(points, MSpace::kObject);
}

MObject& ztNoise::accessoryAttribute() const {
    return deformSpace;
}

MStatus ztNoise::accessoryNodeSetup(MDagModifier& modifier) {
    MStatus status;
    const MObject transform = modifier.createNode("transform", MObject::kNullObj, &status);
    if (!status) return status;
    const MObject locator = modifier.createNode("ztNoiseLocator", transform, &status);
    if (!status) return status;
    const MObject self = thisMObject();

    const MObject matrix = MFnDependencyNode(transform).attribute("matrix", &status);
    if (!status) return status;
    status = modifier.connect(transform, matrix, self, deformSpace);
    if (!status) return status;
    for (int axis = 0; axis < 3; ++axis) {
        status = modifier.connect(locator, ztNoiseLocator::crvLenOut[axis], self, length[axis]);
        if (!status) return status;
        status = modifier.connect(locator, ztNoiseLocator::crvPtsCountOut[axis], self,
                                  pointsCount[axis]);
        if (!status) return status;
        status = modifier.connect(self, visualisationPoints[axis], locator,
                                  ztNoiseLocator::curvePoints[axis]);
        if (!status) return status;
    }
    return status;
}
