// ztPlantPoints: oriented points that follow a deforming mesh.
//
//   polyPlane -w 4 -h 4 -sx 20 -sy 20 -n ground;
//   createNode ztScatterPoints -n sc;                  // scatter on the rest mesh
//   connectAttr groundShapeOrig.outMesh sc.inMesh;
//   connectAttr groundShapeOrig.boundingBox sc.boundingBox;
//   createNode ztPointsRotation -n rot;                // orient, keeping edge data
//   connectAttr sc.outPoints rot.inPoints;
//   connectAttr groundShapeOrig.outMesh rot.inMesh;
//   setAttr rot.localAimDirection 1;
//   createNode ztPlantPoints -n plant;                 // follow the deformed mesh
//   connectAttr rot.outPoints plant.inPoints;
//   connectAttr groundShape.outMesh plant.inMesh;
//   getAttr -channel aimDirection plant.outPoints;
//
// The compute reads the mesh and the point set, checks the channels and the
// triangles the points name, runs computeSamplesOnMesh and writes "position",
// "aimDirection" and "aimWorldUp", copying every other channel. Every failure
// returns before the output is touched, so the previous output stays.

#include "scatter/ztPlantPoints.h"

#include <maya/MDataBlock.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnMesh.h>
#include <maya/MGlobal.h>
#include <maya/MIntArray.h>
#include <maya/MPlug.h>
#include <maya/MStringArray.h>
#include <maya/MVectorArray.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/channels.h"
#include "core/meshInput.h"
#include "core/nodeAttributes.h"
#include "core/pointSet.h"
#include "core/pointSetNode.h"
#include "kernels/surfacePlanting.h"

const MTypeId ztPlantPoints::id(0xC5);

MObject ztPlantPoints::inPoints;
MObject ztPlantPoints::inMesh;
MObject ztPlantPoints::outPoints;

ztPlantPoints::~ztPlantPoints() = default;

MStatus ztPlantPoints::initialize() {
    MStatus status =
        zt::createPointSetAttribute(inPoints, "inPoints", "ip", zt::PointSetRole::kInput);
    if (!status) return status;
    inMesh = zt::meshAttribute("inMesh", "im", false, &status);
    if (!status) return status;
    status = zt::createPointSetAttribute(outPoints, "outPoints", "op", zt::PointSetRole::kOutput);
    if (!status) return status;

    status = zt::addAttributes({inPoints, inMesh, outPoints});
    if (!status) return status;
    return zt::declareAffects({inPoints, inMesh}, outPoints);
}

namespace {

namespace ch = zt::channels;

// A channel the compute reads, with its messages.
struct RequiredChannel {
    const char* name;
    MFnArrayAttrsData::Type type;
    const char* missing;
    const char* wrongType;
    const char* readError;
};

const RequiredChannel kRequired[] = {
    {ch::kTriangleId, MFnArrayAttrsData::kIntArray,
     ": Input array does not contain sample-triangle ID information",
     ": wrong 'triID' attribute type", "ERROR fnArrayAttrsData.getVectorData(triID, &status)"},
    {ch::kUv, MFnArrayAttrsData::kVectorArray, ": Input array does not contain uv information",
     ": wrong 'uv' attribute type", "ERROR fnArrayAttrsData.getVectorData(uv, &status)"},
    {ch::kRotationRgb, MFnArrayAttrsData::kVectorArray,
     ": Input array does not contain rotationRGB information",
     ": wrong 'rotationRGB' attribute type",
     "ERROR fnArrayAttrsData.getVectorData(rotationRGB, &status)"},
    {ch::kIntersection, MFnArrayAttrsData::kVectorArray,
     ": Input array does not contain intersection information",
     ": wrong 'intersection' attribute type",
     "ERROR fnArrayAttrsData.getVectorData(intersection, &status)"},
    {ch::kDistanceToEdge, MFnArrayAttrsData::kVectorArray,
     ": Input array does not contain distanceToEdge information",
     ": wrong 'distanceToEdge' attribute type",
     "ERROR fnArrayAttrsData.getVectorData(distanceToEdge, &status)"},
};

// Reads every required channel into `input`, in order. A missing channel
// returns the status of the existence check, a wrong type kFailure, a short
// channel (fewer entries than "triID") kFailure.
MStatus readChannels(MFnArrayAttrsData& points, const MPlug& inPlug, zt::PlantInput& input) {
    for (const RequiredChannel& channel : kRequired) {
        MFnArrayAttrsData::Type type;
        MStatus status;
        const bool exists = points.checkArrayExist(channel.name, type, &status);
        if (!exists) {
            MGlobal::displayError(inPlug.name() + channel.missing);
            return status ? MStatus(MS::kFailure) : status;
        }
        if (type != channel.type) {
            MGlobal::displayError(inPlug.name() + channel.wrongType);
            return MS::kFailure;
        }
        if (channel.type == MFnArrayAttrsData::kIntArray) {
            const MIntArray ids = points.getIntData(channel.name, &status);
            if (!status) {
                zt::reportError(channel.readError, status);
                return status;
            }
            input.pointCount = ids.length();
            input.triangles = zt::toUnsigned(ids);
            continue;
        }
        const MVectorArray values = points.getVectorData(channel.name, &status);
        if (!status) {
            zt::reportError(channel.readError, status);
            return status;
        }
        if (!zt::requireChannelLength(points, channel.name,
                                      static_cast<unsigned int>(input.pointCount), inPlug))
            return MS::kFailure;
        if (channel.name == ch::kUv) {
            input.uvs = zt::toFloat2(values);
        } else if (channel.name == ch::kRotationRgb) {
            input.rgb = zt::toFloat3(values);
        } else if (channel.name == ch::kIntersection) {
            input.intersection = zt::toFloat3(values);
        } else {
            input.distanceToEdge = zt::toFloat3(values);
        }
    }
    return MS::kSuccess;
}

// Empty when every point names a triangle of the mesh with a non-zero area
// and all its numbers are finite; otherwise what is wrong with the first
// point that fails.
std::string checkPoints(const zt::PlantInput& input) {
    const std::size_t triangleCount = input.triangleList.size() / 3;
    for (std::size_t i = 0; i < input.pointCount; ++i) {
        const unsigned int t = input.triangles[i];
        // A negative id arrives as a large unsigned number and counts as out
        // of range too.
        if (t >= triangleCount)
            return "sample triId " + std::to_string(static_cast<int>(t)) + " of point " +
                   std::to_string(i) + " out of range (the mesh has " +
                   std::to_string(triangleCount) +
                   " triangles), probably wrong inMesh input or changed triangulation";
        const float* a = &input.meshPoints[3u * input.triangleList[3u * t]];
        const float* b = &input.meshPoints[3u * input.triangleList[3u * t + 1]];
        const float* c = &input.meshPoints[3u * input.triangleList[3u * t + 2]];
        const double ab[3] = {double(b[0]) - a[0], double(b[1]) - a[1], double(b[2]) - a[2]};
        const double ac[3] = {double(c[0]) - a[0], double(c[1]) - a[1], double(c[2]) - a[2]};
        const double cx = ab[1] * ac[2] - ab[2] * ac[1];
        const double cy = ab[2] * ac[0] - ab[0] * ac[2];
        const double cz = ab[0] * ac[1] - ab[1] * ac[0];
        if (!(cx * cx + cy * cy + cz * cz > 0.0))
            return "triangle " + std::to_string(t) + " of point " + std::to_string(i) +
                   " has zero area, the point can not be placed on it";
    }
    return std::string();
}

}  // namespace

