// The text's glyphs as drawn: every script puts ink in its cell, a
// right-to-left run keeps its order, and a family of one's own is measured
// glyph by glyph; a family that is not installed is reported.
#include "GlyphCache.h"
#include "Utf8.h"

#include "SettingsInUse.h"
#include "TestSupport.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

class GlyphInk : public SettingsInUse {};

namespace {
// Pixels of a rectangle of the frame in the text's cyan, or blended from it.
int inked(const std::vector<Rgb>& frame, int w, int h, int x0, int y0, int x1, int y1)
{
    int n = 0;
    for (int y = std::max(0, y0); y < std::min(h, y1); ++y) {
        for (int x = std::max(0, x0); x < std::min(w, x1); ++x) {
            const Rgb& c = frame[static_cast<std::size_t>(y) * w + x];
            n += c.g > 100 && c.b > 100 && c.r * 2 < c.g ? 1 : 0;
        }
    }
    return n;
}
}

namespace {
// A cached glyph's coverage, as the texture holds it.
std::vector<unsigned char> coverage_of(const GlyphCache& cache, const CachedGlyph& g)
{
    const int side = cache.texture_size;
    std::vector<unsigned char> texture(static_cast<std::size_t>(side) * side * 4);
    glBindTexture(GL_TEXTURE_2D, cache.texture);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texture.data());
    const int x0 = static_cast<int>(g.u0 * static_cast<float>(side) + 0.5f);
    const int y0 = static_cast<int>(g.v0 * static_cast<float>(side) + 0.5f);
    std::vector<unsigned char> out;
    for (int y = y0; y < y0 + g.height; ++y) {
        for (int x = x0; x < x0 + g.width; ++x) {
            out.push_back(texture[(static_cast<std::size_t>(y) * side + x) * 4 + 3]);
        }
    }
    return out;
}
}

