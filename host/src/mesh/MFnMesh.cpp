// MFnMesh, MFnMeshData and MFnGeometryData over the host's mesh geometry.

#include <maya/MFnGeometryData.h>
#include <maya/MFnMesh.h>
#include <maya/MFnMeshData.h>
#include <maya/MGlobal.h>

#include <algorithm>
#include <cmath>

#include "graph/fnConstructors.h"
#include "graph/scene.h"
#include "mesh/meshData.h"
#include "mesh/meshNode.h"

using zt::host::MeshDataImpl;
using zt::host::MeshGeometry;
using zt::host::ObjectAccess;

namespace {

void setStatus(MStatus* s, MStatus value) {
    if (s) *s = value;
}

bool isMeshObject(const MObject& object) {
    return !object.isNull() && (object.hasFn(MFn::kMeshData) || object.hasFn(MFn::kMesh));
}

// The geometry behind a function set's object, or null with a failure status.
const MeshGeometry* readMesh(const MObject& object, MObject& keepAlive, MStatus* status) {
    const MeshGeometry* mesh = zt::host::meshGeometryOf(object, keepAlive);
    setStatus(status, mesh ? MStatus(MS::kSuccess) : MStatus(MS::kInvalidParameter));
    return mesh;
}

// Runs an edit; failures are reported as errors, as the host reports API
// misuse, and returned as the status.
MStatus edit(const MObject& object, const std::function<void(MeshGeometry&)>& change) {
    std::string error;
    MStatus status = zt::host::editMeshGeometry(object, change, &error);
    if (!status && !error.empty()) MGlobal::displayError(MString("MFnMesh: ") + error.c_str());
    return status;
}

bool validVertex(const MeshGeometry& m, int v) {
    return v >= 0 && v < m.numVertices();
}
bool validFace(const MeshGeometry& m, int f) {
    return f >= 0 && f < m.numFaces();
}

std::string setNameOf(const MString* name) {
    return name ? std::string(name->asChar()) : "";
}

// A UV set by name (null/empty: the current one), or null when missing.
const zt::host::UVSet* findUVSet(const MeshGeometry& m, const MString* name) {
    const std::string n = setNameOf(name);
    return m.findUVSet(n.empty() ? m.currentUVSetName() : n);
}

const zt::host::ColorSet* findColorSet(const MeshGeometry& m, const MString* name) {
    const std::string n = setNameOf(name);
    return m.findColorSet(n.empty() ? m.currentColorSetName() : n);
}

MColor toColor(const std::array<float, 4>& c) {
    return MColor(c[0], c[1], c[2], c[3]);
}

// The first free name of the form base, base1, base2... among the sets.
std::string freeColorSetName(const MeshGeometry& m, const std::string& wanted) {
    if (!m.findColorSet(wanted)) return wanted;
    std::size_t digits = wanted.size();
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(wanted[digits - 1]))) --digits;
    const std::string base = wanted.substr(0, digits);
    for (int i = 1;; ++i) {
        const std::string candidate = base + std::to_string(i);
        if (!m.findColorSet(candidate)) return candidate;
    }
}

