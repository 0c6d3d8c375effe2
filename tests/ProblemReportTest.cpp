// The balloon built to fit Windows' limits: portable, built natively with
// the sanitizers as well as for Windows.
#include "ProblemReport.h"

#include "Layout.h"
#include "Settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {
const std::string kPath = "C:\\Users\\someone\\AppData\\Roaming\\Brindlow\\brindlow.ini";
const std::string kLong(400, 'x');

std::vector<std::string> many(int n)
{
    std::vector<std::string> out;
    for (int i = 1; i <= n; ++i) {
        out.push_back("[text] scale = " + std::to_string(i) + "0: use 1, 1.5, 2, 3, or auto");
    }
    return out;
}

// n times "é", two bytes each in UTF-8.
std::string many_e(int n)
{
    std::string out;
    for (int i = 0; i < n; ++i) {
        out += "\xC3\xA9";
    }
    return out;
}

// Whether every byte sequence is whole UTF-8: no character cut in two.
bool whole_utf8(const std::string& s)
{
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (n == 0 || i + n > s.size()) {
            return false;
        }
        for (std::size_t k = 1; k < n; ++k) {
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += n;
    }
    return true;
}

struct Case {
    const char* name;
    std::string title;
    std::string file;
    std::vector<std::string> problems;
    std::size_t shown; // problems shown, whole or shortened
    std::string begins; // how the text begins
    const char* more; // the note's count, or null for no note
};
}

TEST(ProblemReport, FitsWindowsLimitsAndSaysWhatWasLeftOut)
{
    const Case cases[] = {
        {"no problems", "Brindlow settings", kPath, {}, 0, "", nullptr},
        {"one",
         "Brindlow settings",
         kPath,
         {"[overlay] corner = middle: use top-left"},
         1,
         kPath + ":\n[overlay] corner = middle",
         nullptr},
        {"five short, all fit",
         "Brindlow settings",
         kPath,
         {"[a] b: unknown key", "[a] c: unknown key", "[a] d: unknown key", "[a] e: unknown key", "[a] f: unknown key"},
         5,
         kPath + ":\n[a] b",
         nullptr},
        {"many, some left out", "Brindlow settings", kPath, many(9), 3, kPath + ":\n[text] scale = 10", "6"},
        {"one very long then short ones",
         "Brindlow settings",
         kPath,
         {kLong, "[a] b: unknown key", "[a] c"},
         3,
         kPath + ":\nxxx",
         nullptr},
        {"one very long alone", "Brindlow settings", kPath, {kLong}, 1, kPath + ":\nxxxx", nullptr},
        {"a very long path", "Brindlow settings", "C:\\" + std::string(300, 'p') + "\\brindlow.ini", many(2), 2,
         "C:\\ppp", nullptr},
        {"no file",
         "Brindlow",
         "",
         {"res/fira-code.png is missing: the text is drawn as squares"},
         1,
         "res/fira",
         nullptr},
        {"non-ASCII cut at a character",
         std::string(30, 'T') + many_e(17),
         kPath,
         {std::string(101, 'a') + many_e(40)},
         1,
         kPath,
         nullptr},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        const Balloon b = build_report(k.title, k.file, k.problems);
        EXPECT_LE(b.title.size(), kBalloonTitleMax);
        EXPECT_LE(b.text.size(), kBalloonTextMax);
        EXPECT_TRUE(whole_utf8(b.title)) << b.title;
        EXPECT_TRUE(whole_utf8(b.text)) << b.text;
        EXPECT_EQ(b.text.rfind(k.begins, 0), 0u) << b.text;
        const std::string note = std::string("more \xE2\x80\x94 Settings... opens the file)");
        if (k.more != nullptr) {
            const std::string expected = std::string("\n(and ") + k.more + " " + note;
            ASSERT_GE(b.text.size(), expected.size()) << b.text;
            EXPECT_EQ(b.text.substr(b.text.size() - expected.size()), expected) << b.text;
        } else {
            EXPECT_EQ(b.text.find(note), std::string::npos) << b.text;
        }
        // One line for the file, one for each problem shown (and the note).
        const std::size_t lines =
            b.text.empty() ? 0 : 1 + static_cast<std::size_t>(std::count(b.text.begin(), b.text.end(), '\n'));
        const std::size_t header = k.file.empty() ? 0 : 1;
        EXPECT_EQ(lines, k.problems.empty() ? 0 : header + k.shown + (k.more != nullptr ? 1 : 0)) << b.text;
    }
}

