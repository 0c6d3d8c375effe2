// The menu's settings items as the running program meets them: each writes
// one key of the settings file, whatever its encoding, names or the editor
// saving it at the same moment, and the strip follows at once; the dialogs
// the menu opens keep clear of the strip.
#include "AboutWindow.h"
#include "ModalDriver.h"
#include "SettingsFile.h"
#include "TrayIcon.h"

#include "SettingsInUse.h"
#include "TestSupport.h"

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

class SettingsMenu : public SettingsInUse {};

TEST_F(SettingsMenu, AKeyTheMenuWroteAppliesAloneAndAtOnceAndItsOldProblemGoes)
{
    const std::string path = dir + "\\brindlow.ini";
    save(path, "[overlay]\ncorner = middle\ny = 20\n[text]\ncolour = #080808\n");
    ASSERT_EQ(file.init(), 0);
    ASSERT_EQ(window.view.renderer.font.load_from_file("Z:\\no\\such\\atlas.png", 24, 24, 19), -1);
    window.init_displays();
    window.load_settings();
    ASSERT_EQ(window.core.settings_problems.size(), 2u);
    // A hand edit not read yet stays for the watch: only the key written applies.
    save(path, "[overlay]\ncorner = bottom-left\ny = 20\n[text]\ncolour = #080808\n");
    struct Step {
        const char* key;
        std::function<void(Settings&)> set;
        std::function<bool()> applied;
        std::size_t problems;
    };
    const int sw = GetSystemMetrics(SM_CXSCREEN);
    const Step steps[] = {
        {"colour", [](Settings& s) { s.colour = 0xFF8000; },
         [&] {
             draw_frame(window);
             return read_pixel(10, 10) == Rgb{255, 128, 0};
         },
         1},
        {"shadow", [](Settings& s) { s.shadow = 0xFFFFFF; },
         // Right of "Date YYYY-MM-DD", 15 squares 12 apart from x 10, the shadow's last column.
         [&] {
             draw_frame(window);
             return read_pixel(10 + 14 * 12 + 24, 20, where().bottom - where().top) == kWhite;
         },
         1},
        {"corner", [](Settings& s) { s.corner = Corner::TopRight; },
         [&] { return where().right == sw && where().top == 20; }, 0},
        {"show", [](Settings& s) { s.lines = {LineKind::Time}; },
         [&] { return where().bottom - where().top == 56 && window.core.model.reads() == kReadsClock; }, 0},
    };
    for (const Step& k : steps) {
        SCOPED_TRACE(k.key);
        Settings now = window.core.file_settings;
        k.set(now);
        window.setting_written(now, k.key);
        EXPECT_TRUE(k.applied());
        EXPECT_EQ(window.core.settings_problems.size(), k.problems);
        EXPECT_EQ(window.core.file_settings, now);
    }
    EXPECT_EQ(window.core.model.settings.colour, 0xFF8000u);
    EXPECT_EQ(window.core.model.settings.y, 20);
}

