#include "TrayIcon.h"

#include "ModalDriver.h"
#include "MonitorChoice.h"
#include "Settings.h"
#include "SettingsFile.h"
#include "StartupShortcut.h"
#include "TestSupport.h"

#include <objbase.h>
#include <shlobj.h>

#include <atomic>
#include <iterator>
#include <string>
#include <thread>

namespace {
// A working directory of the test's own, holding icon.ico with these bytes
// (none at all when `icon` is null). Data files never sit beside the test
// executable: Wine's LoadImageA would find them there too.
void enter_workdir(const std::string& name, const std::vector<unsigned char>* icon)
{
    const std::string dir = fresh_temp_dir("tray-" + name);
    if (icon != nullptr) {
        write_file(dir + "\\icon.ico", *icon);
    }
    ASSERT_TRUE(SetCurrentDirectoryA(dir.c_str()));
}

std::vector<unsigned char> shipped_icon() { return read_whole_file(source_path("icon.ico")); }

// Whether the shell still knows an icon with this registration.
bool icon_exists(const NOTIFYICONDATAA& nid)
{
    NOTIFYICONDATAA probe = nid;
    probe.uFlags = NIF_TIP;
    return Shell_NotifyIconA(NIM_MODIFY, &probe) != FALSE;
}

SIZE icon_size(HICON icon)
{
    SIZE size{0, 0};
    ICONINFO info{};
    if (GetIconInfo(icon, &info)) {
        BITMAP bm{};
        GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
        size.cx = bm.bmWidth;
        size.cy = info.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }
    return size;
}

class Tray : public OverlayTest {
protected:
    TrayIcon tray;
    void SetUp() override
    {
        OverlayTest::SetUp();
        const std::vector<unsigned char> icon = shipped_icon();
        ASSERT_FALSE(icon.empty());
        enter_workdir(::testing::UnitTest::GetInstance()->current_test_info()->name(), &icon);
        ASSERT_EQ(tray.init(), 0);
        tray.strip_window = window.view.strip.hwnd;
    }
    void TearDown() override
    {
        tray.destroy();
        OverlayTest::TearDown();
    }
};
}

TEST_F(Tray, InitMakesAHiddenWindowAndTheIcon)
{
    char cls[64] = {};
    GetClassNameA(tray.hwnd, cls, sizeof cls);
    EXPECT_STREQ(cls, "TRAY_ICON_CLASSNAME");
    EXPECT_FALSE(IsWindowVisible(tray.hwnd));
    EXPECT_EQ(GetParent(tray.hwnd), nullptr);
    ASSERT_NE(tray.icon, nullptr);
    // The file's first image, the one the notification area shows sharply.
    const SIZE size = icon_size(tray.icon);
    EXPECT_EQ(size.cx, 16);
    EXPECT_EQ(size.cy, 16);
    EXPECT_STREQ(tray.nid.szTip, "Brindlow is Running...");
    EXPECT_EQ(tray.nid.uCallbackMessage, 1025u);
    EXPECT_TRUE(icon_exists(tray.nid));
}

