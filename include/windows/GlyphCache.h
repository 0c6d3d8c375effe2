#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

// Glyphs the atlas lacks (or every glyph, with a font family of the user's),
// rendered at run time by GDI at the exact pixel size for the scale into a
// texture beside the atlas. Each is placed as an atlas glyph would be: in a
// cell-sized square whose baseline is three quarters down, its advance box a
// quarter cell in from the left. A character no installed font has is drawn
// as a box.
struct CachedGlyph {
    float u0 = 0, v0 = 0, u1 = 0, v1 = 0; // its ink in the texture
    int left = 0; // the ink's left edge from the pen
    int top = 0; // the ink's top from the cell's top
    int width = 0; // the ink's size; 0 for a space
    int height = 0;
    int advance = 0; // pixels to the next pen position
    bool missing = false; // no installed font has it: drawn as a box
    // Its outline ink (see spread_coverage), `outline` pixels out round the
    // ink, beside it in the texture; outline 0: none made.
    float ou0 = 0, ov0 = 0, ou1 = 0, ov1 = 0;
    int outline = 0;
};

class GlyphCache {
public:
    // Fira Code, loaded privately from beside the atlases where it is
    // shipped: the atlas's own font, for the characters it holds beyond
    // the atlas's ASCII.
    static constexpr const char* kBundledFamily = "Fira Code";
    static constexpr const char* kBundledFile = "res/FiraCode-Regular.ttf";

    int cell = 0; // the atlas's square, in pixels
    std::string family; // the user's family, or empty: the bundled font
    unsigned int texture = 0;
    int texture_size = 0; // its side; 0 until a glyph is first needed
    std::map<char32_t, CachedGlyph> glyphs;
    std::map<std::string, CachedGlyph> runs; // shaped as a whole (see TextRuns.h)
    // Bumped whenever the texture is cleared: glyphs looked up before it
    // are stale.
    unsigned long generation = 0;
    // Glyphs rendered since init (the benchmark counts them).
    unsigned long rendered = 0;
    // The outline width each glyph's outline ink is made for; 0: none.
    int outline = 0;

    // Needs a current OpenGL context. Renders for this cell size from the
    // family (empty: the bundled font) first, then the system's fallback
    // fonts. -1 when the family is not installed; the bundled font is then used.
    int init(int cell_pixels, const std::string& font_family);
    // The glyph for a code point, rendered on first use.
    const CachedGlyph& glyph(char32_t cp);
    // A run of a script Windows must shape, or a letter with its combining
    // marks, rendered as one string in the font of its first character.
    const CachedGlyph& run(const std::string& text, char32_t first);
    // Renders each glyph with its outline ink `width` pixels out from now
    // on: those rendered without it (or at another width) are rendered
    // again as they are next drawn.
    void make_outlines(int width);
    // Whether a family is installed (or loaded privately).
    static bool installed(const std::string& font_family);
    void destroy();

private:
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old_bitmap = nullptr;
    unsigned char* bits = nullptr; // the bitmap's BGRA pixels, top row first
    int canvas_width = 0; // the bitmap's size: three cells tall,
    int canvas_height = 0; // as wide as the widest run drawn yet
    std::vector<std::wstring> families; // in the order they are tried
    std::vector<HFONT> fonts; // made on first use, one per family
    bool all_families = false; // every installed family added
    std::size_t last_fallback = 0; // the family the last fallback came from
    int pen_x = 0, pen_y = 0, row_height = 0; // where the next glyph goes

    HFONT font_at(std::size_t index);
    // The first font that has a glyph for the code point; -1: none has.
    int font_for(char32_t cp);
    void add_installed_families();
    CachedGlyph render(const std::wstring& text, int font_index);
    void make_canvas(int width);
    void prepare();
    void grow_texture(int side);
    void clear_texture();
};
