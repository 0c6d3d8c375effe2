// The settings layer: text in, settings and problems out. Portable: built
// natively with the sanitizers as well as for Windows.
#include "Settings.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {
struct Good {
    const char* text;
    std::function<void(Settings&)> expect; // applied to the defaults
};

void PrintTo(const Good& g, std::ostream* os) { *os << g.text; }

class GoodValues : public ::testing::TestWithParam<Good> {};

struct Bad {
    const char* text;
    const char* problem;
};

void PrintTo(const Bad& b, std::ostream* os) { *os << b.text; }

class BadValues : public ::testing::TestWithParam<Bad> {};
}

TEST(Settings, DefaultsAreTodaysOverlay)
{
    const Settings d = default_settings();
    EXPECT_EQ(d.corner, Corner::TopLeft);
    EXPECT_EQ(d.x, 0);
    EXPECT_EQ(d.y, 0);
    EXPECT_EQ(d.area, Area::Screen);
    EXPECT_EQ(d.monitor, 0);
    EXPECT_EQ(d.colour, 0x00FFFFu);
    EXPECT_EQ(d.shadow, 0x000000u);
    EXPECT_TRUE(d.shadow_shown);
    EXPECT_EQ(d.lines, (std::vector<LineKind>{LineKind::Date, LineKind::Time, LineKind::Battery}));
    EXPECT_EQ(d.date_format, "Date %Y-%m-%d");
    EXPECT_EQ(d.time_format, "Time %H:%M:%S");
    EXPECT_FALSE(d.hide_over_fullscreen);
    EXPECT_FALSE(d.outline_shown);
    EXPECT_EQ(d.opacity, 100);
    EXPECT_FALSE(d.drift);
    const SettingsLoad empty = parse_settings("");
    EXPECT_EQ(empty.settings, d);
    EXPECT_TRUE(empty.problems.empty());
}

TEST_P(GoodValues, Apply)
{
    const SettingsLoad load = parse_settings(GetParam().text);
    Settings expected = default_settings();
    GetParam().expect(expected);
    EXPECT_EQ(load.settings, expected);
    EXPECT_TRUE(load.problems.empty()) << load.problems.front();
}

INSTANTIATE_TEST_SUITE_P(
    Keys, GoodValues,
    ::testing::Values(Good{"[overlay]\ncorner = bottom-right\nx = 10000\ny = 7\n",
                           [](Settings& s) {
                               s.corner = Corner::BottomRight;
                               s.x = 10000;
                               s.y = 7;
                           }},
                      Good{"[overlay]\narea = work\nmonitor = 2\nhide_over_fullscreen = true\n",
                           [](Settings& s) {
                               s.area = Area::Work;
                               s.monitor = 2;
                               s.hide_over_fullscreen = true;
                           }},
                      Good{"[text]\ncolour = #ff8000\nshadow = none\n",
                           [](Settings& s) {
                               s.colour = 0xFF8000;
                               s.shadow_shown = false;
                           }},
                      Good{"[text]\nshadow = #102030\n", [](Settings& s) { s.shadow = 0x102030; }},
                      Good{"[text]\noutline = #ffffff\nopacity = 20\n[overlay]\ndrift = true\n",
                           [](Settings& s) {
                               s.outline = 0xFFFFFF;
                               s.outline_shown = true;
                               s.opacity = 20;
                               s.drift = true;
                           }},
                      Good{"[text]\noutline = none\nopacity = 100\n[overlay]\ndrift = false\n", [](Settings&) {}},
                      Good{"[text]\nscale = 1.5\n", [](Settings& s) { s.scale_halves = 3; }},
                      Good{"[text]\nscale = auto\n", [](Settings& s) { s.scale_auto = true; }},
                      Good{"[lines]\nshow = time\n", [](Settings& s) { s.lines = {LineKind::Time}; }},
                      Good{"[lines]\nshow=battery,date\n",
                           [](Settings& s) {
                               s.lines = {LineKind::Battery, LineKind::Date};
                           }},
                      Good{"[lines]\ntime_format = Time %I:%M %p\ndate_format = %A %d %B %Y (%j) %%\n",
                           [](Settings& s) {
                               s.time_format = "Time %I:%M %p";
                               s.date_format = "%A %d %B %Y (%j) %%";
                           }},
                      // Notepad's byte-order mark, CR LF endings and comments.
                      Good{"\xEF\xBB\xBF[overlay]\r\n; a comment\r\ncorner = top-right\r\n",
                           [](Settings& s) { s.corner = Corner::TopRight; }}));

