// The one wording of a problem: portable, built natively with the sanitizers
// as well as for Windows.
#include "Problem.h"

#include "Layout.h"
#include "ProblemReport.h"
#include "Settings.h"

#include <gtest/gtest.h>

#include <string>

TEST(Problem, EachPartIsLeftOutWithItsSeparatorWhenEmpty)
{
    const struct {
        Problem problem;
        const char* text;
    } cases[] = {
        {{"[overlay] corner = topleft", "not a corner", "top-left", "the built-in one is used"},
         "[overlay] corner = topleft: not a corner; did you mean top-left?; the built-in one is used"},
        {{"[s] k", "unknown key", "", ""}, "[s] k: unknown key"},
        {{"[zones] zone1 = ", "no zone set", "", "its line is left out"},
         "[zones] zone1 = : no zone set; its line is left out"},
        {{"", "hours from 00 to 23", "2026-12-25 00:00", ""}, "hours from 00 to 23; did you mean 2026-12-25 00:00?"},
        {{"", "", "Ctrl+Alt+B", ""}, "did you mean Ctrl+Alt+B?"},
        {{"", "", "", ""}, ""},
        {{"C:\\brindlow.ini", "", "", "the built-in settings apply"}, "C:\\brindlow.ini: the built-in settings apply"},
        {{"[x]", "", "", ""}, "[x]"},
        // The value meant is quoted like any other: it may come from the user's own text.
        {{"", "the program's file name alone", std::string("a\x01.exe"), ""},
         "the program's file name alone; did you mean a?.exe?"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(problem_text(c.problem), c.text);
    }
}

TEST(Problem, ASettingIsNamedWithEveryPartQuoted)
{
    EXPECT_EQ(setting_about("zones", "zone1", "Tokio Standard Time"), "[zones] zone1 = Tokio Standard Time");
    EXPECT_EQ(setting_about("text", "font", std::string("Fira\tCode\x7F")), "[text] font = Fira?Code?");
    EXPECT_EQ(setting_about("a\nb", "k\x1B", std::string(45, 'x')), "[a?b] k? = " + std::string(40, 'x') + "...");
    EXPECT_EQ(key_about("over\rlay", "corner"), "[over?lay] corner");
}

TEST(Problem, AMissingMonitorIsQuotedLikeEveryOtherValue)
{
    ProblemSources p;
    StripLayout layout;
    layout.monitor_missing = true;
    Settings s = default_settings();
    s.monitor_name = "Bad\x07Name";
    const Balloon b = strip_report(p, s, layout);
    EXPECT_NE(b.text.find("[overlay] monitor = Bad?Name: no such monitor now; the strip is on the primary one"),
              std::string::npos)
        << b.text;
}
