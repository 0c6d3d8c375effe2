// A portable copy (brindlow.ini or a `portable` file beside the program)
// keeps its settings beside itself and leaves the user's profile alone; one
// whose folder cannot be written keeps them in the profile, and says so.
#include "PortableCopy.h"
#include "SettingsFile.h"
#include "TextEncoding.h"

#include "TestSupport.h"

#include <shlobj.h>

#include <string>
#include <vector>

namespace {
void save(const std::string& path, const std::string& text)
{
    write_file(path, std::vector<unsigned char>(text.begin(), text.end()));
}

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string text_of(const std::string& path)
{
    const std::vector<unsigned char> bytes = read_whole_file(path);
    return std::string(bytes.begin(), bytes.end());
}

DWORD refuse(const std::string&) { return ERROR_ACCESS_DENIED; }

// What the user's profile holds of Brindlow's: whether the file is there, and its bytes.
std::string profile_state()
{
    char appdata[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, appdata);
    const std::string ini = std::string(appdata) + "\\Brindlow\\brindlow.ini";
    return exists(ini) ? "file: " + text_of(ini) : exists(std::string(appdata) + "\\Brindlow") ? "folder" : "none";
}

class Portable : public ::testing::Test {
protected:
    std::string program; // where Brindlow.exe would be
    std::string elsewhere; // the working directory
    void SetUp() override
    {
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        program = fresh_temp_dir(name + "-program");
        elsewhere = fresh_temp_dir(name + "-elsewhere");
        ASSERT_TRUE(SetCurrentDirectoryA(elsewhere.c_str()));
    }
};
}

TEST_F(Portable, AMarkerOrASettingsFileBesideTheProgramMakesItPortableIfItsFolderCanBeWritten)
{
    struct Case {
        const char* name;
        const char* file; // made beside the program, or none
        bool writable;
        bool portable;
        bool fallen_back;
    };
    const Case cases[] = {
        {"nothing beside it", nullptr, true, false, false},
        {"a portable marker", "portable", true, true, false},
        {"a settings file", "brindlow.ini", true, true, false},
        {"a settings file in a folder that cannot be written", "brindlow.ini", false, false, true},
        {"a marker in a folder that cannot be written", "portable", false, false, true},
        {"a file of another name", "portable.txt", true, false, false},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        const std::string folder = fresh_temp_dir("portable-kind");
        if (k.file != nullptr) {
            save(folder + "\\" + k.file, "");
        }
        PortableCopy copy;
        if (!k.writable) {
            copy.write_check = refuse;
        }
        ASSERT_EQ(copy.init(folder, "C:\\profile\\Brindlow\\brindlow.ini"), 0);
        EXPECT_EQ(copy.portable, k.portable);
        EXPECT_EQ(copy.fallen_back, k.fallen_back);
        if (k.fallen_back) {
            EXPECT_EQ(copy.problem.rfind(folder + " cannot be written (", 0), 0u) << copy.problem;
            EXPECT_NE(copy.problem.find("): the settings are kept in C:\\profile\\Brindlow\\brindlow.ini"),
                      std::string::npos)
                << copy.problem;
        } else {
            EXPECT_EQ(copy.problem, "");
        }
    }
    // Windows' own answer for a folder that can be written, leaving nothing there.
    const std::string folder = fresh_temp_dir("portable-probe");
    EXPECT_EQ(PortableCopy::can_write(folder), 0u);
    std::vector<std::string> left;
    WIN32_FIND_DATAA found{};
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &found);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    do {
        if (std::string(found.cFileName) != "." && std::string(found.cFileName) != "..") {
            left.push_back(found.cFileName);
        }
    } while (FindNextFileA(h, &found));
    FindClose(h);
    EXPECT_TRUE(left.empty()) << left.front();
    EXPECT_NE(PortableCopy::can_write(folder + "\\no-such-folder"), 0u);
}

TEST_F(Portable, ItsSettingsAreMadeWrittenAndReadBesideItAndTheProfileIsLeftAlone)
{
    save(program + "\\portable", "");
    const std::string before = profile_state();
    SettingsFile file;
    file.init(program);
    EXPECT_TRUE(file.portable_copy.portable);
    EXPECT_EQ(file.folders[SettingsFile::kUserFolder], "") << "the profile's folder is neither read nor watched";
    EXPECT_EQ(file.appdata, "");
    EXPECT_EQ(file.load().settings, default_settings());

    // "Settings..." makes the file beside the program; the menu writes there.
    const std::string ini = program + "\\brindlow.ini";
    EXPECT_EQ(file.edit_path(), ini);
    EXPECT_NE(text_of(ini).find(";corner = top-left"), std::string::npos) << "the commented list of keys";
    std::string why;
    ASSERT_EQ(file.set_key("overlay", "corner", "top-right", false, &why), 0) << why;
    const SettingsLoad load = file.load();
    EXPECT_EQ(file.path, ini);
    EXPECT_EQ(load.settings.corner, Corner::TopRight);
    EXPECT_TRUE(load.problems.empty());
    EXPECT_EQ(profile_state(), before);
    file.destroy();
}

