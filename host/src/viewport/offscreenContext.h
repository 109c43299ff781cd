#pragma once
// A software OpenGL context that renders into memory (Mesa's OSMesa), so the
// viewport works with no display server and no GPU. The context offers the
// legacy fixed-function pipeline that locators draw with.

#include <GL/osmesa.h>

#include <cstdint>
#include <string>
#include <vector>

namespace zt::host {

// An RGBA image, rows from top to bottom, 8 bits per channel.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;

    // The four channels of the pixel in column x of row y (row 0 at the top).
    const std::uint8_t* pixel(int x, int y) const { return &rgba[(size_t(y) * width + x) * 4]; }
};

class OffscreenContext {
public:
    // Creates a context with a 24-bit depth buffer and an 8-bit stencil buffer.
    // Throws std::runtime_error when Mesa cannot create one.
    OffscreenContext();
    ~OffscreenContext();
    OffscreenContext(const OffscreenContext&) = delete;
    OffscreenContext& operator=(const OffscreenContext&) = delete;

    // Binds the context to the calling thread with a colour buffer of the given
    // size (reallocated when the size changes) and sets the GL viewport to it.
    // Throws std::invalid_argument for a size outside 1..16384 and
    // std::runtime_error when Mesa refuses the buffer.
    void makeCurrent(int width, int height);

    // True while this context is the calling thread's current one.
    bool isCurrent() const;

    int width() const { return width_; }
    int height() const { return height_; }

    // Finishes pending drawing and copies the colour buffer.
    Image readPixels() const;

private:
    OSMesaContext context_ = nullptr;
    std::vector<std::uint8_t> colour_;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace zt::host