MStatus buildMesh(MFnMesh& fn, MObject& fObjectOut, MDagPath& path, int numVertices,
                  int numPolygons, const MFloatPointArray& vertexArray,
                  const MIntArray& polygonCounts, const MIntArray& polygonConnects,
                  const MFloatArray* u, const MFloatArray* v, MObject& parentOrOwner,
                  MObject& result) {
    if (numVertices < 0 || static_cast<unsigned>(numVertices) > vertexArray.length() ||
        numPolygons < 0 || static_cast<unsigned>(numPolygons) != polygonCounts.length()) {
        MGlobal::displayError(
            "MFnMesh::create: the vertex or polygon count does not match the "
            "arrays given");
        return MS::kInvalidParameter;
    }
    std::vector<float> points;
    points.reserve(3 * static_cast<std::size_t>(numVertices));
    for (int i = 0; i < numVertices; ++i) {
        const MFloatPoint& p = vertexArray[static_cast<unsigned>(i)];
        points.insert(points.end(), {p.x, p.y, p.z});
    }
    std::vector<int> counts(polygonCounts.length()), connects(polygonConnects.length());
    for (unsigned i = 0; i < polygonCounts.length(); ++i) counts[i] = polygonCounts[i];
    for (unsigned i = 0; i < polygonConnects.length(); ++i) connects[i] = polygonConnects[i];

    MeshGeometry geometry;
    try {
        geometry = MeshGeometry(std::move(points), std::move(counts), std::move(connects));
        if (u && v) {
            if (u->length() != v->length() ||
                u->length() != static_cast<unsigned>(geometry.numFaceVertices())) {
                throw zt::host::MeshError("expected one u and one v value per face vertex (" +
                                          std::to_string(geometry.numFaceVertices()) + ")");
            }
            std::vector<float> us(u->length()), vs(v->length());
            std::vector<int> ids(u->length());
            for (unsigned i = 0; i < u->length(); ++i) {
                us[i] = (*u)[i];
                vs[i] = (*v)[i];
                ids[i] = static_cast<int>(i);
            }
            geometry.setUVs(MeshGeometry::kDefaultUVSetName, std::move(us), std::move(vs),
                            std::move(ids));
        }
        zt::host::validateMesh(geometry);
    } catch (const zt::host::MeshError& e) {
        MGlobal::displayError(MString("MFnMesh::create: ") + e.what());
        return MS::kInvalidParameter;
    }

    if (auto data = ObjectAccess::as<MeshDataImpl>(parentOrOwner)) {
        data->geometry = std::move(geometry);
        result = parentOrOwner;
        fObjectOut = parentOrOwner;
        path = MDagPath();
        return MS::kSuccess;
    }
    MStatus status;
    if (parentOrOwner.isNull()) {
        try {
            const auto created = zt::host::createMeshNode("polySurface#", std::move(geometry));
            result = created.transform;
            fObjectOut = created.shape;
        } catch (const zt::host::MeshError& e) {
            MGlobal::displayError(MString("MFnMesh::create: ") + e.what());
            return MS::kFailure;
        }
    } else if (parentOrOwner.hasFn(MFn::kTransform)) {
        MObject shape =
            zt::host::createNode(zt::host::MeshNode::kTypeName, "", parentOrOwner, &status);
        if (!status) return status;
        status = MPlug(shape, zt::host::MeshNode::cachedInMesh)
                     .setValue(zt::host::makeMeshData(std::move(geometry)));
        if (!status) return status;
        result = shape;
        fObjectOut = shape;
    } else {
        MGlobal::displayError(
            "MFnMesh::create: parentOrOwner must be mesh data, a transform or "
            "null");
        return MS::kInvalidParameter;
    }
    MDagPath::getAPathTo(fObjectOut, path);
    return MS::kSuccess;
}

}  // namespace

// ---- MFnGeometryData, MFnMeshData -------------------------------------------

ZT_DEFINE_MFN_CONSTRUCTORS(MFnGeometryData, MFn::kGeometryData)
ZT_DEFINE_MFN_CONSTRUCTORS(MFnMeshData, MFn::kMeshData)

MObject MFnMeshData::create(MStatus* ReturnStatus) {
    MObject object = zt::host::makeMeshData(MeshGeometry());
    setStatus(ReturnStatus, attach(object));
    return object;
}

// ---- MFnMesh: attaching ------------------------------------------------------

MFnMesh::MFnMesh() = default;
MFnMesh::MFnMesh(MObject& object, MStatus* ReturnStatus) {
    setStatus(ReturnStatus, setObject(object));
}
MFnMesh::MFnMesh(const MObject& object, MStatus* ReturnStatus) {
    setStatus(ReturnStatus, setObject(object));
}
MFnMesh::MFnMesh(const MDagPath& object, MStatus* ReturnStatus) {
    setStatus(ReturnStatus, setObject(object));
}
MFnMesh::~MFnMesh() = default;
MFn::Type MFnMesh::type() const {
    return MFn::kMesh;
}
const char* MFnMesh::className() {
    return "MFnMesh";
}

MStatus MFnMesh::setObject(MObject& object) {
    return setObject(static_cast<const MObject&>(object));
}

MStatus MFnMesh::setObject(const MObject& object) {
    fReadData = MObject();
    fPath = MDagPath();
    if (!isMeshObject(object)) {
        fObject = MObject();
        return MS::kInvalidParameter;
    }
    fObject = object;
    if (object.hasFn(MFn::kMesh)) MDagPath::getAPathTo(object, fPath);
    return MS::kSuccess;
}

