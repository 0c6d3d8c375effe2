#include "BatteryText.h"

#include "PatternFields.h"

#include <cstdio>

namespace {
constexpr unsigned char kAcOffline = 0;
constexpr unsigned char kAcOnline = 1;
// The platform's "don't know" for the charge; every PC without a battery
// reports it, and printing it as 255% would be a lie.
constexpr unsigned char kChargeUnknown = 255;
constexpr unsigned char kFlagCritical = 4;
constexpr unsigned char kFlagCharging = 8;
constexpr unsigned char kFlagNoBattery = 128;
constexpr unsigned char kFlagsUnknown = 255;
constexpr long kSecondsPerHour = 3600;
constexpr long kSecondsPerMinute = 60;
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
    const long minutes = (p.seconds_left % kSecondsPerHour) / kSecondsPerMinute;
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
