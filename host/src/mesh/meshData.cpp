#include "mesh/meshData.h"

#include <maya/MDagPath.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MPlug.h>
#include <maya/MPoint.h>

#include "mesh/meshNode.h"

namespace zt::host {

MObject makeMeshData(MeshGeometry geometry) {
    return ObjectAccess::wrap(std::make_shared<MeshDataImpl>(std::move(geometry)));
}

namespace {

MeshNode* meshNodeOf(const MObject& object) {
    if (object.isNull() || !object.hasFn(MFn::kMesh)) return nullptr;
    MFnDependencyNode fn(object);
    return dynamic_cast<MeshNode*>(fn.userNode());
}

void setError(std::string* error, const std::string& text) {
    if (error) *error = text;
}

}  // namespace

const MeshGeometry* meshGeometryOf(const MObject& object, MObject& keepAlive, std::string* error) {
    if (auto data = ObjectAccess::as<MeshDataImpl>(object)) {
        keepAlive = object;
        return &data->geometry;
    }
    if (meshNodeOf(object)) {
        MStatus status;
        MObject value = MPlug(object, MeshNode::outMesh).asMObject(MDGContext::fsNormal, &status);
        auto data = ObjectAccess::as<MeshDataImpl>(value);
        if (!status || !data) {
            setError(error, "the mesh node's output mesh could not be evaluated");
            return nullptr;
        }
        keepAlive = value;
        return &data->geometry;
    }
    setError(error, object.isNull() ? "no mesh given (null object)"
                                    : std::string("not a mesh: ") + object.apiTypeStr());
    return nullptr;
}

MStatus editMeshGeometry(const MObject& object, const std::function<void(MeshGeometry&)>& edit,
                         std::string* error) {
    try {
        if (auto data = ObjectAccess::as<MeshDataImpl>(object)) {
            MeshGeometry changed = data->geometry;
            edit(changed);
            data->geometry = std::move(changed);
            return MS::kSuccess;
        }
        if (MeshNode* node = meshNodeOf(object)) {
            if (MPlug(object, MeshNode::inMesh).isConnected()) {
                setError(error, node->name().asChar() +
                                    std::string(": the mesh comes from its inMesh connection "
                                                "and cannot be changed here"));
                return MS::kFailure;
            }
            MPlug own(object, MeshNode::cachedInMesh);
            MObject current = own.asMObject();
            auto currentData = ObjectAccess::as<MeshDataImpl>(current);
            MeshGeometry changed = currentData ? currentData->geometry : MeshGeometry();
            edit(changed);
            return own.setValue(makeMeshData(std::move(changed)));
        }
    } catch (const MeshError& e) {
        setError(error, e.what());
        return MS::kInvalidParameter;
    }
    setError(error, object.isNull() ? "no mesh given (null object)"
                                    : std::string("not a mesh: ") + object.apiTypeStr());
    return MS::kInvalidParameter;
}

MMatrix meshWorldMatrix(const MObject& object) {
    if (!meshNodeOf(object)) return MMatrix();
    MDagPath path;
    if (!MDagPath::getAPathTo(object, path)) return MMatrix();
    return path.inclusiveMatrix();
}

MeshGeometry transformedMesh(const MeshGeometry& mesh, const MMatrix& matrix) {
    MeshGeometry out = mesh;
    if (matrix == MMatrix()) return out;
    std::vector<float> points = mesh.points();
    for (std::size_t i = 0; i + 2 < points.size(); i += 3) {
        const MPoint p = MPoint(points[i], points[i + 1], points[i + 2]) * matrix;
        points[i] = static_cast<float>(p.x / p.w);
        points[i + 1] = static_cast<float>(p.y / p.w);
        points[i + 2] = static_cast<float>(p.z / p.w);
    }
    out.setPoints(std::move(points));
    return out;
}

}  // namespace zt::host
