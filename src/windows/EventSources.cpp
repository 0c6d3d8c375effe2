#include "EventSources.h"

#include "OptionalFunctions.h"
#include "OverlayWindow.h"
#include "SettingsFile.h"
#include "StripModel.h"

#include <iterator>

namespace {
// WinEvent callbacks carry no context: the one strip of the process, and
// the window in front that hides it.
HWND g_strip = nullptr;
HWND g_cover = nullptr;
bool g_event_pending = false;

// The events that can put a window over the strip or a program in front of
// it full-screen. Not EVENT_OBJECT_LOCATIONCHANGE: it fires on every mouse
// move. Under Wine 8 only EVENT_OBJECT_CREATE arrives out of context.
const DWORD kWindowEvents[] = {EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_MINIMIZEEND, EVENT_SYSTEM_MOVESIZEEND,
                               EVENT_OBJECT_CREATE,     EVENT_OBJECT_SHOW,        EVENT_OBJECT_REORDER};

// After a window event: look again after these delays (ms), then stop.
const UINT kRecheckDelays[] = {100, 400, 1000};
// After the monitors change (WM_DISPLAYCHANGE): look at them again about 1 s and 5 s
// later; a monitor waking from sleep or a dock can take seconds to appear.
const UINT kMonitorDelays[] = {1000, 4000};

// A strip's own class: the other monitors' strips move and raise themselves
// too, which is no reason to look again.
bool is_strip(HWND hwnd)
{
    char name[32] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return lstrcmpA(name, OverlayWindow::kClassName) == 0;
}

constexpr DWORD kNotifyForThisSession = 0;

// SetProcessInformation's request for efficiency mode, named here as older
// headers lack them: the ProcessPowerThrottling class, and its state with
// execution-speed throttling both controlled and on.
constexpr int kProcessPowerThrottling = 4;
constexpr ULONG kPowerThrottlingVersion = 1;
constexpr ULONG kThrottleExecutionSpeed = 0x1;
struct PowerThrottlingState {
    ULONG version;
    ULONG control_mask;
    ULONG state_mask;
};

void CALLBACK on_window_event(HWINEVENTHOOK, DWORD, HWND hwnd, LONG object, LONG child, DWORD, DWORD)
{
    if (hwnd == nullptr || hwnd == g_strip || object != OBJID_WINDOW || child != CHILDID_SELF || g_strip == nullptr ||
        g_event_pending) {
        return;
    }
    // Handled in the strip's loop, not here: an event the strip's own
    // SetWindowPos raises may be delivered inside that call.
    if (GetAncestor(hwnd, GA_PARENT) == GetDesktopWindow() && !is_strip(hwnd)) {
        g_event_pending = PostMessageA(g_strip, kStripWindowEventMessage, 0, 0) != FALSE;
    }
}

// The covering window's own thread: only that window's changes count (its
// thread's other windows, and the pointer, report moves too).
void CALLBACK on_cover_event(HWINEVENTHOOK, DWORD, HWND hwnd, LONG object, LONG child, DWORD, DWORD)
{
    if (hwnd != g_cover || g_cover == nullptr || object != OBJID_WINDOW || child != CHILDID_SELF ||
        g_strip == nullptr || g_event_pending) {
        return;
    }
    g_event_pending = PostMessageA(g_strip, kStripWindowEventMessage, 0, 0) != FALSE;
}
}

int EventSources::init(HWND strip)
{
    target = strip;
    g_strip = strip;
    g_event_pending = false;
    int i = 0;
    for (DWORD event : kWindowEvents) {
        hooks[i++] = SetWinEventHook(event, event, nullptr, on_window_event, 0, 0, WINEVENT_OUTOFCONTEXT);
    }
    // wtsapi32 is not a KnownDLL: the search is limited to the system folder by now.
    session_registered = optional_functions.load_wtsapi() == 0 &&
                         optional_functions.WTSRegisterSessionNotification(strip, kNotifyForThisSession);
    // The display turned off (a timeout, a laptop's lid shut on a dock):
    // nobody sees the strip until it comes on.
    display_registered = RegisterPowerSettingNotification(strip, &kConsoleDisplayState, DEVICE_NOTIFY_WINDOW_HANDLE);
    return 0;
}

int EventSources::arm_clock(int ms)
{
    clock_armed = true;
    ++clock_arms;
    const UINT due = static_cast<UINT>(ms > 0 ? ms : 1);
    if (optional_functions.SetCoalescableTimer != nullptr) {
        const auto tolerance = static_cast<ULONG>(wake_tolerance_ms(ms));
        return optional_functions.SetCoalescableTimer(target, kClockTimer, due, nullptr, tolerance) != 0 ? 0 : -1;
    }
    return SetTimer(target, kClockTimer, due, nullptr) != 0 ? 0 : -1;
}

void EventSources::stop_clock()
{
    clock_armed = false;
    KillTimer(target, kClockTimer);
}

