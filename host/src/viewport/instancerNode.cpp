#include "viewport/instancerNode.h"

#include <maya/MDataBlock.h>
#include <maya/MDataHandle.h>
#include <maya/MFnDagNode.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MFnEnumAttribute.h>
#include <maya/MFnMatrixAttribute.h>
#include <maya/MFnMatrixData.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MGL.h>
#include <maya/MGlobal.h>
#include <maya/MPlug.h>
#include <maya/MPlugArray.h>

#include <algorithm>

#include "graph/registry.h"
#include "graph/scene.h"
#include "mesh/meshData.h"
#include "viewport/instanceMath.h"
#include "viewport/viewport.h"

namespace zt::host {

// 'DINS', in the range of the host's own types.
const MTypeId InstancerNode::id(0x44494E53);
MObject InstancerNode::inputPoints;
MObject InstancerNode::inputHierarchy;
MObject InstancerNode::rotationAngleUnits;
MObject InstancerNode::instanceCount;

void* InstancerNode::creator() {
    return new InstancerNode();
}

MStatus InstancerNode::initialize() {
    MStatus status;
    MFnTypedAttribute typed;
    inputPoints =
        typed.create("inputPoints", "inp", MFnData::kDynArrayAttrs, MObject::kNullObj, &status);
    if (!status) return status;
    typed.setStorable(false);

    MFnMatrixAttribute matrix;
    inputHierarchy = matrix.create("inputHierarchy", "inh", MFnMatrixAttribute::kDouble, &status);
    if (!status) return status;
    matrix.setArray(true);
    matrix.setStorable(false);

    MFnEnumAttribute units;
    rotationAngleUnits = units.create("rotationAngleUnits", "rau", 0, &status);
    if (!status) return status;
    units.addField("degrees", 0);
    units.addField("radians", 1);

    MFnNumericAttribute count;
    instanceCount = count.create("instanceCount", "ic", MFnNumericData::kInt, 0, &status);
    if (!status) return status;
    count.setWritable(false);
    count.setStorable(false);

    for (const MObject* attribute :
         {&inputPoints, &inputHierarchy, &rotationAngleUnits, &instanceCount}) {
        status = addAttribute(*attribute);
        if (!status) return status;
    }
    return attributeAffects(inputPoints, instanceCount);
}

MStatus InstancerNode::compute(const MPlug& plug, MDataBlock& data) {
    if (plug.attribute() != instanceCount) return MS::kUnknownParameter;
    MStatus status;
    MDataHandle input = data.inputValue(inputPoints, &status);
    if (!status) return status;
    InstancePoints points;
    std::string error;
    if (!points.read(input.data(), error)) {
        MGlobal::displayError(MPlug(thisMObject(), inputPoints).name() + ": " + error.c_str());
        return MS::kFailure;
    }
    MDataHandle out = data.outputValue(instanceCount, &status);
    if (!status) return status;
    out.set(static_cast<int>(points.size()));
    out.setClean();
    return MS::kSuccess;
}

MStatus registerInstancerNodeType() {
    return registerBuiltinNodeType(InstancerNode::kTypeName, InstancerNode::id,
                                   InstancerNode::creator, InstancerNode::initialize,
                                   MPxNode::kTransformNode, MFn::kInstancer);
}

namespace {

bool isIntermediate(const MObject& node) {
    MStatus status;
    MPlug intermediate = MFnDependencyNode(node).findPlug("intermediateObject", &status);
    return status && !intermediate.isNull() && intermediate.asBool();
}

bool isHidden(const MObject& node) {
    MStatus status;
    MPlug visibility = MFnDependencyNode(node).findPlug("visibility", &status);
    if (status && !visibility.isNull() && !visibility.asBool()) return true;
    return isIntermediate(node);
}

// The visible mesh shapes at and below `node`, with their matrices
// relative to `node`. The instanced object itself (`top`) counts as
// visible whatever its visibility: hiding the original is how a scene keeps
// it out of the picture while its copies show.
void collectMeshes(const MObject& node, const MMatrix& relative, std::vector<InstancedMesh>& out,
                   bool top) {
    if (top ? isIntermediate(node) : isHidden(node)) return;
    if (node.hasFn(MFn::kMesh)) {
        InstancedMesh mesh;
        mesh.shape = node;
        mesh.geometry = meshGeometryOf(node, mesh.keepAlive);
        mesh.objectMatrix = relative;
        if (mesh.geometry) out.push_back(mesh);
        return;
    }
    if (!node.hasFn(MFn::kDagNode)) return;
    MFnDagNode fn(node);
    for (unsigned int i = 0; i < fn.childCount(); ++i) {
        const MObject child = fn.child(i);
        MMatrix local;
        if (child.hasFn(MFn::kTransform)) {
            MObject value;
            if (MFnDependencyNode(child).findPlug("matrix").getValue(value))
                local = MFnMatrixData(value).matrix();
        }
        collectMeshes(child, local * relative, out, false);
    }
}

}  // namespace

bool readInstancer(const MObject& instancer, InstancerContents& out, std::string& error) {
    out = InstancerContents();
    MFnDependencyNode fn(instancer);
    out.name = fn.name().asChar();

    // The instanced objects, in index order of inputHierarchy.
    MPlug hierarchy(instancer, InstancerNode::inputHierarchy);
    std::vector<unsigned int> indices;
    hierarchy.getExistingArrayAttributeIndices(indices);
    std::sort(indices.begin(), indices.end());
    for (unsigned int index : indices) {
        MPlug element = hierarchy.elementByLogicalIndex(index);
        MPlugArray sources;
        if (!element.connectedTo(sources, true, false) || sources.length() == 0) continue;
        const MObject object = sources[0].node();
        InstancedObject entry;
        entry.name = MFnDependencyNode(object).name().asChar();
        MObject value;
        MMatrix objectMatrix;
        if (element.getValue(value) && !value.isNull())
            objectMatrix = MFnMatrixData(value).matrix();
        // The object's own matrix comes from the plug (what the connection
        // delivers); the transforms below it are walked here.
        collectMeshes(object, MMatrix(), entry.meshes, true);
        for (InstancedMesh& mesh : entry.meshes)
            mesh.objectMatrix = mesh.objectMatrix * objectMatrix;
        out.objects.push_back(std::move(entry));
    }

    InstancePoints points;
    MObject pointSet;
    MPlug(instancer, InstancerNode::inputPoints).getValue(pointSet);
    if (!points.read(pointSet, error)) return false;
    const bool radians = MPlug(instancer, InstancerNode::rotationAngleUnits).asInt() == 1;
    MDagPath path;
    MMatrix world;
    if (MDagPath::getAPathTo(instancer, path) == MS::kSuccess) world = path.inclusiveMatrix();

    out.pointCount = points.size();
    const int objectCount = static_cast<int>(out.objects.size());
    out.instances.reserve(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (!points.visible(i)) continue;
        const int object = points.objectIndex(i);
        if (object < 0 || object >= objectCount) {
            if (out.outOfRange++ == 0) out.firstBadIndex = object;
            continue;
        }
        out.instances.push_back({object, points.matrix(i, radians) * world});
    }
    return true;
}

std::vector<MObject> visibleInstancers() {
    std::vector<MObject> out;
    for (const MObject& node : listNodes()) {
        if (!node.hasFn(MFn::kInstancer)) continue;
        MDagPath path;
        if (MDagPath::getAPathTo(node, path) == MS::kSuccess && isVisiblePath(path))
            out.push_back(node);
    }
    return out;
}

namespace {

// Reads an instancer for drawing or framing, reporting problems.
bool readReported(const MObject& node, InstancerContents& contents) {
    std::string error;
    if (!readInstancer(node, contents, error)) {
        MGlobal::displayError(MPlug(node, InstancerNode::inputPoints).name() + ": " +
                              error.c_str() + "; nothing is instanced");
        return false;
    }
    if (contents.outOfRange > 0)
        MGlobal::displayWarning(
            MString(contents.name.c_str()) + ": " + std::to_string(contents.outOfRange).c_str() +
            " of " + std::to_string(contents.pointCount).c_str() + " points have an objectIndex (" +
            std::to_string(contents.firstBadIndex).c_str() + " first) outside the " +
            std::to_string(contents.objects.size()).c_str() +
            " instanced objects; those points get no copy");
    return true;
}

// Copies are gathered into batches of about this many triangle corners
// before they are drawn.
constexpr std::size_t kBatchCorners = 1u << 20;

}  // namespace

void drawInstancers(const Matrix4& worldToCamera, ShadingMode mode) {
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixd(worldToCamera.data());
    for (const MObject& node : visibleInstancers()) {
        InstancerContents contents;
        if (!readReported(node, contents)) continue;
        // Each object's triangles once, in its instanced space.
        std::vector<ShadedTriangles> objects(contents.objects.size());
        for (std::size_t o = 0; o < contents.objects.size(); ++o)
            for (const InstancedMesh& mesh : contents.objects[o].meshes)
                appendTransformed(shadeMesh(*mesh.geometry, mode), mesh.objectMatrix, objects[o]);
        ShadedTriangles batch;
        for (const Instance& instance : contents.instances) {
            const ShadedTriangles& source = objects[static_cast<std::size_t>(instance.object)];
            if (source.empty()) continue;
            appendTransformed(source, instance.matrix, batch);
            if (batch.positions.size() / 3 >= kBatchCorners) {
                drawShadedTriangles(batch, mode);
                batch = ShadedTriangles();
            }
        }
        drawShadedTriangles(batch, mode);
    }
}

MBoundingBox instancersBox() {
    MBoundingBox box;
    for (const MObject& node : visibleInstancers()) {
        InstancerContents contents;
        std::string error;
        if (!readInstancer(node, contents, error)) continue;
        std::vector<MBoundingBox> objectBoxes(contents.objects.size());
        for (std::size_t o = 0; o < contents.objects.size(); ++o) {
            for (const InstancedMesh& mesh : contents.objects[o].meshes) {
                const BoundingBox b = boundingBox(*mesh.geometry);
                if (b.empty) continue;
                MBoundingBox local(MPoint(b.min.x, b.min.y, b.min.z),
                                   MPoint(b.max.x, b.max.y, b.max.z));
                local.transformUsing(mesh.objectMatrix);
                objectBoxes[o].expand(local);
            }
        }
        for (const Instance& instance : contents.instances) {
            MBoundingBox placed = objectBoxes[static_cast<std::size_t>(instance.object)];
            placed.transformUsing(instance.matrix);
            box.expand(placed);
        }
    }
    return box;
}

MeshGeometry instancedMesh(const InstancerContents& contents) {
    std::vector<float> points;
    std::vector<int> counts, vertices;
    for (const Instance& instance : contents.instances) {
        for (const InstancedMesh& mesh :
             contents.objects[static_cast<std::size_t>(instance.object)].meshes) {
            const MMatrix m = mesh.objectMatrix * instance.matrix;
            const int base = static_cast<int>(points.size() / 3);
            const std::vector<float>& source = mesh.geometry->points();
            for (std::size_t i = 0; i + 2 < source.size(); i += 3) {
                const MPoint p = MPoint(source[i], source[i + 1], source[i + 2]) * m;
                points.push_back(static_cast<float>(p.x));
                points.push_back(static_cast<float>(p.y));
                points.push_back(static_cast<float>(p.z));
            }
            counts.insert(counts.end(), mesh.geometry->faceCounts().begin(),
                          mesh.geometry->faceCounts().end());
            for (int v : mesh.geometry->faceVertices()) vertices.push_back(base + v);
        }
    }
    return MeshGeometry(std::move(points), std::move(counts), std::move(vertices));
}

}  // namespace zt::host
