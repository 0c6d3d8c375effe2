#include "TimeDisplay.h"

#include "TimeFormat.h"

int TimeDisplay::update()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (now == static_cast<std::time_t>(-1) || localtime_s(&local, &now) != 0) {
        return update_from(nullptr);
    }
    return update_from(&local);
}

int TimeDisplay::update_from(const std::tm* local)
{
    if (local == nullptr) {
        return -1;
    }
    // An empty result (a pattern that was never checked) keeps the last text.
    const std::string line = format_time(format, *local);
    if (line.empty()) {
        return -1;
    }
    text = line;
    return 0;
}