TEST_F(Tray, MenuListsItsItemsWithTheSettingsBetweenTwoSeparatorsAndMarksWhatIsInForce)
{
    Settings in_force = default_settings();
    in_force.corner = Corner::BottomRight;
    in_force.scale_halves = 3;
    in_force.lines = {LineKind::Time};
    in_force.hide_over_fullscreen = true;
    in_force.opacity = 80;
    tray.settings = &in_force;
    ModalDriver driver;
    std::vector<MenuItem> items;
    std::vector<std::vector<MenuItem>> submenus;
    std::vector<bool> lines_enabled;
    with_menu(tray, driver, [&](HWND w, HMENU m) {
        items = read_menu(m);
        for (int i : {4, 5, 6, 7}) {
            submenus.push_back(read_menu(GetSubMenu(m, i)));
        }
        for (UINT id = TrayMenu::kCmdLineFirst; id < TrayMenu::kCmdLineFirst + 3; ++id) {
            lines_enabled.push_back((GetMenuState(GetSubMenu(m, 6), id, MF_BYCOMMAND) & MF_GRAYED) == 0);
        }
        dismiss_menu(w);
    });
    tray.settings = nullptr;
    ASSERT_EQ(items.size(), 17u);
    const MenuItem expected[] = {
        {"About Brindlow", 10001, false, false},
        {"Check For Updates", 10002, false, false},
        {"", 0, true, false},
        {"Settings...", 10005, false, false},
        {"Position", 0, false, false},
        {"Text size", 0, false, false},
        {"Lines", 0, false, false},
        {"Opacity", 0, false, false},
        {"Text colour...", 10020, false, false},
        {"Shadow colour...", 10021, false, false},
        {"Outline colour...", 10023, false, false},
        {"No outline", 10024, false, true},
        {"Hide over full-screen programs", 10022, false, true},
        {"Start with Windows", 10006, false, false},
        {"", 0, true, false},
        {"Hide Brindlow", 10003, false, false},
        {"Close", 10004, false, false},
    };
    for (std::size_t i = 0; i < items.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(items[i].separator, expected[i].separator);
        if (!expected[i].separator) {
            EXPECT_EQ(items[i].text, expected[i].text);
            EXPECT_EQ(items[i].checked, expected[i].checked);
            if (expected[i].id != 0) {
                EXPECT_EQ(items[i].id, expected[i].id);
            }
        }
    }
    // Each submenu's items, and which one is marked: the settings in force.
    const std::vector<std::vector<std::string>> texts = {
        {"Top left", "Top right", "Bottom left", "Bottom right", "", "Monitor", "Move..."},
        {"Normal", "150 %", "200 %", "300 %", "Follow display scaling"},
        {"Date", "Time", "Battery"},
        {"100 %", "80 %", "60 %", "40 %"},
    };
    const std::vector<std::vector<bool>> marked = {{false, false, false, true, false, false, false},
                                                   {false, true, false, false, false},
                                                   {false, true, false},
                                                   {false, true, false, false}};
    ASSERT_EQ(submenus.size(), 4u);
    for (std::size_t m = 0; m < 4; ++m) {
        ASSERT_EQ(submenus[m].size(), texts[m].size());
        for (std::size_t i = 0; i < texts[m].size(); ++i) {
            EXPECT_EQ(submenus[m][i].text, texts[m][i]);
            EXPECT_EQ(submenus[m][i].checked, marked[m][i]) << texts[m][i];
        }
    }
    // The only line shown cannot be turned off.
    EXPECT_EQ(lines_enabled, (std::vector<bool>{true, false, true}));

    // A line of one's own and a zone are listed once they are set; an
    // opacity the menu does not list marks none, and an outline unmarks "No outline".
    in_force.text = "Desk 4";
    in_force.zones[1] = "Tokyo Standard Time";
    in_force.lines = {LineKind::Time, LineKind::Zone2};
    in_force.opacity = 70;
    in_force.outline_shown = true;
    tray.settings = &in_force;
    std::vector<MenuItem> lines, opacities;
    bool no_outline = true;
    with_menu(tray, driver, [&](HWND w, HMENU m) {
        lines = read_menu(GetSubMenu(m, 6));
        opacities = read_menu(GetSubMenu(m, 7));
        no_outline = read_menu(m)[11].checked;
        dismiss_menu(w);
    });
    tray.settings = nullptr;
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[3].text, "Text");
    EXPECT_FALSE(lines[3].checked);
    EXPECT_EQ(lines[4].text, "Tokyo");
    EXPECT_EQ(lines[4].id, TrayMenu::kCmdLineFirst + line_index(LineKind::Zone2));
    EXPECT_TRUE(lines[4].checked);
    ASSERT_EQ(opacities.size(), 4u);
    for (const MenuItem& item : opacities) {
        EXPECT_FALSE(item.checked) << item.text;
    }
    EXPECT_FALSE(no_outline);
    EXPECT_FALSE(driver.watchdog_fired);
}

TEST_F(Tray, ALeftOrRightButtonReleaseOpensTheMenu)
{
    ModalDriver driver;
    struct Case {
        UINT message;
        int menus;
    };
    const Case cases[] = {
        {WM_RBUTTONUP, 1},   {WM_MOUSEMOVE, 0},     {WM_LBUTTONDOWN, 0},
        {WM_RBUTTONDOWN, 0}, {WM_LBUTTONDBLCLK, 0}, {WM_LBUTTONUP, 1},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.message);
        const int before = driver.menus_seen;
        driver.on_menu([](HWND w, HMENU) { dismiss_menu(w); });
        click(tray.hwnd, k.message);
        pump_until([&] { return driver.menus_seen > before; }, k.menus ? 5000 : 600);
        pump_until([] { return false; }, 200);
        EXPECT_EQ(driver.menus_seen - before, k.menus);
    }
    // Dismissing changed nothing: the overlay is still shown, nothing checked.
    EXPECT_TRUE(IsWindowVisible(window.view.strip.hwnd));
    std::vector<MenuItem> items;
    with_menu(tray, driver, [&items](HWND w, HMENU m) {
        items = read_menu(m);
        dismiss_menu(w);
    });
    ASSERT_EQ(items.size(), 17u);
    EXPECT_FALSE(items[15].checked);
    EXPECT_TRUE(IsWindowVisible(window.view.strip.hwnd));
}

TEST_F(Tray, HideTogglesTheOverlayAndTheCheckMarkFollows)
{
    ModalDriver driver;
    ASSERT_TRUE(IsWindowVisible(window.view.strip.hwnd));
    struct Step {
        bool checked_before;
        bool visible_after;
    };
    const Step steps[] = {{false, false}, {true, true}, {false, false}, {true, true}};
    for (const Step& s : steps) {
        bool checked = !s.checked_before;
        with_menu(tray, driver, [&checked](HWND w, HMENU m) {
            checked = read_menu(m)[15].checked;
            choose_item(w, 14);
        });
        EXPECT_EQ(checked, s.checked_before);
        pump_until([&] { return (IsWindowVisible(window.view.strip.hwnd) != FALSE) == s.visible_after; }, 2000);
        EXPECT_EQ(IsWindowVisible(window.view.strip.hwnd) != FALSE, s.visible_after);
    }
    EXPECT_FALSE(driver.watchdog_fired);
}

TEST_F(Tray, CloseEndsTheOverlayLoop)
{
    ASSERT_EQ(window.view.renderer.font.load_from_file("no-such-atlas.png", 24, 24, 19), -1);
    window.init_displays();
    HWND overlay = window.view.strip.hwnd;
    ModalDriver driver;
    driver.on_menu([](HWND w, HMENU) { choose_item(w, 15); });
    click(tray.hwnd, WM_LBUTTONUP);
    // The loop itself dispatches the click, runs the menu and takes the close.
    EXPECT_EQ(window.run(), 0);
    EXPECT_EQ(driver.menus_seen, 1);
    EXPECT_FALSE(driver.watchdog_fired);
    EXPECT_FALSE(IsWindow(overlay));
}

