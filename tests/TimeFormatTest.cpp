// The time formatter: each conversion, ISO weeks around New Year, a locale's
// names, UTF-8 text and bad patterns. Natively, it is also held to the C
// library's strftime for every conversion both define.
#include "TimeFormat.h"
#include "ZoneRules.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {
const ZoneRules kUtc{0, 0, 0, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}};

// Seconds since 1970 for a UTC date and time (the proleptic Gregorian
// calendar).
long long utc(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    const int y = year - (month <= 2 ? 1 : 0);
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const long long days = static_cast<long long>(era) * 146097 + doe - 719468;
    return days * 86400 + hour * 3600 + minute * 60 + second;
}

std::tm at(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    return zone_time(utc(year, month, day, hour, minute, second), kUtc).local;
}

std::string formatted(const std::string& pattern, const std::tm& t, const LocaleNames& names = english_names(),
                      const ZoneStamp& zone = ZoneStamp{})
{
    std::string out = "(refused)";
    (void)format_time(pattern, t, names, zone, &out);
    return out;
}

LocaleNames german()
{
    return LocaleNames{{"Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag"},
                       {"So", "Mo", "Di", "Mi", "Do", "Fr", "Sa"},
                       {"Januar", "Februar", "M\xC3\xA4rz", "April", "Mai", "Juni", "Juli", "August", "September",
                        "Oktober", "November", "Dezember"},
                       {"Jan", "Feb", "M\xC3\xA4r", "Apr", "Mai", "Jun", "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"},
                       "",
                       ""};
}
} // namespace

