#pragma once

#include "Display.h"
#include "DisplayFont.h"
#include "GlyphCache.h"
#include "SettingsWords.h"

#include <windows.h>

#include <string>
#include <vector>

// Draws the strip with OpenGL: the window's pixel format and context, the
// font's texture, and frames of lines over the key colour.
class Renderer {
public:
    static constexpr int kPerRow = 19; // atlas cells to a row
    HDC hdc = nullptr;
    HGLRC hglrc = nullptr;
    // False when the context is another strip's, made current on this
    // window's DC to draw here: one context serves every strip.
    bool owns_context = true;
    // The size the projection is for, set again whenever the context comes
    // back to this window from another.
    int width = 0;
    int height = 0;
    DisplayFont font;
    GlyphCache glyphs; // what the atlas lacks, or every glyph in a family of the user's
    int font_halves = 2; // the text scale, in halves, the font was loaded for
    // Buffers swapped since init: what a frame costs is mostly its swap.
    unsigned long swap_count = 0;
    const char* failed_call = nullptr;
    DWORD failed_error = 0;

    // A double-buffered RGBA context on the window's own DC, made current on
    // this thread; -1 (nothing left behind) when OpenGL cannot be had. With
    // `shared`, the window gets the same pixel format and draws with that
    // renderer's context instead of one of its own.
    int init(HWND hwnd, int w, int h, const Renderer* shared = nullptr);
    // Makes the context current on this window's DC, with its projection,
    // unless it is already; 0, or -1 when Windows refused.
    int make_current();
    // The projection for a strip of this size.
    int resize(int w, int h);
    // Loads the atlas for a text scale from the data folders; one that
    // cannot be used falls back to the 24-pixel atlas, stretched, and then
    // to squares, and says why in *problems.
    int load_font(int halves, std::vector<std::string>* problems);
    // Lets go of its own texture and glyphs (a strip that draws with
    // another's font needs neither); nothing when it has none.
    void release_font();
    // Renders glyphs at run time for this text scale from a family (empty:
    // the bundled font for what the atlas lacks); an unknown family is
    // reported in *problems and the bundled font used.
    int load_glyphs(int halves, const std::string& family, std::vector<std::string>* problems);
    // Clears to the key colour (or another backdrop, 0xRRGGBB) and draws
    // the lines in the order given.
    int draw(Display* const* lines, int count, unsigned int backdrop = kKeyBackdrop);
    static constexpr unsigned int kKeyBackdrop = kKeyColourRgb;
    int swap();
    int destroy(HWND hwnd);
};

// The fixed OpenGL state for a strip of this size: one unit per pixel with
// the origin at the top-left corner, modulated textures and alpha blending.
void init_renderer(int width, int height);
