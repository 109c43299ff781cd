// The nodes that read points lying on an input mesh, without a mesh: each
// names its inMesh plug, fails, and holds no output.

#include "common/pluginScene.h"

namespace {

using MeshInput = PluginScene;

TEST_F(MeshInput, NodesWithoutAMeshNameTheirInMeshPlug) {
    const struct {
        const char* type;
        const char* output;
        bool pointSetOutput;
        const char* diagnostic;  // the node's own line on the error stream
    } nodes[] = {
        {"ztPointsUV", "bare.outUVs", false, "ERROR MFnMesh"},
        {"ztPointsNormal", "bare.outPoints", true, nullptr},
        {"ztPlantPoints", "bare.outPoints", true, nullptr},
    };
    for (const auto& node : nodes) {
        SCOPED_TRACE(node.type);
        zt::host::newScene();
        ASSERT_TRUE(mel(std::string("createNode ") + node.type + " -n bare;"));
        ASSERT_TRUE(plug("bare.inPoints").setValue(pointSet({0}, {{0.25, 0.25}})));
        unsigned int held = 1;
        const std::string messages = errorsOf([&] {
            held = node.pointSetOutput ? channelLength(points(node.output), "triID")
                                       : vectors(node.output).length();
        });
        EXPECT_NE(messages.find("bare.inMesh: please supply inMesh"), std::string::npos)
            << messages;
        if (node.diagnostic) {
            EXPECT_NE(messages.find(node.diagnostic), std::string::npos) << messages;
        }
        EXPECT_EQ(held, 0u);
    }
}

}  // namespace