TEST(ProblemReport, ShortensAtCharacterBoundaries)
{
    const std::string e = "\xC3\xA9"; // é, two bytes
    std::string text;
    for (int i = 0; i < 20; ++i) {
        text += e;
    }
    for (std::size_t max = 0; max <= text.size() + 1; ++max) {
        const std::string end = shorten_end(text, max);
        const std::string middle = shorten_middle(text + "/brindlow.ini", max);
        EXPECT_LE(end.size(), max);
        EXPECT_LE(middle.size(), max);
        EXPECT_TRUE(whole_utf8(end)) << max;
        EXPECT_TRUE(whole_utf8(middle)) << max;
    }
    EXPECT_EQ(shorten_middle("C:\\a\\b\\c\\d\\e\\f\\g\\h\\brindlow.ini", 24), "C:\\a\\b\\\xE2\x80\xA6h\\brindlow.ini");
}

TEST(ProblemReport, TheStripsProblemsNameTheSettingsFileOnlyWhenAnyIsAboutIt)
{
    ProblemSources p;
    p.file = "brindlow.ini";
    p.data = {"fira-code-48.png: cannot be read"};
    StripLayout layout;
    Balloon b = strip_report(p, default_settings(), layout);
    EXPECT_EQ(b.title, "Brindlow");
    EXPECT_EQ(b.text.find("brindlow.ini"), std::string::npos) << b.text;

    p.zones = {"[zones] zone1 = Mars: no such time zone"};
    p.settings = {"[text] scale = 9: use 1, 1.5, 2, 3, or auto"};
    layout.monitor_missing = true;
    b = strip_report(p, default_settings(), layout);
    EXPECT_EQ(b.title, "Brindlow settings");
    // The data file first, then the file's own problems before the rest.
    const std::size_t data = b.text.find("fira-code"), scale = b.text.find("scale = 9"), zone = b.text.find("Mars"),
                      monitor = b.text.find("no such monitor");
    EXPECT_NE(b.text.find("brindlow.ini"), std::string::npos);
    EXPECT_LT(data, scale);
    EXPECT_LT(scale, zone);
    EXPECT_LT(zone, monitor);
    EXPECT_NE(monitor, std::string::npos);

    // Problems that each say where they come from (a policy, the computer's
    // defaults file) are not headed by the user's file.
    ProblemSources named;
    named.file = "C:\\Users\\u\\AppData\\Roaming\\Brindlow\\brindlow.ini";
    named.settings = {"policy HKLM\\Software\\Policies\\Brindlow\\text colour = #080808: refused",
                      "C:\\ProgramData\\Brindlow\\brindlow.ini: [overlay] corner = middle: refused"};
    b = strip_report(named, default_settings(), StripLayout{});
    EXPECT_EQ(b.title, "Brindlow settings");
    EXPECT_EQ(b.text.find("Roaming"), std::string::npos) << b.text;
    named.settings.push_back("[text] scale = 9: refused");
    EXPECT_EQ(strip_report(named, default_settings(), StripLayout{}).text.rfind(named.file + ":", 0), 0u);
}

TEST(ProblemReport, AKeyWrittenFromTheMenuTakesItsOwnProblemsAlongAndNoOthers)
{
    std::vector<std::string> problems = {"[overlay] corner = middle: use top-left, ...",
                                         "[text] scale: Windows' display scaling is added",
                                         "[overlay] corners = top-left: unknown key", "[text] colour = red: ..."};
    forget_key_problems(&problems, "corner");
    forget_key_problems(&problems, "scale");
    EXPECT_EQ(problems,
              (std::vector<std::string>{"[overlay] corners = top-left: unknown key", "[text] colour = red: ..."}));
}
