#pragma once

#include "StripMessages.h"

#include <windows.h>

#include <cstddef>

// The session's notification, from wtsapi32.h, which MinGW's headers hide.
#ifndef WM_WTSSESSION_CHANGE
#define WM_WTSSESSION_CHANGE 0x02B1
#endif
#ifndef WTS_SESSION_LOCK
#define WTS_SESSION_LOCK 0x7
#endif
#ifndef WTS_SESSION_UNLOCK
#define WTS_SESSION_UNLOCK 0x8
#endif

// The console display's state (0 off, 1 on, 2 dimmed), told with
// PBT_POWERSETTINGCHANGE to a window that registered for it; spelled here
// rather than taken from a library of GUIDs.
constexpr GUID kConsoleDisplayState = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};

class SettingsFile;

// What wakes the strip's thread, and nothing else: one clock timer re-armed
// for the next moment a shown text can change, the settings folders' change
// notifications, the window manager's events (a window shown, raised or made
// foreground), the session's unlock and the thread's own messages (power,
// time and monitor changes arrive as those). The thread sleeps in wait()
// until one of them happens.
class EventSources {
public:
    // Timers on the strip's window. Modal loops (the menu, the About box)
    // dispatch WM_TIMER too, so the clock needs no other mechanism there.
    static constexpr UINT_PTR kClockTimer = 1;
    // Looks at the z-order again a little after a window event: a window is
    // created before it is shown, and moved on top after that.
    static constexpr UINT_PTR kRecheckTimer = 2;
    // Draws again once a new size has reached the window system.
    static constexpr UINT_PTR kResizeTimer = 3;
    static constexpr UINT kResizeDrawMs = 100;
    // Looks at the pointer a few times a second, only while it keeps the
    // strip hidden: nothing else would say when it has left.
    static constexpr UINT_PTR kHoverTimer = 4;
    static constexpr UINT kHoverMs = 250;
    // Looks at the monitors again after they change, twice.
    static constexpr UINT_PTR kMonitorTimer = 5;
    // Looks at the z-order now and then while programs in front hide every
    // strip and the clock sleeps: for their endings Windows does not report
    // (and Wine reports none of them out of context).
    static constexpr UINT_PTR kCoverTimer = 6;
    static constexpr UINT kCoverLookMs = 2000;

    HWND target = nullptr;
    HWINEVENTHOOK hooks[6] = {};
    // The window in front that hides every strip, and its thread's events
    // (closed, hidden, moved or resized: out of full screen) while it does.
    HWND cover = nullptr;
    HWINEVENTHOOK cover_hooks[2] = {};
    bool session_registered = false;
    HPOWERNOTIFY display_registered = nullptr;
    // Whether the clock's timer is armed, and how many times it was: the
    // seam the tests count a sleep that nobody sees by.
    bool clock_armed = false;
    unsigned long clock_arms = 0;
    bool hover_armed = false;
    bool cover_armed = false;
    int recheck_step = 0;
    int monitor_step = 0;
    // Times the thread woke from wait(): the seam the tests and the benchmark count.
    unsigned long wakes = 0;

    // Subscribes to the window events and the session's changes, for `strip`.
    int init(HWND strip);
    // The clock timer, due in `ms` milliseconds; it replaces the one armed
    // before. Where Windows has coalescable timers it may fire up to
    // wake_tolerance_ms(ms) late (never early), so that Windows can line
    // its wake-up up with others'; elsewhere (Windows 7, Wine) a plain one.
    int arm_clock(int ms);
    // No clock timer: nobody can see the strip.
    void stop_clock();
    // Asks Windows to run the process in efficiency mode (EcoQoS on Windows
    // 11: slower, cooler cores and lower clock speeds for its threads) where
    // it can; once, at start. 0, or -1 where Windows has no such request or
    // refused it.
    static int ask_for_efficiency_mode();
    // The pointer's timer, running while `hidden_by_pointer` and only then.
    int follow_hover(bool hidden_by_pointer);
    // While `covered` (see StripCommands::cover_look): the window in front
    // watched and the slow look armed; else neither.
    int follow_cover(bool covered);
    // After a window event: a look now (the caller's), and again after a
    // short series of delays; 1 while more are due.
    int next_recheck();
    // A new window event: the series of looks starts again.
    int restart_rechecks();
    // After the monitors change (the caller places the strips now): the
    // monitor timer for the next look of the series from `step` (0 starts
    // it again); 1 while more are due.
    int look_at_monitors(int step);
    // Sleeps until a message arrives, a settings folder changes, the settings
    // have settled or `max_ms` passes; 1 when the settings file should be
    // read again, else 0.
    int wait(SettingsFile* settings, DWORD max_ms);
    int destroy();

private:
    void unhook_cover();
    // The timer of a series of looks, armed for the delay at *step (then
    // the next); past the last, stopped and the series ready to start
    // again. 1 while more are due.
    int arm_next(UINT_PTR timer, const UINT* delays, std::size_t count, int* step);
};
