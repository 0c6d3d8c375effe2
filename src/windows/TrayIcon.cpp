#include "TrayIcon.h"

#include "AboutWindow.h"
#include "DataFolders.h"
#include "StripMessages.h"
#include "SettingsFile.h"
#include "StartupShortcut.h"

#include "Settings.h"
#include "SettingsKeys.h"
#include "StripCore.h"

#include <string>

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
    hwnd = CreateWindowExA(0, kClassName, "", 0, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                           nullptr, instance, nullptr);
    if (hwnd != nullptr) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    taskbar_created_message();
    dialogs.init(&strip_window);

    DataFolders data;
    data.init();
    icon_looked_in = data.describe();
    const std::string icon_path = data.find(kIconFile);
    // No size asked for: the file's first image, which is its 16 x 16 one.
    icon = icon_path.empty()
               ? nullptr
               : static_cast<HICON>(LoadImageA(instance, icon_path.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE));
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

    return menu.init();
}

int TrayIcon::destroy()
{
    hotkey.destroy();
    dialogs.destroy();
    if (hwnd != nullptr) {
        DestroyWindow(hwnd);
    }
    if (nid.hWnd != nullptr) {
        notify(NIM_DELETE);
    }
    if (icon != nullptr) {
        DestroyIcon(icon);
    }
    menu.destroy();
    icon = nullptr;
    hwnd = nullptr;
    nid = NOTIFYICONDATAA{};
    return 0;
}

int TrayIcon::notify(DWORD message) { return Shell_NotifyIconA(message, &nid) ? 0 : -1; }

int TrayIcon::show_balloon(const std::string& title, const std::string& text)
{
    return balloon(title, text, NIIF_WARNING | NIIF_RESPECT_QUIET_TIME);
}

int TrayIcon::show_info(const std::string& title, const std::string& text) { return balloon(title, text, NIIF_INFO); }

int TrayIcon::balloon(const std::string& title, const std::string& text, DWORD flags)
{
    if (icon == nullptr) {
        return -1;
    }
    nid.uFlags |= NIF_INFO;
    nid.dwInfoFlags = flags;
    lstrcpynA(nid.szInfoTitle, title.c_str(), sizeof nid.szInfoTitle);
    lstrcpynA(nid.szInfo, text.c_str(), sizeof nid.szInfo);
    const int result = notify(NIM_MODIFY);
    // Later calls (the icon added again after Explorer restarts) must not
    // show it a second time.
    nid.uFlags &= ~static_cast<UINT>(NIF_INFO);
    return result;
}

std::string TrayIcon::set_hotkey(const std::string& text)
{
    std::string problem = hotkey.set(hwnd, text);
    menu.show_hotkey(hotkey.name);
    return problem;
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
    StartupShortcut::start_this_copy();
}
}

void TrayIcon::hide_strip(int hidden)
{
    strip_hidden = hidden;
    // The strip hides or shows itself: it may be hidden already for another
    // reason, which must not outlast the user's Hide.
    SendMessageA(strip_window, kStripHideMessage, static_cast<WPARAM>(hidden), 0);
}

void TrayIcon::end_modal() { menu.end(); }

void TrayIcon::carry_out(const StripCommands& c)
{
    if (c.register_hotkey) {
        StripEvent registered;
        registered.kind = StripEventKind::HotkeyRegistered;
        registered.problem = set_hotkey(c.hotkey);
        tell(registered);
    }
    for (const Balloon* b : {&c.warning, &c.info}) {
        const bool info = b == &c.info;
        if (!b->text.empty() && (info ? show_info(b->title, b->text) : show_balloon(b->title, b->text)) != 0) {
            StripEvent refused;
            refused.kind = StripEventKind::BalloonRefused;
            refused.key = info ? "info" : "warning";
            tell(refused);
        }
    }
    if (!c.notice.text.empty()) {
        show_balloon(c.notice.title, c.notice.text);
    }
    if (c.close) {
        end_modal();
    }
}

void TrayIcon::tell(const StripEvent& e)
{
    if (strip_window != nullptr) {
        SendMessageA(strip_window, kStripEventMessage, 0, reinterpret_cast<LPARAM>(&e));
    }
}

