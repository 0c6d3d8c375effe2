#include "TimeDisplay.h"

#include <gtest/gtest.h>

#include <regex>

namespace {
std::tm at(int hour, int minute, int second)
{
    std::tm t{};
    t.tm_year = 125;
    t.tm_mon = 4;
    t.tm_mday = 10;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}
}

TEST(TimeDisplay, FormatsTwentyFourHourZeroPadded)
{
    struct Case { int h, m, s; const char* text; };
    const Case cases[] = {
        {9, 5, 3, "Time 09:05:03"},
        {23, 59, 59, "Time 23:59:59"},
        {0, 0, 0, "Time 00:00:00"},
        {12, 30, 7, "Time 12:30:07"},
        {13, 0, 0, "Time 13:00:00"},
    };
    for (const Case& k : cases) {
        TimeDisplay line;
        const std::tm t = at(k.h, k.m, k.s);
        EXPECT_EQ(line.update_from(&t), 0);
        EXPECT_EQ(line.text, k.text);
    }
}

TEST(TimeDisplay, FailedConversionKeepsTheLastTextAndFails)
{
    TimeDisplay line;
    const std::tm t = at(9, 5, 3);
    line.update_from(&t);
    EXPECT_EQ(line.update_from(nullptr), -1);
    EXPECT_EQ(line.text, "Time 09:05:03");
}

TEST(TimeDisplay, UpdateReadsTheClock)
{
    TimeDisplay line;
    EXPECT_EQ(line.update(), 0);
    EXPECT_TRUE(std::regex_match(line.text, std::regex("Time ([01][0-9]|2[0-3]):[0-5][0-9]:[0-6][0-9]")))
        << line.text;
}
