#include "DisplayFont.h"

#include "GlyphCache.h"
#include "OpenGl.h"
#include "TextRuns.h"

#include <algorithm>
#include <utility>
#include <vector>

#include <stb_image.h>

namespace {
constexpr char32_t kFirstAtlas = 32;
constexpr char32_t kLastAtlas = 126;
constexpr int kAtlasCells = static_cast<int>(kLastAtlas - kFirstAtlas) + 1;
}

int DisplayFont::load_from_file(const char* file_path, int glyph_w, int glyph_h, int per_row)
{
    path = file_path;
    glyph_width = glyph_w;
    glyph_height = glyph_h;
    glyphs_per_row = per_row;
    outline_width = 0;
    ink.clear();

    failure = nullptr;
    unsigned char* pixels = decode_atlas_file(file_path, &width, &height, &failure);
    texture_width = width;
    texture_height = height;
    if (pixels == nullptr) {
        return -1;
    }
    // The cells the image holds whole; a character beyond them keeps its
    // whole square.
    for (int i = 0; i < kAtlasCells && per_row > 0; ++i) {
        const int x0 = i % per_row * glyph_w, y0 = i / per_row * glyph_h;
        if (x0 + glyph_w > width || y0 + glyph_h > height) {
            break;
        }
        ink.push_back(alpha_bounds(pixels, width, x0, y0, glyph_w, glyph_h));
    }

    gl.glGenTextures(1, &texture);
    gl.glBindTexture(GL_TEXTURE_2D, texture);
    gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    // Rows go up top row first, so v = 0 is the image's top edge, which is
    // what the top-down projection wants.
    gl.glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    stbi_image_free(pixels);
    return 0;
}

int DisplayFont::make_outline(int w)
{
    if (outline_width == w) {
        return 0;
    }
    if (texture == 0 || ink.empty()) {
        return -1;
    }
    // The atlas as the texture holds it, at its top: white ink with its
    // coverage as alpha (what the atlas maker writes), so its alpha is all
    // the outline needs.
    std::vector<unsigned char> held(static_cast<std::size_t>(texture_width) * texture_height * 4);
    gl.glBindTexture(GL_TEXTURE_2D, texture);
    gl.glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, held.data());
    // The outline cells go below the atlas, in the same texture: the passes
    // of a line then draw from one texture, which the software rasteriser
    // takes without changing state between them.
    const int cell_w = glyph_width + 2 * w, cell_h = glyph_height + 2 * w;
    const int rows = (static_cast<int>(ink.size()) + glyphs_per_row - 1) / glyphs_per_row;
    const int side_w = std::max(width, glyphs_per_row * cell_w);
    const int side_h = height + rows * cell_h;
    const std::size_t row_bytes = static_cast<std::size_t>(side_w) * 4;
    std::vector<unsigned char> image(row_bytes * side_h, 0);
    for (int y = 0; y < height; ++y) {
        std::copy_n(&held[static_cast<std::size_t>(y) * texture_width * 4], static_cast<std::size_t>(width) * 4,
                    &image[y * row_bytes]);
    }
    for (int i = 0; i < static_cast<int>(ink.size()); ++i) {
        if (ink[i].x1 < 0) {
            continue;
        }
        const int col = i % glyphs_per_row, row = i / glyphs_per_row;
        const std::vector<unsigned char> spread = spread_coverage(held.data(), texture_width, col * glyph_width,
                                                                  row * glyph_height, glyph_width, glyph_height, w);
        for (int y = 0; y < cell_h; ++y) {
            std::copy_n(&spread[static_cast<std::size_t>(y) * cell_w * 4], static_cast<std::size_t>(cell_w) * 4,
                        &image[static_cast<std::size_t>(height + row * cell_h + y) * row_bytes +
                               static_cast<std::size_t>(col) * cell_w * 4]);
        }
    }
    gl.glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, side_w, side_h, 0, GL_RGBA, GL_UNSIGNED_BYTE, image.data());
    texture_width = side_w;
    texture_height = side_h;
    outline_width = w;
    return 0;
}

