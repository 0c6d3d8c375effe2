// Local time in a zone from Windows' rules given as data: portable, built
// natively with the sanitizers as well as for Windows.
#include "StripModel.h"
#include "ZoneRules.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {
// As the registry's TZI holds them.
const ZoneRules kWestEurope{-60, 0, -60, {10, 0, 5, 3, 0}, {3, 0, 5, 2, 0}};
const ZoneRules kAusEastern{-600, 0, -60, {4, 0, 1, 3, 0}, {10, 0, 1, 2, 0}};
const ZoneRules kTokyo{-540, 0, -60, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}};

std::string shown(const std::tm& t)
{
    char text[40];
    (void)std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d%s", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                        t.tm_hour, t.tm_min, t.tm_sec, t.tm_isdst ? " DST" : "");
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
        EXPECT_EQ(shown(zone_time(k.utc, *k.rules).local), k.local);
    }
}

namespace {
// Real records whose changes fall at 23:59:59.999 or in the first hour of
// the year (the dates as the registry holds them: month, weekday, week,
// hour, minute, second, millisecond).
const ZoneRules kEgypt2014{-120, 0, -60, {9, 4, 5, 23, 59, 59, 999}, {5, 4, 3, 23, 59, 59, 999}};
const ZoneRules kRussia2011{-180, 0, -60, {1, 6, 1, 0, 0}, {3, 0, 5, 2, 0}};
// Daylight time (UTC-2) ends at 24:00 of December's last Wednesday.
const ZoneRules kEndsAtMidnight{180, 0, -60, {12, 3, 5, 24, 0}, {10, 0, 1, 0, 0}};
// Daylight time (UTC-2) begins at 24:00 of December's last Wednesday.
const ZoneRules kBeginsAtMidnight{180, 0, -60, {3, 0, 2, 0, 0}, {12, 3, 5, 24, 0}};
// Daylight time an hour behind standard time (UTC+0 against UTC+1), ending
// at 23:59:59.999 on December's last Wednesday.
const ZoneRules kBehindEndsAtYearEnd{-60, 0, 60, {12, 3, 5, 23, 59, 59, 999}, {6, 0, 1, 2, 0}};
// UTC+1 daylight time beginning at 23:59:59.999 on December's last Wednesday.
const ZoneRules kBeginsAtYearEnd{0, 0, -60, {3, 0, 5, 1, 0}, {12, 3, 5, 23, 59, 59, 999}};
}

