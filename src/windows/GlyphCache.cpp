#include "GlyphCache.h"

#include "DataFolders.h"
#include "GlyphPixels.h"
#include "OpenGl.h"
#include "Utf8.h"
#include "WideText.h"

#include <algorithm>
#include <cstring>

namespace {
// Windows' own fallback fonts for the scripts a date, a name or a line of
// one's own may hold, tried in this order before every other installed
// family (a name Windows lacks costs one failed lookup).
const wchar_t* const kFallbackFamilies[] = {
    L"Segoe UI",        L"Arial",           L"Tahoma",        L"Microsoft YaHei",
    L"Yu Gothic UI",    L"Meiryo",          L"Malgun Gothic", L"Microsoft JhengHei",
    L"SimSun",          L"Nirmala UI",      L"Leelawadee UI", L"Ebrima",
    L"Segoe UI Symbol", L"Arial Unicode MS"};
constexpr int kBytesPerPixel = 4;
constexpr char32_t kLastBmp = 0xFFFF;
constexpr WORD kMissingGlyph = 0xFFFF;
constexpr int kGap = 1; // between glyphs in the texture, so that none bleeds into the next
// Sixteen CJK glyphs at scale 3 fit the first; a line of a hundred at any
// scale, the largest.
constexpr int kFirstTextureSize = 256;
constexpr int kLargestTextureSize = 2048;

// The em size that gives the atlas's Fira Code advance of half a cell:
// 1950 units to the em, 1200 to the advance, so 13/16 of the cell.
int em_pixels(int cell) { return (cell * 13 + 8) / 16; }

int CALLBACK add_family(const LOGFONTW* lf, const TEXTMETRICW*, DWORD, LPARAM out)
{
    // NOLINTNEXTLINE(performance-no-int-to-ptr): the enumeration hands its context back as an integer.
    auto* names = reinterpret_cast<std::vector<std::wstring>*>(out);
    // '@' names are the vertical forms of CJK fonts.
    if (lf->lfFaceName[0] != L'@' &&
        std::find(names->begin(), names->end(), std::wstring(lf->lfFaceName)) == names->end()) {
        names->emplace_back(lf->lfFaceName);
    }
    return 1;
}

std::vector<std::wstring> families_named(HDC dc, const std::wstring& face)
{
    LOGFONTW lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    const std::size_t n = std::min(face.size(), static_cast<std::size_t>(LF_FACESIZE - 1));
    std::copy(face.begin(), face.begin() + static_cast<std::ptrdiff_t>(n), lf.lfFaceName);
    std::vector<std::wstring> names;
    EnumFontFamiliesExW(dc, &lf, add_family, reinterpret_cast<LPARAM>(&names), 0);
    return names;
}

std::wstring utf16_of(char32_t cp)
{
    std::string utf8;
    utf8_append(&utf8, cp);
    return widen(utf8);
}

void load_bundled_font()
{
    static bool tried = false;
    if (tried) {
        return;
    }
    tried = true;
    DataFolders data;
    data.init();
    const std::string path = data.find(GlyphCache::kBundledFile);
    // Private: for this process only, and gone when it ends. Where it is not
    // shipped, an installed Fira Code (or the fallbacks) serves.
    if (!path.empty()) {
        AddFontResourceExW(widen(path).c_str(), FR_PRIVATE, nullptr);
    }
}
}

bool GlyphCache::installed(const std::string& font_family)
{
    load_bundled_font();
    HDC screen = GetDC(nullptr);
    const bool found = !font_family.empty() && !families_named(screen, widen(font_family)).empty();
    ReleaseDC(nullptr, screen);
    return found;
}

int GlyphCache::init(int cell_pixels, const std::string& font_family)
{
    destroy();
    cell = cell_pixels;
    const bool known = font_family.empty() || installed(font_family);
    load_bundled_font();
    family = known ? font_family : std::string();
    families.clear();
    families.push_back(widen(family.empty() ? std::string(kBundledFamily) : family));
    for (const wchar_t* f : kFallbackFamilies) {
        if (families.front() != f) {
            families.emplace_back(f);
        }
    }
    all_families = false;
    last_fallback = 0;

    texture_size = 0; // made on the first glyph the atlas lacks: ASCII alone costs nothing
    ++generation;
    rendered = 0;
    outline = 0;
    return known ? 0 : -1;
}

