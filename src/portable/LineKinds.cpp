#include "LineKinds.h"

#include "Countdown.h"

#include <algorithm>

namespace {
std::string no_pattern(const Settings&) { return std::string(); }
std::string date_pattern(const Settings& s) { return s.date_format; }
std::string time_pattern(const Settings& s) { return s.time_format; }
template <int Z> std::string zone_pattern_of(const Settings& s) { return zone_pattern(s, Z); }

std::string date_label(const Settings&) { return "Date"; }
std::string time_label(const Settings&) { return "Time"; }
std::string battery_label(const Settings&) { return "Battery"; }
std::string text_label(const Settings& s) { return s.text.empty() ? std::string() : std::string("Text"); }
template <int Z> std::string zone_label_of(const Settings& s)
{
    return s.zones[Z].empty() ? std::string() : zone_label(s.zones[Z]);
}
std::string countdown_label(const Settings& s) { return s.countdown.set ? "Countdown" : std::string(); }

bool no_seconds(const Settings&) { return false; }
// A clock line: of Windows' own forms only the long time has seconds.
template <LineKind K> bool clock_seconds(const Settings& s)
{
    const Regional form = line_regional(K, s);
    return form == Regional::LongTime || (form == Regional::None && format_has_seconds(line_kind(K).pattern(s)));
}
bool countdown_seconds(const Settings& s) { return countdown_has_seconds(s.countdown_format); }

// A clock line's text: Windows' own form when the pattern asks for one (an
// empty one, not read, keeps the text), else the pattern with the locale's
// names. Nothing for a failed reading or an empty result.
bool clock_text(const std::string& pattern, Regional short_form, Regional long_form, const ClockReading& c,
                const LocaleNames& names, std::string* out)
{
    if (!c.ok) {
        return false;
    }
    if (pattern == kRegionalShort || pattern == kRegionalLong) {
        const Regional form = pattern == kRegionalLong ? long_form : short_form;
        if (form == Regional::None) {
            return false;
        }
        *out = c.regional[static_cast<std::size_t>(form)];
        return !out->empty();
    }
    return format_time(pattern, c.local, names, c.zone, out) && !out->empty();
}

bool date_text(const LineInputs& in, std::string* out)
{
    return clock_text(in.settings.date_format, Regional::ShortDate, Regional::LongDate, in.clock, in.names, out);
}

bool time_text(const LineInputs& in, std::string* out)
{
    return clock_text(in.settings.time_format, Regional::ShortTime, Regional::LongTime, in.clock, in.names, out);
}

bool battery_line_text(const LineInputs& in, std::string* out)
{
    *out = battery_text(in.power, in.settings.battery_format);
    return true;
}

bool own_text(const LineInputs& in, std::string* out)
{
    *out = in.settings.text;
    return true;
}

template <int Z> bool zone_text(const LineInputs& in, std::string* out)
{
    return clock_text(zone_pattern(in.settings, Z), Regional::None, Regional::None, in.zone_clocks[Z], in.names, out);
}

// The time left on the local clock until the moment, then the text for
// after it (an empty one leaves the line out: see StripModel::update).
bool countdown_line_text(const LineInputs& in, std::string* out)
{
    if (!in.clock.ok) {
        return false;
    }
    const Settings& s = in.settings;
    const long long left = s.countdown.set ? moment_utc(s.countdown, in.local_zone) - in.clock.utc_seconds : 0;
    *out = left > 0 ? countdown_text(s.countdown_format, left) : s.countdown_done;
    return true;
}

constexpr unsigned kClockLine = kReadsClock | kReadsZone | kReadsLocale;

// The draw ranks keep the order the lines have always been drawn in: the
// battery under the date, the date under the time, then the rest.
constexpr std::array<LineKindRow, kLineKinds> kRows = {{
    {LineKind::Date, "date", date_label, 1, kClockLine, clock_seconds<LineKind::Date>, Regional::ShortDate,
     Regional::LongDate, date_pattern, date_text},
    {LineKind::Time, "time", time_label, 2, kClockLine, clock_seconds<LineKind::Time>, Regional::ShortTime,
     Regional::LongTime, time_pattern, time_text},
    {LineKind::Battery, "battery", battery_label, 0, kReadsPower, no_seconds, Regional::None, Regional::None,
     no_pattern, battery_line_text},
    {LineKind::Text, "text", text_label, 3, 0, no_seconds, Regional::None, Regional::None, no_pattern, own_text},
    // A zone line's clock is its own zone's, worked out from the clock.
    {LineKind::Zone1, "zone1", zone_label_of<0>, 4, kReadsClock, clock_seconds<LineKind::Zone1>, Regional::None,
     Regional::None, zone_pattern_of<0>, zone_text<0>},
    {LineKind::Zone2, "zone2", zone_label_of<1>, 5, kReadsClock, clock_seconds<LineKind::Zone2>, Regional::None,
     Regional::None, zone_pattern_of<1>, zone_text<1>},
    {LineKind::Zone3, "zone3", zone_label_of<2>, 6, kReadsClock, clock_seconds<LineKind::Zone3>, Regional::None,
     Regional::None, zone_pattern_of<2>, zone_text<2>},
    {LineKind::Countdown, "countdown", countdown_label, 7, kReadsClock, countdown_seconds, Regional::None,
     Regional::None, no_pattern, countdown_line_text},
}};

// The table holds a row for each kind, at the kind's own place (the menu, the
// show names and line_kind read it so)...
constexpr bool rows_in_kind_order()
{
    for (std::size_t i = 0; i < kRows.size(); ++i) {
        if (line_index(kRows[i].kind) != static_cast<int>(i)) {
            return false;
        }
    }
    return true;
}
static_assert(rows_in_kind_order(), "each kind's row at its kind's place, in LineKind's order");

// ...and its draw ranks are an order: each rank from 0 once, so that no two
// lines can tie and the drawing order is the rows' alone.
constexpr bool ranks_are_an_order()
{
    for (int rank = 0; rank < kLineKinds; ++rank) {
        int rows = 0;
        for (const LineKindRow& row : kRows) {
            rows += row.draw_rank == rank ? 1 : 0;
        }
        if (rows != 1) {
            return false;
        }
    }
    return true;
}
static_assert(ranks_are_an_order(), "every draw rank from 0 to kLineKinds - 1 once");
}

