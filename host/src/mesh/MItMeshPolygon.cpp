#include <maya/MItMeshPolygon.h>

#include "mesh/meshData.h"

using zt::host::MeshDataImpl;
using zt::host::MeshGeometry;
using zt::host::ObjectAccess;

namespace {

void setStatus(MStatus* s, MStatus value) {
    if (s) *s = value;
}

const MeshGeometry* geometryOf(const MObject& data) {
    auto impl = ObjectAccess::as<MeshDataImpl>(data);
    return impl ? &impl->geometry : nullptr;
}

MMatrix worldOf(const MDagPath& path, MSpace::Space space) {
    return space == MSpace::kWorld && path.isValid() ? path.inclusiveMatrix() : MMatrix();
}

const zt::host::UVSet* uvSetOf(const MeshGeometry& m, const MString* name) {
    const std::string n = name ? name->asChar() : "";
    return m.findUVSet(n.empty() ? m.currentUVSetName() : n);
}

}  // namespace

MItMeshPolygon::MItMeshPolygon(const MObject& polyObject, MStatus* ReturnStatus) {
    setStatus(ReturnStatus, attach(polyObject));
}

MItMeshPolygon::MItMeshPolygon(const MDagPath& polyObject, MObject& component,
                               MStatus* ReturnStatus) {
    if (!component.isNull()) {
        setStatus(ReturnStatus, MS::kNotImplemented);
        return;
    }
    MStatus status = attach(polyObject.node());
    if (status) fPath = polyObject;
    setStatus(ReturnStatus, status);
}

MItMeshPolygon::~MItMeshPolygon() = default;

MStatus MItMeshPolygon::attach(const MObject& mesh) {
    MObject data;
    if (!zt::host::meshGeometryOf(mesh, data)) return MS::kInvalidParameter;
    fMesh = mesh;
    fData = data;
    fIndex = 0;
    if (mesh.hasFn(MFn::kMesh)) MDagPath::getAPathTo(mesh, fPath);
    return MS::kSuccess;
}

bool MItMeshPolygon::isDone(MStatus* ReturnStatus) {
    const MeshGeometry* m = geometryOf(fData);
    setStatus(ReturnStatus, m ? MS::kSuccess : MS::kFailure);
    return !m || fIndex >= m->numFaces();
}

MStatus MItMeshPolygon::next() {
    if (!geometryOf(fData)) return MS::kFailure;
    ++fIndex;
    return MS::kSuccess;
}

MStatus MItMeshPolygon::reset() {
    if (fMesh.isNull()) return MS::kFailure;
    return attach(fMesh);
}

unsigned int MItMeshPolygon::count(MStatus* ReturnStatus) {
    const MeshGeometry* m = geometryOf(fData);
    setStatus(ReturnStatus, m ? MS::kSuccess : MS::kFailure);
    return m ? static_cast<unsigned>(m->numFaces()) : 0u;
}

unsigned int MItMeshPolygon::index(MStatus* ReturnStatus) {
    setStatus(ReturnStatus, geometryOf(fData) ? MS::kSuccess : MS::kFailure);
    return static_cast<unsigned>(fIndex);
}

MStatus MItMeshPolygon::setIndex(int index, int& prevIndex) {
    const MeshGeometry* m = geometryOf(fData);
    if (!m) return MS::kFailure;
    if (index < 0 || index >= m->numFaces()) return MS::kInvalidParameter;
    prevIndex = fIndex;
    fIndex = index;
    return MS::kSuccess;
}

unsigned int MItMeshPolygon::polygonVertexCount(MStatus* ReturnStatus) {
    const MeshGeometry* m = geometryOf(fData);
    if (!m || fIndex >= m->numFaces()) {
        setStatus(ReturnStatus, MS::kFailure);
        return 0;
    }
    setStatus(ReturnStatus, MS::kSuccess);
    return static_cast<unsigned>(m->faceVertexCount(fIndex));
}

unsigned int MItMeshPolygon::vertexIndex(int index, MStatus* ReturnStatus) {
    const MeshGeometry* m = geometryOf(fData);
    if (!m || fIndex >= m->numFaces() || index < 0 || index >= m->faceVertexCount(fIndex)) {
        setStatus(ReturnStatus, MS::kInvalidParameter);
        return 0;
    }
    setStatus(ReturnStatus, MS::kSuccess);
    return static_cast<unsigned>(m->faceVertex(fIndex, index));
}

MStatus MItMeshPolygon::getVertices(MIntArray& vertices) {
    const MeshGeometry* m = geometryOf(fData);
    if (!m || fIndex >= m->numFaces()) return MS::kFailure;
    const int n = m->faceVertexCount(fIndex);
    vertices.setLength(static_cast<unsigned>(n));
    for (int k = 0; k < n; ++k) vertices[static_cast<unsigned>(k)] = m->faceVertex(fIndex, k);
    return MS::kSuccess;
}

bool MItMeshPolygon::hasUVs(MStatus* ReturnStatus) const {
    return hasUVs(MString(), ReturnStatus);
}