void GlyphCache::destroy()
{
    // The DC goes first: a font still selected into it cannot be deleted.
    if (dc != nullptr) {
        SelectObject(dc, old_bitmap);
        DeleteObject(bitmap);
        DeleteDC(dc);
        dc = nullptr;
        bitmap = nullptr;
        bits = nullptr;
        canvas_width = 0;
    }
    for (HFONT f : fonts) {
        if (f != nullptr) {
            DeleteObject(f);
        }
    }
    fonts.clear();
    if (texture != 0) {
        gl.glDeleteTextures(1, &texture);
        texture = 0;
    }
    glyphs.clear();
    runs.clear();
}

// The canvas a glyph is drawn on, and the texture; made on first use.
void GlyphCache::prepare()
{
    if (dc != nullptr) {
        return;
    }
    dc = CreateCompatibleDC(nullptr);
    // A canvas a cell larger than the cell on every side: room for strokes
    // that overhang it.
    make_canvas(cell * 3);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    // TA_LEFT and TA_NOUPDATECP are 0: the baseline is what matters.
    SetTextAlign(dc, TA_BASELINE);
    gl.glGenTextures(1, &texture);
    grow_texture(kFirstTextureSize);
}

// A canvas this wide (and three cells tall) for the DC to draw on.
void GlyphCache::make_canvas(int width)
{
    if (bitmap != nullptr) {
        SelectObject(dc, old_bitmap);
        DeleteObject(bitmap);
    }
    canvas_width = width;
    canvas_height = cell * 3;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = canvas_width;
    info.bmiHeader.biHeight = -canvas_height; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    bits = static_cast<unsigned char*>(pixels);
    old_bitmap = bitmap != nullptr ? SelectObject(dc, bitmap) : nullptr;
}

// A larger texture, empty: the glyphs are rendered into it again as they
// are next drawn.
void GlyphCache::grow_texture(int side)
{
    texture_size = side;
    const std::vector<unsigned char> clear(static_cast<std::size_t>(side) * side * kBytesPerPixel, 0);
    gl.glBindTexture(GL_TEXTURE_2D, texture);
    gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    gl.glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, side, side, 0, GL_RGBA, GL_UNSIGNED_BYTE, clear.data());
    clear_texture();
}

void GlyphCache::clear_texture()
{
    glyphs.clear();
    runs.clear();
    ++generation;
    pen_x = kGap;
    pen_y = kGap;
    row_height = 0;
}

void GlyphCache::make_outlines(int width)
{
    if (width == outline) {
        return;
    }
    outline = width;
    clear_texture();
}

HFONT GlyphCache::font_at(std::size_t index)
{
    if (fonts.size() < families.size()) {
        fonts.resize(families.size(), nullptr);
    }
    if (fonts[index] == nullptr) {
        LOGFONTW lf{};
        lf.lfHeight = -em_pixels(cell);
        lf.lfWeight = FW_NORMAL;
        lf.lfCharSet = DEFAULT_CHARSET;
        lf.lfOutPrecision = OUT_TT_PRECIS;
        // Grey levels, never ClearType's colour fringes: the text is drawn
        // in its own colour over anything.
        lf.lfQuality = ANTIALIASED_QUALITY;
        const std::wstring& name = families[index];
        const std::size_t n = std::min(name.size(), static_cast<std::size_t>(LF_FACESIZE - 1));
        std::copy(name.begin(), name.begin() + static_cast<std::ptrdiff_t>(n), lf.lfFaceName);
        fonts[index] = CreateFontIndirectW(&lf);
    }
    return fonts[index];
}

void GlyphCache::add_installed_families()
{
    all_families = true;
    for (const std::wstring& name : families_named(dc, L"")) {
        if (std::find(families.begin(), families.end(), name) == families.end()) {
            families.push_back(name);
        }
    }
}

