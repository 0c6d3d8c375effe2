#pragma once

#include "AtlasDecoding.h"

#include <cstddef>
#include <string>

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

    // Needs a current OpenGL context. 0 on success, -1 when the image cannot be
    // decoded; then no texture exists and every character draws as a square.
    int load_from_file(const char* file_path, int glyph_w, int glyph_h, int per_row);
    void free();
};

// Draws text as a row of size x size textured squares, one per character,
// `spacing` apart, the first with its top-left corner at (x, y). Needs a
// current context, outside any glBegin/glEnd pair.
void draw_text(const std::string& text, DisplayFont* font, int x, int y, float size, float spacing);
