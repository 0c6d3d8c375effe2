// The lines that depend on Windows' own data: a zone line's time from that
// zone's rules (the year's own from Dynamic DST), and a locale's dates and
// names; an unknown zone or locale reported.
#include "WideText.h"
#include "ZoneRules.h"

#include "SettingsInUse.h"
#include "TestSupport.h"

#include <cstdlib>
#include <string>

class ZoneAndLocaleLines : public SettingsInUse {};

namespace {
ClockReading g_zone_test_clock;
ClockReading zone_test_clock() { return g_zone_test_clock; }
PowerReading low_power() { return PowerReading{true, 0, 12, 0, false, 2700}; }

}

TEST_F(ZoneAndLocaleLines, AZoneLineShowsThatZonesTimeAndAnUnknownZoneIsReported)
{
    // 2026-12-31 15:30:00 UTC: 00:30 the next day in Tokyo, as Windows' rules give it.
    g_zone_test_clock = read_local_clock();
    g_zone_test_clock.utc_seconds = 1798731000;
    window.read_clock = zone_test_clock;
    start_with(dir + "\\brindlow.ini", "[lines]\nshow = time, zone1, battery\n[zones]\nzone1 = Tokyo Standard Time\n");
    ASSERT_TRUE(window.core.zones[0].known);
    EXPECT_EQ(window.view.display_for(LineKind::Zone1)->text, "Tokyo 00:30");
    EXPECT_EQ(window.core.model.settings.lines.size(), 3u);
    EXPECT_EQ(where().bottom - where().top, 100) << "three lines";
    // BRINDLOW_LINES_SHOT names a PNG for the README: a zone line and a low
    // battery (a reading through the seam: Wine reports no battery).
    if (const char* shot = std::getenv("BRINDLOW_LINES_SHOT")) {
        save(dir + "\\brindlow.ini", "[lines]\nshow = time, zone1, battery\nlow_battery = 20\n"
                                     "battery_format = Battery {percent} {state} ({left})\n"
                                     "[zones]\nzone1 = Tokyo Standard Time\n");
        window.read_power = low_power;
        window.read_clock = read_local_clock;
        window.view.renderer.font.load_from_file(source_path("res/fira-code.png").c_str(), 24, 24, 19);
        window.load_settings();
        run_frames(window, 300);
        save_screen(shot, 0, 0, 600, 100);
        window.read_power = read_power_status;
        window.read_clock = zone_test_clock;
        save(dir + "\\brindlow.ini", "[lines]\nshow = time, zone1, battery\n[zones]\nzone1 = Tokyo Standard Time\n");
        window.load_settings();
    }

    save(dir + "\\brindlow.ini", "[lines]\nshow = time, zone1, battery\n[zones]\nzone1 = Tokio Standard Time\n");
    window.load_settings();
    EXPECT_EQ(window.core.model.settings.lines, (std::vector<LineKind>{LineKind::Time, LineKind::Battery}));
    EXPECT_NE(std::string(tray.nid.szInfo)
                  .find("[zones] zone1 = Tokio Standard Time: no such time zone; did you mean Tokyo Standard Time?"),
              std::string::npos)
        << tray.nid.szInfo;
}

// Santiago's TZI begins daylight time (UTC-3) on September's second Sunday;
// the prefix's Dynamic DST records say the first Sunday in 2023 and 2026 and
// the second in 2024 (read from build/wineprefix/system.reg). By hand, at
// 12:00 UTC: 2023-09-05 is after the 3rd (a Sunday), before the 10th: 09:00
// -0300; 2024-09-05 is before the 8th: 08:00 -0400; 2026-09-10 is after
// the 6th, before the 13th: 09:00 -0300. The TZI alone would give 08:00
// -0400 for all three, 2026's record for every year 09:00 -0300. Egypt's
// TZI has no daylight time; its 2014 record begins it at 23:59:59.999 UTC+2
// on 15 May (May's third Thursday): 21:59 UTC is still 23:59, 22:00 UTC is
// 01:00 on the 16th at UTC+3.
TEST_F(ZoneAndLocaleLines, AZoneLineTakesTheYearsOwnRulesFromDynamicDst)
{
    struct Case {
        const char* zone;
        long long utc;
        const char* text;
    };
    const Case cases[] = {
        {"Pacific SA Standard Time", 1693915200, "Zone 2023-09-05 09:00 -0300"},
        {"Pacific SA Standard Time", 1725537600, "Zone 2024-09-05 08:00 -0400"},
        {"Pacific SA Standard Time", 1789041600, "Zone 2026-09-10 09:00 -0300"},
        {"Egypt Standard Time", 1400191140, "Zone 2014-05-15 23:59 +0200"},
        {"Egypt Standard Time", 1400191200, "Zone 2014-05-16 01:00 +0300"},
    };
    g_zone_test_clock = read_local_clock();
    window.read_clock = zone_test_clock;
    save(dir + "\\brindlow.ini", "[lines]\nshow = time\n");
    ASSERT_EQ(file.init(), 0);
    window.init_displays();
    for (const Case& k : cases) {
        SCOPED_TRACE(k.zone);
        g_zone_test_clock.utc_seconds = k.utc;
        save(dir + "\\brindlow.ini", std::string("[lines]\nshow = time, zone1\n[zones]\nzone1 = ") + k.zone +
                                         "\nzone1_format = Zone %Y-%m-%d %H:%M %z\n");
        window.load_settings();
        ASSERT_TRUE(window.core.zones[0].known);
        EXPECT_EQ(window.view.display_for(LineKind::Zone1)->text, k.text);
    }
}

TEST_F(ZoneAndLocaleLines, ALocaleGivesWindowsOwnLongDateAndItsNamesAndAnUnknownOneIsReported)
{
    window.read_clock = monday_clock;
    save(dir + "\\brindlow.ini",
         "[text]\nlocale = de-DE\n[lines]\ndate_format = long\ntime_format = %A %-d. %B, %#I:%M %p\n");
    ASSERT_EQ(file.init(), 0);
    window.init_displays();
    window.load_settings();
    EXPECT_EQ(window.view.display_for(LineKind::Date)->text, windows_text(L"de-DE", DATE_LONGDATE, nullptr));
    EXPECT_NE(window.view.display_for(LineKind::Date)->text.find("Dezember"), std::string::npos)
        << window.view.display_for(LineKind::Date)->text;
    const std::string am_pm = window.in_force.locale.names.pm;
    EXPECT_EQ(window.view.display_for(LineKind::Time)->text,
              windows_text(L"de-DE", 0, L"dddd d. MMMM") + ", 5:33 " + am_pm);
    EXPECT_EQ(std::string(tray.nid.szInfo), "");

    // French, and the short form; then a locale Windows does not know.
    save(dir + "\\brindlow.ini", "[text]\nlocale = fr-FR\n[lines]\ndate_format = short\ntime_format = %A\n");
    window.load_settings();
    EXPECT_EQ(window.view.display_for(LineKind::Date)->text, windows_text(L"fr-FR", DATE_SHORTDATE, nullptr));
    EXPECT_EQ(window.view.display_for(LineKind::Time)->text, "lundi");
    save(dir + "\\brindlow.ini", "[text]\nlocale = xx-QQ\n[lines]\ntime_format = %A\n");
    window.load_settings();
    EXPECT_EQ(window.view.display_for(LineKind::Time)->text, window.in_force.locale.names.days[1]);
    EXPECT_NE(std::string(tray.nid.szInfo).find("[text] locale = xx-QQ: Windows does not know this locale"),
              std::string::npos)
        << tray.nid.szInfo;
}