void DisplayFont::free()
{
    // Deleting name 0 is a no-op, so a font that never loaded is safe here.
    gl.glDeleteTextures(1, &texture);
    outline_width = 0;
    ink.clear();
}

namespace {
// A character drawn from the glyph cache, where its pen stands.
struct Placed {
    int pen;
    CachedGlyph glyph;
};

// Marks that steer direction or joining and are never drawn: Windows puts
// them in the regional forms of right-to-left locales.
bool invisible(char32_t cp)
{
    return (cp >= 0x200B && cp <= 0x200F) || (cp >= 0x202A && cp <= 0x202E) || (cp >= 0x2066 && cp <= 0x2069) ||
           cp == 0xFEFF;
}

bool from_atlas(const DisplayFont* font, char32_t cp)
{
    const bool whole_font = font->glyphs != nullptr && !font->glyphs->family.empty();
    return !whole_font && cp >= kFirstAtlas && cp <= kLastAtlas;
}

// Walks the text: each atlas character's atlas index and pen, each other
// one's glyph and pen; the pen after the last character.
int lay_out(const std::string& text, DisplayFont* font, int x, int spacing, std::vector<std::pair<int, int>>* atlas,
            std::vector<Placed>* cached)
{
    // Printable ASCII from the atlas, the default lines' every frame: one
    // square per byte, with no cutting into runs.
    const bool whole_font = font->glyphs != nullptr && !font->glyphs->family.empty();
    if (!whole_font && std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7F; })) {
        atlas->clear();
        cached->clear();
        int pen = x;
        for (char c : text) {
            atlas->emplace_back(static_cast<int>(c) - static_cast<int>(kFirstAtlas), pen);
            pen += spacing;
        }
        return pen;
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        atlas->clear();
        cached->clear();
        const unsigned long generation = font->glyphs != nullptr ? font->glyphs->generation : 0;
        int pen = x;
        for (const TextPiece& piece : split_runs(text)) {
            const char32_t cp = piece.first;
            if (piece.shaped && font->glyphs != nullptr) {
                const CachedGlyph g = font->glyphs->run(piece.text, cp);
                cached->push_back(Placed{pen, g});
                pen += g.advance;
                continue;
            }
            if (invisible(cp)) {
                continue;
            }
            if (from_atlas(font, cp) || font->glyphs == nullptr) {
                const char32_t shown = cp >= kFirstAtlas && cp <= kLastAtlas ? cp : U'?';
                atlas->emplace_back(static_cast<int>(shown - kFirstAtlas), pen);
                pen += spacing;
            } else {
                const CachedGlyph g = font->glyphs->glyph(cp);
                cached->push_back(Placed{pen, g});
                pen += g.advance;
            }
        }
        // A full cache starts again part-way: the glyphs found before it are gone.
        if (font->glyphs == nullptr || font->glyphs->generation == generation) {
            return pen;
        }
    }
    return x;
}
}

