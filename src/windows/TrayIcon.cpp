#include "TrayIcon.h"

#include "AboutWindow.h"
#include "DataFolders.h"
#include "MainWindow.h"
#include "SettingsFile.h"
#include "StartupShortcut.h"

#include "Settings.h"
#include "ZoneRules.h"

#include <commdlg.h>

#include <cstdio>
#include <string>
#include <vector>

static HMENU hMenu = nullptr;
static HMENU hLines = nullptr;

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
const char* const kCornerNames[] = {"top-left", "top-right", "bottom-left", "bottom-right"};
const char* const kCornerItems[] = {"Top left", "Top right", "Bottom left", "Bottom right"};
const char* const kScaleValues[] = {"1", "1.5", "2", "3", "auto"};
const char* const kScaleItems[] = {"Normal", "150 %", "200 %", "300 %", "Follow display scaling"};
const int kScaleHalves[] = {2, 3, 4, 6, 0};
constexpr int kCorners = 4;
constexpr int kScales = 5;

bool shows(const Settings& s, LineKind kind)
{
    for (LineKind k : s.lines) {
        if (k == kind) {
            return true;
        }
    }
    return false;
}

// The marks show what the file says, whoever changed it last: a line left
// out (an unknown zone the user may be about to fix) is still listed.
void mark_settings(const Settings& s)
{
    CheckMenuRadioItem(hMenu, TrayIcon::kCmdCornerFirst, TrayIcon::kCmdCornerFirst + kCorners - 1,
                       TrayIcon::kCmdCornerFirst + static_cast<UINT>(s.corner), MF_BYCOMMAND);
    int scale = kScales - 1;
    for (int i = 0; !s.scale_auto && i < kScales - 1; ++i) {
        if (kScaleHalves[i] == s.scale_halves) {
            scale = i;
        }
    }
    CheckMenuRadioItem(hMenu, TrayIcon::kCmdScaleFirst, TrayIcon::kCmdScaleFirst + kScales - 1,
                       TrayIcon::kCmdScaleFirst + static_cast<UINT>(scale), MF_BYCOMMAND);
    // Every kind with something to show is listed (a text or a zone once
    // set), in the table's order; the last line shown cannot go: a strip
    // with nothing on it could not be found again.
    for (const LineKindRow& row : line_kinds()) {
        const UINT id = TrayIcon::kCmdLineFirst + static_cast<UINT>(line_index(row.kind));
        DeleteMenu(hLines, id, MF_BYCOMMAND);
        const std::string label = row.label(s);
        if (!label.empty()) {
            const bool shown = shows(s, row.kind);
            AppendMenuA(hLines, MF_STRING | (shown ? MF_CHECKED : MF_UNCHECKED) |
                                    (shown && s.lines.size() == 1 ? MF_GRAYED : MF_ENABLED),
                        id, label.c_str());
        }
    }
    CheckMenuItem(hMenu, TrayIcon::kCmdHideOverFullscreen,
                  MF_BYCOMMAND | (s.hide_over_fullscreen ? MF_CHECKED : MF_UNCHECKED));
}

// "#RRGGBB" for a colour the settings hold as 0xRRGGBB.
std::string colour_text(unsigned int rgb)
{
    char text[8];
    (void)std::snprintf(text, sizeof text, "#%06X", rgb & 0xFFFFFFu);
    return text;
}

