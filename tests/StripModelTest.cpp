// What the strip shows and when it next wakes, and the table of line kinds
// it works from: portable decisions, built natively with the sanitizers as
// well as for Windows.
#include "StripModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <string>
#include <vector>

namespace {
ClockReading at(int year, int month, int day, int hour, int minute, int second, int ms)
{
    ClockReading c;
    c.ok = true;
    c.local.tm_year = year - 1900;
    c.local.tm_mon = month - 1;
    c.local.tm_mday = day;
    c.local.tm_hour = hour;
    c.local.tm_min = minute;
    c.local.tm_sec = second;
    c.local.tm_isdst = -1;
    c.ms = ms;
    return c;
}

const PowerReading kMains{true, 1, 255};
const PowerReading kOnBattery{true, 0, 87};
const PowerReading kUnreadable{false, 0, 0};

// The shown lines, top to bottom, joined by " | ".
std::string shown_texts(const StripModel& m)
{
    std::string all;
    for (LineKind kind : m.settings.lines) {
        all += (all.empty() ? "" : " | ") + m.texts[static_cast<std::size_t>(line_index(kind))];
    }
    return all;
}

struct Step {
    const char* name;
    ClockReading clock;
    PowerReading power;
    const char* texts;
    unsigned changed;
    int wake_ms;
};

constexpr unsigned kBoth = kPictureChanged | kPlacementChanged;
}

TEST(StripModel, ReadingsInTextsChangesAndTheNextWakeOut)
{
    // One model through a run of wakes, with the default lines.
    const Step steps[] = {
        {"first reading", at(2026, 12, 7, 9, 5, 3, 250), kMains,
         "Date 2026-12-07 | Time 09:05:03 | Battery N/A (Plugged In)", kBoth, 751},
        {"early in the same second", at(2026, 12, 7, 9, 5, 3, 999), kMains,
         "Date 2026-12-07 | Time 09:05:03 | Battery N/A (Plugged In)", 0, 2},
        {"the second turns", at(2026, 12, 7, 9, 5, 4, 3), kMains,
         "Date 2026-12-07 | Time 09:05:04 | Battery N/A (Plugged In)", kPictureChanged, 998},
        {"a late wake skips a second", at(2026, 12, 7, 9, 5, 6, 40), kMains,
         "Date 2026-12-07 | Time 09:05:06 | Battery N/A (Plugged In)", kPictureChanged, 961},
        {"unplugged, same length", at(2026, 12, 7, 9, 5, 6, 60), kOnBattery,
         "Date 2026-12-07 | Time 09:05:06 | Battery 87% (On Battery)", kPictureChanged, 941},
        {"power unreadable, shorter", at(2026, 12, 7, 9, 5, 6, 80), kUnreadable,
         "Date 2026-12-07 | Time 09:05:06 | Battery N/A", kBoth, 921},
        {"clock set back an hour", at(2026, 12, 7, 8, 5, 6, 500), kMains,
         "Date 2026-12-07 | Time 08:05:06 | Battery N/A (Plugged In)", kBoth, 501},
        {"clock set forward to midnight's eve", at(2026, 12, 7, 23, 59, 59, 0), kMains,
         "Date 2026-12-07 | Time 23:59:59 | Battery N/A (Plugged In)", kPictureChanged, 1001},
        {"the day turns", at(2026, 12, 8, 0, 0, 0, 1), kMains,
         "Date 2026-12-08 | Time 00:00:00 | Battery N/A (Plugged In)", kPictureChanged, 1000},
        {"the clock cannot be read: the time stays", ClockReading{}, kMains,
         "Date 2026-12-08 | Time 00:00:00 | Battery N/A (Plugged In)", 0, 1000},
    };
    StripModel m;
    EXPECT_EQ(m.apply(default_settings()), kBoth);
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        EXPECT_EQ(m.update(s.clock, s.power), s.changed);
        EXPECT_EQ(shown_texts(m), s.texts);
        EXPECT_EQ(m.next_wake_ms(s.clock), s.wake_ms);
    }
}

