#include "viewport/offscreenContext.h"

#include <GL/gl.h>

#include <stdexcept>

namespace zt::host {

namespace {
constexpr int kMaxSide = 16384;
}

OffscreenContext::OffscreenContext() {
    const int attributes[] = {OSMESA_FORMAT,
                              OSMESA_RGBA,
                              OSMESA_DEPTH_BITS,
                              24,
                              OSMESA_STENCIL_BITS,
                              8,
                              OSMESA_PROFILE,
                              OSMESA_COMPAT_PROFILE,
                              0};
    context_ = OSMesaCreateContextAttribs(attributes, nullptr);
    if (!context_) context_ = OSMesaCreateContextExt(OSMESA_RGBA, 24, 8, 0, nullptr);
    if (!context_) throw std::runtime_error("cannot create an off-screen OpenGL context (OSMesa)");
}

OffscreenContext::~OffscreenContext() {
    if (isCurrent()) OSMesaMakeCurrent(nullptr, nullptr, GL_UNSIGNED_BYTE, 0, 0);
    OSMesaDestroyContext(context_);
}

void OffscreenContext::makeCurrent(int width, int height) {
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide)
        throw std::invalid_argument("image size " + std::to_string(width) + "x" +
                                    std::to_string(height) + " is outside 1.." +
                                    std::to_string(kMaxSide));
    const size_t bytes = size_t(width) * size_t(height) * 4;
    if (colour_.size() != bytes) colour_.assign(bytes, 0);
    if (!OSMesaMakeCurrent(context_, colour_.data(), GL_UNSIGNED_BYTE, width, height))
        throw std::runtime_error("OSMesaMakeCurrent failed");
    // Row 0 of the buffer is the top of the picture, as image files store it.
    OSMesaPixelStore(OSMESA_Y_UP, 0);
    width_ = width;
    height_ = height;
    glViewport(0, 0, width, height);
}

bool OffscreenContext::isCurrent() const {
    return context_ != nullptr && OSMesaGetCurrentContext() == context_;
}

Image OffscreenContext::readPixels() const {
    Image image;
    if (width_ == 0) return image;
    if (isCurrent()) glFinish();
    image.width = width_;
    image.height = height_;
    image.rgba = colour_;
    return image;
}

}  // namespace zt::host
