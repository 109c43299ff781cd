#pragma once
// Iterator over the points of a geometry: a mesh node (through a DAG path or
// its MObject) or the mesh data in a data handle (what a deformer gets).
// Writing through an iterator on a data handle gives the handle a changed
// copy of its mesh on the first write (a mesh shared with other plugs is
// never changed behind their back); on a node it replaces the node's own
// geometry.

#include <maya/MDagPath.h>
#include <maya/MDataHandle.h>
#include <maya/MMatrix.h>
#include <maya/MObject.h>
#include <maya/MPoint.h>
#include <maya/MPointArray.h>
#include <maya/MStatus.h>
#include <maya/MTypes.h>
#include <maya/MVector.h>

namespace zt {
namespace host {
class MeshGeometry;
}
}  // namespace zt

class OPENMAYA_EXPORT MItGeometry {
public:
    MItGeometry(const MDagPath& dagPath, MStatus* ReturnStatus = NULL);
    // Only whole geometries are iterated: `component` must be null.
    MItGeometry(const MDagPath& dagPath, MObject& component, MStatus* ReturnStatus = NULL);
    MItGeometry(MObject& dagObject, MStatus* ReturnStatus = NULL);
    MItGeometry(MDataHandle& dataHandle, unsigned int groupId, bool readOnly = true,
                MStatus* ReturnStatus = NULL);
    MItGeometry(MDataHandle& dataHandle, bool readOnly = true, MStatus* ReturnStatus = NULL);
    virtual ~MItGeometry();

    bool isDone(MStatus* ReturnStatus = NULL) const;
    MStatus next();
    MPoint position(MSpace::Space space = MSpace::kObject, MStatus* ReturnStatus = NULL) const;
    // The vertex normal: the normalised sum of the normals of the polygons
    // around the vertex.
    MVector normal(MSpace::Space space = MSpace::kObject, MStatus* ReturnStatus = NULL) const;
    MStatus setPosition(const MPoint& point, MSpace::Space space = MSpace::kObject);
    int index(MStatus* ReturnStatus = NULL) const;
    int count(MStatus* ReturnStatus = NULL) const;
    MStatus reset();
    MStatus allPositions(MPointArray& points, MSpace::Space space = MSpace::kObject) const;
    MStatus setAllPositions(const MPointArray& points, MSpace::Space space = MSpace::kObject);

private:
    MItGeometry(const MItGeometry&);
    MItGeometry& operator=(const MItGeometry&);
    MStatus attachNode(const MObject& node);
    MStatus attachHandle(MDataHandle& handle, bool readOnly);
    MMatrix toWorld(MSpace::Space space) const;
    const zt::host::MeshGeometry* readGeometry() const;
    zt::host::MeshGeometry* writeGeometry(MStatus& status);
    MStatus commit();

    MObject fTarget;   // the mesh node, or the mesh data of the handle
    MObject fWorking;  // for a node: the data being written (its own mesh)
    MDataHandle fHandle;
    bool fFromHandle = false;
    bool fCopied = false;   // the handle holds this iterator's own copy
    mutable MObject fRead;  // for a node: the output mesh last read
    MDagPath fPath;
    bool fReadOnly = true;
    int fIndex = 0;
};
