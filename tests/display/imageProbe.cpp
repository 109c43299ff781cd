#include "imageProbe.h"

#include <cstdlib>

#include "host/src/render/stbImage.h"

using zt::host::Image;

namespace {
bool matches(const Image& image, int x, int y, Rgb colour, int tolerance) {
    const std::uint8_t* p = image.pixel(x, y);
    for (int c = 0; c < 3; ++c)
        if (std::abs(int(p[c]) - colour[size_t(c)]) > tolerance) return false;
    return true;
}
}  // namespace

bool colourNear(const Image& image, int x, int y, Rgb colour, int tolerance) {
    if (x < 0 || y < 0 || x >= image.width || y >= image.height) return false;
    return matches(image, x, y, colour, tolerance);
}

bool colourNearby(const Image& image, int x, int y, Rgb colour, int tolerance, int radius) {
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx)
            if (colourNear(image, x + dx, y + dy, colour, tolerance)) return true;
    return false;
}

PixelBox boxOfColour(const Image& image, Rgb colour, int tolerance) {
    PixelBox box;
    box.minX = image.width;
    box.minY = image.height;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            if (!matches(image, x, y, colour, tolerance)) continue;
            ++box.count;
            box.minX = std::min(box.minX, x), box.maxX = std::max(box.maxX, x);
            box.minY = std::min(box.minY, y), box.maxY = std::max(box.maxY, y);
        }
    return box;
}

int countOtherThan(const Image& image, Rgb colour, int tolerance) {
    return image.width * image.height - boxOfColour(image, colour, tolerance).count;
}

Image readPngFile(const std::string& path) {
    Image image;
    int w = 0, h = 0, channels = 0;
    unsigned char* data = stbi_load(path.c_str(), &w, &h, &channels, 4);
    if (!data) return image;
    image.width = w;
    image.height = h;
    image.rgba.assign(data, data + size_t(w) * size_t(h) * 4);
    stbi_image_free(data);
    return image;
}
