#pragma once

#include "BatteryDisplay.h"
#include "DateDisplay.h"
#include "DisplayFont.h"
#include "TimeDisplay.h"

#include <windows.h>

// The overlay: a borderless 600 x 100 strip at the screen's top-left corner,
// topmost, click-through, absent from the taskbar, whose key-coloured pixels
// are transparent. It owns the OpenGL context, the font and the three lines,
// and run() is the program's main loop.
class MainWindow {
public:
    static constexpr const char* kClassName = "MAINWINDOW_CLASSNAME";
    static constexpr const char* kTitle = "Brindlow";
    static constexpr int kWidth = 600;
    static constexpr int kHeight = 100;
    static constexpr COLORREF kKeyColour = RGB(8, 8, 8);
    static constexpr DWORD kFramePauseMs = 16;

    HDC hdc = nullptr;
    HWND hwnd = nullptr;
    HGLRC hglrc = nullptr;
    TimeDisplay time_display;
    DateDisplay date_display;
    BatteryDisplay battery_display;
    DisplayFont font;
    bool running = false;

    // Registers the class, creates and shows the window with its context
    // current on this thread; -1 when the class, the window or OpenGL cannot
    // be made.
    int init();
    int init_opengl();
    // Resets the three lines and places them: date, time, battery.
    int init_displays();
    // Drains the thread's queue, refreshes, draws and swaps, then pauses,
    // until WM_QUIT; the frame that took it is completed. Afterwards the
    // texture is deleted and the window destroyed.
    int run();
    // Draws one frame into the back buffer.
    int draw();

    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
};

// The fixed OpenGL state: one unit per pixel with the origin at the top-left
// corner, modulated textures and alpha blending.
void init_renderer();
