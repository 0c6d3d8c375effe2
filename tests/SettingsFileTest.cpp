// The settings file as the running program meets it: found in the working
// directory, read with its problems shown in a balloon, and applied again
// within moments of being saved.
#include "SettingsFile.h"
#include "TrayIcon.h"

#include "SettingsInUse.h"
#include "TestSupport.h"

#include <functional>
#include <string>

TEST_F(SettingsInUse, BadValuesFallBackOneByOneAndABalloonSaysWhichOnce)
{
    start_with(dir + "\\brindlow.ini", "[overlay]\ncorner = middle\ny = 20\n[text]\ncolor = #FF0000\n");
    EXPECT_EQ(where().left, 0);
    EXPECT_EQ(where().top, 20);
    EXPECT_STREQ(tray.nid.szInfoTitle, "Brindlow settings");
    const std::string text = tray.nid.szInfo;
    // A long path is shortened in the middle, keeping the file's name.
    EXPECT_EQ(text.rfind(shorten_middle(dir + "\\brindlow.ini", kReportPathMax) + ":\n", 0), 0u) << text;
    EXPECT_NE(text.find("[overlay] corner = middle: use top-left"), std::string::npos) << text;
    EXPECT_NE(text.find("[text] color: unknown key; did you mean colour?"), std::string::npos) << text;
    EXPECT_EQ(tray.nid.dwInfoFlags & NIIF_ICON_MASK, static_cast<DWORD>(NIIF_WARNING));
    // Loaded again with the same problems: no second balloon.
    tray.nid.szInfo[0] = '\0';
    window.load_settings();
    EXPECT_STREQ(tray.nid.szInfo, "");
}

TEST_F(SettingsInUse, ASavedFileAppliesWithinSecondsAndRemovingItRestoresTheDefaults)
{
    ASSERT_EQ(file.init(), 0);
    window.init_displays();
    move_wine_tray_away();
    ASSERT_FALSE(run_frames(window, 200));
    ASSERT_EQ(where().left, 0);
    // Saved the way many editors do: a temporary file renamed over the name.
    save(dir + "\\brindlow.tmp", "[overlay]\ncorner = bottom-right\n[text]\ncolour = #FF0000\n");
    ASSERT_TRUE(
        MoveFileExA((dir + "\\brindlow.tmp").c_str(), (dir + "\\brindlow.ini").c_str(), MOVEFILE_REPLACE_EXISTING));
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_TRUE(run_frames(window, 2000, [&] { return where().right == sw && where().bottom == sh; }));
    run_frames(window, 100);
    const RECT r = where();
    int red = 0;
    for (const Rgb& c : capture_screen(r.left, r.top, r.right - r.left, r.bottom - r.top)) {
        red += c.r > 200 && c.g < 60 && c.b < 60 ? 1 : 0;
    }
    EXPECT_GT(red, 100);

    ASSERT_TRUE(DeleteFileA((dir + "\\brindlow.ini").c_str()));
    EXPECT_TRUE(run_frames(window, 2000, [&] { return where().left == 0 && where().top == 0; }));
    EXPECT_EQ(window.core.model.settings, default_settings());
}

