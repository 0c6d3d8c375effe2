#include "DateDisplay.h"

#include "Settings.h"

namespace {
// Room for any line the settings accept (at most 100 characters).
constexpr int kDateBufferSize = 128;
}

int DateDisplay::update()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (now == static_cast<std::time_t>(-1) || localtime_s(&local, &now) != 0) {
        return update_from(nullptr);
    }
    return update_from(&local);
}

int DateDisplay::update_from(const std::tm* local)
{
    if (local == nullptr) {
        return -1;
    }
    char buffer[kDateBufferSize];
    if (format_time(buffer, sizeof buffer, format, local) == 0) {
        return -1;
    }
    text = buffer;
    return 0;
}
