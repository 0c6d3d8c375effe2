#include "BatteryDisplay.h"

#include "StripModel.h"

#include <windows.h>

int BatteryDisplay::update()
{
    SYSTEM_POWER_STATUS status{};
    const bool ok = GetSystemPowerStatus(&status) != 0;
    return update_from(ok, status.ACLineStatus, status.BatteryLifePercent);
}

int BatteryDisplay::update_from(bool read_ok, unsigned char ac_line, unsigned char charge)
{
    text = battery_text(PowerReading{read_ok, ac_line, charge});
    return read_ok ? 0 : -1;
}
