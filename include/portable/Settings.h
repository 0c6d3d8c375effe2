#pragma once

#include "Countdown.h"
#include "LineKinds.h"
#include "SettingsWords.h"

#include <array>
#include <cstddef>
#include <ctime>
#include <string>
#include <vector>

// What the user may change in brindlow.ini, as plain data. Everything here is
// free of Windows so that it is tested and fuzzed natively; the program only
// finds, watches and reads the file, and applies the result.

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

    bool operator==(const Settings& o) const;
    bool operator!=(const Settings& o) const { return !(*this == o); }
};

// What a load found: the settings (defaults where a value was refused) and
// one sentence per problem, e.g.
// "[overlay] corner = middle: use top-left, top-right, bottom-left or bottom-right".
struct SettingsLoad {
    Settings settings;
    std::vector<std::string> problems;
};

constexpr const char* kSettingsFileName = "brindlow.ini";
// Larger than any real settings file; beyond it the file is not read.
constexpr long long kMaxSettingsBytes = 64LL * 1024LL;
// What a file over kMaxSettingsBytes is reported with, after its path.
constexpr const char* kTooLargeProblem = ": larger than 64 KB; the built-in settings apply";
constexpr std::size_t kMaxFormatLength = 64;
// date_format and time_format: the locale's own short or long way of writing
// it, as Windows writes it.
constexpr const char* kRegionalShort = "short";
constexpr const char* kRegionalLong = "long";
// A line longer than this would make a strip wider than most screens.
constexpr std::size_t kMaxLineLength = 100;

// The built-in settings: today's overlay.
Settings default_settings();
// Parses the text of a settings file (a UTF-8 byte-order mark is skipped).
SettingsLoad parse_settings(const std::string& text);
// The same over settings other than the built-in ones (a computer's
// defaults): a key the text leaves out, or refuses, keeps its value in `base`.
SettingsLoad parse_settings_over(const Settings& base, const std::string& text);
// One key's text as the file would say it, parsed into *s as a load would
// parse it: false, *s unchanged, when the table has no such key or the key
// refuses the text.
bool parse_key(const std::string& section, const std::string& name, const std::string& value, Settings* s);
// Parses a file's bytes as read by the caller (reading at most
// kMaxSettingsBytes + 1 of them is enough): a file over the limit gives the
// defaults and a problem naming `path`.
SettingsLoad settings_from_bytes(const std::string& path, const std::string& bytes);
// The same over `base` (see parse_settings_over); a file over the limit gives `base`.
SettingsLoad settings_from_bytes_over(const Settings& base, const std::string& path, const std::string& bytes);
// A settings file listing every key with its default and what it accepts,
// all commented out.
std::string settings_template();
// Whether a battery pattern is accepted: only its known {fields}, printable
// UTF-8, at most 64 characters; *why is the reason when it is not.
bool check_battery_format(const std::string& pattern, std::string* why);
// Whether a time pattern (see TimeFormat.h) is accepted: printable UTF-8, at
// most 64 characters, known conversions, a line neither empty nor over 100
// characters; *why is the reason when it is not.
bool check_format(const std::string& pattern, std::string* why);
