#pragma once

#include "Display.h"

#include <ctime>

// The local date, "Date YYYY-MM-DD".
class DateDisplay : public Display {
public:
    // Reads the clock; -1 (text unchanged) when it cannot be made local time.
    int update();
    // Formats a local time already broken down; null stands for a failed
    // conversion and keeps the previous text.
    int update_from(const std::tm* local);
};
