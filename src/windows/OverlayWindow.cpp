#include "OverlayWindow.h"

#include "ProgramList.h"
#include "SystemReadings.h"

namespace {
// WS_EX_LAYERED with a colour key makes the cleared background invisible;
// WS_EX_TRANSPARENT together with it lets clicks fall through to what is
// below; WS_EX_TOOLWINDOW keeps the strip off the taskbar and Alt+Tab.
constexpr DWORD kExStyle = WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT | WS_EX_TOPMOST;
constexpr DWORD kStyle = WS_POPUP;
constexpr int kOpaqueAlpha = 255;
constexpr int kWholePercent = 100;

// Windows above the strip that it leaves above it: the menus and tooltips
// (balloons included) the user is reading are short-lived, and covering them
// would hide what they say.
const char* const kTransientClasses[] = {"#32768", "tooltips_class32", nullptr};

// The shell's windows: they cover a monitor without being a program shown
// full-screen, and the user is not "in" them. The last is Wine's own
// notification area ("Wine System Tray") when X has none.
const char* const kShellClasses[] = {
    "Progman", "WorkerW", "Shell_TrayWnd", "Shell_SecondaryTrayWnd", "__winex11_standalone_tray", nullptr};

// Whether the window's class is one of a null-terminated list.
bool class_in(HWND w, const char* const* classes)
{
    char name[32] = {};
    GetClassNameA(w, name, sizeof name);
    for (; *classes != nullptr; ++classes) {
        if (lstrcmpA(name, *classes) == 0) {
            return true;
        }
    }
    return false;
}

// The key colour see-through and the rest at the strip's constant alpha, in
// one call, which Windows composes without any work of the program's. Fully
// opaque, the key alone, as Brindlow has always set it.
void key_out(HWND hwnd, BYTE alpha)
{
    SetLayeredWindowAttributes(hwnd, OverlayWindow::kKeyColour, alpha,
                               alpha == kOpaqueAlpha ? LWA_COLORKEY : LWA_COLORKEY | LWA_ALPHA);
}

// Whether a point of the screen is over one of the areas, given in the
// window at `r`.
bool over_any(const std::vector<Rect>& areas, const RECT& r, POINT p)
{
    for (const Rect& a : areas) {
        const RECT on{r.left + a.left, r.top + a.top, r.left + a.right, r.top + a.bottom};
        if (PtInRect(&on, p)) {
            return true;
        }
    }
    return false;
}

bool is_shell(HWND w) { return w == GetDesktopWindow() || w == GetShellWindow() || class_in(w, kShellClasses); }

// The window the user was in: `given` if it is a visible window of a
// program (not the shell's, not a tool window such as the strip), else the
// highest such window. Clicking the notification area makes the taskbar the
// foreground window (under Wine, its "Wine System Tray"), and the menu then
// makes the icon's hidden window the foreground.
HWND user_window(HWND given)
{
    auto ordinary = [](HWND w) {
        return IsWindowVisible(w) && !is_shell(w) && (GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) == 0;
    };
    if (given != nullptr && IsWindow(given) && ordinary(given)) {
        return given;
    }
    for (HWND w = GetTopWindow(nullptr); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
        if (ordinary(w)) {
            return w;
        }
    }
    return nullptr;
}

// Whether the foreground window is a program shown full-screen over the
// whole monitor the strip is on. A maximized window with a caption is not,
// even when an auto-hidden taskbar lets it reach the monitor's edges (its
// frame then hangs over them).
bool fullscreen_over(HWND strip, const RECT& monitor)
{
    HWND fg = GetForegroundWindow();
    if (fg == nullptr || fg == strip || !IsWindowVisible(fg) || is_shell(fg)) {
        return false;
    }
    const LONG style = GetWindowLongA(fg, GWL_STYLE);
    if (IsZoomed(fg) && (style & WS_CAPTION) == WS_CAPTION) {
        return false;
    }
    RECT r{};
    if (!GetWindowRect(fg, &r)) {
        return false;
    }
    return r.left <= monitor.left && r.top <= monitor.top && r.right >= monitor.right && r.bottom >= monitor.bottom;
}
}

