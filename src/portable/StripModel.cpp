#include "StripModel.h"

#include "PatternFields.h"
#include "ZoneRules.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {
constexpr unsigned char kAcOffline = 0;
constexpr unsigned char kAcOnline = 1;
// The platform's "don't know" for the charge; every PC without a battery
// reports it, and printing it as 255% would be a lie.
constexpr unsigned char kChargeUnknown = 255;
constexpr int kMsPerSecond = 1000;
constexpr int kSecondsPerMinute = 60;

}

namespace {
constexpr unsigned char kFlagCritical = 4;
constexpr unsigned char kFlagCharging = 8;
constexpr unsigned char kFlagNoBattery = 128;
constexpr unsigned char kFlagsUnknown = 255;
constexpr long kSecondsPerHour = 3600;
constexpr long kSecondsPerMinuteLong = 60;
constexpr unsigned char kFull = 100;

const char* source_of(const PowerReading& p)
{
    return p.ac_line == kAcOffline ? "On Battery" : (p.ac_line == kAcOnline ? "Plugged In" : "Unknown");
}

bool flag(const PowerReading& p, unsigned char f) { return p.flags != kFlagsUnknown && (p.flags & f) != 0; }

std::string state_of(const PowerReading& p)
{
    if (flag(p, kFlagNoBattery)) {
        return "No battery";
    }
    if (flag(p, kFlagCharging)) {
        return "Charging";
    }
    if (p.ac_line == kAcOnline && p.charge == kFull) {
        return "Full";
    }
    return p.ac_line == kAcOffline ? "Discharging" : "";
}

std::string left_of(const PowerReading& p)
{
    if (p.seconds_left < 0 || p.ac_line != kAcOffline || flag(p, kFlagCharging)) {
        return "";
    }
    const long hours = p.seconds_left / kSecondsPerHour;
    const long minutes = (p.seconds_left % kSecondsPerHour) / kSecondsPerMinuteLong;
    char buffer[32];
    (void)std::snprintf(buffer, sizeof buffer, "%ld h %02ld min", hours, minutes);
    return buffer;
}

// Runs of spaces become one, brackets left empty go with the space before
// them, and the ends are trimmed: "Battery N/A ()" reads "Battery N/A".
std::string tidy(const std::string& line)
{
    std::string out;
    for (char c : line) {
        if (c == ' ' && (out.empty() || out.back() == ' ')) {
            continue;
        }
        const bool closes = c == ')' || c == ']';
        const char opener = c == ')' ? '(' : '[';
        std::string trimmed = out;
        while (closes && !trimmed.empty() && trimmed.back() == ' ') {
            trimmed.pop_back();
        }
        if (closes && !trimmed.empty() && trimmed.back() == opener) {
            trimmed.pop_back();
            while (!trimmed.empty() && trimmed.back() == ' ') {
                trimmed.pop_back();
            }
            out = trimmed;
            continue;
        }
        out += c;
    }
    while (!out.empty() && out.back() == ' ') {
        out.pop_back();
    }
    return out;
}
}

std::string battery_text(const PowerReading& power, const std::string& pattern)
{
    char percent[8];
    if (power.ok && power.charge != kChargeUnknown) {
        (void)std::snprintf(percent, sizeof percent, "%u%%", static_cast<unsigned>(power.charge));
    } else {
        (void)std::snprintf(percent, sizeof percent, "N/A");
    }
    // A status that cannot be read leaves only the percentage, "N/A".
    const std::string out = fill_pattern_fields(pattern, [&power, &percent](const PatternField& f) -> std::string {
        const std::string& field = f.inside;
        if (field == "percent") {
            return percent;
        }
        if (!power.ok) {
            return std::string();
        }
        return field == "source"  ? std::string(source_of(power))
               : field == "state" ? state_of(power)
               : field == "left"  ? left_of(power)
               : field == "saver" ? std::string(power.saver ? "Battery saver" : "")
                                  : "{" + field + "}";
    });
    return tidy(out);
}

