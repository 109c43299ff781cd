// Texture nodes and MRenderUtil::sampleShadingNetwork: texel lookup and
// bilinear blending, wrap, placement, ramps, constant colours, and what a
// missing or broken texture file gives.

#include <gtest/gtest.h>
#include <maya/MFloatArray.h>
#include <maya/MFloatMatrix.h>
#include <maya/MFloatVectorArray.h>
#include <maya/MRenderUtil.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/scratchDir.h"
#include "host/src/graph/scene.h"
#include "host/src/hostInit.h"
#include "host/src/mel/engine.h"
#include "host/src/render/shading.h"
#include "host/src/render/textureImage.h"

#include "host/src/render/stbImageWrite.h"

namespace {

using zt::host::Rgb;
using zt::host::TextureImage;
using zt::host::TextureLookup;

// The 2 x 2 test picture, rows from the top: red, green / blue, white.
// In UV: red at the top left (u < 0.5, v > 0.5), green top right, blue
// bottom left, white bottom right.
const unsigned char kTexels[] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
const Rgb kRed{1, 0, 0}, kGreen{0, 1, 0}, kBlue{0, 0, 1}, kWhite{1, 1, 1};

std::string scratchPath(const std::string& name) {
    static const zt::testing::ScratchDir dir("render");
    return dir.file(name);
}

std::string writeTestPng() {
    const std::string path = scratchPath("quad.png");
    EXPECT_TRUE(stbi_write_png(path.c_str(), 2, 2, 3, kTexels, 6));
    return path;
}

Rgb average(std::initializer_list<Rgb> colours) {
    Rgb sum;
    for (const Rgb& c : colours) sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
    const float n = static_cast<float>(colours.size());
    return {sum.r / n, sum.g / n, sum.b / n};
}

void expectColour(const Rgb& got, const Rgb& expected, float tolerance, const char* where) {
    SCOPED_TRACE(where);
    EXPECT_NEAR(got.r, expected.r, tolerance);
    EXPECT_NEAR(got.g, expected.g, tolerance);
    EXPECT_NEAR(got.b, expected.b, tolerance);
}

TEST(TextureImage, TexelCentresBordersNearestFilterAndNoWrap) {
    TextureImage image;
    std::string error;
    ASSERT_TRUE(image.load(writeTestPng(), error)) << error;
    ASSERT_EQ(image.width(), 2);
    ASSERT_EQ(image.height(), 2);
    const TextureLookup lookup;
    expectColour(image.sample(0.25f, 0.75f, lookup), kRed, 1e-6f, "top left");
    expectColour(image.sample(0.75f, 0.75f, lookup), kGreen, 1e-6f, "top right");
    expectColour(image.sample(0.25f, 0.25f, lookup), kBlue, 1e-6f, "bottom left");
    expectColour(image.sample(0.75f, 0.25f, lookup), kWhite, 1e-6f, "bottom right");
    // Half way between two texel centres: the mean of the two.
    expectColour(image.sample(0.5f, 0.75f, lookup), average({kRed, kGreen}), 1e-6f, "top border");
    expectColour(image.sample(0.25f, 0.5f, lookup), average({kRed, kBlue}), 1e-6f, "left border");
    expectColour(image.sample(0.5f, 0.5f, lookup), average({kRed, kGreen, kBlue, kWhite}), 1e-6f,
                 "centre");
    // A quarter of the way from the blue centre to the white one.
    expectColour(image.sample(0.375f, 0.25f, lookup), {0.25f, 0.25f, 1.0f}, 1e-6f, "bottom 1/4");
    // Wrapping: the left edge blends with the right column, and one whole
    // repeat further gives the same colour.
    expectColour(image.sample(0.0f, 0.75f, lookup), average({kRed, kGreen}), 1e-6f, "wrap edge");
    expectColour(image.sample(2.25f, -0.25f, lookup), kRed, 1e-6f, "repeat");

    // The nearest filter, and no wrap outside the texture.
    TextureLookup nearest;
    nearest.bilinear = false;
    expectColour(image.sample(0.49f, 0.51f, nearest), kRed, 0.0f, "just inside red");
    expectColour(image.sample(0.51f, 0.49f, nearest), kWhite, 0.0f, "just inside white");
    TextureLookup clamp;
    clamp.wrapU = false;
    clamp.outside = {0.1f, 0.2f, 0.3f};
    expectColour(image.sample(1.5f, 0.25f, clamp), clamp.outside, 0.0f, "beyond U");
    // Without wrapping the edge texel is not blended with the other side.
    expectColour(image.sample(0.0f, 0.75f, clamp), kRed, 1e-6f, "clamped edge");
    expectColour(image.sample(std::nanf(""), 0.5f, clamp), clamp.outside, 0.0f, "NaN");
}

TEST(TextureImage, BrokenFilesFailNamingTheFileAndJpegsRead) {
    TextureImage image;
    std::string error;
    const std::string missing = scratchPath("no_such_texture.png");
    std::remove(missing.c_str());
    EXPECT_FALSE(image.load(missing, error));
    EXPECT_NE(error.find(missing), std::string::npos) << error;

    const std::string text = scratchPath("notes.png");
    std::ofstream(text) << "this is not a picture\n";
    EXPECT_FALSE(image.load(text, error));
    EXPECT_NE(error.find(text), std::string::npos) << error;

    // The first 30 bytes of a PNG: a valid signature and a cut header.
    const std::string whole = writeTestPng();
    std::ifstream in(whole, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 40u);
    const std::string cut = scratchPath("cut.png");
    std::ofstream(cut, std::ios::binary).write(bytes.data(), 30);
    EXPECT_FALSE(image.load(cut, error));
    EXPECT_NE(error.find(cut), std::string::npos) << error;
    EXPECT_TRUE(image.empty());

    // A 16 x 16 picture of one colour, (200, 40, 90), saved at quality 100:
    // a flat colour survives JPEG compression closely.
    ASSERT_TRUE(image.load(std::string(ZT_SOURCE_DIR) + "/tests/data/textures/flat.jpg", error))
        << error;
    EXPECT_EQ(image.width(), 16);
    EXPECT_EQ(image.height(), 16);
    expectColour(image.sample(0.5f, 0.5f, TextureLookup()),
                 {200 / 255.0f, 40 / 255.0f, 90 / 255.0f}, 4 / 255.0f, "jpeg");
}

class ShadingNetwork : public ::testing::Test {
protected:
    static void SetUpTestSuite() { zt::host::startHost(); }
    void SetUp() override { zt::host::newScene(); }

