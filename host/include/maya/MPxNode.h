#pragma once
// Base class of every node type, built-in or from a plug-in. The host
// creates an instance through the type's creator and owns it from then on.

#include <maya/MObject.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MTypeId.h>
#include <maya/MTypes.h>

class MPlug;
class MPlugArray;
class MDataBlock;

namespace zt {
namespace host {
class NodeImpl;
struct NodeAccess;
}  // namespace host
}  // namespace zt

class OPENMAYA_EXPORT MPxNode {
public:
    enum Type {
        kDependNode,
        kLocatorNode,
        kDeformerNode,
        kManipContainer,
        kSurfaceShape,
        kFieldNode,
        kEmitterNode,
        kSpringNode,
        kIkSolverNode,
        kHardwareShader,
        kHwShaderNode,
        kTransformNode,
        kObjectSet,
        kFluidEmitterNode,
        kImagePlaneNode,
        kParticleAttributeMapperNode,
        kCameraSetNode,
        kConstraintNode,
        kManipulatorNode,
        kMotionPathNode,
        kClientDeviceNode,
        kThreadedDeviceNode,
        kAssembly,
        kLast
    };

    MPxNode();
    virtual ~MPxNode();
    virtual void postConstructor();
    virtual MStatus compute(const MPlug& plug, MDataBlock& dataBlock);
    virtual Type type() const;
    virtual MTypeId typeId() const;
    virtual MString typeName() const;
    virtual MString name() const;
    virtual MObject thisMObject() const;
    virtual MStatus setDependentsDirty(const MPlug& plug, MPlugArray& plugArray);
    virtual MStatus connectionMade(const MPlug& plug, const MPlug& otherPlug, bool asSrc);
    virtual MStatus connectionBroken(const MPlug& plug, const MPlug& otherPlug, bool asSrc);

    static MStatus addAttribute(const MObject& attr);
    static MStatus inheritAttributesFrom(const MString& parentClassName);
    static MStatus attributeAffects(const MObject& whenChanges, const MObject& isAffected);

    static MObject message;
    static MObject isHistoricallyInteresting;
    static MObject caching;
    static MObject state;

private:
    MPxNode(const MPxNode&);
    MPxNode& operator=(const MPxNode&);
    friend struct zt::host::NodeAccess;
    zt::host::NodeImpl* node_;
};
