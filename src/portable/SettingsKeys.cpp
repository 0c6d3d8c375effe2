#include "SettingsKeys.h"

#include "SettingsValues.h"

#include "HotkeyNames.h"
#include "LineKinds.h"
#include "Problem.h"
#include "ProgramList.h"
#include "SettingsChecks.h"
#include "TextEncoding.h"
#include "TextTrim.h"
#include "TimeFormat.h"
#include "Utf8.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <utility>

namespace {
constexpr int kMaxOffset = 10000;
// Windows' longest locale name (LOCALE_NAME_MAX_LENGTH, less its terminator).
constexpr std::size_t kMaxLocaleName = 84;
// A LOGFONT's face name holds 31 characters and its terminator.
constexpr std::size_t kMaxFontFamily = 31;
// Fainter than a fifth, the strip could be lost on the screen.
constexpr int kLeastOpacity = 20;
constexpr int kFullOpacity = 100;
constexpr int kMaxMonitorNumber = 64;
// The battery line turns low_colour at or below this percentage; 0 is off.
constexpr int kMaxLowBattery = 99;

bool parse_corner(const std::string& v, Settings& s) { return parse_corner_word(v, &s.corner); }

bool parse_x(const std::string& v, Settings& s) { return parse_int(v, 0, kMaxOffset, &s.x); }
bool parse_y(const std::string& v, Settings& s) { return parse_int(v, 0, kMaxOffset, &s.y); }

bool parse_area(const std::string& v, Settings& s)
{
    if (v == "screen" || v == "work") {
        s.area = v == "screen" ? Area::Screen : Area::Work;
        return true;
    }
    return false;
}

bool parse_monitor(const std::string& v, Settings& s)
{
    s.monitor = 0;
    s.monitor_name.clear();
    s.all_monitors = v == kAllMonitorsWord;
    if (v == kPrimaryMonitorWord || s.all_monitors) {
        return true;
    }
    // Digits are a number, never a name: "0" is a mistake, not a monitor.
    if (!v.empty() && v.find_first_not_of("0123456789") == std::string::npos) {
        return parse_int(v, 1, kMaxMonitorNumber, &s.monitor);
    }
    return parse_printable(v, kMaxMonitorName, &s.monitor_name);
}

bool parse_colour(const std::string& v, Settings& s) { return parse_shown_rgb(v, &s.colour); }

bool parse_shadow(const std::string& v, Settings& s)
{
    if (v == "none") {
        s.shadow_shown = false;
        return true;
    }
    if (!parse_shown_rgb(v, &s.shadow)) {
        return false;
    }
    s.shadow_shown = true;
    return true;
}

bool parse_outline(const std::string& v, Settings& s)
{
    if (v == "none") {
        s.outline_shown = false;
        return true;
    }
    if (!parse_shown_rgb(v, &s.outline)) {
        return false;
    }
    s.outline_shown = true;
    return true;
}

bool parse_opacity(const std::string& v, Settings& s) { return parse_int(v, kLeastOpacity, kFullOpacity, &s.opacity); }

bool parse_scale(const std::string& v, Settings& s)
{
    for (const ScaleWord& k : kScaleWords) {
        if (v == k.name) {
            s.scale_halves = k.halves;
            s.scale_auto = false;
            return true;
        }
    }
    if (v == kScaleAutoWord) {
        s.scale_halves = kScaleWords[0].halves;
        s.scale_auto = true;
        return true;
    }
    return false;
}

bool parse_show(const std::string& v, Settings& s)
{
    std::vector<LineKind> lines;
    std::size_t start = 0;
    while (start <= v.size()) {
        std::size_t comma = v.find(',', start);
        if (comma == std::string::npos) {
            comma = v.size();
        }
        const std::string word = trim(v.substr(start, comma - start));
        LineKind kind = LineKind::Date;
        if (!line_kind_named(word, &kind)) {
            return false;
        }
        if (std::find(lines.begin(), lines.end(), kind) != lines.end()) {
            return false;
        }
        lines.push_back(kind);
        start = comma + 1;
    }
    s.lines = lines;
    return true;
}

bool parse_format(const std::string& value, std::string* out)
{
    if (value != kRegionalShort && value != kRegionalLong && !check_format(value, nullptr)) {
        return false;
    }
    *out = value;
    return true;
}

bool parse_date_format(const std::string& v, Settings& s) { return parse_format(v, &s.date_format); }
bool parse_time_format(const std::string& v, Settings& s) { return parse_format(v, &s.time_format); }

bool parse_battery_format(const std::string& v, Settings& s)
{
    if (!check_battery_format(v, nullptr)) {
        return false;
    }
    s.battery_format = v;
    return true;
}

bool parse_low_battery(const std::string& v, Settings& s) { return parse_int(v, 0, kMaxLowBattery, &s.low_battery); }
bool parse_low_colour(const std::string& v, Settings& s) { return parse_shown_rgb(v, &s.low_colour); }

bool parse_text(const std::string& v, Settings& s) { return parse_printable(v, kMaxLineLength, &s.text); }

template <int N> bool parse_zone(const std::string& v, Settings& s)
{
    if (!printable_ascii(v, kMaxFormatLength)) {
        return false;
    }
    s.zones[N] = v;
    return true;
}

template <int N> bool parse_zone_format(const std::string& v, Settings& s)
{
    // Windows' own short and long forms are the local clock's only: a zone
    // line given one would be empty.
    if (v == kRegionalShort || v == kRegionalLong || (!v.empty() && !check_format(v, nullptr))) {
        return false;
    }
    s.zone_formats[N] = v;
    return true;
}

bool parse_hide_over_fullscreen(const std::string& v, Settings& s) { return parse_bool(v, &s.hide_over_fullscreen); }
bool parse_drift(const std::string& v, Settings& s) { return parse_bool(v, &s.drift); }

// Only the form of a name: whether Windows knows it is the Windows side's
// to ask.
bool parse_locale(const std::string& v, Settings& s)
{
    if (v.size() > kMaxLocaleName ||
        v.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_") != std::string::npos) {
        return false;
    }
    s.locale = v;
    return true;
}

bool parse_font(const std::string& v, Settings& s) { return parse_printable(v, kMaxFontFamily, &s.font); }

bool parse_hotkey_key(const std::string& v, Settings& s)
{
    HotkeyCombo combo;
    if (!parse_hotkey(v, &combo, nullptr)) {
        return false;
    }
    s.hotkey = hotkey_name(combo);
    return true;
}

bool parse_hide_when(const std::string& v, Settings& s) { return parse_program_list(v, &s.hide_when, nullptr); }
bool parse_hide_on_hover(const std::string& v, Settings& s) { return parse_bool(v, &s.hide_on_hover); }
bool parse_countdown(const std::string& v, Settings& s) { return parse_moment(v, &s.countdown, nullptr); }

bool parse_countdown_format(const std::string& v, Settings& s)
{
    if (!check_countdown_format(v, nullptr)) {
        return false;
    }
    s.countdown_format = v;
    return true;
}

bool parse_countdown_done(const std::string& v, Settings& s)
{
    return parse_printable(v, kMaxLineLength, &s.countdown_done);
}

// "a, b, c or d"
std::string either(const char* const* words, int count)
{
    std::string out = words[0];
    for (int i = 1; i < count; ++i) {
        out += (i == count - 1 ? " or " : ", ") + std::string(words[i]);
    }
    return out;
}

// The scales and the DPI each stands for (96 is 1).
std::string scales_accepted()
{
    constexpr int kDpiPerHalf = 48;
    std::string names, dpis;
    for (const ScaleWord& k : kScaleWords) {
        names += std::string(k.name) + ", ";
        dpis += (dpis.empty() ? std::to_string(k.halves * kDpiPerHalf) + " gives "
                              : ", " + std::to_string(k.halves * kDpiPerHalf) + " ") +
                k.name;
    }
    return names + "or " + kScaleAutoWord + ": the monitor's DPI (" + dpis + "); a change to or from " +
           kScaleAutoWord + " applies at once";
}

const std::string kKeyColour = colour_text(kKeyColourRgb);

constexpr const char* kFormatAccepted =
    "short or long (the locale's own way of writing it), or a pattern of at most 64 characters with any of "
    "%a %A (day), %b %B (month), %d %e %m %y %Y %j, %H %I %M %S %p, %F (%Y-%m-%d), %T (%H:%M:%S), %R (%H:%M), "
    "%u %w, %U %W %V (weeks; %V ISO), %G (ISO year), %c %x %X, %z %Z and %%; %#I or %-I drops a number's "
    "leading zero; names follow [text] locale";
constexpr const char* kZoneFormatAccepted =
    "the whole line, a pattern as for time_format (not short or long); empty: the zone's short name and %H:%M";

// The line kinds' names as the table of kinds has them.
const std::string kShowAccepted = "any of " + line_names_text() + ", each at most once, top to bottom, at least one";

KeyShape on_off() { return KeyShape{KeyKind::OnOff, {}, 0, 0}; }
KeyShape any_text() { return KeyShape{KeyKind::Text, {}, 0, 0}; }
KeyShape number(int least, int most) { return KeyShape{KeyKind::Number, {}, least, most}; }
KeyShape choice(std::vector<std::string> words) { return KeyShape{KeyKind::Choice, std::move(words), 0, 0}; }

// The scales' words as the scale key takes them.
std::vector<std::string> scale_words()
{
    std::vector<std::string> words;
    for (const ScaleWord& k : kScaleWords) {
        words.emplace_back(k.name);
    }
    words.emplace_back(kScaleAutoWord);
    return words;
}

// The one list of keys: defaults, parsing, unknown-key reports and the
// template all come from it.
const SettingsKey kKeys[] = {
    {"overlay", "corner", kCornerWords[0], either(kCornerWords, kCornerWordCount), parse_corner,
     choice(std::vector<std::string>(std::begin(kCornerWords), std::end(kCornerWords))), KeyEffect::Place},
    {"overlay", "x", "0", "pixels from that corner, inward, 0 to 10000", parse_x, number(0, kMaxOffset)},
    {"overlay", "y", "0", "pixels from that corner, inward, 0 to 10000", parse_y, number(0, kMaxOffset)},
    {"overlay", "area", "screen", "screen, or work: measured from the monitor's work area, clear of the taskbar",
     parse_area, choice({"screen", "work"})},
    {"overlay", "monitor", kPrimaryMonitorWord,
     kPrimaryMonitorWord + std::string(", ") + kAllMonitorsWord +
         " (a strip on each), a monitor's name (as Display settings shows it, or \\\\.\\DISPLAY2), or 1, "
         "2, ... in the order Windows enumerates the monitors",
     parse_monitor, any_text(), KeyEffect::Place},
    {"overlay", "drift", "false",
     "true moves the strip by one pixel every 3 minutes round a small square, never more than 2 pixels from its "
     "place (against burn-in on OLED screens), or false",
     parse_drift, on_off()},
    {"overlay", "hide_over_fullscreen", "false",
     "true hides the strip while a full-screen program is in front on its monitor, or false",
     parse_hide_over_fullscreen, on_off(), KeyEffect::Hiding},
    {"overlay", "hide_when", "",
     "programs' file names, separated by commas (vlc.exe, obs64.exe): the strip hides while a window of one of "
     "them is in front on its monitor; empty: none",
     parse_hide_when, any_text()},
    {"overlay", "hide_on_hover", "false", "true hides the strip while the pointer rests over it, or false",
     parse_hide_on_hover, on_off()},
    {"overlay", "hotkey", "",
     "a key that does what the menu's Hide Brindlow does: Ctrl, Alt, Shift or Win joined by + to a letter, a digit, "
     "F1 to F24, Space, Home, End, Insert, Delete, PageUp, PageDown or Pause (Ctrl+Alt+B); empty: none",
     parse_hotkey_key, any_text()},
    {"text", "colour", "#00FFFF", "#RRGGBB, but not " + kKeyColour + " (the strip's see-through background)",
     parse_colour, any_text(), KeyEffect::Colours},
    {"text", "shadow", "#000000", "#RRGGBB (not " + kKeyColour + "), or none", parse_shadow, any_text(),
     KeyEffect::Colours},
    {"text", "outline", "none",
     "none, or #RRGGBB (not " + kKeyColour + "): an outline round the text in that colour, a pixel wide at scale 1",
     parse_outline, any_text(), KeyEffect::Colours},
    {"text", "opacity", "100", "20 to 100: the whole strip's opacity in percent (100 is opaque), without the % sign",
     parse_opacity, number(kLeastOpacity, kFullOpacity), KeyEffect::Opacity},
    {"text", "locale", "",
     "a locale name such as de-DE, fr-FR or ja-JP, for day and month names and for short and long; empty: "
     "Windows' own setting for the user",
     parse_locale, any_text()},
    {"text", "font", "",
     "an installed font family (Consolas, Segoe UI, ...), drawn at the exact size for the scale; empty: the "
     "bundled Fira Code",
     parse_font, any_text()},
    {"text", "scale", kScaleWords[0].name, scales_accepted(), parse_scale, choice(scale_words()), KeyEffect::Rescale},
    {"lines", "show", "date, time, battery", kShowAccepted, parse_show, any_text(), KeyEffect::Lines},
    {"lines", "date_format", "Date %Y-%m-%d", kFormatAccepted, parse_date_format, any_text()},
    {"lines", "time_format", "Time %H:%M:%S", kFormatAccepted, parse_time_format, any_text()},
    {"lines", "battery_format", "Battery {percent} ({source})",
     "at most 64 characters with any of {percent} (87% or N/A), {source} (On Battery, Plugged In "
     "or Unknown), {state} (Charging, Discharging, Full or No battery), {left} (the time Windows estimates, "
     "e.g. 2 h 05 min; empty while charging or unknown) and {saver} (Battery saver when on); brackets and spaces "
     "left empty are tidied away",
     parse_battery_format, any_text()},
    {"lines", "low_battery", "0",
     "0 (off), or 1 to 99: on battery at or below this percentage (or when Windows calls it critical) the battery "
     "line is drawn in low_colour",
     parse_low_battery, number(0, kMaxLowBattery)},
    {"lines", "low_colour", "#FF4040", "#RRGGBB (not " + kKeyColour + ")", parse_low_colour, any_text()},
    {"lines", "text", "", "a line of your own, at most 100 characters in any script, shown where show lists text",
     parse_text, any_text()},
    {"lines", "countdown", "",
     "a moment on the local clock, YYYY-MM-DD HH:MM (2026-12-24 18:00; a date alone is its midnight), counted down "
     "where show lists countdown",
     parse_countdown, any_text()},
    {"lines", "countdown_format", "{days} d {hours} h {minutes} min",
     "at most 64 characters with any of {days}, {hours}, {minutes}, {seconds} and {total_hours} ({minutes:2} for "
     "two digits at least); with {seconds} the line changes every second",
     parse_countdown_format, any_text()},
    {"lines", "countdown_done", "",
     "the countdown line once the moment has passed, at most 100 characters; empty: the line is left out",
     parse_countdown_done, any_text()},
    {"zones", "zone1", "",
     "a Windows time-zone name as tzutil /l lists them (Tokyo Standard Time), shown where show lists zone1",
     parse_zone<0>, any_text()},
    {"zones", "zone1_format", "", kZoneFormatAccepted, parse_zone_format<0>, any_text()},
    {"zones", "zone2", "", "the same, shown where show lists zone2", parse_zone<1>, any_text()},
    {"zones", "zone2_format", "", "the same", parse_zone_format<1>, any_text()},
    {"zones", "zone3", "", "the same, shown where show lists zone3", parse_zone<2>, any_text()},
    {"zones", "zone3_format", "", "the same", parse_zone_format<2>, any_text()},
};
}