namespace {
struct WakeCase {
    const char* name;
    std::function<void(Settings&)> set;
    ClockReading clock;
    bool seconds;
    int wake_ms;
};
}

TEST(StripModel, WakesAtTheSecondOnlyWhenAShownLineHasSeconds)
{
    const WakeCase cases[] = {
        {"default lines", [](Settings&) {}, at(2026, 12, 7, 9, 5, 3, 250), true, 751},
        {"minutes only", [](Settings& s) { s.time_format = "Time %H:%M"; }, at(2026, 12, 7, 9, 5, 3, 250), false,
         56751},
        {"minutes, last moment of the minute", [](Settings& s) { s.time_format = "Time %H:%M"; },
         at(2026, 12, 7, 9, 5, 59, 999), false, 2},
        {"seconds on a hidden line do not count",
         [](Settings& s) {
             s.lines = {LineKind::Date, LineKind::Battery};
         },
         at(2026, 12, 7, 9, 5, 0, 0), false, 60001},
        {"%X in the date",
         [](Settings& s) {
             s.lines = {LineKind::Date};
             s.date_format = "%X";
         },
         at(2026, 12, 7, 9, 5, 0, 500), true, 501},
        {"%c in the time", [](Settings& s) { s.time_format = "%c"; }, at(2026, 12, 7, 9, 5, 0, 500), true, 501},
        {"%% then S is no conversion", [](Settings& s) { s.time_format = "100%%S %H:%M"; },
         at(2026, 12, 7, 9, 5, 30, 0), false, 30001},
        {"a leap second", [](Settings& s) { s.time_format = "%H:%M"; }, at(2016, 12, 31, 23, 59, 60, 200), false, 801},
    };
    for (const WakeCase& k : cases) {
        SCOPED_TRACE(k.name);
        StripModel m;
        Settings s = default_settings();
        k.set(s);
        m.apply(s);
        EXPECT_EQ(m.shows_seconds(), k.seconds);
        EXPECT_EQ(m.next_wake_ms(k.clock), k.wake_ms);
    }
}

// The clock's timer may fire late by the tolerance: tens of milliseconds for
// a second, seconds for a minute's turn (whatever the lines, the wake's due
// time tells which), never more.
TEST(StripModel, AWakeForTheSecondMayBeLateByTensOfMillisecondsOneForTheMinuteBySeconds)
{
    struct Case {
        const char* name;
        const char* time_format;
        ClockReading clock;
        int tolerance_ms;
    };
    const Case cases[] = {
        {"seconds, early in the second", "Time %H:%M:%S", at(2026, 12, 7, 9, 5, 3, 0), kSecondWakeToleranceMs},
        {"seconds, at its end", "Time %H:%M:%S", at(2026, 12, 7, 9, 5, 3, 999), kSecondWakeToleranceMs},
        {"minutes, early in the minute", "Time %H:%M", at(2026, 12, 7, 9, 5, 0, 0), kMinuteWakeToleranceMs},
        {"minutes, a second and a half before its turn", "Time %H:%M", at(2026, 12, 7, 9, 5, 58, 500),
         kMinuteWakeToleranceMs},
        // Due within the second: the minute turns then, so it keeps the
        // second's tolerance.
        {"minutes, half a second before its turn", "Time %H:%M", at(2026, 12, 7, 9, 5, 59, 500),
         kSecondWakeToleranceMs},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        StripModel m;
        Settings s = default_settings();
        s.lines = {LineKind::Time};
        s.time_format = k.time_format;
        m.apply(s);
        EXPECT_EQ(wake_tolerance_ms(m.next_wake_ms(k.clock)), k.tolerance_ms);
    }
    EXPECT_LT(kSecondWakeToleranceMs, 100);
    EXPECT_GE(kMinuteWakeToleranceMs, 1000);
    EXPECT_LT(kMinuteWakeToleranceMs, 10000);
}

