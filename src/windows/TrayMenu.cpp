#include "TrayMenu.h"

#include "StartupShortcut.h"
#include "WideText.h"

#include "MonitorChoice.h"
#include "Settings.h"
#include "SettingsWords.h"
#include "ZoneRules.h"

#include <commdlg.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {
const char* const kCornerItems[] = {"Top left", "Top right", "Bottom left", "Bottom right"};
const char* const kScaleItems[] = {"Normal", "150 %", "200 %", "300 %", "Follow display scaling"};
const char* const kOpacityItems[] = {"100 %", "80 %", "60 %", "40 %"};
constexpr int kOpacities[] = {100, 80, 60, 40};
constexpr const char* kHideItem = "Hide Brindlow";
constexpr const char* kAllMonitorsItem = "All monitors";
constexpr int kCorners = 4;
constexpr int kScales = 5;
constexpr int kOpacityCount = 4;
static_assert(kCorners == kCornerWordCount && kScales == kScaleWordCount + 1, "a menu item for every word");
static_assert(TrayMenu::kCmdOpacityFirst + kOpacityCount <= TrayMenu::kCmdLineFirst,
              "the opacities' commands stay clear of the line kinds'");
static_assert(TrayMenu::kCmdLineFirst + kLineKinds <= TrayMenu::kCmdMonitorAll,
              "the line kinds' commands stay clear of the monitors'");
static_assert(TrayMenu::kCmdSettingsLast < 10100, "the monitors' commands stay clear of other commands");

bool shows(const Settings& s, LineKind kind)
{
    for (LineKind k : s.lines) {
        if (k == kind) {
            return true;
        }
    }
    return false;
}

// Windows' colour dialog on the colour in force; false when cancelled. The
// strip's see-through key colour is refused, as it is in the file.
bool choose_colour(HWND owner, COLORREF* custom, unsigned int* rgb, const bool& ending)
{
    CHOOSECOLORA cc{};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = owner;
    cc.lpCustColors = custom;
    // COLORREF keeps red in its low byte.
    cc.rgbResult = RGB((*rgb >> 16) & 0xFF, (*rgb >> 8) & 0xFF, *rgb & 0xFF);
    cc.Flags = CC_RGBINIT | CC_FULLOPEN;
    for (;;) {
        // A refusal closed by Brindlow's closing opens no dialog again.
        if (ending || !ChooseColorA(&cc)) {
            return false;
        }
        const unsigned int chosen = (static_cast<unsigned int>(GetRValue(cc.rgbResult)) << 16) |
                                    (static_cast<unsigned int>(GetGValue(cc.rgbResult)) << 8) | GetBValue(cc.rgbResult);
        if (chosen != kKeyColourRgb) {
            *rgb = chosen;
            return true;
        }
        const std::string refusal = colour_text(kKeyColourRgb) +
                                    " is the strip's see-through background: text in it would be invisible. "
                                    "Choose another colour.";
        MessageBoxA(owner, refusal.c_str(), "Brindlow", MB_ICONWARNING);
    }
}

// A modal dialog of this thread (About, the colour dialog, a refusal), ended
// as cancelled: ChooseColor then returns FALSE and nothing is written.
BOOL CALLBACK end_dialog(HWND hwnd, LPARAM)
{
    char cls[16] = {};
    // "#32770": the dialog manager's class, which message boxes and the
    // common dialogs share.
    if (GetClassNameA(hwnd, cls, sizeof cls) > 0 && lstrcmpA(cls, "#32770") == 0) {
        EndDialog(hwnd, 0);
    }
    return TRUE;
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

}

int TrayMenu::init()
{
    built_settings_hidden = own.settings_hidden;
    built_updates_hidden = own.updates_hidden;
    menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, kCmdAbout, "About Brindlow");
    if (!own.updates_hidden) {
        AppendMenuA(menu, MF_STRING, kCmdCheckForUpdates, "Check For Updates");
    }
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    // A locked kiosk: nothing on the menu changes a setting.
    if (!own.settings_hidden) {
        append_settings_items();
        AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    }
    AppendMenuA(menu, MF_STRING, kCmdHide, kHideItem);
    AppendMenuA(menu, MF_STRING, kCmdClose, "Close");
    return 0;
}

