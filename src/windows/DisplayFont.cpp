#include "DisplayFont.h"

#include "OpenGl.h"

#include <stb_image.h>

int DisplayFont::load_from_file(const char* file_path, int glyph_w, int glyph_h, int per_row)
{
    path = file_path;
    glyph_width = glyph_w;
    glyph_height = glyph_h;
    glyphs_per_row = per_row;

    failure = nullptr;
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
    stbi_image_free(pixels);
    return 0;
}

void DisplayFont::free()
{
    // Deleting name 0 is a no-op, so a font that never loaded is safe here.
    gl.glDeleteTextures(1, &texture);
}

void draw_text(const std::string& text, DisplayFont* font, int x, int y, float size, float spacing)
{
    const float fw = static_cast<float>(font->width);
    const float fh = static_cast<float>(font->height);
    const float yf = static_cast<float>(y);
    float pen_x = static_cast<float>(x);
    // A font that was never loaded has no grid; every character then takes
    // cell 0 rather than dividing by zero.
    const int per_row = font->glyphs_per_row > 0 ? font->glyphs_per_row : 1;

    // Texture 0 of a font that failed to load is incomplete, so texturing has
    // no effect and each character comes out as a square in the current colour.
    gl.glEnable(GL_TEXTURE_2D);
    gl.glBindTexture(GL_TEXTURE_2D, font->texture);
    gl.glBegin(GL_QUADS);
    for (char c : text) {
        const int i = static_cast<signed char>(c) - 32;
        const int col = i % per_row;
        const int row = i / per_row;
        const float u_left = static_cast<float>(col * font->glyph_width) / fw;
        const float v_top = static_cast<float>(row * font->glyph_height) / fh;
        const float u_right = static_cast<float>((col + 1) * font->glyph_width) / fw;
        const float v_bottom = static_cast<float>((row + 1) * font->glyph_height) / fh;

        gl.glTexCoord2f(u_left, v_top);
        gl.glVertex2f(pen_x, yf);
        gl.glTexCoord2f(u_right, v_top);
        gl.glVertex2f(pen_x + size, yf);
        gl.glTexCoord2f(u_right, v_bottom);
        gl.glVertex2f(pen_x + size, yf + size);
        gl.glTexCoord2f(u_left, v_bottom);
        gl.glVertex2f(pen_x, yf + size);

        pen_x += spacing;
    }
    gl.glEnd();
}