TEST(StripModel, MinuteLinesChangeOncePerMinuteAndHiddenLinesNever)
{
    StripModel m;
    Settings s = default_settings();
    s.lines = {LineKind::Time};
    s.time_format = "Time %H:%M";
    m.apply(s);
    m.update(at(2026, 12, 7, 9, 5, 3, 0), kMains);
    EXPECT_EQ(m.update(at(2026, 12, 7, 9, 5, 4, 0), kOnBattery), 0u) << "battery hidden, minute unchanged";
    EXPECT_EQ(m.update(at(2026, 12, 7, 9, 6, 0, 0), kOnBattery), kPictureChanged);
    EXPECT_EQ(shown_texts(m), "Time 09:06");
}

TEST(StripModel, DrawsBatteryThenDateThenTimeWhateverTheShownOrder)
{
    const std::vector<std::vector<LineKind>> shown = {
        {LineKind::Date, LineKind::Time, LineKind::Battery},
        {LineKind::Time, LineKind::Battery, LineKind::Date},
        {LineKind::Time, LineKind::Date},
    };
    const std::vector<std::vector<LineKind>> drawn = {
        {LineKind::Battery, LineKind::Date, LineKind::Time},
        {LineKind::Battery, LineKind::Date, LineKind::Time},
        {LineKind::Date, LineKind::Time},
    };
    for (std::size_t i = 0; i < shown.size(); ++i) {
        StripModel m;
        Settings s = default_settings();
        s.lines = shown[i];
        m.apply(s);
        EXPECT_EQ(m.draw_order(), drawn[i]) << i;
    }
}

namespace {
struct BatteryCase {
    const char* name;
    PowerReading power;
    const char* pattern;
    const char* text;
    int threshold;
    bool low;
};
}

TEST(StripModel, TheBatteryLineForEachReadingAndPatternAndWhenItIsLow)
{
    const char* kDefault = "Battery {percent} ({source})";
    const char* kAll = "Battery {percent} {state} ({left}) [{saver}]";
    const BatteryCase cases[] = {
        {"today's: on battery", {true, 0, 87, 0, false, -1}, kDefault, "Battery 87% (On Battery)", 0, false},
        {"today's: no battery", {true, 1, 255, 128, false, -1}, kDefault, "Battery N/A (Plugged In)", 0, false},
        {"today's: unreadable", {false, 0, 0, 0, false, -1}, kDefault, "Battery N/A", 20, false},
        {"today's: source unknown", {true, 255, 50, 255, false, -1}, kDefault, "Battery 50% (Unknown)", 0, false},
        {"discharging with time left",
         {true, 0, 64, 0, false, 7500},
         kAll,
         "Battery 64% Discharging (2 h 05 min)",
         0,
         false},
        {"charging: no time left shown", {true, 1, 40, 8, false, 7500}, kAll, "Battery 40% Charging", 0, false},
        {"full", {true, 1, 100, 0, false, -1}, kAll, "Battery 100% Full", 0, false},
        {"saver on, time unknown",
         {true, 0, 30, 0, true, -1},
         kAll,
         "Battery 30% Discharging [Battery saver]",
         0,
         false},
        {"no battery", {true, 1, 255, 128, false, -1}, kAll, "Battery N/A No battery", 0, false},
        {"at the threshold", {true, 0, 20, 0, false, -1}, kDefault, "Battery 20% (On Battery)", 20, true},
        {"one above it", {true, 0, 21, 0, false, -1}, kDefault, "Battery 21% (On Battery)", 20, false},
        {"plugged in under it", {true, 1, 10, 8, false, -1}, kDefault, "Battery 10% (Plugged In)", 20, false},
        {"critical with the threshold off", {true, 0, 4, 4, false, 600}, "{left}", "0 h 10 min", 0, true},
        {"percentage unknown", {true, 0, 255, 0, false, -1}, kDefault, "Battery N/A (On Battery)", 20, false},
    };
    for (const BatteryCase& k : cases) {
        SCOPED_TRACE(k.name);
        EXPECT_EQ(battery_text(k.power, k.pattern), k.text);
        EXPECT_EQ(battery_is_low(k.power, k.threshold), k.low);
    }
    EXPECT_EQ(battery_text(cases[0].power, default_settings().battery_format), "Battery 87% (On Battery)");
}