MStatus MFnMesh::setObject(const MDagPath& path) {
    MStatus status = setObject(path.node());
    if (status) fPath = path;
    return status;
}

// ---- MFnMesh: creating -------------------------------------------------------

MObject MFnMesh::create(int numVertices, int numPolygons, const MFloatPointArray& vertexArray,
                        const MIntArray& polygonCounts, const MIntArray& polygonConnects,
                        MObject& parentOrOwner, MStatus* ReturnStatus) {
    MObject result;
    fReadData = MObject();
    setStatus(ReturnStatus,
              buildMesh(*this, fObject, fPath, numVertices, numPolygons, vertexArray, polygonCounts,
                        polygonConnects, nullptr, nullptr, parentOrOwner, result));
    return result;
}

MObject MFnMesh::create(int numVertices, int numPolygons, const MFloatPointArray& vertexArray,
                        const MIntArray& polygonCounts, const MIntArray& polygonConnects,
                        const MFloatArray& uArray, const MFloatArray& vArray,
                        MObject& parentOrOwner, MStatus* ReturnStatus) {
    MObject result;
    fReadData = MObject();
    setStatus(ReturnStatus,
              buildMesh(*this, fObject, fPath, numVertices, numPolygons, vertexArray, polygonCounts,
                        polygonConnects, &uArray, &vArray, parentOrOwner, result));
    return result;
}

// ---- MFnMesh: topology -------------------------------------------------------

int MFnMesh::numVertices(MStatus* ReturnStatus) const {
    const MeshGeometry* m = readMesh(fObject, fReadData, ReturnStatus);
    return m ? m->numVertices() : 0;
}

int MFnMesh::numEdges(MStatus* ReturnStatus) const {
    const MeshGeometry* m = readMesh(fObject, fReadData, ReturnStatus);
    return m ? static_cast<int>(zt::host::meshEdges(*m).size()) : 0;
}

int MFnMesh::numPolygons(MStatus* ReturnStatus) const {
    const MeshGeometry* m = readMesh(fObject, fReadData, ReturnStatus);
    return m ? m->numFaces() : 0;
}

int MFnMesh::numFaceVertices(MStatus* ReturnStatus) const {
    const MeshGeometry* m = readMesh(fObject, fReadData, ReturnStatus);
    return m ? m->numFaceVertices() : 0;
}

int MFnMesh::polygonVertexCount(int polygonId, MStatus* ReturnStatus) const {
    const MeshGeometry* m = readMesh(fObject, fReadData, ReturnStatus);
    if (!m) return 0;
    if (!validFace(*m, polygonId)) {
        setStatus(ReturnStatus, MS::kInvalidParameter);
        return 0;
    }
    return m->faceVertexCount(polygonId);
}

MStatus MFnMesh::getTriangles(MIntArray& triangleCounts, MIntArray& triangleVertices) const {
    MStatus status;
    const MeshGeometry* m = readMesh(fObject, fReadData, &status);
    if (!m) return status;
    const zt::host::Triangulation t = zt::host::triangulate(*m);
    triangleCounts.setLength(static_cast<unsigned>(t.counts.size()));
    for (std::size_t i = 0; i < t.counts.size(); ++i) {
        triangleCounts[static_cast<unsigned>(i)] = t.counts[i];
    }
    triangleVertices.setLength(static_cast<unsigned>(t.vertices.size()));
    for (std::size_t i = 0; i < t.vertices.size(); ++i) {
        triangleVertices[static_cast<unsigned>(i)] = t.vertices[i];
    }
    return MS::kSuccess;
}

MStatus MFnMesh::getVertices(MIntArray& vertexCount, MIntArray& vertexList) const {
    MStatus status;
    const MeshGeometry* m = readMesh(fObject, fReadData, &status);
    if (!m) return status;
    vertexCount.setLength(static_cast<unsigned>(m->numFaces()));
    for (int f = 0; f < m->numFaces(); ++f) {
        vertexCount[static_cast<unsigned>(f)] = m->faceVertexCount(f);
    }
    vertexList.setLength(static_cast<unsigned>(m->numFaceVertices()));
    for (int i = 0; i < m->numFaceVertices(); ++i) {
        vertexList[static_cast<unsigned>(i)] = m->faceVertices()[static_cast<std::size_t>(i)];
    }
    return MS::kSuccess;
}

