#include "TrayMenu.h"

#include "StartupShortcut.h"

#include "Settings.h"
#include "SettingsWords.h"
#include "ZoneRules.h"

#include <commdlg.h>

#include <cstdio>
#include <string>
#include <vector>

static HMENU hMenu = nullptr;
static HMENU hLines = nullptr;

namespace {
const char* const kCornerItems[] = {"Top left", "Top right", "Bottom left", "Bottom right"};
const char* const kScaleItems[] = {"Normal", "150 %", "200 %", "300 %", "Follow display scaling"};
const LineKind kMenuLines[] = {LineKind::Date, LineKind::Time, LineKind::Battery};
const char* const kLineNames[] = {"date", "time", "battery", "text", "zone1", "zone2", "zone3"}; // by LineKind
const char* const kLineItems[] = {"Date", "Time", "Battery"};
constexpr int kCorners = 4;
constexpr int kScales = 5;
static_assert(kCorners == kCornerWordCount && kScales == kScaleWordCount + 1, "a menu item for every word");
constexpr int kLines = 3;

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
    CheckMenuRadioItem(hMenu, TrayMenu::kCmdCornerFirst, TrayMenu::kCmdCornerFirst + kCorners - 1,
                       TrayMenu::kCmdCornerFirst + static_cast<UINT>(s.corner), MF_BYCOMMAND);
    int scale = kScales - 1;
    for (int i = 0; !s.scale_auto && i < kScales - 1; ++i) {
        if (kScaleWords[i].halves == s.scale_halves) {
            scale = i;
        }
    }
    CheckMenuRadioItem(hMenu, TrayMenu::kCmdScaleFirst, TrayMenu::kCmdScaleFirst + kScales - 1,
                       TrayMenu::kCmdScaleFirst + static_cast<UINT>(scale), MF_BYCOMMAND);
    for (int i = 0; i < kLines; ++i) {
        const UINT id = TrayMenu::kCmdLineFirst + static_cast<UINT>(i);
        const bool shown = shows(s, kMenuLines[i]);
        CheckMenuItem(hMenu, id, MF_BYCOMMAND | (shown ? MF_CHECKED : MF_UNCHECKED));
        // The last line shown cannot go: a strip with nothing on it could not be found again.
        EnableMenuItem(hMenu, id, MF_BYCOMMAND | (shown && s.lines.size() == 1 ? MF_GRAYED : MF_ENABLED));
    }
    // The user's own line and the zones' are listed once they are set.
    DeleteMenu(hLines, TrayMenu::kCmdLineText, MF_BYCOMMAND);
    for (int z = 0; z < kZones; ++z) {
        DeleteMenu(hLines, TrayMenu::kCmdLineZoneFirst + static_cast<UINT>(z), MF_BYCOMMAND);
    }
    auto list = [&s](LineKind kind, UINT id, const std::string& text) {
        const bool shown = shows(s, kind);
        AppendMenuA(hLines, MF_STRING | (shown ? MF_CHECKED : MF_UNCHECKED) |
                                (shown && s.lines.size() == 1 ? MF_GRAYED : MF_ENABLED),
                    id, text.c_str());
    };
    if (!s.text.empty()) {
        list(LineKind::Text, TrayMenu::kCmdLineText, "Text");
    }
    for (int z = 0; z < kZones; ++z) {
        if (!s.zones[z].empty()) {
            list(static_cast<LineKind>(static_cast<int>(LineKind::Zone1) + z),
                 TrayMenu::kCmdLineZoneFirst + static_cast<UINT>(z), zone_label(s.zones[z]));
        }
    }
    CheckMenuItem(hMenu, TrayMenu::kCmdHideOverFullscreen,
                  MF_BYCOMMAND | (s.hide_over_fullscreen ? MF_CHECKED : MF_UNCHECKED));
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
        const std::string refusal = colour_text(kKeyColourRgb) +
                                    " is the strip's see-through background: text in it would be invisible. "
                                    "Choose another colour.";
        MessageBoxA(owner, refusal.c_str(), "Brindlow", MB_ICONWARNING);
    }
}