TEST(StripModel, TheLowColourAndTheUsersOwnLineChangeThePicture)
{
    StripModel m;
    Settings s = default_settings();
    s.low_battery = 20;
    s.text = "Desk 4";
    s.lines = {LineKind::Text, LineKind::Battery};
    EXPECT_EQ(m.apply(s), kPictureChanged | kPlacementChanged);
    const ClockReading clock = at(2026, 12, 7, 9, 5, 3, 0);
    m.update(clock, PowerReading{true, 0, 50, 0, false, -1});
    EXPECT_EQ(shown_texts(m), "Desk 4 | Battery 50% (On Battery)");
    EXPECT_FALSE(m.battery_low);
    // Same length, so only the picture: the colour.
    EXPECT_EQ(m.update(clock, PowerReading{true, 0, 19, 0, false, -1}), kPictureChanged);
    EXPECT_TRUE(m.battery_low);
    EXPECT_EQ(m.update(clock, PowerReading{true, 1, 19, 8, false, -1}), kPictureChanged);
    EXPECT_FALSE(m.battery_low);
    EXPECT_EQ(m.draw_order(), (std::vector<LineKind>{LineKind::Battery, LineKind::Text}));
}

TEST(StripModel, ALineWithNothingToShowTakesNoRowAndNoLineLeftGivesTheDefaults)
{
    using L = LineKind;
    const std::array<bool, kZones> none{};
    const std::array<bool, kZones> first{true, false, false};
    const std::vector<L> defaults = default_settings().lines;
    struct Case {
        const char* name;
        std::vector<L> show;
        std::string text;
        std::array<bool, kZones> known;
        std::vector<L> drawn;
        bool reported;
    };
    const Case cases[] = {
        {"every line can be drawn", {L::Time, L::Text, L::Zone1}, "Desk 4", first, {L::Time, L::Text, L::Zone1}, false},
        {"an empty text (or one refused) takes no row",
         {L::Date, L::Text, L::Battery},
         "",
         none,
         {L::Date, L::Battery},
         false},
        {"an unknown zone takes no row", {L::Time, L::Zone1, L::Zone2}, "", first, {L::Time, L::Zone1}, false},
        {"only an empty text", {L::Text}, "", none, defaults, true},
        {"only an unknown zone", {L::Zone2}, "", first, defaults, true},
        {"an empty text and unknown zones", {L::Zone3, L::Text, L::Zone1}, "", none, defaults, true},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        Settings s = default_settings();
        s.lines = k.show;
        s.text = k.text;
        std::vector<std::string> problems;
        EXPECT_EQ(lines_to_draw(s, k.known, &problems), k.drawn);
        ASSERT_EQ(problems.size(), k.reported ? 1u : 0u);
        if (k.reported) {
            EXPECT_EQ(problems[0], "[lines] show: none of its lines can be shown; the default lines are shown instead");
        }
    }
}

