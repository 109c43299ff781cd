#include "scatter/ztScatterPoints.h"

#include <maya/MDataBlock.h>
#include <maya/MDataHandle.h>
#include <maya/MFloatPointArray.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnCompoundAttribute.h>
#include <maya/MFnMesh.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnStringData.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MGlobal.h>
#include <maya/MIOStream.h>
#include <maya/MIntArray.h>
#include <maya/MPlug.h>
#include <maya/MVectorArray.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <vector>

#include "core/channels.h"
#include "core/computeProgress.h"
#include "core/pointSet.h"
#include "core/pointSetNode.h"
#include "kernels/scatter.h"

const MTypeId ztScatterPoints::id(0xB2);

MObject ztScatterPoints::outPoints;
MObject ztScatterPoints::inMesh;
MObject ztScatterPoints::boundingBox;
MObject ztScatterPoints::boundingBoxMin;
MObject ztScatterPoints::boundingBoxMinX;
MObject ztScatterPoints::boundingBoxMinY;
MObject ztScatterPoints::boundingBoxMinZ;
MObject ztScatterPoints::boundingBoxMax;
MObject ztScatterPoints::boundingBoxMaxX;
MObject ztScatterPoints::boundingBoxMaxY;
MObject ztScatterPoints::boundingBoxMaxZ;
MObject ztScatterPoints::boundingBoxSize;
MObject ztScatterPoints::boundingBoxSizeX;
MObject ztScatterPoints::boundingBoxSizeY;
MObject ztScatterPoints::boundingBoxSizeZ;
MObject ztScatterPoints::radius;
MObject ztScatterPoints::seed;
MObject ztScatterPoints::computeNormal;
MObject ztScatterPoints::randomsMultipler;
MObject ztScatterPoints::trials;
MObject ztScatterPoints::mode;
MObject ztScatterPoints::addAll;
MObject ztScatterPoints::partial;
MObject ztScatterPoints::faces;
MObject ztScatterPoints::scatterOnVertices;
MObject ztScatterPoints::scatterOnBorderEdges;
MObject ztScatterPoints::scatterOnSurface;
MObject ztScatterPoints::maxCandidates;
MObject ztScatterPoints::fillGaps;

using zt::reportError;

namespace {

// A keyable, storable numeric attribute with the flags every scatter setting has.
MObject createSetting(const char* longName, const char* shortName, MFnNumericData::Type type,
                      double defaultValue, MStatus& status) {
    MFnNumericAttribute numeric;
    MObject attribute = numeric.create(longName, shortName, type, defaultValue, &status);
    if (!status) return attribute;
    CHECK_MSTATUS(numeric.setKeyable(true));
    CHECK_MSTATUS(numeric.setStorable(true));
    CHECK_MSTATUS(numeric.setReadable(true));
    CHECK_MSTATUS(numeric.setWritable(true));
    return attribute;
}

// One of the bounding box's float children: hidden, default 0.
MObject createBoxValue(const char* longName, const char* shortName) {
    MStatus status;
    MObject attribute = createSetting(longName, shortName, MFnNumericData::kFloat, 0.0, status);
    CHECK_MSTATUS(status);
    MFnNumericAttribute numeric(attribute);
    CHECK_MSTATUS(numeric.setHidden(true));
    return attribute;
}

MObject createBoxCorner(const char* longName, const char* shortName, const MObject& x,
                        const MObject& y, const MObject& z) {
    MFnCompoundAttribute compound;
    MStatus status;
    MObject attribute = compound.create(longName, shortName, &status);
    CHECK_MSTATUS(status);
    CHECK_MSTATUS(compound.addChild(x));
    CHECK_MSTATUS(compound.addChild(y));
    CHECK_MSTATUS(compound.addChild(z));
    CHECK_MSTATUS(compound.setReadable(true));
    CHECK_MSTATUS(compound.setWritable(true));
    CHECK_MSTATUS(compound.setHidden(true));
    return attribute;
}

// A numeric setting with a minimum (and a maximum when given), added to the
// node type being initialized.
void addLimitedSetting(MObject& attribute, const char* longName, const char* shortName,
                       MFnNumericData::Type type, double defaultValue, double minimum,
                       std::optional<double> maximum = std::nullopt) {
    MStatus status;
    attribute = createSetting(longName, shortName, type, defaultValue, status);
    CHECK_MSTATUS(status);
    MFnNumericAttribute numeric(attribute);
    CHECK_MSTATUS(numeric.setMin(minimum));
    if (maximum) CHECK_MSTATUS(numeric.setMax(*maximum));
    CHECK_MSTATUS(MPxNode::addAttribute(attribute));
}

bool allFinite(const std::vector<float>& values) {
    for (const float v : values) {
        if (!std::isfinite(v)) return false;
    }
    return true;
}

// The radius attribute's minimum; a smaller value arriving through a
// connection is raised to it (smaller radii only multiply the candidates
// until the cap undersamples).
constexpr float kMinimumRadius = 0.001f;

// Scatters with fewer candidates in every pass finish in about a second and
// print no progress.
constexpr std::size_t kProgressCandidates = 5000000;

// Axis-aligned bounds of the mesh vertices (x, y, z triples).
struct Bounds {
    float lo[3] = {0.0f, 0.0f, 0.0f};
    float hi[3] = {0.0f, 0.0f, 0.0f};
};

Bounds boundsOf(const std::vector<float>& points) {
    Bounds b;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const std::size_t axis = i % 3;
        if (i < 3 || points[i] < b.lo[axis]) b.lo[axis] = points[i];
        if (i < 3 || points[i] > b.hi[axis]) b.hi[axis] = points[i];
    }
    return b;
}