TEST_P(BadValues, AreRefusedOneByOneWithWhatIsAccepted)
{
    // A good key beside the bad one still applies.
    const SettingsLoad load = parse_settings(std::string(GetParam().text) + "\n[overlay]\ny = 5\n");
    Settings expected = default_settings();
    expected.y = 5;
    EXPECT_EQ(load.settings, expected);
    ASSERT_EQ(load.problems.size(), 1u);
    EXPECT_EQ(load.problems[0], GetParam().problem);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, BadValues,
    ::testing::Values(
        Bad{"[overlay]\ncorner = middle",
            "[overlay] corner = middle: use top-left, top-right, bottom-left or bottom-right"},
        Bad{"[overlay]\ncorner = top-rigth",
            "[overlay] corner = top-rigth: did you mean top-right?; use top-left, top-right, bottom-left or "
            "bottom-right"},
        Bad{"[zones]\nzone1_format = long",
            "[zones] zone1_format = long: use the whole line, a pattern as for time_format (not short or long); "
            "empty: the zone's short name and %H:%M"},
        Bad{"[lines]\nbattery_format = {percnt}",
            "[lines] battery_format = {percnt}: an unknown field {percnt}; did "
            "you mean {percent}?; use at most 64 characters with any of {percent} "
            "(87% or N/A), {source} (On Battery, Plugged In or Unknown), {state} "
            "(Charging, Discharging, Full or No battery), {left} (the time Windows "
            "estimates, e.g. 2 h 05 min; empty while charging or unknown) and "
            "{saver} (Battery saver when on); brackets and spaces left empty are "
            "tidied away"},
        Bad{"[overlay]\nx = 10001", "[overlay] x = 10001: use pixels from that corner, inward, 0 to 10000"},
        Bad{"[overlay]\nx = -1", "[overlay] x = -1: use pixels from that corner, inward, 0 to 10000"},
        Bad{"[overlay]\nx = 12px", "[overlay] x = 12px: use pixels from that corner, inward, 0 to 10000"},
        Bad{"[overlay]\nmonitor = 0",
            "[overlay] monitor = 0: use primary, all (a strip on each), a monitor's name (as Display settings shows "
            "it, or \\\\.\\DISPLAY2), or 1, 2, ... in the order Windows enumerates the monitors"},
        Bad{"[overlay]\nhide_over_fullscreen = yes",
            "[overlay] hide_over_fullscreen = yes: use true hides the strip while a full-screen program is in "
            "front on its monitor, or false"},
        Bad{"[text]\ncolour = #080808",
            "[text] colour = #080808: use #RRGGBB, but not #080808 (the strip's see-through background)"},
        Bad{"[text]\ncolour = cyan",
            "[text] colour = cyan: use #RRGGBB, but not #080808 (the strip's see-through background)"},
        Bad{"[text]\nshadow = #12345", "[text] shadow = #12345: use #RRGGBB (not #080808), or none"},
        Bad{"[text]\noutline = red", "[text] outline = red: use none, or #RRGGBB (not #080808): an outline round the "
                                     "text in that colour, a pixel wide at scale 1"},
        Bad{"[text]\noutline = #080808", "[text] outline = #080808: use none, or #RRGGBB (not #080808): an outline "
                                         "round the text in that colour, a pixel wide at scale 1"},
        Bad{"[text]\nopacity = 10", "[text] opacity = 10: use 20 to 100: the whole strip's opacity in percent (100 "
                                    "is opaque), without the % sign"},
        Bad{"[text]\nopacity = 80%", "[text] opacity = 80%: use 20 to 100: the whole strip's opacity in percent "
                                     "(100 is opaque), without the % sign"},
        Bad{"[text]\nopacity = 101", "[text] opacity = 101: use 20 to 100: the whole strip's opacity in percent "
                                     "(100 is opaque), without the % sign"},
        Bad{"[overlay]\ndrift = on", "[overlay] drift = on: use true moves the strip by one pixel every 3 minutes "
                                     "round a small square, never more than 2 pixels from its place (against "
                                     "burn-in on OLED screens), or false"},
        Bad{"[text]\nscale = 1.25", "[text] scale = 1.25: use 1, 1.5, 2, 3, or auto: the monitor's DPI (96 gives 1, "
                                    "144 1.5, 192 2, 288 3); a change to or from auto applies at once"},
        Bad{"[text]\nscale = big", "[text] scale = big: use 1, 1.5, 2, 3, or auto: the monitor's DPI (96 gives 1, "
                                   "144 1.5, 192 2, 288 3); a change to or from auto applies at once"},
        Bad{"[text]\nscale = 0", "[text] scale = 0: use 1, 1.5, 2, 3, or auto: the monitor's DPI (96 gives 1, "
                                 "144 1.5, 192 2, 288 3); a change to or from auto applies at once"},
        Bad{"[lines]\nshow = time, time", "[lines] show = time, time: use any of date, time, battery, text, zone1, "
                                          "zone2, zone3 and countdown, each at most once, top to bottom, "
                                          "at least one"},
        Bad{"[lines]\nshow =",
            "[lines] show = : use any of date, time, battery, text, zone1, zone2, zone3 and countdown, each at "
            "most once, top to bottom, at least one"},
        Bad{"[lines]\ntime_format = %H:%M:%S %E",
            "[lines] time_format = %H:%M:%S %E: an unsupported % conversion; use short or long (the locale's own "
            "way of writing it), or a pattern of at most 64 characters with any of %a %A (day), %b %B (month), "
            "%d %e %m %y %Y %j, %H %I %M %S %p, %F (%Y-%m-%d), %T (%H:%M:%S), %R (%H:%M), %u %w, %U %W %V (weeks; "
            "%V ISO), %G (ISO year), %c %x %X, %z %Z and %%; %#I or %-I drops a number's leading zero; names "
            "follow [text] locale"},
        Bad{"[lines]\ndate_format = Gr\xF6\xDF"
            "e %d",
            "[lines] date_format = Gr??e %d: not UTF-8 (save the file as "
            "UTF-8); use short or long (the locale's own way of writing "
            "it), or a pattern of at most 64 characters with any of %a %A "
            "(day), %b %B (month), %d %e %m %y %Y %j, %H %I %M %S %p, %F "
            "(%Y-%m-%d), %T (%H:%M:%S), %R (%H:%M), %u %w, %U %W %V (weeks; "
            "%V ISO), %G (ISO year), %c %x %X, %z %Z and %%; %#I or %-I "
            "drops a number's leading zero; names follow [text] locale"},
        Bad{"[text]\nlocale = de DE", "[text] locale = de DE: use a locale name such as de-DE, fr-FR or ja-JP, for "
                                      "day and month names and for short and long; empty: Windows' own setting for "
                                      "the user"},
        Bad{"[text]\nfont = Segoe UI Semilight Condensed Extra",
            "[text] font = Segoe UI Semilight Condensed Extra: use an installed font family (Consolas, Segoe UI, "
            "...), drawn at the exact size for the scale; empty: the bundled Fira Code"},
        Bad{"[colour]\nx=1", "[colour]: unknown section"},
        Bad{"[txt]\ncolour=#FFFFFF", "[txt]: unknown section; did you mean [text]?"},
        Bad{"[text]\ncolor = #FFFFFF", "[text] color: unknown key; did you mean colour?"},
        Bad{"[overlay]\ncorners = top-left", "[overlay] corners: unknown key; did you mean corner?"},
        Bad{"[overlay]\ncolour = #FFFFFF", "[overlay] colour: belongs in [text]"},
        Bad{"corner = top-left", "[] corner: belongs in [overlay]"}));