MStatus MFnMesh::getPolygonVertices(int polygonId, MIntArray& vertexList) const {
    MStatus status;
    const MeshGeometry* m = readMesh(fObject, fReadData, &status);
    if (!m) return status;
    if (!validFace(*m, polygonId)) return MS::kInvalidParameter;
    const int n = m->faceVertexCount(polygonId);
    vertexList.setLength(static_cast<unsigned>(n));
    for (int k = 0; k < n; ++k) vertexList[static_cast<unsigned>(k)] = m->faceVertex(polygonId, k);
    return MS::kSuccess;
}

MStatus MFnMesh::getPolygonTriangleVertices(int polygonId, int triangleId,
                                            int triangleVertices[3]) const {
    MStatus status;
    const MeshGeometry* m = readMesh(fObject, fReadData, &status);
    if (!m) return status;
    if (!validFace(*m, polygonId)) return MS::kInvalidParameter;
    const auto corners = zt::host::polygonTriangleCorners(*m, polygonId);
    if (triangleId < 0 || triangleId >= static_cast<int>(corners.size())) {
        return MS::kInvalidParameter;
    }
    for (int k = 0; k < 3; ++k) {
        triangleVertices[k] = m->faceVertex(
            polygonId, corners[static_cast<std::size_t>(triangleId)][static_cast<std::size_t>(k)]);
    }
    return MS::kSuccess;
}

MStatus MFnMesh::getEdgeVertices(int edgeId, int2& vertexList) const {
    MStatus status;
    const MeshGeometry* m = readMesh(fObject, fReadData, &status);
    if (!m) return status;
    const auto edges = zt::host::meshEdges(*m);
    if (edgeId < 0 || edgeId >= static_cast<int>(edges.size())) return MS::kInvalidParameter;
    vertexList[0] = edges[static_cast<std::size_t>(edgeId)].first;
    vertexList[1] = edges[static_cast<std::size_t>(edgeId)].second;
    return MS::kSuccess;
}

// ---- MFnMesh: points and normals ----------------------------------------------

namespace {

MMatrix spaceMatrix(const MDagPath& path, MSpace::Space space) {
    if (space != MSpace::kWorld || !path.isValid()) return MMatrix();
    return path.inclusiveMatrix();
}

MPoint toPoint(const zt::host::Vec3& p) {
    return MPoint(p.x, p.y, p.z);
}

template <class PointArray, class Point>
MStatus writePoints(const MObject& object, const MDagPath& path, MSpace::Space space,
                    const PointArray& points) {
    const MMatrix toObject = spaceMatrix(path, space).inverse();
    const bool identity = toObject == MMatrix();
    return edit(object, [&](MeshGeometry& m) {
        if (points.length() != static_cast<unsigned>(m.numVertices())) {
            throw zt::host::MeshError("setPoints: " + std::to_string(points.length()) +
                                      " points given for " + std::to_string(m.numVertices()) +
                                      " vertices");
        }
        std::vector<float> flat(3 * points.length());
        for (unsigned i = 0; i < points.length(); ++i) {
            MPoint p(points[i]);
            if (!identity) p = p * toObject;
            flat[3 * i] = static_cast<float>(p.x);
            flat[3 * i + 1] = static_cast<float>(p.y);
            flat[3 * i + 2] = static_cast<float>(p.z);
        }
        m.setPoints(std::move(flat));
    });
}

}  // namespace

MStatus MFnMesh::getPoints(MFloatPointArray& vertexArray, MSpace::Space space) const {
    MStatus status;
    const MeshGeometry* m = readMesh(fObject, fReadData, &status);
    if (!m) return status;
    const MMatrix matrix = spaceMatrix(fPath, space);
    const bool identity = matrix == MMatrix();
    vertexArray.setLength(static_cast<unsigned>(m->numVertices()));
    for (int v = 0; v < m->numVertices(); ++v) {
        MPoint p = toPoint(m->point(v));
        if (!identity) p = p * matrix;
        vertexArray[static_cast<unsigned>(v)] = MFloatPoint(p);
    }
    return MS::kSuccess;
}

