#pragma once
// Text drawn into the current OpenGL context with a small built-in bitmap font
// (stb_easy_font), so labels need neither a font file nor a window system.

#include <string>

namespace zt::host {

enum class TextAlign { kLeft, kCenter, kRight };

// Height in pixels of one line of text above its baseline, at scale 1.
constexpr int kTextCapHeight = 7;

// Width in pixels of the text at the given scale (the widest line).
double bitmapTextWidth(const std::string& text, double scale);

// Draws the text with the current colour, its baseline through window
// position (x, y) (pixels from the viewport's bottom-left corner, as OpenGL
// counts them) and aligned on x by `align`. The text is an overlay: it is
// neither depth-tested nor lit. Characters outside printable ASCII show as '?'.
// Restores every matrix and enable state it changes.
void drawBitmapText(const std::string& text, double x, double y, TextAlign align, double scale);

}  // namespace zt::host
