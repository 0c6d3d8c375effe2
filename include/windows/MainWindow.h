#pragma once

#include "EventSources.h"
#include "OverlayWindow.h"
#include "Settings.h"
#include "SettingsInForce.h"
#include "StripCore.h"
#include "StripSet.h"
#include "StripView.h"
#include "SystemReadings.h"

#include <windows.h>

#include <functional>
#include <string>

class SettingsFile;

// The overlay's thread: it ties the strip (StripView), its model, the
// settings in force and what wakes it together, and run() is the program's
// main loop. Every message to the strip comes to WndProc here and goes on to
// the part it concerns; the thread sleeps in between.
class MainWindow {
public:
    static constexpr const char* kClassName = OverlayWindow::kClassName;

    // The main strip (the primary monitor's, for "all"), and it with the
    // others, one for each further monitor chosen.
    StripView view;
    StripSet strips;
    EventSources events;
    // Every decision: the settings in force, the lines' texts, when to wake,
    // what to report. What Windows tells it goes in through take().
    StripCore core;
    SettingsInForce in_force;
    // Where the clock, the battery and the local zone are read: Windows,
    // unless a test hands in readings of its own. Each is read only when a
    // shown line needs it.
    ClockReading (*read_clock)() = read_local_clock;
    PowerReading (*read_power)() = read_power_status;
    ZoneStamp (*read_zone)() = read_local_zone; // only when a shown line names the zone
    ZoneRules (*read_local_rules)() = read_local_zone_rules; // at start and when the zone changes
    // Where the monitors are read: Windows, unless a test hands in monitors
    // Wine cannot make (it shows one).
    std::function<std::vector<MonitorArea>()> read_monitors = enumerate_monitors;
    bool running = false;
    // The settings file, watched while the thread sleeps (not owned).
    SettingsFile* settings_file = nullptr;
    // Where the core's commands for the icon go: its balloons, the hotkey
    // to register, Brindlow closing (Main hands in the icon's carry_out;
    // what it meets comes back as events). Without it a balloon counts as
    // not shown, and is tried again at the next report.
    std::function<void(const StripCommands& c)> to_icon;

    // Creates the strip with its context current on this thread and
    // subscribes to what wakes it; -1 (nothing left behind) on failure.
    int init();
    // Resets the lines and applies the settings in force to them.
    int init_displays();
    // Tells the core what happened and carries out what it says.
    int take(const StripEvent& e);
    // Applies these settings as if the file said them.
    int apply_settings(const Settings& given);
    // Reads the settings file again and applies it.
    int load_settings();
    // After the menu wrote one key of the settings file: `now` is what the
    // file says, and only what that key decides is applied, at once,
    // without reading the file.
    int setting_written(const Settings& now, const std::string& key);
    // After Brindlow wrote several keys (a place kept after moving): reads
    // the file and applies it now.
    int settings_written();
    // Tells the core what the strips met, for its report.
    int report();
    // Places the strips and their lines on the monitors Windows reports now.
    int place();
    // The same over given monitors: a strip on each one chosen, made or
    // closed as they come and go.
    int place_on(const std::vector<MonitorArea>& monitors);
    // After the monitors change, a resume or a DPI change: the strips placed
    // again now, and again as monitors that wake slowly come.
    int follow_monitors();
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
    // Reads what the shown lines need and tells it to the core.
    int refresh();
    // Keeps the strips on top and tells the core what is in front of them.
    int check_stacking();
    // Tells the core where the pointer is, while it keeps a strip hidden.
    int follow_pointer();
    // Rescales and places what asked for it, then draws and swaps what
    // changed; nothing when nothing did.
    int present();
    // "Move...": the strip grabbable until Enter, a double click or Esc;
    // `foreground` gets the keyboard back afterwards.
    int begin_move(HWND foreground);
    // Ends moving: kept, the place is written to the settings file as the
    // corner, offsets and monitor that put its lines where they are now
    // (placement_for); otherwise the strip goes back.
    int finish_move(bool keep);
    // Keeps the place of strip `held` (by its place in strips.all()) as the
    // settings' place, written to the file.
    int keep_place(int held);
    // A close request (the menu's Close, an installer's WM_CLOSE): a move
    // is put back, the icon's menu and dialogs end, and the loop ends with
    // the pass it is in, whichever modal loop the request arrived in.
    int close();
    int destroy();

    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);

private:
    // The window that had the foreground before "Move...", for the keyboard's return.
    HWND move_foreground = nullptr;
    void carry_out(const StripCommands& c);
    // A pointer or key message to a strip, as the core hears it while moving.
    StripEvent move_event(StripView* to, UINT msg, WPARAM wparam) const;
};
