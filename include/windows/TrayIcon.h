#pragma once

#include <windows.h>
#include <shellapi.h>

#include "DialogPlacement.h"
#include "StripCore.h"
#include "GlobalHotkey.h"
#include "TrayMenu.h"

#include <functional>
#include <string>

class SettingsFile;
struct Settings;

// The notification-area icon, the user's only handle on the program: a click
// opens its menu (TrayMenu) and carries out the command chosen, and it shows
// the settings' problems as a balloon. Its hidden window lives on the thread
// that calls init, whose message loop serves it: the strip's. Main hands it
// the strip's window, which the menu's commands are posted to.
class TrayIcon {
public:
    static constexpr const char* kClassName = "TRAY_ICON_CLASSNAME";
    static constexpr const char* kIconFile = "icon.ico";
    static constexpr const char* kTooltip = "Brindlow is Running...";
    // The releases' page, made from the CMake cache variable BRINDLOW_RELEASE_URL.
    static constexpr const char* kUpdatePage = BRINDLOW_UPDATE_PAGE;
    static constexpr UINT kIconId = 1;
    static constexpr UINT kCallbackMessage = WM_USER + 1;
    // Sent by a second copy to the first's hidden window: show the strip.
    static constexpr const char* kShowAgainMessage = "BrindlowShowAgain";

    NOTIFYICONDATAA nid{};
    TrayMenu menu;
    // The menu's Hide Brindlow as a key: registered on the icon's window,
    // whose procedure carries out Hide.
    GlobalHotkey hotkey;
    // Every dialog the icon opens (About, the colour dialog, its refusals)
    // placed clear of the strip.
    DialogPlacement dialogs;
    HWND hwnd = nullptr;
    HICON icon = nullptr;
    SettingsFile* settings_file = nullptr; // not owned; "Settings..." opens its file, the menu edits it
    const Settings* settings = nullptr; // not owned: the settings as the file says them, for the menu
    HWND strip_window = nullptr; // the strip: hidden, shown, moved and closed
    int strip_hidden = 0; // 1 while the menu's "Hide Brindlow" keeps the strip hidden
    std::string icon_looked_in; // the folders searched for icon.ico, for a report

    // 0, or -1 when "icon.ico" (in the working directory, else beside the
    // program) cannot be loaded: then neither the notification icon nor the
    // menu exists, and icon_looked_in says where it was looked for.
    int init();
    // Removes the icon and releases every handle; safe after a failed init.
    int destroy();
    // Every Shell_NotifyIconA call goes through here: 0, or -1 when the
    // shell refused it (as it does before the taskbar exists at login).
    int notify(DWORD message);
    // A warning balloon from the icon that respects the user's quiet time
    // (it does not come from something the user did); 0, or -1.
    int show_balloon(const std::string& title, const std::string& text);
    // An information balloon the user's own start asked for (quiet time or not).
    int show_info(const std::string& title, const std::string& text);
    // Either, with the shell's NIIF_ flags.
    int balloon(const std::string& title, const std::string& text, DWORD flags);

    // Makes `text` ([overlay] hotkey; empty: none) the key for Hide
    // Brindlow, shown beside the menu's item; empty, or the problem when
    // another program holds the key.
    std::string set_hotkey(const std::string& text);

    // The menu's Hide Brindlow, its key and a second start: the strip hidden
    // (1) or shown (0), a move ending first.
    void hide_strip(int hidden);

    // Brindlow is closing: its menu and every dialog it shows close, and
    // nothing chosen in them is carried out.
    void end_modal();
    // Carries out the strip's commands for the icon: the hotkey registered,
    // the balloons shown, Brindlow closing; what it met is told back to the
    // strip as events (the hotkey's problem, a balloon refused).
    void carry_out(const StripCommands& c);
    // Tells the strip's core an event (sent: it is taken before this returns).
    void tell(const StripEvent& e);

    // Carries out one of the menu's settings commands: one key of the
    // settings file changed, and the strip told at once (kStripKeyWrittenMessage).
    int change_setting(UINT command);

    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
};

// The registered message named TrayIcon::kShowAgainMessage.
UINT show_again_message();
