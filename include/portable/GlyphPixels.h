#pragma once

#include <vector>

// What a glyph rendered into a 32-bit canvas (four bytes a pixel, the
// channels' coverage in the first three) turns into for the texture.

struct InkBounds {
    int x0 = 0;
    int y0 = 0;
    int x1 = -1; // -1: no ink at all (a space)
    int y1 = -1;
};

// Where any channel of the canvas is lit.
InkBounds ink_bounds(const unsigned char* bits, int width, int height);

// The ink of each cell of an RGBA atlas (`per_row` cells of cell_w by
// cell_h to a row, top row first), in the cell's own pixels: where alpha is
// not 0. A quad over the rest of a cell changes no pixel when blended.
std::vector<InkBounds> atlas_ink(const unsigned char* rgba, int width, int height, int cell_w, int cell_h, int per_row);

// The part of the canvas from (x0, y0), `width` by `height`, as white with
// the coverage as alpha: how the atlas holds its glyphs.
std::vector<unsigned char> coverage_rgba(const unsigned char* bits, int canvas_width, int x0, int y0, int width,
                                         int height);
