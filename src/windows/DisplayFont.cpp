#include "DisplayFont.h"

#include "GlyphCache.h"
#include "OpenGl.h"
#include "TextRuns.h"

#include <algorithm>
#include <utility>
#include <vector>

#include <stb_image.h>

int DisplayFont::load_from_file(const char* file_path, int glyph_w, int glyph_h, int per_row)
{
    path = file_path;
    glyph_width = glyph_w;
    glyph_height = glyph_h;
    glyphs_per_row = per_row;

    failure = nullptr;
    ink.clear();
    unsigned char* pixels = decode_atlas_file(file_path, &width, &height, &failure);
    if (pixels == nullptr) {
        return -1;
    }

    gl.glGenTextures(1, &texture);
    gl.glBindTexture(GL_TEXTURE_2D, texture);
    gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    // Rows go up top row first, so v = 0 is the image's top edge, which is
    // what the top-down projection wants.
    gl.glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    ink = atlas_ink(pixels, width, height, glyph_width, glyph_height, glyphs_per_row);
    stbi_image_free(pixels);
    return 0;
}

void DisplayFont::free()
{
    // Deleting name 0 is a no-op, so a font that never loaded is safe here.
    gl.glDeleteTextures(1, &texture);
    ink.clear();
}

namespace {
constexpr char32_t kFirstAtlas = 32;
constexpr char32_t kLastAtlas = 126;

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

// Draws the laid-out characters once at each nudge: one pass over the
// atlas's texture and one over the cache's, whatever the count.
void draw_laid_out(const std::vector<std::pair<int, int>>& atlas, const std::vector<Placed>& cached, DisplayFont* font,
                   int y, float size, const Nudge* nudges, int count)
{
    const float fw = static_cast<float>(font->width);
    const float fh = static_cast<float>(font->height);
    // A font that was never loaded has no grid; every character then takes
    // cell 0 rather than dividing by zero.
    const int per_row = font->glyphs_per_row > 0 ? font->glyphs_per_row : 1;

    // Texture 0 of a font that failed to load is incomplete, so texturing has
    // no effect and each character comes out as a square in the current colour.
    gl.glEnable(GL_TEXTURE_2D);
    // A cell drawn at a whole multiple of its texels: its ink's quad
    // samples each pixel's texel as the cell's quad would.
    const int cell = static_cast<int>(size);
    const int zoom = font->glyph_width > 0 && font->glyph_width == font->glyph_height &&
                             static_cast<float>(cell) == size && cell % font->glyph_width == 0
                         ? cell / font->glyph_width
                         : 0;
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
                // The whole cell, unless its ink is known.
                InkBounds box{0, 0, font->glyph_width - 1, font->glyph_height - 1};
                float left = pen_x;
                float top = yf;
                float right = pen_x + size;
                float bottom = yf + size;
                if (zoom > 0 && static_cast<std::size_t>(i) < font->ink.size()) {
                    box = font->ink[static_cast<std::size_t>(i)];
                    if (box.x1 < box.x0) {
                        continue; // a space: nothing to draw
                    }
                    left = pen_x + static_cast<float>(box.x0 * zoom);
                    top = yf + static_cast<float>(box.y0 * zoom);
                    right = pen_x + static_cast<float>((box.x1 + 1) * zoom);
                    bottom = yf + static_cast<float>((box.y1 + 1) * zoom);
                }
                const float u_left = static_cast<float>(col * font->glyph_width + box.x0) / fw;
                const float v_top = static_cast<float>(row * font->glyph_height + box.y0) / fh;
                const float u_right = static_cast<float>(col * font->glyph_width + box.x1 + 1) / fw;
                const float v_bottom = static_cast<float>(row * font->glyph_height + box.y1 + 1) / fh;

                gl.glTexCoord2f(u_left, v_top);
                gl.glVertex2f(left, top);
                gl.glTexCoord2f(u_right, v_top);
                gl.glVertex2f(right, top);
                gl.glTexCoord2f(u_right, v_bottom);
                gl.glVertex2f(right, bottom);
                gl.glTexCoord2f(u_left, v_bottom);
                gl.glVertex2f(left, bottom);
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
                gl.glTexCoord2f(g.u0, g.v0);
                gl.glVertex2f(left, top);
                gl.glTexCoord2f(g.u1, g.v0);
                gl.glVertex2f(right, top);
                gl.glTexCoord2f(g.u1, g.v1);
                gl.glVertex2f(right, bottom);
                gl.glTexCoord2f(g.u0, g.v1);
                gl.glVertex2f(left, bottom);
            }
        }
        gl.glEnd();
    }
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

void draw_text_outline(const std::string& text, DisplayFont* font, int x, int y, float size, float spacing, int width)
{
    std::vector<std::pair<int, int>> atlas;
    std::vector<Placed> cached;
    (void)lay_out(text, font, x, static_cast<int>(spacing), &atlas, &cached);
    // The text's own shape on all eight sides; the text drawn over it
    // leaves the rim showing.
    const int w = width;
    const Nudge around[] = {{-w, -w}, {0, -w}, {w, -w}, {-w, 0}, {w, 0}, {-w, w}, {0, w}, {w, w}};
    draw_laid_out(atlas, cached, font, y, size, around, static_cast<int>(sizeof around / sizeof around[0]));
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
