#pragma once
// Texture images of the host's file texture node: PNG and JPEG files read
// with stb_image into linear float RGB, and looked up at a UV.

#include <string>
#include <vector>

namespace zt::host {

struct Rgb {
    float r = 0.0f, g = 0.0f, b = 0.0f;
};

// How a texture is looked up between and beyond its texels.
struct TextureLookup {
    bool wrapU = true;  // repeat beyond [0, 1] in U; otherwise outside is `outside`
    bool wrapV = true;
    bool bilinear = true;  // blend the four nearest texels; otherwise the nearest one
    Rgb outside{0.5f, 0.5f, 0.5f};
};

// An RGB image, row 0 at the top as files store it. V = 0 is the bottom
// edge of the picture and V = 1 the top, U = 0 the left edge.
class TextureImage {
public:
    TextureImage() = default;
    TextureImage(int width, int height, std::vector<float> rgb);

    // Reads a PNG or JPEG file (any format stb_image reads). Returns false,
    // with a message naming the file in `error`, when the file is missing,
    // unreadable, truncated or not an image.
    bool load(const std::string& path, std::string& error);

    int width() const { return width_; }
    int height() const { return height_; }
    bool empty() const { return width_ <= 0 || height_ <= 0; }
    Rgb texel(int x, int y) const;

    // The colour at (u, v); texel centres lie at ((x + 0.5) / width,
    // 1 - (y + 0.5) / height).
    Rgb sample(float u, float v, const TextureLookup& lookup) const;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<float> rgb_;  // 3 floats per texel, rows top to bottom
};

}  // namespace zt::host
