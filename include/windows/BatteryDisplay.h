#pragma once

#include "Display.h"

// The power source and battery charge, "Battery 87% (On Battery)".
class BatteryDisplay : public Display {
public:
    // Reads the system power status; -1 and "Battery N/A" when it cannot.
    int update();
    // Formats a power-status read: its success, the AC-line byte (0 off-line,
    // 1 on-line, else unknown) and the charge byte (0-100, 255 unknown).
    int update_from(bool read_ok, unsigned char ac_line, unsigned char charge);
};
