#include "ZoneRules.h"

namespace {
constexpr long long kSecondsPerDay = 86400;
constexpr long long kSecondsPerMinute = 60;
constexpr int kLastWeek = 5;

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
long long days_from_civil(long long y, int m, int d)
{
    y -= m <= 2 ? 1 : 0;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

struct Civil {
    long long year;
    int month;
    int day;
};

Civil civil_from_days(long long z)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    return Civil{yoe + era * 400 + (m <= 2 ? 1 : 0), m, d};
}

// Weekday of a day count from 1970-01-01 (a Thursday), 0 Sunday.
int weekday(long long days)
{
    return static_cast<int>(((days % 7) + 7 + 4) % 7);
}

// The change's wall-clock moment in a year, as seconds on that clock.
long long change_in(long long year, const ZoneDate& d)
{
    const long long first = days_from_civil(year, d.month, 1);
    long long day = first + (d.day_of_week - weekday(first) + 7) % 7 + 7LL * (d.week - 1);
    if (d.week >= kLastWeek) {
        const long long next_month = d.month == 12 ? days_from_civil(year + 1, 1, 1)
                                                   : days_from_civil(year, d.month + 1, 1);
        while (day >= next_month) {
            day -= 7;
        }
    }
    return day * kSecondsPerDay + (d.hour * 60LL + d.minute) * kSecondsPerMinute;
}
}

std::tm zone_local_time(long long utc_seconds, const ZoneRules& rules)
{
    bool in_daylight = false;
    if (rules.standard_date.month != 0 && rules.daylight_date.month != 0) {
        const long long standard_offset = (rules.bias + rules.standard_bias) * kSecondsPerMinute;
        const long long daylight_offset = (rules.bias + rules.daylight_bias) * kSecondsPerMinute;
        const long long local = utc_seconds - standard_offset;
        const long long days = local >= 0 ? local / kSecondsPerDay : (local - kSecondsPerDay + 1) / kSecondsPerDay;
        const long long year = civil_from_days(days).year;
        // Daylight begins on the standard clock and ends on the daylight one.
        const long long begins = change_in(year, rules.daylight_date) + standard_offset;
        const long long ends = change_in(year, rules.standard_date) + daylight_offset;
        // South of the equator daylight spans the turn of the year.
        in_daylight = begins < ends ? utc_seconds >= begins && utc_seconds < ends
                                 : utc_seconds >= begins || utc_seconds < ends;
    }
    const long long offset = (rules.bias + (in_daylight ? rules.daylight_bias : rules.standard_bias)) * kSecondsPerMinute;
    const long long local = utc_seconds - offset;
    const long long days = local >= 0 ? local / kSecondsPerDay : (local - kSecondsPerDay + 1) / kSecondsPerDay;
    const long long secs = local - days * kSecondsPerDay;
    const Civil c = civil_from_days(days);
    std::tm t{};
    t.tm_year = static_cast<int>(c.year - 1900);
    t.tm_mon = c.month - 1;
    t.tm_mday = c.day;
    t.tm_hour = static_cast<int>(secs / 3600);
    t.tm_min = static_cast<int>(secs / 60 % 60);
    t.tm_sec = static_cast<int>(secs % 60);
    t.tm_wday = weekday(days);
    t.tm_yday = static_cast<int>(days - days_from_civil(c.year, 1, 1));
    t.tm_isdst = in_daylight ? 1 : 0;
    return t;
}

std::string zone_label(const std::string& windows_name)
{
    for (const char* suffix : {" Standard Time", " Daylight Time", " Time"}) {
        const std::string s = suffix;
        if (windows_name.size() > s.size() && windows_name.compare(windows_name.size() - s.size(), s.size(), s) == 0) {
            return windows_name.substr(0, windows_name.size() - s.size());
        }
    }
    return windows_name;
}