TEST_F(SettingsInUse, TheUserFolderDeletedMadeAgainOrRenamedAwayIsFollowedWithoutPolling)
{
    // %APPDATA%\Brindlow stood in for by a folder of the test's own.
    ASSERT_EQ(file.init(), 0);
    const std::string parent = fresh_temp_dir(std::string("appdata-") + "folder");
    const std::string user = parent + "\\Brindlow";
    file.appdata = parent;
    file.folders[SettingsFile::kUserFolder] = user;
    ASSERT_EQ(file.watch(), 0);
    window.init_displays();
    run_frames(window, 100);
    // Without seconds the clock wakes once a minute: what wakes the thread
    // here is the folders' notifications and the settle delay.
    auto make = [&](const char* corner) {
        CreateDirectoryA(user.c_str(), nullptr);
        save(user + "\\brindlow.ini",
             std::string("[overlay]\ncorner = ") + corner + "\n[lines]\ntime_format = Time %H:%M\n");
    };
    auto remove = [&] {
        DeleteFileA((user + "\\brindlow.ini").c_str());
        return RemoveDirectoryA(user.c_str()) != FALSE;
    };
    const int sw = GetSystemMetrics(SM_CXSCREEN);
    struct Step {
        const char* name;
        std::function<bool()> act;
        int left; // where the strip ends up
    };
    const Step steps[] = {
        {"created",
         [&] {
             make("top-right");
             return true;
         },
         sw - 600},
        {"deleted", remove, 0},
        {"made again",
         [&] {
             make("top-right");
             return true;
         },
         sw - 600},
        {"renamed away", [&] { return MoveFileA(user.c_str(), (parent + "\\Brindlow-old").c_str()) != FALSE; }, 0},
    };
    for (const Step& k : steps) {
        SCOPED_TRACE(k.name);
        const unsigned long wakes = window.events.wakes;
        ASSERT_TRUE(k.act());
        EXPECT_TRUE(run_frames(window, 3000, [&] { return where().left == k.left; }));
        if (k.left != 0) {
            EXPECT_LE(window.events.wakes - wakes, 8u) << "woken by the change, not by polling";
        }
    }
}

TEST_F(SettingsInUse, TheUserFolderReplacedInOneStepIsWatchedAgainAndLaterEditsApply)
{
    ASSERT_EQ(file.init(), 0);
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    auto settings = [](const char* corner) {
        // Without seconds the clock wakes once a minute: only the watch can
        // bring a change in within the time allowed.
        return std::string("[overlay]\ncorner = ") + corner + "\n[lines]\ntime_format = Time %H:%M\n";
    };
    struct Case {
        const char* name;
        // Replaces parent\Brindlow (saying top-right) with a folder whose file says bottom-left.
        std::function<bool(const std::string& parent, const std::string& user)> replace;
        bool unix_shell = false;
    };
    const Case cases[] = {
        {"deleted and made again",
         [&](const std::string& parent, const std::string& user) {
             // Through Windows a folder another program has open is only
             // marked for deletion, and its name stays taken until the
             // watch lets go; a user at a Unix shell under Wine deletes it
             // at once.
             save(parent + "\\brindlow.next", settings("bottom-left"));
             const std::string u = unix_path(user), p = unix_path(parent);
             return run_unix_shell("rm -rf \"" + u + "\" && mkdir \"" + u + "\" && mv \"" + p + "/brindlow.next\" \"" +
                                   u + "/brindlow.ini\"") == 0;
         },
         true},
        {"swapped by two renames",
         [&](const std::string& parent, const std::string& user) {
             CreateDirectoryA((parent + "\\Brindlow.new").c_str(), nullptr);
             save(parent + "\\Brindlow.new\\brindlow.ini", settings("bottom-left"));
             return MoveFileA(user.c_str(), (parent + "\\Brindlow.old").c_str()) != FALSE &&
                    MoveFileA((parent + "\\Brindlow.new").c_str(), user.c_str()) != FALSE;
         }},
        {"renamed away, then a new one made",
         [&](const std::string& parent, const std::string& user) {
             const bool away = MoveFileA(user.c_str(), (parent + "\\Brindlow.away").c_str()) != FALSE;
             const bool made = CreateDirectoryA(user.c_str(), nullptr) != FALSE;
             save(user + "\\brindlow.ini", settings("bottom-left"));
             return away && made;
         }},
    };
    int n = 0;
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        if (k.unix_shell && !running_under_wine()) {
            continue;
        }
        // %APPDATA%\Brindlow stood in for by a folder of the test's own.
        const std::string parent = fresh_temp_dir("replaced-" + std::to_string(++n));
        const std::string user = parent + "\\Brindlow";
        ASSERT_TRUE(CreateDirectoryA(user.c_str(), nullptr));
        save(user + "\\brindlow.ini", settings("top-right"));
        file.appdata = parent;
        file.folders[SettingsFile::kUserFolder] = user;
        ASSERT_EQ(file.watch(), 0);
        window.init_displays();
        window.load_settings();
        ASSERT_EQ(where().left, sw - 600);

        ASSERT_TRUE(k.replace(parent, user));
        EXPECT_TRUE(run_frames(window, 3000, [&] { return where().left == 0 && where().bottom == sh; }));
        // The edits after it, which a watch left on the old folder never sees.
        save(user + "\\brindlow.ini", settings("bottom-right"));
        EXPECT_TRUE(run_frames(window, 3000, [&] { return where().right == sw && where().bottom == sh; }));
        save(user + "\\brindlow.tmp", settings("top-right"));
        ASSERT_TRUE(MoveFileExA((user + "\\brindlow.tmp").c_str(), (user + "\\brindlow.ini").c_str(),
                                MOVEFILE_REPLACE_EXISTING));
        EXPECT_TRUE(run_frames(window, 3000, [&] { return where().left == sw - 600 && where().top == 0; }));
    }
}