SettingsKeys settings_keys() { return SettingsKeys{kKeys, sizeof kKeys / sizeof kKeys[0]}; }

const SettingsKey* settings_key(const std::string& name)
{
    for (const SettingsKey& k : settings_keys()) {
        if (name == k.name) {
            return &k;
        }
    }
    return nullptr;
}

KeyEffect settings_key_effect(const std::string& name)
{
    const SettingsKey* k = settings_key(name);
    return k != nullptr ? k->effect : KeyEffect::Reload;
}

std::vector<std::string> sections()
{
    std::vector<std::string> names;
    for (const SettingsKey& k : kKeys) {
        if (std::find(names.begin(), names.end(), k.section) == names.end()) {
            names.emplace_back(k.section);
        }
    }
    return names;
}

bool takes_time_format(const SettingsKey& k)
{
    return k.parse == parse_date_format || k.parse == parse_time_format || k.parse == parse_zone_format<0> ||
           k.parse == parse_zone_format<1> || k.parse == parse_zone_format<2>;
}

bool takes_battery_format(const SettingsKey& k) { return k.parse == parse_battery_format; }

void explain_refusal(const SettingsKey& k, const std::string& value, std::string* why)
{
    HotkeyCombo combo;
    std::vector<std::string> programs;
    LocalMoment moment;
    if (k.parse == parse_hotkey_key) {
        parse_hotkey(value, &combo, why);
    } else if (k.parse == parse_hide_when) {
        parse_program_list(value, &programs, why);
    } else if (k.parse == parse_countdown) {
        parse_moment(value, &moment, why);
    } else if (k.parse == parse_countdown_format) {
        check_countdown_format(value, why);
    } else if (k.parse == parse_corner) {
        const std::string meant =
            nearest(value, std::vector<std::string>(std::begin(kCornerWords), std::end(kCornerWords)));
        *why = problem_text({"", "", meant, ""});
    }
}
