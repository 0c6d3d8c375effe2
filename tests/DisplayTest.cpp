#include "TestSupport.h"

#include "Display.h"
#include "DisplayFont.h"
#include "GlyphCache.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdlib>

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

namespace {
constexpr int kNear = 60; // the square probed round a glyph at (10, 10)

Rgb pixel(const std::vector<Rgb>& frame, int x, int y)
{
    return frame[static_cast<std::size_t>(y) * OverlayWindow::kWidth + static_cast<std::size_t>(x)];
}
}

// Each glyph's outline, from the atlas and from the glyph cache alike: every
// pixel of the text is drawn again `width` pixels away on all eight sides,
// so each such neighbour the text leaves bare takes the outline's colour at
// least as fully as the text covers its own pixel; the text stays on top,
// and nothing is drawn further out.
TEST_F(DisplayDraw, AnOutlineRimsEveryGlyphOnAllEightSidesUnderTheText)
{
    DisplayFont atlas;
    ASSERT_EQ(atlas.load_from_file(source_path("res/fira-code.png").c_str(), 24, 24, 19), 0);
    GlyphCache cache;
    cache.init(24, "");
    atlas.glyphs = &cache;
    struct Case {
        const char* name;
        const char* text;
        int width;
    };
    const Case cases[] = {
        {"atlas", "A", 1}, {"glyph cache", "\xD0\x96", 1}, {"atlas, twice as wide", "W", 2}}; // Ж: Cyrillic
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        Display line;
        line.set_display_font(&atlas);
        line.set_position(10, 10);
        line.text = k.text;
        line.shadow_shown = false;
        clear_to(kKey);
        line.draw();
        const std::vector<Rgb> plain = read_frame();
        line.outline = 0xFF0000;
        line.outline_shown = true;
        line.outline_width = k.width;
        clear_to(kKey);
        line.draw();
        const std::vector<Rgb> rimmed = read_frame();
        // Drawn from the outline ink made for this width, one quad a glyph,
        // as the glyph drawn eight times would have it but for the rounding
        // of one blend against eight.
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        const bool from_atlas = static_cast<unsigned char>(k.text[0]) < 0x80;
        if (from_atlas) {
            EXPECT_EQ(atlas.outline_width, k.width);
            EXPECT_GT(atlas.texture_height, atlas.height) << "the outline cells below the atlas";
        } else {
            EXPECT_EQ(cache.glyph(U'\u0416').outline, k.width);
        }
        clear_to(kKey);
        glColor3f(1.0f, 0.0f, 0.0f);
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                if (dx != 0 || dy != 0) {
                    draw_text(k.text, &atlas, 10 + dx * k.width, 10 + dy * k.width, line.font_size, line.font_spacing);
                }
            }
        }
        glColor3f(0.0f, 1.0f, 1.0f);
        draw_text(k.text, &atlas, 10, 10, line.font_size, line.font_spacing);
        const std::vector<Rgb> eight = read_frame();
        int off_by_one = 0, outlined = 0;
        for (int y = 0; y < kNear; ++y) {
            for (int x = 0; x < kNear; ++x) {
                const Rgb a = pixel(rimmed, x, y), b = pixel(eight, x, y);
                const int most = std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
                ASSERT_LE(most, 1) << "at " << x << "," << y;
                off_by_one += most;
                outlined += a != pixel(plain, x, y) ? 1 : 0;
            }
        }
        EXPECT_LT(off_by_one * 10, outlined) << "only where rounding can tell one blend from eight";
        int rim = 0;
        for (int y = k.width; y < kNear; ++y) {
            for (int x = k.width; x < kNear; ++x) {
                const Rgb text = pixel(plain, x, y);
                if (text == kKey) {
                    continue;
                }
                // Cyan over the key: green is 8 + 247 x the text's coverage.
                if (text == kCyan) {
                    ASSERT_EQ(pixel(rimmed, x, y), kCyan) << "the text is drawn over its outline, at " << x << "," << y;
                }
                for (int dy = -1; dy <= 1; ++dy) {
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int nx = x + dx * k.width, ny = y + dy * k.width;
                        if (pixel(plain, nx, ny) != kKey) {
                            continue;
                        }
                        // At least this pixel's coverage, in red over the key.
                        const Rgb rim_pixel = pixel(rimmed, nx, ny);
                        ASSERT_GE(rim_pixel.r, text.g - 1) << "at " << nx << "," << ny;
                        ASSERT_LE(rim_pixel.g, kKey.g) << "at " << nx << "," << ny;
                        ASSERT_EQ(rim_pixel.g, rim_pixel.b) << "at " << nx << "," << ny;
                        ++rim;
                    }
                }
            }
        }
        EXPECT_GT(rim, 50);
        // Whatever changed lies within `width` of the text.
        for (int y = k.width; y < kNear; ++y) {
            for (int x = k.width; x < kNear; ++x) {
                if (pixel(rimmed, x, y) == pixel(plain, x, y)) {
                    continue;
                }
                bool near_text = false;
                for (int dy = -k.width; dy <= k.width; ++dy) {
                    for (int dx = -k.width; dx <= k.width; ++dx) {
                        near_text = near_text || pixel(plain, x + dx, y + dy) != kKey;
                    }
                }
                ASSERT_TRUE(near_text) << "at " << x << "," << y;
            }
        }
    }
    // Freed with the font and the cache.
    const unsigned int texture = atlas.texture;
    cache.destroy();
    atlas.free();
    EXPECT_FALSE(glIsTexture(texture));
    EXPECT_EQ(atlas.outline_width, 0);
}
