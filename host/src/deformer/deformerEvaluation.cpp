// What every deformer computes without help from its own class: an element
// of outputGeom is the geometry of the same element of input, handed to the
// node's deform() through an iterator that writes into the output. A node's
// compute answering kUnknownParameter for outputGeom gets this behaviour.
//
//   input[i].inputGeometry --deform()--> outputGeometry[i]
//
// The output starts as the input's data object itself; the iterator copies
// it on the first write, so an upstream mesh is never changed in place and a
// deform that moves nothing passes the input through at no cost. A node
// whose nodeState is "hasNoEffect" (1) passes every geometry through.

#include <maya/MDagPath.h>
#include <maya/MDataBlock.h>
#include <maya/MDataHandle.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MGlobal.h>
#include <maya/MItGeometry.h>
#include <maya/MMatrix.h>
#include <maya/MPlug.h>
#include <maya/MPlugArray.h>
#include <maya/MPxDeformerNode.h>

#include <functional>
#include <utility>
#include <vector>

#include "deformer/deformerSupport.h"
#include "graph/registry.h"
#include "graph/scene.h"

namespace zt::host {

namespace {

constexpr short kHasNoEffect = 1;

// The world matrix of the shape that the output element feeds, the identity
// when it feeds no DAG node.
MMatrix localToWorldOf(const MPlug& output) {
    MPlugArray destinations;
    output.connectedTo(destinations, false, true);
    for (unsigned int i = 0; i < destinations.length(); ++i) {
        MDagPath path;
        if (MDagPath::getAPathTo(destinations[i].node(), path) == MS::kSuccess)
            return path.inclusiveMatrix();
    }
    return MMatrix();
}

MStatus deformElement(MPxDeformerNode& deformer, unsigned int index, MDataBlock& block) {
    const MObject self = deformer.thisMObject();
    MStatus status;
    MPlug element = MPlug(self, MPxDeformerNode::input).elementByLogicalIndex(index, &status);
    if (!status) return status;
    const MPlug inputPlug = element.child(MPxDeformerNode::inputGeom, &status);
    if (!status) return status;
    const MPlug groupPlug = element.child(MPxDeformerNode::groupId, &status);
    if (!status) return status;
    const MPlug outputPlug =
        MPlug(self, MPxDeformerNode::outputGeom).elementByLogicalIndex(index, &status);
    if (!status) return status;

    MDataHandle in = block.inputValue(inputPlug, &status);
    if (!status) return status;
    const MObject geometry = in.data();
    if (geometry.isNull() || !geometry.hasFn(MFn::kMeshData)) {
        MGlobal::displayError(inputPlug.name() + ": no mesh to deform");
        return MS::kFailure;
    }
    const unsigned int groupId = static_cast<unsigned int>(block.inputValue(groupPlug).asInt());

    MDataHandle out = block.outputValue(outputPlug, &status);
    if (!status) return status;
    status = out.set(geometry);
    if (!status) return status;

    const short nodeState = block.inputValue(MPxNode::state).asShort();
    if (nodeState != kHasNoEffect) {
        MItGeometry iter(out, groupId, false, &status);
        if (!status) return status;
        status = deformer.deform(block, iter, localToWorldOf(outputPlug), index);
        if (!status) return status;
    }
    return block.setClean(outputPlug);
}

MStatus computeDeformerOutput(MPxNode& node, const MPlug& plug, MDataBlock& block) {
    auto* deformer = dynamic_cast<MPxDeformerNode*>(&node);
    if (!deformer || plug.attribute() != MPxDeformerNode::outputGeom) return MS::kUnknownParameter;
    if (plug.isElement()) return deformElement(*deformer, plug.logicalIndex(), block);

    // The whole array: every element that has an input.
    std::vector<unsigned int> indices;
    MPlug(deformer->thisMObject(), MPxDeformerNode::input)
        .getExistingArrayAttributeIndices(indices);
    MStatus result = MS::kSuccess;
    for (unsigned int index : indices) {
        const MStatus status = deformElement(*deformer, index, block);
        if (!status) result = status;
    }
    return result;
}

// A deformer being deleted hands the mesh each input element receives to
// what the same output element feeds, so that a shape keeps the rest of its
// history (a deformer below this one, or its "Orig" shape), as in the real
// host.
std::function<void()> handOverHistory(const MObject& node) {
    std::vector<std::pair<MPlug, MPlug>> links;  // (upstream, downstream)
    std::vector<unsigned int> indices;
    MPlug(node, MPxDeformerNode::outputGeom).getExistingArrayAttributeIndices(indices);
    for (const unsigned int k : indices) {
        MPlugArray sources, destinations;
        const MPlug input = MPlug(node, MPxDeformerNode::input)
                                .elementByLogicalIndex(k)
                                .child(MPxDeformerNode::inputGeom);
        if (!input.connectedTo(sources, true, false) || sources.length() == 0) continue;
        MPlug(node, MPxDeformerNode::outputGeom)
            .elementByLogicalIndex(k)
            .connectedTo(destinations, false, true);
        for (unsigned int i = 0; i < destinations.length(); ++i)
            links.emplace_back(sources[0], destinations[i]);
    }
    if (links.empty()) return nullptr;
    return [links] {
        for (const auto& [upstream, downstream] : links) connectPlugs(upstream, downstream);
    };
}

}  // namespace

void registerDeformerEvaluation() {
    setKindCompute(MPxNode::kDeformerNode, computeDeformerOutput);
    setKindDeletion(MPxNode::kDeformerNode, handOverHistory);
}

}  // namespace zt::host
