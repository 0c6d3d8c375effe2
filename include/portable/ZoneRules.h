#pragma once

#include <ctime>
#include <string>
#include <vector>

// A time zone's rules as Windows keeps them (a zone's TZI in the registry,
// and its per-year records under Dynamic DST), as plain data, and the local
// time they give for an instant.

// When a change happens: the week-th (5: last) day_of_week (0 Sunday) of the
// month, at hour:minute:second.millisecond of the clock it changes from (hour
// 24 is the end of that day). Month 0: never.
struct ZoneDate {
    int month;
    int day_of_week;
    int week;
    int hour;
    int minute;
    int second = 0;
    int millisecond = 0;
};

// Minutes: UTC = local + bias + (standard_bias or daylight_bias).
struct ZoneRules {
    int bias;
    int standard_bias;
    int daylight_bias;
    ZoneDate standard_date;
    ZoneDate daylight_date;
    // The registry's per-year records: years[i] holds the rules of
    // first_year + i; a year before the first takes the first, one after the
    // last the last. Empty: the rules above hold every year.
    int first_year = 0;
    std::vector<ZoneRules> years = {};
};

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
long long days_from_civil(long long y, int m, int d);

// A zone's offset from UTC in minutes, east positive, from Windows' biases
// (minutes west: UTC = local + bias + standard_bias or daylight_bias).
int offset_east_minutes(long bias, long standard_bias, long daylight_bias, bool in_daylight);

// The local time in a zone, and its offset from UTC in minutes (east positive).
struct ZoneTime {
    std::tm local;
    int offset_minutes;
};

// The local time in the zone for seconds since 1970 (UTC), with tm_isdst set.
// A year's record holds from the instant the clock in force reaches its
// 1 January (on the previous year's record, standard or daylight as it is
// then) until its own clock reaches the next; a change it puts at exactly
// 1 January 00:00:00.000 is the state its year opens in.
ZoneTime zone_time(long long utc_seconds, const ZoneRules& rules);
// A short label for a zone's Windows name: "Tokyo Standard Time" gives "Tokyo".
std::string zone_label(const std::string& windows_name);