TEST(Settings, FormatsAreCheckedBeforeTheyAreUsed)
{
    std::string ellipses;
    for (int i = 0; i < 32; ++i) {
        ellipses += "\xE2\x80\xA6";
    }
    struct Case {
        std::string pattern;
        bool accepted;
    };
    const Case cases[] = {
        {"Time %H:%M:%S", true},
        {"%c", true},
        {"100%%", true},
        {"%", false},
        {"%H %", false},
        {"%e %F %T %R %u %V %G", true},
        {"%#I:%M %p", true},
        {"%-d.%-m.", true},
        {"%#A", false}, // no padding to drop from a name
        {"%-", false},
        {"%n", false},
        {"%E", false},
        {"%Ec", false},
        {"", false},
        {"caf\xC3\xA9 %H", true},
        {"Gr\xC3\xB6\xC3\x9F"
         "e %d",
         true},
        {"\xE6\x9C\x88\xE6\x9B\x9C %H", true}, // 月曜
        {"Gr\xF6\xDF"
         "e %d",
         false}, // Latin-1, not UTF-8
        {"\xC0\xAF", false}, // an overlong '/'
        {"tab\t%H", false},
        {"\xC2\x85 %H", false}, // a C1 control
        {std::string(65, 'x'), false},
        {std::string(64, 'x'), true},
        {std::string(32, 'x') + ellipses, true}, // 64 characters in 128 bytes
        {"%A%A%A%A%A%A%A%A%A%A%A%A%A", false}, // 104 characters of text
    };
    for (const Case& c : cases) {
        std::string why;
        EXPECT_EQ(check_format(c.pattern, &why), c.accepted) << c.pattern << ": " << why;
        EXPECT_EQ(why.empty(), c.accepted) << c.pattern;
    }
    std::string why;
    EXPECT_FALSE(check_format("%H-%M %#A", &why));
    EXPECT_EQ(why, "%# and %- go only with a number's conversion");
    EXPECT_FALSE(check_format("%-d %Q", &why));
    EXPECT_EQ(why, "an unsupported % conversion");
}