// Worked out by hand from the rules, the weekdays checked with date(1):
// - Egypt 2014: May's 3rd Thursday is the 15th (the 1st is a Thursday);
//   daylight time begins at 23:59:59.999 UTC+2 = 21:59:59.999 UTC, so
//   21:59:59 UTC is still 23:59:59 and 22:00:00 UTC is 01:00 DST. September's
//   last Thursday is the 25th: 23:59:59.999 UTC+3 = 20:59:59.999 UTC.
// - Russia 2011: January's 1st Saturday is 1 January 2011, 00:00 on the
//   daylight clock (UTC+4) = 2010-12-31 20:00 UTC: standard time (UTC+3)
//   from there, so 23:00 on 31 December, and 00:00 on 1 January comes once.
//   March's last Sunday is the 27th: 02:00 UTC+3 = 26th 23:00 UTC.
// - 2025-12-31 is a Wednesday, the last of December. At its 24:00 UTC-2
//   (2026-01-01 02:00 UTC) the clock goes back to 23:00 on 31 December; at
//   its 24:00 UTC-3 (03:00 UTC) forward to 01:00 on 1 January.
// - Behind: 23:59:59.999 UTC+0 is 23:59:59.999 UTC; until then it is still
//   31 December on the daylight clock, then 01:00 on 1 January.
// - Begins at year end: 23:59:59.999 UTC is the change, so 23:59 is
//   standard time and midnight UTC is 01:00 DST.
TEST(ZoneRules, ChangesAtTheirSecondsAndOnTheYearOfTheirOwnClock)
{
    const Case cases[] = {
        {"Egypt, a minute before daylight time", &kEgypt2014, 1400191140, "2014-05-15 23:59:00"},
        {"Egypt, its last second of standard time", &kEgypt2014, 1400191199, "2014-05-15 23:59:59"},
        {"Egypt, daylight time begins", &kEgypt2014, 1400191200, "2014-05-16 01:00:00 DST"},
        {"Egypt, its last second of daylight time", &kEgypt2014, 1411678799, "2014-09-25 23:59:59 DST"},
        {"Egypt, daylight time ends", &kEgypt2014, 1411678800, "2014-09-25 23:00:00"},
        {"Russia, a second before the change", &kRussia2011, 1293825599, "2010-12-31 23:59:59 DST"},
        {"Russia, standard time on 31 December", &kRussia2011, 1293825600, "2010-12-31 23:00:00"},
        {"Russia, the new year once", &kRussia2011, 1293829200, "2011-01-01 00:00:00"},
        {"Russia, before daylight time", &kRussia2011, 1301180399, "2011-03-27 01:59:59"},
        {"Russia, daylight time", &kRussia2011, 1301180400, "2011-03-27 03:00:00 DST"},
        {"24:00 ends, a second before", &kEndsAtMidnight, 1767232799, "2025-12-31 23:59:59 DST"},
        {"24:00 ends, back to 23:00", &kEndsAtMidnight, 1767232800, "2025-12-31 23:00:00"},
        {"24:00 begins, a second before", &kBeginsAtMidnight, 1767236399, "2025-12-31 23:59:59"},
        {"24:00 begins, on to 01:00", &kBeginsAtMidnight, 1767236400, "2026-01-01 01:00:00 DST"},
        {"behind, half an hour before", &kBehindEndsAtYearEnd, 1767223800, "2025-12-31 23:30:00 DST"},
        {"behind, its last second", &kBehindEndsAtYearEnd, 1767225599, "2025-12-31 23:59:59 DST"},
        {"behind, ended", &kBehindEndsAtYearEnd, 1767225600, "2026-01-01 01:00:00"},
        {"year end, a minute before", &kBeginsAtYearEnd, 1767225540, "2025-12-31 23:59:00"},
        {"year end, its last second", &kBeginsAtYearEnd, 1767225599, "2025-12-31 23:59:59"},
        {"year end, daylight time", &kBeginsAtYearEnd, 1767225600, "2026-01-01 01:00:00 DST"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        EXPECT_EQ(shown(zone_time(k.utc, *k.rules).local), k.local);
    }
}

namespace {
ZoneRules russia_by_year()
{
    const ZoneRules y2010{-180, 0, -60, {10, 0, 5, 3, 0}, {3, 0, 5, 2, 0}};
    const ZoneRules y2012{-240, 0, 0, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}};
    // The TZI holds the latest rules, as the registry's does.
    ZoneRules r = y2012;
    r.first_year = 2010;
    r.years = {y2010, kRussia2011, y2012};
    return r;
}
}

// Russia's records for 2010-2012 (2010: daylight time from March's last
// Sunday 02:00 UTC+3 to October's last Sunday 03:00 UTC+4; 2011 as above;
// 2012: UTC+4, no daylight time), by hand:
// - 2010-10-31 is the last Sunday: 03:00 UTC+4 = 30th 23:00 UTC, back to 02:00.
// - 2011-12-31 20:00 UTC is midnight at UTC+4, both in 2011's daylight time
//   and in 2012's standard time: the year's record takes over there.
// - July 2012 is standard time at UTC+4 (2011's rules would say daylight).
// - 2020 takes the last record (2012), 2005 the first (2010: July in
//   daylight time, UTC+4).
TEST(ZoneRules, EachYearTakesItsOwnRecordOrTheNearest)
{
    const ZoneRules russia = russia_by_year();
    const Case cases[] = {
        {"2010, before daylight time ends", &russia, 1288479599, "2010-10-31 02:59:59 DST"},
        {"2010, daylight time ends", &russia, 1288479600, "2010-10-31 02:00:00"},
        {"2011's first change, on 31 December", &russia, 1293825600, "2010-12-31 23:00:00"},
        {"2011, daylight time", &russia, 1301180400, "2011-03-27 03:00:00 DST"},
        {"2011, its last second", &russia, 1325361599, "2011-12-31 23:59:59 DST"},
        {"2012's record, midnight", &russia, 1325361600, "2012-01-01 00:00:00"},
        {"2012, no daylight time", &russia, 1341100800, "2012-07-01 04:00:00"},
        {"after the last record", &russia, 1579089600, "2020-01-15 16:00:00"},
        {"before the first record", &russia, 1120176000, "2005-07-01 04:00:00 DST"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        EXPECT_EQ(shown(zone_time(k.utc, *k.rules).local), k.local);
    }
    EXPECT_EQ(zone_time(1341100800, russia).offset_minutes, 240);
    EXPECT_EQ(zone_time(1288479600, russia).offset_minutes, 180);
}

namespace {
// Santiago's records for 2014-2016 as a Wine prefix holds them: 2014
// daylight time (UTC-3) to April's 4th Sunday and from September's 1st, at
// 00:00; 2015 UTC-3 all year without daylight time; 2016 daylight time to
// May's 3rd Sunday and from August's 2nd.
ZoneRules santiago_by_year()
{
    const ZoneRules y2014{240, 0, -60, {4, 0, 4, 0, 0}, {9, 0, 1, 0, 0}};
    const ZoneRules y2015{180, 0, -60, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}};
    const ZoneRules y2016{240, 0, -60, {5, 0, 3, 0, 0}, {8, 0, 2, 0, 0}};
    ZoneRules r = y2016;
    r.first_year = 2014;
    r.years = {y2014, y2015, y2016};
    return r;
}
}

