#pragma once
// The host's particle instancer: a transform node that places copies of
// other objects at the points of a point set, wired as in the host
// application:
//
//   createNode instancer -n inst;
//   connectAttr scatter1.outPoints inst.inputPoints;
//   connectAttr tree.matrix inst.inputHierarchy[0];
//   connectAttr bush.matrix inst.inputHierarchy[1];
//
// or with the command `instancer -object tree -object bush -n inst`.
//
// Attributes: inputPoints (inp, point set), inputHierarchy (inh, matrix
// multi: the instanced objects, each connected from an object's `matrix`),
// rotationAngleUnits (rau, 0 degrees, 1 radians, for the "rotation"
// channel) and the output instanceCount (ic, the number of points).
//
// What is instanced: the mesh shapes at and below each connected object,
// placed by the object's own matrix (the value arriving on inputHierarchy)
// and the transforms between it and the shape, then by the point's matrix
// (see instanceMath.h), then by the instancer's world matrix. The object's
// own visibility and that of the nodes above it do not matter (hiding the
// original keeps it out of the picture while its copies show); visibility
// of the nodes below it does. "objectIndex" k picks the k-th connected
// element in index order; a point whose index names no object is skipped.

#include <maya/MBoundingBox.h>
#include <maya/MDagPath.h>
#include <maya/MMatrix.h>
#include <maya/MPxNode.h>
#include <maya/MTypeId.h>

#include <string>
#include <vector>

#include "cameraMath.h"
#include "mesh/meshGeometry.h"
#include "shadedMesh.h"

namespace zt::host {

class InstancerNode : public MPxNode {
public:
    static constexpr const char* kTypeName = "instancer";
    static const MTypeId id;
    static MObject inputPoints;
    static MObject inputHierarchy;
    static MObject rotationAngleUnits;
    static MObject instanceCount;

    static void* creator();
    static MStatus initialize();
    MStatus compute(const MPlug& plug, MDataBlock& data) override;
    Type type() const override { return kTransformNode; }
};

MStatus registerInstancerNodeType();

// A mesh shape of an instanced object, with the matrix that places it in
// the object's instanced space (the object's matrix included).
struct InstancedMesh {
    MObject shape;
    MObject keepAlive;  // holds the geometry below
    const MeshGeometry* geometry = nullptr;
    MMatrix objectMatrix;
};

struct InstancedObject {
    std::string name;
    std::vector<InstancedMesh> meshes;
};

// One copy: which object, and its world matrix (point matrix times the
// instancer's world matrix).
struct Instance {
    int object = 0;
    MMatrix matrix;
};

// Everything an instancer places, read from the scene.
struct InstancerContents {
    std::string name;
    std::vector<InstancedObject> objects;
    std::vector<Instance> instances;
    std::size_t pointCount = 0;
    std::size_t outOfRange = 0;  // points whose objectIndex names no object
    int firstBadIndex = 0;       // the first such objectIndex
};

// Reads an instancer. False, with the reason in `error`, when its point set
// cannot be used; then nothing is placed.
bool readInstancer(const MObject& instancer, InstancerContents& out, std::string& error);

// The instancers of the scene that are visible (with every transform above).
std::vector<MObject> visibleInstancers();

// Draws every visible instancer's copies, shaded like meshes. Problems are
// reported once per instancer and drawing: an unusable point set as an
// error, points with an objectIndex that names no object as one warning.
void drawInstancers(const Matrix4& worldToCamera, ShadingMode mode);

// World-space box of the visible instancers' copies.
MBoundingBox instancersBox();

// All copies of an instancer as one mesh in world space: the instanced
// meshes' polygons, copy after copy in point order.
MeshGeometry instancedMesh(const InstancerContents& contents);

}  // namespace zt::host