int OverlayWindow::init(WNDPROC procedure, void* owner)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    failed_call = nullptr;
    failed_error = 0;

    WNDCLASSA wc{};
    // CS_DBLCLKS: a double click keeps the place while the strip is moved.
    wc.style = CS_OWNDC | CS_DBLCLKS;
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.lpszClassName = kClassName;
    // A strip on each monitor: the first registers the class, the others
    // find it registered with the same procedure.
    WNDCLASSA known{};
    const bool ours = GetClassInfoA(instance, kClassName, &known) && known.lpfnWndProc == procedure;
    if (!ours && !RegisterClassA(&wc)) {
        failed_call = "RegisterClassA";
        failed_error = GetLastError();
        return -1;
    }
    registered = !ours;

    hwnd = CreateWindowExA(kExStyle, kClassName, kTitle, kStyle, 0, 0, kWidth, kHeight, nullptr, nullptr, instance,
                           nullptr);
    if (hwnd == nullptr) {
        failed_call = "CreateWindowExA";
        failed_error = GetLastError();
        if (registered) {
            UnregisterClassA(kClassName, instance);
            registered = false;
        }
        return -1;
    }
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
    return 0;
}

int OverlayWindow::show()
{
    key_out(hwnd, alpha);
    SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    // SW_SHOW would also activate it, taking the keyboard from whatever had it.
    showing_itself = true;
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    showing_itself = false;
    return 0;
}

int OverlayWindow::set_opacity(int percent)
{
    const BYTE wanted = static_cast<BYTE>((percent * kOpaqueAlpha + kWholePercent / 2) / kWholePercent);
    // While moving, the strip keeps its own alpha; end_move puts this one back.
    if (wanted != alpha && hwnd != nullptr && !moving) {
        key_out(hwnd, wanted);
    }
    alpha = wanted;
    return 0;
}

int OverlayWindow::move_to(const Rect& r)
{
    RECT before{};
    GetWindowRect(hwnd, &before);
    SetWindowPos(hwnd, HWND_TOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOACTIVATE);
    return before.right - before.left != r.right - r.left || before.bottom - before.top != r.bottom - r.top ? 1 : 0;
}

int OverlayWindow::keep_on_top()
{
    RECT strip{};
    GetWindowRect(hwnd, &strip);
    for (HWND w = GetWindow(hwnd, GW_HWNDPREV); w != nullptr; w = GetWindow(w, GW_HWNDPREV)) {
        RECT r{}, overlap{};
        if (!IsWindowVisible(w) || !GetWindowRect(w, &r) || !IntersectRect(&overlap, &r, &strip) ||
            class_in(w, kTransientClasses)) {
            continue;
        }
        // BringWindowToTop would also activate the strip, taking the
        // foreground and the keyboard from the program the user is in.
        SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        return 1;
    }
    return 0;
}

RECT OverlayWindow::own_monitor() const
{
    if (monitor_area.right > monitor_area.left) {
        return RECT{monitor_area.left, monitor_area.top, monitor_area.right, monitor_area.bottom};
    }
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    GetMonitorInfoA(MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY), &mi);
    return mi.rcMonitor;
}

StripSight OverlayWindow::look(bool fullscreen, bool programs, bool pointer)
{
    StripSight sight;
    const RECT monitor = own_monitor();
    sight.fullscreen = fullscreen && fullscreen_over(hwnd, monitor);
    HWND fg = GetForegroundWindow();
    // A window is on the monitor that holds its middle.
    RECT fr{};
    const bool there = fg != nullptr && GetWindowRect(fg, &fr) &&
                       PtInRect(&monitor, POINT{(fr.left + fr.right) / 2, (fr.top + fr.bottom) / 2});
    // A minimized window may keep the foreground; it shows nothing.
    if (programs && there && fg != hwnd && fg != keys.hwnd && IsWindowVisible(fg) && !IsIconic(fg) && !is_shell(fg)) {
        DWORD process = 0;
        GetWindowThreadProcessId(fg, &process);
        if (fg != program_window || process != program_process) {
            program_window = fg;
            program_process = process;
            program_path = window_program(fg);
        }
        sight.program = program_path;
    }
    sight.pointer_over = pointer && pointer_over();
    return sight;
}

