#include <maya/MItGeometry.h>

#include <maya/MPlug.h>

#include <cmath>

#include "mesh/meshData.h"
#include "mesh/meshNode.h"

using zt::host::MeshDataImpl;
using zt::host::MeshGeometry;
using zt::host::MeshNode;
using zt::host::ObjectAccess;

namespace {

void setStatus(MStatus* s, MStatus value) {
    if (s) *s = value;
}

}  // namespace

MItGeometry::MItGeometry(const MDagPath& dagPath, MStatus* ReturnStatus) {
    MStatus status = attachNode(dagPath.node());
    if (status) fPath = dagPath;
    setStatus(ReturnStatus, status);
}

MItGeometry::MItGeometry(const MDagPath& dagPath, MObject& component, MStatus* ReturnStatus) {
    if (!component.isNull()) {
        setStatus(ReturnStatus, MS::kNotImplemented);
        return;
    }
    MStatus status = attachNode(dagPath.node());
    if (status) fPath = dagPath;
    setStatus(ReturnStatus, status);
}

MItGeometry::MItGeometry(MObject& dagObject, MStatus* ReturnStatus) {
    setStatus(ReturnStatus, attachNode(dagObject));
}

MItGeometry::MItGeometry(MDataHandle& dataHandle, unsigned int, bool readOnly,
                         MStatus* ReturnStatus) {
    setStatus(ReturnStatus, attachHandle(dataHandle, readOnly));
}

MItGeometry::MItGeometry(MDataHandle& dataHandle, bool readOnly, MStatus* ReturnStatus) {
    setStatus(ReturnStatus, attachHandle(dataHandle, readOnly));
}

MItGeometry::~MItGeometry() = default;

MStatus MItGeometry::attachNode(const MObject& node) {
    MObject data;
    if (node.isNull() || !node.hasFn(MFn::kMesh) || !zt::host::meshGeometryOf(node, data)) {
        return MS::kInvalidParameter;
    }
    fTarget = node;
    fReadOnly = false;
    MDagPath::getAPathTo(node, fPath);
    return MS::kSuccess;
}

MStatus MItGeometry::attachHandle(MDataHandle& handle, bool readOnly) {
    MObject data = handle.data();
    if (!ObjectAccess::as<MeshDataImpl>(data)) return MS::kInvalidParameter;
    fTarget = data;
    fHandle = handle;
    fFromHandle = true;
    fReadOnly = readOnly;
    return MS::kSuccess;
}

const MeshGeometry* MItGeometry::readGeometry() const {
    if (auto working = ObjectAccess::as<MeshDataImpl>(fWorking)) return &working->geometry;
    return fTarget.isNull() ? nullptr : zt::host::meshGeometryOf(fTarget, fRead);
}

MeshGeometry* MItGeometry::writeGeometry(MStatus& status) {
    status = MS::kSuccess;
    if (auto data = ObjectAccess::as<MeshDataImpl>(fTarget)) {
        if (fReadOnly) {
            status = MS::kFailure;
            return nullptr;
        }
        if (fFromHandle && !fCopied) {
            MObject copy = ObjectAccess::wrap(data->clone());
            status = fHandle.set(copy);
            if (!status) return nullptr;
            fTarget = copy;
            fCopied = true;
            data = ObjectAccess::as<MeshDataImpl>(fTarget);
        }
        return &data->geometry;
    }
    if (fTarget.isNull()) {
        status = MS::kFailure;
        return nullptr;
    }
    if (fWorking.isNull()) {
        // A node is written through a private copy of its own mesh, which
        // becomes the node's mesh on every change (readers of the previous
        // value keep theirs).
        if (MPlug(fTarget, MeshNode::inMesh).isConnected()) {
            status = MS::kFailure;
            return nullptr;
        }
        auto own =
            ObjectAccess::as<MeshDataImpl>(MPlug(fTarget, MeshNode::cachedInMesh).asMObject());
        fWorking = zt::host::makeMeshData(own ? own->geometry : MeshGeometry());
    }
    return &ObjectAccess::as<MeshDataImpl>(fWorking)->geometry;
}

MStatus MItGeometry::commit() {
    if (fWorking.isNull()) return MS::kSuccess;
    return MPlug(fTarget, MeshNode::cachedInMesh).setValue(fWorking);
}