// Windows' colour dialog on the colour in force; false when cancelled. The
// strip's see-through key colour is refused, as it is in the file.
bool choose_colour(HWND owner, unsigned int* rgb)
{
    static COLORREF custom[16] = {};
    CHOOSECOLORA cc{};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = owner;
    cc.lpCustColors = custom;
    // COLORREF keeps red in its low byte.
    cc.rgbResult = RGB((*rgb >> 16) & 0xFF, (*rgb >> 8) & 0xFF, *rgb & 0xFF);
    cc.Flags = CC_RGBINIT | CC_FULLOPEN;
    for (;;) {
        if (!ChooseColorA(&cc)) {
            return false;
        }
        const unsigned int chosen = (static_cast<unsigned int>(GetRValue(cc.rgbResult)) << 16) |
                                    (static_cast<unsigned int>(GetGValue(cc.rgbResult)) << 8) |
                                    GetBValue(cc.rgbResult);
        if (chosen != kKeyColourRgb) {
            *rgb = chosen;
            return true;
        }
        MessageBoxA(owner, "#080808 is the strip's see-through background: text in it would be invisible. "
                           "Choose another colour.", "Brindlow", MB_ICONWARNING);
    }
}

// The lines to show with one turned on or off, in the order they are shown;
// a line turned on takes its place among them in the default order.
std::vector<LineKind> lines_with(const Settings& s, LineKind kind, bool on)
{
    // The user's order for the lines already shown.
    std::vector<LineKind> ordered;
    for (LineKind k : s.lines) {
        if (k != kind || on) {
            ordered.push_back(k);
        }
    }
    if (on && !shows(s, kind)) {
        std::size_t at = 0;
        while (at < ordered.size() && static_cast<int>(ordered[at]) < static_cast<int>(kind)) {
            ++at;
        }
        ordered.insert(ordered.begin() + static_cast<std::ptrdiff_t>(at), kind);
    }
    return ordered;
}

// The lines as [lines] show writes them.
std::string show_text(const std::vector<LineKind>& lines)
{
    std::string text;
    for (LineKind k : lines) {
        text += (text.empty() ? "" : ", ") + std::string(line_kind(k).name);
    }
    return text;
}

