#include "TimeDisplay.h"

namespace {
constexpr char kTimeFormat[] = "Time %H:%M:%S";
constexpr int kTimeBufferSize = 14; // "Time 09:05:03" and its terminator
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
    if (std::strftime(buffer, sizeof buffer, kTimeFormat, local) == 0) {
        return -1;
    }
    text = buffer;
    return 0;
}