bool battery_is_low(const PowerReading& power, int threshold)
{
    if (!power.ok || power.ac_line != kAcOffline) {
        return false;
    }
    const bool under = threshold > 0 && power.charge != kChargeUnknown && power.charge <= threshold;
    return under || flag(power, kFlagCritical);
}

bool format_has_seconds(const std::string& pattern) { return format_uses(pattern, kSecondsConversions); }

bool format_uses(const std::string& pattern, const char* conversions)
{
    for (std::size_t i = 0; i + 1 < pattern.size(); ++i) {
        if (pattern[i] != '%') {
            continue;
        }
        char c = pattern[++i];
        if ((c == '#' || c == '-') && i + 1 < pattern.size()) {
            c = pattern[++i];
        }
        if (c != '\0' && std::strchr(conversions, c) != nullptr) {
            return true;
        }
    }
    return false;
}

std::vector<LineKind> lines_to_draw(const Settings& s, const std::array<bool, kZones>& zone_known,
                                    std::vector<std::string>* problems)
{
    std::vector<LineKind> lines;
    for (LineKind kind : s.lines) {
        const int zone = static_cast<int>(kind) - static_cast<int>(LineKind::Zone1);
        const bool empty =
            (kind == LineKind::Text && s.text.empty()) || (kind == LineKind::Countdown && !s.countdown.set);
        const bool unknown = zone >= 0 && zone < kZones && !zone_known[static_cast<std::size_t>(zone)];
        if (!empty && !unknown) {
            lines.push_back(kind);
        }
    }
    if (lines.empty()) {
        // A strip of nothing but the key colour could not be found again.
        problems->push_back(kNoLinesProblem);
        lines = default_settings().lines;
    }
    return lines;
}

unsigned StripModel::apply(const Settings& s)
{
    settings = s;
    no_lines_left = false;
    return kPictureChanged | kPlacementChanged;
}

unsigned StripModel::update(const ClockReading& clock, const PowerReading& power)
{
    std::array<std::string, kLineKinds> next = texts;
    const LineInputs in{settings, clock, power, zone_clocks, names, local_zone};
    for (const LineKindRow& row : line_kinds()) {
        std::string text;
        if (row.make(in, &text)) {
            next[static_cast<std::size_t>(line_index(row.kind))] = text;
        }
    }
    unsigned changed = 0;
    // A countdown past its moment with no text for then takes no row from
    // that moment on, as any line with nothing to show.
    const std::size_t countdown = static_cast<std::size_t>(line_index(LineKind::Countdown));
    if (clock.ok && shown(LineKind::Countdown) && next[countdown].empty()) {
        settings.lines.erase(std::remove(settings.lines.begin(), settings.lines.end(), LineKind::Countdown),
                             settings.lines.end());
        if (settings.lines.empty()) {
            settings.lines = default_settings().lines;
            no_lines_left = true;
        }
        changed |= kPictureChanged | kPlacementChanged;
    }
    const bool low = shown(LineKind::Battery) && battery_is_low(power, settings.low_battery);
    if (low != battery_low) {
        changed |= kPictureChanged;
        battery_low = low;
    }
    for (LineKind kind : settings.lines) {
        const std::string& before = texts[static_cast<std::size_t>(line_index(kind))];
        const std::string& after = next[static_cast<std::size_t>(line_index(kind))];
        if (after != before) {
            changed |= kPictureChanged;
        }
        if (after.size() != before.size()) {
            changed |= kPlacementChanged;
        }
    }
    texts = next;
    return changed;
}

bool StripModel::shows_seconds() const
{
    return std::any_of(settings.lines.begin(), settings.lines.end(),
                       [this](LineKind kind) { return line_shows_seconds(kind, settings); });
}

unsigned StripModel::reads() const
{
    unsigned reads = 0;
    for (LineKind kind : settings.lines) {
        reads |= line_reads(kind, settings);
    }
    return reads;
}

bool StripModel::wants(Regional form) const
{
    return std::any_of(settings.lines.begin(), settings.lines.end(),
                       [this, form](LineKind kind) { return line_regional(kind, settings) == form; });
}