TEST_F(Tray, AboutShowsTheBoxOwnedByTheHiddenWindow)
{
    ModalDriver driver;
    std::string caption, text;
    HWND owner = nullptr;
    driver.on_box([&](HWND box) {
        const BoxText seen = read_box(box);
        caption = seen.caption;
        text = seen.text;
        owner = seen.owner;
        press_ok(box);
    });
    with_menu(tray, driver, [](HWND w, HMENU) { choose_item(w, 1); });
    pump_until([&] { return driver.boxes_seen > 0 && FindWindowA("#32770", "About Brindlow") == nullptr; }, 5000);
    EXPECT_EQ(driver.boxes_seen, 1);
    EXPECT_EQ(caption, "About Brindlow");
    EXPECT_EQ(text.rfind("Brindlow\n\nVersion 1.0.0\n", 0), 0u) << text;
    EXPECT_EQ(owner, tray.hwnd);
    EXPECT_FALSE(driver.watchdog_fired);
}

TEST_F(Tray, TheClockKeepsRunningWhileTheMenuOrTheAboutBoxIsOpen)
{
    window.init_displays();
    ModalDriver driver(15000);
    // How late each second turned on screen, in ms after its boundary.
    std::vector<int> late;
    std::string last = window.view.display_for(LineKind::Time)->text;
    window.view.on_swap = [&] {
        if (window.view.display_for(LineKind::Time)->text != last) {
            late.push_back(read_local_clock().ms);
            last = window.view.display_for(LineKind::Time)->text;
        }
    };
    for (bool about : {false, true}) {
        SCOPED_TRACE(about ? "About box" : "menu");
        late.clear();
        std::string before;
        unsigned long swaps = 0;
        std::thread closer;
        // Held open for 2.5 s by another thread, then closed as the user would.
        auto hold = [&](HWND target, UINT message, WPARAM wparam) {
            before = window.view.display_for(LineKind::Time)->text;
            swaps = window.view.renderer.swap_count;
            closer = std::thread([target, message, wparam] {
                Sleep(2500);
                PostMessageA(target, message, wparam, 0);
            });
        };
        if (about) {
            driver.on_box([&](HWND box) { hold(box, WM_COMMAND, IDOK); });
            with_menu(tray, driver, [](HWND w, HMENU) { choose_item(w, 1); });
            pump_until([&] { return closer.joinable() && FindWindowA("#32770", "About Brindlow") == nullptr; }, 8000);
        } else {
            with_menu(tray, driver, [&](HWND, HMENU) { hold(tray.hwnd, WM_CANCELMODE, 0); });
        }
        ASSERT_TRUE(closer.joinable());
        closer.join();
        EXPECT_NE(window.view.display_for(LineKind::Time)->text, before);
        EXPECT_GT(window.view.renderer.swap_count, swaps);
        // The same timer, re-armed for each boundary, serves the modal loop.
        EXPECT_GE(late.size(), 2u);
        for (int ms : late) {
            EXPECT_LT(ms, 250);
        }
    }
    window.view.on_swap = nullptr;
    EXPECT_FALSE(driver.watchdog_fired);
}

TEST_F(Tray, CheckForUpdatesOpensTheUpdatePageInTheBrowser)
{
    // Wine's browser launcher tries the programs listed here; the stub
    // records the address it is given.
    if (!running_under_wine()) {
        GTEST_SKIP() << "needs Wine's browser launcher";
    }
    ModalDriver driver;
    const std::string opened =
        address_opened([&] { with_menu(tray, driver, [](HWND w, HMENU) { choose_item(w, 2); }); },
                       BRINDLOW_BROWSER_STUB, BRINDLOW_BROWSER_LOG);
    EXPECT_EQ(opened, std::string(TrayIcon::kUpdatePage) + "\n");
    EXPECT_EQ(opened.rfind("https://", 0), 0u);
}

TEST_F(Tray, TaskbarCreatedAddsTheIconAgain)
{
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &tray.nid));
    ASSERT_FALSE(icon_exists(tray.nid));
    SendMessageA(tray.hwnd, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(icon_exists(tray.nid));
}

TEST_F(Tray, DestroyRemovesTheIconAndReleasesEveryHandle)
{
    ModalDriver driver;
    HMENU menu = nullptr;
    with_menu(tray, driver, [&menu](HWND w, HMENU m) {
        menu = m;
        dismiss_menu(w);
    });
    ASSERT_TRUE(IsMenu(menu));
    const NOTIFYICONDATAA nid = tray.nid;
    HWND hidden = tray.hwnd;
    HICON icon = tray.icon;
    ASSERT_TRUE(icon_exists(nid));

    EXPECT_EQ(tray.destroy(), 0);
    EXPECT_FALSE(icon_exists(nid));
    EXPECT_FALSE(IsWindow(hidden));
    EXPECT_FALSE(IsMenu(menu));
    ICONINFO info{};
    EXPECT_FALSE(GetIconInfo(icon, &info));
    // A second destroy finds nothing left to release.
    EXPECT_EQ(tray.destroy(), 0);
}

