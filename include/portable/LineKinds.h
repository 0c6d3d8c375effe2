#pragma once

#include "BatteryText.h"
#include "SettingsData.h"
#include "TimeFormat.h"
#include "ZoneRules.h"

#include <array>
#include <ctime>
#include <string>

// The kinds of line the strip can show, as data: the settings read their
// names from here, the menu its items, the model what to read and how to
// make each text, and the drawing its order. A new kind is one LineKind
// (SettingsData.h) and one row in LineKinds.cpp with the function that makes
// its text; the table refuses to compile out of step with the kinds.

// Windows' own ways of writing a reading in the locale in force; None for a
// line that has no such form.
enum class Regional { ShortDate, LongDate, ShortTime, LongTime, None };
constexpr int kRegionalForms = 4;

// What a line's text is made from, to be read at each wake only when a shown
// line needs it: the clock, the power status, the local zone's name and
// offset (%z, %Z), and the locale's own forms (short, long).
constexpr unsigned kReadsClock = 1;
constexpr unsigned kReadsPower = 2;
constexpr unsigned kReadsZone = 4;
constexpr unsigned kReadsLocale = 8;

// The local time, broken down, and the milliseconds into its second.
struct ClockReading {
    bool ok = false;
    std::tm local{};
    int ms = 0;
    long long utc_seconds = 0; // the same instant, seconds since 1970
    ZoneStamp zone; // for %z and %Z; read only when a shown line names them
    // By Regional: the short and long date, the time without and with
    // seconds, as Windows writes them. Filled only for the forms a shown line
    // asks for (see StripModel::wants); an empty one keeps its line's text.
    std::array<std::string, kRegionalForms> regional;
};

// What a line's text is made from (see LineKindRow::make): the settings,
// the readings of one wake, the zones' clocks and the locale's names.
struct LineInputs {
    const Settings& settings;
    const ClockReading& clock;
    const PowerReading& power;
    const std::array<ClockReading, kZones>& zone_clocks;
    const LocaleNames& names;
    const ZoneRules& local_zone;
};

struct LineKindRow {
    LineKind kind;
    const char* name; // its word in [lines] show
    // Its item in the menu's Lines, or empty when it has nothing to show yet
    // (a text or a zone not set) and is not offered.
    std::string (*label)(const Settings& s);
    // Lines overlap by two rows: the lower rank is drawn first, under.
    int draw_rank;
    // What it may read (kReads...); the pattern narrows it (see line_reads).
    unsigned reads;
    // Whether its text can change every second with these settings.
    bool (*shows_seconds)(const Settings& s);
    // The forms its pattern asks for as short and long, or None.
    Regional short_form;
    Regional long_form;
    // The time pattern it is made with, or empty for a line that has none.
    std::string (*pattern)(const Settings& s);
    // Makes its text; false keeps the text it had (a reading that failed).
    bool (*make)(const LineInputs& in, std::string* out);
};

// Every kind, in LineKind's order.
const std::array<LineKindRow, kLineKinds>& line_kinds();
const LineKindRow& line_kind(LineKind kind);
// The kind whose show name this is; false when none is.
bool line_kind_named(const std::string& name, LineKind* kind);
// The zone line of zone 0, 1, 2.
LineKind zone_line(int zone);
// What a line of this kind needs read at a wake with these settings: the
// local zone only when its pattern names it (%z, %Z), the locale's forms
// only for short and long.
unsigned line_reads(LineKind kind, const Settings& s);
// Whether its text can change every second with these settings.
bool line_shows_seconds(LineKind kind, const Settings& s);
// The locale's form its pattern asks for, or None.
Regional line_regional(LineKind kind, const Settings& s);
// The show names, "date, time, ... and zone3", for the settings' help.
std::string line_names_text();
// The pattern a zone line is drawn with: its own, or the zone's short name
// and " %H:%M".
std::string zone_pattern(const Settings& s, int zone);
