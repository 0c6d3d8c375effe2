#include "TimeDisplay.h"

int TimeDisplay::update()
{
    std::tm local{};
    return update_from(read_local_time(&local) ? &local : nullptr);
}

int TimeDisplay::update_from(const std::tm* local)
{
    return show_time(format, local);
}
