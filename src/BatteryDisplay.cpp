#include "BatteryDisplay.h"

#include <windows.h>

#include <cstdio>

namespace {
constexpr unsigned char kAcOffline = 0;
constexpr unsigned char kAcOnline = 1;
// The platform's "don't know" for the charge; every PC without a battery
// reports it, and printing it as 255% would be a lie.
constexpr unsigned char kChargeUnknown = 255;
// "Battery 254% (On Battery)" and its terminator fit.
constexpr int kBatteryBufferSize = 32;
}

int BatteryDisplay::update()
{
    SYSTEM_POWER_STATUS status{};
    const bool ok = GetSystemPowerStatus(&status) != 0;
    return update_from(ok, status.ACLineStatus, status.BatteryLifePercent);
}

int BatteryDisplay::update_from(bool read_ok, unsigned char ac_line, unsigned char charge)
{
    if (!read_ok) {
        text = "Battery N/A";
        return -1;
    }
    const char* source = "Unknown";
    if (ac_line == kAcOffline) {
        source = "On Battery";
    } else if (ac_line == kAcOnline) {
        source = "Plugged In";
    }
    char buffer[kBatteryBufferSize];
    // The buffer holds the longest text these can make, so neither is cut.
    if (charge == kChargeUnknown) {
        (void)std::snprintf(buffer, sizeof buffer, "Battery N/A (%s)", source);
    } else {
        (void)std::snprintf(buffer, sizeof buffer, "Battery %u%% (%s)", static_cast<unsigned>(charge), source);
    }
    text = buffer;
    return 0;
}