TEST(TrayWithoutOverlay, CloseAndHideDoNoHarm)
{
    const std::vector<unsigned char> icon = shipped_icon();
    enter_workdir("no-overlay", &icon);
    TrayIcon tray;
    ASSERT_EQ(tray.init(), 0);
    ModalDriver driver;
    for (int item : {15, 14, 15}) {
        with_menu(tray, driver, [item](HWND w, HMENU) { choose_item(w, item); });
        pump_until([] { return false; }, 200);
    }
    // The icon still answers.
    with_menu(tray, driver, [](HWND w, HMENU) { dismiss_menu(w); });
    EXPECT_TRUE(IsWindow(tray.hwnd));
    EXPECT_FALSE(driver.watchdog_fired);
    tray.destroy();
}

TEST(TrayInitFailure, UnusableIconFileFailsWithoutMenuAndDestroyIsSafe)
{
    const std::string text = "not an icon\n";
    const std::vector<unsigned char> empty;
    const std::vector<unsigned char> not_icon(text.begin(), text.end());
    struct Case {
        const char* name;
        const std::vector<unsigned char>* bytes;
    };
    const Case cases[] = {{"missing", nullptr}, {"empty", &empty}, {"not-an-icon", &not_icon}};
    ModalDriver driver;
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        enter_workdir(k.name, k.bytes);
        TrayIcon tray;
        EXPECT_EQ(tray.init(), -1);
        EXPECT_EQ(tray.icon, nullptr);
        EXPECT_FALSE(icon_exists(tray.nid));
        // No menu exists to open.
        const int before = driver.menus_seen;
        click(tray.hwnd, WM_LBUTTONUP);
        pump_until([] { return false; }, 400);
        EXPECT_EQ(driver.menus_seen, before);
        EXPECT_EQ(tray.destroy(), 0);
        EXPECT_EQ(tray.hwnd, nullptr);
    }
    EXPECT_FALSE(driver.watchdog_fired);
}

namespace {
std::string appdata_settings()
{
    char folder[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, folder);
    return std::string(folder) + "\\Brindlow\\brindlow.ini";
}

BOOL CALLBACK close_editor(HWND hwnd, LPARAM found)
{
    char title[MAX_PATH] = {};
    GetWindowTextA(hwnd, title, sizeof title);
    if (IsWindowVisible(hwnd) && std::string(title).find("brindlow") != std::string::npos) {
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
        *reinterpret_cast<bool*>(found) = true;
    }
    return TRUE;
}
}

TEST_F(Tray, StartWithWindowsAddsAndRemovesTheUsersStartupShortcut)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    StartupShortcut::remove();
    ModalDriver driver;
    char exe[MAX_PATH] = {}, cwd[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    GetCurrentDirectoryA(MAX_PATH, cwd);
    for (bool present : {true, false}) {
        bool checked = present;
        with_menu(tray, driver, [&checked](HWND w, HMENU m) {
            checked = read_menu(m)[13].checked;
            choose_item(w, 13);
        });
        EXPECT_EQ(checked, !present) << "the check mark shows whether it starts at login";
        EXPECT_EQ(StartupShortcut::exists(), present);
        if (present) {
            const Shortcut s = read_shortcut(StartupShortcut::path());
            ASSERT_TRUE(s.loaded);
            EXPECT_EQ(lstrcmpiA(s.target.c_str(), exe), 0) << s.target;
            EXPECT_EQ(lstrcmpiA(s.workdir.c_str(), cwd), 0) << s.workdir;
        }
    }
    EXPECT_FALSE(driver.watchdog_fired);
    CoUninitialize();
}

// The one shortcut is shared with every other copy (installed, portable):
// one that starts another copy is not this copy's, and ticking points it here.
TEST_F(Tray, StartWithWindowsIsCheckedOnlyForAShortcutThatStartsThisCopy)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const std::string other_dir = fresh_temp_dir("tray-other-copy");
    const std::string other = other_dir + "\\Brindlow.exe";
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    ASSERT_TRUE(CopyFileA(exe, other.c_str(), FALSE));
    ASSERT_EQ(StartupShortcut::create(other, other_dir), 0);
    ModalDriver driver;

    bool checked = true;
    with_menu(tray, driver, [&checked](HWND w, HMENU m) {
        checked = read_menu(m)[13].checked;
        choose_item(w, 13);
    });
    EXPECT_FALSE(checked) << "the shortcut starts another copy";
    Shortcut s = read_shortcut(StartupShortcut::path());
    ASSERT_TRUE(s.loaded);
    EXPECT_EQ(lstrcmpiA(s.target.c_str(), exe), 0) << "ticking points it at this copy: " << s.target;

    // The shortcut now this copy's, an upper-cased target still counts.
    char cwd[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, cwd);
    std::string shouted = exe;
    CharUpperA(&shouted[0]);
    ASSERT_EQ(StartupShortcut::create(shouted, cwd), 0);
    with_menu(tray, driver, [&checked](HWND w, HMENU m) {
        checked = read_menu(m)[13].checked;
        choose_item(w, 13);
    });
    EXPECT_TRUE(checked);
    EXPECT_FALSE(StartupShortcut::exists()) << "unticking removes this copy's shortcut";

    // Pointed elsewhere while the menu is closed: the mark follows, and
    // nothing of the other copy's is removed.
    ASSERT_EQ(StartupShortcut::create(other, other_dir), 0);
    with_menu(tray, driver, [&checked](HWND w, HMENU m) {
        checked = read_menu(m)[13].checked;
        dismiss_menu(w);
    });
    EXPECT_FALSE(checked);
    EXPECT_EQ(lstrcmpiA(read_shortcut(StartupShortcut::path()).target.c_str(), other.c_str()), 0);
    StartupShortcut::remove();
    EXPECT_FALSE(driver.watchdog_fired);
    CoUninitialize();
}