namespace {
// Where a copy of the laid-out text goes, from where it was laid out.
struct Nudge {
    int dx;
    int dy;
};

// Whether the atlas's texels land one to a pixel, so that a quad may keep
// to a cell's ink (or its outline's) and leave every pixel as the whole
// square would: a texel of alpha 0 blends to no change.
bool one_to_one(const DisplayFont* font, float size)
{
    return !font->ink.empty() && font->glyph_width == font->glyph_height &&
           static_cast<float>(font->glyph_width) == size;
}

void textured_quad(float left, float top, float right, float bottom, float u0, float v0, float u1, float v1)
{
    gl.glTexCoord2f(u0, v0);
    gl.glVertex2f(left, top);
    gl.glTexCoord2f(u1, v0);
    gl.glVertex2f(right, top);
    gl.glTexCoord2f(u1, v1);
    gl.glVertex2f(right, bottom);
    gl.glTexCoord2f(u0, v1);
    gl.glVertex2f(left, bottom);
}

// Draws the laid-out characters once at each nudge: one pass over the
// atlas's texture and one over the cache's, whatever the count.
void draw_laid_out(const std::vector<std::pair<int, int>>& atlas, const std::vector<Placed>& cached, DisplayFont* font,
                   int y, float size, const Nudge* nudges, int count)
{
    const float fw = static_cast<float>(font->texture_width);
    const float fh = static_cast<float>(font->texture_height);
    // A font that was never loaded has no grid; every character then takes
    // cell 0 rather than dividing by zero.
    const int per_row = font->glyphs_per_row > 0 ? font->glyphs_per_row : 1;
    const bool tight = one_to_one(font, size);

    // Texture 0 of a font that failed to load is incomplete, so texturing has
    // no effect and each character comes out as a square in the current colour.
    gl.glEnable(GL_TEXTURE_2D);
    if (!atlas.empty()) {
        gl.glBindTexture(GL_TEXTURE_2D, font->texture);
        gl.glBegin(GL_QUADS);
        for (int n = 0; n < count; ++n) {
            const float yf = static_cast<float>(y + nudges[n].dy);
            for (const auto& a : atlas) {
                const int i = a.first;
                const float pen_x = static_cast<float>(a.second + nudges[n].dx);
                const int col = i % per_row;
                const int row = i / per_row;
                // The cell's ink where it is known, else the whole square.
                InkBounds b{0, 0, font->glyph_width - 1, font->glyph_height - 1};
                float right = size, bottom = size;
                if (tight && i < static_cast<int>(font->ink.size())) {
                    b = font->ink[i];
                    if (b.x1 < 0) {
                        continue;
                    }
                    right = static_cast<float>(b.x1 + 1);
                    bottom = static_cast<float>(b.y1 + 1);
                }
                const float u_left = static_cast<float>(col * font->glyph_width + b.x0) / fw;
                const float v_top = static_cast<float>(row * font->glyph_height + b.y0) / fh;
                const float u_right = static_cast<float>(col * font->glyph_width + b.x1 + 1) / fw;
                const float v_bottom = static_cast<float>(row * font->glyph_height + b.y1 + 1) / fh;
                textured_quad(pen_x + static_cast<float>(b.x0), yf + static_cast<float>(b.y0), pen_x + right,
                              yf + bottom, u_left, v_top, u_right, v_bottom);
            }
        }
        gl.glEnd();
    }
    if (!cached.empty()) {
        gl.glBindTexture(GL_TEXTURE_2D, font->glyphs->texture);
        gl.glBegin(GL_QUADS);
        for (int n = 0; n < count; ++n) {
            for (const Placed& p : cached) {
                const CachedGlyph& g = p.glyph;
                if (g.width == 0) {
                    continue;
                }
                const float left = static_cast<float>(p.pen + g.left + nudges[n].dx);
                const float top = static_cast<float>(y + g.top + nudges[n].dy);
                const float right = left + static_cast<float>(g.width);
                const float bottom = top + static_cast<float>(g.height);
                textured_quad(left, top, right, bottom, g.u0, g.v0, g.u1, g.v1);
            }
        }
        gl.glEnd();
    }
}

// The outline ink of the atlas's characters, one quad each, from the
// outline cells below the atlas in its texture.
void draw_atlas_outlines(const std::vector<std::pair<int, int>>& atlas, const DisplayFont* font, int y, int width)
{
    const int per_row = font->glyphs_per_row;
    const int cell_w = font->glyph_width + 2 * width, cell_h = font->glyph_height + 2 * width;
    const float fw = static_cast<float>(font->texture_width);
    const float fh = static_cast<float>(font->texture_height);
    gl.glBindTexture(GL_TEXTURE_2D, font->texture);
    gl.glBegin(GL_QUADS);
    for (const auto& a : atlas) {
        const int i = a.first;
        const InkBounds& b = font->ink[i];
        if (b.x1 < 0) {
            continue;
        }
        // The cell's ink spread `width` out: in its outline cell, from the
        // ink's own corner to `width` twice past the far one.
        const int tx = i % per_row * cell_w, ty = font->height + i / per_row * cell_h;
        const float left = static_cast<float>(a.second + b.x0 - width);
        const float top = static_cast<float>(y + b.y0 - width);
        const float right = static_cast<float>(a.second + b.x1 + 1 + width);
        const float bottom = static_cast<float>(y + b.y1 + 1 + width);
        textured_quad(left, top, right, bottom, static_cast<float>(tx + b.x0) / fw, static_cast<float>(ty + b.y0) / fh,
                      static_cast<float>(tx + b.x1 + 1 + 2 * width) / fw,
                      static_cast<float>(ty + b.y1 + 1 + 2 * width) / fh);
    }
    gl.glEnd();
}

// The outline ink of the cache's glyphs, one quad each, from beside each
// glyph in the cache's texture.
void draw_cached_outlines(const std::vector<Placed>& cached, const DisplayFont* font, int y, int width)
{
    gl.glBindTexture(GL_TEXTURE_2D, font->glyphs->texture);
    gl.glBegin(GL_QUADS);
    for (const Placed& p : cached) {
        const CachedGlyph& g = p.glyph;
        if (g.width == 0) {
            continue;
        }
        const float left = static_cast<float>(p.pen + g.left - width);
        const float top = static_cast<float>(y + g.top - width);
        const float right = left + static_cast<float>(g.width + 2 * width);
        const float bottom = top + static_cast<float>(g.height + 2 * width);
        textured_quad(left, top, right, bottom, g.ou0, g.ov0, g.ou1, g.ov1);
    }
    gl.glEnd();
}
}