TEST_F(Portable, AFolderThatCannotBeWrittenKeepsTheChangesInTheProfileAndSaysWhy)
{
    save(program + "\\brindlow.ini", "[overlay]\ncorner = bottom-left\n");
    SettingsFile file;
    file.portable_copy.write_check = refuse;
    file.init(program);
    EXPECT_FALSE(file.portable_copy.portable);
    // The profile's folder stood in for by one of the test's own.
    const std::string profile = fresh_temp_dir("portable-profile") + "\\Brindlow";
    file.folders[SettingsFile::kUserFolder] = profile;
    file.home = profile;

    SettingsLoad load = file.load();
    EXPECT_EQ(load.settings.corner, Corner::BottomLeft) << "read from beside the program while the profile has none";
    ASSERT_FALSE(load.problems.empty());
    EXPECT_NE(load.problems.front().find(program + " cannot be written ("), std::string::npos) << load.problems.front();

    // The first change starts from the portable copy's settings, in the profile.
    std::string why;
    ASSERT_EQ(file.set_key("overlay", "y", "20", false, &why), 0) << why;
    EXPECT_EQ(text_of(program + "\\brindlow.ini"), "[overlay]\ncorner = bottom-left\n");
    load = file.load();
    EXPECT_EQ(file.path, profile + "\\brindlow.ini");
    EXPECT_EQ(load.settings.corner, Corner::BottomLeft);
    EXPECT_EQ(load.settings.y, 20);
    EXPECT_EQ(file.edit_path(), profile + "\\brindlow.ini");
    file.destroy();
}

// The empty file a user or Scoop makes beside the program: "Settings..."
// fills it with the commented list of keys in Windows' line endings (a
// UTF-16 one stays UTF-16), and the menu's first write lands in that list.
// A file with anything in it is left as it is.
TEST_F(Portable, ABlankSettingsFileGetsTheListOfKeysFirstAndOneWithContentIsLeftAlone)
{
    struct Case {
        const char* name;
        std::string bytes;
        bool blank;
        std::string start; // what the filled file starts with: its mark, if any, and the first ';'
    };
    const Case cases[] = {
        {"empty", "", true, ";"},
        {"white space", " \r\n\t\r\n", true, ";"},
        {"UTF-8's mark alone", "\xEF\xBB\xBF", true, "\xEF\xBB\xBF;"},
        {"UTF-16's mark alone", std::string("\xFF\xFE", 2), true, std::string("\xFF\xFE;\0", 4)},
        {"a key", "[text]\r\ncolour = #FF8000\r\n", false, ""},
        {"a comment", "; mine\n", false, ""},
    };
    const std::string ini = program + "\\brindlow.ini";
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        save(ini, k.bytes);
        SettingsFile file;
        file.init(program);
        file.load();
        EXPECT_EQ(file.holds_no_settings(), k.blank);
        ASSERT_EQ(file.edit_path(), ini);
        const std::string edited = text_of(ini);
        if (!k.blank) {
            EXPECT_EQ(edited, k.bytes);
            file.destroy();
            continue;
        }
        EXPECT_EQ(edited.substr(0, k.start.size()), k.start);
        const DecodedText decoded = decode_text(edited);
        EXPECT_NE(decoded.text.find(";corner = top-left\r\n"), std::string::npos) << decoded.text;
        EXPECT_EQ(decoded.text.find_first_of('\n'), decoded.text.find("\r\n") + 1) << "CR LF, not LF alone";
        EXPECT_FALSE(file.holds_no_settings());

        save(ini, k.bytes);
        std::string why;
        ASSERT_EQ(file.set_key("overlay", "corner", "top-right", false, &why), 0) << why;
        const std::string written = decode_text(text_of(ini)).text;
        EXPECT_NE(written.find("corner = top-right\r\n"), std::string::npos) << written;
        EXPECT_NE(written.find(";x = "), std::string::npos) << "the other keys' comments are there";
        EXPECT_EQ(file.load().settings.corner, Corner::TopRight);
        file.destroy();
    }
}
