// Local time in a zone from Windows' rules given as data: portable, built
// natively with the sanitizers as well as for Windows.
#include "StripModel.h"
#include "ZoneRules.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {
// As the registry's TZI holds them.
const ZoneRules kWestEurope{-60, 0, -60, {10, 0, 5, 3, 0}, {3, 0, 5, 2, 0}};
const ZoneRules kAusEastern{-600, 0, -60, {4, 0, 1, 3, 0}, {10, 0, 1, 2, 0}};
const ZoneRules kTokyo{-540, 0, -60, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}};

std::string shown(const std::tm& t)
{
    char text[40];
    (void)std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d%s", t.tm_year + 1900, t.tm_mon + 1,
                        t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, t.tm_isdst ? " DST" : "");
    return text;
}

struct Case {
    const char* name;
    const ZoneRules* rules;
    long long utc;
    const char* local;
};
}

TEST(ZoneRules, BothChangesOfANorthernAndASouthernZoneAndAZoneWithout)
{
    const Case cases[] = {
        {"Europe, a second before summer time", &kWestEurope, 1774745999, "2026-03-29 01:59:59"},
        {"Europe, summer time begins", &kWestEurope, 1774746000, "2026-03-29 03:00:00 DST"},
        {"Europe, a second before it ends", &kWestEurope, 1792889999, "2026-10-25 02:59:59 DST"},
        {"Europe, it ends: 02:00 again", &kWestEurope, 1792890000, "2026-10-25 02:00:00"},
        {"Sydney, a second before daylight time ends", &kAusEastern, 1775318399, "2026-04-05 02:59:59 DST"},
        {"Sydney, it ends", &kAusEastern, 1775318400, "2026-04-05 02:00:00"},
        {"Sydney, a second before it begins", &kAusEastern, 1791043199, "2026-10-04 01:59:59"},
        {"Sydney, it begins", &kAusEastern, 1791043200, "2026-10-04 03:00:00 DST"},
        {"Sydney, new year's eve in summer", &kAusEastern, 1798731000, "2027-01-01 02:30:00 DST"},
        {"Tokyo, no daylight time", &kTokyo, 1798731000, "2027-01-01 00:30:00"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        EXPECT_EQ(shown(zone_local_time(k.utc, *k.rules)), k.local);
    }
}

TEST(ZoneRules, AZoneLineIsLabelledWithTheZonesShortName)
{
    EXPECT_EQ(zone_label("Tokyo Standard Time"), "Tokyo");
    EXPECT_EQ(zone_label("W. Europe Standard Time"), "W. Europe");
    EXPECT_EQ(zone_label("UTC"), "UTC");
    Settings s = default_settings();
    s.zones[0] = "Tokyo Standard Time";
    s.zones[1] = "100% Time";
    s.zone_formats[2] = "Desk %H:%M:%S";
    EXPECT_EQ(zone_pattern(s, 0), "Tokyo %H:%M");
    EXPECT_EQ(zone_pattern(s, 1), "100%% %H:%M");
    EXPECT_EQ(zone_pattern(s, 2), "Desk %H:%M:%S");

    // A zone line with seconds wakes the strip every second.
    s.time_format = "Time %H:%M";
    s.lines = {LineKind::Time, LineKind::Zone3};
    StripModel m;
    m.apply(s);
    EXPECT_TRUE(m.shows_seconds());
    ClockReading clock;
    clock.ok = true;
    clock.utc_seconds = 1798731000;
    clock.local = zone_local_time(clock.utc_seconds, kTokyo);
    m.zone_clocks[2] = clock;
    m.zone_clocks[2].local = zone_local_time(clock.utc_seconds, kAusEastern);
    m.update(clock, PowerReading{});
    EXPECT_EQ(m.texts[static_cast<std::size_t>(line_index(LineKind::Zone3))], "Desk 02:30:00");
    EXPECT_EQ(m.texts[static_cast<std::size_t>(line_index(LineKind::Time))], "Time 00:30");
}
