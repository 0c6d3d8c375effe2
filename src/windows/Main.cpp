// The program's entry: one copy at a time; the overlay, its font, its
// settings and lines, the notification icon, then the frame loop until
// "Close"; teardown in reverse.
#include "DataFolders.h"
#include "FirstStart.h"
#include "MainWindow.h"
#include "OptionalFunctions.h"
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
}

// Limits where DLLs are loaded by name from to the system folder, before
// anything is loaded: otherwise the program's own folder is searched first,
// and it may be a Downloads folder or a USB stick that anyone can write a
// DLL into. SetDefaultDllDirectories needs Windows 8, or Windows 7 with
// KB2533623; without it, at least the current directory leaves the search.
// OpenGL is safe either way: it is loaded by its full path.
int restrict_library_search()
{
    optional_functions.init();
    if (optional_functions.SetDefaultDllDirectories != nullptr &&
        optional_functions.SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        return 0;
    }
    return SetDllDirectoryA("") ? 0 : -1;
}

// Per-monitor DPI awareness, for "scale = auto" only: version 2 where
// Windows 10 (1703) has it, else Windows 8.1's per-monitor awareness, else
// Vista's system awareness. Otherwise the process stays DPI-unaware, as its
// manifest says, and Windows scales the strip as it always did. 0, or -1 when
// none of them could be declared.
int declare_dpi_awareness()
{
    optional_functions.init();
    // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2, which older headers lack:
    // Windows defines these contexts as small negative numbers in a handle.
    // NOLINTNEXTLINE(performance-no-int-to-ptr): the handle is that number, not an address.
    HANDLE per_monitor_v2 = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-4));
    if (optional_functions.SetProcessDpiAwarenessContext != nullptr &&
        optional_functions.SetProcessDpiAwarenessContext(per_monitor_v2)) {
        return 0;
    }
    // shcore.dll comes from the system folder: the search is limited by now.
    constexpr int kProcessPerMonitorDpiAware = 2;
    if (optional_functions.load_shcore() == 0 &&
        SUCCEEDED(optional_functions.SetProcessDpiAwareness(kProcessPerMonitorDpiAware))) {
        return 0;
    }
    return SetProcessDPIAware() ? 0 : -1;
}

// Makes the strip and its OpenGL context. At login, when autostart runs, the
// display driver may not be ready yet: a failure is tried again for a few
// seconds, then reported with the call that failed and the system's reason.
int start_window(MainWindow& window)
{
    constexpr DWORD kRetryForMs = 3000;
    constexpr DWORD kRetryEveryMs = 250;
    const DWORD start = GetTickCount();
    while (window.init() != 0) {
        if (GetTickCount() - start >= kRetryForMs) {
            char reason[512] = {};
            const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                           window.view.failed_error, 0, reason, sizeof reason, nullptr);
            std::string why = n > 0 ? std::string(reason, n) : "error " + std::to_string(window.view.failed_error);
            while (!why.empty() && (why.back() == '\n' || why.back() == '\r' || why.back() == ' ')) {
                why.pop_back();
            }
            const std::string text = std::string("Brindlow cannot start: ") +
                                     (window.view.failed_call != nullptr ? window.view.failed_call : "a Windows call") +
                                     " failed.\n\n" + why;
            MessageBoxA(nullptr, text.c_str(), "Brindlow", MB_ICONERROR);
            return -1;
        }
        Sleep(kRetryEveryMs);
    }
    return 0;
}

// 0 when this is the only copy; -1, after telling the user, when another runs.
int single_instance_check()
{
    hMutex = CreateMutexA(nullptr, TRUE, kMutexName);
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        // Started at login while a copy already runs: two ways of starting
        // at login (an organisation's for every user, the user's own) meet.
        // Nobody asked for anything: neither a box nor a hidden strip back.
        if (FirstStart::started_at_login()) {
            return -1;
        }
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
    // An idle clock: Windows may run it on its most frugal cores and clocks.
    EventSources::ask_for_efficiency_mode();

    // The settings come first: "scale = auto" must make the process
    // DPI-aware before it creates any window.
    SettingsFile settings_file;
    settings_file.init();
    const SettingsLoad first = settings_file.load();

    MainWindow window;
    window.view.dpi_aware = first.settings.scale_auto && declare_dpi_awareness() == 0;
    // Without its window nothing could ever end the loop ("Close" finds the
    // overlay by its class), so there is nothing to run: a failed start.
    if (start_window(window) != 0) {
        close_single_instance_check();
        return 1;
    }
    window.settings_file = &settings_file;
    window.core.file_settings = first.settings;
    window.core.settings_problems = first.problems;
    // The texture needs the context that init made current. Without the
    // atlas every character is a square; the balloon says why.
    window.view.load_font(window.view.wanted_scale(first.settings));
    window.init_displays();

    TrayIcon tray;
    tray.settings_file = &settings_file;
    tray.settings = &window.core.file_settings;
    tray.strip_window = window.view.strip.hwnd;
    int code = 0;
    if (tray.init() >= 0) {
        // The first load's problems wait for the icon that shows them.
        window.to_icon = [&tray](const StripCommands& c) { tray.carry_out(c); };
        StripCommands hotkey;
        hotkey.register_hotkey = true;
        hotkey.hotkey = window.core.model.settings.hotkey;
        tray.carry_out(hotkey);
        window.report();
        // The way to the menu, unless a problem (a missing atlas) took the
        // balloon: the greeting then waits for a start without one.
        if (window.core.reported.empty() && !window.core.told_organisation &&
            FirstStart::due(settings_file.holds_no_settings()) &&
            tray.show_info(FirstStart::kTitle, FirstStart::kText) == 0) {
            FirstStart::mark();
        }
        window.run();
    } else {
        // Without its icon nobody could reach the menu, not even to close it.
        // The strip goes first: it would stand behind the box, drawn
        // without whatever else is missing beside the icon.
        window.destroy();
        const std::string text = std::string("Brindlow cannot start: ") + TrayIcon::kIconFile +
                                 " is missing or unusable.\n\nLooked in " + tray.icon_looked_in + ".";
        MessageBoxA(nullptr, text.c_str(), "Brindlow", MB_ICONERROR);
        code = 1;
    }
    window.to_icon = nullptr;
    tray.destroy();
    settings_file.destroy();
    close_single_instance_check();
    return code;
}
