#include "DateDisplay.h"

#include <gtest/gtest.h>

#include <regex>

namespace {
std::tm on(int year, int month, int day)
{
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = 23;
    t.tm_min = 59;
    t.tm_sec = 59;
    return t;
}
}

TEST(DateDisplay, FormatsYearMonthDayZeroPadded)
{
    struct Case { int y, m, d; const char* text; };
    const Case cases[] = {
        {2025, 5, 10, "Date 2025-05-10"},
        {2026, 12, 31, "Date 2026-12-31"},
        {2000, 1, 1, "Date 2000-01-01"},
        {2024, 2, 29, "Date 2024-02-29"},
    };
    for (const Case& k : cases) {
        DateDisplay line;
        const std::tm t = on(k.y, k.m, k.d);
        EXPECT_EQ(line.update_from(&t), 0);
        EXPECT_EQ(line.text, k.text);
    }
}

TEST(DateDisplay, FailedConversionKeepsTheLastTextAndFails)
{
    DateDisplay line;
    const std::tm t = on(2025, 5, 10);
    line.update_from(&t);
    EXPECT_EQ(line.update_from(nullptr), -1);
    EXPECT_EQ(line.text, "Date 2025-05-10");
}

TEST(DateDisplay, UpdateReadsTheClock)
{
    DateDisplay line;
    EXPECT_EQ(line.update(), 0);
    EXPECT_TRUE(std::regex_match(line.text, std::regex("Date [0-9]{4}-(0[1-9]|1[0-2])-(0[1-9]|[12][0-9]|3[01])")))
        << line.text;
}