TEST(LineKinds, EachRowIsItsOwnKindWithANameThatReadsBackAndARankOfItsOwn)
{
    std::vector<int> ranks;
    for (int i = 0; i < kLineKinds; ++i) {
        const LineKindRow& row = line_kinds()[static_cast<std::size_t>(i)];
        SCOPED_TRACE(row.name);
        // Indexed by LineKind: a row out of place (or one missing, left
        // empty) would give one kind another's text.
        EXPECT_EQ(line_index(row.kind), i);
        ASSERT_NE(row.name, nullptr);
        ASSERT_TRUE(row.label != nullptr && row.pattern != nullptr && row.make != nullptr);
        LineKind named = LineKind::Date;
        ASSERT_TRUE(line_kind_named(row.name, &named));
        EXPECT_EQ(named, row.kind);
        EXPECT_EQ(std::count(ranks.begin(), ranks.end(), row.draw_rank), 0) << "two lines of one rank";
        ranks.push_back(row.draw_rank);
    }
    LineKind kind = LineKind::Time;
    EXPECT_FALSE(line_kind_named("zone4", &kind));
    EXPECT_FALSE(line_kind_named("Date", &kind));
    EXPECT_FALSE(line_kind_named("", &kind));
    EXPECT_EQ(line_names_text(), "date, time, battery, text, zone1, zone2, zone3 and countdown");
    EXPECT_EQ(zone_line(1), LineKind::Zone2);
}

TEST(LineKinds, TheMenuOffersALineOnceItHasSomethingToShow)
{
    Settings s = default_settings();
    std::vector<std::string> labels;
    for (const LineKindRow& row : line_kinds()) {
        labels.push_back(row.label(s));
    }
    EXPECT_EQ(labels, (std::vector<std::string>{"Date", "Time", "Battery", "", "", "", "", ""}));
    s.text = "Desk 4";
    s.zones[2] = "Tokyo Standard Time";
    EXPECT_EQ(line_kind(LineKind::Text).label(s), "Text");
    EXPECT_EQ(line_kind(LineKind::Zone3).label(s), "Tokyo");
    EXPECT_EQ(line_kind(LineKind::Zone1).label(s), "");
    s.countdown = LocalMoment{true, 2026, 12, 24, 18, 0};
    EXPECT_EQ(line_kind(LineKind::Countdown).label(s), "Countdown");
}

namespace {
struct ReadsCase {
    const char* name;
    LineKind kind;
    std::function<void(Settings&)> set;
    unsigned reads;
    bool seconds;
    Regional form;
};
}

TEST(LineKinds, WhatALineNeedsReadAndWhetherItTurnsEachSecondFollowItsPattern)
{
    const unsigned kClock = kReadsClock;
    const ReadsCase cases[] = {
        {"the default date", LineKind::Date, [](Settings&) {}, kClock, false, Regional::None},
        {"the default time", LineKind::Time, [](Settings&) {}, kClock, true, Regional::None},
        {"a date naming the zone", LineKind::Date, [](Settings& s) { s.date_format = "%Y-%m-%d %Z"; },
         kClock | kReadsZone, false, Regional::None},
        {"a time with its offset", LineKind::Time, [](Settings& s) { s.time_format = "%H:%M %z"; }, kClock | kReadsZone,
         false, Regional::None},
        {"%% then z names nothing", LineKind::Time, [](Settings& s) { s.time_format = "%H:%M %%z"; }, kClock, false,
         Regional::None},
        {"the long date: no seconds", LineKind::Date, [](Settings& s) { s.date_format = "long"; },
         kClock | kReadsLocale, false, Regional::LongDate},
        {"the short date", LineKind::Date, [](Settings& s) { s.date_format = "short"; }, kClock | kReadsLocale, false,
         Regional::ShortDate},
        {"the long time has seconds", LineKind::Time, [](Settings& s) { s.time_format = "long"; },
         kClock | kReadsLocale, true, Regional::LongTime},
        {"the short time has none", LineKind::Time, [](Settings& s) { s.time_format = "short"; }, kClock | kReadsLocale,
         false, Regional::ShortTime},
        {"the battery", LineKind::Battery, [](Settings&) {}, kReadsPower, false, Regional::None},
        {"the user's own line", LineKind::Text, [](Settings& s) { s.text = "%S %Z"; }, 0, false, Regional::None},
        // A zone line's %Z is its own zone's, not the local one.
        {"a zone with seconds", LineKind::Zone2,
         [](Settings& s) {
             s.zones[1] = "Tokyo Standard Time";
             s.zone_formats[1] = "%H:%M:%S %Z";
         },
         kClock, true, Regional::None},
        {"a zone's default pattern", LineKind::Zone1, [](Settings& s) { s.zones[0] = "Tokyo Standard Time"; }, kClock,
         false, Regional::None},
    };
    for (const ReadsCase& k : cases) {
        SCOPED_TRACE(k.name);
        Settings s = default_settings();
        k.set(s);
        EXPECT_EQ(line_reads(k.kind, s), k.reads);
        EXPECT_EQ(line_shows_seconds(k.kind, s), k.seconds);
        EXPECT_EQ(line_regional(k.kind, s), k.form);
    }
}

