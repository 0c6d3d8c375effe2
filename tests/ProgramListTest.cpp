// [overlay] hide_when's list of programs and the match against a window's
// program: portable, built natively with the sanitizers as well as for Windows.
#include "ProgramList.h"
#include "Settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(ProgramList, ParsesCommaSeparatedFileNamesOrSaysWhatWasMeant)
{
    struct Case {
        const char* text;
        std::vector<std::string> list; // when accepted
        const char* why; // empty when accepted
    };
    const Case cases[] = {
        {"  VLC.EXE ,Obs64.Exe  ", {"vlc.exe", "obs64.exe"}, ""},
        {"", {}, ""},
        {"my game.exe", {"my game.exe"}, ""},
        {"vlc", {}, "a program's whole file name; did you mean vlc.exe?"},
        {"vlc.", {}, "a program's whole file name; did you mean vlc.exe?"},
        {"C:\\Program Files\\VideoLAN\\VLC\\vlc.exe", {}, "the program's file name alone; did you mean vlc.exe?"},
        {"vlc.exe,, obs64.exe", {}, "a file name between each two commas"},
        {"what?.exe", {}, "what?.exe is not a file name"},
        {"a\tb.exe", {}, "a?b.exe is not a file name"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.text);
        std::vector<std::string> list{"kept.exe"};
        std::string why;
        EXPECT_EQ(parse_program_list(k.text, &list, &why), *k.why == '\0');
        EXPECT_EQ(why, k.why);
        EXPECT_EQ(list, *k.why == '\0' ? k.list : std::vector<std::string>{"kept.exe"});
    }
    const SettingsLoad load = parse_settings("[overlay]\nhide_when = C:\\Games\\Game.exe\n");
    ASSERT_EQ(load.problems.size(), 1u);
    EXPECT_EQ(load.problems[0].rfind("[overlay] hide_when = C:\\Games\\Game.exe: the program's file name alone; did "
                                     "you mean Game.exe?; use programs' file names",
                                     0),
              0u);
}

TEST(ProgramList, AWindowsProgramMatchesByItsFileNameWhateverItsCaseOrFolder)
{
    const std::vector<std::string> list = {"vlc.exe", "obs64.exe"};
    const std::pair<const char*, bool> cases[] = {
        {"C:\\PROGRAM FILES\\VIDEOLAN\\VLC\\VLC.EXE", true},
        {"D:\\obs\\bin\\64bit\\Obs64.exe", true},
        {"vlc.exe", true},
        {"C:\\Program Files\\VideoLAN\\VLC\\vlc.exe.bak", false},
        {"C:\\vlc.exe\\notepad.exe", false},
        {"C:\\tools\\myvlc.exe", false},
        {"", false},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.first);
        EXPECT_EQ(program_listed(list, k.first), k.second);
    }
    EXPECT_FALSE(program_listed({}, "C:\\vlc.exe"));
}
