// A rendered glyph's ink found and turned into the texture's white with
// coverage, and its outline's ink spread from it: portable, built natively
// with the sanitizers as well.
#include "GlyphPixels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <vector>

TEST(GlyphPixels, TheInkIsWhereAnyChannelIsLitAndItsCoverageTheBrightestChannel)
{
    const int w = 5, h = 4;
    std::vector<unsigned char> canvas(static_cast<std::size_t>(w) * h * 4, 0);
    EXPECT_LT(ink_bounds(canvas.data(), w, h).x1, 0) << "a blank canvas has no ink";
    auto px = [&](int x, int y) { return &canvas[(static_cast<std::size_t>(y) * w + x) * 4]; };
    px(1, 1)[2] = 200; // red only (BGRA)
    px(3, 2)[0] = 40; // blue only
    px(3, 2)[1] = 90;
    px(4, 3)[3] = 255; // the fourth byte is no coverage
    const InkBounds b = ink_bounds(canvas.data(), w, h);
    EXPECT_EQ(b.x0, 1);
    EXPECT_EQ(b.y0, 1);
    EXPECT_EQ(b.x1, 3);
    EXPECT_EQ(b.y1, 2);
    const std::vector<unsigned char> rgba = coverage_rgba(canvas.data(), w, 1, 1, 3, 2);
    ASSERT_EQ(rgba.size(), 3u * 2 * 4);
    EXPECT_EQ(rgba[3], 200); // (1, 1)
    EXPECT_EQ(rgba[(1 * 3 + 2) * 4 + 3], 90); // (3, 2)
    EXPECT_EQ(rgba[7], 0); // (2, 1): unlit
    EXPECT_EQ(rgba[0] & rgba[1] & rgba[2], 255) << "white, with the coverage as alpha";
}

namespace {
// A small coverage image: rows of alpha values as they would sit in a white RGBA part.
struct Coverage {
    int width;
    int height;
    std::vector<int> alpha;
};

std::vector<unsigned char> white_rgba(const Coverage& c)
{
    std::vector<unsigned char> rgba;
    for (int a : c.alpha) {
        rgba.insert(rgba.end(), {255, 255, 255, static_cast<unsigned char>(a)});
    }
    return rgba;
}

// The outline as the screen got it from eight copies of the coverage moved
// `spread` pixels, each blended "over" what the ones before left, worked
// out in floating point, at pixel (x, y) of the spread image.
int eight_blends(const Coverage& c, int spread, int x, int y)
{
    double covered = 0.0;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            if (dx == 0 && dy == 0) {
                continue;
            }
            const int sx = x - spread - dx * spread, sy = y - spread - dy * spread;
            const bool inside = sx >= 0 && sy >= 0 && sx < c.width && sy < c.height;
            const double a = inside ? c.alpha[static_cast<std::size_t>(sy) * c.width + sx] / 255.0 : 0.0;
            covered = a + covered * (1.0 - a);
        }
    }
    return static_cast<int>(std::lround(covered * 255.0));
}
}

TEST(GlyphPixels, TheOutlineIsWhatEightCopiesMovedByItsWidthBlendTo)
{
    const Coverage cases[] = {
        {1, 1, {255}}, // one full pixel: a ring with a hole where the pixel is
        {1, 1, {100}},
        {3, 1, {40, 128, 200}}, // copies overlap along a stroke
        {2, 3, {255, 0, 90, 90, 0, 255}},
        {4, 4, {0, 30, 30, 0, 30, 250, 250, 30, 30, 250, 250, 30, 0, 30, 30, 0}}, // an antialiased dot
        {3, 2, {0, 0, 0, 0, 0, 0}}, // a space
    };
    for (const Coverage& c : cases) {
        const std::vector<unsigned char> rgba = white_rgba(c);
        for (int spread : {1, 2}) {
            SCOPED_TRACE(::testing::Message() << c.width << "x" << c.height << " spread " << spread);
            const std::vector<unsigned char> out =
                spread_coverage(rgba.data(), c.width, 0, 0, c.width, c.height, spread);
            const int w = c.width + 2 * spread, h = c.height + 2 * spread;
            ASSERT_EQ(out.size(), static_cast<std::size_t>(w) * h * 4);
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    const unsigned char* p = &out[(static_cast<std::size_t>(y) * w + x) * 4];
                    EXPECT_EQ(p[3], eight_blends(c, spread, x, y)) << "at " << x << "," << y;
                    EXPECT_EQ(p[0] & p[1] & p[2], 255) << "white, with the coverage as alpha";
                }
            }
            // The spread ink lies within the part's ink moved `spread` out on every side.
            const InkBounds in = alpha_bounds(rgba.data(), c.width, 0, 0, c.width, c.height);
            const InkBounds spread_ink = alpha_bounds(out.data(), w, 0, 0, w, h);
            if (in.x1 < 0) {
                EXPECT_LT(spread_ink.x1, 0);
                continue;
            }
            EXPECT_EQ(spread_ink.x0, in.x0);
            EXPECT_EQ(spread_ink.y0, in.y0);
            EXPECT_EQ(spread_ink.x1, in.x1 + 2 * spread);
            EXPECT_EQ(spread_ink.y1, in.y1 + 2 * spread);
        }
    }
    // One full pixel: eight full ones round it and none where it is.
    const Coverage dot{1, 1, {255}};
    const std::vector<unsigned char> one = white_rgba(dot);
    const std::vector<unsigned char> ring = spread_coverage(one.data(), 1, 0, 0, 1, 1, 1);
    EXPECT_EQ(ring[(1 * 3 + 1) * 4 + 3], 0);
    EXPECT_EQ(ring[(0 * 3 + 2) * 4 + 3], 255);
}

TEST(GlyphPixels, APartOfALargerImageIsReadThroughItsStride)
{
    // A 4x3 image; the part is its 2x2 from (1, 1), with ink at its (1, 0).
    std::vector<unsigned char> image(std::size_t{4} * 3 * 4, 0);
    image[(1 * 4 + 2) * 4 + 3] = 180;
    image[(0 * 4 + 0) * 4 + 3] = 255; // outside the part
    const InkBounds b = alpha_bounds(image.data(), 4, 1, 1, 2, 2);
    EXPECT_EQ(b.x0, 1);
    EXPECT_EQ(b.y0, 0);
    EXPECT_EQ(b.x1, 1);
    EXPECT_EQ(b.y1, 0);
    const std::vector<unsigned char> out = spread_coverage(image.data(), 4, 1, 1, 2, 2, 1);
    // (1, 0) of the part is (2, 1) of the spread image: ink round it, none
    // on it, and none from the image's (0, 0), which would reach (0, 1).
    auto alpha = [&](int x, int y) { return out[(static_cast<std::size_t>(y) * 4 + x) * 4 + 3]; };
    EXPECT_EQ(alpha(2, 1), 0);
    EXPECT_EQ(alpha(1, 1), 180);
    EXPECT_EQ(alpha(3, 2), 180);
    EXPECT_EQ(alpha(0, 1), 0) << "read from outside the part";
}
