// The countdown line: its moment, its texts and when its line next changes:
// portable, built natively with the sanitizers as well as for Windows.
#include "Countdown.h"
#include "StripModel.h"

#include <gtest/gtest.h>

#include <string>

namespace {
// As the registry's TZI holds them.
const ZoneRules kUtc{0, 0, 0, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}};
const ZoneRules kWestEurope{-60, 0, -60, {10, 0, 5, 3, 0}, {3, 0, 5, 2, 0}};
const ZoneRules kPacific{480, 0, -60, {11, 0, 1, 2, 0}, {3, 0, 2, 2, 0}};
const ZoneRules kAusEastern{-600, 0, -60, {4, 0, 1, 3, 0}, {10, 0, 1, 2, 0}};

// A reading of the clock `before` whole seconds ahead of a moment and `ms`
// into that second, its local fields in the zone's rules.
ClockReading before_moment(const LocalMoment& m, long long before, int ms = 0, const ZoneRules& zone = kUtc)
{
    ClockReading c;
    c.ok = true;
    c.utc_seconds = moment_utc(m, zone) - before;
    c.ms = ms;
    c.local = zone_time(c.utc_seconds, zone).local;
    return c;
}

const LocalMoment kEve{true, 2026, 12, 24, 18, 0};

StripModel counting(const std::vector<LineKind>& lines, const char* format, const char* done)
{
    StripModel m;
    Settings s = default_settings();
    s.lines = lines;
    s.countdown = kEve;
    s.countdown_format = format;
    s.countdown_done = done;
    m.apply(s);
    return m;
}

const std::string& countdown_of(const StripModel& m)
{
    return m.texts[static_cast<std::size_t>(line_index(LineKind::Countdown))];
}
}

TEST(Countdown, MomentsAreDatesWithATimeOrMidnightAndWhatIsNotSaysWhatWasMeant)
{
    struct Case {
        const char* text;
        LocalMoment moment; // when accepted
        const char* why; // empty when accepted
    };
    const Case cases[] = {
        {"2026-12-24 18:00", {true, 2026, 12, 24, 18, 0}, ""},
        {"2026-12-24", {true, 2026, 12, 24, 0, 0}, ""},
        {"2028-02-29 23:59", {true, 2028, 2, 29, 23, 59}, ""},
        {"1999-12-31 23:59", {true, 1999, 12, 31, 23, 59}, ""}, // in the past: its done text at once
        {"", {}, ""},
        {"2027-02-29", {}, "2027 is no leap year; that month has 28 days; did you mean 2027-02-28?"},
        {"2100-02-29 08:00", {}, "2100 is no leap year; that month has 28 days; did you mean 2100-02-28 08:00?"},
        {"2026-04-31 10:00", {}, "that month has 30 days; did you mean 2026-04-30 10:00?"},
        {"2026-12-31 24:00", {}, "hours from 00 to 23; did you mean 2027-01-01 00:00?"},
        {"2026-12-24T18:00", {}, "a space between the date and the time; did you mean 2026-12-24 18:00?"},
        {"2026-12-24 18:60", {}, "a time from 00:00 to 23:59"},
        {"2026-13-01", {}, "a month from 01 to 12"},
        {"1969-12-31", {}, "a year from 1970 to 2999"},
        {"24.12.2026", {}, "a date as YYYY-MM-DD, with a time as HH:MM after a space if wanted"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.text);
        LocalMoment m{true, 1, 1, 1, 1, 1};
        std::string why;
        EXPECT_EQ(parse_moment(k.text, &m, &why), *k.why == '\0');
        EXPECT_EQ(why, k.why);
        EXPECT_TRUE(*k.why != '\0' || m == k.moment);
    }
    for (const char* bad : {"{minutes:3}", "{minutes:}", "{minutes:02}"}) {
        std::string why;
        EXPECT_FALSE(check_countdown_format(bad, &why)) << bad;
        EXPECT_NE(why.find("only :2"), std::string::npos) << why;
    }
    const SettingsLoad load = parse_settings("[lines]\ncountdown = 2027-02-29 18:00\ncountdown_format = {day} d\n");
    ASSERT_EQ(load.problems.size(), 2u);
    EXPECT_EQ(load.problems[0].rfind("[lines] countdown = 2027-02-29 18:00: 2027 is no leap year; that month has 28 "
                                     "days; did you mean 2027-02-28 18:00?; use a moment",
                                     0),
              0u);
    EXPECT_EQ(
        load.problems[1].rfind("[lines] countdown_format = {day} d: an unknown field {day}; did you mean {days}?", 0),
        0u);
}

