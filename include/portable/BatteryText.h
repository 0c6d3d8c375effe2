#pragma once

#include <string>

// The battery line from a reading of the power status: its text through a
// battery pattern, and whether it takes the low colour.

// The system power status as Windows reports it: the AC-line byte (0
// off-line, 1 on-line, else unknown), the charge byte (0-100, 255 unknown),
// the battery flags (4 critical, 8 charging, 128 no battery, 255 unknown),
// battery saver, and the seconds of charge left (-1 unknown).
struct PowerReading {
    bool ok = false;
    unsigned char ac_line = 255;
    unsigned char charge = 255;
    unsigned char flags = 255;
    bool saver = false;
    long seconds_left = -1;
};

// The battery line through a battery pattern: "Battery {percent} ({source})"
// gives "Battery 87% (On Battery)", "Battery N/A (Plugged In)", or "Battery
// N/A" when the status could not be read; fields left empty take their
// brackets and spaces along.
std::string battery_text(const PowerReading& power, const std::string& pattern);
// Whether the battery line takes the low colour for this reading.
bool battery_is_low(const PowerReading& power, int threshold);
// Whether the battery line takes the low colour for this reading: on battery
// at or below the threshold (0: off), or critical.
bool battery_is_low(const PowerReading& power, int threshold);