int EventSources::ask_for_efficiency_mode()
{
    if (optional_functions.SetProcessInformation == nullptr) {
        return -1;
    }
    PowerThrottlingState state{kPowerThrottlingVersion, kThrottleExecutionSpeed, kThrottleExecutionSpeed};
    return optional_functions.SetProcessInformation(GetCurrentProcess(), kProcessPowerThrottling, &state,
                                                    sizeof state) != FALSE
               ? 0
               : -1;
}

int EventSources::follow_hover(bool hidden_by_pointer)
{
    if (hidden_by_pointer == hover_armed) {
        return 0;
    }
    hover_armed = hidden_by_pointer;
    if (hidden_by_pointer) {
        return SetTimer(target, kHoverTimer, kHoverMs, nullptr) != 0 ? 0 : -1;
    }
    KillTimer(target, kHoverTimer);
    return 0;
}

int EventSources::follow_cover(bool covered)
{
    HWND in_front = covered ? GetForegroundWindow() : nullptr;
    if (in_front == g_strip) {
        in_front = nullptr;
    }
    if (covered && in_front != cover) {
        unhook_cover();
        DWORD process = 0;
        const DWORD thread = in_front != nullptr ? GetWindowThreadProcessId(in_front, &process) : 0;
        if (thread != 0) {
            cover = in_front;
            g_cover = in_front;
            // Destroyed, shown or hidden; and moved or resized, which is
            // how a window leaves full screen without giving up the front.
            cover_hooks[0] = SetWinEventHook(EVENT_OBJECT_DESTROY, EVENT_OBJECT_HIDE, nullptr, on_cover_event, process,
                                             thread, WINEVENT_OUTOFCONTEXT);
            cover_hooks[1] = SetWinEventHook(EVENT_OBJECT_LOCATIONCHANGE, EVENT_OBJECT_LOCATIONCHANGE, nullptr,
                                             on_cover_event, process, thread, WINEVENT_OUTOFCONTEXT);
        }
    } else if (!covered) {
        unhook_cover();
    }
    if (covered == cover_armed || target == nullptr) {
        return 0;
    }
    cover_armed = covered;
    if (covered) {
        return SetTimer(target, kCoverTimer, kCoverLookMs, nullptr) != 0 ? 0 : -1;
    }
    KillTimer(target, kCoverTimer);
    return 0;
}

void EventSources::unhook_cover()
{
    for (HWINEVENTHOOK& hook : cover_hooks) {
        if (hook != nullptr) {
            UnhookWinEvent(hook);
            hook = nullptr;
        }
    }
    cover = nullptr;
    g_cover = nullptr;
}

int EventSources::next_recheck()
{
    g_event_pending = false;
    return arm_next(kRecheckTimer, kRecheckDelays, std::size(kRecheckDelays), &recheck_step);
}

int EventSources::restart_rechecks()
{
    recheck_step = 0;
    return next_recheck();
}

int EventSources::look_at_monitors(int step)
{
    monitor_step = step;
    return arm_next(kMonitorTimer, kMonitorDelays, std::size(kMonitorDelays), &monitor_step);
}

int EventSources::arm_next(UINT_PTR timer, const UINT* delays, std::size_t count, int* step)
{
    if (*step >= static_cast<int>(count)) {
        *step = 0;
        KillTimer(target, timer);
        return 0;
    }
    SetTimer(target, timer, delays[(*step)++], nullptr);
    return 1;
}

int EventSources::wait(SettingsFile* settings, DWORD max_ms)
{
    HANDLE handles[SettingsFile::kHandles] = {};
    const DWORD n = settings != nullptr ? static_cast<DWORD>(settings->armed(handles)) : 0;
    DWORD timeout = max_ms;
    const DWORD settle = settings != nullptr ? settings->settle_wait() : INFINITE;
    if (settle < timeout) {
        timeout = settle;
    }
    // MWMO_INPUTAVAILABLE: messages already in the queue but not yet looked
    // at (a PeekMessage saw them) wake it too, instead of waiting for more.
    MsgWaitForMultipleObjectsEx(n, handles, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    ++wakes;
    return settings != nullptr && settings->poll() == 1 ? 1 : 0;
}

int EventSources::destroy()
{
    if (display_registered != nullptr) {
        UnregisterPowerSettingNotification(display_registered);
        display_registered = nullptr;
    }
    if (session_registered) {
        optional_functions.WTSUnRegisterSessionNotification(target);
        session_registered = false;
    }
    unhook_cover();
    for (HWINEVENTHOOK& hook : hooks) {
        if (hook != nullptr) {
            UnhookWinEvent(hook);
            hook = nullptr;
        }
    }
    if (target != nullptr) {
        KillTimer(target, kCoverTimer);
        KillTimer(target, kRecheckTimer);
        KillTimer(target, kResizeTimer);
        KillTimer(target, kHoverTimer);
        KillTimer(target, kClockTimer);
        KillTimer(target, kMonitorTimer);
    }
    g_strip = nullptr;
    target = nullptr;
    hover_armed = false;
    cover_armed = false;
    return 0;
}
