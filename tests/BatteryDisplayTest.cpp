#include "BatteryDisplay.h"

#include <gtest/gtest.h>

#include <windows.h>

TEST(BatteryDisplay, MapsSourceAndCharge)
{
    struct Case { unsigned char ac, charge; const char* text; };
    const Case cases[] = {
        {1, 100, "Battery 100% (Plugged In)"},
        {0, 7, "Battery 7% (On Battery)"},
        {0, 0, "Battery 0% (On Battery)"},
        {255, 50, "Battery 50% (Unknown)"},
        {2, 50, "Battery 50% (Unknown)"},
        {128, 99, "Battery 99% (Unknown)"},
        // The platform never reports 101-254; they print as they are.
        {1, 101, "Battery 101% (Plugged In)"},
        {0, 254, "Battery 254% (On Battery)"},
        // 255 means the charge is not known: no "255%".
        {1, 255, "Battery N/A (Plugged In)"},
        {0, 255, "Battery N/A (On Battery)"},
        {255, 255, "Battery N/A (Unknown)"},
    };
    for (const Case& k : cases) {
        BatteryDisplay line;
        EXPECT_EQ(line.update_from(true, k.ac, k.charge), 0);
        EXPECT_EQ(line.text, k.text);
    }
}

TEST(BatteryDisplay, FailedReadSaysNotAvailable)
{
    BatteryDisplay line;
    line.update_from(true, 1, 80);
    EXPECT_EQ(line.update_from(false, 1, 80), -1);
    EXPECT_EQ(line.text, "Battery N/A");
}

TEST(BatteryDisplay, UpdateReportsWhatThePlatformSays)
{
    SYSTEM_POWER_STATUS status{};
    ASSERT_NE(GetSystemPowerStatus(&status), 0);
    BatteryDisplay expected;
    expected.update_from(true, status.ACLineStatus, status.BatteryLifePercent);

    BatteryDisplay line;
    EXPECT_EQ(line.update(), 0);
    EXPECT_EQ(line.text, expected.text);
}
