// Draws Brindlow's icons: a dark rounded tile with a cyan "B" and its black
// drop shadow, the overlay's own look.
//
//   make_icons <bold.ttf> <icon.ico> <resource.ico>
//
// icon.ico (the notification icon) holds a 16 x 16 and a 32 x 32 image with
// alpha, the 16 x 16 first: loaded without a requested size, an icon file
// gives its first image, and 16 pixels is what the notification area shows.
// resource.ico holds the single 32 x 32, 24-bit image of the program's icon
// resource, whose rounded corners come from the AND mask alone.
#define STB_TRUETYPE_IMPLEMENTATION
#include <stb_truetype.h>

#include "read_file.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {
struct Image {
    int size;
    std::vector<float> r, g, b, a; // straight (not premultiplied) colour, 0-1
    explicit Image(int s) : size(s), r(s * s, 0.0f), g(s * s, 0.0f), b(s * s, 0.0f), a(s * s, 0.0f) {}

    // Paints a colour over the pixel with the given coverage.
    void paint(int x, int y, float cr, float cg, float cb, float coverage)
    {
        if (x < 0 || y < 0 || x >= size || y >= size || coverage <= 0.0f) {
            return;
        }
        const int i = y * size + x;
        const float out_a = coverage + a[i] * (1.0f - coverage);
        auto mix = [&](float src, float dst) {
            return out_a > 0.0f ? (src * coverage + dst * a[i] * (1.0f - coverage)) / out_a : 0.0f;
        };
        r[i] = mix(cr, r[i]);
        g[i] = mix(cg, g[i]);
        b[i] = mix(cb, b[i]);
        a[i] = out_a;
    }
};

// Coverage of a rounded square filling the image, by 4 x 4 supersampling.
float tile_coverage(int size, int x, int y)
{
    const float radius = size * 0.22f;
    int inside = 0;
    for (int sy = 0; sy < 4; ++sy) {
        for (int sx = 0; sx < 4; ++sx) {
            const float px = x + (sx + 0.5f) / 4.0f, py = y + (sy + 0.5f) / 4.0f;
            const float cx = std::clamp(px, radius, size - radius);
            const float cy = std::clamp(py, radius, size - radius);
            const float dx = px - cx, dy = py - cy;
            inside += (dx * dx + dy * dy <= radius * radius) ? 1 : 0;
        }
    }
    return inside / 16.0f;
}

Image draw_icon(const stbtt_fontinfo& font, int size)
{
    Image img(size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            img.paint(x, y, 0.10f, 0.13f, 0.17f, tile_coverage(size, x, y));
        }
    }
    // The letter fills most of the tile's height; the shadow is one pixel
    // right and down at 32 pixels, as on the overlay.
    const float pixel_height = size * 0.95f;
    const float scale = stbtt_ScaleForPixelHeight(&font, pixel_height);
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    stbtt_GetCodepointBitmapBox(&font, 'B', scale, scale, &x0, &y0, &x1, &y1);
    const int gw = x1 - x0, gh = y1 - y0;
    std::vector<unsigned char> glyph(static_cast<std::size_t>(gw) * gh, 0);
    stbtt_MakeCodepointBitmap(&font, glyph.data(), gw, gh, gw, scale, scale, 'B');
    const int left = (size - gw) / 2;
    const int top = (size - gh) / 2;
    const int shadow = 1;
    for (int pass = 0; pass < 2; ++pass) {
        const int off = pass == 0 ? shadow : 0;
        for (int gy = 0; gy < gh; ++gy) {
            for (int gx = 0; gx < gw; ++gx) {
                const float c = glyph[static_cast<std::size_t>(gy) * gw + gx] / 255.0f;
                if (pass == 0) {
                    img.paint(left + gx + off, top + gy + off, 0.0f, 0.0f, 0.0f, c);
                } else {
                    img.paint(left + gx, top + gy, 0.0f, 1.0f, 1.0f, c);
                }
            }
        }
    }
    return img;
}

void put16(std::vector<unsigned char>& out, unsigned v)
{
    out.push_back(static_cast<unsigned char>(v));
    out.push_back(static_cast<unsigned char>(v >> 8));
}

void put32(std::vector<unsigned char>& out, uint32_t v)
{
    for (int k = 0; k < 4; ++k) {
        out.push_back(static_cast<unsigned char>(v >> (8 * k)));
    }
}

