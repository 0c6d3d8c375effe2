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

// The part of the canvas from (x0, y0), `width` by `height`, as white with
// the coverage as alpha: how the atlas holds its glyphs.
std::vector<unsigned char> coverage_rgba(const unsigned char* bits, int canvas_width, int x0, int y0, int width,
                                         int height);

// Where the alpha (the fourth byte) of part of an RGBA image is non-zero: the
// `width` by `height` pixels from (x0, y0) of an image `stride` pixels wide,
// the bounds counted from (x0, y0).
InkBounds alpha_bounds(const unsigned char* rgba, int stride, int x0, int y0, int width, int height);

// The outline's ink around white coverage: the part of an RGBA image as
// above, `spread` pixels out on all eight sides (what its eight copies moved
// that far cover together, as the same colour blended eight times over them
// leaves it: 1 - (1 - a1)(1 - a2)...(1 - a8)), as white with that as alpha,
// `width` + 2 `spread` by `height` + 2 `spread`, the part's own top-left at
// (spread, spread).
std::vector<unsigned char> spread_coverage(const unsigned char* rgba, int stride, int x0, int y0, int width, int height,
                                           int spread);
