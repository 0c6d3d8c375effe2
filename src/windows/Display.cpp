#include "Display.h"

#include "DisplayFont.h"

#include "OpenGl.h"

void Display::set_display_font(DisplayFont* f) { font = f; }

void Display::set_position(int new_x, int new_y)
{
    x = new_x;
    y = new_y;
}

void Display::set_font_size(float size) { font_size = size; }

void Display::set_font_spacing(float spacing) { font_spacing = spacing; }

namespace {
void set_colour(unsigned int rgb)
{
    const float kChannel = 255.0f;
    gl.glColor3f(static_cast<float>((rgb >> 16) & 0xFF) / kChannel, static_cast<float>((rgb >> 8) & 0xFF) / kChannel,
                 static_cast<float>(rgb & 0xFF) / kChannel);
}
}

int Display::draw()
{
    // Shadow first, then the outline, so that each is blended over the one before.
    if (outline_shown) {
        prepare_outline(font, font_size, outline_width);
    }
    if (shadow_shown) {
        set_colour(shadow);
        draw_text(text, font, x + shadow_offset, y + shadow_offset, font_size, font_spacing);
    }
    if (outline_shown) {
        set_colour(outline);
        draw_text_outline(text, font, x, y, font_size, font_spacing, outline_width);
    }
    set_colour(colour);
    draw_text(text, font, x, y, font_size, font_spacing);
    return 0;
}
