#pragma once
// Function-set and object type identifiers. The values the plug-in and the
// host's own code compare against keep the numbering of the SDK the
// plug-in targets; the rest are distinct numbers of this host's choosing.

#include <maya/MTypes.h>

class FND_EXPORT MFn {
public:
    enum Type {
        kInvalid = 0,
        kBase = 1,
        kNamedObject = 2,
        kModel = 3,
        kDependencyNode = 4,
        kAnimCurve = 7,
        kDagNode = 107,
        kTransform = 110,
        kGeometryFilt = 116,
        kShape = 248,
        kCamera = 250,
        kLocator = 251,
        kEmitter = 255,
        kMesh = 296,
        kParticle = 311,
        kWeightGeometryFilt = 335,
        kPluginDependNode = 452,
        kPluginLocatorNode = 453,
        kTime = 513,
        kAttribute = 554,
        kNumericAttribute = 555,
        kUnitAttribute = 556,
        kTypedAttribute = 557,
        kCompoundAttribute = 558,
        kEnumAttribute = 559,
        kMatrixAttribute = 560,
        kMessageAttribute = 561,
        kData = 570,
        kNumericData = 571,
        kComponentListData = 572,
        kDoubleArrayData = 573,
        kIntArrayData = 574,
        kMatrixData = 576,
        kMeshData = 581,
        kPlugin = 583,
        kGeometryData = 584,
        kPointArrayData = 594,
        kStringArrayData = 595,
        kStringData = 596,
        kVectorArrayData = 599,
        kPluginDeformerNode = 607,
        kPluginShape = 698,
        kDynArrayAttrsData = 721,
        kInstancer = 749,
        kPluginEmitterNode = 723,
        kPluginTransformNode = 898,
        kLast = 1100
    };
};
