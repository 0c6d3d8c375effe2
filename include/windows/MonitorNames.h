#pragma once

#include <string>
#include <vector>

// The names Windows' Display settings gives the monitors, read from the
// display configuration (Windows 7 and later): the only place the
// monitor's own name ("DELL U2720Q") is told, where GetMonitorInfoA gives
// only the device ("\\.\DISPLAY2").

struct MonitorName {
    std::string device; // the display source's GDI device, as GetMonitorInfoA names it
    std::string name; // the monitor's friendly name; empty when it has none (a built-in panel may not)
};

// One entry per active display path; empty where Windows lacks the
// functions or refuses to say.
std::vector<MonitorName> read_monitor_names();

// The friendly name of the monitor on a device, or empty.
std::string monitor_name_of(const std::vector<MonitorName>& names, const std::string& device);
