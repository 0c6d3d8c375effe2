#include "Settings.h"

#include "INIReader.h"
#include "TextEncoding.h"
#include "TimeFormat.h"
#include "Utf8.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
// Two edits turn "color" into "colour" and "corners" into "corner"; more
// would suggest unrelated keys.
constexpr std::size_t kNearMiss = 2;
constexpr int kMaxOffset = 10000;
// Windows' longest locale name (LOCALE_NAME_MAX_LENGTH, less its terminator).
constexpr std::size_t kMaxLocaleName = 84;
// A LOGFONT's face name holds 31 characters and its terminator.
constexpr std::size_t kMaxFontFamily = 31;

// A moment that exercises every field (a two-digit day, an afternoon hour)
// to check what a pattern yields before it is ever used.
std::tm sample_time()
{
    std::tm t{};
    t.tm_year = 126;
    t.tm_mon = 11;
    t.tm_mday = 17;
    t.tm_hour = 21;
    t.tm_min = 5;
    t.tm_sec = 3;
    t.tm_wday = 4;
    t.tm_yday = 350;
    return t;
}

using Parser = bool (*)(const std::string& value, Settings& s);

// One key of the file: where it lives, its default as the file would write
// it, what it accepts (for the template and for problems), and how to parse
// it into the settings.
struct Key {
    const char* section;
    const char* name;
    const char* default_value;
    const char* accepted;
    Parser parse;
};

bool parse_int(const std::string& value, int lo, int hi, int* out)
{
    if (value.empty() || value.size() > 5 ||
        value.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    // At most five digits (checked above): no overflow, nothing left over.
    const int n = static_cast<int>(std::strtol(value.c_str(), nullptr, 10));
    if (n < lo || n > hi) {
        return false;
    }
    *out = n;
    return true;
}

bool parse_rgb(const std::string& value, unsigned int* out)
{
    if (value.size() != 7 || value[0] != '#' ||
        value.find_first_not_of("0123456789abcdefABCDEF", 1) != std::string::npos) {
        return false;
    }
    *out = static_cast<unsigned int>(std::strtoul(value.c_str() + 1, nullptr, 16));
    return true;
}

bool parse_corner(const std::string& v, Settings& s)
{
    const struct { const char* name; Corner corner; } corners[] = {
        {"top-left", Corner::TopLeft}, {"top-right", Corner::TopRight},
        {"bottom-left", Corner::BottomLeft}, {"bottom-right", Corner::BottomRight}};
    for (const auto& c : corners) {
        if (v == c.name) {
            s.corner = c.corner;
            return true;
        }
    }
    return false;
}

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
    if (v == "primary") {
        s.monitor = 0;
        return true;
    }
    return parse_int(v, 1, 64, &s.monitor);
}

