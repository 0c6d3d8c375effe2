// Renders the overlay's font atlas from a TrueType font: square cells of 24
// pixels (or 36, 48, 72 for the larger text scales), 19 to a row, codes 32 to
// 126, white glyphs whose alpha is the coverage, on a fully transparent image
// padded to powers of two (512 x 128 for 24-pixel cells).
//
//   make_atlas <font.ttf> <out.png> [cell]
//
// The overlay draws each character as a cell-sized square advanced by half a
// cell, so each glyph is scaled to that advance and its advance box is
// centred in its cell: successive characters then sit exactly half a cell
// apart, with a quarter cell spare either side for strokes that overhang.
// It fails (3) if any covered pixel would fall outside its cell.
#define STB_TRUETYPE_IMPLEMENTATION
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include "read_file.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "atlas_render.h"

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: make_atlas <font.ttf> <out.png> [24|36|48|72]\n");
        return 2;
    }
    const int cell = argc == 4 ? std::atoi(argv[3]) : 24;
    if (cell != 24 && cell != 36 && cell != 48 && cell != 72) {
        std::fprintf(stderr, "make_atlas: the cell is 24, 36, 48 or 72 pixels\n");
        return 2;
    }
    const std::vector<unsigned char> ttf = read_file(argv[1]);
    RenderedAtlas atlas;
    if (ttf.empty() || render_atlas(ttf, cell, &atlas) != 0) {
        std::fprintf(stderr, "make_atlas: cannot read font %s\n", argv[1]);
        return 1;
    }
    if (atlas.clipped > 0) {
        std::fprintf(stderr, "make_atlas: %d covered pixels fell outside their cells\n", atlas.clipped);
        return 3;
    }
    if (!stbi_write_png(argv[2], atlas.width, atlas.height, 4, atlas.rgba.data(), atlas.width * 4)) {
        std::fprintf(stderr, "make_atlas: cannot write %s\n", argv[2]);
        return 1;
    }
    std::printf("make_atlas: wrote %s (%d-pixel cells, %d x %d, scale %.4f, baseline %d)\n", argv[2], cell, atlas.width,
                atlas.height, atlas.scale, atlas.baseline);
    return 0;
}
