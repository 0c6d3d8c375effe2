#include "DialogPlacement.h"

#include "Layout.h"

#include <algorithm>

namespace {
// The class of dialogs and message boxes, the colour dialog's included.
constexpr const char* kDialogClass = "#32770";

// A hook procedure is told nothing of its owner: the thread's one instance.
thread_local DialogPlacement* t_placement = nullptr;

bool is_dialog(HWND w)
{
    char name[16] = {};
    GetClassNameA(w, name, sizeof name);
    return lstrcmpA(name, kDialogClass) == 0 && (GetWindowLongA(w, GWL_STYLE) & WS_CHILD) == 0;
}

Rect rect_of(const RECT& r) { return Rect{r.left, r.top, r.right, r.bottom}; }
}

int DialogPlacement::init(const HWND* strip_window)
{
    strip = strip_window;
    if (t_placement != nullptr) {
        return -1;
    }
    hook = SetWindowsHookExA(WH_CBT, on_cbt, nullptr, GetCurrentThreadId());
    if (hook == nullptr) {
        return -1;
    }
    t_placement = this;
    return 0;
}

int DialogPlacement::place(HWND dialog)
{
    HWND s = strip != nullptr ? *strip : nullptr;
    RECT own{}, avoid{};
    if (s == nullptr || !GetWindowRect(dialog, &own)) {
        return 0;
    }
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    if (!GetMonitorInfoA(MonitorFromWindow(s, MONITOR_DEFAULTTOPRIMARY), &mi)) {
        return 0;
    }
    // A hidden strip covers nothing; the dialog still opens on its monitor.
    if (IsWindowVisible(s)) {
        GetWindowRect(s, &avoid);
    }
    const Rect to = clear_of(rect_of(own), rect_of(avoid), rect_of(mi.rcWork));
    if (to.left == own.left && to.top == own.top) {
        return 0;
    }
    SetWindowPos(dialog, nullptr, to.left, to.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return 1;
}

int DialogPlacement::destroy()
{
    if (hook != nullptr) {
        UnhookWindowsHookEx(hook);
        hook = nullptr;
    }
    if (t_placement == this) {
        t_placement = nullptr;
    }
    placed.clear();
    return 0;
}

LRESULT CALLBACK DialogPlacement::on_cbt(int code, WPARAM wparam, LPARAM lparam)
{
    DialogPlacement* self = t_placement;
    // HCBT_ACTIVATE comes once the dialog has laid itself out (the colour
    // dialog opened full, a message box sized to its text) and before it is
    // drawn: moved here, it is first seen where it stays.
    if (code == HCBT_ACTIVATE && self != nullptr) {
        // NOLINTNEXTLINE(performance-no-int-to-ptr): the hook hands the window in wParam.
        HWND w = reinterpret_cast<HWND>(wparam);
        auto& placed = self->placed;
        placed.erase(std::remove_if(placed.begin(), placed.end(), [](HWND p) { return !IsWindow(p); }), placed.end());
        if (is_dialog(w) && std::find(placed.begin(), placed.end(), w) == placed.end()) {
            placed.push_back(w);
            self->place(w);
        }
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}
