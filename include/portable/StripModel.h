#pragma once

#include "Settings.h"
#include "TimeFormat.h"
#include "ZoneRules.h"

#include <array>
#include <ctime>
#include <string>
#include <vector>

// What the strip shows and when it next has to look again, as plain data:
// the settings, a clock reading and a power reading go in; the lines' texts,
// whether the picture or the placement changed, and the milliseconds to the
// next moment a shown text can change come out. The Windows side reads what
// the shown lines need (reads()), applies the answers and sleeps in between.

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

// The system power status as Windows reports it: the AC-line byte (0
// off-line, 1 on-line, else unknown), the charge byte (0-100, 255 unknown),
// the battery flags (4 critical, 8 charging, 128 no battery, 255 unknown),
// battery saver, and the seconds of charge left (-1 unknown).
struct PowerReading {
    bool ok = false;
    unsigned char ac_line = 255;
    unsigned char charge = 255;
    unsigned char flags = 255;
    bool saver = false;
    long seconds_left = -1;
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

// What an update changed: the picture (a shown text), the placement (a
// shown line's length, which sizes the strip and moves right-aligned lines).
constexpr unsigned kPictureChanged = 1;
constexpr unsigned kPlacementChanged = 2;

// A wake this long after the boundary, not at it: a timer that fires a
// millisecond early would find the old second still showing.
constexpr int kWakeGuardMs = 1;
// How late Windows may let the clock's timer fire to line its wake-ups up
// with others' (a coalescable timer only ever fires late, never early): the
// second a wake due within a second shows may come this much later...
constexpr int kSecondWakeToleranceMs = 50;
// ...and a wake due later than that, the turn of a minute, this much later.
constexpr int kMinuteWakeToleranceMs = 2000;
// The tolerance for a wake due in `due_ms` (StripModel::next_wake_ms): a
// wake due within a second and its guard keeps the second, a later one is a
// minute's turn.
int wake_tolerance_ms(int due_ms);

class StripModel {
public:
    Settings settings = default_settings();
    std::array<std::string, kLineKinds> texts; // by LineKind, shown or not
    // The battery line in the low colour: on battery at or below the
    // threshold, or critical.
    // The lines ran out while it ran (a countdown past its moment with
    // nothing to say then was the last), and the default lines stand in.
    bool no_lines_left = false;
    bool battery_low = false;
    // The time in each zone line's zone, read by the caller for the same
    // instant as the clock; a zone that is not ok keeps its text.
    std::array<ClockReading, kZones> zone_clocks;
    // The day, month and AM/PM names of the locale in force.
    LocaleNames names = english_names();
    // The local zone's rules, which a countdown's moment is read in (the
    // Windows side hands in Windows' zone; UTC until then).
    ZoneRules local_zone{0, 0, 0, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}};

    // Takes new settings: everything is drawn and placed again.
    unsigned apply(const Settings& s);
    // Formats the readings into the texts; a failed clock or power read keeps
    // the text it would have changed (the battery says "Battery N/A").
    unsigned update(const ClockReading& clock, const PowerReading& power);
    // Whether a shown line changes every second (a seconds conversion).
    bool shows_seconds() const;
    // What the shown lines need read at a wake (kReadsClock, ...): what no
    // shown line needs is not read.
    unsigned reads() const;
    // Whether a shown line asks for this regional form.
    bool wants(Regional form) const;
    // Milliseconds from this reading to the next moment a shown text can
    // change: the next second boundary when a shown format has seconds, else
    // the next minute's.
    int next_wake_ms(const ClockReading& clock) const;
    bool shown(LineKind kind) const;
    // The shown lines in the order they are drawn (by their kinds' draw
    // ranks: battery, date, time, ...), whatever order they are shown in.
    // Lines overlap by two rows, so the order decides whose shadow lies over
    // whose text.
    // The zone lines' clocks at this reading: each known zone's local time
    // from its rules (`rules` and `known` by zone).
    void read_zones(const ClockReading& clock, const ZoneRules* rules, const bool* known);
    std::vector<LineKind> draw_order() const;
};

// What is said when none of the lines shown can be, and the default lines stand in.
constexpr const char* kNoLinesProblem =
    "[lines] show: none of its lines can be shown; the default lines are shown instead";

// The battery line through a battery pattern: "Battery {percent} ({source})"
// gives "Battery 87% (On Battery)", "Battery N/A (Plugged In)", or "Battery
// N/A" when the status could not be read; fields left empty take their
// brackets and spaces along.
std::string battery_text(const PowerReading& power, const std::string& pattern);
// Whether the battery line takes the low colour for this reading.
bool battery_is_low(const PowerReading& power, int threshold);
// The pattern a zone line is drawn with: its own, or the zone's short name
// and " %H:%M".
std::string zone_pattern(const Settings& s, int zone);
// The lines that can be drawn, top to bottom: the settings' own without a
// text line whose text is empty and zone lines whose zone is not known (the
// caller reports those), so that a line left out takes no row. When every
// line is left out, the default lines, and a problem saying so in *problems.
std::vector<LineKind> lines_to_draw(const Settings& s, const std::array<bool, kZones>& zone_known,
                                    std::vector<std::string>* problems);
// Whether a time pattern shows seconds (%S, or %c, %T and %X, which include them).
bool format_has_seconds(const std::string& pattern);
// Whether a time pattern uses any of these conversions.
bool format_uses(const std::string& pattern, const char* conversions);

// What one key of the settings changes on the strip, so that a key written
// from the menu applies only that: Reload for a key with no shortcut (the
// whole file is read and applied, as after a hand edit).
enum class KeyEffect { Place, Rescale, Lines, Colours, Opacity, Stacking, Reload };
KeyEffect key_effect(const std::string& key);
// The values a key of that effect decides, taken from `now` into `s`
// (Lines and Reload take nothing: their lines depend on what Windows knows).
void take_key(Settings* s, const Settings& now, KeyEffect effect);
