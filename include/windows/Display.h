#pragma once

#include <string>

class DisplayFont;

// One line of text on the overlay, of any kind (the model makes its text),
// drawn in up to three passes: a shadow one pixel right of and below (black
// unless the settings say otherwise, or none), an outline on all eight sides
// (none unless the settings ask for one), then the text itself (cyan unless
// the settings say otherwise).
class Display {
public:
    DisplayFont* font = nullptr; // not owned
    int x = 0;
    int y = 0;
    float font_size = 24.0f;
    float font_spacing = 12.0f;
    std::string text;
    unsigned int colour = 0x00FFFF; // 0xRRGGBB
    unsigned int shadow = 0x000000;
    bool shadow_shown = true;
    int shadow_offset = 1; // pixels right and down; grows with the text scale
    unsigned int outline = 0x000000;
    bool outline_shown = false;
    int outline_width = 1; // pixels on each side; grows with the text scale

    void set_display_font(DisplayFont* f);
    void set_position(int new_x, int new_y);
    void set_font_size(float size);
    void set_font_spacing(float spacing);
    int draw();
};