TEST(StripModel, OnlyWhatAShownLineNeedsIsRead)
{
    struct Case {
        const char* name;
        std::vector<LineKind> lines;
        const char* time_format;
        unsigned reads;
    };
    const Case cases[] = {
        {"the default lines: no zone",
         {LineKind::Date, LineKind::Time, LineKind::Battery},
         "Time %H:%M:%S",
         kReadsClock | kReadsPower},
        {"no battery shown: no power", {LineKind::Date, LineKind::Time}, "Time %H:%M:%S", kReadsClock},
        {"a hidden time naming the zone", {LineKind::Date}, "%H %Z", kReadsClock},
        {"a shown time naming the zone", {LineKind::Time}, "%H %Z", kReadsClock | kReadsZone},
        {"the long time", {LineKind::Time, LineKind::Battery}, "long", kReadsClock | kReadsPower | kReadsLocale},
        {"only the user's own line", {LineKind::Text}, "%H %Z", 0},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        StripModel m;
        Settings s = default_settings();
        s.text = "Desk 4";
        s.lines = k.lines;
        s.time_format = k.time_format;
        m.apply(s);
        EXPECT_EQ(m.reads(), k.reads);
        EXPECT_EQ(m.wants(Regional::LongTime), std::string(k.time_format) == "long" &&
                                                   std::count(k.lines.begin(), k.lines.end(), LineKind::Time) > 0);
    }
}

TEST(StripModel, EachKindsTextIsMadeFromItsOwnReading)
{
    // What the date, time and battery lines each printed on their own.
    struct Case {
        const char* name;
        ClockReading clock;
        PowerReading power;
        const char* texts;
    };
    const Case cases[] = {
        {"zero-padded",
         at(2025, 5, 10, 9, 5, 3, 0),
         {true, 1, 100},
         "Date 2025-05-10 | Time 09:05:03 | Battery 100% (Plugged In)"},
        {"a leap day at midnight",
         at(2024, 2, 29, 0, 0, 0, 0),
         {true, 0, 7},
         "Date 2024-02-29 | Time 00:00:00 | Battery 7% (On Battery)"},
        {"the last second of a year",
         at(2026, 12, 31, 23, 59, 59, 0),
         {true, 2, 50},
         "Date 2026-12-31 | Time 23:59:59 | Battery 50% (Unknown)"},
        // The platform never reports 101-254; they print as they are.
        {"a charge out of range",
         at(2000, 1, 1, 13, 0, 0, 0),
         {true, 128, 254},
         "Date 2000-01-01 | Time 13:00:00 | Battery 254% (Unknown)"},
        {"the clock unreadable: date and time kept",
         ClockReading{},
         {true, 1, 101},
         "Date 2000-01-01 | Time 13:00:00 | Battery 101% (Plugged In)"},
    };
    StripModel m;
    Settings s = default_settings();
    s.text = "Desk 4";
    s.lines = {LineKind::Date, LineKind::Time, LineKind::Battery};
    m.apply(s);
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        m.update(k.clock, k.power);
        EXPECT_EQ(shown_texts(m), k.texts);
        // Hidden, the user's own line is still made: shown later, it is there at once.
        EXPECT_EQ(m.texts[static_cast<std::size_t>(line_index(LineKind::Text))], "Desk 4");
    }
}