const std::array<LineKindRow, kLineKinds>& line_kinds() { return kRows; }

const LineKindRow& line_kind(LineKind kind) { return kRows[static_cast<std::size_t>(line_index(kind))]; }

bool line_kind_named(const std::string& name, LineKind* kind)
{
    for (const LineKindRow& row : kRows) {
        if (name == row.name) {
            *kind = row.kind;
            return true;
        }
    }
    return false;
}

LineKind zone_line(int zone) { return static_cast<LineKind>(line_index(LineKind::Zone1) + zone); }

Regional line_regional(LineKind kind, const Settings& s)
{
    const LineKindRow& row = line_kind(kind);
    const std::string pattern = row.pattern(s);
    return pattern == kRegionalShort ? row.short_form : pattern == kRegionalLong ? row.long_form : Regional::None;
}

unsigned line_reads(LineKind kind, const Settings& s)
{
    const LineKindRow& row = line_kind(kind);
    unsigned reads = row.reads;
    if (!format_uses(row.pattern(s), "zZ")) {
        reads &= ~kReadsZone;
    }
    if (line_regional(kind, s) == Regional::None) {
        reads &= ~kReadsLocale;
    }
    return reads;
}

bool line_shows_seconds(LineKind kind, const Settings& s) { return line_kind(kind).shows_seconds(s); }

std::string line_names_text()
{
    std::string text;
    for (std::size_t i = 0; i < kRows.size(); ++i) {
        text += std::string(i == 0 ? "" : (i + 1 == kRows.size() ? " and " : ", ")) + kRows[i].name;
    }
    return text;
}

std::string zone_pattern(const Settings& s, int zone)
{
    const std::string& own = s.zone_formats[zone];
    if (!own.empty()) {
        return own;
    }
    // A label with a % in it must not read as a conversion.
    std::string label;
    for (char c : zone_label(s.zones[zone])) {
        label += c == '%' ? std::string("%%") : std::string(1, c);
    }
    return label + " %H:%M";
}
