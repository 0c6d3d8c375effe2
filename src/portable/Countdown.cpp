#include "Countdown.h"

#include "PatternFields.h"
#include "Problem.h"
#include "Utf8.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace {
// Years a countdown may name.
constexpr int kFirstYear = 1970;
constexpr int kLastYear = 2999;
constexpr int kHoursPerDay = 24;
constexpr int kMinutesPerHour = 60;
constexpr long long kSecondsPerMinute = 60;
constexpr long long kSecondsPerHour = 3600;
constexpr long long kSecondsPerDay = 86400;
// How far either side of a moment the offsets around it are looked at.
constexpr long long kProbeSeconds = 36 * kSecondsPerHour;
constexpr std::size_t kMaxCountdownFormat = 64;
const char* const kFields[] = {"days", "hours", "minutes", "seconds", "total_hours"};

bool leap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int days_in(int year, int month)
{
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && leap(year) ? 29 : kDays[month - 1];
}

bool refuse(std::string* why, const std::string& reason)
{
    if (why != nullptr) {
        *why = reason;
    }
    return false;
}

// Digits at text[at, at + n), as a number; -1 when they are not all digits.
int digits(const std::string& text, std::size_t at, std::size_t n)
{
    if (at + n > text.size()) {
        return -1;
    }
    int value = 0;
    for (std::size_t i = at; i < at + n; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return -1;
        }
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// A field's name and whether it asks for two digits at least ({minutes:2}).
// A field's width: none, or :2 (two digits at least); any other is unknown.
bool two_digits(const PatternField& f) { return f.has_width && f.width == "2"; }
bool width_known(const PatternField& f) { return !f.has_width || two_digits(f); }

std::string two(int n)
{
    char buffer[8];
    (void)std::snprintf(buffer, sizeof buffer, "%02d", n);
    return buffer;
}

std::string moment_text(const LocalMoment& m)
{
    return std::to_string(m.year) + "-" + two(m.month) + "-" + two(m.day) + " " + two(m.hour) + ":" + two(m.minute);
}
}

bool parse_moment(const std::string& text, LocalMoment* out, std::string* why)
{
    const std::size_t first = text.find_first_not_of(' ');
    const std::string moment = first == std::string::npos ? std::string() : text.substr(first);
    if (moment.empty()) {
        *out = LocalMoment{};
        return true;
    }
    // "YYYY-MM-DD", then " HH:MM" (or ISO's "THH:MM") or nothing.
    LocalMoment m;
    m.set = true;
    m.year = digits(moment, 0, 4);
    m.month = digits(moment, 5, 2);
    m.day = digits(moment, 8, 2);
    const bool date = m.year >= 0 && m.month >= 0 && m.day >= 0 && moment[4] == '-' && moment[7] == '-';
    const std::string rest = date ? moment.substr(10) : std::string();
    const bool iso = rest.size() == 6 && rest[0] == 'T';
    if (!date || !(rest.empty() || (rest.size() == 6 && (rest[0] == ' ' || iso) && rest[3] == ':'))) {
        return refuse(why, "a date as YYYY-MM-DD, with a time as HH:MM after a space if wanted");
    }
    m.hour = rest.empty() ? 0 : digits(rest, 1, 2);
    m.minute = rest.empty() ? 0 : digits(rest, 4, 2);
    if (m.hour < 0 || m.minute < 0) {
        return refuse(why, "a time as HH:MM");
    }
    if (m.year < kFirstYear || m.year > kLastYear) {
        return refuse(why, "a year from 1970 to 2999");
    }
    if (m.month < 1 || m.month > 12) {
        return refuse(why, "a month from 01 to 12");
    }
    if (m.day < 1 || m.day > days_in(m.year, m.month)) {
        LocalMoment last = m;
        last.day = days_in(m.year, m.month);
        return refuse(why, problem_text({"",
                                         (m.month == 2 && m.day == 29 ? std::to_string(m.year) + " is no leap year; "
                                                                      : std::string()) +
                                             "that month has " + std::to_string(last.day) + " days",
                                         moment_text(last).substr(0, rest.empty() ? 10 : std::string::npos), ""}));
    }
    if (m.hour == kHoursPerDay && m.minute == 0) {
        // Midnight at the end of a day is the next day's first moment.
        LocalMoment next = m;
        next.hour = 0;
        next.day = m.day + 1;
        if (next.day > days_in(m.year, m.month)) {
            next.day = 1;
            next.month = m.month % 12 + 1;
            next.year = m.year + (m.month == 12 ? 1 : 0);
        }
        return refuse(why, problem_text({"", "hours from 00 to 23", moment_text(next), ""}));
    }
    if (m.hour >= kHoursPerDay || m.minute >= kMinutesPerHour) {
        return refuse(why, "a time from 00:00 to 23:59");
    }
    if (iso) {
        return refuse(why, problem_text({"", "a space between the date and the time", moment_text(m), ""}));
    }
    *out = m;
    return true;
}

