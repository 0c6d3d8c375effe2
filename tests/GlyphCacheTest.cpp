// GlyphCache with the Fira Code that ships beside the atlases, where Windows
// has no Fira Code of its own (any Windows but a developer's): the letters
// beyond the atlases' ASCII come from it, not from a fallback font.
#include "GlyphCache.h"

#include "TestSupport.h"

#include <cstdlib>
#include <string>

namespace {
int CALLBACK count_family(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM count)
{
    // NOLINTNEXTLINE(performance-no-int-to-ptr): the enumeration hands its context back as an integer.
    ++*reinterpret_cast<int*>(count);
    return 1;
}

// Whether the system (not this process privately) has the family.
bool system_has_family(const wchar_t* name)
{
    LOGFONTW lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, name, LF_FACESIZE);
    int count = 0;
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(screen, &lf, count_family, reinterpret_cast<LPARAM>(&count), 0);
    ReleaseDC(nullptr, screen);
    return count > 0;
}

// The font is loaded once for the process, from the data folders, when the
// first glyph cache starts: the working directory must hold it before the
// window (whose renderer has one) is made.
class ShippedFont : public OverlayTest {
protected:
    void SetUp() override
    {
        const char* hidden = std::getenv("BRINDLOW_TEST_NO_FIRA_CODE");
        if (hidden == nullptr || std::string(hidden) != "1") {
            GTEST_SKIP() << "needs a prefix without Fira Code (scripts/test runs it so)";
        }
        ASSERT_FALSE(system_has_family(L"Fira Code")) << "this prefix has Fira Code installed";
        const std::string dir = fresh_temp_dir("glyph-shipped-font");
        ASSERT_TRUE(CreateDirectoryA((dir + "\\res").c_str(), nullptr));
        ASSERT_TRUE(CopyFileA(BRINDLOW_SHIPPED_TTF, (dir + "\\res\\FiraCode-Regular.ttf").c_str(), FALSE));
        ASSERT_TRUE(SetCurrentDirectoryA(dir.c_str()));
        OverlayTest::SetUp();
    }
};
}

// Fira Code is monospaced: each of these letters is as wide as "M" and "i".
// A fallback font (DejaVu Sans here, Segoe UI on Windows) is proportional,
// and its "ï" and "i" are narrower than "M".
TEST_F(ShippedFont, DrawsLettersBeyondTheAtlasWhereWindowsHasNoFiraCode)
{
    GlyphCache cache;
    ASSERT_EQ(cache.init(24, ""), 0);
    EXPECT_TRUE(GlyphCache::installed(GlyphCache::kBundledFamily)) << "the shipped file was not loaded";
    const int m = cache.glyph(U'M').advance;
    ASSERT_GT(m, 0);
    for (char32_t cp : {U'i', U'\u00e9', U'\u00fc', U'\u00df', U'\u00ef', U'\u00c9'}) {
        SCOPED_TRACE(static_cast<unsigned>(cp));
        const CachedGlyph& g = cache.glyph(cp);
        EXPECT_FALSE(g.missing);
        EXPECT_EQ(g.advance, m);
    }
    cache.destroy();
}
