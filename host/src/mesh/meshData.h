#pragma once
// Mesh data values (what mesh attributes carry) and the access paths the
// mesh function sets and iterators share: from an MObject that is either a
// mesh data value or a mesh shape node to its geometry, for reading or for
// changing it.

#include <maya/MMatrix.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>

#include <functional>
#include <memory>
#include <string>

#include "data/data.h"
#include "meshGeometry.h"

namespace zt::host {

class MeshDataImpl : public DataImpl {
public:
    MeshDataImpl() = default;
    explicit MeshDataImpl(MeshGeometry g) : geometry(std::move(g)) {}
    MeshDataImpl(const MeshDataImpl& other) = default;

    MFn::Type apiType() const override { return MFn::kMeshData; }
    bool hasFn(MFn::Type type) const override {
        return type == MFn::kGeometryData || DataImpl::hasFn(type);
    }
    MFnData::Type dataType() const override { return MFnData::kMesh; }
    std::shared_ptr<DataImpl> clone() const override {
        return std::make_shared<MeshDataImpl>(*this);
    }

    MeshGeometry geometry;
};

// A new mesh data object holding `geometry`.
MObject makeMeshData(MeshGeometry geometry);

// The geometry of a mesh data object or of a mesh node (its output mesh,
// evaluated). `keepAlive` receives the data object the pointer lives in.
// Null, with the reason in *error, for any other object.
const MeshGeometry* meshGeometryOf(const MObject& object, MObject& keepAlive,
                                   std::string* error = nullptr);

// Applies `edit` to the geometry of a mesh data object (in place) or to the
// own geometry of a mesh node (a changed copy replaces it, so readers of the
// previous value are not affected). A MeshError thrown by `edit` becomes a
// failed status with its text in *error, and leaves the mesh unchanged.
// Fails for a node whose inMesh is connected: its mesh comes from upstream.
MStatus editMeshGeometry(const MObject& object, const std::function<void(MeshGeometry&)>& edit,
                         std::string* error = nullptr);

// The world matrix of a mesh node (the product of its transforms); identity
// for data objects and nodes outside the DAG.
MMatrix meshWorldMatrix(const MObject& object);

// Points multiplied by `matrix` (row vectors: p' = p · M).
MeshGeometry transformedMesh(const MeshGeometry& mesh, const MMatrix& matrix);

}  // namespace zt::host
