#pragma once

#include "Layout.h"
#include "StripModel.h"
#include "ZoneRules.h"

#include <windows.h>

#include <string>
#include <vector>

// What the strip shows, read from Windows: the clock, the power status, a
// zone's rules and the monitors. The tests hand in readings of their own
// through the same signatures.

// The clock and the power status as Windows reports them.
ClockReading read_local_clock();
PowerReading read_power_status();

// The rules of Windows' own zone (its per-year records where the registry
// keeps them; standard time all year when the user turned daylight saving
// off), in which a countdown's moment is read.
ZoneRules read_local_zone_rules();
// The local zone's offset and name (the daylight one while daylight time is
// in force), for %z and %Z.
ZoneStamp read_local_zone();
// A zone's rules from the registry's time-zone list; false when Windows has
// no zone of that name, and then *names holds the names it has.
bool read_zone_rules(const std::string& name, ZoneRules* rules, std::vector<std::string>* names);

// The full path of the program a window belongs to, or empty when Windows
// will not say (the window is gone, or its process is protected).
std::string window_program(HWND w);

// The monitors as Windows enumerates them, with their work areas.
std::vector<MonitorArea> enumerate_monitors();
