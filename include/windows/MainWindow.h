#pragma once

#include "Display.h"
#include "EventSources.h"
#include "Layout.h"
#include "OverlayWindow.h"
#include "RegionalLocale.h"
#include "Renderer.h"
#include "Settings.h"
#include "StripModel.h"
#include "SystemReadings.h"
#include "ZoneRules.h"

#include <windows.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

class SettingsFile;

// The overlay's thread: it ties the strip's window, its renderer, its model
// and what wakes it together, and run() is the program's main loop. Every
// message to the strip comes to WndProc here and goes on to the part it
// concerns; the thread sleeps in between.
class MainWindow {
public:
    static constexpr const char* kClassName = OverlayWindow::kClassName;
    static constexpr int kWidth = OverlayWindow::kWidth;
    static constexpr int kHeight = OverlayWindow::kHeight;

    OverlayWindow strip;
    Renderer renderer;
    EventSources events;
    StripModel model;
    // Every kind's line, shown or not, by LineKind: the model makes the texts.
    std::array<Display, kLineKinds> displays;
    // Each zone line's rules, read from Windows when the settings change;
    // a zone Windows does not know leaves its line out, and says so.
    ZoneRules zone_rules[kZones] = {};
    bool zone_known[kZones] = {};
    std::vector<std::string> zone_problems;
    // The locale the names and the short and long forms follow; one
    // Windows does not know gives the user's own, and says so.
    RegionalLocale locale;
    bool locale_read = false;
    std::vector<std::string> locale_problems;
    // The font family the glyph cache renders from, as the settings asked.
    std::string glyph_family;
    std::vector<std::string> font_problems;
    // Each shown line's width, in pixels, when the strip was last placed.
    std::vector<int> placed_widths;
    // The line shown instead of the others while the strip is being moved.
    Display move_hint;
    // Where the clock, the battery and the local zone are read: Windows,
    // unless a test hands in readings of its own. Each is read only when a
    // shown line needs it.
    ClockReading (*read_clock)() = read_local_clock;
    PowerReading (*read_power)() = read_power_status;
    ZoneStamp (*read_zone)() = read_local_zone; // only when a shown line names the zone
    bool running = false;

    // Set when something visible changed (a line's text, the window shown
    // again or resized, Windows asking for a repaint); the next present()
    // then draws and swaps, and otherwise the picture stays as it is.
    bool needs_draw = true;
    bool needs_place = false;
    bool needs_rescale = false;
    StripLayout layout;
    // The text scale in halves (2 is 1), and whether the process declared
    // itself DPI-aware at start (only then can "auto" follow the monitor).
    int scale_halves = 2;
    bool dpi_aware = false;
    // The settings file, watched while the thread sleeps (not owned), where
    // its problems are shown (Main hands in the icon's balloon; 0, or -1
    // when it could not be shown), those problems, and what was shown last,
    // so that a save with the same problems stays quiet.
    SettingsFile* settings_file = nullptr;
    std::function<int(const std::string& title, const std::string& text)> show_balloon;
    // The settings as the file says them, before lines that cannot be
    // shown were left out: the menu works from these.
    Settings file_settings = default_settings();
    std::vector<std::string> settings_problems;
    std::vector<std::string> data_problems; // a data file that could not be used
    std::string reported;
    // Registers [overlay] hotkey where its key is handled (Main hands in the
    // icon's): empty, or the problem when another program holds the key.
    std::function<std::string(const std::string& hotkey)> set_hotkey;
    std::string hotkey_problem;
    // Called after every swap (the benchmark times the clock's lateness).
    std::function<void()> on_swap;
    // Which call failed in init, and the system's error, for the report.
    const char* failed_call = nullptr;
    DWORD failed_error = 0;

    // Creates the strip with its context current on this thread and
    // subscribes to what wakes it; -1 (nothing left behind) on failure.
    int init();
    // Resets the lines and applies the settings in force to them.
    int init_displays();
    // The line of a kind.
    Display* display_for(LineKind kind);
    // The shown lines' widths in pixels, top to bottom, as drawn now.
    std::vector<int> line_widths();
    // The lines of these settings that can be shown (zone rules read,
    // zone_problems said); the others take no row.
    std::vector<LineKind> lines_in_force(const Settings& given);
    // Takes new settings: formats, colours, the lines shown, placement.
    int apply_settings(const Settings& given);
    // Reads the settings file again and applies it; every load starts from
    // the defaults, so a key removed is a key restored.
    int load_settings();
    // After the menu wrote one key of the settings file (see
    // TrayIcon::setting_written): `now` is what the file says, and only what
    // that key decides is applied, at once, without reading the file.
    int setting_written(const Settings& now, const std::string& key);
    // After Brindlow wrote several keys (a place kept after moving): reads
    // the file and applies it now.
    int settings_written();
    // The problem a fixed scale has when Windows' scaling is added later.
    void note_scale(const Settings& s);
    // Shows the problems (the file's, a data file's, and a monitor that is
    // not there) in a balloon, once for each time they change.
    int report();
    // Loads the atlas for a text scale; data_problems says why one failed.
    int load_font(int halves);
    // The scale the settings ask for now: theirs, or the monitor's DPI's.
    int wanted_scale() const;
    // The DPI of the strip's monitor as this process is told it.
    int read_dpi() const;
    // Takes the wanted scale: the font, the lines' sizes and the placement.
    int rescale();
    // Places the strip and its lines on the monitors Windows reports now.
    int place();
    // The same over given monitors (tests hand in monitors Wine cannot make).
    int place_on(const std::vector<MonitorArea>& monitors);
    // Sleeps and handles what woke it, until WM_QUIT; the pass that took it
    // is completed. Afterwards everything init made is released.
    int run();
    // One wake of the loop: waits at most max_ms, reads the settings if they
    // changed, dispatches the queue, then draws if something changed; 1 once
    // WM_QUIT was taken.
    int pass(DWORD max_ms);
    // The clock's wake: reads the clock and the battery, re-arms the timer
    // for the next change, looks at the z-order and the settings, draws.
    int tick();
    // Reads the clock and the battery into the lines; the milliseconds to
    // the next moment a shown text can change.
    int refresh();
    // Keeps the strip on top and follows full-screen programs.
    int check_stacking();
    // Places and draws what changed, and swaps; nothing when nothing did.
    int present();
    // Draws one frame into the back buffer.
    int draw();
    // "Move...": the strip grabbable until Enter, a double click or Esc;
    // `foreground` gets the keyboard back afterwards.
    int begin_move(HWND foreground);
    // Ends moving: kept, the place is written to the settings file as the
    // corner, offsets and monitor that put its lines where they are now
    // (placement_for); otherwise the strip goes back.
    int finish_move(bool keep);
    int destroy();

    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);

private:
    // Takes what an update of the model changed into the lines and flags.
    void take(unsigned changed);
};