// One icon image as the .ico format stores it: a BITMAPINFOHEADER of double
// height, the colour rows bottom-up, then the 1-bit AND mask (1 = transparent),
// each mask row padded to 4 bytes.
std::vector<unsigned char> encode_image(const Image& img, int bits)
{
    const int n = img.size;
    std::vector<unsigned char> out;
    put32(out, 40);
    put32(out, static_cast<uint32_t>(n));
    put32(out, static_cast<uint32_t>(n * 2));
    put16(out, 1);
    put16(out, static_cast<unsigned>(bits));
    put32(out, 0);
    const int colour_row = ((n * bits / 8) + 3) & ~3;
    const int mask_row = ((n + 31) / 32) * 4;
    put32(out, static_cast<uint32_t>((colour_row + mask_row) * n));
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    auto byte = [](float v) { return static_cast<unsigned char>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); };
    for (int y = n - 1; y >= 0; --y) {
        std::size_t start = out.size();
        for (int x = 0; x < n; ++x) {
            const int i = y * n + x;
            if (bits == 32) {
                out.push_back(byte(img.b[i]));
                out.push_back(byte(img.g[i]));
                out.push_back(byte(img.r[i]));
                out.push_back(byte(img.a[i]));
            } else {
                // No alpha channel: the colour is flattened onto black where
                // the mask keeps the pixel.
                const bool opaque = img.a[i] >= 0.5f;
                out.push_back(opaque ? byte(img.b[i]) : 0);
                out.push_back(opaque ? byte(img.g[i]) : 0);
                out.push_back(opaque ? byte(img.r[i]) : 0);
            }
        }
        while (out.size() - start < static_cast<std::size_t>(colour_row)) {
            out.push_back(0);
        }
    }
    for (int y = n - 1; y >= 0; --y) {
        std::vector<unsigned char> row(static_cast<std::size_t>(mask_row), 0);
        for (int x = 0; x < n; ++x) {
            if (img.a[y * n + x] < 0.5f) {
                row[x / 8] |= static_cast<unsigned char>(0x80 >> (x % 8));
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

bool write_ico(const char* path, const std::vector<Image>& images, int bits)
{
    std::vector<unsigned char> out;
    put16(out, 0);
    put16(out, 1); // icon
    put16(out, static_cast<unsigned>(images.size()));
    std::vector<std::vector<unsigned char>> encoded;
    for (const Image& img : images) {
        encoded.push_back(encode_image(img, bits));
    }
    uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
    for (std::size_t k = 0; k < images.size(); ++k) {
        out.push_back(static_cast<unsigned char>(images[k].size));
        out.push_back(static_cast<unsigned char>(images[k].size));
        out.push_back(0); // colour count: none (true colour)
        out.push_back(0);
        put16(out, 1);
        put16(out, static_cast<unsigned>(bits));
        put32(out, static_cast<uint32_t>(encoded[k].size()));
        put32(out, offset);
        offset += static_cast<uint32_t>(encoded[k].size());
    }
    for (const auto& e : encoded) {
        out.insert(out.end(), e.begin(), e.end());
    }
    std::FILE* f = std::fopen(path, "wb");
    if (f == nullptr) {
        return false;
    }
    const bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    return std::fclose(f) == 0 && ok;
}
}

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: make_icons <bold.ttf> <icon.ico> <resource.ico>\n");
        return 2;
    }
    const std::vector<unsigned char> ttf = read_file(argv[1]);
    stbtt_fontinfo font;
    if (ttf.empty() || !stbtt_InitFont(&font, ttf.data(), stbtt_GetFontOffsetForIndex(ttf.data(), 0))) {
        std::fprintf(stderr, "make_icons: cannot read font %s\n", argv[1]);
        return 1;
    }
    const Image small = draw_icon(font, 16);
    const Image large = draw_icon(font, 32);
    if (!write_ico(argv[2], {small, large}, 32) || !write_ico(argv[3], {large}, 24)) {
        std::fprintf(stderr, "make_icons: cannot write the icons\n");
        return 1;
    }
    std::printf("make_icons: wrote %s (16 and 32 pixels) and %s (32 pixels, 24-bit)\n", argv[2], argv[3]);
    return 0;
}
