#include "SettingsChecks.h"

#include "PatternFields.h"
#include "Problem.h"
#include "SettingsData.h"
#include "TextEncoding.h"
#include "TimeFormat.h"
#include "Utf8.h"

#include <algorithm>
#include <cstring>
#include <ctime>

namespace {
// A moment that exercises every field (a two-digit day, an afternoon hour)
// to check what a pattern yields before it is ever used.
std::tm sample_time()
{
    std::tm t{};
    t.tm_year = 126;
    t.tm_mon = 11;
    t.tm_mday = 17;
    t.tm_hour = 21;
    t.tm_min = 5;
    t.tm_sec = 3;
    t.tm_wday = 4;
    t.tm_yday = 350;
    return t;
}

// False, with the reason in *why when it is wanted.
bool refused(std::string* why, const std::string& reason)
{
    if (why != nullptr) {
        *why = reason;
    }
    return false;
}

// What every pattern's text must be: UTF-8, printable, at most 64 characters.
bool check_pattern_text(const std::string& pattern, std::string* why)
{
    if (!utf8_valid(pattern)) {
        return refused(why, malformed_text_problem(TextEncoding::Utf8));
    }
    if (!printable_utf8(pattern)) {
        return refused(why, "a control character");
    }
    if (utf8_length(pattern) > kMaxFormatLength) {
        return refused(why, "longer than 64 characters");
    }
    return true;
}
}

bool check_battery_format(const std::string& pattern, std::string* why)
{
    if (!check_pattern_text(pattern, why)) {
        return false;
    }
    static const char* const kFields[] = {"percent", "source", "state", "left", "saver"};
    // A battery field takes no width: {percent:2} is a field of its own name.
    for (const PatternField& f : pattern_fields(pattern)) {
        if (std::find(std::begin(kFields), std::end(kFields), f.inside) == std::end(kFields)) {
            return refused(why, unknown_field_problem(f.inside, f.inside, {std::begin(kFields), std::end(kFields)}));
        }
    }
    return true;
}

bool check_format(const std::string& pattern, std::string* why)
{
    auto refuse = [why](const char* reason) { return refused(why, reason); };
    if (!check_pattern_text(pattern, why)) {
        return false;
    }
    std::string line;
    if (!format_time(pattern, sample_time(), english_names(), ZoneStamp{0, "UTC"}, &line)) {
        // A known conversion refused only for its flag: %#A has no padding to drop.
        for (std::size_t i = 0; i + 2 < pattern.size(); ++i) {
            const bool flagged = pattern[i] == '%' && (pattern[i + 1] == '#' || pattern[i + 1] == '-');
            if (flagged && pattern[i + 2] != '\0' && std::strchr(kTimeConversions, pattern[i + 2]) != nullptr &&
                format_time(pattern.substr(i, 3), sample_time()).empty()) {
                return refuse("%# and %- go only with a number's conversion");
            }
            if (pattern[i] == '%') {
                ++i;
            }
        }
        return refuse("an unsupported % conversion");
    }
    if (line.empty()) {
        return refuse("an empty line");
    }
    if (utf8_length(line) > kMaxLineLength) {
        return refuse("a line of over 100 characters");
    }
    return true;
}
