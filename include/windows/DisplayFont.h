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
    std::string path; // a copy: the loader's string is often a temporary
    int width = 0;
    int height = 0;
    int glyph_width = 0;
    int glyph_height = 0;
    int glyphs_per_row = 0;
    unsigned int texture = 0;
    // The texture's size: the image's, or once an outline is made, larger,
    // with every cell's outline ink below the atlas: `outline_width` pixels
    // out (see spread_coverage), in cells that much larger on each side.
    int texture_width = 0;
    int texture_height = 0;
    int outline_width = 0; // 0: no outline cells yet
    // Each cell's ink within the cell, found as the atlas loads (none when
    // it failed): a quad need cover no more of it.
    std::vector<InkBounds> ink;
    const char* failure = nullptr; // why the last load failed (see decode_atlas_file)
    // Where characters beyond the atlas come from, and with a font family
    // of the user's every character (not owned; none: they show as '?').
    GlyphCache* glyphs = nullptr;

    // Needs a current OpenGL context. 0 on success, -1 when the image cannot be
    // decoded; then no texture exists and every character draws as a square.
    int load_from_file(const char* file_path, int glyph_w, int glyph_h, int per_row);
    // Makes the outline cells for this width unless they are there, from
    // the atlas in the texture; needs the font's context. -1 when the font
    // has no atlas to make them from.
    int make_outline(int width);
    void free();
};

// Draws UTF-8 text as a row of size x size textured squares, one per
// character, `spacing` apart, the first with its top-left corner at (x, y);
// characters from the glyph cache take their own advance. Needs a current
// context, outside any glBegin/glEnd pair.
void draw_text(const std::string& text, DisplayFont* font, int x, int y, float size, float spacing);
// Draws the text's shape `width` pixels away on all eight sides (its
// outline, once the text is drawn over it), laid out once, as draw_text
// places it: one quad a glyph, from the outline ink made when the glyph
// entered its texture (the glyph cache renders it with that ink from now
// on), or, where there is none, the glyph drawn eight times.
void draw_text_outline(const std::string& text, DisplayFont* font, int x, int y, float size, float spacing, int width);
// Makes the outline ink of this width that draw_text_outline draws from:
// the atlas's, when its texels land one to a pixel at this size, and the
// glyph cache's from now on. Called before a line's first pass, so that its
// glyphs are rendered with their outline at once.
void prepare_outline(DisplayFont* font, float size, int width);
// The pixels the text's squares span, as draw_text places them: its
// advances and a quarter square either side.
int text_width(const std::string& text, DisplayFont* font, float size, float spacing);
