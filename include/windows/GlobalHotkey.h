#pragma once

#include <windows.h>

#include <string>

// A key that reaches Brindlow whatever window has the keyboard
// (RegisterHotKey): WM_HOTKEY comes to the window it is registered on.
class GlobalHotkey {
public:
    static constexpr int kId = 1;

    HWND owner = nullptr;
    std::string name; // in force, as hotkey_name writes it; empty: none

    // Puts `text` (a hotkey as the settings write it; empty: none) in place
    // of the one in force, on `window`. Empty when it is in force (or none
    // was asked for), else the problem, naming the key another program holds.
    std::string set(HWND window, const std::string& text);
    int destroy();
};