MStatus ztPlantPoints::compute(const MPlug& plug, MDataBlock& data) {
    if (plug != outPoints) return MS::kUnknownParameter;
    MStatus status;

    MFnMesh meshFn;
    status = zt::readInputMesh(data, thisMObject(), inMesh, meshFn);
    if (!status) return status;

    MFnArrayAttrsData points;
    status = zt::readInputPointSet(data, thisMObject(), inPoints, points);
    if (!status) return status;
    const MPlug inPlug(thisMObject(), inPoints);
    zt::PlantInput input;
    status = readChannels(points, inPlug, input);
    if (!status) return status;

    status = zt::readMeshPoints(meshFn, input.meshPoints);
    if (!status) return status;
    status = zt::readMeshTriangles(meshFn, input.triangleList);
    if (!status) return status;

    // Refuse points that can not be placed before any work.
    const std::string problem = checkPoints(input);
    if (!problem.empty()) {
        MGlobal::displayError(MString("ztPlantPoints: ") + problem.c_str());
        return MS::kFailure;
    }
    if (!zt::requireFinite(input.uvs, 2, inPlug, "channel 'uv'") ||
        !zt::requireFinite(input.rgb, 3, inPlug, "channel 'rotationRGB'") ||
        !zt::requireFinite(input.intersection, 3, inPlug, "channel 'intersection'") ||
        !zt::requireFinite(input.distanceToEdge, 3, inPlug, "channel 'distanceToEdge'"))
        return MS::kFailure;

    zt::PlantResult result;
    const zt::KernelStatus kernelStatus = zt::computeSamplesOnMesh(input, result);
    if (kernelStatus == zt::KernelStatus::NotEnoughMemory) {
        MGlobal::displayError("Not enough memory on GPU");
        return MS::kFailure;
    }
    if (!zt::succeeded(kernelStatus)) return MS::kFailure;
    // A point whose stored edge crossing coincides with it, or whose smooth
    // normal vanishes, has no direction: refuse rather than write NaN.
    const MPlug outPlug(thisMObject(), outPoints);
    if (!zt::requireFinite(result.position, 3, outPlug, "re-planted position") ||
        !zt::requireFinite(result.aim, 3, outPlug, "re-planted aim") ||
        !zt::requireFinite(result.up, 3, outPlug, "re-planted up vector"))
        return MS::kFailure;

    MFnArrayAttrsData output;
    MObject outData = zt::createOutputPointSet(output, status);
    if (!status) return status;
    MStringArray written;
    for (const char* name : {ch::kPosition, ch::kAimDirection, ch::kAimWorldUp}) {
        written.append(name);
    }
    zt::copyAttributes(output, points, written);
    const std::size_t n = input.pointCount;
    const std::vector<float>* values[] = {&result.position, &result.aim, &result.up};
    for (unsigned int c = 0; c < 3; ++c) {
        MVectorArray array = output.vectorArray(written[c], &status);
        if (!status) {
            zt::reportError("ERROR in fnArrayAttrsData.vectorArray\n", status);
            return status;
        }
        array.setLength(static_cast<unsigned int>(n));
        const std::vector<float>& v = *values[c];
        for (std::size_t i = 0; i < n; ++i) {
            array[static_cast<unsigned int>(i)] = MVector(v[3 * i], v[3 * i + 1], v[3 * i + 2]);
        }
    }
    return zt::setOutputPointSet(data, outPoints, outData, plug);
}