// Summed triangle area in double precision (indices are checked against
// the vertex count; the mesh's own triangulation always passes).
double totalArea(const std::vector<float>& points, const std::vector<unsigned int>& triangles) {
    double total = 0.0;
    const std::size_t vertices = points.size() / 3;
    for (std::size_t t = 0; t + 2 < triangles.size(); t += 3) {
        if (triangles[t] >= vertices || triangles[t + 1] >= vertices ||
            triangles[t + 2] >= vertices)
            continue;
        const float* a = &points[3u * triangles[t]];
        const float* b = &points[3u * triangles[t + 1]];
        const float* c = &points[3u * triangles[t + 2]];
        const double u[3] = {double(b[0]) - a[0], double(b[1]) - a[1], double(b[2]) - a[2]};
        const double v[3] = {double(c[0]) - a[0], double(c[1]) - a[1], double(c[2]) - a[2]};
        const double x = u[1] * v[2] - u[2] * v[1], y = u[2] * v[0] - u[0] * v[2],
                     z = u[0] * v[1] - u[1] * v[0];
        total += 0.5 * std::sqrt(x * x + y * y + z * z);
    }
    return total;
}

// Whether triangle areas can be computed in single precision: products of
// two edge lengths must stay finite.
bool areaFitsInFloat(const Bounds& b) {
    for (int axis = 0; axis < 3; ++axis) {
        const float extent = b.hi[axis] - b.lo[axis];
        if (!std::isfinite(extent * extent)) return false;
    }
    return true;
}

}  // namespace

ztScatterPoints::ztScatterPoints() : phaseMap(new unsigned short[27]) {
    for (unsigned int i = 0; i < 27; ++i) phaseMap[i] = zt::kPhaseMap[i];
}

ztScatterPoints::~ztScatterPoints() {
    delete[] phaseMap;
}

void* ztScatterPoints::creator() {
    return new ztScatterPoints();
}

