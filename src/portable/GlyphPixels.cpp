#include "GlyphPixels.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {
constexpr int kBytesPerPixel = 4;
}

InkBounds ink_bounds(const unsigned char* bits, int width, int height)
{
    InkBounds b;
    b.x0 = width;
    b.y0 = height;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const unsigned char* p = bits + (static_cast<std::size_t>(y) * width + x) * kBytesPerPixel;
            if ((p[0] | p[1] | p[2]) != 0) {
                b.x0 = std::min(b.x0, x);
                b.x1 = std::max(b.x1, x);
                b.y0 = std::min(b.y0, y);
                b.y1 = std::max(b.y1, y);
            }
        }
    }
    return b;
}

std::vector<unsigned char> coverage_rgba(const unsigned char* bits, int canvas_width, int x0, int y0, int width,
                                         int height)
{
    std::vector<unsigned char> rgba(static_cast<std::size_t>(width) * height * kBytesPerPixel);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const unsigned char* p = bits + (static_cast<std::size_t>(y0 + y) * canvas_width + x0 + x) * kBytesPerPixel;
            unsigned char* q = &rgba[(static_cast<std::size_t>(y) * width + x) * kBytesPerPixel];
            q[0] = q[1] = q[2] = 255;
            q[3] = std::max(p[0], std::max(p[1], p[2]));
        }
    }
    return rgba;
}

InkBounds alpha_bounds(const unsigned char* rgba, int stride, int x0, int y0, int width, int height)
{
    InkBounds b;
    b.x0 = width;
    b.y0 = height;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (rgba[(static_cast<std::size_t>(y0 + y) * stride + x0 + x) * kBytesPerPixel + 3] != 0) {
                b.x0 = std::min(b.x0, x);
                b.x1 = std::max(b.x1, x);
                b.y0 = std::min(b.y0, y);
                b.y1 = std::max(b.y1, y);
            }
        }
    }
    return b;
}

std::vector<unsigned char> spread_coverage(const unsigned char* rgba, int stride, int x0, int y0, int width, int height,
                                           int spread)
{
    const int out_w = width + 2 * spread;
    const int out_h = height + 2 * spread;
    std::vector<unsigned char> out(static_cast<std::size_t>(out_w) * out_h * kBytesPerPixel, 255);
    // The coverage at (x, y) of the part, 0 outside it.
    auto at = [&](int x, int y) -> unsigned {
        if (x < 0 || y < 0 || x >= width || y >= height) {
            return 0;
        }
        return rgba[(static_cast<std::size_t>(y0 + y) * stride + x0 + x) * kBytesPerPixel + 3];
    };
    // What each copy lets through, multiplied in whole numbers: 255^8 fits
    // in 64 bits, so the product is exact and its rounding done once.
    constexpr std::uint64_t kFull = 255;
    std::uint64_t all_through = 1;
    for (int i = 0; i < 7; ++i) {
        all_through *= kFull;
    }
    const int s = spread;
    const int around[8][2] = {{-s, -s}, {0, -s}, {s, -s}, {-s, 0}, {s, 0}, {-s, s}, {0, s}, {s, s}};
    for (int y = 0; y < out_h; ++y) {
        for (int x = 0; x < out_w; ++x) {
            // A copy moved by (dx, dy) covers this pixel with the part's
            // pixel (dx, dy) back from it.
            std::uint64_t through = 1;
            for (const auto& d : around) {
                through *= kFull - at(x - s - d[0], y - s - d[1]);
            }
            // through / 255^7 is 255 x what is left of the background, rounded to the nearest.
            const std::uint64_t left = (through + all_through / 2) / all_through;
            out[(static_cast<std::size_t>(y) * out_w + x) * kBytesPerPixel + 3] =
                static_cast<unsigned char>(kFull - left);
        }
    }
    return out;
}