MStatus MFnMesh::getPoints(MPointArray& vertexArray, MSpace::Space space) const {
    MStatus status;
    const MeshGeometry* m = readMesh(fObject, fReadData, &status);
    if (!m) return status;
    const MMatrix matrix = spaceMatrix(fPath, space);
    vertexArray.setLength(static_cast<unsigned>(m->numVertices()));
    for (int v = 0; v < m->numVertices(); ++v) {
        vertexArray[static_cast<unsigned>(v)] = toPoint(m->point(v)) * matrix;
    }
    return MS::kSuccess;
}

MStatus MFnMesh::getPoint(int vertexId, MPoint& pos, MSpace::Space space) const {
    MStatus status;
    const MeshGeometry* m = readMesh(fObject, fReadData, &status);
    if (!m) return status;
    if (!validVertex(*m, vertexId)) return MS::kInvalidParameter;
    pos = toPoint(m->point(vertexId)) * spaceMatrix(fPath, space);
    return MS::kSuccess;
}

MStatus MFnMesh::getPolygonNormal(int polygonId, MVector& normal, MSpace::Space space) const {
    MStatus status;
    const MeshGeometry* m = readMesh(fObject, fReadData, &status);
    if (!m) return status;
    if (!validFace(*m, polygonId)) return MS::kInvalidParameter;
    const zt::host::Vec3 n = zt::host::polygonNormal(*m, polygonId);
    normal = MVector(n.x, n.y, n.z);
    const MMatrix matrix = spaceMatrix(fPath, space);
    if (!(matrix == MMatrix())) {
        // Normals transform by the inverse transpose to stay perpendicular.
        normal = (normal * matrix.inverse().transpose()).normal();
    }
    return MS::kSuccess;
}

MStatus MFnMesh::setPoints(const MFloatPointArray& vertexArray, MSpace::Space space) {
    fReadData = MObject();
    return writePoints<MFloatPointArray, MFloatPoint>(fObject, fPath, space, vertexArray);
}

MStatus MFnMesh::setPoints(const MPointArray& vertexArray, MSpace::Space space) {
    fReadData = MObject();
    return writePoints<MPointArray, MPoint>(fObject, fPath, space, vertexArray);
}

MStatus MFnMesh::setPoint(int vertexId, const MPoint& pos, MSpace::Space space) {
    fReadData = MObject();
    const MPoint p = pos * spaceMatrix(fPath, space).inverse();
    return edit(fObject, [&](MeshGeometry& m) { m.setPoint(vertexId, {p.x, p.y, p.z}); });
}

MBoundingBox MFnMesh::boundingBox(MStatus* ReturnStatus) const {
    const MeshGeometry* m = readMesh(fObject, fReadData, ReturnStatus);
    if (!m) return MBoundingBox();
    const zt::host::BoundingBox box = zt::host::boundingBox(*m);
    if (box.empty) return MBoundingBox();
    return MBoundingBox(toPoint(box.min), toPoint(box.max));
}

// ---- MFnMesh: UV sets --------------------------------------------------------

int MFnMesh::numUVSets(MStatus* ReturnStatus) const {
    const MeshGeometry* m = readMesh(fObject, fReadData, ReturnStatus);
    return m ? static_cast<int>(m->uvSets().size()) : 0;
}

int MFnMesh::numUVs(MStatus* ReturnStatus) const {
    const MeshGeometry* m = readMesh(fObject, fReadData, ReturnStatus);
    const zt::host::UVSet* s = m ? findUVSet(*m, nullptr) : nullptr;
    return s ? static_cast<int>(s->u.size()) : 0;
}

int MFnMesh::numUVs(const MString& uvSet, MStatus* ReturnStatus) const {
    const MeshGeometry* m = readMesh(fObject, fReadData, ReturnStatus);
    if (!m) return 0;
    const zt::host::UVSet* s = findUVSet(*m, &uvSet);
    if (!s) setStatus(ReturnStatus, MS::kInvalidParameter);
    return s ? static_cast<int>(s->u.size()) : 0;
}

MStatus MFnMesh::getUVSetNames(MStringArray& setNames) const {
    MStatus status;
    const MeshGeometry* m = readMesh(fObject, fReadData, &status);
    if (!m) return status;
    setNames.clear();
    for (const auto& s : m->uvSets()) setNames.append(s.name.c_str());
    return MS::kSuccess;
}

