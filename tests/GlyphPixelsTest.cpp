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

TEST(GlyphPixels, EachAtlasCellsInkIsFoundInTheCellsOwnPixels)
{
    // Two cells of 4 x 3 to a row, two rows, in an image one column short
    // of a third cell and with a partial row below.
    const int cell_w = 4, cell_h = 3, per_row = 3, w = 2 * cell_w + 3, h = 2 * cell_h + 1;
    std::vector<unsigned char> rgba(static_cast<std::size_t>(w) * h * 4, 255);
    for (std::size_t i = 3; i < rgba.size(); i += 4) {
        rgba[i] = 0; // white, clear: no ink
    }
    auto alpha = [&](int x, int y) -> unsigned char& { return rgba[(static_cast<std::size_t>(y) * w + x) * 4 + 3]; };
    alpha(1, 1) = 1; // cell 0: one texel
    alpha(4 + 0, 0) = 255; // cell 1: a corner to the opposite one
    alpha(4 + 3, 2) = 9;
    alpha(3, 3 + 2) = 80; // cell 3 (second row): its last texel
    alpha(8, 6) = 255; // the partial row's ink belongs to no cell
    const std::vector<InkBounds> ink = atlas_ink(rgba.data(), w, h, cell_w, cell_h, per_row);
    ASSERT_EQ(ink.size(), 6u) << "two whole rows of three";
    struct Expected {
        int x0, y0, x1, y1;
    };
    const Expected expected[] = {
        {1, 1, 1, 1}, // one texel
        {0, 0, 3, 2}, // corner to corner
        {0, 0, 3, 2}, // not whole in the image: the whole cell
        {3, 2, 3, 2}, {4, 3, -1, -1}, // no ink
        {0, 0, 3, 2},
    };
    for (std::size_t i = 0; i < ink.size(); ++i) {
        EXPECT_EQ(ink[i].x0, expected[i].x0) << "cell " << i;
        EXPECT_EQ(ink[i].y0, expected[i].y0) << "cell " << i;
        EXPECT_EQ(ink[i].x1, expected[i].x1) << "cell " << i;
        EXPECT_EQ(ink[i].y1, expected[i].y1) << "cell " << i;
    }
    EXPECT_TRUE(atlas_ink(rgba.data(), w, h, 0, cell_h, per_row).empty()) << "no grid, no cells";
}