long long moment_utc(const LocalMoment& m, const ZoneRules& zone)
{
    const long long shown = days_from_civil(m.year, m.month, m.day) * kSecondsPerDay + m.hour * kSecondsPerHour +
                            m.minute * kSecondsPerMinute;
    // The offsets in force around the moment: no zone moves its clock by
    // more than a day, nor twice within a day and a half.
    long long offsets[3];
    int n = 0;
    for (const long long probe : {shown - kProbeSeconds, shown, shown + kProbeSeconds}) {
        offsets[n++] = zone_time(probe, zone).offset_minutes * kSecondsPerMinute;
    }
    // The clock shows it at shown - offset wherever that offset is the one in
    // force then; the earliest such instant is its first time.
    bool found = false;
    long long first = 0;
    for (const long long offset : offsets) {
        const long long at = shown - offset;
        if (zone_time(at, zone).offset_minutes * kSecondsPerMinute == offset && (!found || at < first)) {
            found = true;
            first = at;
        }
    }
    if (found) {
        return first;
    }
    // Skipped: the clock jumps over it at the change between the earliest
    // instant it could be (on the largest offset) and the latest.
    long long before = shown - *std::max_element(std::begin(offsets), std::end(offsets));
    long long after = shown - *std::min_element(std::begin(offsets), std::end(offsets));
    const int offset_before = zone_time(before, zone).offset_minutes;
    while (after - before > 1) {
        const long long mid = before + (after - before) / 2;
        (zone_time(mid, zone).offset_minutes == offset_before ? before : after) = mid;
    }
    return after;
}

std::string countdown_text(const std::string& format, long long left)
{
    const long long s = left < 0 ? 0 : left;
    return fill_pattern_fields(format, [s](const PatternField& f) {
        const long long value = f.name == "days"          ? s / kSecondsPerDay
                                : f.name == "hours"       ? s % kSecondsPerDay / kSecondsPerHour
                                : f.name == "minutes"     ? s % kSecondsPerHour / kSecondsPerMinute
                                : f.name == "seconds"     ? s % kSecondsPerMinute
                                : f.name == "total_hours" ? s / kSecondsPerHour
                                                          : -1;
        if (value < 0) {
            return "{" + f.inside + "}";
        }
        return two_digits(f) && value < 10 ? "0" + std::to_string(value) : std::to_string(value);
    });
}

bool check_countdown_format(const std::string& format, std::string* why)
{
    if (!utf8_valid(format) || !printable_utf8(format)) {
        return refuse(why, "printable text");
    }
    if (utf8_length(format) > kMaxCountdownFormat) {
        return refuse(why, "longer than 64 characters");
    }
    for (const PatternField& f : pattern_fields(format)) {
        if (std::find(std::begin(kFields), std::end(kFields), f.name) == std::end(kFields)) {
            return refuse(why, unknown_field_problem(f.inside, f.name, {std::begin(kFields), std::end(kFields)}));
        }
        if (!width_known(f)) {
            return refuse(why, "{" + shown(f.inside) + "}: after a field's name only :2 (two digits at least)");
        }
    }
    return true;
}

bool countdown_has_seconds(const std::string& format)
{
    return format.find("{seconds}") != std::string::npos || format.find("{seconds:2}") != std::string::npos;
}
