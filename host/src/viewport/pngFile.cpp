#include "viewport/pngFile.h"

#include "render/stbImageWrite.h"

#include <vector>

namespace zt::host {

namespace {

// The viewport has no use for transparency, so the alpha channel is dropped.
bool opaqueRgb(const std::string& path, const Image& image, std::vector<unsigned char>& rgb,
               std::string& error) {
    if (image.width <= 0 || image.height <= 0 ||
        image.rgba.size() != size_t(image.width) * size_t(image.height) * 4) {
        error = "cannot write an empty or inconsistent image to " + path;
        return false;
    }
    rgb.resize(size_t(image.width) * size_t(image.height) * 3);
    for (size_t i = 0, n = size_t(image.width) * size_t(image.height); i < n; ++i) {
        rgb[i * 3 + 0] = image.rgba[i * 4 + 0];
        rgb[i * 3 + 1] = image.rgba[i * 4 + 1];
        rgb[i * 3 + 2] = image.rgba[i * 4 + 2];
    }
    return true;
}

}  // namespace

bool writePng(const std::string& path, const Image& image, std::string& error) {
    std::vector<unsigned char> rgb;
    if (!opaqueRgb(path, image, rgb, error)) return false;
    if (!stbi_write_png(path.c_str(), image.width, image.height, 3, rgb.data(), image.width * 3)) {
        error = "cannot write the image file " + path;
        return false;
    }
    return true;
}

bool writeJpeg(const std::string& path, const Image& image, int quality, std::string& error) {
    std::vector<unsigned char> rgb;
    if (!opaqueRgb(path, image, rgb, error)) return false;
    if (quality < 1 || quality > 100) {
        error = "JPEG quality must be from 1 to 100";
        return false;
    }
    if (!stbi_write_jpg(path.c_str(), image.width, image.height, 3, rgb.data(), quality)) {
        error = "cannot write the image file " + path;
        return false;
    }
    return true;
}

}  // namespace zt::host