TEST(TimeFormat, EachConversionWritesWhatItSays)
{
    const std::tm afternoon = at(2026, 3, 7, 17, 3, 9); // a Saturday
    const std::tm midnight = at(2026, 12, 17, 0, 5, 0);
    const std::tm noon = at(2026, 12, 17, 12, 0, 0);
    struct Case {
        const char* pattern;
        const std::tm* t;
        const char* expected;
    };
    const Case cases[] = {
        {"%a %A %b %B", &afternoon, "Sat Saturday Mar March"},
        {"%d|%e|%m|%y|%Y|%j", &afternoon, "07| 7|03|26|2026|066"},
        {"%H:%M:%S %I %p", &afternoon, "17:03:09 05 PM"},
        {"%#I:%M %p|%-I|%-d.%-m.|%#j|%-e", &afternoon, "5:03 PM|5|7.3.|66|7"},
        {"%I %p|%#I", &midnight, "12 AM|12"},
        {"%I %p", &noon, "12 PM"},
        {"%F|%T|%R", &afternoon, "2026-03-07|17:03:09|17:03"},
        {"%u %w", &afternoon, "6 6"},
        {"%u %w", &midnight, "4 4"},
        {"%U %W", &afternoon, "09 09"},
        {"%c|%x|%X", &afternoon, "03/07/26 17:03:09|03/07/26|17:03:09"},
        {"100%% %%d", &afternoon, "100% %d"},
        {"caf\xC3\xA9 \xE6\x9C\x88 %d", &afternoon, "caf\xC3\xA9 \xE6\x9C\x88 07"},
        {"", &afternoon, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(formatted(c.pattern, *c.t), c.expected) << c.pattern;
    }
}

TEST(TimeFormat, IsoWeeksTurnOnTheThursdayNotOnNewYear)
{
    struct Case {
        int year, month, day;
        const char* expected; // %G-W%V-%u
    };
    const Case cases[] = {
        {2026, 12, 31, "2026-W53-4"}, {2027, 1, 1, "2026-W53-5"},   {2027, 1, 3, "2026-W53-7"},
        {2027, 1, 4, "2027-W01-1"},   {2024, 12, 30, "2025-W01-1"}, {2025, 1, 1, "2025-W01-3"},
        {2021, 1, 3, "2020-W53-7"},   {2020, 12, 31, "2020-W53-4"}, {2026, 1, 1, "2026-W01-4"},
        {2023, 1, 1, "2022-W52-7"},   {2028, 12, 31, "2028-W52-7"}, {2026, 6, 15, "2026-W25-1"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(formatted("%G-W%V-%u", at(c.year, c.month, c.day)), c.expected)
            << c.year << "-" << c.month << "-" << c.day;
    }
}

TEST(TimeFormat, NamesComeFromTheLocaleAndTheZoneFromTheReading)
{
    const std::tm t = at(2026, 3, 2, 9, 30);
    EXPECT_EQ(formatted("%A, %d. %B %Y (%a, %b)", t, german()), "Montag, 02. M\xC3\xA4rz 2026 (Mo, M\xC3\xA4r)");
    EXPECT_EQ(formatted("%H:%M%p", t, german()),
              "09:30"); // no AM/PM in this locale
    EXPECT_EQ(formatted("%z %Z", t, english_names(), ZoneStamp{60, "W. Europe Standard Time"}),
              "+0100 W. Europe Standard Time");
    EXPECT_EQ(formatted("%z", t, english_names(), ZoneStamp{-570, ""}), "-0930");
    EXPECT_EQ(formatted("%z", t, english_names(), ZoneStamp{345, ""}), "+0545");
}

TEST(TimeFormat, BadAndCutShortConversionsAreRefusedNotPassedOn)
{
    const std::tm t = at(2026, 3, 2);
    for (const char* pattern : {"%",   "ab %", "%#",  "%-", "%E", "%Ey", "%Od", "%n", "%t", "%k", "%#A",
                                "%-p", "%#%",  "%#c", "%s", "%C", "%g",  "%h",  "%D", "%r", "%P"}) {
        std::string out = "untouched";
        EXPECT_FALSE(format_time(pattern, t, english_names(), ZoneStamp{}, &out)) << pattern;
        EXPECT_EQ(out, "untouched") << pattern;
    }
    // A terminator in the middle of a pattern is no conversion either.
    std::string out;
    EXPECT_FALSE(format_time(std::string("%\0d", 3), t, english_names(), ZoneStamp{}, &out));
}

TEST(TimeFormat, OutOfRangeFieldsStillIndexTheNamesSafely)
{
    std::tm t{};
    t.tm_wday = 9;
    t.tm_mon = -4;
    t.tm_yday = 400;
    t.tm_year = -2000; // year -100
    EXPECT_EQ(formatted("%a %b %y", t), "Sat Jan 00");
    EXPECT_FALSE(formatted("%V %G %Y", t).empty());
}

// Every field at INT_MAX, then at INT_MIN, and the offset too: each number
// is written whole with one sign, worked out by hand. INT_MAX: %I is
// 2147483647 mod 12 = 7; %j and %m add one; %Y is 2147483647 + 1900; %U is
// (2147483647 + 7 - 6) / 7 and %W (2147483647 + 7 - 5) / 7, the weekday held
// to Saturday; the ISO week of day 366 (held), a Saturday, in a common year
// is (365 - 5 + 3) / 7 + 1 = 52. INT_MIN: hour -2147483648 is 4 on a 12-hour
// clock (-2147483648 = -178956971 * 12 + 4) and AM; %Y is -2147483648 + 1900,
// %y its last two digits (-2147481748 = -21474818 * 100 + 52); %U is
// (-2147483648 + 7) / 7 and %W (-2147483648 + 1) / 7, rounded towards zero,
// the weekday held to Sunday; day 1 (held), a Sunday, belongs to the last
// week, 52, of the year before (common: 362 / 7 + 1); the offset is
// 2147483648 minutes = 35791394 h 8 min.
TEST(TimeFormat, EveryFieldAtEitherEndOfIntWritesWholeNumbers)
{
    std::tm high{};
    std::tm low{};
    for (int* field : {&high.tm_sec, &high.tm_min, &high.tm_hour, &high.tm_mday, &high.tm_mon, &high.tm_year,
                       &high.tm_wday, &high.tm_yday, &high.tm_isdst}) {
        *field = INT_MAX;
    }
    for (int* field : {&low.tm_sec, &low.tm_min, &low.tm_hour, &low.tm_mday, &low.tm_mon, &low.tm_year, &low.tm_wday,
                       &low.tm_yday, &low.tm_isdst}) {
        *field = INT_MIN;
    }
    const ZoneStamp east{INT_MAX, "East"};
    const ZoneStamp west{INT_MIN, "West"};
    struct Case {
        const char* pattern;
        const char* high;
        const char* low;
    };
    const Case cases[] = {
        {"%d", "2147483647", "-2147483648"},
        {"%-d %e", "2147483647 2147483647", "-2147483648 -2147483648"},
        {"%H %M %S", "2147483647 2147483647 2147483647", "-2147483648 -2147483648 -2147483648"},
        {"%I %p", "07 PM", "04 AM"},
        {"%j", "2147483648", "-2147483647"},
        {"%m", "2147483648", "-2147483647"},
        {"%y %Y", "47 2147485547", "52 -2147481748"},
        {"%U %W", "306783378 306783378", "-306783377 -306783378"},
        {"%u %w %a %A %b %B", "6 6 Sat Saturday Dec December", "7 0 Sun Sunday Jan January"},
        {"%V %G", "52 2147485547", "52 -2147481749"},
        {"%z %Z", "+3579139407 East", "-3579139408 West"},
        {"%F", "2147485547-2147483648-2147483647", "-2147481748--2147483647--2147483648"},
        {"%c", "2147483648/2147483647/47 2147483647:2147483647:2147483647",
         "-2147483647/-2147483648/52 -2147483648:-2147483648:-2147483648"},
    };
    for (const Case& k : cases) {
        std::string out;
        ASSERT_TRUE(format_time(k.pattern, high, english_names(), east, &out)) << k.pattern;
        EXPECT_EQ(out, k.high) << k.pattern;
        ASSERT_TRUE(format_time(k.pattern, low, english_names(), west, &out)) << k.pattern;
        EXPECT_EQ(out, k.low) << k.pattern;
    }
    // No conversion writes a doubled sign or anything unprintable (%F's own
    // dashes stand before negative numbers, as above).
    for (const char* c = kTimeConversions; *c != '\0'; ++c) {
        for (const std::tm* t : {&high, &low}) {
            const std::string out = formatted(std::string("%") + *c, *t);
            EXPECT_TRUE(*c == 'F' || out.find("--") == std::string::npos) << *c << ": " << out;
            for (const char ch : out) {
                EXPECT_TRUE(ch >= ' ' && ch <= '~') << *c << ": " << out;
            }
        }
    }
}

#if !defined(_WIN32)
// The C library's own locale agrees on every conversion both define; the
// Windows runtimes write %c, %x, %z and %Z their own ways, and msvcrt.dll
// knows neither %e, %F, %T, %R, %u, %V nor %G.
TEST(TimeFormat, AgreesWithTheCLibrarysStrftime)
{
    const char* const conversions[] = {"%a", "%A", "%b", "%B", "%d", "%e", "%F", "%G", "%H", "%I", "%j", "%m", "%M",
                                       "%p", "%R", "%S", "%T", "%u", "%U", "%V", "%w", "%W", "%y", "%Y", "%%"};
    for (long long when = utc(2019, 12, 25, 0, 0, 1); when < utc(2031, 1, 10); when += 86400 * 3 + 3600 * 7 + 61) {
        const std::tm t = zone_time(when, kUtc).local;
        for (const char* c : conversions) {
            char expected[64];
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#endif
            const std::size_t n = std::strftime(expected, sizeof expected, c, &t);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
            ASSERT_EQ(formatted(c, t), std::string(expected, n)) << c << " at " << when;
        }
    }
}
#endif