MStatus ztScatterPoints::initialize() {
    MStatus status;

    MFnTypedAttribute typedAttr;
    outPoints = typedAttr.create("outPoints", "op", MFnData::kDynArrayAttrs, &status);
    if (!status) {
        reportError("ERROR in MFnData::kDynArrayAttrs.\n", status);
        return status;
    }
    CHECK_MSTATUS(typedAttr.setStorable(false));
    CHECK_MSTATUS(typedAttr.setWritable(false));
    CHECK_MSTATUS(typedAttr.setKeyable(false));
    CHECK_MSTATUS(addAttribute(outPoints));

    inMesh = typedAttr.create("inMesh", "im", MFnData::kMesh, MObject::kNullObj, &status);
    CHECK_MSTATUS(status);
    CHECK_MSTATUS(typedAttr.setKeyable(true));
    CHECK_MSTATUS(typedAttr.setStorable(true));
    CHECK_MSTATUS(typedAttr.setReadable(true));
    CHECK_MSTATUS(typedAttr.setWritable(true));
    CHECK_MSTATUS(addAttribute(inMesh));

    boundingBoxMinX = createBoxValue("boundingBoxMinX", "bmix");
    boundingBoxMinY = createBoxValue("boundingBoxMinY", "bmiy");
    boundingBoxMinZ = createBoxValue("boundingBoxMinZ", "bmiz");
    boundingBoxMaxX = createBoxValue("boundingBoxMaxX", "bmax");
    boundingBoxMaxY = createBoxValue("boundingBoxMaxY", "bmay");
    boundingBoxMaxZ = createBoxValue("boundingBoxMaxZ", "bmaz");
    boundingBoxSizeX = createBoxValue("boundingBoxSizeX", "bmsx");
    boundingBoxSizeY = createBoxValue("boundingBoxSizeY", "bmsy");
    boundingBoxSizeZ = createBoxValue("boundingBoxSizeZ", "bmsz");
    boundingBoxMin =
        createBoxCorner("boundingBoxMin", "bmi", boundingBoxMinX, boundingBoxMinY, boundingBoxMinZ);
    boundingBoxMax =
        createBoxCorner("boundingBoxMax", "bma", boundingBoxMaxX, boundingBoxMaxY, boundingBoxMaxZ);
    boundingBoxSize = createBoxCorner("boundingBoxSize", "bms", boundingBoxSizeX, boundingBoxSizeY,
                                      boundingBoxSizeZ);
    MFnCompoundAttribute compound;
    boundingBox = compound.create("boundingBox", "bb", &status);
    CHECK_MSTATUS(status);
    CHECK_MSTATUS(compound.addChild(boundingBoxMin));
    CHECK_MSTATUS(compound.addChild(boundingBoxMax));
    CHECK_MSTATUS(compound.addChild(boundingBoxSize));
    CHECK_MSTATUS(compound.setReadable(true));
    CHECK_MSTATUS(compound.setWritable(true));
    CHECK_MSTATUS(addAttribute(boundingBox));

    addLimitedSetting(radius, "radius", "r", MFnNumericData::kFloat, 1.0, 0.001);
    addLimitedSetting(seed, "seed", "s", MFnNumericData::kLong, 1234, 0);

    computeNormal = createSetting("computeNormal", "cn", MFnNumericData::kBoolean, 1, status);
    if (!status) {
        cerr << endl << status.errorString() << endl;
        return status;
    }
    CHECK_MSTATUS(addAttribute(computeNormal));

    addLimitedSetting(randomsMultipler, "randomsMultipler", "rm", MFnNumericData::kLong, 50, 1);
    addLimitedSetting(trials, "trials", "t", MFnNumericData::kLong, 5, 1, 20);
    addLimitedSetting(mode, "mode", "mod", MFnNumericData::kShort, 0, 0, 1);

    addAll = createSetting("addAll", "aa", MFnNumericData::kBoolean, 0, status);
    if (!status) {
        cerr << endl << status.errorString() << endl;
        return status;
    }
    CHECK_MSTATUS(addAttribute(addAll));

    partial = createSetting("partial", "p", MFnNumericData::kBoolean, 0, status);
    if (!status) {
        reportError("ERROR in partial.\n", status);
        return status;
    }
    CHECK_MSTATUS(addAttribute(partial));

    MFnStringData stringData;
    faces = typedAttr.create("faces", "f", MFnData::kString, stringData.create(""), &status);
    if (!status) {
        reportError("ERROR in faces.\n", status);
        return status;
    }
    CHECK_MSTATUS(typedAttr.setStorable(true));
    CHECK_MSTATUS(typedAttr.setReadable(true));
    CHECK_MSTATUS(typedAttr.setWritable(true));
    CHECK_MSTATUS(typedAttr.setKeyable(false));
    CHECK_MSTATUS(addAttribute(faces));

    scatterOnVertices =
        createSetting("scatterOnVertices", "sov", MFnNumericData::kBoolean, 0, status);
    CHECK_MSTATUS(status);
    CHECK_MSTATUS(addAttribute(scatterOnVertices));
    scatterOnBorderEdges =
        createSetting("scatterOnBorderEdges", "sobe", MFnNumericData::kBoolean, 0, status);
    CHECK_MSTATUS(status);
    CHECK_MSTATUS(addAttribute(scatterOnBorderEdges));
    scatterOnSurface =
        createSetting("scatterOnSurface", "sos", MFnNumericData::kBoolean, 1, status);
    CHECK_MSTATUS(status);
    CHECK_MSTATUS(addAttribute(scatterOnSurface));
    addLimitedSetting(maxCandidates, "maxCandidates", "mxc", MFnNumericData::kLong,
                      zt::kMaxCandidates, 1, zt::kMaxCandidatesLimit);
    // After the passes, add points wherever the surface is still farther
    // than the radius from every point (a maximal set). Off by default.
    fillGaps = createSetting("fillGaps", "fg", MFnNumericData::kBoolean, 0, status);
    CHECK_MSTATUS(status);
    CHECK_MSTATUS(addAttribute(fillGaps));

    const MObject inputs[] = {inMesh,
                              boundingBox,
                              radius,
                              seed,
                              computeNormal,
                              addAll,
                              partial,
                              faces,
                              scatterOnVertices,
                              scatterOnBorderEdges,
                              scatterOnSurface,
                              fillGaps,
                              randomsMultipler,
                              trials,
                              mode,
                              maxCandidates};
    for (const MObject& input : inputs) CHECK_MSTATUS(attributeAffects(input, outPoints));
    return MS::kSuccess;
}

