// The program's entry: one copy at a time; the overlay, its font, its
// settings and lines, the notification icon, then the frame loop until
// "Close"; teardown in reverse.
#include "DataFolders.h"
#include "MainWindow.h"
#include "SettingsFile.h"
#include "TrayIcon.h"

#include <windows.h>

#include <string>

// Tests build this file a second time with the entry renamed.
#ifndef BRINDLOW_MAIN
#define BRINDLOW_MAIN main
#endif

HANDLE hMutex = nullptr;

namespace {
constexpr const char* kMutexName = "BrindlowSingleInstance";
constexpr const char* kAtlasPath = "res/fira-code.png";
constexpr int kGlyphsPerRow = 19;
}

// Limits where DLLs are loaded by name from to the system folder, before
// anything is loaded: otherwise the program's own folder is searched first,
// and it may be a Downloads folder or a USB stick that anyone can write a
// DLL into. SetDefaultDllDirectories needs Windows 8, or Windows 7 with
// KB2533623; without it, at least the current directory leaves the search.
// OpenGL is safe either way: it is loaded by its full path.
int restrict_library_search()
{
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    auto set_default = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (set_default != nullptr && set_default(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        return 0;
    }
    return SetDllDirectoryA("") ? 0 : -1;
}

// 0 when this is the only copy; -1, after telling the user, when another runs.
int single_instance_check()
{
    hMutex = CreateMutexA(nullptr, TRUE, kMutexName);
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        // Started again, most likely to get a hidden strip back.
        HWND first = FindWindowA(TrayIcon::kClassName, nullptr);
        if (first != nullptr) {
            PostMessageA(first, show_again_message(), 0, 0);
        }
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
    // Even without the limit the program is safe to run: OpenGL comes by its
    // full path and every import is a KnownDLL, always taken from the system.
    restrict_library_search();
    if (single_instance_check() < 0) {
        return 0;
    }

    MainWindow window;
    // Without its window nothing could ever end the frame loop ("Close" finds
    // the overlay by its class), so there is nothing to run: a failed start.
    if (window.init() != 0) {
        close_single_instance_check();
        return 1;
    }
    // The texture needs the context that init made current. Without the
    // atlas every character is a square; the balloon says why.
    DataFolders data;
    data.init();
    const std::string atlas = data.find(kAtlasPath);
    if (window.font.load_from_file(atlas.empty() ? kAtlasPath : atlas.c_str(), kGlyphSize, kGlyphSize,
                                   kGlyphsPerRow) != 0) {
        window.data_problems.push_back(std::string(kAtlasPath) + " " + window.font.failure + " (looked in " +
                                       data.describe() + "): the text is drawn as squares");
    }
    SettingsFile settings_file;
    settings_file.init();
    window.settings_file = &settings_file;
    const SettingsLoad first = settings_file.load();
    window.settings = first.settings;
    window.settings_problems = first.problems;
    window.init_displays();

    TrayIcon tray;
    tray.settings_file = &settings_file;
    int code = 0;
    if (tray.init() >= 0) {
        // The first load's problems wait for the icon that shows them.
        window.tray = &tray;
        window.report();
        tray.run();
        window.run();
    } else {
        // Without its icon nobody could reach the menu, not even to close it.
        const std::string text = std::string("Brindlow cannot start: ") + TrayIcon::kIconFile +
                                 " is missing or unusable.\n\nLooked in " + tray.icon_looked_in + ".";
        MessageBoxA(nullptr, text.c_str(), "Brindlow", MB_ICONERROR);
        code = 1;
        DestroyWindow(window.hwnd);
    }
    window.tray = nullptr;
    tray.destroy();
    settings_file.destroy();
    close_single_instance_check();
    return code;
}
