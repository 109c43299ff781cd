#include "noiseScene.h"

#include <maya/MFnDependencyNode.h>
#include <maya/MFnMesh.h>
#include <maya/MFnVectorArrayData.h>

#include "attributes/ztPointsRotation.h"
#include "host/src/graph/registry.h"
#include "host/src/graph/scene.h"
#include "host/src/hostInit.h"
#include "host/src/mel/engine.h"
#include "noise/ztNoise.h"
#include "noise/ztNoiseLocator.h"
#include "scatter/ztPlantPoints.h"
#include "scatter/ztScatterPoints.h"

namespace noisetest {

namespace {

template <class Node>
void registerNode(const char* name, MPxNode::Type kind) {
    if (zt::host::nodeTypeExists(name)) return;
    ASSERT_TRUE(zt::host::registerBuiltinNodeType(name, Node::id, Node::creator, Node::initialize,
                                                  kind, MFn::kInvalid))
        << name;
}

}  // namespace

void NoiseTest::SetUpTestSuite() {
    zt::host::startHost();
    registerNode<ztNoiseLocator>("ztNoiseLocator", MPxNode::kLocatorNode);
    registerNode<ztNoise>("ztNoise", MPxNode::kDeformerNode);
    registerNode<ztScatterPoints>("ztScatterPoints", MPxNode::kDependNode);
    registerNode<ztPointsRotation>("ztPointsRotation", MPxNode::kDependNode);
    registerNode<ztPlantPoints>("ztPlantPoints", MPxNode::kDependNode);
}

void NoiseTest::SetUp() {
    zt::host::newScene();
}

bool mel(const std::string& text) {
    return zt::mel::executeText(text);
}

MPlug plug(const std::string& name) {
    MPlug found;
    EXPECT_TRUE(zt::host::plugFromString(name, found)) << name;
    return found;
}

MObject node(const std::string& name) {
    return zt::host::findNode(name);
}

MPointArray meshPoints(const std::string& plugName) {
    MPointArray points;
    MObject data = plug(plugName).asMObject();
    MStatus status;
    MFnMesh mesh(data, &status);
    EXPECT_TRUE(status) << plugName << " holds no mesh";
    if (status) {
        EXPECT_TRUE(mesh.getPoints(points));
    }
    return points;
}

MVectorArray vectors(const std::string& plugName) {
    MObject data = plug(plugName).asMObject();
    MStatus status;
    MFnVectorArrayData array(data, &status);
    EXPECT_TRUE(status) << plugName << " holds no vector array";
    return status ? array.array() : MVectorArray();
}

void deformedPlane(double width, int subdivisions) {
    const std::string w = std::to_string(width);
    const std::string s = std::to_string(subdivisions);
    ASSERT_TRUE(mel("polyPlane -n ground -w " + w + " -h " + w + " -sx " + s + " -sy " + s + ";"));
    ASSERT_TRUE(mel("deformer -type ztNoise groundShape;"));
    ASSERT_FALSE(node("ztNoise1").isNull());
}

void setAxis(const char* axis, double amplitude, double frequency, int octaves) {
    const std::string prefix = std::string("setAttr ztNoise1.o") + axis;
    ASSERT_TRUE(mel(prefix + "NoiseAmp " + std::to_string(amplitude) + ";" + prefix + "NoiseFreq " +
                    std::to_string(frequency) + ";" + prefix + "NoiseOctaves " +
                    std::to_string(octaves) + ";"));
}

}  // namespace noisetest
