#include "mesh/meshNode.h"

#include <maya/MArrayDataBuilder.h>
#include <maya/MArrayDataHandle.h>
#include <maya/MDataBlock.h>
#include <maya/MDataHandle.h>
#include <maya/MFnCompoundAttribute.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MPlug.h>

#include <cctype>

#include "graph/dag.h"
#include "graph/scene.h"
#include "mesh/meshData.h"

namespace zt::host {

const MTypeId MeshNode::id(0x444D5348);  // "DMSH"

MObject MeshNode::inMesh;
MObject MeshNode::cachedInMesh;
MObject MeshNode::outMesh;
MObject MeshNode::worldMesh;
MObject MeshNode::boundingBox;
MObject MeshNode::boundingBoxMin;
MObject MeshNode::boundingBoxMinX;
MObject MeshNode::boundingBoxMinY;
MObject MeshNode::boundingBoxMinZ;
MObject MeshNode::boundingBoxMax;
MObject MeshNode::boundingBoxMaxX;
MObject MeshNode::boundingBoxMaxY;
MObject MeshNode::boundingBoxMaxZ;
MObject MeshNode::boundingBoxSize;
MObject MeshNode::boundingBoxSizeX;
MObject MeshNode::boundingBoxSizeY;
MObject MeshNode::boundingBoxSizeZ;
MObject MeshNode::displayColors;

void* MeshNode::creator() {
    return new MeshNode();
}

namespace {

MObject makeOutputDouble(const char* name, const char* shortName) {
    MFnNumericAttribute fn;
    MObject attr = fn.create(name, shortName, MFnNumericData::kDouble, 0.0);
    fn.setWritable(false);
    fn.setStorable(false);
    return attr;
}

// A compound of three output doubles named name + X/Y/Z.
MObject makeOutputTriple(const char* name, const char* shortName, const char* (&childNames)[3],
                         const char* (&childShortNames)[3], MObject* children[3]) {
    for (int i = 0; i < 3; ++i) *children[i] = makeOutputDouble(childNames[i], childShortNames[i]);
    MFnCompoundAttribute fn;
    MObject attr = fn.create(name, shortName);
    for (int i = 0; i < 3; ++i) fn.addChild(*children[i]);
    fn.setWritable(false);
    fn.setStorable(false);
    return attr;
}

MObject makeMeshAttribute(const char* name, const char* shortName, bool output) {
    MFnTypedAttribute fn;
    MObject attr = fn.create(name, shortName, MFnData::kMesh);
    if (output) {
        fn.setWritable(false);
        fn.setStorable(false);
    }
    return attr;
}

}  // namespace

MStatus MeshNode::initialize() {
    inMesh = makeMeshAttribute("inMesh", "i", false);
    cachedInMesh = makeMeshAttribute("cachedInMesh", "ci", false);
    {
        MFnTypedAttribute fn(cachedInMesh);
        fn.setHidden(true);
    }
    outMesh = makeMeshAttribute("outMesh", "o", true);
    worldMesh = makeMeshAttribute("worldMesh", "w", true);
    {
        MFnTypedAttribute fn(worldMesh);
        fn.setArray(true);
        fn.setUsesArrayDataBuilder(true);
    }

    const char* minNames[3] = {"boundingBoxMinX", "boundingBoxMinY", "boundingBoxMinZ"};
    const char* minShort[3] = {"bbnx", "bbny", "bbnz"};
    MObject* minChildren[3] = {&boundingBoxMinX, &boundingBoxMinY, &boundingBoxMinZ};
    boundingBoxMin = makeOutputTriple("boundingBoxMin", "bbmn", minNames, minShort, minChildren);
    const char* maxNames[3] = {"boundingBoxMaxX", "boundingBoxMaxY", "boundingBoxMaxZ"};
    const char* maxShort[3] = {"bbxx", "bbxy", "bbxz"};
    MObject* maxChildren[3] = {&boundingBoxMaxX, &boundingBoxMaxY, &boundingBoxMaxZ};
    boundingBoxMax = makeOutputTriple("boundingBoxMax", "bbmx", maxNames, maxShort, maxChildren);
    const char* sizeNames[3] = {"boundingBoxSizeX", "boundingBoxSizeY", "boundingBoxSizeZ"};
    const char* sizeShort[3] = {"bbsx", "bbsy", "bbsz"};
    MObject* sizeChildren[3] = {&boundingBoxSizeX, &boundingBoxSizeY, &boundingBoxSizeZ};
    boundingBoxSize =
        makeOutputTriple("boundingBoxSize", "bbsi", sizeNames, sizeShort, sizeChildren);
    {
        MFnCompoundAttribute fn;
        boundingBox = fn.create("boundingBox", "bb");
        fn.addChild(boundingBoxMin);
        fn.addChild(boundingBoxMax);
        fn.addChild(boundingBoxSize);
        fn.setWritable(false);
        fn.setStorable(false);
    }

    {
        MFnNumericAttribute fn;
        displayColors = fn.create("displayColors", "dc", MFnNumericData::kBoolean, 0);
    }
    for (const MObject* attr :
         {&inMesh, &cachedInMesh, &outMesh, &worldMesh, &boundingBox, &displayColors}) {
        MStatus status = addAttribute(*attr);
        if (!status) return status;
    }
    const MObject* outputs[] = {&outMesh,          &worldMesh,        &boundingBox,
                                &boundingBoxMin,   &boundingBoxMinX,  &boundingBoxMinY,
                                &boundingBoxMinZ,  &boundingBoxMax,   &boundingBoxMaxX,
                                &boundingBoxMaxY,  &boundingBoxMaxZ,  &boundingBoxSize,
                                &boundingBoxSizeX, &boundingBoxSizeY, &boundingBoxSizeZ};
    for (const MObject* input : {&inMesh, &cachedInMesh}) {
        for (const MObject* output : outputs) {
            MStatus status = attributeAffects(*input, *output);
            if (!status) return status;
        }
    }
    // The world mesh follows the transforms above the shape.
    return attributeAffects(dagAttributes().parentMatrix, worldMesh);
}

bool MeshNode::isBoundingBoxAttribute(const MObject& a) const {
    for (const MObject* attr :
         {&boundingBox, &boundingBoxMin, &boundingBoxMinX, &boundingBoxMinY, &boundingBoxMinZ,
          &boundingBoxMax, &boundingBoxMaxX, &boundingBoxMaxY, &boundingBoxMaxZ, &boundingBoxSize,
          &boundingBoxSizeX, &boundingBoxSizeY, &boundingBoxSizeZ}) {
        if (a == *attr) return true;
    }
    return false;
}

MObject MeshNode::sourceMesh(MDataBlock& data, MStatus& status) {
    const bool upstream = MPlug(thisMObject(), inMesh).isConnected();
    MDataHandle handle = data.inputValue(upstream ? inMesh : cachedInMesh, &status);
    if (!status) return MObject();
    MObject value = handle.data();
    if (!ObjectAccess::as<MeshDataImpl>(value)) value = makeMeshData(MeshGeometry());
    return value;
}

MStatus MeshNode::compute(const MPlug& plug, MDataBlock& data) {
    const MObject attr = plug.attribute();
    const bool wantsBox = isBoundingBoxAttribute(attr);
    if (attr != outMesh && attr != worldMesh && !wantsBox) return MS::kUnknownParameter;

    MStatus status;
    const MObject source = sourceMesh(data, status);
    if (!status) return status;
    const MeshGeometry& geometry = ObjectAccess::as<MeshDataImpl>(source)->geometry;

    if (attr == outMesh) {
        MDataHandle out = data.outputValue(outMesh, &status);
        if (!status) return status;
        // Shared, not copied: mesh data is read-only once it is on a plug.
        status = out.set(source);
        if (!status) return status;
        out.setClean();
        return MS::kSuccess;
    }

    if (attr == worldMesh) {
        MArrayDataHandle array = data.outputArrayValue(worldMesh, &status);
        if (!status) return status;
        MArrayDataBuilder builder = array.builder(&status);
        if (!status) return status;
        MDataHandle element = builder.addElement(0, &status);
        if (!status) return status;
        status =
            element.set(makeMeshData(transformedMesh(geometry, meshWorldMatrix(thisMObject()))));
        if (!status) return status;
        status = array.set(builder);
        if (!status) return status;
        array.setAllClean();
        return MS::kSuccess;
    }

    const BoundingBox box = zt::host::boundingBox(geometry);
    const double values[9] = {box.min.x,
                              box.min.y,
                              box.min.z,
                              box.max.x,
                              box.max.y,
                              box.max.z,
                              box.max.x - box.min.x,
                              box.max.y - box.min.y,
                              box.max.z - box.min.z};
    const MObject* leaves[9] = {&boundingBoxMinX,  &boundingBoxMinY,  &boundingBoxMinZ,
                                &boundingBoxMaxX,  &boundingBoxMaxY,  &boundingBoxMaxZ,
                                &boundingBoxSizeX, &boundingBoxSizeY, &boundingBoxSizeZ};
    for (int i = 0; i < 9; ++i) {
        MDataHandle h = data.outputValue(*leaves[i], &status);
        if (!status) return status;
        h.set(values[i]);
        h.setClean();
    }
    for (const MObject* parent :
         {&boundingBoxMin, &boundingBoxMax, &boundingBoxSize, &boundingBox}) {
        data.setClean(*parent);
    }
    return MS::kSuccess;
}

std::string shapeNameFor(const std::string& transformName) {
    std::size_t digits = transformName.size();
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(transformName[digits - 1]))) {
        --digits;
    }
    return transformName.substr(0, digits) + "Shape" + transformName.substr(digits);
}

CreatedMesh createMeshNode(const std::string& transformName, MeshGeometry geometry) {
    CreatedMesh created;
    MStatus status;
    created.transform = createNode("transform", transformName, MObject::kNullObj, &status);
    if (!status || created.transform.isNull()) {
        throw MeshError("cannot create the transform \"" + transformName + "\"");
    }
    created.transformName = MFnDependencyNode(created.transform).name().asChar();
    created.shape = createNode(MeshNode::kTypeName, shapeNameFor(created.transformName),
                               created.transform, &status);
    if (!status || created.shape.isNull()) {
        deleteNode(created.transform);
        throw MeshError("cannot create the mesh shape under \"" + created.transformName + "\"");
    }
    created.shapeName = MFnDependencyNode(created.shape).name().asChar();
    status =
        MPlug(created.shape, MeshNode::cachedInMesh).setValue(makeMeshData(std::move(geometry)));
    if (!status) {
        deleteNode(created.transform);
        throw MeshError("cannot store the geometry of \"" + created.shapeName + "\"");
    }
    return created;
}

}  // namespace zt::host
