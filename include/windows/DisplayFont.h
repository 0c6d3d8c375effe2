#pragma once

#include "AtlasDecoding.h"
#include "GlyphPixels.h"

class GlyphCache;

#include <cstddef>
#include <string>
#include <vector>

// A monospaced bitmap font: one atlas image cut into equal cells, one per
// character from code 32 upward, uploaded once as an OpenGL texture.
class DisplayFont {
public:
    const char* path = nullptr; // borrowed: the caller's string must outlive the font
    int width = 0;
    int height = 0;
    int glyph_width = 0;
    int glyph_height = 0;
    int glyphs_per_row = 0;
    unsigned int texture = 0;
    const char* failure = nullptr; // why the last load failed (see decode_atlas_file)
    // Where characters beyond the atlas come from, and with a font family
    // of the user's every character (not owned; none: they show as '?').
    GlyphCache* glyphs = nullptr;
    // Each cell's ink, by atlas index, found as the atlas is loaded: a
    // character's quad covers only that (llvmpipe rasterises every pixel
    // of a quad, though most of a cell is clear); empty while none is loaded.
    std::vector<InkBounds> ink;

    // Needs a current OpenGL context. 0 on success, -1 when the image cannot be
    // decoded; then no texture exists and every character draws as a square.
    int load_from_file(const char* file_path, int glyph_w, int glyph_h, int per_row);
    void free();
};

// Draws UTF-8 text as a row of size x size textured squares, one per
// character, `spacing` apart, the first with its top-left corner at (x, y);
// characters from the glyph cache take their own advance. Needs a current
// context, outside any glBegin/glEnd pair.
void draw_text(const std::string& text, DisplayFont* font, int x, int y, float size, float spacing);
// Draws the text's shape `width` pixels away on all eight sides (its
// outline, once the text is drawn over it), laid out once, as draw_text
// places it.
void draw_text_outline(const std::string& text, DisplayFont* font, int x, int y, float size, float spacing, int width);
// The pixels the text's squares span, as draw_text places them: its
// advances and a quarter square either side.
int text_width(const std::string& text, DisplayFont* font, float size, float spacing);