// A colour that shows: the key colour would be drawn see-through.
bool parse_shown_rgb(const std::string& value, unsigned int* out)
{
    unsigned int rgb = 0;
    if (!parse_rgb(value, &rgb) || rgb == kKeyColourRgb) {
        return false;
    }
    *out = rgb;
    return true;
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

bool parse_scale(const std::string& v, Settings& s)
{
    const struct { const char* name; int halves; } scales[] = {{"1", 2}, {"1.5", 3}, {"2", 4}, {"3", 6}};
    for (const auto& k : scales) {
        if (v == k.name) {
            s.scale_halves = k.halves;
            s.scale_auto = false;
            return true;
        }
    }
    if (v == "auto") {
        s.scale_halves = 2;
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

bool parse_low_battery(const std::string& v, Settings& s) { return parse_int(v, 0, 99, &s.low_battery); }
bool parse_low_colour(const std::string& v, Settings& s) { return parse_shown_rgb(v, &s.low_colour); }


bool printable_ascii(const std::string& v, std::size_t longest)
{
    return v.size() <= longest && std::all_of(v.begin(), v.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
}

bool parse_text(const std::string& v, Settings& s)
{
    if (!printable_utf8(v) || utf8_length(v) > kMaxLineLength) {
        return false;
    }
    s.text = v;
    return true;
}

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
    if (!v.empty() && !check_format(v, nullptr)) {
        return false;
    }
    s.zone_formats[N] = v;
    return true;
}

bool parse_bool(const std::string& v, bool* out)
{
    if (v == "true" || v == "false") {
        *out = v == "true";
        return true;
    }
    return false;
}

bool parse_hide_over_fullscreen(const std::string& v, Settings& s)
{
    return parse_bool(v, &s.hide_over_fullscreen);
}

// Only the form of a name: whether Windows knows it is the Windows side's
// to ask.
bool parse_locale(const std::string& v, Settings& s)
{
    if (v.size() > kMaxLocaleName || v.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_") !=
                                         std::string::npos) {
        return false;
    }
    s.locale = v;
    return true;
}

bool parse_font(const std::string& v, Settings& s)
{
    if (!printable_utf8(v) || utf8_length(v) > kMaxFontFamily) {
        return false;
    }
    s.font = v;
    return true;
}

constexpr const char* kFormatAccepted =
    "short or long (the locale's own way of writing it), or a pattern of at most 64 characters with any of "
    "%a %A (day), %b %B (month), %d %e %m %y %Y %j, %H %I %M %S %p, %F (%Y-%m-%d), %T (%H:%M:%S), %R (%H:%M), "
    "%u %w, %U %W %V (weeks; %V ISO), %G (ISO year), %c %x %X, %z %Z and %%; %#I or %-I drops a number's "
    "leading zero; names follow [text] locale";
constexpr const char* kZoneFormatAccepted =
    "the whole line, a pattern as for time_format (not short or long); empty: the zone's short name and %H:%M";

// The one list of keys: defaults, parsing, unknown-key reports and the
// template all come from it.
// The line kinds' names as the table of kinds has them.
const std::string kShowAccepted = "any of " + line_names_text() + ", each at most once, top to bottom, at least one";

const Key kKeys[] = {
    {"overlay", "corner", "top-left", "top-left, top-right, bottom-left or bottom-right", parse_corner},
    {"overlay", "x", "0", "pixels from that corner, inward, 0 to 10000", parse_x},
    {"overlay", "y", "0", "pixels from that corner, inward, 0 to 10000", parse_y},
    {"overlay", "area", "screen",
     "screen, or work: measured from the monitor's work area, clear of the taskbar", parse_area},
    {"overlay", "monitor", "primary", "primary, or 1, 2, ... in the order Windows enumerates the monitors",
     parse_monitor},
    {"overlay", "hide_over_fullscreen", "false",
     "true hides the strip while a full-screen program is in front on its monitor, or false", parse_hide_over_fullscreen},
    {"text", "colour", "#00FFFF", "#RRGGBB, but not #080808 (the strip's see-through background)", parse_colour},
    {"text", "shadow", "#000000", "#RRGGBB (not #080808), or none", parse_shadow},
    {"text", "locale", "",
     "a locale name such as de-DE, fr-FR or ja-JP, for day and month names and for short and long; empty: "
     "Windows' own setting for the user",
     parse_locale},
    {"text", "font", "",
     "an installed font family (Consolas, Segoe UI, ...), drawn at the exact size for the scale; empty: the "
     "bundled Fira Code",
     parse_font},
    {"text", "scale", "1",
     "1, 1.5, 2, 3, or auto: the monitor's DPI (96 gives 1, 144 1.5, 192 2, 288 3); a change to or from auto "
     "takes effect at the next start",
     parse_scale},
    {"lines", "show", "date, time, battery", kShowAccepted.c_str(), parse_show},
    {"lines", "date_format", "Date %Y-%m-%d", kFormatAccepted, parse_date_format},
    {"lines", "time_format", "Time %H:%M:%S", kFormatAccepted, parse_time_format},
    {"lines", "battery_format", "Battery {percent} ({source})",
     "at most 64 characters with any of {percent} (87% or N/A), {source} (On Battery, Plugged In "
     "or Unknown), {state} (Charging, Discharging, Full or No battery), {left} (the time Windows estimates, "
     "e.g. 2 h 05 min; empty while charging or unknown) and {saver} (Battery saver when on); brackets and spaces "
     "left empty are tidied away",
     parse_battery_format},
    {"lines", "low_battery", "0",
     "0 (off), or 1 to 99: on battery at or below this percentage (or when Windows calls it critical) the battery "
     "line is drawn in low_colour",
     parse_low_battery},
    {"lines", "low_colour", "#FF4040", "#RRGGBB (not #080808)", parse_low_colour},
    {"lines", "text", "", "a line of your own, at most 100 characters in any script, shown where show lists text",
     parse_text},
    {"zones", "zone1", "",
     "a Windows time-zone name as tzutil /l lists them (Tokyo Standard Time), shown where show lists zone1",
     parse_zone<0>},
    {"zones", "zone1_format", "", kZoneFormatAccepted, parse_zone_format<0>},
    {"zones", "zone2", "", "the same, shown where show lists zone2", parse_zone<1>},
    {"zones", "zone2_format", "", "the same", parse_zone_format<1>},
    {"zones", "zone3", "", "the same, shown where show lists zone3", parse_zone<2>},
    {"zones", "zone3_format", "", "the same", parse_zone_format<2>},
};

std::size_t edit_distance(const std::string& a, const std::string& b)
{
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) {
        row[j] = j;
    }
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// The name in `names` nearest to `name`, if it is a near miss.
std::string nearest(const std::string& name, const std::vector<std::string>& names)
{
    std::string best;
    std::size_t best_distance = kNearMiss + 1;
    // Names of any length compare; an enormous one is no near miss.
    if (name.size() > 64) {
        return best;
    }
    for (const std::string& candidate : names) {
        const std::size_t d = edit_distance(name, candidate);
        if (d < best_distance) {
            best_distance = d;
            best = candidate;
        }
    }
    return best;
}

// Values are quoted back as given, but never at length and never with
// control bytes that a notification would show as garbage.
std::string shown(const std::string& value)
{
    constexpr std::size_t kShownMax = 40;
    std::string out;
    std::size_t count = 0;
    std::size_t i = 0;
    for (; i < value.size() && count < kShownMax; ++count) {
        const std::size_t at = i;
        const char32_t cp = utf8_next(value, &i);
        const bool bad = cp == kReplacementCharacter && i == at + 1;
        if (bad || cp < 0x20 || (cp >= 0x7F && cp < 0xA0)) {
            out += '?';
        } else {
            out.append(value, at, i - at);
        }
    }
    return i < value.size() ? out + "..." : out;
}

std::vector<std::string> sections()
{
    std::vector<std::string> names;
    for (const Key& k : kKeys) {
        if (std::find(names.begin(), names.end(), k.section) == names.end()) {
            names.emplace_back(k.section);
        }
    }
    return names;
}

std::string unknown_key_problem(const std::string& section, const std::string& key)
{
    std::vector<std::string> same_section, all;
    std::string home;
    for (const Key& k : kKeys) {
        all.emplace_back(k.name);
        if (section == k.section) {
            same_section.emplace_back(k.name);
        }
        if (key == k.name) {
            home = k.section;
        }
    }
    const std::string where = "[" + shown(section) + "] " + shown(key);
    if (!home.empty()) {
        return where + ": belongs in [" + home + "]";
    }
    std::string meant = nearest(key, same_section);
    if (meant.empty()) {
        meant = nearest(key, all);
    }
    return where + ": unknown key" + (meant.empty() ? "" : "; did you mean " + meant + "?");
}
}

bool Settings::operator==(const Settings& o) const
{
    return corner == o.corner && x == o.x && y == o.y && area == o.area && monitor == o.monitor &&
           colour == o.colour && shadow == o.shadow && shadow_shown == o.shadow_shown &&
           scale_halves == o.scale_halves && scale_auto == o.scale_auto && lines == o.lines &&
           date_format == o.date_format && time_format == o.time_format &&
           hide_over_fullscreen == o.hide_over_fullscreen && battery_format == o.battery_format &&
           low_battery == o.low_battery && low_colour == o.low_colour && text == o.text &&
           zones == o.zones && zone_formats == o.zone_formats && locale == o.locale && font == o.font;
}

std::string near_miss(const std::string& name, const std::vector<std::string>& names)
{
    return nearest(name, names);
}

Settings default_settings()
{
    Settings s{};
    for (const Key& k : kKeys) {
        k.parse(k.default_value, s);
    }
    return s;
}


namespace {
// False, with the reason in *why when it is wanted.
bool refused(std::string* why, const char* reason)
{
    if (why != nullptr) {
        *why = reason;
    }
    return false;
}

// What every pattern's text must be: UTF-8, printable, at most 64 characters.
bool check_pattern_text(const std::string& pattern, std::string* why)
{
    if (!utf8_valid(pattern)) {
        return refused(why, malformed_text_problem(TextEncoding::Utf8));
    }
    if (!printable_utf8(pattern)) {
        return refused(why, "a control character");
    }
    if (utf8_length(pattern) > kMaxFormatLength) {
        return refused(why, "longer than 64 characters");
    }
    return true;
}
}

bool check_battery_format(const std::string& pattern, std::string* why)
{
    auto refuse = [why](const char* reason) { return refused(why, reason); };
    if (!check_pattern_text(pattern, why)) {
        return false;
    }
    static const char* const kFields[] = {"percent", "source", "state", "left", "saver"};
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '{') {
            continue;
        }
        const std::size_t close = pattern.find('}', i);
        const std::string field = close == std::string::npos ? std::string() : pattern.substr(i + 1, close - i - 1);
        if (std::find(std::begin(kFields), std::end(kFields), field) == std::end(kFields)) {
            return refuse("an unknown {field}");
        }
        i = close;
    }
    return true;
}

