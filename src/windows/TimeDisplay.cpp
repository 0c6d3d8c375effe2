#include "TimeDisplay.h"

#include "Settings.h"

namespace {
// Room for any line the settings accept (at most 100 characters).
constexpr int kTimeBufferSize = 128;
}

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
    char buffer[kTimeBufferSize];
    // strftime answers 0 when the result does not fit, and the buffer is then
    // undefined: keep the last good text instead.
    if (format_time(buffer, sizeof buffer, format, local) == 0) {
        return -1;
    }
    text = buffer;
    return 0;
}
