#include "viewport/bitmapText.h"

#include <GL/gl.h>

#include <vector>

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#endif
#include <stb_easy_font.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace zt::host {

namespace {

// The font only knows printable ASCII; anything else would index past its tables.
std::string printable(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if (c != '\n' && (c < 32 || c > 126)) c = '?';
    return out;
}

// One vertex as stb_easy_font writes it.
struct FontVertex {
    float x, y, z;
    unsigned char colour[4];
};
static_assert(sizeof(FontVertex) == 16, "stb_easy_font vertices are 16 bytes");

}  // namespace

double bitmapTextWidth(const std::string& text, double scale) {
    std::string clean = printable(text);
    return stb_easy_font_width(clean.data()) * scale;
}

void drawBitmapText(const std::string& text, double x, double y, TextAlign align, double scale) {
    if (text.empty()) return;
    std::string clean = printable(text);

    // Every segment of a glyph is one quad of four vertices; no glyph has
    // more than 24 segments.
    std::vector<FontVertex> quads(clean.size() * 24 * 4 + 4);
    const int quadCount = stb_easy_font_print(0.0f, 0.0f, clean.data(), nullptr, quads.data(),
                                              int(quads.size() * sizeof(FontVertex)));

    double left = x;
    const double width = bitmapTextWidth(clean, scale);
    if (align == TextAlign::kCenter) left -= 0.5 * width;
    if (align == TextAlign::kRight) left -= width;

    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glPushAttrib(GL_ENABLE_BIT | GL_TRANSFORM_BIT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_CULL_FACE);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(viewport[0], viewport[0] + viewport[2], viewport[1], viewport[1] + viewport[3], -1.0,
            1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    // The font counts y downwards from the top of the glyphs; the baseline
    // lies kTextCapHeight below that top.
    glBegin(GL_QUADS);
    for (int i = 0; i < quadCount * 4; ++i) {
        const FontVertex& v = quads[size_t(i)];
        glVertex2d(left + v.x * scale, y + (kTextCapHeight - v.y) * scale);
    }
    glEnd();

    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
}

}  // namespace zt::host
