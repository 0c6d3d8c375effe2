// StartupShortcut under Wine: whether the user's one Startup shortcut, shared
// by every copy of Brindlow, starts a given copy, however its target is written.
#include "StartupShortcut.h"

#include "TestSupport.h"

#include <objbase.h>

#include <algorithm>
#include <cctype>
#include <string>

namespace {
std::string this_exe()
{
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    return exe;
}

std::string upper(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

class StartupShortcutTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        StartupShortcut::remove();
    }
    void TearDown() override
    {
        StartupShortcut::remove();
        CoUninitialize();
    }
};
}

TEST_F(StartupShortcutTest, StartsOnlyTheCopyItsTargetNamesHoweverWritten)
{
    // Two copies of one program, as a portable and an installed Brindlow.
    const std::string dir = fresh_temp_dir("startup-copies");
    const std::string own_dir = dir + "\\A Long Folder Name";
    const std::string other_dir = dir + "\\Another";
    CreateDirectoryA(own_dir.c_str(), nullptr);
    CreateDirectoryA(other_dir.c_str(), nullptr);
    const std::string own = own_dir + "\\Brindlow.exe";
    const std::string other = other_dir + "\\Brindlow.exe";
    ASSERT_TRUE(CopyFileA(this_exe().c_str(), own.c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(this_exe().c_str(), other.c_str(), FALSE));
    char short_name[MAX_PATH] = {};
    GetShortPathNameA(own.c_str(), short_name, MAX_PATH);

    struct Case {
        const char* name;
        std::string target;
        bool starts_own;
    };
    const Case cases[] = {
        {"the same path", own, true},
        {"in other case", upper(own), true},
        {"through ..", own_dir + "\\..\\A Long Folder Name\\.\\Brindlow.exe", true},
        {"as 8.3 short names", short_name, true},
        {"another copy", other, false},
        {"the same name in the parent folder", dir + "\\Brindlow.exe", false},
        {"a longer name", own + ".bak", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_FALSE(c.target.empty());
        ASSERT_EQ(StartupShortcut::create(c.target, own_dir), 0);
        EXPECT_EQ(StartupShortcut::starts(own), c.starts_own) << StartupShortcut::target();
        EXPECT_FALSE(StartupShortcut::starts_this_copy()) << "the test's own executable is neither";
    }
}

TEST_F(StartupShortcutTest, NoneOrAnUnreadableOneStartsNothing)
{
    const std::string exe = this_exe();
    EXPECT_EQ(StartupShortcut::target(), "");
    EXPECT_FALSE(StartupShortcut::starts(exe));
    EXPECT_FALSE(StartupShortcut::starts_this_copy());

    write_file(StartupShortcut::path(), std::vector<unsigned char>{'n', 'o', 't', ' ', 'a', ' ', 'l', 'n', 'k'});
    EXPECT_EQ(StartupShortcut::target(), "");
    EXPECT_FALSE(StartupShortcut::starts(exe));

    char cwd[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, cwd);
    ASSERT_EQ(StartupShortcut::create(exe, cwd), 0);
    EXPECT_TRUE(StartupShortcut::starts_this_copy());
}

TEST(StartupShortcutSameFile, ComparesAsWindowsNamesFiles)
{
    struct Case {
        const char* a;
        const char* b;
        bool same;
    };
    const Case cases[] = {
        {"C:\\Tools\\Brindlow.exe", "C:\\Tools\\Brindlow.exe", true},
        {"C:\\Tools\\Brindlow.exe", "c:\\tools\\BRINDLOW.EXE", true},
        {"C:\\Tools\\Brindlow.exe", "C:/Tools/Brindlow.exe", true},
        {"C:\\Tools\\Brindlow.exe", "C:\\Tools\\\\Brindlow.exe", true},
        {"C:\\Tools\\Brindlow.exe", "C:\\Other\\..\\Tools\\Brindlow.exe", true},
        // Beyond ASCII by Windows' own case table, not the user's locale.
        {"C:\\Outils\u00e9\\Brindlow.exe", "C:\\OUTILS\u00c9\\Brindlow.exe", true},
        {"C:\\Tools\\Brindlow.exe", "D:\\Tools\\Brindlow.exe", false},
        {"C:\\Tools\\Brindlow.exe", "C:\\Tools\\Brindlow.exe.lnk", false},
        {"C:\\Tools\\Brindlow.exe", "", false},
        {"", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " | " + c.b);
        EXPECT_EQ(StartupShortcut::same_file(c.a, c.b), c.same);
        EXPECT_EQ(StartupShortcut::same_file(c.b, c.a), c.same);
    }
}
