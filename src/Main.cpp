// The program's entry: one copy at a time; the overlay, its font and lines,
// the notification icon, then the frame loop until "Close"; teardown in
// reverse.
#include "MainWindow.h"
#include "TrayIcon.h"

#include <windows.h>

// Tests build this file a second time with the entry renamed.
#ifndef BRINDLOW_MAIN
#define BRINDLOW_MAIN main
#endif

HANDLE hMutex = nullptr;

namespace {
constexpr const char* kMutexName = "BrindlowSingleInstance";
constexpr const char* kAtlasPath = "res/fira-code.png";
constexpr int kGlyphSize = 24;
constexpr int kGlyphsPerRow = 19;
}

// 0 when this is the only copy; -1, after telling the user, when another runs.
int single_instance_check()
{
    hMutex = CreateMutexA(nullptr, TRUE, kMutexName);
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        MessageBoxA(nullptr, "Brindlow is already running.", "Brindlow Info", MB_ICONINFORMATION);
        return -1;
    }
    return 0;
}

void close_single_instance_check()
{
    ReleaseMutex(hMutex);
    CloseHandle(hMutex);
    hMutex = nullptr;
}

int BRINDLOW_MAIN(int, char**)
{
    if (single_instance_check() < 0) {
        return 0;
    }

    MainWindow window;
    // Without its window nothing could ever end the frame loop ("Close" finds
    // the overlay by its class), so there is nothing to run.
    if (window.init() != 0) {
        close_single_instance_check();
        return 0;
    }
    // The texture needs the context that init made current.
    window.font.load_from_file(kAtlasPath, kGlyphSize, kGlyphSize, kGlyphsPerRow);
    window.init_displays();

    TrayIcon tray;
    if (tray.init() >= 0) {
        tray.run();
        window.run();
    }
    tray.destroy();
    close_single_instance_check();
    return 0;
}