// By hand (the same as IANA's America/Santiago): 2014 ends in daylight time
// (from 7 September), UTC-3; 2015's record takes over at its midnight on
// that clock, UTC-3 without daylight time; 2016's record opens in daylight
// time (it ends before it begins), UTC-3 again, until 15 May (May's 3rd
// Sunday) 00:00 UTC-3 = 03:00 UTC, when it is 23:00 on the 14th at UTC-4.
TEST(ZoneRules, ASouthernZoneWhoseRulesChangeFromYearToYear)
{
    const ZoneRules santiago = santiago_by_year();
    const Case cases[] = {
        {"2014, summer", &santiago, 1420027200, "2014-12-31 09:00:00 DST"},
        {"2014, its last second", &santiago, 1420081199, "2014-12-31 23:59:59 DST"},
        {"2015's record", &santiago, 1420081200, "2015-01-01 00:00:00"},
        {"2015, winter at UTC-3", &santiago, 1435752000, "2015-07-01 09:00:00"},
        {"2015, its last second", &santiago, 1451617199, "2015-12-31 23:59:59"},
        {"2016's record, in daylight time", &santiago, 1451617200, "2016-01-01 00:00:00 DST"},
        {"2016, before daylight time ends", &santiago, 1463281199, "2016-05-14 23:59:59 DST"},
        {"2016, daylight time ends", &santiago, 1463281200, "2016-05-14 23:00:00"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        EXPECT_EQ(shown(zone_time(k.utc, *k.rules).local), k.local);
    }
    EXPECT_EQ(zone_time(1435752000, santiago).offset_minutes, -180);
    EXPECT_EQ(zone_time(1463281200, santiago).offset_minutes, -240);
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
    clock.local = zone_time(clock.utc_seconds, kTokyo).local;
    m.zone_clocks[2] = clock;
    m.zone_clocks[2].local = zone_time(clock.utc_seconds, kAusEastern).local;
    m.update(clock, PowerReading{});
    EXPECT_EQ(m.texts[static_cast<std::size_t>(line_index(LineKind::Zone3))], "Desk 02:30:00");
    EXPECT_EQ(m.texts[static_cast<std::size_t>(line_index(LineKind::Time))], "Time 00:30");
}

namespace {
ZoneRules by_year(int first_year, const std::vector<ZoneRules>& records)
{
    ZoneRules r = records.back();
    r.first_year = first_year;
    r.years = records;
    return r;
}

const ZoneRules kMinus4{240, 0, 0, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}};
const ZoneRules kMinus5{300, 0, 0, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}};
const ZoneRules kPlus1{-60, 0, 0, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}};
const ZoneRules kMinus1{60, 0, 0, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}};
// UTC+9, daylight time (UTC+10) from March's last Sunday 02:00 to October's
// last Sunday 03:00.
const ZoneRules kPlus9Summer{-540, 0, -60, {10, 0, 5, 3, 0}, {3, 0, 5, 2, 0}};
const ZoneRules kPlus10{-600, 0, 0, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}};
const ZoneRules kPlus8{-480, 0, 0, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}};
// UTC-3 with daylight time (UTC-2) carried over New Year as the records
// write it: 2007 from December's 5th Sunday (the 30th) 00:00 until "1 January
// 00:00" (2007-01-01 is a Monday), 2008 from "1 January 00:00" (a Tuesday)
// to March's 3rd Sunday 00:00 (the 16th).
const ZoneRules kSummerFromDecember2007{180, 0, -60, {1, 1, 1, 0, 0}, {12, 0, 5, 0, 0}};
const ZoneRules kSummerIntoMarch2008{180, 0, -60, {3, 0, 3, 0, 0}, {1, 2, 1, 0, 0}};
const ZoneRules kMinus3{180, 0, 0, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}};
}

