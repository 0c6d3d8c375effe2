#pragma once

#include "MonitorArea.h"
#include "Settings.h"

#include <cstddef>
#include <string>
#include <vector>

// Where the strip and its lines go, as arithmetic over plain rectangles: the
// program hands in the monitors Windows reports and applies the result.

struct StripLayout {
    Rect window{}; // in screen coordinates
    std::vector<int> line_x; // each shown line's top-left corner, in the strip
    std::vector<int> line_y;
    // Each shown line's ink, in the strip: its glyph squares with their
    // shadow; empty for a line with no text.
    std::vector<Rect> ink;
    bool monitor_missing = false; // the chosen monitor is not there: the primary was used
    // The offsets used, when the settings' would have put part of the strip
    // off its monitor (or work area): reduced so that it just fits, or 0 for
    // a strip larger than the area.
    int placed_x = 0;
    int placed_y = 0;
    bool x_reduced = false;
    bool y_reduced = false;
    // Wider or taller than the area: placed at the corner, offsets ignored.
    bool too_wide = false;
    bool too_tall = false;
    // What the text needs from the corner (margin, longest line or every
    // line, shadow), and whether the area is too small for it: only then is
    // anything the user would see cut off.
    int text_width = 0;
    int text_height = 0;
    bool text_cut = false;
    int area_width = 0;
    int area_height = 0;
    // The strip as laid out, when clip_layout cut it to its monitor.
    Rect whole{0, 0, 0, 0};
};

constexpr int kMarginX = 10;
constexpr int kMarginY = 10;
constexpr int kLineStep = 22;
constexpr int kGlyphAdvance = 12;
constexpr int kGlyphSize = 24;
constexpr int kMinStripWidth = 600;
constexpr int kStripHeightThreeLines = 100;

// The strip for lines of these widths (top to bottom, measured in pixels at
// this scale: text from the glyph cache or a font of the user's has no fixed
// advance) on the chosen monitor: wide enough for the longest line (never
// under 600), as tall as its lines need (100 for three), hugging the chosen
// corner. With no monitors at all it is placed as on a primary monitor at the
// origin. Offsets that would put part of it off the area are reduced so that
// it just fits. Every length above grows with the text scale, given in
// halves (2 is 1).
StripLayout layout_strip_widths(const Settings& s, const std::vector<int>& line_widths,
                                const std::vector<MonitorArea>& monitors, int scale_halves);
// The same on one monitor (null: none at all), whichever the settings name.
StripLayout layout_strip_on(const Settings& s, const std::vector<int>& line_widths, const MonitorArea* chosen,
                            int scale_halves);

// Where a strip dropped at a rectangle is, in the settings' terms, such that
// its text stays exactly where the user left it, after Enter and after a
// restart: the monitor that holds its centre (the primary when none does),
// a corner and the offsets inward from it. A corner aligns the lines (right
// on the right, the last line lowest at the bottom), so a corner of the
// other side would move lines of different lengths against each other; a
// corner of the other end only shifts them all alike, which the offsets
// make up for. The corner is therefore the nearest one that keeps every line
// in place, which is the nearest corner but for a side whose alignment
// would differ, where the side in force is kept. A strip dropped partly off
// its area is pulled in just far enough (exact is then false).
struct Placement {
    Corner corner;
    int x;
    int y;
    int monitor; // 0: the primary; 1, 2, ...: in the order Windows enumerates them
    bool exact; // every line lands on the pixel where it was dropped
    // What [overlay] monitor is to say: the settings' own word while the
    // strip stays on the monitor they chose, the new monitor's name when it
    // went to another, and empty (left as it is) when every monitor has one.
    std::string monitor_text;
};
// `s` are the settings in force and `line_widths` the lines as they were
// laid out (as for layout_strip_widths), which put the lines in the strip.
Placement placement_for(const Rect& dropped, const Settings& s, const std::vector<int>& line_widths,
                        const std::vector<MonitorArea>& monitors, int scale_halves);

// What a placement has to tell the user: offsets reduced to keep the strip
// on screen, text too large for its monitor (a strip whose empty part runs
// off it is not worth a word); with `monitor`, the label of
// the monitor it is about (one strip of several).
std::vector<std::string> layout_problems(const Settings& s, const StripLayout& layout,
                                         const std::string& monitor = std::string());

// The layout cut to a rectangle (its monitor), its lines moved so that each
// stays where it was on the screen: a strip larger than its monitor does not
// spill onto the next one, over that one's strip.
StripLayout clip_layout(const StripLayout& layout, const Rect& to);

// Where the pointer counts as over the strip's text: each line's ink grown
// by a few pixels (more at larger scales), in the strip; lines without text
// have none.
constexpr int kHoverMargin = 4;
std::vector<Rect> hover_areas(const StripLayout& layout, int scale_halves);

// Where a window of `size` goes on a work area so that it stays clear of
// `avoid` (the strip): centred on the area when it is clear there, else
// centred in the widest band beside the strip that holds it whole, else
// where it overlaps the strip least; always on the area when it fits.
Rect clear_of(const Rect& size, const Rect& avoid, const Rect& work);

// The text scale, in halves, for a monitor's DPI: the nearest of 96 (1), 144
// (1.5), 192 (2) and 288 (3) at or below it, and 1 below 96.
int scale_halves_for_dpi(int dpi);