void draw_text(const std::string& text, DisplayFont* font, int x, int y, float size, float spacing)
{
    std::vector<std::pair<int, int>> atlas;
    std::vector<Placed> cached;
    (void)lay_out(text, font, x, static_cast<int>(spacing), &atlas, &cached);
    const Nudge in_place{0, 0};
    draw_laid_out(atlas, cached, font, y, size, &in_place, 1);
}

void prepare_outline(DisplayFont* font, float size, int width)
{
    if (one_to_one(font, size)) {
        (void)font->make_outline(width);
    }
    if (font->glyphs != nullptr) {
        font->glyphs->make_outlines(width);
    }
}

void draw_text_outline(const std::string& text, DisplayFont* font, int x, int y, float size, float spacing, int width)
{
    prepare_outline(font, size, width);
    std::vector<std::pair<int, int>> atlas;
    std::vector<Placed> cached;
    (void)lay_out(text, font, x, static_cast<int>(spacing), &atlas, &cached);
    // What has outline ink of this width takes one quad; the rest (a font
    // that failed to load or is stretched, a glyph too wide for any
    // texture) is drawn eight times, on all eight sides.
    std::vector<std::pair<int, int>> atlas_eight;
    std::vector<Placed> cached_eight;
    gl.glEnable(GL_TEXTURE_2D);
    if (!atlas.empty()) {
        if (font->outline_width == width && one_to_one(font, size)) {
            draw_atlas_outlines(atlas, font, y, width);
        } else {
            atlas_eight.swap(atlas);
        }
    }
    if (!cached.empty()) {
        std::vector<Placed> ready;
        for (const Placed& p : cached) {
            (p.glyph.outline == width ? ready : cached_eight).push_back(p);
        }
        if (!ready.empty()) {
            draw_cached_outlines(ready, font, y, width);
        }
    }
    if (!atlas_eight.empty() || !cached_eight.empty()) {
        const int w = width;
        const Nudge around[] = {{-w, -w}, {0, -w}, {w, -w}, {-w, 0}, {w, 0}, {-w, w}, {0, w}, {w, w}};
        draw_laid_out(atlas_eight, cached_eight, font, y, size, around,
                      static_cast<int>(sizeof around / sizeof around[0]));
    }
}

int text_width(const std::string& text, DisplayFont* font, float size, float spacing)
{
    if (text.empty()) {
        return 0;
    }
    std::vector<std::pair<int, int>> atlas;
    std::vector<Placed> cached;
    const int advances = lay_out(text, font, 0, static_cast<int>(spacing), &atlas, &cached);
    return advances + static_cast<int>(size) - static_cast<int>(spacing);
}