// A year's record takes over when the clock in force reaches 1 January; by
// hand:
// - UTC-4 (2016), UTC-5 (2017): UTC-4 reaches 2017 at 04:00 UTC, where UTC-5
//   reads 23:00 on 31 December; that hour comes twice, 2017 once, at 05:00.
// - UTC+1 (2024), UTC-1 (2025): UTC+1 reaches 2025 at 23:00 UTC on 31
//   December, where UTC-1 reads 22:00; at 00:00 UTC it is 23:00 still in 2024.
// - UTC+9 with summer time (2020), UTC+10 (2021), UTC+8 (2022): UTC+10
//   reaches 2022 at 14:00 UTC on 31 December 2021, where UTC+8 reads 22:00.
// - 2007's summer time begins on 30 December 00:00 UTC-3 (03:00 UTC); at
//   2008-01-01 00:00 UTC-2 (02:00 UTC) 2008's record opens in summer time
//   from its "1 January 00:00": 00:00 comes once, 23:00 on 31 December once
//   (01:00 UTC). It ends on 16 March 00:00 UTC-2 (02:00 UTC), back to 23:00.
//   2007 itself opens in standard time at 03:00 UTC (2006: UTC-3).
TEST(ZoneRules, AYearsRecordTakesOverWhenTheClockInForceReachesNewYear)
{
    const ZoneRules minus4_minus5 = by_year(2016, {kMinus4, kMinus5});
    const ZoneRules plus1_minus1 = by_year(2024, {kPlus1, kMinus1});
    const ZoneRules plus9_10_8 = by_year(2020, {kPlus9Summer, kPlus10, kPlus8});
    const ZoneRules carried = by_year(2006, {kMinus3, kSummerFromDecember2007, kSummerIntoMarch2008});
    const Case cases[] = {
        {"UTC-4, its last second of 2016", &minus4_minus5, 1483243199, "2016-12-31 23:59:59"},
        {"UTC-5 takes over: 23:00 again", &minus4_minus5, 1483243200, "2016-12-31 23:00:00"},
        {"UTC-5 reaches 2017", &minus4_minus5, 1483246800, "2017-01-01 00:00:00"},
        {"UTC+1, a second before 2025", &plus1_minus1, 1735685999, "2024-12-31 23:59:59"},
        {"UTC-1 takes over at 22:00", &plus1_minus1, 1735686000, "2024-12-31 22:00:00"},
        {"UTC-1 at midnight UTC", &plus1_minus1, 1735689600, "2024-12-31 23:00:00"},
        {"UTC-1 reaches 2025", &plus1_minus1, 1735693200, "2025-01-01 00:00:00"},
        {"2020's summer time", &plus9_10_8, 1593561600, "2020-07-01 10:00:00 DST"},
        {"2021 at UTC+10", &plus9_10_8, 1625097600, "2021-07-01 10:00:00"},
        {"UTC+10, a second before 2022", &plus9_10_8, 1640959199, "2021-12-31 23:59:59"},
        {"UTC+8 takes over at 22:00", &plus9_10_8, 1640959200, "2021-12-31 22:00:00"},
        {"UTC+8 reaches 2022", &plus9_10_8, 1640966400, "2022-01-01 00:00:00"},
        {"2006 at UTC-3", &carried, 1167620399, "2006-12-31 23:59:59"},
        {"2007 opens in standard time", &carried, 1167620400, "2007-01-01 00:00:00"},
        {"2007, before summer time", &carried, 1198983599, "2007-12-29 23:59:59"},
        {"2007, summer time", &carried, 1198983600, "2007-12-30 01:00:00 DST"},
        {"2007's last hour, once", &carried, 1199149200, "2007-12-31 23:00:00 DST"},
        {"2008 opens in summer time", &carried, 1199152800, "2008-01-01 00:00:00 DST"},
        {"2008, an hour on", &carried, 1199156400, "2008-01-01 01:00:00 DST"},
        {"2008, summer time's last second", &carried, 1205632799, "2008-03-15 23:59:59 DST"},
        {"2008, summer time ends", &carried, 1205632800, "2008-03-15 23:00:00"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        EXPECT_EQ(shown(zone_time(k.utc, *k.rules).local), k.local);
    }
    EXPECT_EQ(zone_time(1483243200, minus4_minus5).offset_minutes, -300);
    EXPECT_EQ(zone_time(1640959200, plus9_10_8).offset_minutes, 480);
}