TEST_F(GlyphInk, EveryScriptDrawsInkInItsCellAndAFamilyOfOnesOwnIsMeasured)
{
    window.read_clock = monday_clock;
    ASSERT_EQ(window.view.renderer.font.load_from_file(source_path("res/fira-code.png").c_str(), 24, 24, 19), 0);
    // Latin with an umlaut, Greek, Cyrillic, CJK, and U+FDD0, which no font has.
    const std::string line =
        "M\xC3\xA4rz \xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1 \xD0\x96\xD0\xB8\xD0\xB7\xD0\xBD\xD1\x8C "
        "\xE6\x9C\x88\xE6\x9B\x9C \xEF\xB7\x90";
    save(dir + "\\brindlow.ini",
         "[lines]\nshow = date, text\ndate_format = long\ntext = " + line + "\n[text]\nlocale = de-DE\n");
    ASSERT_EQ(file.init(), 0);
    window.init_displays();
    window.load_settings();
    run_frames(window, 300);
    draw_frame(window);
    const Display& d = *window.view.display_for(LineKind::Text);
    ASSERT_EQ(d.text, line);
    const RECT r = where();
    const int w = r.right - r.left, h = r.bottom - r.top;
    const std::vector<Rgb> frame = read_frame(w, h);
    const int size = static_cast<int>(d.font_size), spacing = static_cast<int>(d.font_spacing);
    auto pen_after = [&](std::size_t bytes) {
        return bytes == 0
                   ? d.x
                   : d.x + text_width(line.substr(0, bytes), &window.view.renderer.font, d.font_size, d.font_spacing) -
                         (size - spacing);
    };
    for (std::size_t i = 0; i < line.size();) {
        const std::size_t at = i;
        const char32_t cp = utf8_next(line, &i);
        if (cp == U' ') {
            continue;
        }
        if (cp > 0x7E) {
            EXPECT_EQ(window.view.renderer.glyphs.glyph(cp).missing, cp == 0xFDD0) << "U+" << std::hex << cp;
        }
        EXPECT_GT(inked(frame, w, h, pen_after(at), d.y, pen_after(i) + size / 4, d.y + size), 4)
            << "U+" << std::hex << cp << " has no ink in its cell";
    }
    // Direction marks (in right-to-left locales' regional forms) take no room and draw nothing.
    EXPECT_EQ(text_width("1\xE2\x80\x8F/\xE2\x80\x8E"
                         "2",
                         &window.view.renderer.font, 24, 12),
              text_width("1/2", &window.view.renderer.font, 24, 12));
    // A Hebrew word is drawn as Windows draws it, right to left: alef-bet
    // looks as bet-alef forced left to right does, not as alef-bet forced so.
    std::vector<std::string> none;
    window.view.renderer.load_glyphs(2, "", &none);
    GlyphCache& cache = window.view.renderer.glyphs;
    const std::string alef = "\xD7\x90", bet = "\xD7\x91", ltr = "\xE2\x80\xAD", pop = "\xE2\x80\xAC";
    const std::vector<unsigned char> word = coverage_of(cache, cache.run(alef + bet, U'\u05D0'));
    EXPECT_FALSE(word.empty());
    EXPECT_EQ(word, coverage_of(cache, cache.run(ltr + bet + alef + pop, U'\u05D1')));
    EXPECT_NE(word, coverage_of(cache, cache.run(ltr + alef + bet + pop, U'\u05D0')));
    // The long German date is drawn as Windows writes it, umlauts and all.
    EXPECT_EQ(window.view.display_for(LineKind::Date)->text, windows_text(L"de-DE", DATE_LONGDATE, nullptr));
    // BRINDLOW_SCRIPTS_SHOT names a PNG for the README.
    if (const char* shot = std::getenv("BRINDLOW_SCRIPTS_SHOT")) {
        save(dir + "\\brindlow.ini",
             "[lines]\nshow = date, time, text\ndate_format = long\ntime_format = %A %H:%M\n"
             "text = \xE6\x9D\xB1\xE4\xBA\xAC \xE6\x9C\x88\xE6\x9B\x9C\xE6\x97\xA5 "
             "\xCE\x91\xCE\xB8\xCE\xAE\xCE\xBD\xCE\xB1 "
             "\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0 \xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D "
             "\xD8\xB3\xD9\x84\xD8\xA7\xD9\x85\n[text]\nlocale = de-DE\n");
        window.load_settings();
        run_frames(window, 300);
        save_screen(shot, 0, 0, 600, 100);
    }

    // A Hebrew long date, as Windows writes it for he-IL, is one run: its
    // digits are ordered with its words, right to left.
    save(dir + "\\brindlow.ini", "[lines]\nshow = date\ndate_format = long\n[text]\nlocale = he-IL\n");
    window.load_settings();
    run_frames(window, 300);
    const std::string hebrew = window.view.display_for(LineKind::Date)->text;
    EXPECT_EQ(hebrew, windows_text(L"he-IL", DATE_LONGDATE, nullptr));
    EXPECT_EQ(window.view.renderer.glyphs.runs.count(hebrew), 1u) << hebrew;

    // A proportional family of one's own: every glyph rendered, each placed
    // by its advance, and the strip as wide as the measured line.
    const std::string wide(40, 'M');
    save(dir + "\\brindlow.ini", "[lines]\nshow = text\ntext = " + wide + "\n[text]\nfont = DejaVu Sans\n");
    window.load_settings();
    run_frames(window, 300);
    EXPECT_EQ(window.view.renderer.glyphs.family, "DejaVu Sans");
    EXPECT_EQ(std::string(tray.nid.szInfo), "");
    DisplayFont* font = &window.view.renderer.font;
    EXPECT_LT(2 * text_width("iiiiiiii", font, 24, 12), text_width("MMMMMMMM", font, 24, 12));
    const int measured = text_width(wide, font, 24, 12);
    EXPECT_NE(measured, 39 * 12 + 24) << "not the atlas's advance";
    EXPECT_EQ(where().right - where().left, 2 * 10 + measured + 1);
    draw_frame(window);
    const std::vector<Rgb> own = read_frame(where().right - where().left, where().bottom - where().top);
    EXPECT_GT(inked(own, where().right - where().left, where().bottom - where().top, 10, 10, 10 + 24, 34), 4);

    save(dir + "\\brindlow.ini", "[lines]\nshow = text\ntext = Abc\n[text]\nfont = No Such Family\n");
    window.load_settings();
    EXPECT_EQ(window.view.renderer.glyphs.family, "");
    EXPECT_NE(std::string(tray.nid.szInfo).find("[text] font = No Such Family: no such font is installed"),
              std::string::npos)
        << tray.nid.szInfo;
}
