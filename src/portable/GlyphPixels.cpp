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

std::vector<InkBounds> atlas_ink(const unsigned char* rgba, int width, int height, int cell_w, int cell_h, int per_row)
{
    std::vector<InkBounds> cells;
    if (cell_w <= 0 || cell_h <= 0 || per_row <= 0) {
        return cells;
    }
    const int rows = height / cell_h;
    const int columns = std::min(per_row, width / cell_w);
    cells.resize(static_cast<std::size_t>(rows) * per_row);
    for (std::size_t i = 0; i < cells.size(); ++i) {
        // A cell the image does not hold whole draws as it always did: whole.
        const bool whole = static_cast<int>(i % per_row) < columns;
        cells[i] = whole ? InkBounds{cell_w, cell_h, -1, -1} : InkBounds{0, 0, cell_w - 1, cell_h - 1};
    }
    for (int y = 0; y < rows * cell_h; ++y) {
        for (int x = 0; x < columns * cell_w; ++x) {
            if (rgba[(static_cast<std::size_t>(y) * width + x) * kBytesPerPixel + 3] == 0) {
                continue;
            }
            InkBounds& b = cells[static_cast<std::size_t>(y / cell_h) * per_row + x / cell_w];
            b.x0 = std::min(b.x0, x % cell_w);
            b.x1 = std::max(b.x1, x % cell_w);
            b.y0 = std::min(b.y0, y % cell_h);
            b.y1 = std::max(b.y1, y % cell_h);
        }
    }
    return cells;
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
