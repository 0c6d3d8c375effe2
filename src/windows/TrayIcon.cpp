#include "TrayIcon.h"

#include "AboutWindow.h"
#include "DataFolders.h"
#include "MainWindow.h"
#include "SettingsFile.h"
#include "StartupShortcut.h"

static HMENU hMenu = nullptr;

namespace {
// Windows 7's flag; older headers lack it.
#ifndef NIIF_RESPECT_QUIET_TIME
#define NIIF_RESPECT_QUIET_TIME 0x00000080
#endif

// Explorer broadcasts this to every top-level window when it re-creates the
// taskbar (after a crash or restart); icons added before are gone by then.
UINT taskbar_created_message()
{
    static const UINT message = RegisterWindowMessageA("TaskbarCreated");
    return message;
}
}

UINT show_again_message()
{
    static const UINT message = RegisterWindowMessageA(TrayIcon::kShowAgainMessage);
    return message;
}

namespace {
// Shows the menu at the cursor and returns the chosen command, or 0.
UINT track_menu(HWND owner, int hidden)
{
    POINT cursor{};
    GetCursorPos(&cursor);
    // Without being the foreground window, the owner never hears that the
    // user clicked elsewhere, and the menu would stay open.
    SetForegroundWindow(owner);
    CheckMenuItem(hMenu, TrayIcon::kCmdHide, MF_BYCOMMAND | (hidden ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuItem(hMenu, TrayIcon::kCmdStartWithWindows,
                  MF_BYCOMMAND | (StartupShortcut::exists() ? MF_CHECKED : MF_UNCHECKED));
    const UINT command = static_cast<UINT>(TrackPopupMenu(
        hMenu, TPM_RETURNCMD | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, owner, nullptr));
    // Forces a task switch to the owner so that the menu works the next time
    // it is opened, not only every other time.
    PostMessageA(owner, WM_NULL, 0, 0);
    return command;
}
}

int TrayIcon::init()
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    show_again_message();

    WNDCLASSA wc{};
    wc.lpfnWndProc = TrayIcon::WndProc;
    wc.hInstance = instance;
    wc.lpszClassName = kClassName;
    RegisterClassA(&wc);

    // An ordinary top-level window, never shown: unlike a message-only
    // window it receives the TaskbarCreated broadcast.
    hwnd = CreateWindowExA(0, kClassName, "", 0, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (hwnd != nullptr) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    taskbar_created_message();

    DataFolders data;
    data.init();
    icon_looked_in = data.describe();
    const std::string icon_path = data.find(kIconFile);
    // No size asked for: the file's first image, which is its 16 x 16 one.
    icon = icon_path.empty() ? nullptr
                             : static_cast<HICON>(LoadImageA(instance, icon_path.c_str(), IMAGE_ICON, 0, 0,
                                                             LR_LOADFROMFILE));
    if (icon == nullptr) {
        return -1;
    }

    nid.cbSize = sizeof nid;
    nid.hWnd = hwnd;
    nid.uID = kIconId;
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = kCallbackMessage;
    nid.hIcon = icon;
    lstrcpynA(nid.szTip, kTooltip, sizeof nid.szTip);
    // Refused before the taskbar exists (early at login); the TaskbarCreated
    // broadcast adds it once it does.
    notify(NIM_ADD);

    hMenu = CreatePopupMenu();
    AppendMenuA(hMenu, MF_STRING, kCmdAbout, "About Brindlow");
    AppendMenuA(hMenu, MF_STRING, kCmdCheckForUpdates, "Check For Updates");
    AppendMenuA(hMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(hMenu, MF_STRING, kCmdSettings, "Settings...");
    AppendMenuA(hMenu, MF_STRING, kCmdStartWithWindows, "Start with Windows");
    AppendMenuA(hMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(hMenu, MF_STRING, kCmdHide, "Hide Brindlow");
    AppendMenuA(hMenu, MF_STRING, kCmdClose, "Close");
    return 0;
}

int TrayIcon::run()
{
    thread = CreateThread(nullptr, 0, TrayIcon::loop_thread, nullptr, 0, nullptr);
    return thread != nullptr ? 0 : -1;
}

int TrayIcon::destroy()
{
    if (hwnd != nullptr) {
        DestroyWindow(hwnd);
    }
    if (nid.hWnd != nullptr) {
        notify(NIM_DELETE);
    }
    if (thread != nullptr) {
        CloseHandle(thread);
    }
    if (icon != nullptr) {
        DestroyIcon(icon);
    }
    if (hMenu != nullptr) {
        DestroyMenu(hMenu);
    }
    hMenu = nullptr;
    icon = nullptr;
    thread = nullptr;
    hwnd = nullptr;
    nid = NOTIFYICONDATAA{};
    return 0;
}

int TrayIcon::notify(DWORD message)
{
    return Shell_NotifyIconA(message, &nid) ? 0 : -1;
}

int TrayIcon::show_balloon(const std::string& title, const std::string& text)
{
    if (icon == nullptr) {
        return -1;
    }
    nid.uFlags |= NIF_INFO;
    nid.dwInfoFlags = NIIF_WARNING | NIIF_RESPECT_QUIET_TIME;
    lstrcpynA(nid.szInfoTitle, title.c_str(), sizeof nid.szInfoTitle);
    lstrcpynA(nid.szInfo, text.c_str(), sizeof nid.szInfo);
    const int result = notify(NIM_MODIFY);
    // Later calls (the icon added again after Explorer restarts) must not
    // show it a second time.
    nid.uFlags &= ~static_cast<UINT>(NIF_INFO);
    return result;
}

namespace {
// "Start with Windows": this Brindlow.exe, started where its data is now.
void toggle_start_with_windows()
{
    if (StartupShortcut::exists()) {
        StartupShortcut::remove();
        return;
    }
    char exe[MAX_PATH] = {};
    char workdir[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(nullptr, exe, MAX_PATH);
    const DWORD m = GetCurrentDirectoryA(MAX_PATH, workdir);
    if (n > 0 && n < MAX_PATH && m > 0 && m < MAX_PATH) {
        StartupShortcut::create(exe, workdir);
    }
}
}

DWORD WINAPI TrayIcon::loop_thread(LPVOID)
{
    // Nothing is ever posted here; waiting instead of polling keeps the
    // thread asleep for the life of the program.
    MSG msg{};
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

LRESULT CALLBACK TrayIcon::WndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam)
{
    static int brindlow_hidden = 0;

    switch (msg) {
    case WM_DESTROY: {
        PostQuitMessage(0);
        return 0;
    }
    case kCallbackMessage: {
        // Without NIM_SETVERSION the low word of lParam is the mouse message.
        // Most users open a notification icon's menu with the right button.
        if (LOWORD(lparam) != WM_LBUTTONUP && LOWORD(lparam) != WM_RBUTTONUP) {
            return 0;
        }
        switch (track_menu(hwnd, brindlow_hidden)) {
        case kCmdAbout: {
            AboutWindow about(hwnd);
            about.show();
            break;
        }
        case kCmdCheckForUpdates: {
            ShellExecuteA(nullptr, "open", kUpdatePage, nullptr, nullptr, SW_SHOWNORMAL);
            break;
        }
        case kCmdSettings: {
            // NOLINTNEXTLINE(performance-no-int-to-ptr): Win32 stores the pointer in GWLP_USERDATA.
            TrayIcon* tray = reinterpret_cast<TrayIcon*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
            const std::string path =
                tray != nullptr && tray->settings_file != nullptr ? tray->settings_file->edit_path() : std::string();
            // .ini opens in Notepad unless the user chose another editor.
            if (!path.empty()) {
                ShellExecuteA(nullptr, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
            }
            break;
        }
        case kCmdStartWithWindows: {
            toggle_start_with_windows();
            break;
        }
        case kCmdHide: {
            brindlow_hidden ^= 1;
            HWND overlay = FindWindowA(MainWindow::kClassName, nullptr);
            // Shown without activating: the strip never takes the keyboard.
            ShowWindow(overlay, brindlow_hidden ? SW_HIDE : SW_SHOWNOACTIVATE);
            break;
        }
        case kCmdClose: {
            HWND overlay = FindWindowA(MainWindow::kClassName, nullptr);
            // With no overlay this lands in the thread's queue addressed to
            // no window, and the dispatch drops it.
            PostMessageA(overlay, WM_CLOSE, 0, 0);
            break;
        }
        }
        return 0;
    }
    }
    if (msg == show_again_message() && msg != 0) {
        // A second start: the user wants the strip back.
        if (brindlow_hidden) {
            brindlow_hidden = 0;
            ShowWindow(FindWindowA(MainWindow::kClassName, nullptr), SW_SHOWNOACTIVATE);
        }
        return 0;
    }
    if (msg == taskbar_created_message() && msg != 0) {
        // NOLINTNEXTLINE(performance-no-int-to-ptr): Win32 stores the pointer in GWLP_USERDATA.
        TrayIcon* tray = reinterpret_cast<TrayIcon*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (tray != nullptr && tray->icon != nullptr) {
            tray->notify(NIM_ADD);
        }
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wparam, lparam);
}