void TrayMenu::append_settings_items()
{
    AppendMenuA(menu, MF_STRING, kCmdSettings, "Settings...");
    HMENU position = CreatePopupMenu();
    for (int i = 0; i < kCorners; ++i) {
        AppendMenuA(position, MF_STRING, kCmdCornerFirst + static_cast<UINT>(i), kCornerItems[i]);
    }
    AppendMenuA(position, MF_SEPARATOR, 0, nullptr);
    // Its items are listed from the monitors connected each time the menu opens.
    monitor_menu = CreatePopupMenu();
    AppendMenuA(position, MF_POPUP, reinterpret_cast<UINT_PTR>(monitor_menu), "Monitor");
    AppendMenuA(position, MF_STRING, kCmdMove, "Move...");
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(position), "Position");
    HMENU size = CreatePopupMenu();
    for (int i = 0; i < kScales; ++i) {
        AppendMenuA(size, MF_STRING, kCmdScaleFirst + static_cast<UINT>(i), kScaleItems[i]);
    }
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(size), "Text size");
    // Its items are listed from the settings each time the menu opens.
    lines = CreatePopupMenu();
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(lines), "Lines");
    HMENU opacity = CreatePopupMenu();
    for (int i = 0; i < kOpacityCount; ++i) {
        AppendMenuA(opacity, MF_STRING, kCmdOpacityFirst + static_cast<UINT>(i), kOpacityItems[i]);
    }
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(opacity), "Opacity");
    AppendMenuA(menu, MF_STRING, kCmdTextColour, "Text colour...");
    AppendMenuA(menu, MF_STRING, kCmdShadowColour, "Shadow colour...");
    AppendMenuA(menu, MF_STRING, kCmdOutlineColour, "Outline colour...");
    AppendMenuA(menu, MF_STRING, kCmdNoOutline, "No outline");
    AppendMenuA(menu, MF_STRING, kCmdHideOverFullscreen, "Hide over full-screen programs");
    AppendMenuA(menu, MF_STRING, kCmdStartWithWindows, "Start with Windows");
}

