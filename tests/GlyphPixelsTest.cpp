// A rendered glyph's ink found and turned into the texture's white with
// coverage: portable, built natively with the sanitizers as well.
#include "GlyphPixels.h"

#include <gtest/gtest.h>

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