// The lines to show with one turned on or off, in the order they are shown;
// a line turned on takes its place among them in the default order.
std::string lines_with(const Settings& s, LineKind kind, bool on)
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
    std::string text;
    for (LineKind k : ordered) {
        text += (text.empty() ? "" : ", ") + std::string(kLineNames[static_cast<int>(k)]);
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
    CheckMenuItem(hMenu, TrayMenu::kCmdHide, MF_BYCOMMAND | (hidden ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuItem(hMenu, TrayMenu::kCmdStartWithWindows,
                  MF_BYCOMMAND | (StartupShortcut::starts_this_copy() ? MF_CHECKED : MF_UNCHECKED));
    mark_settings(settings != nullptr ? *settings : default_settings());
    ModifyMenuA(hMenu, TrayMenu::kCmdMove, MF_BYCOMMAND | MF_STRING, TrayMenu::kCmdMove, moving ? "Done" : "Move...");
    const UINT command = static_cast<UINT>(TrackPopupMenu(
        hMenu, TPM_RETURNCMD | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, owner, nullptr));
    // Forces a task switch to the owner so that the menu works the next time
    // it is opened, not only every other time.
    PostMessageA(owner, WM_NULL, 0, 0);
    return command;
}
}

int TrayMenu::init()
{
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
    hLines = CreatePopupMenu();
    for (int i = 0; i < kLines; ++i) {
        AppendMenuA(hLines, MF_STRING, kCmdLineFirst + static_cast<UINT>(i), kLineItems[i]);
    }
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

UINT TrayMenu::track(HWND owner, int hidden, const Settings* settings, bool moving, HWND* foreground)
{
    return track_menu(owner, hidden, settings, moving, foreground);
}

int TrayMenu::setting_for(UINT command, const Settings& current, HWND owner, const char** section, const char** key,
                          std::string* value)
{
    if (command >= kCmdCornerFirst && command < kCmdCornerFirst + kCorners) {
        *key = "corner";
        *value = kCornerWords[command - kCmdCornerFirst];
    } else if (command >= kCmdScaleFirst && command < kCmdScaleFirst + kScales) {
        *section = "text";
        *key = "scale";
        const int scale = static_cast<int>(command - kCmdScaleFirst);
        *value = scale < kScaleWordCount ? kScaleWords[scale].name : kScaleAutoWord;
    } else if ((command >= kCmdLineFirst && command < kCmdLineFirst + kLines) || command == kCmdLineText ||
               (command >= kCmdLineZoneFirst && command < kCmdLineZoneFirst + kZones)) {
        const LineKind kind =
            command == kCmdLineText ? LineKind::Text
            : command >= kCmdLineZoneFirst
                ? static_cast<LineKind>(static_cast<int>(LineKind::Zone1) + static_cast<int>(command - kCmdLineZoneFirst))
                : kMenuLines[command - kCmdLineFirst];
        const bool on = !shows(current, kind);
        if (!on && current.lines.size() <= 1) {
            return 0;
        }
        *section = "lines";
        *key = "show";
        *value = lines_with(current, kind, on);
    } else if (command == kCmdTextColour || command == kCmdShadowColour) {
        unsigned int rgb = command == kCmdTextColour ? current.colour : current.shadow;
        if (!choose_colour(owner, &rgb)) {
            return 0;
        }
        *section = "text";
        *key = command == kCmdTextColour ? "colour" : "shadow";
        *value = colour_text(rgb);
    } else if (command == kCmdHideOverFullscreen) {
        *key = "hide_over_fullscreen";
        *value = current.hide_over_fullscreen ? "false" : "true";
    } else {
        return -1;
    }
    return 1;
}

int TrayMenu::destroy()
{
    if (hMenu != nullptr) {
        DestroyMenu(hMenu);
    }
    hMenu = nullptr;
    hLines = nullptr;
    return 0;
}