    static bool mel(const std::string& text) { return zt::mel::executeText(text); }
    // A file texture node "tex" reading `path`, then the `more` commands.
    static bool fileTexture(const std::string& path, const std::string& more = "") {
        return mel("createNode file -n tex; setAttr -type \"string\" tex.fileTextureName \"" +
                   path + "\";" + more);
    }

    // Samples `plug` at the UVs; false when the call fails.
    static bool sample(const std::string& plug, const std::vector<float>& us,
                       const std::vector<float>& vs, std::vector<Rgb>& colours) {
        MFloatArray u(us.data(), static_cast<unsigned int>(us.size()));
        MFloatArray v(vs.data(), static_cast<unsigned int>(vs.size()));
        MFloatMatrix camera;
        MFloatVectorArray results, transparencies;
        const MStatus status = MRenderUtil::sampleShadingNetwork(
            plug.c_str(), static_cast<int>(us.size()), false, false, camera, nullptr, &u, &v,
            nullptr, nullptr, nullptr, nullptr, nullptr, results, transparencies);
        colours.clear();
        for (unsigned int i = 0; i < results.length(); ++i)
            colours.push_back({results[i].x, results[i].y, results[i].z});
        return static_cast<bool>(status);
    }
};

TEST_F(ShadingNetwork, FileTextureThroughPlacement) {
    const std::string path = writeTestPng();
    ASSERT_TRUE(fileTexture(path));
    std::vector<Rgb> c;
    ASSERT_TRUE(sample("tex.outColor", {0.25f, 0.75f, 0.5f}, {0.25f, 0.75f, 0.25f}, c));
    ASSERT_EQ(c.size(), 3u);
    expectColour(c[0], kBlue, 1e-6f, "bottom left");
    expectColour(c[1], kGreen, 1e-6f, "top right");
    expectColour(c[2], average({kBlue, kWhite}), 1e-6f, "bottom border");

    // Repeat 2 in U: u = 0.125 lands on 0.25; an offset of 0.5 in V flips rows.
    ASSERT_TRUE(
        mel("createNode place2dTexture -n place; connectAttr place.outUV tex.uvCoord;"
            "setAttr place.repeatUV 2 1; setAttr place.offset 0 0.5;"));
    ASSERT_TRUE(sample("tex.outColor", {0.125f, 0.375f}, {0.25f, 0.25f}, c));
    expectColour(c[0], kRed, 1e-6f, "placed red");
    expectColour(c[1], kGreen, 1e-6f, "placed green");

    // Gain and offset scale the texture's colour.
    ASSERT_TRUE(mel("setAttr tex.colorGain 0.5 0.5 0.5; setAttr tex.colorOffset 0 0 0.25;"));
    ASSERT_TRUE(sample("tex.outColor", {0.125f}, {0.25f}, c));
    expectColour(c[0], {0.5f, 0.0f, 0.25f}, 1e-6f, "gain and offset");
}

TEST_F(ShadingNetwork, ConstantAndRampColours) {
    ASSERT_TRUE(mel("createNode colorConstant -n k; setAttr k.inColor 0.2 0.4 0.6;"));
    std::vector<Rgb> c;
    ASSERT_TRUE(sample("k.outColor", {0.0f, 0.3f, 7.0f}, {0.0f, 0.9f, -2.0f}, c));
    ASSERT_EQ(c.size(), 3u);
    for (const Rgb& colour : c) expectColour(colour, {0.2f, 0.4f, 0.6f}, 0.0f, "constant");

    // A V ramp from red at 0.2 to blue at 0.8.
    ASSERT_TRUE(
        mel("createNode ramp -n r;"
            "setAttr r.colorEntryList[0].position 0.2; setAttr r.colorEntryList[0].color 1 0 0;"
            "setAttr r.colorEntryList[3].position 0.8; setAttr r.colorEntryList[3].color 0 0 1;"));
    ASSERT_TRUE(sample("r.outColor", {0.9f, 0.1f, 0.5f, 0.5f}, {0.0f, 0.35f, 0.5f, 0.95f}, c));
    ASSERT_EQ(c.size(), 4u);
    expectColour(c[0], kRed, 1e-6f, "below the first entry");
    expectColour(c[1], {0.75f, 0.0f, 0.25f}, 1e-6f, "a quarter of the way");
    expectColour(c[2], {0.5f, 0.0f, 0.5f}, 1e-6f, "half way");
    expectColour(c[3], kBlue, 1e-6f, "above the last entry");

    // Without interpolation the entry below holds; along U the ramp ignores V.
    ASSERT_TRUE(mel("setAttr r.interpolation 0; setAttr r.type 1;"));
    ASSERT_TRUE(sample("r.outColor", {0.79f, 0.81f}, {0.5f, 0.5f}, c));
    expectColour(c[0], kRed, 0.0f, "step below");
    expectColour(c[1], kBlue, 0.0f, "step above");

    // An entry's colour may come from another network.
    ASSERT_TRUE(mel("connectAttr k.outColor r.colorEntryList[3].color;"));
    ASSERT_TRUE(sample("r.outColor", {0.9f}, {0.5f}, c));
    expectColour(c[0], {0.2f, 0.4f, 0.6f}, 1e-6f, "connected entry");
}

TEST_F(ShadingNetwork, MissingTexturesShadeTheDefaultAndNonShadingPlugsFail) {
    const std::string missing = scratchPath("gone.png");
    std::remove(missing.c_str());
    ASSERT_TRUE(fileTexture(missing, "setAttr tex.defaultColor 0.1 0.2 0.3;"));
    std::vector<Rgb> c;
    ::testing::internal::CaptureStderr();
    const bool sampled = sample("tex.outColor", {0.25f, 0.75f}, {0.25f, 0.75f}, c);
    const std::string messages = ::testing::internal::GetCapturedStderr();
    ASSERT_TRUE(sampled);
    EXPECT_NE(messages.find(missing), std::string::npos) << messages;
    ASSERT_EQ(c.size(), 2u);
    for (const Rgb& colour : c) expectColour(colour, {0.1f, 0.2f, 0.3f}, 1e-6f, "default");

    // Plugs that are not shading outputs fail.
    ASSERT_TRUE(mel("createNode transform -n t; createNode colorConstant -n k;"));
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(sample("t.translate", {0.5f}, {0.5f}, c));
    EXPECT_FALSE(sample("nothere.outColor", {0.5f}, {0.5f}, c));
    EXPECT_FALSE(sample("k.inColor", {0.5f}, {0.5f}, c));
    const std::string refusals = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(refusals.find("t.translate"), std::string::npos) << refusals;
    EXPECT_TRUE(c.empty());

    // Fewer UVs than samples is refused rather than read past.
    MFloatArray u(1, 0.5f), v(1, 0.5f);
    MFloatMatrix camera;
    MFloatVectorArray results, transparencies;
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(MRenderUtil::sampleShadingNetwork("k.outColor", 3, false, false, camera, nullptr,
                                                   &u, &v, nullptr, nullptr, nullptr, nullptr,
                                                   nullptr, results, transparencies));
    ::testing::internal::GetCapturedStderr();
}

TEST_F(ShadingNetwork, ReadingOutColorShadesAtTheNodesOwnUv) {
    const std::string path = writeTestPng();
    ASSERT_TRUE(fileTexture(path, "setAttr tex.uvCoord 0.75 0.25; setAttr tex.filterType 0;"));
    MPlug plug;
    ASSERT_TRUE(zt::host::plugFromString("tex.outColor", plug));
    EXPECT_FLOAT_EQ(plug.child(0).asFloat(), 1.0f);
    EXPECT_FLOAT_EQ(plug.child(1).asFloat(), 1.0f);
    ASSERT_TRUE(mel("setAttr tex.uvCoord 0.25 0.75;"));
    EXPECT_FLOAT_EQ(plug.child(0).asFloat(), 1.0f);
    EXPECT_FLOAT_EQ(plug.child(1).asFloat(), 0.0f);
}

}  // namespace
