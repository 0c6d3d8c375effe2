#include "TimeFormat.h"

#include <cstdlib>
#include <cstring>

namespace {
constexpr int kYearBase = 1900;
constexpr int kDaysPerWeek = 7;
constexpr int kHalfDay = 12;
constexpr int kMinutesPerHour = 60;
constexpr int kCenturyYears = 100;

bool is_leap(long long year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int days_in_year(long long year) { return is_leap(year) ? 366 : 365; }

// tm fields held to their ranges, so that a broken-down time from anywhere
// indexes the name tables safely.
int within(int value, int lo, int hi) { return value < lo ? lo : (value > hi ? hi : value); }

// A number, zero-padded to `width` (or not at all), or space-padded for %e.
// The numbers are worked in long long, where a field at either end of int
// and a year's 1900 or a month's 1 added to it still fit.
std::string number(long long value, int width, bool pad, char fill = '0')
{
    std::string digits = std::to_string(value < 0 ? -value : value);
    while (pad && static_cast<int>(digits.size()) < width) {
        digits.insert(digits.begin(), fill);
    }
    return value < 0 ? "-" + digits : digits;
}

int monday_based(int wday) { return (wday + 6) % kDaysPerWeek; }
} // namespace

bool LocaleNames::operator==(const LocaleNames& o) const
{
    return days == o.days && short_days == o.short_days && months == o.months && short_months == o.short_months &&
           am == o.am && pm == o.pm;
}

const LocaleNames& english_names()
{
    static const LocaleNames names{{"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"},
                                   {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"},
                                   {"January", "February", "March", "April", "May", "June", "July", "August",
                                    "September", "October", "November", "December"},
                                   {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"},
                                   "AM",
                                   "PM"};
    return names;
}

int iso_week(const std::tm& t, long long* iso_year)
{
    long long year = static_cast<long long>(t.tm_year) + kYearBase;
    const int yday = within(t.tm_yday, 0, 365);
    const int wday = monday_based(within(t.tm_wday, 0, 6));
    // The Thursday of this date's week decides the year it belongs to.
    const int thursday = yday - wday + 3;
    if (thursday < 0) {
        --year;
        const int shifted = thursday + days_in_year(year);
        *iso_year = year;
        return shifted / kDaysPerWeek + 1;
    }
    if (thursday >= days_in_year(year)) {
        *iso_year = year + 1;
        return 1;
    }
    *iso_year = year;
    return thursday / kDaysPerWeek + 1;
}

bool format_time(const std::string& pattern, const std::tm& t, const LocaleNames& names, const ZoneStamp& zone,
                 std::string* out)
{
    std::string text;
    const int wday = within(t.tm_wday, 0, 6);
    const int mon = within(t.tm_mon, 0, 11);
    // A negative hour counts back from midnight.
    const int half_day_hour = (t.tm_hour % kHalfDay + kHalfDay) % kHalfDay;
    const int hour12 = half_day_hour == 0 ? kHalfDay : half_day_hour;
    const long long year = static_cast<long long>(t.tm_year) + kYearBase;
    const long long yday = t.tm_yday;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%') {
            text += pattern[i];
            continue;
        }
        bool pad = true;
        if (i + 1 < pattern.size() && (pattern[i + 1] == '#' || pattern[i + 1] == '-')) {
            pad = false;
            ++i;
        }
        if (i + 1 >= pattern.size() || pattern[i + 1] == '\0' ||
            std::strchr(kTimeConversions, pattern[i + 1]) == nullptr) {
            return false;
        }
        const char c = pattern[++i];
        const bool numeric = std::strchr("deGHIjmMSuUVwWyY", c) != nullptr;
        if (!pad && !numeric) {
            return false;
        }
        long long iso_year = 0;
        switch (c) {
        case 'a': text += names.short_days[static_cast<std::size_t>(wday)]; break;
        case 'A': text += names.days[static_cast<std::size_t>(wday)]; break;
        case 'b': text += names.short_months[static_cast<std::size_t>(mon)]; break;
        case 'B': text += names.months[static_cast<std::size_t>(mon)]; break;
        // As the C runtimes' own locale writes them: 12/17/26 21:05:03.
        case 'c': text += format_time("%m/%d/%y %H:%M:%S", t); break;
        case 'x': text += format_time("%m/%d/%y", t); break;
        case 'X': text += format_time("%H:%M:%S", t); break;
        case 'd': text += number(t.tm_mday, 2, pad); break;
        case 'e': text += number(t.tm_mday, 2, pad, ' '); break;
        case 'F': text += format_time("%Y-%m-%d", t); break;
        case 'T': text += format_time("%H:%M:%S", t); break;
        case 'R': text += format_time("%H:%M", t); break;
        case 'H': text += number(t.tm_hour, 2, pad); break;
        case 'I': text += number(hour12, 2, pad); break;
        case 'j': text += number(yday + 1, 3, pad); break;
        case 'm': text += number(static_cast<long long>(t.tm_mon) + 1, 2, pad); break;
        case 'M': text += number(t.tm_min, 2, pad); break;
        case 'S': text += number(t.tm_sec, 2, pad); break;
        case 'p': text += t.tm_hour < kHalfDay ? names.am : names.pm; break;
        case 'u': text += number(monday_based(wday) + 1, 1, pad); break;
        case 'w': text += number(wday, 1, pad); break;
        case 'U': text += number((yday + kDaysPerWeek - wday) / kDaysPerWeek, 2, pad); break;
        case 'W': text += number((yday + kDaysPerWeek - monday_based(wday)) / kDaysPerWeek, 2, pad); break;
        case 'V': text += number(iso_week(t, &iso_year), 2, pad); break;
        case 'G':
            (void)iso_week(t, &iso_year);
            text += number(iso_year, 1, pad);
            break;
        case 'y': text += number((year % kCenturyYears + kCenturyYears) % kCenturyYears, 2, pad); break;
        case 'Y': text += number(year, 1, pad); break;
        case 'z': {
            const long long minutes = std::llabs(zone.offset_minutes);
            text += zone.offset_minutes < 0 ? "-" : "+";
            text += number(minutes / kMinutesPerHour, 2, true) + number(minutes % kMinutesPerHour, 2, true);
            break;
        }
        case 'Z': text += zone.name; break;
        default: text += '%'; break; // %%
        }
    }
    *out = text;
    return true;
}

std::string format_time(const std::string& pattern, const std::tm& t)
{
    std::string out;
    (void)format_time(pattern, t, english_names(), ZoneStamp{}, &out);
    return out;
}

bool format_has_seconds(const std::string& pattern) { return format_uses(pattern, kSecondsConversions); }

bool format_uses(const std::string& pattern, const char* conversions)
{
    for (std::size_t i = 0; i + 1 < pattern.size(); ++i) {
        if (pattern[i] != '%') {
            continue;
        }
        char c = pattern[++i];
        if ((c == '#' || c == '-') && i + 1 < pattern.size()) {
            c = pattern[++i];
        }
        if (c != '\0' && std::strchr(conversions, c) != nullptr) {
            return true;
        }
    }
    return false;
}
