// ztColorBuffer: colours of a shading network at UVs, through the host's
// renderer, and what the output holds when there is nothing or too little
// to sample.

#include <cstdio>
#include <filesystem>
#include <string>

#include "common/pluginScene.h"
#include "common/scratchDir.h"
#include "host/src/render/shading.h"

#include "host/src/render/stbImageWrite.h"

namespace {

using ColorBuffer = PluginScene;

// 2 x 2 picture, rows from the top: red, green / blue, white.
std::string writeQuadTexture() {
    const unsigned char texels[] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    static const zt::testing::ScratchDir dir("color_buffer");
    const std::string path = dir.file("quad.png");
    EXPECT_TRUE(stbi_write_png(path.c_str(), 2, 2, 3, texels, 6));
    return path;
}

void expectColour(const MVector& got, double r, double g, double b, const std::string& where) {
    EXPECT_NEAR(got.x, r, 1e-6) << where;
    EXPECT_NEAR(got.y, g, 1e-6) << where;
    EXPECT_NEAR(got.z, b, 1e-6) << where;
}

TEST_F(ColorBuffer, ConstantColourAtEveryPoint) {
    // Without UVs the node asks for them.
    ASSERT_TRUE(mel("createNode ztColorBuffer -n cb;"));
    const std::string messages = errorsOf([&] { vectors("cb.outColor"); });
    EXPECT_NE(messages.find("cb.inUVs: please supply points UV from ztPointsUV node"),
              std::string::npos)
        << messages;

    ASSERT_TRUE(
        mel("createNode colorConstant -n k;"
            "setAttr k.inColor 0.25 0.5 0.75; connectAttr k.outColor cb.inColor;"
            "setAttr -type vectorArray cb.inUVs 4 0 0 0 0.3 0.9 0 1 1 5 -2 7 0;"));
    const MVectorArray colours = vectors("cb.outColor");
    ASSERT_EQ(colours.length(), 4u);
    for (unsigned int i = 0; i < 4; ++i) expectColour(colours[i], 0.25, 0.5, 0.75, "point");

    // An empty UV list gives an empty colour list.
    ASSERT_TRUE(mel("setAttr -type vectorArray cb.inUVs 0;"));
    EXPECT_EQ(vectors("cb.outColor").length(), 0u);
}

TEST_F(ColorBuffer, TextureTexelsInsideBlendsAtBordersDefaultWhenMissing) {
    const std::string path = writeQuadTexture();
    ASSERT_TRUE(
        mel("createNode ztColorBuffer -n cb; createNode file -n tex;"
            "setAttr -type \"string\" tex.fileTextureName \"" +
            path +
            "\"; connectAttr tex.outColor cb.inColor;"
            // Texel centres (the z of a UV is ignored), then borders.
            "setAttr -type vectorArray cb.inUVs 7"
            " 0.25 0.75 9  0.75 0.75 0  0.25 0.25 0  0.75 0.25 0"
            " 0.5 0.75 0  0.75 0.5 0  0.5 0.5 0;"));
    const MVectorArray c = vectors("cb.outColor");
    ASSERT_EQ(c.length(), 7u);
    expectColour(c[0], 1, 0, 0, "red texel");
    expectColour(c[1], 0, 1, 0, "green texel");
    expectColour(c[2], 0, 0, 1, "blue texel");
    expectColour(c[3], 1, 1, 1, "white texel");
    expectColour(c[4], 0.5, 0.5, 0, "red | green");
    expectColour(c[5], 0.5, 1, 0.5, "green | white");
    expectColour(c[6], 0.5, 0.5, 0.5, "all four");

    // Near a texel centre the colour stays close to that texel's.
    ASSERT_TRUE(mel("setAttr -type vectorArray cb.inUVs 1 0.3 0.7 0;"));
    const MVectorArray near = vectors("cb.outColor");
    ASSERT_EQ(near.length(), 1u);
    // 0.1 texel from the red centre in both directions:
    // 0.9 (0.9 red + 0.1 green) + 0.1 (0.9 blue + 0.1 white).
    expectColour(near[0], 0.82, 0.10, 0.10, "near red");

    // A missing file gives the default colour and a message naming it.
    const std::string missing =
        (std::filesystem::temp_directory_path() / "zt_no_such_texture.png").string();
    std::remove(missing.c_str());
    ASSERT_TRUE(mel("setAttr -type \"string\" tex.fileTextureName \"" + missing +
                    "\"; setAttr -type vectorArray cb.inUVs 2 0.2 0.2 0 0.8 0.8 0;"));
    MVectorArray colours;
    const std::string messages = errorsOf([&] { colours = vectors("cb.outColor"); });
    EXPECT_NE(messages.find(missing), std::string::npos) << messages;
    ASSERT_EQ(colours.length(), 2u);
    for (unsigned int i = 0; i < 2; ++i) expectColour(colours[i], 0.5, 0.5, 0.5, "default");
}

TEST_F(ColorBuffer, NothingToSampleKeepsTheOutput) {
    ASSERT_TRUE(
        mel("createNode ztColorBuffer -n cb; createNode colorConstant -n k;"
            "setAttr k.inColor 1 0 0; connectAttr k.outColor cb.inColor;"
            "setAttr -type vectorArray cb.inUVs 2 0 0 0 1 1 0;"));
    ASSERT_EQ(vectors("cb.outColor").length(), 2u);

    // Disconnected: success, the colours stay.
    ASSERT_TRUE(
        mel("disconnectAttr k.outColor cb.inColor;"
            "setAttr -type vectorArray cb.inUVs 3 0 0 0 1 1 0 1 1 0;"));
    MVectorArray kept;
    const std::string quiet = errorsOf([&] { kept = vectors("cb.outColor"); });
    EXPECT_EQ(quiet.find("Error"), std::string::npos) << quiet;
    ASSERT_EQ(kept.length(), 2u);
    expectColour(kept[1], 1, 0, 0, "kept");

    // The renderer giving fewer colours than points: a message, no change.
    ASSERT_TRUE(mel("connectAttr k.outColor cb.inColor; setAttr k.inColor 0 1 0;"));
    zt::host::testing::truncateNextSampleResults(1);
    const std::string shortMessage = errorsOf([&] { kept = vectors("cb.outColor"); });
    EXPECT_NE(shortMessage.find("gave 1 colours for 3 points"), std::string::npos) << shortMessage;
    ASSERT_EQ(kept.length(), 2u);
    expectColour(kept[0], 1, 0, 0, "kept after a short result");
    // The next evaluation samples all three.
    ASSERT_TRUE(mel("setAttr k.inColor 0 0 1;"));
    const MVectorArray all = vectors("cb.outColor");
    ASSERT_EQ(all.length(), 3u);
    expectColour(all[2], 0, 0, 1, "after");

    // A network that cannot be sampled.
    ASSERT_TRUE(
        mel("createNode transform -n t; connectAttr -f t.translate cb.inColor;"
            "setAttr -type vectorArray cb.inUVs 1 0 0 0;"));
    const std::string failed = errorsOf([&] { kept = vectors("cb.outColor"); });
    EXPECT_NE(failed.find("ztColorBuffer: cannot sample the shading network t.translate"),
              std::string::npos)
        << failed;
    EXPECT_EQ(kept.length(), 3u);
}

}  // namespace
