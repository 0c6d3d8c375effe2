// What the strip shows and when it next wakes: portable decisions, built
// natively with the sanitizers as well as for Windows.
#include "StripModel.h"

#include <gtest/gtest.h>

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
         [](Settings& s) { s.lines = {LineKind::Date, LineKind::Battery}; }, at(2026, 12, 7, 9, 5, 0, 0), false,
         60001},
        {"%X in the date", [](Settings& s) { s.lines = {LineKind::Date}; s.date_format = "%X"; },
         at(2026, 12, 7, 9, 5, 0, 500), true, 501},
        {"%c in the time", [](Settings& s) { s.time_format = "%c"; }, at(2026, 12, 7, 9, 5, 0, 500), true, 501},
        {"%% then S is no conversion", [](Settings& s) { s.time_format = "100%%S %H:%M"; },
         at(2026, 12, 7, 9, 5, 30, 0), false, 30001},
        {"a leap second", [](Settings& s) { s.time_format = "%H:%M"; }, at(2016, 12, 31, 23, 59, 60, 200), false,
         801},
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
        {"discharging with time left", {true, 0, 64, 0, false, 7500}, kAll, "Battery 64% Discharging (2 h 05 min)",
         0, false},
        {"charging: no time left shown", {true, 1, 40, 8, false, 7500}, kAll, "Battery 40% Charging", 0, false},
        {"full", {true, 1, 100, 0, false, -1}, kAll, "Battery 100% Full", 0, false},
        {"saver on, time unknown", {true, 0, 30, 0, true, -1}, kAll, "Battery 30% Discharging [Battery saver]", 0,
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
    EXPECT_EQ(battery_text(cases[0].power), "Battery 87% (On Battery)");
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
        {"an empty text (or one refused) takes no row", {L::Date, L::Text, L::Battery}, "", none,
         {L::Date, L::Battery}, false},
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