TEST_F(Tray, SettingsWritesTheCommentedFileFirstAndOpensIt)
{
    const std::string path = appdata_settings();
    DeleteFileA(path.c_str());
    SettingsFile file;
    ASSERT_EQ(file.init(), 0);
    tray.settings_file = &file;
    ModalDriver driver;
    with_menu(tray, driver, [](HWND w, HMENU) { choose_item(w, 3); });
    const std::vector<unsigned char> bytes = read_whole_file(path);
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_NE(text.find(";corner = top-left\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("[lines]\r\n"), std::string::npos);
    // The shell opens it in the editor for .ini files.
    bool editor = false;
    pump_until(
        [&] {
            EnumWindows(close_editor, reinterpret_cast<LPARAM>(&editor));
            return editor;
        },
        10000);
    EXPECT_TRUE(editor);
    Sleep(500);
    DeleteFileA(path.c_str());
    file.destroy();
}

TEST_F(Tray, TheMenuWorksFromWhatTheFileSaysAndKeepsAZoneItCannotShow)
{
    // A zone the user may be about to fix: left out of the strip, not of the file.
    write_file("brindlow.ini", [] {
        const std::string text = "[lines]\r\nshow = time, zone1\r\n[zones]\r\nzone1 = Nowhere Standard Time\r\n";
        return std::vector<unsigned char>(text.begin(), text.end());
    }());
    SettingsFile file;
    file.init();
    window.settings_file = &file;
    window.init_displays();
    window.load_settings();
    ASSERT_EQ(window.core.model.settings.lines, (std::vector<LineKind>{LineKind::Time}));
    tray.settings_file = &file;
    tray.settings = &window.core.file_settings;
    ModalDriver driver;
    std::vector<MenuItem> lines;
    bool time_enabled = false;
    with_menu(tray, driver, [&](HWND w, HMENU m) {
        lines = read_menu(GetSubMenu(m, 6));
        time_enabled = (GetMenuState(GetSubMenu(m, 6), TrayMenu::kCmdLineFirst + 1, MF_BYCOMMAND) & MF_GRAYED) == 0;
        dismiss_menu(w);
    });
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[3].id, TrayMenu::kCmdLineFirst + line_index(LineKind::Zone1));
    EXPECT_TRUE(lines[3].checked);
    EXPECT_TRUE(time_enabled) << "Time is not the last line the file shows";
    EXPECT_FALSE(driver.watchdog_fired);

    // Lines > Date adds the date and keeps the zone.
    ASSERT_EQ(tray.change_setting(TrayMenu::kCmdLineFirst), 0);
    const std::vector<unsigned char> bytes = read_whole_file("brindlow.ini");
    EXPECT_NE(std::string(bytes.begin(), bytes.end()).find("show = date, time, zone1\r\n"), std::string::npos);
    tray.settings = nullptr;
    tray.settings_file = nullptr;
    window.settings_file = nullptr;
    file.destroy();
}

TEST_F(Tray, TheHotkeyIsHeldTogglesHideAndIsNamedInTheMenuOrReportedWhenAnotherHoldsIt)
{
    ASSERT_EQ(tray.set_hotkey("Ctrl+Alt+F11"), "");
    EXPECT_FALSE(RegisterHotKey(nullptr, 77, MOD_CONTROL | MOD_ALT, VK_F11)) << "the key is Brindlow's now";
    ModalDriver driver;
    std::string item;
    with_menu(tray, driver, [&item](HWND w, HMENU m) {
        item = read_menu(m)[15].text;
        dismiss_menu(w);
    });
    EXPECT_EQ(item, "Hide Brindlow\tCtrl+Alt+F11");

    // The key's message does what the menu's item does, and its mark follows.
    const LPARAM pressed = MAKELPARAM(MOD_CONTROL | MOD_ALT, VK_F11);
    for (bool shown : {false, true}) {
        PostMessageA(tray.hwnd, WM_HOTKEY, GlobalHotkey::kId, pressed);
        EXPECT_TRUE(pump_until([&] { return (IsWindowVisible(window.view.strip.hwnd) != FALSE) == shown; }, 2000));
        bool checked = shown;
        with_menu(tray, driver, [&checked](HWND w, HMENU m) {
            checked = read_menu(m)[15].checked;
            dismiss_menu(w);
        });
        EXPECT_EQ(checked, !shown);
    }

    // Another program holds Ctrl+Alt+B first: the settings' balloon names it,
    // and the key Brindlow had is let go.
    ASSERT_TRUE(RegisterHotKey(nullptr, 78, MOD_CONTROL | MOD_ALT, 'B'));
    std::string balloon;
    window.to_icon = [this, &balloon](const StripCommands& c) {
        if (!c.warning.text.empty()) {
            balloon = c.warning.text;
        }
        tray.carry_out(c);
    };
    Settings s = default_settings();
    s.hotkey = "Ctrl+Alt+B";
    window.apply_settings(s);
    EXPECT_NE(balloon.find("[overlay] hotkey = Ctrl+Alt+B: another program already uses Ctrl+Alt+B"), std::string::npos)
        << balloon;
    EXPECT_TRUE(RegisterHotKey(nullptr, 79, MOD_CONTROL | MOD_ALT, VK_F11)) << "the key before was let go";
    UnregisterHotKey(nullptr, 79);
    with_menu(tray, driver, [&item](HWND w, HMENU m) {
        item = read_menu(m)[15].text;
        dismiss_menu(w);
    });
    EXPECT_EQ(item, "Hide Brindlow");

    // Once it is free, the next load takes it and the report is gone.
    UnregisterHotKey(nullptr, 78);
    window.apply_settings(s);
    EXPECT_EQ(tray.hotkey.name, "Ctrl+Alt+B");
    EXPECT_EQ(window.core.hotkey_problem, "");
    EXPECT_FALSE(RegisterHotKey(nullptr, 80, MOD_CONTROL | MOD_ALT, 'B'));
    window.to_icon = nullptr;
    EXPECT_FALSE(driver.watchdog_fired);
}

// Hidden while it is being moved, the strip could be neither seen nor let
// go: the move ends first. Moved while hidden, it is shown, and the mark says so.
TEST_F(Tray, HidingAStripBeingMovedEndsTheMoveAndMoveShowsAHiddenStrip)
{
    HWND strip = window.view.strip.hwnd;
    ModalDriver driver;
    auto hide_checked = [&] {
        bool checked = false;
        with_menu(tray, driver, [&checked](HWND w, HMENU m) {
            checked = read_menu(m)[15].checked;
            dismiss_menu(w);
        });
        return checked;
    };
    auto choose_move = [&] { with_menu(tray, driver, [](HWND w, HMENU) { choose_nested(w, {4, 6}); }); };

    choose_move();
    ASSERT_TRUE(pump_until([&] { return window.view.strip.moving; }, 2000));
    PostMessageA(tray.hwnd, WM_HOTKEY, GlobalHotkey::kId, 0);
    EXPECT_TRUE(pump_until([&] { return !IsWindowVisible(strip); }, 2000));
    EXPECT_FALSE(window.view.strip.moving) << "the move ended with the hiding";
    EXPECT_TRUE(hide_checked());

    choose_move();
    EXPECT_TRUE(pump_until([&] { return window.view.strip.moving && IsWindowVisible(strip); }, 2000));
    EXPECT_FALSE(hide_checked()) << "a strip shown to be moved is no longer hidden";
    PostMessageA(strip, kStripMoveMessage, kStripMoveDone, 0);
    EXPECT_TRUE(pump_until([&] { return !window.view.strip.moving; }, 2000));
    EXPECT_TRUE(IsWindowVisible(strip)) << "and stays shown after the move";
    EXPECT_FALSE(driver.watchdog_fired);
}

// "Move..." chosen from the menu takes the keyboard at once: keys typed on
// the X keyboard (xdotool, through the X server as a keyboard's are) reach
// the strip without a click on it, though the user was in another window.
TEST_F(Tray, MoveFromTheMenuTakesTheKeysWithoutAClick)
{
    HWND strip = window.view.strip.hwnd;
    HWND user = CreateWindowExA(0, test_window_class(), "the user's window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 200, 200,
                                500, 400, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(user, nullptr);
    SetForegroundWindow(user);
    pump_until([&] { return GetForegroundWindow() == user; }, 2000);
    ModalDriver driver;
    auto choose_move = [&] {
        // The icon is clicked in the shell's notification area, a window of
        // another process (explorer.exe, under Wine its "Wine System Tray"),
        // which the window manager gives the X keyboard.
        // Asked for, not waited on (--sync): a window manager busy with
        // another test's windows may not grant it, and the keys must reach
        // the strip either way.
        if (running_under_wine()) {
            ASSERT_EQ(run_unix_shell("xdotool search --name 'Wine System Tray' windowactivate"), 0);
            pump_until([&] { return GetForegroundWindow() != user; }, 1000);
        }
        with_menu(tray, driver, [](HWND w, HMENU) { choose_nested(w, {4, 6}); });
        EXPECT_TRUE(pump_until([&] { return window.view.strip.moving; }, 2000));
        // As long as a hand takes to reach for a key.
        pump_until([] { return false; }, 300);
    };
    auto left = [&] {
        RECT r{};
        GetWindowRect(strip, &r);
        return r.left;
    };
    // Through X under Wine; on Windows its own keyboard input.
    auto type = [](const char* x_name, WORD vk) {
        if (running_under_wine()) {
            return run_unix_shell(std::string("xdotool key ") + x_name);
        }
        INPUT in[2]{};
        in[0].type = INPUT_KEYBOARD;
        in[0].ki.wVk = vk;
        in[1] = in[0];
        in[1].ki.dwFlags = KEYEVENTF_KEYUP;
        return SendInput(2, in, sizeof(INPUT)) == 2 ? 0 : -1;
    };

    choose_move();
    const int before = left();
    ASSERT_EQ(type("Right", VK_RIGHT), 0);
    EXPECT_TRUE(pump_until([&] { return left() == before + 1; }, 2000)) << "the arrow key moves it a pixel";
    ASSERT_EQ(type("Escape", VK_ESCAPE), 0);
    EXPECT_TRUE(pump_until([&] { return !window.view.strip.moving; }, 2000)) << "Esc ends the move";
    EXPECT_EQ(left(), before) << "and puts it back";

    choose_move();
    ASSERT_EQ(type("Return", VK_RETURN), 0);
    EXPECT_TRUE(pump_until([&] { return !window.view.strip.moving; }, 2000)) << "Enter ends the move";
    DestroyWindow(user);
    EXPECT_FALSE(driver.watchdog_fired);
}

namespace {
// Three monitors as Windows could list them, two of one model: those two
// are told apart by their devices.
std::vector<MonitorArea> three_monitors()
{
    return {
        MonitorArea{Rect{0, 0, 1024, 768}, Rect{0, 0, 1024, 728}, true, "\\\\.\\DISPLAY1", "DELL U2720Q", 96},
        MonitorArea{Rect{1024, 0, 2944, 1080}, Rect{1024, 0, 2944, 1040}, false, "\\\\.\\DISPLAY2", "LG HDR 4K — Süd",
                    144},
        MonitorArea{Rect{-1920, 0, 0, 1080}, Rect{-1920, 0, 0, 1080}, false, "\\\\.\\DISPLAY3", "DELL U2720Q", 96},
    };
}

// Position is the menu's fourth item (separators skipped, and its index),
// Monitor the fifth item of Position (and its index with the separator).
constexpr int kPositionItem = 4;
constexpr int kMonitorItem = 5;

std::vector<MenuItem> monitor_items(HMENU m)
{
    return read_menu(GetSubMenu(GetSubMenu(m, kPositionItem), kMonitorItem));
}

// Which item is checked: -1 for none; a second mark fails.
int marked_item(const std::vector<MenuItem>& items)
{
    int marked = -1;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].checked) {
            EXPECT_EQ(marked, -1) << "a second mark: " << items[i].text;
            marked = static_cast<int>(i);
        }
    }
    return marked;
}
}