bool check_format(const std::string& pattern, std::string* why)
{
    auto refuse = [why](const char* reason) { return refused(why, reason); };
    if (!check_pattern_text(pattern, why)) {
        return false;
    }
    std::string line;
    if (!format_time(pattern, sample_time(), english_names(), ZoneStamp{0, "UTC"}, &line)) {
        // A known conversion refused only for its flag: %#A has no padding to drop.
        for (std::size_t i = 0; i + 2 < pattern.size(); ++i) {
            const bool flagged = pattern[i] == '%' && (pattern[i + 1] == '#' || pattern[i + 1] == '-');
            if (flagged && pattern[i + 2] != '\0' && std::strchr(kTimeConversions, pattern[i + 2]) != nullptr &&
                format_time(pattern.substr(i, 3), sample_time()).empty()) {
                return refuse("%# and %- go only with a number's conversion");
            }
            if (pattern[i] == '%') {
                ++i;
            }
        }
        return refuse("an unsupported % conversion");
    }
    if (line.empty()) {
        return refuse("an empty line");
    }
    if (utf8_length(line) > kMaxLineLength) {
        return refuse("a line of over 100 characters");
    }
    return true;
}

namespace {
// The line (from 1) where a key, or with an empty key the section's header,
// stands in the text; a very large number when it is not found, so that such
// problems come last.
std::size_t line_of(const std::string& text, const std::string& section, const std::string& key)
{
    std::string current;
    std::size_t number = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string line = trim(text.substr(start, end - start));
        ++number;
        if (!line.empty() && line[0] == '[') {
            const std::size_t close = line.find(']');
            current = trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            if (key.empty() && current == section) {
                return number;
            }
        } else if (!key.empty() && current == section) {
            const std::size_t eq = line.find_first_of("=:");
            if (eq != std::string::npos && trim(line.substr(0, eq)) == key) {
                return number;
            }
        }
        start = end + 1;
    }
    return static_cast<std::size_t>(-1);
}
}

