#include "GlyphPixels.h"

#include <algorithm>
#include <cstddef>

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
