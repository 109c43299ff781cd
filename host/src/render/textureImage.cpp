#include "render/textureImage.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <utility>

#include "render/stbImage.h"

namespace zt::host {

namespace {

struct StbFree {
    void operator()(unsigned char* pixels) const { stbi_image_free(pixels); }
};

// Index of a texel column or row: repeated when wrapping, else clamped.
int wrapIndex(int i, int size, bool wrap) {
    if (wrap) {
        const int m = i % size;
        return m < 0 ? m + size : m;
    }
    return i < 0 ? 0 : (i >= size ? size - 1 : i);
}

Rgb mix(const Rgb& a, const Rgb& b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

}  // namespace

TextureImage::TextureImage(int width, int height, std::vector<float> rgb)
    : width_(width), height_(height), rgb_(std::move(rgb)) {
    if (width_ <= 0 || height_ <= 0 ||
        rgb_.size() != 3 * static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_)) {
        width_ = height_ = 0;
        rgb_.clear();
    }
}

bool TextureImage::load(const std::string& path, std::string& error) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        error = "cannot open the texture file " + path;
        return false;
    }
    int width = 0, height = 0, channels = 0;
    std::unique_ptr<unsigned char, StbFree> pixels(
        stbi_load_from_file(file, &width, &height, &channels, 3));
    std::fclose(file);
    if (!pixels || width <= 0 || height <= 0) {
        const char* reason = stbi_failure_reason();
        error = "cannot read the texture file " + path + " (" + (reason ? reason : "not an image") +
                ")";
        return false;
    }
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    std::vector<float> rgb(3 * count);
    for (std::size_t i = 0; i < 3 * count; ++i) rgb[i] = pixels.get()[i] / 255.0f;
    *this = TextureImage(width, height, std::move(rgb));
    return true;
}

Rgb TextureImage::texel(int x, int y) const {
    const float* p = rgb_.data() + 3 * (static_cast<std::size_t>(y) * width_ + x);
    return {p[0], p[1], p[2]};
}

Rgb TextureImage::sample(float u, float v, const TextureLookup& lookup) const {
    if (empty() || !std::isfinite(u) || !std::isfinite(v)) return lookup.outside;
    if ((!lookup.wrapU && (u < 0.0f || u > 1.0f)) || (!lookup.wrapV && (v < 0.0f || v > 1.0f)))
        return lookup.outside;
    // Repeating textures only need the fractional part (this also keeps
    // the texel indices of very large coordinates in range).
    if (lookup.wrapU) u -= std::floor(u);
    if (lookup.wrapV) v -= std::floor(v);
    // Continuous texel coordinates, rows counted from the top.
    const float x = u * width_;
    const float y = (1.0f - v) * height_;
    if (!lookup.bilinear) {
        const int ix = wrapIndex(static_cast<int>(std::floor(x)), width_, lookup.wrapU);
        const int iy = wrapIndex(static_cast<int>(std::floor(y)), height_, lookup.wrapV);
        return texel(ix, iy);
    }
    const float fx = x - 0.5f, fy = y - 0.5f;
    const float x0f = std::floor(fx), y0f = std::floor(fy);
    const float tx = fx - x0f, ty = fy - y0f;
    const int x0 = static_cast<int>(x0f), y0 = static_cast<int>(y0f);
    const int xa = wrapIndex(x0, width_, lookup.wrapU),
              xb = wrapIndex(x0 + 1, width_, lookup.wrapU);
    const int ya = wrapIndex(y0, height_, lookup.wrapV),
              yb = wrapIndex(y0 + 1, height_, lookup.wrapV);
    const Rgb top = mix(texel(xa, ya), texel(xb, ya), tx);
    const Rgb bottom = mix(texel(xa, yb), texel(xb, yb), tx);
    return mix(top, bottom, ty);
}

}  // namespace zt::host