// The marks show what the file says, whoever changed it last: a line left
// out (an unknown zone the user may be about to fix) is still listed.
void TrayMenu::mark(const Settings& s)
{
    CheckMenuRadioItem(menu, kCmdCornerFirst, kCmdCornerFirst + kCorners - 1,
                       kCmdCornerFirst + static_cast<UINT>(s.corner), MF_BYCOMMAND);
    int scale = kScales - 1;
    for (int i = 0; !s.scale_auto && i < kScales - 1; ++i) {
        if (kScaleWords[i].halves == s.scale_halves) {
            scale = i;
        }
    }
    CheckMenuRadioItem(menu, kCmdScaleFirst, kCmdScaleFirst + kScales - 1, kCmdScaleFirst + static_cast<UINT>(scale),
                       MF_BYCOMMAND);
    // Every kind with something to show is listed (a text or a zone once
    // set), in the table's order; the last line shown cannot go: a strip
    // with nothing on it could not be found again.
    for (const LineKindRow& row : line_kinds()) {
        const UINT id = kCmdLineFirst + static_cast<UINT>(line_index(row.kind));
        DeleteMenu(lines, id, MF_BYCOMMAND);
        const std::string label = row.label(s);
        if (!label.empty()) {
            const bool shown = shows(s, row.kind);
            // The W form: a line of the user's own, or a zone's name, may be
            // in any script, which the A form would turn into the code page's.
            AppendMenuW(lines,
                        MF_STRING | (shown ? MF_CHECKED : MF_UNCHECKED) |
                            ((shown && s.lines.size() == 1) || key_locked(locked, "show") ? MF_GRAYED : MF_ENABLED),
                        id, widen(label).c_str());
        }
    }
    list_monitors(s);
    CheckMenuItem(menu, kCmdHideOverFullscreen, MF_BYCOMMAND | (s.hide_over_fullscreen ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuItem(menu, kCmdNoOutline, MF_BYCOMMAND | (s.outline_shown ? MF_UNCHECKED : MF_CHECKED));
    // An opacity the menu does not list (a file's own 70) marks none.
    for (int i = 0; i < kOpacityCount; ++i) {
        const UINT id = kCmdOpacityFirst + static_cast<UINT>(i);
        CheckMenuItem(menu, id, MF_BYCOMMAND | MF_UNCHECKED);
        if (s.opacity == kOpacities[i]) {
            CheckMenuRadioItem(menu, kCmdOpacityFirst, kCmdOpacityFirst + kOpacityCount - 1, id, MF_BYCOMMAND);
        }
    }
}

// Monitors come and go while Brindlow runs, so they are read at each
// showing. The mark is the monitor in force, and none when the file names
// one that is not connected: the strip stands in on the primary until it is.
void TrayMenu::list_monitors(const Settings& s)
{
    monitors = read_monitors ? read_monitors() : std::vector<MonitorArea>();
    if (monitors.size() > kMonitorItems) {
        monitors.resize(kMonitorItems);
    }
    while (GetMenuItemCount(monitor_menu) > 0) {
        DeleteMenu(monitor_menu, 0, MF_BYPOSITION);
    }
    AppendMenuA(monitor_menu, MF_STRING, kCmdMonitorAll, kAllMonitorsItem);
    AppendMenuA(monitor_menu, MF_SEPARATOR, 0, nullptr);
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        AppendMenuW(monitor_menu, MF_STRING, kCmdMonitorFirst + static_cast<UINT>(i),
                    widen(monitor_label(monitors, i)).c_str());
    }
    const MonitorChoice choice = choose_monitors(s, monitors);
    UINT marked = 0;
    if (s.all_monitors) {
        marked = kCmdMonitorAll;
    } else if (!choice.missing && !choice.chosen.empty()) {
        marked = kCmdMonitorFirst + static_cast<UINT>(choice.chosen.front());
    }
    if (marked != 0) {
        CheckMenuRadioItem(monitor_menu, marked, marked, marked, MF_BYCOMMAND);
    }
}

void TrayMenu::lock()
{
    // Each item, with the keys it writes: Move... writes the place's four.
    struct KeyItems {
        const char* key;
        UINT first;
        UINT count;
    };
    const KeyItems items[] = {
        {"corner", kCmdCornerFirst, kCorners},
        {"corner", kCmdMove, 1},
        {"x", kCmdMove, 1},
        {"y", kCmdMove, 1},
        {"monitor", kCmdMove, 1},
        {"monitor", kCmdMonitorAll, 1},
        {"monitor", kCmdMonitorFirst, kMonitorItems},
        {"scale", kCmdScaleFirst, kScales},
        {"colour", kCmdTextColour, 1},
        {"shadow", kCmdShadowColour, 1},
        {"outline", kCmdOutlineColour, 1},
        {"outline", kCmdNoOutline, 1},
        {"opacity", kCmdOpacityFirst, kOpacityCount},
        {"hide_over_fullscreen", kCmdHideOverFullscreen, 1},
    };
    // Enabled first, then greyed: an item of several keys is greyed when any is locked.
    for (const KeyItems& k : items) {
        for (UINT id = k.first; id < k.first + k.count; ++id) {
            EnableMenuItem(menu, id, MF_BYCOMMAND | MF_ENABLED);
        }
    }
    for (const KeyItems& k : items) {
        for (UINT id = k.first; key_locked(locked, k.key) && id < k.first + k.count; ++id) {
            EnableMenuItem(menu, id, MF_BYCOMMAND | MF_GRAYED);
        }
    }
}

UINT TrayMenu::track(HWND owner, int hidden, const Settings* settings, bool moving, HWND* foreground)
{
    POINT cursor{};
    GetCursorPos(&cursor);
    *foreground = GetForegroundWindow();
    // Without being the foreground window, the owner never hears that the
    // user clicked elsewhere, and the menu would stay open.
    SetForegroundWindow(owner);
    if (own.settings_hidden != built_settings_hidden || own.updates_hidden != built_updates_hidden) {
        destroy();
        init();
        show_hotkey(hotkey_name);
    }
    CheckMenuItem(menu, kCmdHide, MF_BYCOMMAND | (hidden ? MF_CHECKED : MF_UNCHECKED));
    if (!own.settings_hidden) {
        // StartAtLogin makes sure of the shortcut at every start: on, and not the user's to turn off.
        CheckMenuItem(menu, kCmdStartWithWindows,
                      MF_BYCOMMAND |
                          (own.start_at_login || StartupShortcut::starts_this_copy() ? MF_CHECKED : MF_UNCHECKED));
        EnableMenuItem(menu, kCmdStartWithWindows, MF_BYCOMMAND | (own.start_at_login ? MF_GRAYED : MF_ENABLED));
        mark(settings != nullptr ? *settings : default_settings());
        ModifyMenuA(menu, kCmdMove, MF_BYCOMMAND | MF_STRING, kCmdMove, moving ? "Done" : "Move...");
        lock();
    }
    const UINT command =
        static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, owner, nullptr));
    // Forces a task switch to the owner so that the menu works the next time
    // it is opened, not only every other time.
    PostMessageA(owner, WM_NULL, 0, 0);
    return command;
}

