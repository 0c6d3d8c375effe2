#include "MoveKeys.h"

int MoveKeys::init(HWND strip, POINT corner)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA known{};
    if (!GetClassInfoA(instance, kClassName, &known)) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = WndProc;
        wc.hInstance = instance;
        wc.lpszClassName = kClassName;
        registered = RegisterClassA(&wc) != 0;
    }
    // Below the topmost strip, out of sight, and on the screen, where X lets
    // a window have the focus.
    hwnd = CreateWindowExA(WS_EX_TOOLWINDOW, kClassName, "", WS_POPUP, corner.x, corner.y, 1, 1, nullptr, nullptr,
                           instance, nullptr);
    if (hwnd == nullptr) {
        return -1;
    }
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(strip));
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    return 0;
}

int MoveKeys::destroy()
{
    if (hwnd != nullptr) {
        DestroyWindow(hwnd);
        hwnd = nullptr;
    }
    // Another strip's window may still use the class: then it stays.
    if (registered && UnregisterClassA(kClassName, GetModuleHandleA(nullptr))) {
        registered = false;
    }
    return 0;
}

LRESULT CALLBACK MoveKeys::WndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam)
{
    switch (msg) {
    case WM_KEYDOWN:
    case WM_KEYUP: {
        // NOLINTNEXTLINE(performance-no-int-to-ptr): the strip's handle is kept in GWLP_USERDATA.
        HWND strip = reinterpret_cast<HWND>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        // Posted, not sent: Enter ends the move, which destroys this window.
        if (strip != nullptr) {
            PostMessageA(strip, msg, wparam, lparam);
        }
        return 0;
    }
    }
    return DefWindowProcA(hwnd, msg, wparam, lparam);
}
