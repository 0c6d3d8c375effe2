#pragma once

#include "MonitorArea.h"
#include "Settings.h"

#include <cstddef>
#include <string>
#include <vector>

// Which of the monitors Windows reports get a strip, as [overlay] monitor
// names them: "primary", "all", a number in Windows' order, or a name. A
// number moves when monitors are plugged in another order; a name does not.

struct MonitorChoice {
    // Indices into the monitors, one strip each; the first is the main
    // strip's (the primary's, for "all"). Empty only with no monitors.
    std::vector<std::size_t> chosen;
    // The number or name matched no monitor: the primary was used.
    bool missing = false;
};

MonitorChoice choose_monitors(const Settings& s, const std::vector<MonitorArea>& monitors);

// The primary's index (the first monitor's when none says so); the list's
// size when it is empty.
std::size_t primary_monitor(const std::vector<MonitorArea>& monitors);

// The index of the monitor holding a point, or the list's size.
std::size_t monitor_at(const std::vector<MonitorArea>& monitors, int x, int y);

// The word [overlay] monitor names monitor i by so that it stays that one
// when monitors come, go or change order: its friendly name when no other
// monitor shares it, else its device name, else (Windows told neither) its
// number, or "primary".
std::string monitor_word(const std::vector<MonitorArea>& monitors, std::size_t i);

// How the settings name their monitors, as the file says it.
std::string monitor_setting_text(const Settings& s);

// The menu's label for monitor i: its friendly name (or device name) and
// its number, "DELL U2720Q (2)".
std::string monitor_label(const std::vector<MonitorArea>& monitors, std::size_t i);
