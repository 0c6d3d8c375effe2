// [overlay] hide_when's list of programs and the match against a window's
// program: portable, built natively with the sanitizers as well as for Windows.
#include "ProgramList.h"
#include "Settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
struct ListCase {
    const char* text;
    bool accepted;
    std::vector<std::string> list; // when accepted
    const char* why; // when not
};

struct MatchCase {
    const char* path;
    bool listed;
};
}

TEST(ProgramList, ParsesCommaSeparatedFileNamesOrSaysWhatWasMeant)
{
    const ListCase cases[] = {
        {"vlc.exe, obs64.exe", true, {"vlc.exe", "obs64.exe"}, ""},
        {"  VLC.EXE ,Obs64.Exe  ", true, {"vlc.exe", "obs64.exe"}, ""},
        {"", true, {}, ""},
        {"my game.exe", true, {"my game.exe"}, ""},
        {"vlc", false, {}, "a program's whole file name; did you mean vlc.exe?"},
        {"vlc.", false, {}, "a program's whole file name; did you mean vlc.exe?"},
        {"C:\\Program Files\\VideoLAN\\VLC\\vlc.exe",
         false,
         {},
         "the program's file name alone; did you mean vlc.exe?"},
        {"vlc.exe,, obs64.exe", false, {}, "a file name between each two commas"},
        {"vlc.exe,", false, {}, "a file name between each two commas"},
        {"what?.exe", false, {}, "what?.exe is not a file name"},
        {"a\tb.exe", false, {}, "a?b.exe is not a file name"},
    };
    for (const ListCase& k : cases) {
        SCOPED_TRACE(k.text);
        std::vector<std::string> list{"kept.exe"};
        std::string why;
        EXPECT_EQ(parse_program_list(k.text, &list, &why), k.accepted);
        if (k.accepted) {
            EXPECT_EQ(list, k.list);
        } else {
            EXPECT_EQ(why, k.why);
            EXPECT_EQ(list, std::vector<std::string>{"kept.exe"});
        }
    }
    EXPECT_EQ(program_list_text({"vlc.exe", "obs64.exe"}), "vlc.exe, obs64.exe");
}

TEST(ProgramList, AWindowsProgramMatchesByItsFileNameWhateverItsCaseOrFolder)
{
    const std::vector<std::string> list = {"vlc.exe", "obs64.exe"};
    const MatchCase cases[] = {
        {"C:\\Program Files\\VideoLAN\\VLC\\vlc.exe", true},
        {"C:\\PROGRAM FILES\\VIDEOLAN\\VLC\\VLC.EXE", true},
        {"D:\\obs\\bin\\64bit\\Obs64.exe", true},
        {"vlc.exe", true},
        {"C:\\Program Files\\VideoLAN\\VLC\\vlc.exe.bak", false},
        {"C:\\vlc.exe\\notepad.exe", false},
        {"C:\\tools\\myvlc.exe", false},
        {"", false},
        {"C:\\Windows\\", false},
    };
    for (const MatchCase& k : cases) {
        SCOPED_TRACE(k.path);
        EXPECT_EQ(program_listed(list, k.path), k.listed);
    }
    EXPECT_FALSE(program_listed({}, "C:\\vlc.exe"));
}

TEST(ProgramList, TheSettingsReportAPathWithTheFileNameMeantAndKeepNone)
{
    const SettingsLoad load = parse_settings("[overlay]\nhide_when = C:\\Games\\Game.exe\nhide_on_hover = yes\n");
    ASSERT_EQ(load.problems.size(), 2u);
    EXPECT_EQ(load.problems[0].rfind(
                  "[overlay] hide_when = C:\\Games\\Game.exe: the program's file name alone; did you mean Game.exe?; "
                  "use programs' file names",
                  0),
              0u)
        << load.problems[0];
    EXPECT_EQ(load.problems[1], "[overlay] hide_on_hover = yes: use true hides the strip while the pointer rests "
                                "over it, or false");
    EXPECT_TRUE(load.settings.hide_when.empty());
    EXPECT_FALSE(load.settings.hide_on_hover);
    const SettingsLoad good = parse_settings("[overlay]\nhide_when = VLC.exe\nhide_on_hover = true\n");
    EXPECT_TRUE(good.problems.empty());
    EXPECT_EQ(good.settings.hide_when, std::vector<std::string>{"vlc.exe"});
    EXPECT_TRUE(good.settings.hide_on_hover);
}