std::string zone_pattern(const Settings& s, int zone)
{
    const std::string& own = s.zone_formats[zone];
    if (!own.empty()) {
        return own;
    }
    // A label with a % in it must not read as a conversion.
    std::string label;
    for (char c : zone_label(s.zones[zone])) {
        label += c == '%' ? std::string("%%") : std::string(1, c);
    }
    return label + " %H:%M";
}

int StripModel::next_wake_ms(const ClockReading& clock) const
{
    if (!clock.ok) {
        return kMsPerSecond; // try again in a second
    }
    const int ms = clock.ms < 0 ? 0 : (clock.ms >= kMsPerSecond ? kMsPerSecond - 1 : clock.ms);
    if (shows_seconds()) {
        return kMsPerSecond - ms + kWakeGuardMs;
    }
    // A leap second reads as second 60: the minute turns a second later.
    const int sec = clock.local.tm_sec < 0 ? 0 : clock.local.tm_sec;
    const int left = (kSecondsPerMinute - sec) * kMsPerSecond - ms;
    return (left > 0 ? left : kMsPerSecond - ms) + kWakeGuardMs;
}

int wake_tolerance_ms(int due_ms)
{
    return due_ms > kMsPerSecond + kWakeGuardMs ? kMinuteWakeToleranceMs : kSecondWakeToleranceMs;
}

bool StripModel::shown(LineKind kind) const
{
    for (LineKind k : settings.lines) {
        if (k == kind) {
            return true;
        }
    }
    return false;
}

std::vector<LineKind> StripModel::draw_order() const
{
    std::vector<LineKind> order = settings.lines;
    std::sort(order.begin(), order.end(),
              [](LineKind a, LineKind b) { return line_kind(a).draw_rank < line_kind(b).draw_rank; });
    return order;
}

KeyEffect key_effect(const std::string& key)
{
    const struct {
        const char* key;
        KeyEffect effect;
    } effects[] = {
        {"corner", KeyEffect::Place},
        {"monitor", KeyEffect::Place},
        {"scale", KeyEffect::Rescale},
        {"show", KeyEffect::Lines},
        {"colour", KeyEffect::Colours},
        {"shadow", KeyEffect::Colours},
        {"hide_over_fullscreen", KeyEffect::Stacking},
        {"outline", KeyEffect::Colours},
        {"opacity", KeyEffect::Opacity},
    };
    for (const auto& e : effects) {
        if (key == e.key) {
            return e.effect;
        }
    }
    return KeyEffect::Reload;
}

void StripModel::read_zones(const ClockReading& clock, const ZoneRules* rules, const bool* known)
{
    for (int z = 0; z < kZones; ++z) {
        ClockReading& zc = zone_clocks[static_cast<std::size_t>(z)];
        zc.ok = clock.ok && known[z];
        zc.ms = clock.ms;
        zc.utc_seconds = clock.utc_seconds;
        if (zc.ok) {
            const ZoneTime zt = zone_time(clock.utc_seconds, rules[z]);
            zc.local = zt.local;
            zc.zone.offset_minutes = zt.offset_minutes;
            zc.zone.name = settings.zones[static_cast<std::size_t>(z)];
        }
    }
}

void take_key(Settings* s, const Settings& now, KeyEffect effect)
{
    switch (effect) {
    case KeyEffect::Place: {
        s->corner = now.corner;
        s->monitor = now.monitor;
        s->monitor_name = now.monitor_name;
        s->all_monitors = now.all_monitors;
        break;
    }
    case KeyEffect::Rescale: {
        s->scale_halves = now.scale_halves;
        s->scale_auto = now.scale_auto;
        break;
    }
    case KeyEffect::Colours: {
        s->colour = now.colour;
        s->shadow = now.shadow;
        s->shadow_shown = now.shadow_shown;
        s->outline = now.outline;
        s->outline_shown = now.outline_shown;
        break;
    }
    case KeyEffect::Opacity: s->opacity = now.opacity; break;
    case KeyEffect::Stacking: s->hide_over_fullscreen = now.hide_over_fullscreen; break;
    case KeyEffect::Lines:
    case KeyEffect::Reload: break;
    }
}
