#pragma once

#include <array>
#include <ctime>
#include <string>

// Our own strftime: the conversions the settings allow, over a broken-down
// time, with the day, month and AM/PM names of the locale in force (the
// Windows side reads them from Windows; English here). Being ours, it is the
// same on every C runtime, knows ISO week numbers and the no-padding flag,
// and never hands the settings file's text to a library that might end the
// process over it.

// A locale's names, as UTF-8.
struct LocaleNames {
    std::array<std::string, 7> days; // Sunday first, as tm_wday counts
    std::array<std::string, 7> short_days;
    std::array<std::string, 12> months; // January first
    std::array<std::string, 12> short_months;
    std::string am;
    std::string pm;
    bool operator==(const LocaleNames& o) const;
};

// "Sunday", "Jan", "AM": the names the C library's own locale uses.
const LocaleNames& english_names();

// The zone a reading is in, for %z (+hhmm) and %Z (its name; none when empty).
struct ZoneStamp {
    int offset_minutes = 0; // east of UTC
    std::string name;
};

// The conversions a pattern may use after %. '#' or '-' between the % and a
// number's letter drops its padding: %#I and %-I both read "5", not "05".
constexpr char kTimeConversions[] = "aAbBcdeFGHIjmMpRSTuUVwWxXyYzZ%";
// The ones whose text changes every second.
constexpr char kSecondsConversions[] = "cSTX";

// The pattern's text for this time; false (and *out untouched) when the
// pattern has a conversion outside kTimeConversions, a flag on a conversion
// that is not a number, or a % at its end. Text between conversions is
// copied as it stands, UTF-8 included.
bool format_time(const std::string& pattern, const std::tm& t, const LocaleNames& names, const ZoneStamp& zone,
                 std::string* out);
// The same with English names and no zone, for callers that have neither.
std::string format_time(const std::string& pattern, const std::tm& t);
// The ISO 8601 week (1-53) of a date, and in *iso_year the year that week
// belongs to: week 1 is the one with the year's first Thursday, so
// 2026-12-31 is in week 53 of 2026 and 2027-01-04 in week 1 of 2027.
int iso_week(const std::tm& t, long long* iso_year);
// Whether a time pattern shows seconds (%S, or %c, %T and %X, which include them).
bool format_has_seconds(const std::string& pattern);
// Whether a time pattern uses any of these conversions.
bool format_uses(const std::string& pattern, const char* conversions);
