#include "Display.h"

#include "DisplayFont.h"

#include "OpenGl.h"

void Display::set_display_font(DisplayFont* f)
{
    font = f;
}

void Display::set_position(int new_x, int new_y)
{
    x = new_x;
    y = new_y;
}

void Display::set_font_size(float size)
{
    font_size = size;
}

void Display::set_font_spacing(float spacing)
{
    font_spacing = spacing;
}

int Display::draw()
{
    // Shadow first, so the text is blended over it.
    gl.glColor3f(0.0f, 0.0f, 0.0f);
    draw_text(text, font, x + 1, y + 1, font_size, font_spacing);
    gl.glColor3f(0.0f, 1.0f, 1.0f);
    draw_text(text, font, x, y, font_size, font_spacing);
    return 0;
}