TEST_F(SettingsInUse, ASaveHeldByALockIsAppliedOnceLetGoAndNeverGivesTheDefaults)
{
    const std::string path = dir + "\\brindlow.ini";
    start_with(path, "[overlay]\ncorner = top-right\n");
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    ASSERT_EQ(where().left, sw - 600);
    tray.nid.szInfo[0] = '\0';

    // An editor saving in place that keeps the file open without sharing.
    HANDLE held =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const std::string text = "[overlay]\ncorner = bottom-left\n";
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(held, text.data(), static_cast<DWORD>(text.size()), &written, nullptr));
    FlushFileBuffers(held);
    // Held for two seconds: the strip keeps the settings in force.
    bool defaults = false;
    run_frames(window, 2000, [&] {
        defaults = defaults || where().left == 0;
        return false;
    });
    EXPECT_FALSE(defaults) << "the built-in settings were applied for a locked file";
    EXPECT_EQ(window.core.model.settings.corner, Corner::TopRight);
    EXPECT_GE(file.busy_tries, 1) << "the lock was never met";
    CloseHandle(held);

    EXPECT_TRUE(run_frames(window, 3000, [&] { return where().left == 0 && where().bottom == sh; }));
    EXPECT_EQ(std::string(tray.nid.szInfo).find("cannot be read"), std::string::npos) << tray.nid.szInfo;
    EXPECT_EQ(file.busy_tries, 0);
}

namespace {
HANDLE WINAPI no_watch(LPCSTR, BOOL, DWORD)
{
    SetLastError(ERROR_NOT_SUPPORTED);
    return INVALID_HANDLE_VALUE;
}
}

