// The atlas layout shared by the atlas tool and its native test: stb_truetype
// must be compiled (STB_TRUETYPE_IMPLEMENTATION) in the including program.
#pragma once

#include <stb_truetype.h>

#include <cmath>
#include <vector>

constexpr int kAtlasPerRow = 19;
constexpr int kAtlasFirst = 32;
constexpr int kAtlasLast = 126;

struct RenderedAtlas {
    int cell = 0;
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgba;
    int clipped = 0; // covered pixels that fell outside their cells
    float scale = 0.0f;
    int baseline = 0;
};

inline int next_power_of_two(int n)
{
    int p = 1;
    while (p < n) {
        p *= 2;
    }
    return p;
}

// 0, or -1 when the font cannot be read.
inline int render_atlas(const std::vector<unsigned char>& ttf, int cell, RenderedAtlas* out)
{
    stbtt_fontinfo info;
    if (!stbtt_InitFont(&info, ttf.data(), stbtt_GetFontOffsetForIndex(ttf.data(), 0))) {
        return -1;
    }
    const int rows = (kAtlasLast - kAtlasFirst + kAtlasPerRow) / kAtlasPerRow;
    out->cell = cell;
    out->width = next_power_of_two(kAtlasPerRow * cell);
    out->height = next_power_of_two(rows * cell);
    out->rgba.assign(static_cast<std::size_t>(out->width) * out->height * 4, 0);
    out->clipped = 0;

    const float advance_pixels = static_cast<float>(cell) / 2.0f;
    int advance = 0, lsb = 0;
    stbtt_GetCodepointHMetrics(&info, 'M', &advance, &lsb);
    const float scale = advance_pixels / static_cast<float>(advance);
    int ascent = 0, descent = 0, line_gap = 0;
    stbtt_GetFontVMetrics(&info, &ascent, &descent, &line_gap);
    // Centre the ascent-to-descent band vertically in the cell.
    const float band = static_cast<float>(ascent - descent) * scale;
    const int baseline = static_cast<int>(std::lround((static_cast<float>(cell) - band) / 2.0f + ascent * scale));
    const int box_left = (cell - static_cast<int>(advance_pixels)) / 2;
    out->scale = scale;
    out->baseline = baseline;

    for (int code = kAtlasFirst; code <= kAtlasLast; ++code) {
        const int index = code - kAtlasFirst;
        const int cell_x = (index % kAtlasPerRow) * cell;
        const int cell_y = (index / kAtlasPerRow) * cell;
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
                if (px < 0 || px >= cell || py < 0 || py >= cell) {
                    ++out->clipped;
                    continue;
                }
                unsigned char* p = &out->rgba[((static_cast<std::size_t>(cell_y + py) * out->width) + cell_x + px) * 4];
                p[0] = p[1] = p[2] = 255;
                p[3] = a;
            }
        }
    }
    return 0;
}
