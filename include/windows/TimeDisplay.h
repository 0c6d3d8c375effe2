#pragma once

#include "Display.h"

#include <ctime>
#include <string>

// The local time, "Time HH:MM:SS" on a 24-hour clock unless the settings give
// another pattern.
class TimeDisplay : public Display {
public:
    // A strftime pattern that the settings layer has checked: the C runtime
    // ends the process on a conversion it does not know.
    std::string format = "Time %H:%M:%S";

    // Reads the clock; -1 (text unchanged) when it cannot be made local time.
    int update();
    // Formats a local time already broken down; null stands for a failed
    // conversion and keeps the previous text.
    int update_from(const std::tm* local);
};
