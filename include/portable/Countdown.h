#pragma once

#include "ZoneRules.h"

#include <string>

// [lines] countdown: a moment on the local clock ("2026-12-24 18:00"; a
// date alone is its midnight), the time left until it written through
// countdown_format, and countdown_done once it has passed.

struct LocalMoment {
    bool set = false;
    int year = 0;
    int month = 0; // 1-12
    int day = 0; // 1-31
    int hour = 0;
    int minute = 0;

    bool operator==(const LocalMoment& o) const
    {
        return set == o.set && year == o.year && month == o.month && day == o.day && hour == o.hour &&
               minute == o.minute;
    }
};

// Parses "YYYY-MM-DD HH:MM" or "YYYY-MM-DD" (empty: not set). False when
// refused, with the reason in *why (a day the month does not have, the
// moment probably meant where there is one).
bool parse_moment(const std::string& text, LocalMoment* out, std::string* why);
// Seconds since 1970 (UTC) of the moment the local clock shows it, in the
// local zone's rules (Windows' zone, as the registry keeps it), so that a
// daylight-saving change between now and then is counted as the hour it is.
// A moment the clock shows twice is its first time; one it skips is the
// instant it jumps over it.
long long moment_utc(const LocalMoment& m, const ZoneRules& zone);
// The time left written through a format (fields {days} {hours} {minutes}
// {seconds} {total_hours}; hours, minutes and seconds are what is left
// past the larger units), for `left` whole seconds.
std::string countdown_text(const std::string& format, long long left);
// Whether a countdown format is accepted: known fields only, printable
// UTF-8, at most 64 characters; *why says why not.
bool check_countdown_format(const std::string& format, std::string* why);
// Whether it shows seconds, so that its line changes every second.
bool countdown_has_seconds(const std::string& format);
