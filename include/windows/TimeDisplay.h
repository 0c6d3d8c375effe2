#pragma once

#include "Display.h"

#include <ctime>
#include <string>

// The local time, "Time HH:MM:SS" on a 24-hour clock unless the settings give
// another pattern.
class TimeDisplay : public Display {
public:
    // A time pattern (see TimeFormat.h), with English names.
    std::string format = "Time %H:%M:%S";

    // Reads the clock; -1 (text unchanged) when it cannot be made local time.
    int update();
    // Formats a local time already broken down; null stands for a failed
    // conversion and keeps the previous text.
    int update_from(const std::tm* local);
};
