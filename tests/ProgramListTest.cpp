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
        {"  VLC.EXE ,Obs64.Exe  ", {"VLC.EXE", "OBS64.EXE"}, ""},
        {"", {}, ""},
        {"my game.exe", {"MY GAME.EXE"}, ""},
        {"blinkä.exe, ｐｌａｙ.exe", {"BLINKÄ.EXE", "ＰＬＡＹ.EXE"}, ""},
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

// What Windows' own comparison (CompareStringOrdinal ignoring case, the
// upper-casing table of RtlUpcaseUnicodeChar, as Wine 8's table has it too)
// says for each pair: a letter equals only the capital that maps back to it.
TEST(ProgramList, NamesBeyondAsciiMatchAsWindowsUpperCasesThem)
{
    struct Case {
        const char* listed;
        const char* program;
        bool match;
    };
    const Case cases[] = {
        {"BLINKÄ.EXE", "C:\\Games\\blinkä.exe", true},
        {"blinkä.exe", "BLINKÄ.EXE", true},
        {"BLINKA.EXE", "blinkä.exe", false},
        {"ΣΟΦΙΑ.EXE", "σοφια.exe", true},
        {"ΣΟΦΙΑ.EXE", "σοφιας.exe", false},
        {"ΣΟΦΙΑΣ.EXE", "σοφιας.exe", false}, // final sigma: ς upper-cases to itself
        {"σοφιας.exe", "σοφιας.exe", true},
        {"İNDİR.EXE", "indir.exe", false}, // dotted capital I: only itself
        {"INDIR.EXE", "ındır.exe", false}, // dotless small i: only itself
        {"İNDİR.EXE", "İndİr.exe", true},
        {"STRASSE.EXE", "straße.exe", false}, // no one-to-many mapping
        {"STRAẞE.EXE", "straße.exe", false}, // ß upper-cases to itself, not to ẞ
        {"STRAßE.EXE", "straße.exe", true},
        {"ＰＬＡＹ.ＥＸＥ", "ｐｌａｙ.ｅｘｅ", true}, // full-width letters
        {"PLAY.EXE", "ｐｌａｙ.exe", false},
        {"ДИСК.EXE", "диск.exe", true},
        {"ՀԱՅ.EXE", "հայ.exe", true}, // Armenian
        {"𐐀.EXE", "𐐨.exe", false}, // beyond the plane: two units, left as they are
        {"MIKRO.EXE", "µikro.exe", false}, // the micro sign only itself
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(std::string(k.listed) + " / " + k.program);
        std::vector<std::string> list;
        std::string why;
        ASSERT_TRUE(parse_program_list(k.listed, &list, &why)) << why;
        EXPECT_EQ(program_listed(list, k.program), k.match);
    }
    // Bytes that are not UTF-8 stay as they are, matched byte for byte.
    EXPECT_TRUE(program_listed({"a\xff.exe"}, "A\xff.EXE"));
    EXPECT_FALSE(program_listed({"a\xff.exe"}, "A\xfe.EXE"));
}
