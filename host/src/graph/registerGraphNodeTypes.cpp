// The graph's built-in node types: "time" (the scene's clock) and
// "transform" (whose attributes and matrices are those every transform
// inherits).

#include <maya/MFnUnitAttribute.h>
#include <maya/MPxNode.h>
#include <maya/MTypeId.h>

#include "graph/animCurve.h"
#include "graph/registry.h"
#include "hostInit.h"

namespace zt::host {

namespace {

class TimeNode : public MPxNode {
public:
    static void* creator() { return new TimeNode; }
    static MStatus initialize() {
        MFnUnitAttribute unit;
        outTime = unit.create("outTime", "o", MFnUnitAttribute::kTime, 0.0);
        unit.setKeyable(true);
        return addAttribute(outTime);
    }
    static MObject outTime;
};

MObject TimeNode::outTime;

class TransformNode : public MPxNode {
public:
    static void* creator() { return new TransformNode; }
    Type type() const override { return kTransformNode; }
};

}  // namespace

void registerGraphNodeTypes() {
    registerBuiltinNodeType("time", MTypeId(0x54494d45), TimeNode::creator, TimeNode::initialize,
                            MPxNode::kDependNode, MFn::kTime);
    registerBuiltinNodeType("transform", MTypeId(0x5846524d), TransformNode::creator, nullptr,
                            MPxNode::kTransformNode, MFn::kTransform);
    registerAnimCurveNodeTypes();
}

}  // namespace zt::host