MStatus ztScatterPoints::compute(const MPlug& plug, MDataBlock& data) {
    if (plug != outPoints) return MS::kUnknownParameter;
    MStatus status;

    MDataHandle meshHandle = data.inputValue(inMesh, &status);
    if (!status) {
        reportError("ERROR getting inMesh", status);
        return status;
    }
    float r = data.inputValue(radius).asFloat();
    data.inputValue(addAll).asBool();
    data.inputValue(mode).asShort();
    MFnMesh meshFn(meshHandle.asMesh(), &status);
    if (!status) {
        MGlobal::displayError(MPlug(thisMObject(), inMesh).name() + ": please supply inMesh");
        return status;
    }

    zt::ScatterSettings settings;
    settings.phaseMap = phaseMap;
    settings.bboxMinX = data.inputValue(boundingBoxMinX).asFloat();
    settings.bboxMinY = data.inputValue(boundingBoxMinY).asFloat();
    settings.bboxMinZ = data.inputValue(boundingBoxMinZ).asFloat();
    settings.bboxMaxX = data.inputValue(boundingBoxMaxX).asFloat();
    settings.bboxMaxZ = data.inputValue(boundingBoxMaxZ).asFloat();
    settings.computeNormals = data.inputValue(computeNormal).asBool();
    settings.vertices = data.inputValue(scatterOnVertices).asBool();
    settings.borderEdges = data.inputValue(scatterOnBorderEdges).asBool();
    settings.surface = data.inputValue(scatterOnSurface).asBool();
    settings.fillGaps = data.inputValue(fillGaps).asBool();

    MDataHandle outHandle = data.outputValue(outPoints, &status);
    if (!status) {
        reportError("ERROR in hOutArray = block.outputArrayValue.\n", status);
        return status;
    }
    MFnArrayAttrsData output;
    MObject outputData = zt::createOutputPointSet(output, status);
    if (!status) return status;

    if (!settings.vertices && !settings.borderEdges && !settings.surface) {
        status = outHandle.set(outputData);
        if (!status) {
            reportError("ERROR\n", status);
            return status;
        }
        data.setClean(plug);
        return MS::kSuccess;
    }

    // Mesh vertices, read before the box is judged: a box of zeros is the
    // right box for a mesh collapsed onto the origin.
    MFloatPointArray meshPoints;
    status = meshFn.getPoints(meshPoints, MSpace::kObject);
    if (!status) {
        reportError("ERROR meshFn.getPoints", status);
        return status;
    }
    std::vector<float> points(3u * static_cast<std::size_t>(meshPoints.length()));
    for (unsigned int i = 0; i < meshPoints.length(); ++i) {
        points[3u * i] = meshPoints[i].x;
        points[3u * i + 1] = meshPoints[i].y;
        points[3u * i + 2] = meshPoints[i].z;
    }
    const Bounds meshBounds = boundsOf(points);

    if (settings.bboxMinX == 0.0f && settings.bboxMinY == 0.0f && settings.bboxMinZ == 0.0f &&
        settings.bboxMaxX == 0.0f && settings.bboxMaxZ == 0.0f) {
        bool meshAtOrigin = allFinite(points);
        for (int axis = 0; axis < 3; ++axis)
            meshAtOrigin =
                meshAtOrigin && meshBounds.lo[axis] == 0.0f && meshBounds.hi[axis] == 0.0f;
        if (meshAtOrigin) {
            // All vertices coincide: no area to scatter on, which is not an
            // error; the output keeps what it held.
            data.setClean(plug);
            return MS::kSuccess;
        }
        const MString boxName = MPlug(thisMObject(), boundingBox).name();
        MGlobal::displayError(boxName + ": plug-in bounding box attribute or type: dgdirty " +
                              boxName + " in command line if bbox already connected");
        return MS::kFailure;
    }
    const float box[] = {settings.bboxMinX, settings.bboxMinY, settings.bboxMinZ, settings.bboxMaxX,
                         settings.bboxMaxZ};
    for (const float value : box) {
        if (!std::isfinite(value)) {
            MGlobal::displayError(MPlug(thisMObject(), boundingBox).name() +
                                  ": the bounding box holds a value that is not a finite number");
            return MS::kFailure;
        }
    }
    if (!std::isfinite(r) || r <= 0.0f) {
        MGlobal::displayError(MPlug(thisMObject(), radius).name() +
                              ": the radius must be a positive finite number");
        return MS::kFailure;
    }
    if (r < kMinimumRadius) {
        char text[96];
        std::snprintf(text, sizeof text, ": radius %g is below the minimum %g; %g is used",
                      static_cast<double>(r), static_cast<double>(kMinimumRadius),
                      static_cast<double>(kMinimumRadius));
        MGlobal::displayWarning(MPlug(thisMObject(), radius).name() + text);
        r = kMinimumRadius;
    }
    settings.radius = r;

    const int seedValue = data.inputValue(seed).asInt();
    const int multiplier = data.inputValue(randomsMultipler).asInt();
    const int trialValue = data.inputValue(trials).asInt();
    settings.seed = static_cast<unsigned int>(seedValue);
    settings.randomsMultiplier = static_cast<unsigned int>(multiplier < 1 ? 1 : multiplier);
    settings.trials = trialValue <= 0 ? 1u : static_cast<unsigned int>(trialValue);
    const int cap = data.inputValue(maxCandidates).asInt();
    settings.maxCandidates = cap < 1 ? 1u : static_cast<unsigned int>(cap);

    MVectorArray positions = output.vectorArray(zt::channels::kPosition, &status);
    if (!status) {
        reportError("ERROR in fnArrayAttrsData.vectorArray(position).\n", status);
        return status;
    }
    MIntArray triangleIds = output.intArray(zt::channels::kTriangleId, &status);
    if (!status) {
        reportError("ERROR in fnArrayAttrsData.intArray(triID).\n", status);
        return status;
    }
    MVectorArray uvs = output.vectorArray(zt::channels::kUv, &status);
    if (!status) {
        reportError("ERROR in fnArrayAttrsData.vectorArray(uv).\n", status);
        return status;
    }
    MIntArray pointIds = output.intArray(zt::channels::kPointId, &status);
    if (!status) {
        cerr << endl << status.errorString() << endl;
        return status;
    }
    if (settings.computeNormals) {
        output.vectorArray(zt::channels::kNormal, &status);
        if (!status) {
            reportError("ERROR in fnArrayAttrsData.vectorArray(normal)\n", status);
            return status;
        }
    }

    if (!allFinite(points)) {
        MGlobal::displayError(MPlug(thisMObject(), inMesh).name() +
                              ": the mesh has vertex positions that are not finite numbers");
        return MS::kFailure;
    }
    if (!areaFitsInFloat(meshBounds)) {
        MGlobal::displayError(MPlug(thisMObject(), inMesh).name() +
                              ": the mesh is too large to scatter on (its extent squared "
                              "exceeds the single-precision range)");
        return MS::kFailure;
    }

    // A box that is inverted, or that leaves the whole mesh outside (below
    // its minimum on any axis, or beyond its maximum in x or z; the grid is
    // unbounded upwards), gives no points.
    const bool inverted =
        settings.bboxMaxX < settings.bboxMinX || settings.bboxMaxZ < settings.bboxMinZ;
    const bool disjoint =
        meshBounds.hi[0] < settings.bboxMinX || meshBounds.lo[0] > settings.bboxMaxX ||
        meshBounds.hi[1] < settings.bboxMinY || meshBounds.hi[2] < settings.bboxMinZ ||
        meshBounds.lo[2] > settings.bboxMaxZ;
    if (inverted || disjoint) {
        MGlobal::displayWarning(
            MPlug(thisMObject(), boundingBox).name() +
            (inverted ? ": the bounding box is inverted (a maximum below its minimum)"
                      : ": the bounding box does not overlap the mesh") +
            "; the output has no points");
        status = outHandle.set(outputData);
        if (!status) {
            reportError("ERROR\n", status);
            return status;
        }
        data.setClean(plug);
        return MS::kSuccess;
    }
    // Mesh: vertex positions as floats, triangles in getTriangles order.
    MIntArray triangleCounts, triangleVertices;
    CHECK_MSTATUS(meshFn.getTriangles(triangleCounts, triangleVertices));
    const std::vector<unsigned int> triangles = zt::toUnsigned(triangleVertices);
    data.inputValue(partial).asBool();
    if (!(totalArea(points, triangles) <= std::numeric_limits<float>::max())) {
        MGlobal::displayError(MPlug(thisMObject(), inMesh).name() +
                              ": the mesh's area exceeds the single-precision range");
        return MS::kFailure;
    }

    zt::ScatterMesh mesh;
    mesh.points = points.data();
    mesh.pointCount = meshPoints.length();
    mesh.triangles = triangles.data();
    mesh.triangleCount = triangles.size() / 3;

    zt::ScatterResult result;
    zt::KernelStatus kernelStatus = zt::KernelStatus::Ok;
    {
        zt::ComputeProgress progress(name(), kProgressCandidates);
        settings.progress = &zt::ComputeProgress::reportTo;
        settings.progressContext = &progress;
        kernelStatus =
            zt::scatterPoints(mesh, settings, result, zt::CpuSelection::kStreaming, nullptr);
    }
    if (result.reachedCandidateCap) {
        MGlobal::displayWarning("Reached maximum randoms number, undersampling can occur");
    }
    if (kernelStatus == zt::KernelStatus::Interrupted) {
        MGlobal::displayError(MPlug(thisMObject(), outPoints).name() +
                              ": scatter interrupted; the output keeps its previous points");
        return MS::kFailure;
    }
    if (kernelStatus == zt::KernelStatus::NotEnoughMemory) {
        MGlobal::displayError("Not enough memory on GPU");
        return MS::kFailure;
    }
    if (!zt::succeeded(kernelStatus)) return MS::kFailure;
    if (result.meshHasNoArea) {
        // Not an error: the output keeps what it held.
        data.setClean(plug);
        return MS::kSuccess;
    }
    if (!allFinite(result.positions) || !allFinite(result.uvs) || !allFinite(result.normals)) {
        MGlobal::displayError(MPlug(thisMObject(), outPoints).name() +
                              ": the scatter produced values that are not finite numbers; the "
                              "output keeps its previous points");
        return MS::kFailure;
    }

    const unsigned int count = static_cast<unsigned int>(result.triangleIds.size());
    positions.setLength(count);
    uvs.setLength(count);
    triangleIds.setLength(count);
    pointIds.setLength(count);
    for (unsigned int i = 0; i < count; ++i) {
        positions[i] = MVector(result.positions[3u * i], result.positions[3u * i + 1],
                               result.positions[3u * i + 2]);
        uvs[i] = MVector(result.uvs[2u * i], result.uvs[2u * i + 1], 0.0);
        triangleIds[i] = static_cast<int>(result.triangleIds[i]);
        pointIds[i] = static_cast<int>(i);
    }
    if (settings.computeNormals) {
        MVectorArray normals = output.vectorArray(zt::channels::kNormal);
        normals.setLength(count);
        for (unsigned int i = 0; i < count; ++i) {
            normals[i] = MVector(result.normals[3u * i], result.normals[3u * i + 1],
                                 result.normals[3u * i + 2]);
        }
    }

    status = outHandle.set(outputData);
    if (!status) {
        reportError("ERROR\n", status);
        return status;
    }
    data.setClean(plug);
    return MS::kSuccess;
}
