#pragma once

#include <windows.h>

// The window that holds the keyboard for a strip being moved, and posts every
// key to it. Under X the keys go where the X server's focus is: Wine sets it
// itself on a window it keeps from the window manager (XSetInputFocus), but
// leaves it to the window manager for one it has handed over, and openbox
// refused it to the strip while the shell's tray, another program's window,
// had it. Wine hands a window over when it is placed while active, as the
// strip is at every step of a drag; this one pixel under the strip's corner
// is never placed while active, so it stays Wine's own and gets the keys.
class MoveKeys {
public:
    static constexpr const char* kClassName = "BrindlowMoveKeys";

    HWND hwnd = nullptr;
    bool registered = false; // the class is ours to unregister

    // Makes the window at `corner`, shown but not active, passing keys to
    // `strip`; 0, or -1 (nothing made).
    int init(HWND strip, POINT corner);
    int destroy();

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
};
