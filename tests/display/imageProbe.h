#pragma once
// Pixel queries on rendered pictures for the display tests.

#include <array>
#include <string>

#include "host/src/viewport/offscreenContext.h"

using Rgb = std::array<int, 3>;

// Whether pixel (x, y) (row 0 at the top) has the colour, each channel within
// the tolerance. False outside the picture.
bool colourNear(const zt::host::Image& image, int x, int y, Rgb colour, int tolerance);

// Whether some pixel within `radius` of (x, y) has the colour.
bool colourNearby(const zt::host::Image& image, int x, int y, Rgb colour, int tolerance,
                  int radius);

// The bounding rectangle and number of the pixels that have the colour.
struct PixelBox {
    int count = 0;
    int minX = 0, maxX = -1, minY = 0, maxY = -1;
};
PixelBox boxOfColour(const zt::host::Image& image, Rgb colour, int tolerance);

// Number of pixels that differ from the colour by more than the tolerance.
int countOtherThan(const zt::host::Image& image, Rgb colour, int tolerance);

// Reads a PNG file; an empty image when it cannot be read.
zt::host::Image readPngFile(const std::string& path);

// The colour as the GL quantises a float colour to 8 bits.
inline Rgb toRgb(float r, float g, float b) {
    auto q = [](float v) { return int(v * 255.0f + 0.5f); };
    return {q(r), q(g), q(b)};
}