int GlyphCache::font_for(char32_t cp)
{
    // GetGlyphIndicesW answers for one UTF-16 unit: characters beyond the
    // Basic Multilingual Plane are drawn as boxes.
    if (cp > kLastBmp || dc == nullptr) {
        return -1;
    }
    const wchar_t unit = static_cast<wchar_t>(cp);
    auto has = [this, unit](std::size_t i) {
        HFONT f = font_at(i);
        WORD index = kMissingGlyph;
        return f != nullptr && SelectObject(dc, f) != nullptr &&
               GetGlyphIndicesW(dc, &unit, 1, &index, GGI_MARK_NONEXISTING_GLYPHS) == 1 && index != kMissingGlyph;
    };
    // The font the last fallback came from is asked first after the
    // family's own: the characters of one line are mostly of one script.
    if (has(0)) {
        return 0;
    }
    if (last_fallback > 0 && has(last_fallback)) {
        return static_cast<int>(last_fallback);
    }
    for (std::size_t i = 1;; ++i) {
        if (i == families.size()) {
            if (all_families) {
                return -1;
            }
            add_installed_families();
            if (i == families.size()) {
                return -1;
            }
        }
        if (i != last_fallback && has(i)) {
            last_fallback = i;
            return static_cast<int>(i);
        }
    }
}

