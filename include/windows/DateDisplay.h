#pragma once

#include "Display.h"

#include <ctime>
#include <string>

// The local date, "Date YYYY-MM-DD" unless the settings give another pattern.
class DateDisplay : public Display {
public:
    // A time pattern (see TimeFormat.h), with English names.
    std::string format = "Date %Y-%m-%d";

    // Reads the clock; -1 (text unchanged) when it cannot be made local time.
    int update();
    // Formats a local time already broken down; null stands for a failed
    // conversion and keeps the previous text.
    int update_from(const std::tm* local);
};
