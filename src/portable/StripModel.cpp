#include "StripModel.h"

#include <cstdio>
#include <cstring>

namespace {
constexpr unsigned char kAcOffline = 0;
constexpr unsigned char kAcOnline = 1;
// The platform's "don't know" for the charge; every PC without a battery
// reports it, and printing it as 255% would be a lie.
constexpr unsigned char kChargeUnknown = 255;
// "Battery 254% (On Battery)" and its terminator fit.
constexpr int kBatteryBufferSize = 32;
// Room for any line the settings accept (at most 100 characters).
constexpr int kLineBufferSize = 128;
constexpr int kMsPerSecond = 1000;
constexpr int kSecondsPerMinute = 60;
constexpr char kSecondsConversions[] = "ScX";

const LineKind kDrawOrder[] = {LineKind::Battery, LineKind::Date, LineKind::Time};
}

std::string battery_text(const PowerReading& power)
{
    if (!power.ok) {
        return "Battery N/A";
    }
    const char* source = "Unknown";
    if (power.ac_line == kAcOffline) {
        source = "On Battery";
    } else if (power.ac_line == kAcOnline) {
        source = "Plugged In";
    }
    char buffer[kBatteryBufferSize];
    // The buffer holds the longest text these can make, so neither is cut.
    if (power.charge == kChargeUnknown) {
        (void)std::snprintf(buffer, sizeof buffer, "Battery N/A (%s)", source);
    } else {
        (void)std::snprintf(buffer, sizeof buffer, "Battery %u%% (%s)", static_cast<unsigned>(power.charge), source);
    }
    return buffer;
}

bool format_has_seconds(const std::string& pattern)
{
    for (std::size_t i = 0; i + 1 < pattern.size(); ++i) {
        if (pattern[i] != '%') {
            continue;
        }
        const char c = pattern[++i];
        if (c != '\0' && std::strchr(kSecondsConversions, c) != nullptr) {
            return true;
        }
    }
    return false;
}

unsigned StripModel::apply(const Settings& s)
{
    settings = s;
    return kPictureChanged | kPlacementChanged;
}

unsigned StripModel::update(const ClockReading& clock, const PowerReading& power)
{
    std::array<std::string, kLineKinds> next = texts;
    if (clock.ok) {
        char buffer[kLineBufferSize];
        // strftime answers 0 when the result does not fit, and the buffer is
        // then undefined: keep the last good text instead.
        if (format_time(buffer, sizeof buffer, settings.date_format, &clock.local) != 0) {
            next[line_index(LineKind::Date)] = buffer;
        }
        if (format_time(buffer, sizeof buffer, settings.time_format, &clock.local) != 0) {
            next[line_index(LineKind::Time)] = buffer;
        }
    }
    next[line_index(LineKind::Battery)] = battery_text(power);
    unsigned changed = 0;
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
    return (shown(LineKind::Date) && format_has_seconds(settings.date_format)) ||
           (shown(LineKind::Time) && format_has_seconds(settings.time_format));
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
    std::vector<LineKind> order;
    for (LineKind kind : kDrawOrder) {
        if (shown(kind)) {
            order.push_back(kind);
        }
    }
    return order;
}