CachedGlyph GlyphCache::render(const std::wstring& text, int font_index)
{
    CachedGlyph g;
    // The pen in the canvas: the cell's top-left is (cell, cell), its
    // baseline three quarters down, the advance box a quarter cell in.
    const int origin_x = cell;
    const int baseline = cell + cell * 3 / 4;
    const int box_left = cell / 4;
    if (font_index >= 0) {
        SelectObject(dc, font_at(static_cast<std::size_t>(font_index)));
        // GetTextExtentPoint32W and ExtTextOutW shape the whole string, as
        // Windows draws text: joined, reordered and stacked.
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        if (size.cx + 2 * cell > canvas_width) {
            make_canvas(size.cx + 2 * cell);
        }
        std::memset(bits, 0, static_cast<std::size_t>(canvas_width) * canvas_height * kBytesPerPixel);
        ExtTextOutW(dc, origin_x, baseline, 0, nullptr, text.c_str(), static_cast<UINT>(text.size()), nullptr);
        GdiFlush();
        g.advance = size.cx;
        // With the atlas's font every glyph keeps to the grid of half
        // cells, so that the monospaced columns stay aligned: a CJK one
        // takes two, a letter from a fallback font one.
        const int half = cell / 2;
        if (family.empty() && g.advance > 0) {
            g.advance = std::max(half, (g.advance + half / 2) / half * half);
        }
    } else {
        // No font has it: a box the size of a capital, outlined, so that
        // the user sees something is missing rather than nothing.
        std::memset(bits, 0, static_cast<std::size_t>(canvas_width) * canvas_height * kBytesPerPixel);
        const int stroke = std::max(1, cell / 24);
        const int left = origin_x + stroke, right = origin_x + cell / 2 - stroke;
        const int top = cell + cell / 4, bottom = baseline;
        for (int y = top; y < bottom; ++y) {
            for (int x = left; x < right; ++x) {
                const bool edge = y < top + stroke || y >= bottom - stroke || x < left + stroke || x >= right - stroke;
                if (edge) {
                    std::memset(bits + (static_cast<std::size_t>(y) * canvas_width + x) * kBytesPerPixel, 255, 3);
                }
            }
        }
        g.advance = cell / 2;
        g.missing = true;
    }
    const InkBounds ink = ink_bounds(bits, canvas_width, canvas_height);
    const int x0 = ink.x0, y0 = ink.y0, x1 = ink.x1, y1 = ink.y1;
    if (x1 < 0) {
        return g; // a space: an advance and no ink
    }
    g.width = x1 - x0 + 1;
    g.height = y1 - y0 + 1;
    g.left = x0 - origin_x + box_left;
    g.top = y0 - cell;
    // With an outline, its ink goes in the same block, a gap right of the
    // glyph: `outline` further out on every side.
    const int spread = outline;
    const int block_w = spread > 0 ? g.width + kGap + g.width + 2 * spread : g.width;
    const int block_h = g.height + 2 * spread;
    // A run wider than the texture needs a wider one.
    while (block_w + 2 * kGap > texture_size && texture_size < kLargestTextureSize) {
        grow_texture(texture_size * 2);
    }
    if (block_w + 2 * kGap > texture_size) {
        g.width = 0; // wider than any texture: drawn as its advance alone
        return g;
    }
    if (pen_x + block_w + kGap > texture_size) {
        pen_x = kGap;
        pen_y += row_height + kGap;
        row_height = 0;
    }
    if (pen_y + block_h + kGap > texture_size) {
        // Full: a texture twice the side, or at the largest, the same one
        // again; either way with only what is drawn from now on.
        if (texture_size < kLargestTextureSize) {
            grow_texture(texture_size * 2);
        } else {
            clear_texture();
        }
    }
    std::vector<unsigned char> rgba = coverage_rgba(bits, canvas_width, x0, y0, g.width, g.height);
    if (spread > 0) {
        // One upload of both: the glyph top-left, its outline's ink beside it.
        const std::vector<unsigned char> rim = spread_coverage(rgba.data(), g.width, 0, 0, g.width, g.height, spread);
        std::vector<unsigned char> block(static_cast<std::size_t>(block_w) * block_h * kBytesPerPixel, 0);
        const std::size_t glyph_row = static_cast<std::size_t>(g.width) * kBytesPerPixel;
        const std::size_t ink_row = static_cast<std::size_t>(g.width + 2 * spread) * kBytesPerPixel;
        const std::size_t block_row = static_cast<std::size_t>(block_w) * kBytesPerPixel;
        for (int y = 0; y < block_h; ++y) {
            if (y < g.height) {
                std::copy_n(&rgba[y * glyph_row], glyph_row, &block[y * block_row]);
            }
            std::copy_n(&rim[y * ink_row], ink_row,
                        &block[y * block_row + glyph_row + static_cast<std::size_t>(kGap) * kBytesPerPixel]);
        }
        rgba.swap(block);
    }
    gl.glBindTexture(GL_TEXTURE_2D, texture);
    gl.glTexSubImage2D(GL_TEXTURE_2D, 0, pen_x, pen_y, block_w, block_h, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    const float size = static_cast<float>(texture_size);
    g.u0 = static_cast<float>(pen_x) / size;
    g.v0 = static_cast<float>(pen_y) / size;
    g.u1 = static_cast<float>(pen_x + g.width) / size;
    g.v1 = static_cast<float>(pen_y + g.height) / size;
    if (spread > 0) {
        const int ink_x = pen_x + g.width + kGap;
        g.ou0 = static_cast<float>(ink_x) / size;
        g.ov0 = g.v0;
        g.ou1 = static_cast<float>(ink_x + g.width + 2 * spread) / size;
        g.ov1 = static_cast<float>(pen_y + block_h) / size;
        g.outline = spread;
    }
    pen_x += block_w + kGap;
    row_height = std::max(row_height, block_h);
    ++rendered;
    return g;
}

const CachedGlyph& GlyphCache::glyph(char32_t cp)
{
    const auto found = glyphs.find(cp);
    if (found != glyphs.end()) {
        return found->second;
    }
    prepare();
    const CachedGlyph g = render(utf16_of(cp), font_for(cp));
    return glyphs[cp] = g;
}

const CachedGlyph& GlyphCache::run(const std::string& text, char32_t first)
{
    const auto found = runs.find(text);
    if (found != runs.end()) {
        return found->second;
    }
    prepare();
    // The font of its first letter: a run is of one script.
    const int font = font_for(first);
    const CachedGlyph g = font >= 0 ? render(widen(text), font) : render(std::wstring(), -1);
    return runs[text] = g;
}