MStatus MFnMesh::getCurrentUVSetName(MString& setName, int) const {
    MStatus status;
    const MeshGeometry* m = readMesh(fObject, fReadData, &status);
    if (!m) return status;
    setName = m->currentUVSetName().c_str();
    return MS::kSuccess;
}

MStatus MFnMesh::getUV(int uvId, float& u, float& v, const MString* uvSet) const {
    MStatus status;
    const MeshGeometry* m = readMesh(fObject, fReadData, &status);
    if (!m) return status;
    const zt::host::UVSet* s = findUVSet(*m, uvSet);
    if (!s || uvId < 0 || uvId >= static_cast<int>(s->u.size())) return MS::kInvalidParameter;
    u = s->u[static_cast<std::size_t>(uvId)];
    v = s->v[static_cast<std::size_t>(uvId)];
    return MS::kSuccess;
}

MStatus MFnMesh::getUVs(MFloatArray& uArray, MFloatArray& vArray, const MString* uvSet) const {
    MStatus status;
    const MeshGeometry* m = readMesh(fObject, fReadData, &status);
    if (!m) return status;
    const zt::host::UVSet* s = findUVSet(*m, uvSet);
    if (!s) return MS::kInvalidParameter;
    uArray.setLength(static_cast<unsigned>(s->u.size()));
    vArray.setLength(static_cast<unsigned>(s->v.size()));
    for (std::size_t i = 0; i < s->u.size(); ++i) {
        uArray[static_cast<unsigned>(i)] = s->u[i];
        vArray[static_cast<unsigned>(i)] = s->v[i];
    }
    return MS::kSuccess;
}

MStatus MFnMesh::getPolygonUVid(int polygonId, int vertexIndex, int& uvId,
                                const MString* uvSet) const {
    MStatus status;
    const MeshGeometry* m = readMesh(fObject, fReadData, &status);
    if (!m) return status;
    const zt::host::UVSet* s = findUVSet(*m, uvSet);
    if (!s || !validFace(*m, polygonId) || vertexIndex < 0 ||
        vertexIndex >= m->faceVertexCount(polygonId)) {
        return MS::kInvalidParameter;
    }
    const int id = s->cornerUVs[static_cast<std::size_t>(m->faceOffset(polygonId) + vertexIndex)];
    if (id < 0) return MS::kFailure;  // this corner has no UV in the set
    uvId = id;
    return MS::kSuccess;
}

MStatus MFnMesh::getPolygonUV(int polygonId, int vertexIndex, float& u, float& v,
                              const MString* uvSet) const {
    int id = -1;
    MStatus status = getPolygonUVid(polygonId, vertexIndex, id, uvSet);
    if (!status) return status;
    return getUV(id, u, v, uvSet);
}

// ---- MFnMesh: colour sets ------------------------------------------------------

int MFnMesh::numColorSets(MStatus* ReturnStatus) const {
    const MeshGeometry* m = readMesh(fObject, fReadData, ReturnStatus);
    return m ? static_cast<int>(m->colorSets().size()) : 0;
}

MStatus MFnMesh::getColorSetNames(MStringArray& setNames) const {
    MStatus status;
    const MeshGeometry* m = readMesh(fObject, fReadData, &status);
    if (!m) return status;
    setNames.clear();
    for (const auto& s : m->colorSets()) setNames.append(s.name.c_str());
    return MS::kSuccess;
}

MStatus MFnMesh::getCurrentColorSetName(MString& setName, int) const {
    MStatus status;
    const MeshGeometry* m = readMesh(fObject, fReadData, &status);
    if (!m) return status;
    setName = m->currentColorSetName().c_str();
    return MS::kSuccess;
}

MStatus MFnMesh::getVertexColors(MColorArray& colors, const MString* colorSet,
                                 const MColor* defaultUnsetColor) {
    MStatus status;
    const MeshGeometry* m = readMesh(fObject, fReadData, &status);
    if (!m) return status;
    const zt::host::ColorSet* s = findColorSet(*m, colorSet);
    if (!s) return MS::kInvalidParameter;
    const MColor unset = defaultUnsetColor ? *defaultUnsetColor : MColor(-1.f, -1.f, -1.f, -1.f);
    colors.setLength(static_cast<unsigned>(m->numVertices()));
    for (int v = 0; v < m->numVertices(); ++v) {
        const std::size_t i = static_cast<std::size_t>(v);
        colors[static_cast<unsigned>(v)] = s->isSet[i] ? toColor(s->colors[i]) : unset;
    }
    return MS::kSuccess;
}

