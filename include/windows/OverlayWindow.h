#pragma once

#include "Layout.h"
#include "StripCore.h"
#include "SettingsWords.h"

#include "MoveKeys.h"
#include "StripMessages.h"

#include <windows.h>

#include <string>
#include <vector>

// The strip's window: borderless, topmost, click-through, absent from the
// taskbar, its key-coloured pixels transparent. It knows where it is and
// why it is hidden; its messages go to the procedure its owner gives it.
class OverlayWindow {
public:
    static constexpr const char* kClassName = "MAINWINDOW_CLASSNAME";
    static constexpr const char* kTitle = "Brindlow";
    static constexpr int kWidth = kMinStripWidth;
    static constexpr int kHeight = kStripHeightThreeLines;
    // COLORREF keeps red in its low byte.
    static constexpr COLORREF kKeyColour =
        RGB((kKeyColourRgb >> 16) & 0xFF, (kKeyColourRgb >> 8) & 0xFF, kKeyColourRgb & 0xFF);
    // How opaque the strip is while it is being moved (of 255).
    static constexpr BYTE kMovingAlpha = 210;

    HWND hwnd = nullptr;
    bool registered = false; // the class is ours to unregister
    // The whole strip's constant alpha (255: opaque), from the settings' opacity.
    BYTE alpha = 255;
    // Set while the strip shows or hides itself (set_visible), so that its
    // WM_SHOWWINDOW is not taken for someone else's ShowWindow.
    bool showing_itself = false;
    // The monitor the strip was placed on, which "full-screen" and "in front
    // on its monitor" are measured against; empty: the one Windows says
    // holds the window.
    Rect monitor_area{0, 0, 0, 0};
    // Where the pointer counts as over the strip, in the strip: its text,
    // not the see-through rest of it (hover_areas).
    std::vector<Rect> text_areas;
    // The foreground window whose program was last asked for, and that
    // program's path: asked again only when another window comes in front.
    HWND program_window = nullptr;
    DWORD program_process = 0;
    std::string program_path;
    // While "Move..." is on: where the strip was, who had the foreground,
    // and the window that holds the keyboard for the strip.
    bool moving = false;
    RECT before_move{};
    HWND foreground_before = nullptr;
    MoveKeys keys;
    // The Windows call that failed in init, and its error, for the report.
    const char* failed_call = nullptr;
    DWORD failed_error = 0;

    // Registers the class and creates the window, not yet shown, with
    // `owner` in its GWLP_USERDATA; -1 (nothing left behind) on failure.
    int init(WNDPROC procedure, void* owner);
    // Makes the key colour transparent and shows it on top, not activated.
    int show();
    // Sets the whole strip's opacity, in percent; in force at once, and
    // after moving when it is being moved.
    int set_opacity(int percent);
    // Moves and sizes it, staying topmost; 1 when its size changed.
    int move_to(const Rect& r);
    // Raises the strip to the top of the topmost band, without activating
    // it, when a visible window above it in the z-order overlaps it; 1 when
    // it raised, 0 when nothing covered it.
    int keep_on_top();
    // What is around the strip for its reasons to hide, looking only at
    // what is asked for: a full-screen program in front on its monitor, the
    // program in front there, the pointer over its text.
    StripSight look(bool fullscreen, bool programs, bool pointer);
    // Whether the pointer rests over the strip's text.
    bool pointer_over() const;
    // Shows or hides the strip, as the reasons to hide say.
    int set_visible(bool visible);
    // Makes the strip grabbable: clicks reach it, it shows whole and
    // half-transparent instead of key-coloured, and it takes the keyboard
    // (the only time it does), through a window of its own that passes
    // every key on to the strip. `foreground` gets it back afterwards (when
    // null, the window in the foreground now).
    int begin_move(HWND foreground);
    // Moves it by a few pixels.
    int nudge(int dx, int dy);
    // Puts its top-left corner there (a drag's step, an arrow key's).
    int place_at(POINT top_left);
    // Captures the pointer for it (a drag), or lets it go.
    int capture(bool take);
    // Click-through, key-coloured and without the keyboard again; put back
    // where it was unless `keep`.
    int end_move(bool keep);
    int destroy();

private:
    // The monitor's rectangle the strip's hiding rules look at.
    RECT own_monitor() const;
};
