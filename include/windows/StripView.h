#pragma once

#include "Display.h"
#include "Layout.h"
#include "LineKinds.h"
#include "OverlayWindow.h"
#include "Renderer.h"
#include "Settings.h"
#include "StripModel.h"

#include <windows.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

// One strip on the screen: its window, its OpenGL renderer, a line for every
// kind and where they are. It draws what it is given and places itself over
// the monitors it is handed; what the lines say and when they change is the
// model's, and what wakes it is the loop's.
class StripView {
public:
    OverlayWindow strip;
    Renderer renderer;
    // Every kind's line, shown or not, by LineKind.
    std::array<Display, kLineKinds> displays;
    // The line shown instead of the others while the strip is being moved.
    Display move_hint;
    StripLayout layout;
    // The monitor it is on, as last placed (its own DPI decides "auto");
    // has_area is false with no monitors at all.
    MonitorArea area{};
    bool has_area = false;
    // Its monitor's label in the reports ("DELL U2720Q (2)"), and whether
    // it is cut to its monitor (there are others it would spill onto).
    std::string area_label;
    bool clip_to_monitor = false;
    // Each shown line's width, in pixels, when the strip was last placed.
    std::vector<int> placed_widths;
    // The text scale in halves (2 is 1), and whether the process declared
    // itself DPI-aware at start (only then can "auto" follow the monitor).
    int scale_halves = 2;
    bool dpi_aware = false;
    // The font family the glyph cache renders from, as the settings asked,
    // and what went wrong loading it or the atlas.
    std::string glyph_family;
    std::vector<std::string> font_problems;
    std::vector<std::string> data_problems;
    // The strip whose font (the atlas's texture and the glyph cache) this
    // one draws with while both are at the same scale and family, so that
    // one texture serves them all; null: always its own.
    StripView* font_owner = nullptr;
    // Set when the picture on the screen may be gone or out of place (the
    // window shown again, resized or moved, Windows asking for a repaint):
    // the next present() then draws and swaps whatever the lines say.
    // Otherwise it draws only when the lines differ from those it last
    // drew (their texts, places, font and colours: `drawn`).
    bool needs_draw = true;
    std::vector<Display> drawn;
    // Each shown line's width in pixels as its text was last taken.
    std::vector<int> taken_widths;
    bool needs_place = false;
    bool needs_rescale = false;
    // Called after every swap (the benchmark times the clock's lateness).
    std::function<void()> on_swap;
    // Which call failed in init, and the system's error, for the report.
    const char* failed_call = nullptr;
    DWORD failed_error = 0;

    // Creates the window (its messages go to `proc`, which finds `owner` in
    // GWLP_USERDATA) with its context current on this thread, drawing with
    // `shared`'s context when given (one context serves every strip); -1
    // (nothing left behind) on failure.
    int init(WNDPROC proc, void* owner, const Renderer* shared = nullptr);
    // Resets the lines to their defaults, in the font loaded.
    int init_displays();
    // The line of a kind.
    Display* display_for(LineKind kind);
    // The shown lines' widths in pixels, top to bottom, as drawn now.
    std::vector<int> line_widths(const std::vector<LineKind>& shown);
    // What these settings say of the strip's look and when it hides: the
    // colours, the opacity and the scale.
    void apply(const Settings& s);
    // Whether Windows scales the monitor a DPI-aware process draws on.
    bool monitor_scaled() const;
    // The colours (text, shadow, outline) of these settings on every line.
    void set_colours(const Settings& s);
    // Takes the lines' texts (by kind); the battery line in low_colour when
    // `battery_low`. `changed` is the model's kPictureChanged and
    // kPlacementChanged. `like`, when given, took the same texts before it:
    // its widths are this one's too when it draws in the same font and size.
    void take(const std::array<std::string, kLineKinds>& texts, const Settings& s, bool battery_low, unsigned changed,
              const StripView* like = nullptr);
    // Whether its lines are measured as another's: the same font, size and spacing.
    bool measures_as(const StripView& other);
    // Whether these lines, drawn now, would show what it last drew.
    bool shows_already(const std::vector<LineKind>& order);
    // Loads the atlas for a text scale; data_problems says why one failed.
    int load_font(int halves);
    // The DPI of the strip's monitor as this process is told it.
    int read_dpi() const;
    // The scale these settings ask for now: theirs, or the monitor's DPI's.
    int wanted_scale(const Settings& s) const;
    // Whether it draws with font_owner's font at its scale now.
    bool borrows_font(const Settings& s) const;
    // Takes the wanted scale: the font, the lines' sizes and the placement.
    int rescale(const Settings& s);
    // Its lines' widths at the scale its monitor asks for now (its monitor
    // taken from `area`, rescaling first when it follows the DPI).
    std::vector<int> measure(const Settings& s);
    // Places its lines as `given` says, and its window at `window` (its
    // layout's place, drifted), unless it is being moved.
    void lay_out(const Settings& s, const StripLayout& given, const Rect& window);
    // Draws one frame of these lines, bottom first, into the back buffer;
    // while moving, the hint instead.
    int draw(const std::vector<LineKind>& order, const Settings& s);
    // Draws and swaps when something changed and the strip is shown; 1
    // when it did.
    int present(const std::vector<LineKind>& order, const Settings& s);
    // "Move...": from its own place, not a drifted one, so that the place
    // kept is where the text was put.
    void begin_move(HWND foreground, bool drifting);
    // Ends moving: the strip kept where it is, or put back. 1 when kept,
    // with *kept the corner, offsets and monitor that put its lines where
    // they are now (placement_for); 0 when put back; -1 when not moving.
    int end_move(bool keep, const Settings& s, const std::vector<MonitorArea>& monitors, Placement* kept);
    int destroy();
};