MStatus MFnMesh::getFaceVertexColors(MColorArray& colors, const MString* colorSet,
                                     const MColor* defaultUnsetColor) {
    MStatus status;
    const MeshGeometry* m = readMesh(fObject, fReadData, &status);
    if (!m) return status;
    const zt::host::ColorSet* s = findColorSet(*m, colorSet);
    if (!s) return MS::kInvalidParameter;
    const MColor unset = defaultUnsetColor ? *defaultUnsetColor : MColor(-1.f, -1.f, -1.f, -1.f);
    colors.setLength(static_cast<unsigned>(m->numFaceVertices()));
    for (int c = 0; c < m->numFaceVertices(); ++c) {
        const std::size_t v =
            static_cast<std::size_t>(m->faceVertices()[static_cast<std::size_t>(c)]);
        colors[static_cast<unsigned>(c)] = s->isSet[v] ? toColor(s->colors[v]) : unset;
    }
    return MS::kSuccess;
}

MString MFnMesh::createColorSetWithName(const MString& colorSetName, MDGModifier*, int*,
                                        MStatus* ReturnStatus) {
    fReadData = MObject();
    std::string given;
    const std::string wanted = colorSetName.length() ? colorSetName.asChar() : "colorSet1";
    MStatus status = edit(fObject, [&](MeshGeometry& m) {
        given = freeColorSetName(m, wanted);
        m.createColorSet(given);
    });
    setStatus(ReturnStatus, status);
    return status ? MString(given.c_str()) : MString();
}

MStatus MFnMesh::createColorSet(MString& colorSetName, MDGModifier* modifier, int* instance) {
    MStatus status;
    const MString given = createColorSetWithName(colorSetName, modifier, instance, &status);
    if (status) colorSetName = given;
    return status;
}

MStatus MFnMesh::setCurrentColorSetName(const MString& colorSetName, MDGModifier*, int*) {
    fReadData = MObject();
    const std::string name = colorSetName.asChar();
    return edit(fObject, [&](MeshGeometry& m) { m.setCurrentColorSet(name); });
}

MStatus MFnMesh::setVertexColors(const MColorArray& colors, const MIntArray& vertexList,
                                 MDGModifier*, MColorRepresentation rep) {
    fReadData = MObject();
    if (colors.length() != vertexList.length()) {
        MGlobal::displayError(
            "MFnMesh::setVertexColors: the colour and vertex lists differ in "
            "length");
        return MS::kInvalidParameter;
    }
    return edit(fObject, [&](MeshGeometry& m) {
        if (m.currentColorSetName().empty()) m.createColorSet("colorSet1");
        const std::string set = m.currentColorSetName();
        const zt::host::ColorSet* existing = m.findColorSet(set);
        for (unsigned i = 0; i < vertexList.length(); ++i) {
            const int v = vertexList[i];
            if (!validVertex(m, v)) {
                throw zt::host::MeshError("vertex " + std::to_string(v) +
                                          " is out of range (the mesh has " +
                                          std::to_string(m.numVertices()) + " vertices)");
            }
            std::array<float, 4> rgba = existing->isSet[static_cast<std::size_t>(v)]
                                            ? existing->colors[static_cast<std::size_t>(v)]
                                            : std::array<float, 4>{0.f, 0.f, 0.f, 1.f};
            const MColor& c = colors[i];
            if (rep != kAlpha) rgba = {c.r, c.g, c.b, rgba[3]};
            if (rep != kRGB) rgba[3] = c.a;
            m.setVertexColor(set, v, rgba);
        }
    });
}

MStatus MFnMesh::setVertexColor(const MColor& color, int vertexId, MDGModifier* modifier,
                                MColorRepresentation rep) {
    MColorArray colors;
    colors.append(color);
    MIntArray vertices;
    vertices.append(vertexId);
    return setVertexColors(colors, vertices, modifier, rep);
}