TEST_F(Tray, TheMonitorSubmenuListsTheMonitorsMarksTheOneInForceAndWritesItsName)
{
    write_file("brindlow.ini", [] {
        const std::string text = "[overlay]\r\ncorner = top-right\r\n";
        return std::vector<unsigned char>(text.begin(), text.end());
    }());
    SettingsFile file;
    ASSERT_EQ(file.init(), 0);
    tray.settings_file = &file;
    // Set after init: the monitors are read at each showing.
    tray.menu.read_monitors = three_monitors;
    // The strip takes each key written as the menu tells it, and the menu
    // goes on from what the strip says the file says.
    Settings& in_force = window.core.file_settings;
    in_force = parse_settings("[overlay]\ncorner = top-right\n").settings;
    tray.settings = &in_force;
    struct Step {
        const char* setting; // what the file says as the menu opens; null: what the last choice wrote
        int marked; // the item marked, separator counted; -1: none
        int choose; // the item then chosen, separator skipped; 0: none
        const char* written;
    };
    const Step steps[] = {
        {"primary", 2, 3, "monitor = LG HDR 4K — Süd\r\n"},
        // The second of the two alike, and the first, by their devices.
        {nullptr, 3, 4, "monitor = \\\\.\\DISPLAY3\r\n"},
        {nullptr, 4, 2, "monitor = \\\\.\\DISPLAY1\r\n"},
        {nullptr, 2, 1, "monitor = all\r\n"},
        {nullptr, 0, 0, nullptr},
        {"2", 3, 0, nullptr},
        {"lg hdr 4k — süd", 3, 0, nullptr},
        {"DELL U2720Q", 2, 0, nullptr},
        {"Samsung C49", -1, 0, nullptr},
        {"7", -1, 0, nullptr},
    };
    const char* const labels[] = {"All monitors", "", "DELL U2720Q (1)", "LG HDR 4K — Süd (2)", "DELL U2720Q (3)"};
    ModalDriver driver(30000);
    for (const Step& step : steps) {
        SCOPED_TRACE(step.setting != nullptr ? step.setting : step.written != nullptr ? step.written : "-");
        if (step.setting != nullptr) {
            ASSERT_TRUE(parse_key("overlay", "monitor", step.setting, &in_force));
        }
        std::vector<MenuItem> items;
        with_menu(tray, driver, [&](HWND w, HMENU m) {
            items = monitor_items(m);
            if (step.choose == 0) {
                dismiss_menu(w);
            } else {
                choose_nested(w, {kPositionItem, kMonitorItem, step.choose});
            }
        });
        ASSERT_EQ(items.size(), std::size(labels));
        for (std::size_t i = 0; i < items.size(); ++i) {
            EXPECT_EQ(items[i].text, labels[i]);
        }
        EXPECT_EQ(items[0].id, TrayMenu::kCmdMonitorAll);
        EXPECT_EQ(items[4].id, TrayMenu::kCmdMonitorFirst + 2);
        EXPECT_EQ(marked_item(items), step.marked);
        if (step.written != nullptr) {
            const std::vector<unsigned char> bytes = read_whole_file("brindlow.ini");
            const std::string text(bytes.begin(), bytes.end());
            EXPECT_NE(text.find(step.written), std::string::npos) << text;
            // The settings the menu goes on from are what the file says.
            EXPECT_EQ(parse_settings(text).settings, in_force) << text;
        }
    }
    EXPECT_FALSE(driver.watchdog_fired);
    tray.settings = nullptr;
    tray.settings_file = nullptr;
    file.destroy();
}

