#include "DateDisplay.h"

namespace {
constexpr char kDateFormat[] = "Date %Y-%m-%d";
constexpr int kDateBufferSize = 32;
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
    if (std::strftime(buffer, sizeof buffer, kDateFormat, local) == 0) {
        return -1;
    }
    text = buffer;
    return 0;
}
