#pragma once

#include "BatteryDisplay.h"
#include "DateDisplay.h"
#include "DisplayFont.h"
#include "Layout.h"
#include "Settings.h"
#include "TimeDisplay.h"

#include <windows.h>

#include <array>
#include <string>
#include <vector>

class SettingsFile;
class TrayIcon;

// The overlay: a borderless strip, 600 x 100 at the screen's top-left corner
// unless the settings place it elsewhere, topmost, click-through, absent from
// the taskbar, whose key-coloured pixels are transparent. It owns the OpenGL
// context, the font and the lines, and run() is the program's main loop.
class MainWindow {
public:
    static constexpr const char* kClassName = "MAINWINDOW_CLASSNAME";
    static constexpr const char* kTitle = "Brindlow";
    static constexpr int kWidth = 600;
    static constexpr int kHeight = 100;
    static constexpr COLORREF kKeyColour = RGB(8, 8, 8);
    static constexpr DWORD kFramePauseMs = 16;
    // How often the foreground window is examined for hide_over_fullscreen.
    static constexpr DWORD kFullscreenCheckMs = 250;
    // Modal loops (the menu, the About box) run instead of the frame loop
    // but dispatch timer messages: this one keeps the clock going there.
    static constexpr UINT_PTR kClockTimer = 1;
    static constexpr UINT kClockTimerMs = 1000;

    HDC hdc = nullptr;
    HWND hwnd = nullptr;
    HGLRC hglrc = nullptr;
    TimeDisplay time_display;
    DateDisplay date_display;
    BatteryDisplay battery_display;
    DisplayFont font;
    bool running = false;

    // Set when something visible changed (a line's text, the window shown
    // again, Windows asking for a repaint); the next frame then draws and
    // swaps, and every other frame leaves the picture as it is.
    bool needs_draw = true;
    // The lines as last drawn, to tell when a frame's update changed one.
    std::string drawn_lines[3];
    // The settings in force, the lines they show (top to bottom) and where
    // the strip went; placed again when a line's length changes, the
    // settings change or the monitors do.
    Settings settings = default_settings();
    Display* shown[3] = {nullptr, nullptr, nullptr};
    int shown_count = 0;
    StripLayout layout;
    // The text scale in halves (2 is 1): the one in use, the one the font
    // was loaded for, and whether the process declared itself DPI-aware at
    // start (only then can "auto" follow the monitor).
    int scale_halves = 2;
    int font_halves = 2;
    bool dpi_aware = false;
    bool needs_rescale = false;
    std::vector<std::size_t> placed_lengths;
    bool needs_place = false;
    // The settings file, watched on every frame (not owned), the icon that
    // reports its problems (not owned), those problems, and what was shown
    // last, so that a save with the same problems stays quiet.
    SettingsFile* settings_file = nullptr;
    TrayIcon* tray = nullptr;
    std::vector<std::string> settings_problems;
    std::vector<std::string> data_problems; // a data file that could not be used
    std::string reported;
    // Buffers swapped since init: what a frame costs is mostly its swap.
    unsigned long swap_count = 0;
    // The two reasons the strip is hidden, kept apart so that neither undoes
    // the other: the menu's Hide, and a full-screen program in the
    // foreground on the strip's monitor (only with hide_over_fullscreen).
    bool user_hidden = false;
    bool fullscreen_hidden = false;
    bool hide_over_fullscreen = false;
    DWORD next_fullscreen_check = 0;

    // Registers the class, creates and shows the window with its context
    // current on this thread; -1 when the class, the window or OpenGL cannot
    // be made.
    int init();
    int init_opengl();
    // Resets the three lines and applies the settings in force to them.
    int init_displays();
    // The three lines, shown or not, in a fixed order.
    std::array<Display*, 3> lines();
    // Reads the clock and the battery into the three lines' texts.
    int update_lines();
    // Takes new settings: formats, colours, the lines shown, placement.
    int apply_settings(const Settings& s);
    // Reads the settings file again and applies it; every load starts from
    // the defaults, so a key removed is a key restored.
    int load_settings();
    // Shows the problems (the file's, and a monitor that is not there) in a
    // balloon, once for each time they change.
    int report();
    // Loads the atlas for a text scale (from the working directory or the
    // program's folder); one that cannot be used falls back to the 24-pixel
    // atlas, stretched, and then to squares, and says so in data_problems.
    int load_font(int halves);
    // The scale the settings ask for now: theirs, or the monitor's DPI's.
    int wanted_scale() const;
    // Takes the wanted scale: the font, the lines' sizes and the placement.
    int rescale();
    // Places the strip and its lines on the monitors Windows reports now.
    int place();
    // The same over given monitors (tests hand in monitors Wine cannot make).
    int place_on(const std::vector<MonitorArea>& monitors);
    // Drains the thread's queue, runs a frame, then pauses, until WM_QUIT;
    // the frame that took it is completed. Afterwards the texture and the
    // context are deleted and the window destroyed.
    int run();
    // One pass of the loop after the queue is drained: updates the lines,
    // keeps the strip on top, follows full-screen programs, and draws and
    // swaps only when something visible changed.
    int frame();
    // Draws one frame into the back buffer.
    int draw();
    // Raises the strip to the top of the topmost band, without activating
    // it, when a visible window above it in the z-order overlaps it; 1 when
    // it raised, 0 when nothing covered it.
    int keep_on_top();
    // Hides the strip while a full-screen window is in the foreground on its
    // monitor and shows it again after, unless the menu hid it.
    int follow_fullscreen();

    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
};

// The fixed OpenGL state for a strip of this size: one unit per pixel with
// the origin at the top-left corner, modulated textures and alpha blending.
void init_renderer(int width = MainWindow::kWidth, int height = MainWindow::kHeight);

// The monitors as Windows enumerates them, with their work areas.
std::vector<MonitorArea> enumerate_monitors();