SettingsLoad parse_settings(const std::string& text)
{
    // Notepad saves UTF-8 with a byte-order mark, which the reader keeps in
    // the first line, and its "Unicode" as UTF-16 with one of its own, which
    // decoding turns into UTF-8's.
    const DecodedText decoded = decode_text(text);
    const bool bom = decoded.text.compare(0, 3, kByteOrderMark) == 0;
    const std::string body = bom ? decoded.text.substr(3) : decoded.text;
    INIReader reader;
    IniData data = reader.parse_text(body);
    data.erase("return");

    SettingsLoad load{default_settings(), {}};
    // Each problem with the line it is about, to be reported in the file's order.
    std::vector<std::pair<std::size_t, std::string>> found;
    if (!decoded.problem.empty()) {
        found.emplace_back(0, decoded.problem);
    }
    const std::vector<std::string> known_sections = sections();
    // In the order of the table, so that problems come in the file's
    // documented order whatever order the map holds them in.
    for (const Key& k : kKeys) {
        auto section = data.find(k.section);
        if (section == data.end()) {
            continue;
        }
        auto kv = section->second.find(k.name);
        if (kv == section->second.end()) {
            continue;
        }
        std::string why;
        const bool format = k.parse == parse_date_format || k.parse == parse_time_format ||
                            k.parse == parse_zone_format<0> || k.parse == parse_zone_format<1> ||
                            k.parse == parse_zone_format<2>;
        if (!k.parse(kv->second, load.settings)) {
            if (!utf8_valid(kv->second)) {
                why = malformed_text_problem(decoded.encoding);
            } else if (format) {
                check_format(kv->second, &why);
            } else if (k.parse == parse_battery_format) {
                check_battery_format(kv->second, &why);
            }
            found.emplace_back(line_of(body, k.section, k.name),
                               "[" + std::string(k.section) + "] " + k.name + " = " + shown(kv->second) + ": " +
                                   (why.empty() ? "" : why + "; ") + "use " + k.accepted);
        }
    }
    std::vector<std::string> names;
    for (const auto& section : data) {
        names.push_back(section.first);
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        const bool keys_without_section = name.empty();
        if (!keys_without_section &&
            std::find(known_sections.begin(), known_sections.end(), name) == known_sections.end()) {
            const std::string meant = nearest(name, known_sections);
            found.emplace_back(line_of(body, name, ""), "[" + shown(name) + "]: unknown section" +
                                                            (meant.empty() ? "" : "; did you mean [" + meant + "]?"));
            continue;
        }
        std::vector<std::string> keys;
        for (const auto& kv : data[name]) {
            keys.push_back(kv.first);
        }
        std::sort(keys.begin(), keys.end());
        for (const std::string& key : keys) {
            const bool known = std::any_of(std::begin(kKeys), std::end(kKeys), [&](const Key& k) {
                return name == k.section && key == k.name;
            });
            if (!known) {
                found.emplace_back(line_of(body, name, key), unknown_key_problem(name, key));
            }
        }
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& problem : found) {
        load.problems.push_back(std::move(problem.second));
    }
    return load;
}