TEST(Countdown, AMomentAcrossADaylightSavingChangeInTheLocalZoneIsTheRealTimeLeft)
{
    EXPECT_EQ(moment_utc(kEve, kWestEurope), 1798131600) << "18:00 in Berlin in winter is 17:00 UTC";
    // The clocks go forward on 28 March 2027 and back on 31 October.
    const LocalMoment spring{true, 2027, 3, 28, 12, 0}, autumn{true, 2027, 10, 31, 12, 0};
    EXPECT_EQ(moment_utc(spring, kWestEurope) - moment_utc({true, 2027, 3, 27, 12, 0}, kWestEurope), 23 * 3600);
    EXPECT_EQ(moment_utc(autumn, kWestEurope) - moment_utc({true, 2027, 10, 30, 12, 0}, kWestEurope), 25 * 3600);
    StripModel m = counting({LineKind::Countdown}, "{days} d {hours} h {minutes} min", "");
    m.local_zone = kWestEurope;
    m.settings.countdown = spring;
    m.update(before_moment(spring, 23 * 3600, 0, kWestEurope), PowerReading{});
    EXPECT_EQ(countdown_of(m), "0 d 23 h 0 min") << "noon to noon over the change";
}

// By hand: Pacific time goes back on 7 November 2027 (November's first
// Sunday) at 02:00 PDT = 09:00 UTC, and forward on 14 March (March's second
// Sunday) at 02:00 PST = 10:00 UTC. Sydney goes back on 4 April 2027 (April's
// first Sunday) at 03:00 AEDT = 3 April 16:00 UTC, and forward on 3 October
// (October's first Sunday) at 02:00 AEST = 2 October 16:00 UTC.
TEST(Countdown, ARepeatedTimeIsItsFirstAndASkippedOneTheJumpOverIt)
{
    struct Case {
        const char* name;
        const ZoneRules* zone;
        LocalMoment moment;
        long long utc;
    };
    const Case cases[] = {
        {"Pacific, before the repeated hour", &kPacific, {true, 2027, 11, 7, 0, 30}, 1825572600},
        {"Pacific, 01:30 first in PDT", &kPacific, {true, 2027, 11, 7, 1, 30}, 1825576200},
        {"Pacific, 02:00 once, in PST", &kPacific, {true, 2027, 11, 7, 2, 0}, 1825581600},
        {"Pacific, the last minute before the gap", &kPacific, {true, 2027, 3, 14, 1, 59}, 1805018340},
        {"Pacific, 02:30 skipped", &kPacific, {true, 2027, 3, 14, 2, 30}, 1805018400},
        {"Pacific, 03:00 after the gap", &kPacific, {true, 2027, 3, 14, 3, 0}, 1805018400},
        {"Sydney, 02:30 first in AEDT", &kAusEastern, {true, 2027, 4, 4, 2, 30}, 1806766200},
        {"Sydney, 00:30 before the repeated hour", &kAusEastern, {true, 2027, 4, 4, 0, 30}, 1806759000},
        {"Sydney, 02:30 skipped", &kAusEastern, {true, 2027, 10, 3, 2, 30}, 1822492800},
        {"Sydney, 03:30 after the gap", &kAusEastern, {true, 2027, 10, 3, 3, 30}, 1822494600},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        EXPECT_EQ(moment_utc(k.moment, *k.zone), k.utc);
    }
    // The line at the first 01:30 says the moment has come, not an hour left.
    StripModel m = counting({LineKind::Countdown}, "{hours} h {minutes} min", "now");
    m.local_zone = kPacific;
    m.settings.countdown = {true, 2027, 11, 7, 1, 30};
    ClockReading c;
    c.ok = true;
    c.utc_seconds = 1825576200;
    c.local = zone_time(c.utc_seconds, kPacific).local;
    m.update(c, PowerReading{});
    EXPECT_EQ(countdown_of(m), "now");
}