TEST_F(SettingsInUse, WithoutAWatchAMenuChangeAppliesAtOnceAHandEditAtTheNextWakeAndItIsReportedOnce)
{
    const std::string path = dir + "\\brindlow.ini";
    save(path, "[overlay]\ny = 20\n");
    file.find_first = no_watch;
    EXPECT_EQ(file.init(), -1);
    EXPECT_EQ(file.watch_problem.rfind("changes cannot be watched (", 0), 0u) << file.watch_problem;
    EXPECT_NE(file.watch_problem.find("(in " + dir + ")"), std::string::npos) << file.watch_problem;
    window.init_displays();
    window.load_settings();
    EXPECT_NE(std::string(tray.nid.szInfo).find("changes cannot be watched"), std::string::npos) << tray.nid.szInfo;
    tray.nid.szInfo[0] = '\0';
    wire_menu();
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);

    // Applied before the command returns, without a pass of the loop.
    ASSERT_EQ(tray.change_setting(TrayMenu::kCmdCornerFirst + 1), 0);
    EXPECT_EQ(where().right, sw);
    EXPECT_EQ(where().top, 20);
    EXPECT_EQ(window.core.model.settings.corner, Corner::TopRight);
    EXPECT_EQ(window.core.file_settings.corner, Corner::TopRight);

    // A hand edit: seen by its time stamp at a wake (the clock's, each second).
    save(dir + "\\brindlow.tmp", "[overlay]\ncorner = bottom-left\n");
    ASSERT_TRUE(MoveFileExA((dir + "\\brindlow.tmp").c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_TRUE(run_frames(window, 3000, [&] { return where().left == 0 && where().bottom == sh; }));
    // The missing watch was said once, not at every load.
    EXPECT_STREQ(tray.nid.szInfo, "");
}

TEST_F(SettingsInUse, ALineWithNothingToShowTakesNoRowAndNoLineLeftShowsTheDefaults)
{
    ASSERT_EQ(file.init(), 0);
    window.init_displays();
    const std::string none = "[lines] show: none of its lines can be shown; the default lines are shown instead";
    struct Case {
        const char* name;
        std::string text;
        int height;
        bool reported;
    };
    const Case cases[] = {
        {"a text refused as too long", "[lines]\nshow = date, text, time\ntext = " + std::string(5000, 'x') + "\n", 78,
         false},
        {"only a text, empty", "[lines]\nshow = text\n", 100, true},
        {"only a zone Windows does not know", "[lines]\nshow = zone1\n[zones]\nzone1 = Nowhere Standard Time\n", 100,
         true},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        tray.nid.szInfo[0] = '\0';
        window.core.reported.clear();
        save(dir + "\\brindlow.ini", k.text);
        window.load_settings();
        EXPECT_EQ(where().bottom - where().top, k.height);
        EXPECT_EQ(std::string(tray.nid.szInfo).find(none) != std::string::npos, k.reported) << tray.nid.szInfo;
        if (k.reported) {
            EXPECT_EQ(window.core.model.settings.lines, default_settings().lines);
        }
    }
}

TEST_F(SettingsInUse, FollowDisplayScalingAppliesAtOnceAndDoesNotSayItWaitsForARestart)
{
    start_with(dir + "\\brindlow.ini", "[text]\nscale = 2\n");
    ASSERT_EQ(where().right - where().left, 1200);
    wire_menu();
    tray.nid.szInfo[0] = '\0';
    ASSERT_EQ(tray.change_setting(TrayMenu::kCmdScaleFirst + 4), 0);
    // The DPI this process is told, read now.
    const int halves = scale_halves_for_dpi(window.view.read_dpi());
    EXPECT_TRUE(run_frames(window, 1000, [&] { return where().right - where().left == 300 * halves; }));
    EXPECT_TRUE(window.core.model.settings.scale_auto);
    EXPECT_EQ(window.view.scale_halves, halves);
    EXPECT_EQ(std::string(tray.nid.szInfo).find("starts again"), std::string::npos) << tray.nid.szInfo;
}

TEST_F(SettingsInUse, AnOffsetOffTheScreenIsReducedAndMoreProblemsThanFitAreCounted)
{
    const int sw = GetSystemMetrics(SM_CXSCREEN);
    start_with(dir + "\\brindlow.ini", "[overlay]\nx = 5000\n");
    EXPECT_EQ(where().right, sw);
    EXPECT_EQ(where().left, sw - 600);
    EXPECT_NE(std::string(tray.nid.szInfo)
                  .find("[overlay] x = 5000: the strip would leave the screen; placed at " + std::to_string(sw - 600)),
              std::string::npos)
        << tray.nid.szInfo;

    std::string many = "[overlay]\n";
    for (int i = 0; i < 12; ++i) {
        many += "unknown" + std::to_string(i) + " = 1\n";
    }
    save(dir + "\\brindlow.ini", many);
    window.load_settings();
    const std::string text = tray.nid.szInfo;
    const std::string note = " more \xE2\x80\x94 Settings... opens the file)";
    ASSERT_GT(text.size(), note.size());
    EXPECT_EQ(text.substr(text.size() - note.size()), note) << text;
    EXPECT_LT(text.size(), sizeof tray.nid.szInfo);
}