TEST(Settings, TheTemplateListsEveryKeyCommentedOutAndEachUncommentsToItsDefault)
{
    const std::string text = settings_template();
    const SettingsLoad as_is = parse_settings(text);
    EXPECT_EQ(as_is.settings, default_settings());
    EXPECT_TRUE(as_is.problems.empty());
    // Removing the ';' of every key line gives the defaults, without a problem.
    std::string uncommented;
    std::size_t keys = 0, start = 0;
    while (start < text.size()) {
        const std::size_t stop = text.find('\n', start);
        std::string line = text.substr(start, stop - start);
        if (line.size() > 1 && line[0] == ';' && line[1] != ' ' && line.find(" = ") != std::string::npos) {
            line.erase(0, 1);
            ++keys;
        }
        uncommented += line + "\n";
        start = stop + 1;
    }
    EXPECT_EQ(keys, 33u);
    const SettingsLoad all = parse_settings(uncommented);
    EXPECT_EQ(all.settings, default_settings());
    EXPECT_TRUE(all.problems.empty()) << all.problems.front();
}

TEST(Settings, AFileOverTheLimitGivesItsBaseAndSaysSo)
{
    const std::string line = "[overlay]\ncorner = top-right\n";
    std::string at_limit;
    while (at_limit.size() + line.size() <= static_cast<std::size_t>(kMaxSettingsBytes)) {
        at_limit += line;
    }
    at_limit.append(static_cast<std::size_t>(kMaxSettingsBytes) - at_limit.size(), ' ');
    const SettingsLoad whole = settings_from_bytes("big.ini", at_limit);
    EXPECT_EQ(whole.settings.corner, Corner::TopRight);
    EXPECT_TRUE(whole.problems.empty());

    const SettingsLoad too_big = settings_from_bytes("big.ini", at_limit + " ");
    EXPECT_EQ(too_big.settings, default_settings());
    EXPECT_EQ(too_big.problems, std::vector<std::string>{"big.ini" + std::string(kTooLargeProblem)});

    Settings base = default_settings();
    base.corner = Corner::BottomLeft;
    const SettingsLoad over = settings_from_bytes_over(base, "big.ini", at_limit + " ");
    EXPECT_EQ(over.settings, base);
    EXPECT_EQ(over.problems.size(), 1u);
}

