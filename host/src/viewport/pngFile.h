#pragma once
// PNG and JPEG output of rendered images.

#include <string>

#include "offscreenContext.h"

namespace zt::host {

// Writes an RGBA image as an opaque 8-bit RGB PNG file. Returns false, with
// the reason in `error`, when the image is empty or the file cannot be written.
bool writePng(const std::string& path, const Image& image, std::string& error);

// The same as a baseline JPEG of the given quality (1 to 100).
bool writeJpeg(const std::string& path, const Image& image, int quality, std::string& error);

}  // namespace zt::host