TEST_F(Tray, WindowsOwnMonitorsAreListedWithTheirDevicesAndUnderWineTheirNamesAndDpi)
{
    const std::vector<MonitorArea> monitors = enumerate_monitors();
    ASSERT_EQ(monitors.size(), static_cast<std::size_t>(GetSystemMetrics(SM_CMONITORS)));
    HDC screen = GetDC(nullptr);
    for (const MonitorArea& m : monitors) {
        // The same device as Windows names the monitor at its corner.
        MONITORINFOEXA mi{};
        mi.cbSize = sizeof mi;
        ASSERT_TRUE(
            GetMonitorInfoA(MonitorFromPoint(POINT{m.monitor.left, m.monitor.top}, MONITOR_DEFAULTTONULL), &mi));
        EXPECT_EQ(m.device, mi.szDevice);
        // Wine's one monitor has a name, and the prefix's DPI.
        if (running_under_wine()) {
            EXPECT_FALSE(m.name.empty()) << m.device;
            EXPECT_EQ(m.dpi, GetDeviceCaps(screen, LOGPIXELSX));
        }
    }
    ReleaseDC(nullptr, screen);
    std::vector<MenuItem> items;
    ModalDriver driver;
    with_menu(tray, driver, [&](HWND w, HMENU m) {
        items = monitor_items(m);
        dismiss_menu(w);
    });
    ASSERT_EQ(items.size(), monitors.size() + 2);
    EXPECT_EQ(items.back().text, monitor_label(monitors, monitors.size() - 1));
    EXPECT_FALSE(driver.watchdog_fired);
}

