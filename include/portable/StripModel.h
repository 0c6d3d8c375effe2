#pragma once

#include "LineKinds.h"
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
    // The lines ran out while it ran (a countdown past its moment with
    // nothing to say then was the last), and the default lines stand in.
    bool no_lines_left = false;
    // The battery line in the low colour: on battery at or below the
    // threshold, or critical.
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
    // The zone lines' clocks at this reading: each known zone's local time
    // from its rules (`rules` and `known` by zone).
    void read_zones(const ClockReading& clock, const ZoneRules* rules, const bool* known);
    // The shown lines in the order they are drawn (by their kinds' draw
    // ranks: battery, date, time, ...), whatever order they are shown in.
    // Lines overlap by two rows, so the order decides whose shadow lies over
    // whose text.
    std::vector<LineKind> draw_order() const;
};

// What is said when none of the lines shown can be, and the default lines stand in.
constexpr const char* kNoLinesProblem =
    "[lines] show: none of its lines can be shown; the default lines are shown instead";

// The lines that can be drawn, top to bottom: the settings' own without a
// text line whose text is empty and zone lines whose zone is not known (the
// caller reports those), so that a line left out takes no row. When every
// line is left out, the default lines, and a problem saying so in *problems.
std::vector<LineKind> lines_to_draw(const Settings& s, const std::array<bool, kZones>& zone_known,
                                    std::vector<std::string>* problems);