SettingsLoad load_settings_file(const std::string& path)
{
    errno = 0;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    auto unreadable = [&path] {
        return SettingsLoad{default_settings(), {path + ": cannot be read; the built-in settings apply"}};
    };
    if (f == nullptr) {
        // Windows refuses to open a folder (EACCES); only a missing file
        // means "no settings".
        return errno == ENOENT ? SettingsLoad{default_settings(), {}} : unreadable();
    }
    std::string text;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0 &&
           text.size() <= static_cast<std::size_t>(kMaxSettingsBytes)) {
        text.append(buffer, n);
    }
    const bool failed = std::ferror(f) != 0;
    // Closing a file that was only read from cannot lose anything.
    (void)std::fclose(f);
    if (failed) {
        return unreadable();
    }
    return settings_from_bytes(path, text);
}

SettingsLoad settings_from_bytes(const std::string& path, const std::string& bytes)
{
    if (bytes.size() > static_cast<std::size_t>(kMaxSettingsBytes)) {
        return SettingsLoad{default_settings(), {path + kTooLargeProblem}};
    }
    return parse_settings(bytes);
}

std::string settings_template()
{
    std::string out =
        "; Brindlow's settings. Remove the ';' before a key to change it; the\n"
        "; strip follows within a second of saving. Each line below shows the\n"
        "; built-in value and what else is accepted.\n";
    for (const std::string& section : sections()) {
        out += "\n[" + section + "]\n";
        for (const Key& k : kKeys) {
            if (section == k.section) {
                out += ";" + std::string(k.name) + " = " + k.default_value + "\n";
                out += ";   " + std::string(k.accepted) + "\n";
            }
        }
    }
    return out;
}
