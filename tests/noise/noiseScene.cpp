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

void NoiseTest::SetUpTestSuite() {
    zt::host::startHost();
    struct Row {
        const char* name;
        const MTypeId& id;
        MCreatorFunction creator;
        MInitializeFunction initialize;
        MPxNode::Type kind;
    };
    const Row rows[] = {
        {"ztNoiseLocator", ztNoiseLocator::id, ztNoiseLocator::creator, ztNoiseLocator::initialize,
         MPxNode::kLocatorNode},
        {"ztNoise", ztNoise::id, ztNoise::creator, ztNoise::initialize, MPxNode::kDeformerNode},
        {"ztScatterPoints", ztScatterPoints::id, ztScatterPoints::creator,
         ztScatterPoints::initialize, MPxNode::kDependNode},
        {"ztPointsRotation", ztPointsRotation::id, ztPointsRotation::creator,
         ztPointsRotation::initialize, MPxNode::kDependNode},
        {"ztPlantPoints", ztPlantPoints::id, ztPlantPoints::creator, ztPlantPoints::initialize,
         MPxNode::kDependNode},
    };
    for (const Row& row : rows) {
        if (zt::host::nodeTypeExists(row.name)) continue;
        ASSERT_TRUE(zt::host::registerBuiltinNodeType(row.name, row.id, row.creator, row.initialize,
                                                      row.kind, MFn::kInvalid))
            << row.name;
    }
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