MMatrix MItGeometry::toWorld(MSpace::Space space) const {
    return space == MSpace::kWorld && fPath.isValid() ? fPath.inclusiveMatrix() : MMatrix();
}

bool MItGeometry::isDone(MStatus* ReturnStatus) const {
    const MeshGeometry* m = readGeometry();
    setStatus(ReturnStatus, m ? MS::kSuccess : MS::kFailure);
    return !m || fIndex >= m->numVertices();
}

MStatus MItGeometry::next() {
    if (!readGeometry()) return MS::kFailure;
    ++fIndex;
    return MS::kSuccess;
}

MStatus MItGeometry::reset() {
    if (!readGeometry()) return MS::kFailure;
    fIndex = 0;
    return MS::kSuccess;
}

int MItGeometry::index(MStatus* ReturnStatus) const {
    setStatus(ReturnStatus, readGeometry() ? MS::kSuccess : MS::kFailure);
    return fIndex;
}

int MItGeometry::count(MStatus* ReturnStatus) const {
    const MeshGeometry* m = readGeometry();
    setStatus(ReturnStatus, m ? MS::kSuccess : MS::kFailure);
    return m ? m->numVertices() : 0;
}

MPoint MItGeometry::position(MSpace::Space space, MStatus* ReturnStatus) const {
    const MeshGeometry* m = readGeometry();
    if (!m || fIndex >= m->numVertices()) {
        setStatus(ReturnStatus, MS::kFailure);
        return MPoint();
    }
    setStatus(ReturnStatus, MS::kSuccess);
    const zt::host::Vec3 p = m->point(fIndex);
    return MPoint(p.x, p.y, p.z) * toWorld(space);
}

MVector MItGeometry::normal(MSpace::Space space, MStatus* ReturnStatus) const {
    const MeshGeometry* m = readGeometry();
    if (!m || fIndex >= m->numVertices()) {
        setStatus(ReturnStatus, MS::kFailure);
        return MVector();
    }
    MVector sum;
    for (int f = 0; f < m->numFaces(); ++f) {
        for (int k = 0; k < m->faceVertexCount(f); ++k) {
            if (m->faceVertex(f, k) != fIndex) continue;
            const zt::host::Vec3 n = zt::host::polygonNormal(*m, f);
            sum += MVector(n.x, n.y, n.z);
            break;
        }
    }
    const MMatrix matrix = toWorld(space);
    if (!(matrix == MMatrix())) sum = sum * matrix.inverse().transpose();
    setStatus(ReturnStatus, MS::kSuccess);
    return sum.normal();
}

MStatus MItGeometry::setPosition(const MPoint& point, MSpace::Space space) {
    MStatus status;
    MeshGeometry* m = writeGeometry(status);
    if (!m) return status;
    if (fIndex >= m->numVertices()) return MS::kFailure;
    const MPoint p = space == MSpace::kWorld ? point * toWorld(space).inverse() : point;
    m->setPoint(fIndex, {p.x / p.w, p.y / p.w, p.z / p.w});
    return commit();
}

MStatus MItGeometry::allPositions(MPointArray& points, MSpace::Space space) const {
    const MeshGeometry* m = readGeometry();
    if (!m) return MS::kFailure;
    const MMatrix matrix = toWorld(space);
    points.setLength(static_cast<unsigned>(m->numVertices()));
    for (int v = 0; v < m->numVertices(); ++v) {
        const zt::host::Vec3 p = m->point(v);
        points[static_cast<unsigned>(v)] = MPoint(p.x, p.y, p.z) * matrix;
    }
    return MS::kSuccess;
}

MStatus MItGeometry::setAllPositions(const MPointArray& points, MSpace::Space space) {
    MStatus status;
    MeshGeometry* m = writeGeometry(status);
    if (!m) return status;
    if (points.length() != static_cast<unsigned>(m->numVertices())) return MS::kInvalidParameter;
    const MMatrix toObject = toWorld(space).inverse();
    std::vector<float> flat(3 * points.length());
    for (unsigned i = 0; i < points.length(); ++i) {
        const MPoint p = points[i] * toObject;
        flat[3 * i] = static_cast<float>(p.x / p.w);
        flat[3 * i + 1] = static_cast<float>(p.y / p.w);
        flat[3 * i + 2] = static_cast<float>(p.z / p.w);
    }
    m->setPoints(std::move(flat));
    return commit();
}