TEST(Settings, ProblemsComeInTheFilesOrder)
{
    const SettingsLoad load = parse_settings("[lines]\nshow = nothing\n[text]\ncolour = red\n[overlay]\n"
                                             "corner = middle\ncolr = x\n[extra]\nk = v\n");
    ASSERT_EQ(load.problems.size(), 5u);
    const char* const starts[] = {"[lines] show = nothing", "[text] colour = red", "[overlay] corner = middle",
                                  "[overlay] colr", "[extra]"};
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(load.problems[i].rfind(starts[i], 0), 0u) << load.problems[i];
    }
}

// The line a problem is placed by is found with the reader's own line rules:
// a section named with spaces, a key after a near-header, CR LF endings.
TEST(Settings, ProblemsInOddlyWrittenSectionsComeInTheFilesOrder)
{
    const SettingsLoad load = parse_settings("[ overlay ]\r\ncorner = left\r\n[text]x\r\nx = 1\r\n"
                                             "[text]\r\ncolour = red\r\n[lines]\r\nshow: date\r\nzzz = 1\r\n");
    ASSERT_EQ(load.problems.size(), 3u);
    const char* const starts[] = {"[ overlay ]: unknown section", "[text] colour = red", "[lines] zzz"};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(load.problems[i].rfind(starts[i], 0), 0u) << load.problems[i];
    }
}

TEST(Settings, TheBatteryPatternTheLowColourAndTheUsersOwnLine)
{
    const SettingsLoad good = parse_settings("[lines]\nshow = text, battery\nbattery_format = {percent} {state}\n"
                                             "low_battery = 15\nlow_colour = #FF0000\ntext = Desk 4\n");
    EXPECT_TRUE(good.problems.empty());
    EXPECT_EQ(good.settings.lines, (std::vector<LineKind>{LineKind::Text, LineKind::Battery}));
    EXPECT_EQ(good.settings.battery_format, "{percent} {state}");
    EXPECT_EQ(good.settings.low_battery, 15);
    EXPECT_EQ(good.settings.low_colour, 0xFF0000u);
    EXPECT_EQ(good.settings.text, "Desk 4");
    const SettingsLoad bad = parse_settings("[lines]\nbattery_format = {percent} {charge}\nlow_battery = 100\n"
                                            "low_colour = #080808\n");
    ASSERT_EQ(bad.problems.size(), 3u);
    EXPECT_EQ(bad.problems[0].rfind("[lines] battery_format = {percent} {charge}: an unknown field {charge}; use", 0),
              0u)
        << bad.problems[0];
    EXPECT_EQ(bad.settings.battery_format, default_settings().battery_format);
    EXPECT_EQ(bad.settings.low_battery, 0);
}

TEST(Settings, OneKeyParsesAsTheFileWouldAndARefusalChangesNothing)
{
    struct Case {
        const char* section;
        const char* name;
        const char* value;
        bool taken;
    };
    const Case cases[] = {
        {"overlay", "monitor", "all", true}, {"overlay", "monitor", "\\\\.\\DISPLAY2", true},
        {"overlay", "monitor", "2", true},   {"text", "scale", "auto", true},
        {"overlay", "monitor", "0", false},  {"overlay", "corner", "middle", false},
        {"text", "monitor", "all", false},   {"overlay", "screen", "2", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.section) + " " + c.name + " = " + c.value);
        // A name in force, which a number or "all" must replace and a refusal keep.
        Settings s = default_settings();
        s.monitor_name = "LG HDR 4K";
        const Settings before = s;
        ASSERT_EQ(parse_key(c.section, c.name, c.value, &s), c.taken);
        Settings expected =
            c.taken ? parse_settings(std::string("[") + c.section + "]\n" + c.name + " = " + c.value).settings : before;
        if (std::string(c.name) != "monitor") {
            expected.monitor_name = before.monitor_name;
        }
        EXPECT_EQ(s, expected);
    }
}