TEST_F(SettingsMenu, TheMenusSettingsChangeOneKeyOfTheFileAndTheStripFollows)
{
    const std::string path = dir + "\\brindlow.ini";
    const std::string mine = "; my own notes\r\n[overlay]\r\n;corner = top-left\r\n[mine]\r\nkeep = this\r\n";
    save(path, mine);
    ASSERT_EQ(file.init(), 0);
    window.init_displays();
    window.load_settings();
    wire_menu();
    const int sw = GetSystemMetrics(SM_CXSCREEN);
    struct Step {
        const char* name;
        UINT command;
        std::function<bool()> followed;
    };
    const Step steps[] = {
        {"Top right", TrayMenu::kCmdCornerFirst + 1, [&] { return where().right == sw && where().top == 0; }},
        {"200 %", TrayMenu::kCmdScaleFirst + 2, [&] { return where().right - where().left == 1200; }},
        {"Normal", TrayMenu::kCmdScaleFirst, [&] { return where().right - where().left == 600; }},
        {"Battery off", TrayMenu::kCmdLineFirst + 2, [&] { return where().bottom - where().top == 78; }},
        {"Battery on", TrayMenu::kCmdLineFirst + 2, [&] { return where().bottom - where().top == 100; }},
        {"Hide over full-screen", TrayMenu::kCmdHideOverFullscreen,
         [&] { return window.core.model.settings.hide_over_fullscreen; }},
    };
    for (const Step& k : steps) {
        SCOPED_TRACE(k.name);
        EXPECT_EQ(tray.change_setting(k.command), 0);
        // At once, then still after the watch has read the file whole.
        EXPECT_TRUE(k.followed());
        run_frames(window, SettingsFile::kSettleMs * 2);
        EXPECT_TRUE(k.followed());
    }
    const std::vector<unsigned char> bytes = read_whole_file(path);
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_EQ(text, "; my own notes\r\n[overlay]\r\ncorner = top-right\r\nhide_over_fullscreen = true\r\n[mine]\r\n"
                    "keep = this\r\n\r\n[text]\r\nscale = 1\r\n\r\n[lines]\r\nshow = date, time, battery\r\n");
    EXPECT_EQ(window.core.model.settings.lines, (std::vector<LineKind>{LineKind::Date, LineKind::Time, LineKind::Battery}));

    // A file that cannot be written is reported, and stays as it was.
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(tray.change_setting(TrayMenu::kCmdCornerFirst + 3), -1);
    EXPECT_NE(std::string(tray.nid.szInfo).find("read-only"), std::string::npos) << tray.nid.szInfo;
    EXPECT_EQ(read_whole_file(path), bytes);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

namespace {
// Text as Notepad's "Unicode" saves it: UTF-16 LE with a byte-order mark,
// written out here rather than by the code under test.
std::string notepad_unicode(const std::u16string& text)
{
    std::string out = "\xFF\xFE";
    for (char16_t u : text) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
    }
    return out;
}

std::string file_text(const std::string& path)
{
    const std::vector<unsigned char> bytes = read_whole_file(path);
    return std::string(bytes.begin(), bytes.end());
}
}

namespace {
// The strip's layered attributes as Windows keeps them: its alpha, or -1
// when only the colour key is set (or the key is not the strip's).
int strip_alpha(HWND strip)
{
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    if (!GetLayeredWindowAttributes(strip, &key, &alpha, &flags) || key != OverlayWindow::kKeyColour ||
        (flags & LWA_COLORKEY) == 0) {
        return -2;
    }
    return (flags & LWA_ALPHA) != 0 ? alpha : -1;
}

// The strip's back buffer as Windows shows it over a light, patterned
// background: the key colour's pixels replaced, every other pixel as drawn
// (the dark fringe where glyph edges were blended with the key included).
void add_keyed_over_light(int w, int h, std::vector<unsigned char>* rgba)
{
    constexpr int kTile = 20;
    const std::vector<Rgb> frame = read_frame(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            Rgb c = frame[static_cast<std::size_t>(y * w + x)];
            if (c == kKey) {
                c = (x / kTile + y / kTile) % 2 != 0 ? Rgb{250, 250, 246} : Rgb{214, 224, 236};
            }
            rgba->insert(rgba->end(), {static_cast<unsigned char>(c.r), static_cast<unsigned char>(c.g),
                                       static_cast<unsigned char>(c.b), 255});
        }
    }
}
}

