// The texture-driven scale scene seen in its playblast: boxes on the red
// half of the texture are drawn at full size, those on the green half at a
// fifth of it, so the left part of the picture holds far more box pixels.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "batchRun.h"

#include "host/src/render/stbImage.h"

namespace {

struct FreeImage {
    void operator()(unsigned char* p) const { stbi_image_free(p); }
};

TEST(TexturePlayblast, BoxesOnTheRedHalfAreDrawnLarger) {
    zt::scenes::ScratchDir dir;
    const zt::scenes::BatchResult run = zt::scenes::runBatch(
        {std::string(ZT_SOURCE_DIR) + "/tests/scenes/texture_scale.mel"}, dir.path());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    int width = 0, height = 0, channels = 0;
    std::unique_ptr<unsigned char, FreeImage> pixels(
        stbi_load(dir.file("texture_scale.png").c_str(), &width, &height, &channels, 3));
    ASSERT_TRUE(pixels);
    ASSERT_EQ(width, 300);
    ASSERT_EQ(height, 150);

    // Pixels unlike the background (the corner) in the outer thirds; the
    // source box in the middle third is left out.
    const unsigned char* corner = pixels.get();
    auto differs = [&](int x, int y) {
        const unsigned char* p = pixels.get() + 3 * (y * width + x);
        return std::abs(p[0] - corner[0]) + std::abs(p[1] - corner[1]) +
                   std::abs(p[2] - corner[2]) >
               24;
    };
    int left = 0, right = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width / 3; ++x) left += differs(x, y);
        for (int x = width - width / 3; x < width; ++x) right += differs(x, y);
    }
    // Areas scale with the square of the scale (25 times); allow for
    // outlines, perspective and different point counts.
    EXPECT_GT(right, 0) << "the small boxes are drawn";
    EXPECT_GT(left, 5 * right) << "left " << left << ", right " << right;
}

}  // namespace