int TrayIcon::change_setting(UINT command)
{
    if (settings_file == nullptr) {
        return -1;
    }
    const Settings current = settings != nullptr ? *settings : default_settings();
    std::string key;
    std::string value;
    const int found = menu.choice_for(command, current, hwnd, &key, &value);
    if (found != 1) {
        return found;
    }
    // The settings as the file will say them once the key is written: the
    // key's own row reads its value, as it reads the file.
    const SettingsKey* row = settings_key(key);
    Settings next = current;
    if (row == nullptr || !parse_key(row->section, key, value, &next)) {
        return 0;
    }
    // Its item is greyed; a policy set while the menu was open wins all the same.
    if (key_locked(settings_file->locked, key)) {
        return 0;
    }
    std::string why;
    if (settings_file->set_key(row->section, key, value, false, &why) != 0) {
        show_balloon("Brindlow settings", why);
        return -1;
    }
    // Applied now because Brindlow made it, not when a change notification
    // comes back: the folder may not be watched at all, and only this key
    // changed.
    StripEvent written;
    written.kind = StripEventKind::KeyWritten;
    written.settings = next;
    written.key = key;
    tell(written);
    return 0;
}

LRESULT CALLBACK TrayIcon::WndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam)
{
    // NOLINTNEXTLINE(performance-no-int-to-ptr): Win32 stores the pointer in GWLP_USERDATA.
    TrayIcon* self = reinterpret_cast<TrayIcon*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self == nullptr) {
        return DefWindowProcA(hwnd, msg, wparam, lparam);
    }
    switch (msg) {
    case WM_DESTROY: {
        PostQuitMessage(0);
        return 0;
    }
    case WM_HOTKEY: {
        // The menu's Hide Brindlow, from the key (only one is registered).
        self->hide_strip(self->strip_hidden ^ 1);
        return 0;
    }
    case kCallbackMessage: {
        // Without NIM_SETVERSION the low word of lParam is the mouse message.
        // Most users open a notification icon's menu with the right button.
        if (LOWORD(lparam) != WM_LBUTTONUP && LOWORD(lparam) != WM_RBUTTONUP) {
            return 0;
        }
        const bool moving =
            self->strip_window != nullptr && SendMessageA(self->strip_window, kStripMoveMessage, kStripMoveAsk, 0) == 1;
        HWND foreground = nullptr;
        if (self->settings_file != nullptr) {
            self->menu.locked = self->settings_file->locked;
            self->menu.own = self->settings_file->own;
        }
        const UINT command = self->menu.track(hwnd, self->strip_hidden, self->settings, moving, &foreground);
        // Closed by Brindlow's closing: an item chosen in the same moment is not carried out.
        if (self->menu.ending) {
            return 0;
        }
        if (command == TrayMenu::kCmdMove) {
            // A strip to be moved must be seen, and stays so afterwards.
            if (!moving && self->strip_hidden) {
                self->hide_strip(0);
            }
            // The strip's own thread is this one: posted, it starts (or,
            // with 1, is done) once the menu has closed. The keyboard goes
            // back afterwards to the window the user was in, not to this
            // hidden one that the menu made foreground.
            PostMessageA(self->strip_window, kStripMoveMessage, moving ? kStripMoveDone : 0,
                         reinterpret_cast<LPARAM>(foreground));
            return 0;
        }
        if (command >= TrayMenu::kCmdCornerFirst && command <= TrayMenu::kCmdSettingsLast) {
            self->change_setting(command);
            return 0;
        }
        switch (command) {
        case TrayMenu::kCmdAbout: {
            AboutWindow about(hwnd);
            about.show();
            break;
        }
        case TrayMenu::kCmdCheckForUpdates: {
            // An organisation's own page (UpdatePage) instead of the releases'.
            const std::string page = self->menu.own.update_page.empty() ? kUpdatePage : self->menu.own.update_page;
            ShellExecuteA(nullptr, "open", page.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
            break;
        }
        case TrayMenu::kCmdSettings: {
            const std::string path = self->settings_file != nullptr ? self->settings_file->edit_path() : std::string();
            // .ini opens in Notepad unless the user chose another editor.
            if (!path.empty()) {
                ShellExecuteA(nullptr, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
            }
            break;
        }
        case TrayMenu::kCmdStartWithWindows: {
            // Greyed while StartAtLogin keeps it on.
            if (!self->menu.own.start_at_login) {
                toggle_start_with_windows();
            }
            break;
        }
        case TrayMenu::kCmdHide: {
            self->hide_strip(self->strip_hidden ^ 1);
            break;
        }
        case TrayMenu::kCmdClose: {
            // With no strip this lands in the thread's queue addressed to
            // no window, and the dispatch drops it.
            PostMessageA(self->strip_window, WM_CLOSE, 0, 0);
            break;
        }
        }
        return 0;
    }
    }
    if (msg == show_again_message() && msg != 0) {
        // A second start: the user wants the strip back.
        if (self->strip_hidden) {
            self->hide_strip(0);
        }
        return 0;
    }
    if (msg == taskbar_created_message() && msg != 0) {
        if (self->icon != nullptr) {
            self->notify(NIM_ADD);
        }
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wparam, lparam);
}
