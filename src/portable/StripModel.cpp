#include "StripModel.h"

#include "BatteryText.h"
#include "ZoneRules.h"

#include <algorithm>

namespace {
constexpr int kMsPerSecond = 1000;
constexpr int kSecondsPerMinute = 60;
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
    const int sec = std::min(std::max(clock.local.tm_sec, 0), kSecondsPerMinute);
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
