// The `deformer` command: creates a deformer node of a given type on one or
// more meshes (named by their shape or by the transform above it) and
// returns its name.
//
//   deformer -type ztNoise -name wobble groundShape;   // { "wobble" }

#include <maya/MDagModifier.h>
#include <maya/MFnDagNode.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MGlobal.h>
#include <maya/MPlug.h>
#include <maya/MPlugArray.h>
#include <maya/MPxDeformerNode.h>

#include <functional>
#include <stdexcept>

#include "commands/argHelpers.h"
#include "commands/commandRegistry.h"
#include "deformer/deformerSupport.h"
#include "graph/dag.h"
#include "graph/registryImpl.h"
#include "graph/scene.h"
#include "mesh/meshNode.h"

namespace zt::host {

namespace {

std::string nameOf(const MObject& node) {
    return MFnDependencyNode(node).name().asChar();
}

// Reverts the edits made so far when insertion stops half-way.
class Rollback {
public:
    Rollback() = default;
    Rollback(const Rollback&) = delete;
    Rollback& operator=(const Rollback&) = delete;
    ~Rollback() {
        if (committed_) return;
        for (auto it = steps_.rbegin(); it != steps_.rend(); ++it) (*it)();
    }
    void add(std::function<void()> step) { steps_.push_back(std::move(step)); }
    void commit() { committed_ = true; }

private:
    std::vector<std::function<void()>> steps_;
    bool committed_ = false;
};

void connectOrThrow(const MPlug& source, const MPlug& destination, Rollback& rollback) {
    if (!connectPlugs(source, destination)) {
        throw std::runtime_error("cannot connect " + std::string(source.name().asChar()) + " to " +
                                 destination.name().asChar());
    }
    rollback.add([source, destination] { disconnectPlugs(source, destination); });
}

// The plug that feeds the deformer for this shape: the shape's current
// source, disconnected from it, or the outMesh of a new intermediate copy.
MPlug detachHistory(const MObject& shape, Rollback& rollback) {
    const MPlug inMesh(shape, MeshNode::inMesh);
    MPlugArray sources;
    if (inMesh.connectedTo(sources, true, false) && sources.length() > 0) {
        const MPlug upstream = sources[0];
        if (!disconnectPlugs(upstream, inMesh))
            throw std::runtime_error("cannot disconnect the history of " + nameOf(shape));
        rollback.add([upstream, inMesh] { connectPlugs(upstream, inMesh); });
        return upstream;
    }
    MStatus status;
    const MObject parent = MFnDagNode(shape).parent(0);
    const MObject orig = createNode(MeshNode::kTypeName, nameOf(shape) + "Orig", parent, &status);
    if (!status || orig.isNull())
        throw std::runtime_error("cannot create the original shape of " + nameOf(shape));
    rollback.add([orig] { deleteNode(orig); });
    // A shape that never received geometry leaves the copy empty too.
    const MObject geometry = MPlug(shape, MeshNode::cachedInMesh).asMObject();
    if ((!geometry.isNull() && !MPlug(orig, MeshNode::cachedInMesh).setValue(geometry)) ||
        !MPlug(orig, dagAttributes().intermediateObject).setValue(true)) {
        throw std::runtime_error("cannot store the original geometry of " + nameOf(shape));
    }
    return MPlug(orig, MeshNode::outMesh);
}

}  // namespace

MObject insertDeformer(const std::string& typeName, const std::string& name,
                       const std::vector<MObject>& meshShapes) {
    const NodeTypePtr type = findNodeType(typeName);
    if (!type) throw std::runtime_error("Unknown deformer type: " + typeName);
    if (type->kind != MPxNode::kDeformerNode)
        throw std::runtime_error("'" + typeName + "' is not a deformer type");
    if (meshShapes.empty()) throw std::runtime_error("no mesh to deform");

    Rollback rollback;
    MStatus status;
    const MObject node =
        createNode(typeName, name.empty() ? typeName + "#" : name, MObject::kNullObj, &status);
    if (!status || node.isNull()) throw std::runtime_error("cannot create a " + typeName);
    rollback.add([node] { deleteNode(node); });
    auto* deformer = dynamic_cast<MPxDeformerNode*>(MFnDependencyNode(node).userNode());
    if (!deformer) throw std::runtime_error("'" + typeName + "' is not a deformer type");

    for (unsigned int k = 0; k < meshShapes.size(); ++k) {
        const MObject& shape = meshShapes[k];
        const MPlug upstream = detachHistory(shape, rollback);
        const MPlug input = MPlug(node, MPxDeformerNode::input)
                                .elementByLogicalIndex(k)
                                .child(MPxDeformerNode::inputGeom);
        const MPlug output = MPlug(node, MPxDeformerNode::outputGeom).elementByLogicalIndex(k);
        connectOrThrow(upstream, input, rollback);
        connectOrThrow(output, MPlug(shape, MeshNode::inMesh), rollback);
    }

    // The accessory nodes (a handle that drives the deformer, for example).
    MDagModifier modifier;
    status = deformer->accessoryNodeSetup(modifier);
    if (status) status = modifier.doIt();
    if (!status) {
        modifier.undoIt();
        throw std::runtime_error("the accessory nodes of " + nameOf(node) +
                                 " could not be set up: " + status.errorString().asChar());
    }
    const MObject& driven = deformer->accessoryAttribute();
    if (!driven.isNull() && !MPlug(node, driven).isConnected()) {
        MGlobal::displayWarning(MString(nameOf(node).c_str()) +
                                ": the accessory attribute is not connected to an accessory node");
    }
    rollback.commit();
    return node;
}

namespace {

// A mesh shape named directly or through the transform above it (its first
// shape that is not an intermediate object).
MObject meshShapeNamed(const std::string& text) {
    const MObject node = commands::requireNode("deformer", text);
    if (node.hasFn(MFn::kMesh)) return node;
    if (node.hasFn(MFn::kTransform)) {
        MFnDagNode transform(node);
        for (unsigned int i = 0; i < transform.childCount(); ++i) {
            const MObject child = transform.child(i);
            if (child.hasFn(MFn::kMesh) && !MFnDagNode(child).isIntermediateObject()) return child;
        }
    }
    throw commands::CommandError("deformer: '" + text + "' is not a mesh or a transform above one");
}

void deformerCommand(const commands::ParsedArgs& args, commands::CommandResult& result) {
    if (!args.isFlagSet("type")) throw commands::CommandError("deformer: -type is required");
    std::vector<MObject> shapes;
    for (std::size_t i = 0; i < args.positionalCount(); ++i)
        shapes.push_back(meshShapeNamed(args.positionalString(i)));
    const std::string name = args.flagString("name");
    if (args.isFlagSet("name") && name.empty())
        throw commands::CommandError("deformer: -name needs a name");
    try {
        const MObject node = insertDeformer(args.flagString("type"), name, shapes);
        result = commands::Value(std::vector<std::string>{nameOf(node)});
    } catch (const commands::CommandError&) {
        throw;
    } catch (const std::exception& e) {
        throw commands::CommandError(std::string("deformer: ") + e.what());
    }
}

}  // namespace

void registerDeformerSupport() {
    registerDeformerEvaluation();
    commands::CommandSpec spec;
    spec.name = "deformer";
    spec.flags = {{"typ", "type", {commands::ArgType::kString}},
                  {"n", "name", {commands::ArgType::kString}}};
    spec.minPositional = 1;
    spec.handler = deformerCommand;
    commands::registerCommand(std::move(spec));
}

}  // namespace zt::host
