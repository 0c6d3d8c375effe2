#pragma once

#include <windows.h>

// The About text: five lines, the third the version.
extern const char* aboutText;

// The About box: a modal message box with the program's own icon.
class AboutWindow {
public:
    HWND owner = nullptr;

    explicit AboutWindow(HWND owner_window);
    // Returns when the user closes the box.
    void show();
};