bool OverlayWindow::pointer_over() const
{
    // A hidden window keeps its rectangle: the pointer is compared with it
    // until it leaves.
    POINT pointer{};
    RECT r{};
    return GetCursorPos(&pointer) && GetWindowRect(hwnd, &r) && over_any(text_areas, r, pointer);
}

int OverlayWindow::set_visible(bool visible)
{
    if ((IsWindowVisible(hwnd) != FALSE) == visible) {
        return 0;
    }
    // WM_SHOWWINDOW from this call must not be taken for the menu's Hide.
    showing_itself = true;
    ShowWindow(hwnd, visible ? SW_SHOWNOACTIVATE : SW_HIDE);
    showing_itself = false;
    return 0;
}

int OverlayWindow::begin_move(HWND foreground)
{
    if (moving) {
        return 0;
    }
    moving = true;
    GetWindowRect(hwnd, &before_move);
    foreground_before = user_window(foreground != nullptr ? foreground : GetForegroundWindow());
    // Wine hands a window to the window manager the first time it is placed
    // while active, unmapping and mapping it again; unmapped with the
    // keyboard, it loses it (and any capture) a moment later. Hidden first
    // and then shown active, it is handed over as it maps.
    showing_itself = true;
    ShowWindow(hwnd, SW_HIDE);
    SetWindowLongA(hwnd, GWL_EXSTYLE, static_cast<LONG>(kExStyle & ~static_cast<DWORD>(WS_EX_TRANSPARENT)));
    SetLayeredWindowAttributes(hwnd, 0, kMovingAlpha, LWA_ALPHA);
    ShowWindow(hwnd, SW_SHOW);
    showing_itself = false;
    // Enter and Esc reach the strip from the first press (under X through
    // MoveKeys); the menu's command gives this process the foreground right.
    HWND taker = keys.init(hwnd, POINT{before_move.left, before_move.top}) == 0 ? keys.hwnd : hwnd;
    SetForegroundWindow(taker);
    SetFocus(taker);
    return 0;
}

int OverlayWindow::nudge(int dx, int dy)
{
    RECT r{};
    GetWindowRect(hwnd, &r);
    return place_at(POINT{r.left + dx, r.top + dy});
}

int OverlayWindow::place_at(POINT top_left)
{
    SetWindowPos(hwnd, HWND_TOPMOST, top_left.x, top_left.y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    return 0;
}

int OverlayWindow::capture(bool take)
{
    // Without the capture, a pointer faster than the strip leaves it, and
    // the rest of the drag goes to whatever is below.
    if (take) {
        SetCapture(hwnd);
    } else if (GetCapture() == hwnd) {
        ReleaseCapture();
    }
    return 0;
}

int OverlayWindow::end_move(bool keep)
{
    if (!moving) {
        return 0;
    }
    capture(false);
    moving = false;
    if (!keep) {
        SetWindowPos(hwnd, HWND_TOPMOST, before_move.left, before_move.top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    }
    SetWindowLongA(hwnd, GWL_EXSTYLE, static_cast<LONG>(kExStyle));
    key_out(hwnd, alpha);
    // The keyboard goes back where it was, if that window is still there.
    HWND fg = GetForegroundWindow();
    if (foreground_before != nullptr && IsWindow(foreground_before)) {
        SetForegroundWindow(foreground_before);
    } else if (fg == hwnd || (keys.hwnd != nullptr && fg == keys.hwnd)) {
        SetForegroundWindow(GetDesktopWindow());
    }
    foreground_before = nullptr;
    keys.destroy();
    return 0;
}

int OverlayWindow::destroy()
{
    keys.destroy();
    if (hwnd != nullptr) {
        DestroyWindow(hwnd);
        hwnd = nullptr;
    }
    if (registered) {
        UnregisterClassA(kClassName, GetModuleHandleA(nullptr));
        registered = false;
    }
    return 0;
}
