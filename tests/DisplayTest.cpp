#include "TestSupport.h"

#include "Display.h"

namespace {
class DisplayDraw : public OverlayTest {
protected:
    DisplayFont squares; // a font whose atlas failed to load draws plain squares

    void SetUp() override
    {
        OverlayTest::SetUp();
        ASSERT_EQ(squares.load_from_file("Z:\\no\\such\\atlas.png", 24, 24, 19), -1);
    }
};
}

TEST_F(DisplayDraw, ShadowSitsOnePixelRightAndBelowTheCyanText)
{
    Display line;
    line.set_display_font(&squares);
    line.set_position(10, 10);
    line.text = "A";
    clear_to(kKey);
    EXPECT_EQ(line.draw(), 0);

    struct Probe {
        int x, y;
        Rgb expected;
    };
    const Probe probes[] = {
        {10, 10, kCyan},  {33, 10, kCyan},  {10, 33, kCyan},  {33, 33, kCyan}, {34, 11, kBlack},
        {34, 34, kBlack}, {11, 34, kBlack}, {20, 34, kBlack}, {34, 10, kKey},  {10, 34, kKey},
        {35, 20, kKey},   {20, 35, kKey},   {9, 9, kKey},
    };
    for (const Probe& p : probes) {
        EXPECT_EQ(read_pixel(p.x, p.y), p.expected) << "at " << p.x << "," << p.y;
    }
}

TEST_F(DisplayDraw, SizeAndSpacingShapeTheBand)
{
    Display line;
    line.set_display_font(&squares);
    line.set_position(20, 40);
    line.set_font_size(10.0f);
    line.set_font_spacing(4.0f);
    line.text = "abc";
    clear_to(kKey);
    line.draw();
    // Three 10-pixel squares 4 apart: cyan 20-37, 40-49; shadow one further.
    EXPECT_EQ(read_pixel(20, 40), kCyan);
    EXPECT_EQ(read_pixel(37, 49), kCyan);
    EXPECT_EQ(read_pixel(38, 45), kBlack);
    EXPECT_EQ(read_pixel(30, 50), kBlack);
    EXPECT_EQ(read_pixel(39, 45), kKey);
    EXPECT_EQ(read_pixel(30, 51), kKey);
}