int TrayMenu::choice_for(UINT command, const Settings& current, HWND owner, std::string* key, std::string* value)
{
    if (command >= kCmdCornerFirst && command < kCmdCornerFirst + kCorners) {
        *key = "corner";
        *value = kCornerWords[command - kCmdCornerFirst];
    } else if (command >= kCmdScaleFirst && command < kCmdScaleFirst + kScales) {
        *key = "scale";
        const int scale = static_cast<int>(command - kCmdScaleFirst);
        *value = scale < kScaleWordCount ? kScaleWords[scale].name : kScaleAutoWord;
    } else if (command >= kCmdLineFirst && command < kCmdLineFirst + kLineKinds) {
        const auto kind = static_cast<LineKind>(command - kCmdLineFirst);
        const bool on = !shows(current, kind);
        if (!on && current.lines.size() <= 1) {
            return 0;
        }
        *key = "show";
        *value = show_text(lines_with(current, kind, on));
    } else if (command == kCmdTextColour || command == kCmdShadowColour || command == kCmdOutlineColour) {
        unsigned int rgb = command == kCmdTextColour     ? current.colour
                           : command == kCmdShadowColour ? current.shadow
                                                         : current.outline;
        if (!choose_colour(owner, custom_colours, &rgb, ending)) {
            return 0;
        }
        *key = command == kCmdTextColour ? "colour" : command == kCmdShadowColour ? "shadow" : "outline";
        *value = colour_text(rgb);
    } else if (command == kCmdNoOutline) {
        *key = "outline";
        *value = "none";
    } else if (command >= kCmdOpacityFirst && command < kCmdOpacityFirst + kOpacityCount) {
        *key = "opacity";
        *value = std::to_string(kOpacities[command - kCmdOpacityFirst]);
    } else if (command == kCmdMonitorAll ||
               (command >= kCmdMonitorFirst && command - kCmdMonitorFirst < monitors.size())) {
        // By name where the monitor has one, so that the choice stays with
        // it when Windows numbers the monitors another way.
        *key = "monitor";
        *value = command == kCmdMonitorAll ? std::string(kAllMonitorsWord)
                                           : monitor_word(monitors, command - kCmdMonitorFirst);
    } else if (command == kCmdHideOverFullscreen) {
        *key = "hide_over_fullscreen";
        *value = current.hide_over_fullscreen ? "false" : "true";
    } else {
        return -1;
    }
    return 1;
}

void TrayMenu::end()
{
    ending = true;
    // A close request arrives while TrackPopupMenu's loop runs, which
    // dispatches it but never ends for it: the loop ends only when told.
    EndMenu();
    // Dialogs are found rather than remembered: Windows makes the message
    // boxes and the colour dialog inside calls that return only once they close.
    EnumThreadWindows(GetCurrentThreadId(), end_dialog, 0);
}

int TrayMenu::show_hotkey(const std::string& name)
{
    // A tab puts the key at the menu's right edge, where Windows shows keys.
    hotkey_name = name;
    const std::string item = name.empty() ? std::string(kHideItem) : std::string(kHideItem) + "\t" + name;
    ModifyMenuA(menu, kCmdHide, MF_BYCOMMAND | MF_STRING, kCmdHide, item.c_str());
    return 0;
}

int TrayMenu::destroy()
{
    // The submenus go with the menu that holds them.
    if (menu != nullptr) {
        DestroyMenu(menu);
    }
    menu = nullptr;
    lines = nullptr;
    monitor_menu = nullptr;
    return 0;
}