TEST(Countdown, TheLineCountsDownWakesAtEachChangeAndGivesWayToItsDoneText)
{
    struct Step {
        const char* format;
        long long before; // seconds ahead of the moment
        int ms;
        const char* text;
        int wake_ms;
    };
    const char* const minutes = "{days} d {hours} h {minutes} min";
    const Step steps[] = {
        // Without {seconds}: a change only as a minute turns.
        {minutes, 86400 + 61, 0, "1 d 0 h 1 min", 1001},
        {minutes, 60, 0, "0 d 0 h 1 min", 60001},
        {minutes, 59, 500, "0 d 0 h 0 min", 58501},
        {minutes, 0, 0, "Merry Christmas", 60001},
        {minutes, -3600, 0, "Merry Christmas", 60001},
        // With {seconds}: every second.
        {"{total_hours}:{minutes}:{seconds}", 2 * 86400 + 3 * 3600 + 4 * 60 + 5, 0, "51:4:5", 1001},
        {"{minutes} min {seconds} s", 1, 250, "0 min 1 s", 751},
        {"{minutes} min {seconds} s", 0, 0, "Merry Christmas", 1001},
        // Two digits at least where asked for, the seconds' wake kept.
        {"{total_hours:2}:{minutes:2}:{seconds:2}", 2 * 86400 + 3 * 3600 + 4 * 60 + 5, 0, "51:04:05", 1001},
        {"{days:2} d {hours:2}:{minutes:2}", 100 * 86400 + 61, 0, "100 d 00:01", 1001},
    };
    for (const Step& k : steps) {
        SCOPED_TRACE(std::string(k.format) + " at " + std::to_string(k.before));
        StripModel m = counting({LineKind::Countdown}, k.format, "Merry Christmas");
        const ClockReading c = before_moment(kEve, k.before, k.ms);
        m.update(c, PowerReading{});
        EXPECT_EQ(countdown_of(m), k.text);
        EXPECT_EQ(m.next_wake_ms(c), k.wake_ms);
    }
}

TEST(Countdown, PastItsMomentWithoutADoneTextTheLineTakesNoRow)
{
    StripModel m = counting({LineKind::Time, LineKind::Countdown}, "{minutes} min", "");
    m.update(before_moment(kEve, 1), PowerReading{});
    EXPECT_EQ(m.settings.lines, (std::vector<LineKind>{LineKind::Time, LineKind::Countdown}));
    EXPECT_NE(m.update(before_moment(kEve, 0), PowerReading{}) & kPlacementChanged, 0u);
    EXPECT_EQ(m.settings.lines, std::vector<LineKind>{LineKind::Time});

    // Alone, it gives way to the default lines, never to an empty strip.
    m = counting({LineKind::Countdown}, "{minutes} min", "");
    EXPECT_FALSE(m.no_lines_left);
    m.update(before_moment(kEve, -60), PowerReading{});
    EXPECT_EQ(m.settings.lines, default_settings().lines);
    EXPECT_TRUE(m.no_lines_left) << "said in the report, as for lines left out when the file is read";
    m.apply(default_settings());
    EXPECT_FALSE(m.no_lines_left);

    // Not set, it is left out as a text line without text is.
    Settings s = default_settings();
    s.lines = {LineKind::Date, LineKind::Countdown};
    std::vector<std::string> problems;
    EXPECT_EQ(lines_to_draw(s, {}, &problems), std::vector<LineKind>{LineKind::Date});
}
