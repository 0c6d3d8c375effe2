// The countdown line: its moment, its texts and when its line next changes:
// portable, built natively with the sanitizers as well as for Windows.
#include "Countdown.h"
#include "StripModel.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

namespace {
struct MomentCase {
    const char* text;
    bool accepted;
    LocalMoment moment; // when accepted
    const char* why; // when not
};

// A reading of the clock `before` whole seconds ahead of a moment and `ms`
// into that second, its local fields as the C runtime gives them.
ClockReading before_moment(const LocalMoment& m, long long before, int ms)
{
    ClockReading c;
    c.ok = true;
    c.utc_seconds = moment_utc(m) - before;
    c.ms = ms;
    const std::time_t t = static_cast<std::time_t>(c.utc_seconds);
    c.local = *std::localtime(&t);
    return c;
}

const LocalMoment kEve{true, 2026, 12, 24, 18, 0};
const PowerReading kNoPower{};

// The local zone set to one with daylight-saving time for a test's length.
class InBerlin : public ::testing::Test {
protected:
    std::string before;
    bool had = false;
    void SetUp() override
    {
#ifdef _WIN32
        GTEST_SKIP() << "the C runtime's TZ knows only the United States' daylight rules";
#else
        const char* tz = std::getenv("TZ");
        had = tz != nullptr;
        before = had ? tz : "";
        setenv("TZ", "Europe/Berlin", 1);
        tzset();
#endif
    }
    void TearDown() override
    {
#ifndef _WIN32
        if (had) {
            setenv("TZ", before.c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
#endif
    }
};
}

TEST(Countdown, MomentsAreDatesWithATimeOrMidnightAndWhatIsNotSaysWhatWasMeant)
{
    const MomentCase cases[] = {
        {"2026-12-24 18:00", true, {true, 2026, 12, 24, 18, 0}, ""},
        {"2026-12-24", true, {true, 2026, 12, 24, 0, 0}, ""},
        {"2028-02-29 23:59", true, {true, 2028, 2, 29, 23, 59}, ""},
        {"2000-02-29", true, {true, 2000, 2, 29, 0, 0}, ""},
        {"1999-12-31 23:59", true, {true, 1999, 12, 31, 23, 59}, ""}, // in the past: its done text
        {"", true, {}, ""},
        {"2027-02-29", false, {}, "2027 is no leap year; that month has 28 days; did you mean 2027-02-28?"},
        {"2100-02-29 08:00", false, {}, "2100 is no leap year; that month has 28 days; did you mean 2100-02-28 08:00?"},
        {"2026-04-31 10:00", false, {}, "that month has 30 days; did you mean 2026-04-30 10:00?"},
        {"2026-12-31 24:00", false, {}, "hours from 00 to 23; did you mean 2027-01-01 00:00?"},
        {"2026-12-24T18:00", false, {}, "a space between the date and the time; did you mean 2026-12-24 18:00?"},
        {"2026-12-24 18:60", false, {}, "a time from 00:00 to 23:59"},
        {"2026-13-01", false, {}, "a month from 01 to 12"},
        {"1969-12-31", false, {}, "a year from 1970 to 2999"},
        {"24.12.2026", false, {}, "a date as YYYY-MM-DD, with a time as HH:MM after a space if wanted"},
        {"2026-12-24 6:00", false, {}, "a date as YYYY-MM-DD, with a time as HH:MM after a space if wanted"},
        {"2026-12-24 18:0x", false, {}, "a time as HH:MM"},
    };
    for (const MomentCase& k : cases) {
        SCOPED_TRACE(k.text);
        LocalMoment m{true, 1, 1, 1, 1, 1};
        std::string why;
        EXPECT_EQ(parse_moment(k.text, &m, &why), k.accepted);
        if (k.accepted) {
            EXPECT_TRUE(m == k.moment);
        } else {
            EXPECT_EQ(why, k.why);
        }
    }
}

TEST_F(InBerlin, AMomentAcrossADaylightSavingChangeIsTheRealTimeLeft)
{
    EXPECT_EQ(moment_utc(kEve), 1798131600) << "18:00 in Berlin in winter is 17:00 UTC";
    // The clocks go forward on 28 March 2027 and back on 31 October.
    const LocalMoment spring_before{true, 2027, 3, 27, 12, 0}, spring_after{true, 2027, 3, 28, 12, 0};
    const LocalMoment autumn_before{true, 2027, 10, 30, 12, 0}, autumn_after{true, 2027, 10, 31, 12, 0};
    EXPECT_EQ(moment_utc(spring_after) - moment_utc(spring_before), 23 * 3600);
    EXPECT_EQ(moment_utc(autumn_after) - moment_utc(autumn_before), 25 * 3600);

    StripModel m;
    Settings s = default_settings();
    s.lines = {LineKind::Countdown};
    s.countdown = spring_after;
    m.apply(s);
    m.update(before_moment(spring_after, 23 * 3600, 0), kNoPower);
    EXPECT_EQ(m.texts[static_cast<std::size_t>(line_index(LineKind::Countdown))], "0 d 23 h 0 min");
}

TEST(Countdown, FieldsSplitTheTimeLeftIntoItsUnits)
{
    const long long left = 2 * 86400 + 3 * 3600 + 4 * 60 + 5; // 2 d 3 h 4 min 5 s
    struct TextCase {
        const char* format;
        long long left;
        const char* text;
    };
    const TextCase cases[] = {
        {"{days} d {hours} h {minutes} min", left, "2 d 3 h 4 min"},
        {"{total_hours}:{minutes}:{seconds}", left, "51:4:5"},
        {"Launch in {seconds} s", 59, "Launch in 59 s"},
        {"{days}/{hours}/{minutes}/{seconds}", 0, "0/0/0/0"},
        {"{days} days", -5, "0 days"},
        {"no fields", left, "no fields"},
    };
    for (const TextCase& k : cases) {
        SCOPED_TRACE(k.format);
        EXPECT_EQ(countdown_text(k.format, k.left), k.text);
    }
    std::string why;
    EXPECT_FALSE(check_countdown_format("{day} d", &why));
    EXPECT_EQ(why, "an unknown field {day}; did you mean {days}?");
    EXPECT_TRUE(check_countdown_format("{total_hours} h left", &why));
    EXPECT_TRUE(countdown_has_seconds("{minutes}:{seconds}"));
    EXPECT_FALSE(countdown_has_seconds("{minutes} min"));
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
    const Step steps[] = {
        // Without {seconds}: a change only as a minute turns.
        {"{days} d {hours} h {minutes} min", 86400 + 61, 0, "1 d 0 h 1 min", 1001},
        {"{days} d {hours} h {minutes} min", 60, 0, "0 d 0 h 1 min", 60001},
        {"{days} d {hours} h {minutes} min", 59, 500, "0 d 0 h 0 min", 58501},
        {"{days} d {hours} h {minutes} min", 0, 0, "Merry Christmas", 60001},
        {"{days} d {hours} h {minutes} min", -3600, 0, "Merry Christmas", 60001},
        // With {seconds}: every second.
        {"{minutes} min {seconds} s", 61, 0, "1 min 1 s", 1001},
        {"{minutes} min {seconds} s", 1, 250, "0 min 1 s", 751},
        {"{minutes} min {seconds} s", 0, 0, "Merry Christmas", 1001},
    };
    for (const Step& k : steps) {
        SCOPED_TRACE(std::string(k.format) + " at " + std::to_string(k.before));
        StripModel m;
        Settings s = default_settings();
        s.lines = {LineKind::Countdown};
        s.countdown = kEve;
        s.countdown_format = k.format;
        s.countdown_done = "Merry Christmas";
        m.apply(s);
        const ClockReading c = before_moment(kEve, k.before, k.ms);
        m.update(c, kNoPower);
        EXPECT_EQ(m.texts[static_cast<std::size_t>(line_index(LineKind::Countdown))], k.text);
        EXPECT_EQ(m.next_wake_ms(c), k.wake_ms);
    }
}

TEST(Countdown, PastItsMomentWithoutADoneTextTheLineTakesNoRow)
{
    StripModel m;
    Settings s = default_settings();
    s.lines = {LineKind::Time, LineKind::Countdown};
    s.countdown = kEve;
    m.apply(s);
    m.update(before_moment(kEve, 1, 0), kNoPower);
    EXPECT_EQ(m.settings.lines, (std::vector<LineKind>{LineKind::Time, LineKind::Countdown}));
    const unsigned changed = m.update(before_moment(kEve, 0, 0), kNoPower);
    EXPECT_EQ(m.settings.lines, std::vector<LineKind>{LineKind::Time});
    EXPECT_NE(changed & kPlacementChanged, 0u);

    // Alone, it gives way to the default lines, never to an empty strip.
    s.lines = {LineKind::Countdown};
    m.apply(s);
    m.update(before_moment(kEve, -60, 0), kNoPower);
    EXPECT_EQ(m.settings.lines, default_settings().lines);

    // Not set, it is left out as a text line without text is.
    s.countdown = LocalMoment{};
    s.lines = {LineKind::Date, LineKind::Countdown};
    std::vector<std::string> problems;
    EXPECT_EQ(lines_to_draw(s, {}, &problems), std::vector<LineKind>{LineKind::Date});
}

TEST(Countdown, TheSettingsReportAnImpossibleDayWithTheDayMeant)
{
    const SettingsLoad load = parse_settings("[lines]\nshow = time, countdown\ncountdown = 2027-02-29 18:00\n"
                                             "countdown_format = {day} d\n");
    ASSERT_EQ(load.problems.size(), 2u);
    EXPECT_EQ(load.problems[0].rfind("[lines] countdown = 2027-02-29 18:00: 2027 is no leap year; that month has 28 "
                                     "days; did you mean 2027-02-28 18:00?; use a moment",
                                     0),
              0u)
        << load.problems[0];
    EXPECT_EQ(
        load.problems[1].rfind("[lines] countdown_format = {day} d: an unknown field {day}; did you mean {days}?", 0),
        0u)
        << load.problems[1];
    EXPECT_FALSE(load.settings.countdown.set);
    EXPECT_EQ(load.settings.countdown_format, "{days} d {hours} h {minutes} min");
    EXPECT_EQ(load.settings.lines, (std::vector<LineKind>{LineKind::Time, LineKind::Countdown}));
}
