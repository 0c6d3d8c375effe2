#pragma once

#include "Countdown.h"
#include "SettingsWords.h"

#include <array>
#include <cstddef>
#include <string>
#include <vector>

// What the user may change in brindlow.ini, as plain data. Everything here is
// free of Windows so that it is tested and fuzzed natively; the program only
// finds, watches and reads the file, and applies the result. How a file's
// text becomes these is Settings.h's.

// The kinds of line the strip can show, in the order the menu offers them
// and [lines] show names them; each has its row in the line table
// (LineKinds.cpp), which says how its text is made and drawn. The last kind
// counts them.
enum class LineKind { Date, Time, Battery, Text, Zone1, Zone2, Zone3, Countdown };
constexpr int kLineKinds = static_cast<int>(LineKind::Countdown) + 1;
constexpr int kZones = 3;

// The lines' slots, indexed by LineKind.
constexpr int line_index(LineKind kind) { return static_cast<int>(kind); }

enum class Corner { TopLeft, TopRight, BottomLeft, BottomRight };
enum class Area { Screen, Work };

struct Settings {
    Corner corner;
    int x;
    int y;
    Area area;
    int monitor; // 0: the primary; 1, 2, ...: in the order Windows enumerates them
    std::string monitor_name; // a device or friendly name instead (any case); empty: by number
    bool all_monitors; // a strip on every monitor instead
    bool drift; // steps a pixel at a time round a small square, against burn-in
    unsigned int colour; // 0xRRGGBB
    unsigned int shadow; // 0xRRGGBB
    bool shadow_shown;
    unsigned int outline; // 0xRRGGBB
    bool outline_shown;
    int opacity; // percent, the whole strip's
    int scale_halves; // the text scale in halves: 2 (1), 3 (1.5), 4 (2) or 6 (3)
    bool scale_auto; // follow the monitor's DPI instead
    std::vector<LineKind> lines; // top to bottom
    std::string date_format; // a time pattern, or kRegionalShort / kRegionalLong
    std::string time_format;
    bool hide_over_fullscreen;
    std::string battery_format; // fields in braces: {percent} {source} {state} {left} {saver}
    int low_battery; // 0: off; 1-99: on battery at or below this, the low colour
    unsigned int low_colour; // 0xRRGGBB
    std::string text; // the user's own line, as it stands
    std::array<std::string, kZones> zones; // Windows time-zone names; empty: none
    std::array<std::string, kZones> zone_formats; // time patterns; empty: the zone's label and " %H:%M"
    std::string locale; // a locale name (de-DE) for names and short/long; empty: the user's
    std::string font; // an installed font family; empty: the bundled atlas
    std::string hotkey; // the menu's Hide as a key, as hotkey_name writes it ("Ctrl+Alt+B"); empty: none
    // Programs' file names, upper-cased as Windows compares them: hidden while one is in front.
    std::vector<std::string> hide_when;
    bool hide_on_hover; // hidden while the pointer rests over the strip
    LocalMoment countdown; // the countdown line's moment, on the local clock
    std::string countdown_format; // fields in braces: {days} {hours} {minutes} {seconds} {total_hours}
    std::string countdown_done; // the countdown line once the moment has passed; empty: no line

    // Field by field (see SettingsData.cpp: a field left out there does not compile).
    bool operator==(const Settings& o) const;
    bool operator!=(const Settings& o) const { return !(*this == o); }
};

constexpr std::size_t kMaxFormatLength = 64;
// date_format and time_format: the locale's own short or long way of writing
// it, as Windows writes it.
constexpr const char* kRegionalShort = "short";
constexpr const char* kRegionalLong = "long";
// A line longer than this would make a strip wider than most screens.
constexpr std::size_t kMaxLineLength = 100;