// Shows the menu at the cursor and returns the chosen command, or 0;
// `foreground` is the window that had the foreground before the menu.
UINT track_menu(HWND owner, int hidden, const Settings* settings, bool moving, HWND* foreground)
{
    POINT cursor{};
    GetCursorPos(&cursor);
    *foreground = GetForegroundWindow();
    // Without being the foreground window, the owner never hears that the
    // user clicked elsewhere, and the menu would stay open.
    SetForegroundWindow(owner);
    CheckMenuItem(hMenu, TrayIcon::kCmdHide, MF_BYCOMMAND | (hidden ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuItem(hMenu, TrayIcon::kCmdStartWithWindows,
                  MF_BYCOMMAND | (StartupShortcut::starts_this_copy() ? MF_CHECKED : MF_UNCHECKED));
    mark_settings(settings != nullptr ? *settings : default_settings());
    ModifyMenuA(hMenu, TrayIcon::kCmdMove, MF_BYCOMMAND | MF_STRING, TrayIcon::kCmdMove, moving ? "Done" : "Move...");
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
    HMENU position = CreatePopupMenu();
    for (int i = 0; i < kCorners; ++i) {
        AppendMenuA(position, MF_STRING, kCmdCornerFirst + static_cast<UINT>(i), kCornerItems[i]);
    }
    AppendMenuA(position, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(position, MF_STRING, kCmdMove, "Move...");
    AppendMenuA(hMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(position), "Position");
    HMENU size = CreatePopupMenu();
    for (int i = 0; i < kScales; ++i) {
        AppendMenuA(size, MF_STRING, kCmdScaleFirst + static_cast<UINT>(i), kScaleItems[i]);
    }
    AppendMenuA(hMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(size), "Text size");
    // Its items are listed from the settings each time the menu opens.
    hLines = CreatePopupMenu();
    AppendMenuA(hMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(hLines), "Lines");
    AppendMenuA(hMenu, MF_STRING, kCmdTextColour, "Text colour...");
    AppendMenuA(hMenu, MF_STRING, kCmdShadowColour, "Shadow colour...");
    AppendMenuA(hMenu, MF_STRING, kCmdHideOverFullscreen, "Hide over full-screen programs");
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
    hLines = nullptr;
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
// The shortcut is shared by every copy: one that starts another copy is
// left alone when unticking and re-pointed here when ticking, as the mark
// showed it unticked.
void toggle_start_with_windows()
{
    if (StartupShortcut::starts_this_copy()) {
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

int TrayIcon::change_setting(UINT command)
{
    if (settings_file == nullptr) {
        return -1;
    }
    const Settings current = settings != nullptr ? *settings : default_settings();
    // The settings as the file will say them once the key is written.
    Settings next = current;
    const char* section = "overlay";
    const char* key = nullptr;
    std::string value;
    if (command >= kCmdCornerFirst && command < kCmdCornerFirst + kCorners) {
        key = "corner";
        value = kCornerNames[command - kCmdCornerFirst];
        next.corner = static_cast<Corner>(command - kCmdCornerFirst);
    } else if (command >= kCmdScaleFirst && command < kCmdScaleFirst + kScales) {
        section = "text";
        key = "scale";
        value = kScaleValues[command - kCmdScaleFirst];
        const int halves = kScaleHalves[command - kCmdScaleFirst];
        next.scale_auto = halves == 0;
        next.scale_halves = halves == 0 ? 2 : halves;
    } else if (command >= kCmdLineFirst && command < kCmdLineFirst + kLineKinds) {
        const auto kind = static_cast<LineKind>(command - kCmdLineFirst);
        const bool on = !shows(current, kind);
        if (!on && current.lines.size() <= 1) {
            return 0;
        }
        section = "lines";
        key = "show";
        next.lines = lines_with(current, kind, on);
        value = show_text(next.lines);
    } else if (command == kCmdTextColour || command == kCmdShadowColour) {
        unsigned int rgb = command == kCmdTextColour ? current.colour : current.shadow;
        if (!choose_colour(hwnd, &rgb)) {
            return 0;
        }
        section = "text";
        key = command == kCmdTextColour ? "colour" : "shadow";
        value = colour_text(rgb);
        if (command == kCmdTextColour) {
            next.colour = rgb;
        } else {
            next.shadow = rgb;
            next.shadow_shown = true;
        }
    } else if (command == kCmdHideOverFullscreen) {
        key = "hide_over_fullscreen";
        value = current.hide_over_fullscreen ? "false" : "true";
        next.hide_over_fullscreen = !current.hide_over_fullscreen;
    } else {
        return -1;
    }
    std::string why;
    if (settings_file->set_key(section, key, value, false, &why) != 0) {
        show_balloon("Brindlow settings", why);
        return -1;
    }
    // Applied now because Brindlow made it, not when a change notification
    // comes back: the folder may not be watched at all, and only this key
    // changed.
    if (setting_written) {
        setting_written(next, key);
    }
    return 0;
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
        // NOLINTNEXTLINE(performance-no-int-to-ptr): Win32 stores the pointer in GWLP_USERDATA.
        TrayIcon* self = reinterpret_cast<TrayIcon*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        const bool moving = self != nullptr && self->strip_moving != nullptr && *self->strip_moving;
        HWND foreground = nullptr;
        const UINT command =
            track_menu(hwnd, brindlow_hidden, self != nullptr ? self->settings : nullptr, moving, &foreground);
        if (command == kCmdMove) {
            // The strip's own thread is this one: posted, it starts (or,
            // with 1, is done) once the menu has closed. The keyboard goes
            // back afterwards to the window the user was in, not to this
            // hidden one that the menu made foreground.
            PostMessageA(FindWindowA(MainWindow::kClassName, nullptr), OverlayWindow::kMoveMessage, moving ? 1 : 0,
                         reinterpret_cast<LPARAM>(foreground));
            return 0;
        }
        if (self != nullptr && command >= kCmdCornerFirst && command < kCmdLineFirst + kLineKinds) {
            self->change_setting(command);
            return 0;
        }
        switch (command) {
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