bool MItMeshPolygon::hasUVs(const MString& uvSet, MStatus* ReturnStatus) const {
    const MeshGeometry* m = geometryOf(fData);
    if (!m || fIndex >= m->numFaces()) {
        setStatus(ReturnStatus, MS::kFailure);
        return false;
    }
    const zt::host::UVSet* s = uvSetOf(*m, &uvSet);
    setStatus(ReturnStatus, s ? MS::kSuccess : MS::kInvalidParameter);
    if (!s) return false;
    for (int k = 0; k < m->faceVertexCount(fIndex); ++k) {
        if (s->cornerUVs[static_cast<std::size_t>(m->faceOffset(fIndex) + k)] < 0) return false;
    }
    return true;
}

MStatus MItMeshPolygon::getUVIndex(int vertex, int& index, const MString* uvSet) {
    const MeshGeometry* m = geometryOf(fData);
    if (!m || fIndex >= m->numFaces()) return MS::kFailure;
    const zt::host::UVSet* s = uvSetOf(*m, uvSet);
    if (!s || vertex < 0 || vertex >= m->faceVertexCount(fIndex)) return MS::kInvalidParameter;
    const int id = s->cornerUVs[static_cast<std::size_t>(m->faceOffset(fIndex) + vertex)];
    if (id < 0) return MS::kFailure;
    index = id;
    return MS::kSuccess;
}

MStatus MItMeshPolygon::getUV(int vertexId, float2& uvPoint, const MString* uvSet) const {
    const MeshGeometry* m = geometryOf(fData);
    if (!m || fIndex >= m->numFaces()) return MS::kFailure;
    const zt::host::UVSet* s = uvSetOf(*m, uvSet);
    if (!s || vertexId < 0 || vertexId >= m->faceVertexCount(fIndex)) {
        return MS::kInvalidParameter;
    }
    const int id = s->cornerUVs[static_cast<std::size_t>(m->faceOffset(fIndex) + vertexId)];
    if (id < 0) return MS::kFailure;  // no UV at this corner; uvPoint is left as it was
    uvPoint[0] = s->u[static_cast<std::size_t>(id)];
    uvPoint[1] = s->v[static_cast<std::size_t>(id)];
    return MS::kSuccess;
}

MStatus MItMeshPolygon::getUVs(MFloatArray& uArray, MFloatArray& vArray,
                               const MString* uvSet) const {
    const MeshGeometry* m = geometryOf(fData);
    if (!m || fIndex >= m->numFaces()) return MS::kFailure;
    const int n = m->faceVertexCount(fIndex);
    uArray.setLength(static_cast<unsigned>(n));
    vArray.setLength(static_cast<unsigned>(n));
    for (int k = 0; k < n; ++k) {
        float2 uv = {0.f, 0.f};
        MStatus status = getUV(k, uv, uvSet);
        if (!status) return status;
        uArray[static_cast<unsigned>(k)] = uv[0];
        vArray[static_cast<unsigned>(k)] = uv[1];
    }
    return MS::kSuccess;
}

MStatus MItMeshPolygon::numTriangles(int& count) const {
    const MeshGeometry* m = geometryOf(fData);
    if (!m || fIndex >= m->numFaces()) return MS::kFailure;
    count = m->faceVertexCount(fIndex) - 2;
    return MS::kSuccess;
}

MStatus MItMeshPolygon::getTriangle(int localTriIndex, MPointArray& points, MIntArray& vertexList,
                                    MSpace::Space space) const {
    const MeshGeometry* m = geometryOf(fData);
    if (!m || fIndex >= m->numFaces()) return MS::kFailure;
    const auto corners = zt::host::polygonTriangleCorners(*m, fIndex);
    if (localTriIndex < 0 || localTriIndex >= static_cast<int>(corners.size())) {
        return MS::kInvalidParameter;
    }
    const MMatrix matrix = worldOf(fPath, space);
    points.setLength(3);
    vertexList.setLength(3);
    for (unsigned k = 0; k < 3; ++k) {
        const int v = m->faceVertex(fIndex, corners[static_cast<std::size_t>(localTriIndex)][k]);
        const zt::host::Vec3 p = m->point(v);
        points[k] = MPoint(p.x, p.y, p.z) * matrix;
        vertexList[k] = v;
    }
    return MS::kSuccess;
}

MPoint MItMeshPolygon::center(MSpace::Space space, MStatus* ReturnStatus) {
    const MeshGeometry* m = geometryOf(fData);
    if (!m || fIndex >= m->numFaces()) {
        setStatus(ReturnStatus, MS::kFailure);
        return MPoint();
    }
    const int n = m->faceVertexCount(fIndex);
    double x = 0, y = 0, z = 0;
    for (int k = 0; k < n; ++k) {
        const zt::host::Vec3 p = m->point(m->faceVertex(fIndex, k));
        x += p.x;
        y += p.y;
        z += p.z;
    }
    setStatus(ReturnStatus, MS::kSuccess);
    return MPoint(x / n, y / n, z / n) * worldOf(fPath, space);
}

MStatus MItMeshPolygon::getNormal(MVector& normal, MSpace::Space space) const {
    const MeshGeometry* m = geometryOf(fData);
    if (!m || fIndex >= m->numFaces()) return MS::kFailure;
    const zt::host::Vec3 n = zt::host::polygonNormal(*m, fIndex);
    normal = MVector(n.x, n.y, n.z);
    const MMatrix matrix = worldOf(fPath, space);
    if (!(matrix == MMatrix())) normal = (normal * matrix.inverse().transpose()).normal();
    return MS::kSuccess;
}
