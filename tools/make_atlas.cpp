// Renders the overlay's font atlas from a TrueType font: 24 x 24 cells, 19 to
// a row, codes 32 to 126, white glyphs whose alpha is the coverage, on a fully
// transparent 512 x 128 image.
//
//   make_atlas <font.ttf> <out.png>
//
// The overlay draws each character as a 24-pixel square advanced by 12
// pixels, so each glyph is scaled to a 12-pixel advance and its advance box
// is centred in its cell: successive characters then sit exactly 12 pixels
// apart, with 6 spare pixels either side for strokes that overhang the box.
#define STB_TRUETYPE_IMPLEMENTATION
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
#include <stb_truetype.h>

#include "read_file.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace {
constexpr int kCell = 24;
constexpr int kPerRow = 19;
constexpr int kFirst = 32;
constexpr int kLast = 126;
constexpr int kAtlasWidth = 512;
constexpr int kAtlasHeight = 128;
constexpr float kAdvancePixels = 12.0f;
}

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_atlas <font.ttf> <out.png>\n");
        return 2;
    }
    const std::vector<unsigned char> ttf = read_file(argv[1]);
    stbtt_fontinfo info;
    if (ttf.empty() || !stbtt_InitFont(&info, ttf.data(), stbtt_GetFontOffsetForIndex(ttf.data(), 0))) {
        std::fprintf(stderr, "make_atlas: cannot read font %s\n", argv[1]);
        return 1;
    }

    int advance = 0, lsb = 0;
    stbtt_GetCodepointHMetrics(&info, 'M', &advance, &lsb);
    const float scale = kAdvancePixels / static_cast<float>(advance);
    int ascent = 0, descent = 0, line_gap = 0;
    stbtt_GetFontVMetrics(&info, &ascent, &descent, &line_gap);
    // Centre the ascent-to-descent band vertically in the cell.
    const float band = static_cast<float>(ascent - descent) * scale;
    const int baseline = static_cast<int>(std::lround((kCell - band) / 2.0f + ascent * scale));
    const int box_left = (kCell - static_cast<int>(kAdvancePixels)) / 2;

    std::vector<unsigned char> rgba(static_cast<std::size_t>(kAtlasWidth) * kAtlasHeight * 4, 0);
    int clipped = 0;
    for (int code = kFirst; code <= kLast; ++code) {
        const int index = code - kFirst;
        const int cell_x = (index % kPerRow) * kCell;
        const int cell_y = (index / kPerRow) * kCell;

        int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        stbtt_GetCodepointBitmapBox(&info, code, scale, scale, &x0, &y0, &x1, &y1);
        const int gw = x1 - x0, gh = y1 - y0;
        if (gw <= 0 || gh <= 0) {
            continue; // the space
        }
        std::vector<unsigned char> glyph(static_cast<std::size_t>(gw) * gh, 0);
        stbtt_MakeCodepointBitmap(&info, glyph.data(), gw, gh, gw, scale, scale, code);

        for (int gy = 0; gy < gh; ++gy) {
            for (int gx = 0; gx < gw; ++gx) {
                const unsigned char a = glyph[static_cast<std::size_t>(gy) * gw + gx];
                if (a == 0) {
                    continue;
                }
                const int px = box_left + x0 + gx;
                const int py = baseline + y0 + gy;
                if (px < 0 || px >= kCell || py < 0 || py >= kCell) {
                    ++clipped;
                    continue;
                }
                unsigned char* p = &rgba[((static_cast<std::size_t>(cell_y + py) * kAtlasWidth) + cell_x + px) * 4];
                p[0] = p[1] = p[2] = 255;
                p[3] = a;
            }
        }
    }
    if (clipped > 0) {
        std::fprintf(stderr, "make_atlas: %d covered pixels fell outside their cells\n", clipped);
    }
    if (!stbi_write_png(argv[2], kAtlasWidth, kAtlasHeight, 4, rgba.data(), kAtlasWidth * 4)) {
        std::fprintf(stderr, "make_atlas: cannot write %s\n", argv[2]);
        return 1;
    }
    std::printf("make_atlas: wrote %s (scale %.4f, baseline %d)\n", argv[2], scale, baseline);
    return 0;
}