namespace {
// What is open when a close request comes, and how the user opened it from
// the menu (selectable items, 1-based; none: the menu itself).
struct OpenWhenClosing {
    const char* name;
    std::vector<int> path;
};

const OpenWhenClosing kOpenWhenClosing[] = {
    {"menu", {}},
    {"About", {1}},
    {"colour dialog", {8}},
    {"Move", {4, 6}},
};

// A thread timer on the test's thread, which the strip's loop and every
// modal loop dispatch: it waits until `open` holds, then sends WM_CLOSE from
// another thread, as an installer does (SendMessage with a time-out).
struct CloseRequest {
    std::function<bool()> open;
    HWND strip = nullptr;
    std::thread sender;
    bool sent = false;
};
CloseRequest* g_request = nullptr;

void CALLBACK request_close_when_open(HWND, UINT, UINT_PTR, DWORD)
{
    CloseRequest* r = g_request;
    if (r != nullptr && !r->sent && r->open()) {
        r->sent = true;
        HWND strip = r->strip;
        r->sender = std::thread([strip] {
            DWORD_PTR result = 0;
            SendMessageTimeoutA(strip, WM_CLOSE, 0, 0, SMTO_NORMAL, 5000, &result);
        });
    }
}

// The icon's window or dialog of this thread that is shown, as a user sees it.
bool shows(const char* class_name)
{
    HWND w = FindWindowA(class_name, nullptr);
    return w != nullptr && IsWindowVisible(w);
}
}

// Windows' installer closes Brindlow with WM_CLOSE to its strip, whatever
// Brindlow shows at that moment: the loop ends, nothing the user had open
// is left, and the settings are as they were.
TEST_F(Tray, ACloseRequestEndsTheProgramWhateverItShows)
{
    // The strip's loop ends once: a window for each case.
    window.destroy();
    for (const OpenWhenClosing& c : kOpenWhenClosing) {
        SCOPED_TRACE(c.name);
        MainWindow loop;
        ASSERT_EQ(loop.init(), 0);
        const std::string text = "[text]\r\ncolour = #ABCDEF\r\n";
        write_file("brindlow.ini", std::vector<unsigned char>(text.begin(), text.end()));
        SettingsFile file;
        ASSERT_EQ(file.init(), 0);
        loop.settings_file = &file;
        loop.init_displays();
        loop.load_settings();
        tray.strip_window = loop.view.strip.hwnd;
        tray.settings_file = &file;
        tray.settings = &loop.core.file_settings;
        tray.menu.ending = false;
        loop.to_icon = [this](const StripCommands& commands) { tray.carry_out(commands); };

        CloseRequest request;
        request.strip = loop.view.strip.hwnd;
        if (c.path.empty()) {
            request.open = [] { return shows("#32768"); };
        } else if (c.path.size() == 1) {
            request.open = [] { return shows("#32770"); };
        } else {
            request.open = [&loop] { return loop.view.strip.moving; };
        }
        g_request = &request;
        const UINT_PTR poll = SetTimer(nullptr, 0, 50, request_close_when_open);
        ModalDriver driver;
        if (!c.path.empty()) {
            driver.on_menu([&c](HWND w, HMENU) { choose_nested(w, c.path); });
        }
        // Should the request be lost, the loop still ends, and the test fails below.
        const DWORD main_thread = GetCurrentThreadId();
        std::atomic<bool> ended{false};
        std::thread backstop([main_thread, &ended] {
            for (int i = 0; i < 200 && !ended; ++i) {
                Sleep(100);
            }
            if (!ended) {
                PostThreadMessageA(main_thread, WM_QUIT, 0, 0);
            }
        });
        HWND strip = loop.view.strip.hwnd;
        click(tray.hwnd, WM_LBUTTONUP);
        EXPECT_EQ(loop.run(), 0);
        ended = true;
        backstop.join();
        KillTimer(nullptr, poll);
        g_request = nullptr;
        ASSERT_TRUE(request.sender.joinable()) << "never open";
        request.sender.join();

        EXPECT_FALSE(driver.watchdog_fired) << "the close left it open";
        EXPECT_FALSE(IsWindow(strip));
        EXPECT_FALSE(shows("#32768"));
        EXPECT_FALSE(shows("#32770"));
        EXPECT_FALSE(loop.view.strip.moving) << "the move was left unfinished";
        const std::vector<unsigned char> after = read_whole_file("brindlow.ini");
        EXPECT_EQ(std::string(after.begin(), after.end()), text);
        // The quit message the loop left behind must not end the next one.
        MSG left{};
        PeekMessageA(&left, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        tray.settings = nullptr;
        tray.settings_file = nullptr;
        file.destroy();
    }
    tray.strip_window = nullptr;
}
