#include "ZoneRules.h"

#include <cstddef>

namespace {
constexpr long long kSecondsPerDay = 86400;
constexpr long long kSecondsPerMinute = 60;
constexpr long long kMsPerSecond = 1000;
constexpr long long kMsPerMinute = 60 * kMsPerSecond;
constexpr long long kMsPerHour = 60 * kMsPerMinute;
constexpr long long kMsPerDay = 24 * kMsPerHour;
// Some 3 million years either side of 1970.
constexpr long long kSecondsLimit = 100000000000000LL;
constexpr int kLastWeek = 5;
constexpr long long kYearsWalked = 2;

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
int weekday(long long days) { return static_cast<int>(((days % 7) + 7 + 4) % 7); }

// Clock fields as the registry may hold them, held to their ranges.
int within(int value, int lo, int hi) { return value < lo ? lo : (value > hi ? hi : value); }

bool has_daylight(const ZoneRules& r)
{
    return r.standard_date.month >= 1 && r.standard_date.month <= 12 && r.daylight_date.month >= 1 &&
           r.daylight_date.month <= 12;
}

// The record that holds for a year: its own, else the first or the last.
const ZoneRules& rules_of(const ZoneRules& rules, long long year)
{
    if (rules.years.empty()) {
        return rules;
    }
    const long long last = static_cast<long long>(rules.years.size()) - 1;
    const long long i = year - rules.first_year;
    return rules.years[static_cast<std::size_t>(i < 0 ? 0 : (i > last ? last : i))];
}

// Milliseconds to add to a clock's reading to get UTC.
long long offset_ms(const ZoneRules& r, bool daylight)
{
    const int east = offset_east_minutes(r.bias, r.standard_bias, r.daylight_bias, daylight);
    return -static_cast<long long>(east) * kMsPerMinute;
}

long long floor_div(long long a, long long b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

long long year_of(long long ms) { return civil_from_days(floor_div(ms, kMsPerDay)).year; }

// The change's wall-clock moment in a year, as milliseconds on that clock;
// hour 24 is the end of the day.
long long change_in(long long year, const ZoneDate& d)
{
    const int month = within(d.month, 1, 12);
    const int week = within(d.week, 1, kLastWeek);
    const long long first = days_from_civil(year, month, 1);
    long long day = first + (within(d.day_of_week, 0, 6) - weekday(first) + 7) % 7 + 7LL * (week - 1);
    if (week == kLastWeek) {
        const long long next_month =
            month == 12 ? days_from_civil(year + 1, 1, 1) : days_from_civil(year, month + 1, 1);
        while (day >= next_month) {
            day -= 7;
        }
    }
    return day * kMsPerDay + within(d.hour, 0, 24) * kMsPerHour + within(d.minute, 0, 59) * kMsPerMinute +
           within(d.second, 0, 59) * kMsPerSecond + within(d.millisecond, 0, 999);
}

struct Change {
    long long at; // UTC, milliseconds
    bool to_daylight;
};

// The wall-clock moment 1 January of a year begins, in milliseconds.
long long new_year(long long year) { return days_from_civil(year, 1, 1) * kMsPerDay; }

// A year's two changes in the order they happen: daylight time begins on the
// standard clock and ends on the daylight one, each on that clock's reading
// of the year, so that a change early on 1 January may fall in December in
// UTC or on the other clock.
std::vector<Change> changes_of(const ZoneRules& r, long long year)
{
    std::vector<Change> changes;
    if (has_daylight(r)) {
        const Change begins{change_in(year, r.daylight_date) + offset_ms(r, false), true};
        const Change ends{change_in(year, r.standard_date) + offset_ms(r, true), false};
        changes = begins.at <= ends.at ? std::vector<Change>{begins, ends} : std::vector<Change>{ends, begins};
    }
    return changes;
}

// Whether a record's year opens in daylight time. A change at exactly
// 1 January 00:00:00.000 on its clock is how the records write the state a
// year opens in (daylight time carried over New Year, or ended with it);
// otherwise daylight time spans the turn of the year where it ends before
// it begins (south of the equator).
bool opens_in_daylight(const ZoneRules& r, long long year)
{
    if (!has_daylight(r)) {
        return false;
    }
    const bool begins_with_year = change_in(year, r.daylight_date) == new_year(year);
    const bool ends_with_year = change_in(year, r.standard_date) == new_year(year);
    if (begins_with_year != ends_with_year) {
        return begins_with_year;
    }
    return change_in(year, r.daylight_date) + offset_ms(r, false) >
           change_in(year, r.standard_date) + offset_ms(r, true);
}

// The instant the next year's record takes over, for a year whose record
// took over at `start`: the first instant the clock in force reads 1 January
// of the next year, either by running into it or by a change jumping past it.
long long next_year_start(const ZoneRules& r, long long year, long long start)
{
    const long long midnight = new_year(year + 1);
    bool daylight = opens_in_daylight(r, year);
    long long from = start;
    for (const Change& c : changes_of(r, year)) {
        if (c.at < start) {
            continue;
        }
        const long long reached = midnight + offset_ms(r, daylight);
        if (reached < c.at) {
            return reached > from ? reached : from;
        }
        daylight = c.to_daylight;
        from = c.at;
    }
    const long long reached = midnight + offset_ms(r, daylight);
    return reached > from ? reached : from;
}
}

long long days_from_civil(long long y, int m, int d)
{
    y -= m <= 2 ? 1 : 0;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

// A year's record holds from the instant the clock in force (the previous
// year's record, in its standard or daylight time then) reaches 1 January
// until the instant its own clock reaches the next 1 January; in between,
// the year opens in the state opens_in_daylight says and follows its own
// changes from that instant on. Changes of a record that fall outside its
// span are not made.
ZoneTime zone_time(long long utc_seconds, const ZoneRules& rules)
{
    // Far beyond any calendar's use the instant is held, so that no sum overflows.
    const long long seconds =
        utc_seconds < -kSecondsLimit ? -kSecondsLimit : (utc_seconds > kSecondsLimit ? kSecondsLimit : utc_seconds);
    const long long t = seconds * kMsPerSecond;
    const long long utc_year = year_of(t);
    // Walked from two years back: by then the clock in force no longer
    // depends on where the walk began.
    long long year = utc_year - kYearsWalked;
    long long start = new_year(year) + offset_ms(rules_of(rules, year), opens_in_daylight(rules_of(rules, year), year));
    for (long long y = year; y < utc_year + kYearsWalked; ++y) {
        const long long next = next_year_start(rules_of(rules, y), y, start);
        if (t < next) {
            break;
        }
        year = y + 1;
        start = next;
    }
    const ZoneRules& r = rules_of(rules, year);
    bool in_daylight = opens_in_daylight(r, year);
    for (const Change& c : changes_of(r, year)) {
        if (c.at >= start && c.at <= t) {
            in_daylight = c.to_daylight;
        }
    }
    const long long offset = offset_ms(r, in_daylight) / kMsPerSecond;
    const long long local = seconds - offset;
    const long long days = floor_div(local, kSecondsPerDay);
    const long long secs = local - days * kSecondsPerDay;
    const Civil c = civil_from_days(days);
    ZoneTime z{};
    z.local.tm_year = static_cast<int>(c.year - 1900);
    z.local.tm_mon = c.month - 1;
    z.local.tm_mday = c.day;
    z.local.tm_hour = static_cast<int>(secs / 3600);
    z.local.tm_min = static_cast<int>(secs / 60 % 60);
    z.local.tm_sec = static_cast<int>(secs % 60);
    z.local.tm_wday = weekday(days);
    z.local.tm_yday = static_cast<int>(days - days_from_civil(c.year, 1, 1));
    z.local.tm_isdst = in_daylight ? 1 : 0;
    z.offset_minutes = static_cast<int>(-offset / kSecondsPerMinute);
    return z;
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

int offset_east_minutes(long bias, long standard_bias, long daylight_bias, bool in_daylight)
{
    return -static_cast<int>(bias + (in_daylight ? daylight_bias : standard_bias));
}
