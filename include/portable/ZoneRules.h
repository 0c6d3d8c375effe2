#pragma once

#include <ctime>
#include <string>

// A time zone's rules as Windows keeps them (a zone's TZI in the registry),
// as plain data, and the local time they give for an instant.

// When a change happens: the week-th (5: last) day_of_week (0 Sunday) of the
// month, at hour:minute of the clock it changes from. Month 0: never.
struct ZoneDate {
    int month;
    int day_of_week;
    int week;
    int hour;
    int minute;
};

// Minutes: UTC = local + bias + (standard_bias or daylight_bias).
struct ZoneRules {
    int bias;
    int standard_bias;
    int daylight_bias;
    ZoneDate standard_date;
    ZoneDate daylight_date;
};

// The local time in the zone for seconds since 1970 (UTC), with tm_isdst set.
std::tm zone_local_time(long long utc_seconds, const ZoneRules& rules);
// A short label for a zone's Windows name: "Tokyo Standard Time" gives "Tokyo".
std::string zone_label(const std::string& windows_name);
