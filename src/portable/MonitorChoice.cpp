#include "MonitorChoice.h"

#include "SettingsValues.h"
#include "SettingsWords.h"

namespace {
char fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Windows' names are compared as Display settings users type them: any case.
bool same_name(const std::string& a, const std::string& b)
{
    if (a.empty() || a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (fold(a[i]) != fold(b[i])) {
            return false;
        }
    }
    return true;
}

// The monitor a name means: a device name first, as it is unique, then the
// first monitor with that friendly name.
std::size_t named_monitor(const std::vector<MonitorArea>& monitors, const std::string& name)
{
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        if (same_name(monitors[i].device, name)) {
            return i;
        }
    }
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        if (same_name(monitors[i].name, name)) {
            return i;
        }
    }
    return monitors.size();
}
}

std::size_t primary_monitor(const std::vector<MonitorArea>& monitors)
{
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        if (monitors[i].primary) {
            return i;
        }
    }
    return monitors.empty() ? monitors.size() : 0;
}

std::size_t monitor_at(const std::vector<MonitorArea>& monitors, int x, int y)
{
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const Rect& m = monitors[i].monitor;
        if (x >= m.left && x < m.right && y >= m.top && y < m.bottom) {
            return i;
        }
    }
    return monitors.size();
}

MonitorChoice choose_monitors(const Settings& s, const std::vector<MonitorArea>& monitors)
{
    MonitorChoice choice;
    const std::size_t primary = primary_monitor(monitors);
    if (primary == monitors.size()) {
        return choice;
    }
    std::size_t one = primary;
    if (s.all_monitors) {
        choice.chosen.push_back(primary);
        for (std::size_t i = 0; i < monitors.size(); ++i) {
            if (i != primary) {
                choice.chosen.push_back(i);
            }
        }
        return choice;
    }
    if (!s.monitor_name.empty()) {
        one = named_monitor(monitors, s.monitor_name);
    } else if (s.monitor > 0) {
        one = static_cast<std::size_t>(s.monitor) - 1;
    }
    if (one >= monitors.size()) {
        choice.missing = true;
        one = primary;
    }
    choice.chosen.push_back(one);
    return choice;
}

std::string monitor_word(const std::vector<MonitorArea>& monitors, std::size_t i)
{
    const MonitorArea& m = monitors[i];
    bool shared = false;
    for (std::size_t j = 0; j < monitors.size(); ++j) {
        shared = shared || (j != i && same_name(monitors[j].name, m.name));
    }
    // A name the file could not take back (too long, or with characters it
    // refuses) is not written: the device name is.
    std::string name;
    if (!m.name.empty() && !shared && parse_printable(m.name, kMaxMonitorName, &name)) {
        return m.name;
    }
    if (!m.device.empty()) {
        return m.device;
    }
    return m.primary ? std::string(kPrimaryMonitorWord) : std::to_string(i + 1);
}

std::string monitor_setting_text(const Settings& s)
{
    if (s.all_monitors) {
        return kAllMonitorsWord;
    }
    if (!s.monitor_name.empty()) {
        return s.monitor_name;
    }
    return s.monitor == 0 ? std::string(kPrimaryMonitorWord) : std::to_string(s.monitor);
}

std::string monitor_label(const std::vector<MonitorArea>& monitors, std::size_t i)
{
    const MonitorArea& m = monitors[i];
    const std::string name = !m.name.empty() ? m.name : !m.device.empty() ? m.device : "Monitor";
    return name + " (" + std::to_string(i + 1) + ")";
}
