#pragma once

#include "Layout.h"
#include "LineKinds.h"
#include "SettingsLayers.h"
#include "SystemReadings.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct Settings;

// The notification icon's menu: built once, marked before each showing from
// the settings as the file says them, and a settings command turned into the
// one key of the settings file it changes.
class TrayMenu {
public:
    static constexpr UINT kCmdAbout = 10001;
    static constexpr UINT kCmdCheckForUpdates = 10002;
    static constexpr UINT kCmdHide = 10003;
    static constexpr UINT kCmdClose = 10004;
    static constexpr UINT kCmdSettings = 10005;
    static constexpr UINT kCmdStartWithWindows = 10006;
    // Settings from the menu, each one key of the settings file.
    static constexpr UINT kCmdCornerFirst = 10007; // top-left, top-right, bottom-left, bottom-right
    static constexpr UINT kCmdMove = 10011;
    static constexpr UINT kCmdScaleFirst = 10012; // 1, 1.5, 2, 3, auto
    static constexpr UINT kCmdTextColour = 10020;
    static constexpr UINT kCmdShadowColour = 10021;
    static constexpr UINT kCmdHideOverFullscreen = 10022;
    static constexpr UINT kCmdOutlineColour = 10023;
    static constexpr UINT kCmdNoOutline = 10024;
    static constexpr UINT kCmdOpacityFirst = 10025; // 100, 80, 60, 40 %
    // One per line kind, by LineKind; room is left for more kinds.
    static constexpr UINT kCmdLineFirst = 10030;
    // Position > Monitor: every monitor, then one per monitor listed, by its
    // place in the list (the first kMonitorItems of them).
    static constexpr UINT kCmdMonitorAll = 10070;
    static constexpr UINT kCmdMonitorFirst = 10071;
    static constexpr UINT kMonitorItems = 16;
    static constexpr UINT kCmdSettingsLast = kCmdMonitorFirst + kMonitorItems - 1;

    HMENU menu = nullptr;
    HMENU lines = nullptr; // the Lines submenu, listed again at each showing
    HMENU monitor_menu = nullptr; // Position > Monitor, listed again at each showing
    // Where the monitors come from at each showing; tests hand in their own.
    std::function<std::vector<MonitorArea>()> read_monitors = enumerate_monitors;
    // The monitors as the menu last listed them: the item chosen names one.
    std::vector<MonitorArea> monitors;
    COLORREF custom_colours[16] = {}; // the colour dialog's own row, kept while Brindlow runs
    bool ending = false; // set by end(): Brindlow is closing, and no dialog opens again
    // What the administrator's policies decide, handed in before each
    // showing: the keys whose items are greyed, the items left out
    // (HideSettings, an empty UpdatePage) and "Start with Windows" kept on.
    std::vector<std::string> locked;
    OwnPolicies own;
    // The items the menu was built with: built again when the policies change them.
    bool built_settings_hidden = false;
    bool built_updates_hidden = false;
    std::string hotkey_name; // shown beside Hide Brindlow, kept for a menu built again

    // Builds the menu and its submenus, leaving out what `own` hides; 0.
    int init();
    // Shows the menu at the cursor and returns the chosen command, or 0;
    // `foreground` is the window that had the foreground before the menu.
    UINT track(HWND owner, int hidden, const Settings* settings, bool moving, HWND* foreground);
    // The key a settings command changes and its new value, from the
    // settings as the file says them (a colour command asks for it, owned
    // by `owner`): 1 with *key and *value set; 0 when there is nothing to
    // write (the dialog was cancelled, or the last line shown would go);
    // -1 for a command that is not a setting.
    int choice_for(UINT command, const Settings& current, HWND owner, std::string* key, std::string* value);
    // Brindlow is closing: the menu, if open, closes without a choice, and
    // every dialog of this thread (About, the colour dialog, a refusal)
    // closes as cancelled.
    void end();
    // Names the key for Hide Brindlow beside it ("Hide Brindlow\tCtrl+Alt+B"); empty: none.
    int show_hotkey(const std::string& name);
    // Destroys the menu; safe when there is none.
    int destroy();

private:
    void mark(const Settings& s);
    // Greys the items of the keys a policy sets.
    void lock();
    // "Settings..." and every item that changes a setting.
    void append_settings_items();
    void list_monitors(const Settings& s);
};