TEST_F(SettingsMenu, BrindlowsOwnDialogsOpenWhereTheStripDoesNotCoverThem)
{
    const std::string path = dir + "\\brindlow.ini";
    start_with(path, "[overlay]\n");
    wire_menu();
    move_wine_tray_away();
    const struct {
        const char* name;
        const char* text;
    } cases[] = {
        {"the default strip at the top left", "[overlay]\n"},
        {"300 %: 1800 x 300 from the top left", "[overlay]\nscale = 3\n"},
        {"300 % at the bottom right", "[overlay]\ncorner = bottom-right\nscale = 3\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        save(path, c.text);
        window.load_settings();
        run_frames(window, 300);
        const RECT strip = where();
        ASSERT_TRUE(IsWindowVisible(window.view.strip.hwnd));
        // Each dialog as it opens: where it is, then closed.
        std::vector<std::pair<std::string, RECT>> seen;
        ModalDriver driver;
        const auto take = [&](HWND box) {
            RECT r{};
            GetWindowRect(box, &r);
            const std::string caption = read_box(box).caption;
            seen.emplace_back(caption, r);
            if (caption == "About Brindlow") {
                press_ok(box);
            } else {
                PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
            }
        };
        driver.on_box(take);
        EXPECT_EQ(tray.change_setting(TrayMenu::kCmdTextColour), 0) << "cancelled: nothing written";
        driver.on_box(take);
        AboutWindow(tray.hwnd).show();
        EXPECT_FALSE(driver.watchdog_fired);
        ASSERT_EQ(seen.size(), 2u);
        const int screen_w = GetSystemMetrics(SM_CXSCREEN), screen_h = GetSystemMetrics(SM_CYSCREEN);
        for (const auto& [caption, r] : seen) {
            SCOPED_TRACE(caption);
            RECT overlap{};
            EXPECT_FALSE(IntersectRect(&overlap, &r, &strip))
                << "(" << r.left << ", " << r.top << ") - (" << r.right << ", " << r.bottom << ") under the strip ("
                << strip.left << ", " << strip.top << ") - (" << strip.right << ", " << strip.bottom << ")";
            EXPECT_GE(r.left, 0);
            EXPECT_GE(r.top, 0);
            EXPECT_LE(r.right, screen_w);
            EXPECT_LE(r.bottom, screen_h);
        }
    }
}

TEST_F(SettingsMenu, TheOpacityAndOutlineItemsWriteTheirKeyAndTheStripFollowsAtOnce)
{
    const std::string path = dir + "\\brindlow.ini";
    start_with(path, "[text]\r\n;outline = none\r\n");
    wire_menu();
    HWND strip = window.view.strip.hwnd;
    ASSERT_EQ(strip_alpha(strip), -1) << "opaque: the colour key alone, as always";
    // The colour dialog is taken as it opens, on the colour in force (black).
    ModalDriver driver;
    driver.on_box([](HWND box) { press_ok(box); });
    const Display& line = *window.view.display_for(LineKind::Time);
    struct Step {
        const char* name;
        UINT command;
        std::function<bool()> followed;
    };
    const Step steps[] = {
        {"60 %", TrayMenu::kCmdOpacityFirst + 2, [&] { return strip_alpha(strip) == 153; }},
        {"Outline colour...", TrayMenu::kCmdOutlineColour,
         [&] { return line.outline_shown && line.outline == 0x000000 && driver.boxes_seen == 1; }},
        {"40 %", TrayMenu::kCmdOpacityFirst + 3, [&] { return strip_alpha(strip) == 102; }},
        {"No outline", TrayMenu::kCmdNoOutline, [&] { return !line.outline_shown; }},
    };
    for (const Step& k : steps) {
        SCOPED_TRACE(k.name);
        EXPECT_EQ(tray.change_setting(k.command), 0);
        EXPECT_TRUE(k.followed());
        run_frames(window, SettingsFile::kSettleMs * 2);
        EXPECT_TRUE(k.followed());
    }
    EXPECT_EQ(file_text(path), "[text]\r\noutline = none\r\nopacity = 40\r\n");
    EXPECT_FALSE(driver.watchdog_fired);

    // Moving has an alpha of its own; the opacity comes back after it.
    window.begin_move(nullptr);
    BYTE moving = 0;
    DWORD flags = 0;
    GetLayeredWindowAttributes(strip, nullptr, &moving, &flags);
    EXPECT_EQ(moving, OverlayWindow::kMovingAlpha);
    EXPECT_EQ(flags, static_cast<DWORD>(LWA_ALPHA));
    window.finish_move(false);
    EXPECT_EQ(strip_alpha(strip), 102);
    EXPECT_EQ(tray.change_setting(TrayMenu::kCmdOpacityFirst), 0);
    EXPECT_EQ(strip_alpha(strip), -1);

    // BRINDLOW_OUTLINE_SHOT names a PNG for the README: the default lines
    // over a light background, without an outline and with a black one.
    if (const char* shot = std::getenv("BRINDLOW_OUTLINE_SHOT")) {
        ASSERT_EQ(window.view.renderer.font.load_from_file(source_path("res/fira-code.png").c_str(), 24, 24, 19), 0);
        window.read_clock = monday_clock;
        std::vector<unsigned char> rgba;
        for (const char* outline : {"none", "#000000"}) {
            save(path, std::string("[text]\r\noutline = ") + outline + "\r\n");
            window.load_settings();
            draw_frame(window);
            add_keyed_over_light(600, 100, &rgba);
        }
        write_png(shot, 600, 200, rgba);
    }
}

TEST_F(SettingsMenu, AMenuItemOnAUnicodeFileKeepsItUnicodeAndTheStripFollows)
{
    const std::string path = dir + "\\brindlow.ini";
    const std::u16string mine =
        u"; M\u00E4rz \u6708 notes\r\n[overlay]\r\n;corner = top-left\r\n[mine]\r\nkeep = \u00E9\r\n";
    save(path, notepad_unicode(mine));
    ASSERT_EQ(file.init(), 0);
    window.init_displays();
    window.load_settings();
    wire_menu();
    const int sw = GetSystemMetrics(SM_CXSCREEN);
    EXPECT_EQ(tray.change_setting(TrayMenu::kCmdCornerFirst + 1), 0);
    EXPECT_TRUE(run_frames(window, 3000, [&] { return where().right == sw && where().top == 0; }));
    EXPECT_EQ(tray.change_setting(TrayMenu::kCmdLineFirst + 2), 0); // Battery off
    EXPECT_TRUE(run_frames(window, 3000, [&] { return where().bottom - where().top == 78; }));
    const std::string expected = notepad_unicode(u"; M\u00E4rz \u6708 notes\r\n[overlay]\r\ncorner = top-right\r\n"
                                                 u"[mine]\r\nkeep = \u00E9\r\n\r\n[lines]\r\nshow = date, time\r\n");
    EXPECT_EQ(file_text(path), expected);
    // Read as the text it is, not as bytes: only the section of one's own is unknown.
    EXPECT_EQ(window.core.settings_problems,
              std::vector<std::string>{"[mine]: unknown section; did you mean [lines]?"});
}

TEST_F(SettingsMenu, AMenuItemOnAFileItCannotWriteBackExactlyIsReportedAndLeavesIt)
{
    const std::string path = dir + "\\brindlow.ini";
    ASSERT_EQ(file.init(), 0);
    window.init_displays();
    tray.settings_file = &file;
    tray.settings = &window.core.model.settings;
    struct Case {
        const char* name;
        std::string bytes;
        const char* reported;
    };
    const Case cases[] = {
        {"half a UTF-16 character", notepad_unicode(u"[overlay]\r\ncorner = top-left\r\n") + "\n",
         "its last byte is half a character"},
        {"UTF-16 without its mark", notepad_unicode(u"[overlay]\r\n").substr(2), "NUL bytes"},
        // Not read whole: the report is the reader's own.
        {"over 64 KB", "[overlay]\r\n" + std::string(70000, ';') + "\r\n", "larger than 64 KB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        save(path, c.bytes);
        window.load_settings();
        tray.nid.szInfo[0] = '\0';
        EXPECT_EQ(tray.change_setting(TrayMenu::kCmdCornerFirst + 3), -1);
        EXPECT_NE(std::string(tray.nid.szInfo).find(c.reported), std::string::npos) << tray.nid.szInfo;
        EXPECT_TRUE(file_text(path) == c.bytes) << "the file is as it was";
        EXPECT_EQ(GetFileAttributesA((path + ".new").c_str()), INVALID_FILE_ATTRIBUTES);
    }
}

TEST_F(SettingsMenu, AMenuWriteRacingAnEditorSavingInPlaceStartsAgain)
{
    const std::string path = dir + "\\brindlow.ini";
    start_with(path, "[overlay]\r\ncorner = top-left\r\n[text]\r\ntext = before\r\n");
    tray.settings_file = &file;
    tray.settings = &window.core.model.settings;
    // The editor saves in place between the read and the rename: the same
    // size once (only the write time tells), then a longer file, then it
    // is left alone.
    const std::string saves[] = {"[overlay]\r\ncorner = top-left\r\n[text]\r\ntext = after!\r\n",
                                 "[overlay]\r\ncorner = top-left\r\n[text]\r\ntext = after, longer\r\n"};
    int calls = 0;
    file.before_replace = [&](const std::string& target) {
        if (calls < 2) {
            Sleep(20); // a later write time on any file system's clock
            save(target, saves[calls]);
        }
        ++calls;
    };
    EXPECT_EQ(tray.change_setting(TrayMenu::kCmdCornerFirst + 1), 0);
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(file_text(path), "[overlay]\r\ncorner = top-right\r\n[text]\r\ntext = after, longer\r\n");

    // An editor that never stops: the file is left to it, and that is said.
    file.before_replace = [&](const std::string& target) {
        Sleep(20);
        save(target, saves[++calls % 2]);
    };
    tray.nid.szInfo[0] = '\0';
    EXPECT_EQ(tray.change_setting(TrayMenu::kCmdCornerFirst + 3), -1);
    EXPECT_NE(std::string(tray.nid.szInfo).find("changed each time"), std::string::npos) << tray.nid.szInfo;
    EXPECT_EQ(file_text(path).find("bottom-right"), std::string::npos);
    file.before_replace = nullptr;
}

namespace {
DWORD names_of(const std::string& path)
{
    HANDLE f = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = f != INVALID_HANDLE_VALUE && GetFileInformationByHandle(f, &info) != FALSE;
    if (f != INVALID_HANDLE_VALUE) {
        CloseHandle(f);
    }
    return known ? info.nNumberOfLinks : 0;
}
}

TEST_F(SettingsMenu, AMenuWriteIntoAFileWithTwoNamesKeepsThemOneFile)
{
    // As Scoop keeps it: the file beside the program is a second name of
    // the one carried across updates.
    const std::string kept = dir + "\\persist";
    ASSERT_TRUE(CreateDirectoryA(kept.c_str(), nullptr));
    const std::string persisted = kept + "\\brindlow.ini";
    const std::string path = dir + "\\brindlow.ini";
    save(persisted, "[overlay]\r\ncorner = top-left\r\n[text]\r\ntext = before\r\n");
    ASSERT_TRUE(CreateHardLinkA(path.c_str(), persisted.c_str(), nullptr));
    ASSERT_EQ(file.init(), 0);
    window.init_displays();
    window.load_settings();
    tray.settings_file = &file;
    tray.settings = &window.core.model.settings;
    // Longer, then shorter than the file was: nothing of the old end stays.
    struct Step {
        const char* name;
        UINT command;
        const char* corner;
    };
    const Step steps[] = {
        {"Top right", TrayMenu::kCmdCornerFirst + 1, "top-right"},
        {"Top left", TrayMenu::kCmdCornerFirst, "top-left"},
    };
    for (const Step& k : steps) {
        SCOPED_TRACE(k.name);
        EXPECT_EQ(tray.change_setting(k.command), 0);
        const std::string expected =
            std::string("[overlay]\r\ncorner = ") + k.corner + "\r\n[text]\r\ntext = before\r\n";
        EXPECT_EQ(file_text(path), expected);
        EXPECT_EQ(file_text(persisted), expected);
        EXPECT_EQ(names_of(path), 2U);
        EXPECT_EQ(GetFileAttributesA((path + ".new").c_str()), INVALID_FILE_ATTRIBUTES);
    }

    // An editor saving through the other name between the read and the
    // write: the change is made again to what it saved.
    int calls = 0;
    file.before_replace = [&](const std::string&) {
        if (calls++ == 0) {
            Sleep(20); // a later write time on any file system's clock
            save(persisted, "[overlay]\r\ncorner = top-left\r\n[text]\r\ntext = after, longer\r\n");
        }
    };
    EXPECT_EQ(tray.change_setting(TrayMenu::kCmdCornerFirst + 3), 0);
    file.before_replace = nullptr;
    EXPECT_EQ(calls, 2);
    const std::string expected = "[overlay]\r\ncorner = bottom-right\r\n[text]\r\ntext = after, longer\r\n";
    EXPECT_EQ(file_text(path), expected);
    EXPECT_EQ(file_text(persisted), expected);
    EXPECT_EQ(names_of(persisted), 2U);
}
