#include "TestSupport.h"

#include "Drift.h"
#include "ZoneRules.h"

#include <GL/gl.h>
#include <stb_image.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <thread>
#include <vector>

namespace {
BOOL CALLBACK collect_window(HWND hwnd, LPARAM out)
{
    reinterpret_cast<std::vector<HWND>*>(out)->push_back(hwnd);
    return TRUE;
}

// Top-level windows, topmost first.
std::vector<HWND> z_order()
{
    std::vector<HWND> windows;
    EnumWindows(collect_window, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

int z_index(HWND hwnd)
{
    const std::vector<HWND> windows = z_order();
    for (std::size_t i = 0; i < windows.size(); ++i) {
        if (windows[i] == hwnd) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// An ordinary window covering the overlay's corner, as any application's.
HWND make_ordinary_window()
{
    return CreateWindowExA(0, test_window_class(), "ordinary", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

void pump_for(DWORD ms)
{
    const DWORD end = GetTickCount() + ms;
    MSG msg;
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&msg);
        }
        Sleep(10);
    }
}

class Overlay : public OverlayTest {};
}

TEST_F(Overlay, IsTheNamedStripInTheTopLeftCorner)
{
    char text[64] = {};
    GetClassNameA(window.view.strip.hwnd, text, sizeof text);
    EXPECT_STREQ(text, "MAINWINDOW_CLASSNAME");
    GetWindowTextA(window.view.strip.hwnd, text, sizeof text);
    EXPECT_STREQ(text, "Brindlow");
    RECT r{};
    GetWindowRect(window.view.strip.hwnd, &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, 600);
    EXPECT_EQ(r.bottom, 100);
    // Borderless: the client area is the whole window.
    GetClientRect(window.view.strip.hwnd, &r);
    EXPECT_EQ(r.right, 600);
    EXPECT_EQ(r.bottom, 100);
    EXPECT_TRUE(IsWindowVisible(window.view.strip.hwnd));
    EXPECT_EQ(FindWindowA("MAINWINDOW_CLASSNAME", nullptr), window.view.strip.hwnd);
}

TEST_F(Overlay, ClicksFallThroughToTheWindowBelow)
{
    HWND below = make_ordinary_window();
    ASSERT_NE(below, nullptr);
    pump_for(100);
    const POINT inside_strip{50, 50};
    EXPECT_EQ(WindowFromPoint(inside_strip), below);
}

TEST_F(Overlay, StaysAboveOrdinaryWindowsRaisedLater)
{
    HWND other = make_ordinary_window();
    ASSERT_NE(other, nullptr);
    SetWindowPos(other, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(other);
    pump_for(100);
    const int overlay_at = z_index(window.view.strip.hwnd);
    const int other_at = z_index(other);
    ASSERT_GE(overlay_at, 0);
    ASSERT_GE(other_at, 0);
    EXPECT_LT(overlay_at, other_at);
    EXPECT_NE(GetWindowLongA(window.view.strip.hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
}

TEST_F(Overlay, HasNoTaskbarButton)
{
    // The taskbar lists visible unowned windows unless they are tool windows
    // (and not marked as app windows).
    const LONG ex = GetWindowLongA(window.view.strip.hwnd, GWL_EXSTYLE);
    EXPECT_NE(ex & WS_EX_TOOLWINDOW, 0);
    EXPECT_EQ(ex & WS_EX_APPWINDOW, 0);
    EXPECT_EQ(GetWindow(window.view.strip.hwnd, GW_OWNER), nullptr);
}

TEST_F(Overlay, FrameIsKeyColourExceptTheLines)
{
    ASSERT_EQ(window.view.renderer.font.load_from_file("Z:\\no\\such\\atlas.png", 24, 24, 19), -1);
    window.init_displays();
    window.refresh();
    draw_frame(window);

    EXPECT_EQ(read_pixel(9, 9), kKey);
    EXPECT_EQ(read_pixel(10, 10), kCyan);
    EXPECT_EQ(read_pixel(9, 10), kKey);
    EXPECT_EQ(read_pixel(10, 9), kKey);
    // Every pixel is the key, the text's cyan or the shadow's black, and
    // everything right of the longest line and above the first is the key.
    const int right_of_lines = 10 + 12 * 40;
    const std::vector<Rgb> frame = read_frame();
    for (int y = 0; y < OverlayWindow::kHeight; ++y) {
        for (int x = 0; x < OverlayWindow::kWidth; ++x) {
            const Rgb c = frame[static_cast<std::size_t>(y) * OverlayWindow::kWidth + x];
            if (y < 10 || x >= right_of_lines || x < 10) {
                ASSERT_EQ(c, kKey) << x << "," << y;
            } else {
                ASSERT_TRUE(c == kKey || c == kCyan || c == kBlack) << x << "," << y;
            }
        }
    }
}

namespace {
// How the quit reaches the loop: each way must end run() only after the frame
// that took it has been completed, then release the window's resources.
enum class Quit { CloseBeforeRun, QuitFromOtherThreadBeforeRun, CloseFromOtherThreadWhileRunning };

class OverlayRun : public OverlayTest, public ::testing::WithParamInterface<Quit> {};
}

TEST_P(OverlayRun, EndsAfterCompletingTheFrameAndReleasesTheWindow)
{
    ASSERT_EQ(window.view.renderer.font.load_from_file(source_path("res/fira-code.png").c_str(), 24, 24, 19), 0);
    const unsigned int texture = window.view.renderer.font.texture;
    ASSERT_TRUE(glIsTexture(texture));
    window.init_displays();

    const DWORD main_thread = GetCurrentThreadId();
    HWND hwnd = window.view.strip.hwnd;
    std::thread poster;
    switch (GetParam()) {
    case Quit::CloseBeforeRun: PostMessageA(hwnd, WM_CLOSE, 0, 0); break;
    case Quit::QuitFromOtherThreadBeforeRun:
        std::thread([main_thread] { PostThreadMessageA(main_thread, WM_QUIT, 0, 0); }).join();
        break;
    case Quit::CloseFromOtherThreadWhileRunning:
        poster = std::thread([hwnd] {
            Sleep(300);
            PostMessageA(hwnd, WM_CLOSE, 0, 0);
        });
        break;
    }
    // Empty before the loop: only a frame's update fills them again.
    window.view.display_for(LineKind::Battery)->text.clear();
    window.view.display_for(LineKind::Date)->text.clear();
    window.view.display_for(LineKind::Time)->text.clear();

    EXPECT_EQ(window.run(), 0);
    if (poster.joinable()) {
        poster.join();
    }

    EXPECT_FALSE(window.running);
    EXPECT_FALSE(window.view.display_for(LineKind::Battery)->text.empty());
    EXPECT_FALSE(window.view.display_for(LineKind::Date)->text.empty());
    EXPECT_FALSE(window.view.display_for(LineKind::Time)->text.empty());
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(glIsTexture(texture));
}

INSTANTIATE_TEST_SUITE_P(Quits, OverlayRun,
                         ::testing::Values(Quit::CloseBeforeRun, Quit::QuitFromOtherThreadBeforeRun,
                                           Quit::CloseFromOtherThreadWhileRunning),
                         [](const ::testing::TestParamInfo<Quit>& param_info) {
                             switch (param_info.param) {
                             case Quit::CloseBeforeRun: return "CloseBeforeRun";
                             case Quit::QuitFromOtherThreadBeforeRun: return "QuitFromOtherThreadBeforeRun";
                             case Quit::CloseFromOtherThreadWhileRunning: return "CloseFromOtherThreadWhileRunning";
                             }
                             return "Unknown";
                         });

namespace {
// What Windows sends the strip when its session ends or the Restart Manager
// asks it to close (an MSI replacing or removing its files), and whether
// Brindlow must then end by itself.
struct EndSession {
    const char* name;
    WPARAM ending;
    LPARAM why;
    bool ends;
};

void PrintTo(const EndSession& e, std::ostream* os) { *os << e.name; }

class OverlayEndSession : public OverlayTest, public ::testing::WithParamInterface<EndSession> {};
}

TEST_P(OverlayEndSession, EndsWhenTheSessionOrTheRestartManagerEndsIt)
{
    // Longer than any pass takes to see the loop's end: a strip still there
    // then did not close, and the watchdog closes it instead.
    constexpr DWORD kEndedWithinMs = 5000;
    window.init_displays();
    HWND hwnd = window.view.strip.hwnd;
    DWORD_PTR may_end = 0;
    bool watchdog = false;
    std::thread sender([&] {
        Sleep(300);
        SendMessageTimeoutA(hwnd, WM_QUERYENDSESSION, 0, GetParam().why, SMTO_NORMAL, 5000, &may_end);
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(hwnd, WM_ENDSESSION, GetParam().ending, GetParam().why, SMTO_NORMAL, 5000, &ignored);
        const DWORD end = GetTickCount() + kEndedWithinMs;
        while (IsWindow(hwnd) && static_cast<LONG>(end - GetTickCount()) > 0) {
            Sleep(50);
        }
        if (IsWindow(hwnd)) {
            watchdog = true;
            PostMessageA(hwnd, WM_CLOSE, 0, 0);
        }
    });
    EXPECT_EQ(window.run(), 0);
    sender.join();
    EXPECT_NE(may_end, 0u) << "it refused to let the session end";
    EXPECT_EQ(watchdog, !GetParam().ends);
    EXPECT_FALSE(IsWindow(hwnd));
}

INSTANTIATE_TEST_SUITE_P(Sessions, OverlayEndSession,
                         ::testing::Values(EndSession{"RestartManagerClosesIt", TRUE, ENDSESSION_CLOSEAPP, true},
                                           EndSession{"LogOff", TRUE, static_cast<LPARAM>(ENDSESSION_LOGOFF), true},
                                           EndSession{"ShutDown", TRUE, 0, true},
                                           EndSession{"EndingCancelled", FALSE, ENDSESSION_CLOSEAPP, false}),
                         [](const ::testing::TestParamInfo<EndSession>& param_info) {
                             return std::string(param_info.param.name);
                         });

TEST(OverlayInit, FailsWhenTheClassCannotBeRegistered)
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "MAINWINDOW_CLASSNAME";
    ASSERT_NE(RegisterClassA(&wc), 0);

    MainWindow window;
    EXPECT_EQ(window.init(), -1);
    EXPECT_EQ(window.view.strip.hwnd, nullptr);
    EXPECT_EQ(window.view.renderer.hglrc, nullptr);
}

namespace {
// What the strip shows, read from the screen.
std::vector<Rgb> shown_frame() { return capture_screen(0, 0, OverlayWindow::kWidth, OverlayWindow::kHeight); }

// A full redraw of the current lines, read back without being shown.
std::vector<Rgb> full_redraw(MainWindow& w)
{
    draw_frame(w);
    return read_frame();
}

class Frames : public OverlayTest {
protected:
    void SetUp() override
    {
        OverlayTest::SetUp();
        ASSERT_EQ(window.view.renderer.font.load_from_file(source_path("res/fira-code.png").c_str(), 24, 24, 19), 0);
        window.init_displays();
        move_wine_tray_away();
    }
};
}

TEST_F(Frames, SwapOnlyWhenALineChanges)
{
    HWND hwnd = window.view.strip.hwnd;
    std::thread closer([hwnd] {
        Sleep(1500);
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
    });
    window.run();
    closer.join();
    // Some ninety passes: the first draws, then one for each second that
    // turned (and perhaps a repaint Windows asked for).
    EXPECT_GE(window.view.renderer.swap_count, 2u);
    EXPECT_LE(window.view.renderer.swap_count, 5u);
}

TEST_F(Frames, TheScreenTurnsWithTheSecondAndMatchesAFullRedraw)
{
    std::vector<Rgb> before = shown_frame();
    std::string time_before = window.view.display_for(LineKind::Time)->text;
    int turns = 0;
    run_frames(window, 2200, [&] {
        const std::vector<Rgb> now = shown_frame();
        if (window.view.display_for(LineKind::Time)->text != time_before) {
            // The frame that saw the second turn is the one that shows it.
            EXPECT_NE(now, before) << window.view.display_for(LineKind::Time)->text;
            ++turns;
        }
        time_before = window.view.display_for(LineKind::Time)->text;
        before = now;
        return false;
    });
    EXPECT_GE(turns, 2);
    EXPECT_EQ(shown_frame(), full_redraw(window));
}

TEST_F(Frames, AfterHideAndShowTheCurrentTimeShowsAtOnce)
{
    run_frames(window, 100);
    ShowWindow(window.view.strip.hwnd, SW_HIDE);
    const unsigned long swaps = window.view.renderer.swap_count;
    run_frames(window, 1100);
    EXPECT_EQ(window.view.renderer.swap_count, swaps) << "a hidden strip needs no frames";
    ShowWindow(window.view.strip.hwnd, SW_SHOWNOACTIVATE);
    run_frames(window, 1);
    EXPECT_GT(window.view.renderer.swap_count, swaps) << "shown again, it draws at once";
    EXPECT_EQ(shown_frame(), full_redraw(window));
}

TEST_F(Frames, ATopmostWindowOverTheStripGoesUnderItWhileTheFocusStaysPut)
{
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    HWND typing = CreateWindowExA(0, test_window_class(), "typing", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 200, 200, 300,
                                  200, nullptr, nullptr, instance, nullptr);
    ASSERT_NE(typing, nullptr);
    SetForegroundWindow(typing);
    SetFocus(typing);
    run_frames(window, 100);
    ASSERT_EQ(GetForegroundWindow(), typing);

    HWND cover = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, test_window_class(), "cover", WS_POPUP, 0, 0, 300,
                                 80, nullptr, nullptr, instance, nullptr);
    ASSERT_NE(cover, nullptr);
    ShowWindow(cover, SW_SHOWNOACTIVATE);
    SetWindowPos(cover, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ASSERT_LT(z_index(cover), z_index(window.view.strip.hwnd));
    const DWORD start = GetTickCount();
    DWORD below_after = 0;
    run_frames(window, 300, [&] {
        if (below_after == 0 && z_index(window.view.strip.hwnd) < z_index(cover)) {
            below_after = GetTickCount() - start + 1;
        }
        EXPECT_NE(GetForegroundWindow(), window.view.strip.hwnd);
        EXPECT_NE(GetActiveWindow(), window.view.strip.hwnd);
        return false;
    });
    EXPECT_GT(below_after, 0u);
    EXPECT_LE(below_after, 100u);
    EXPECT_EQ(GetForegroundWindow(), typing);
    EXPECT_EQ(GetFocus(), typing);

    // Raised again long after it was made: no event that Wine delivers says
    // so, and the clock's once-a-second look puts it under the strip.
    SetWindowPos(cover, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ASSERT_LT(z_index(cover), z_index(window.view.strip.hwnd));
    EXPECT_TRUE(run_frames(window, 1300, [&] { return z_index(window.view.strip.hwnd) < z_index(cover); }));
    EXPECT_EQ(GetForegroundWindow(), typing);
    DestroyWindow(cover);
    DestroyWindow(typing);
}

namespace {
enum class Cover { FullScreenPopup, MaximizedWithCaption };
struct FullscreenCase {
    const char* name;
    bool setting;
    Cover cover;
    bool hides;
};
}

TEST_F(Frames, HidesOverFullScreenProgramsOnlyWhenAskedAndNeverUndoesTheMenusHide)
{
    const FullscreenCase cases[] = {
        {"full-screen, asked", true, Cover::FullScreenPopup, true},
        {"maximized with caption, asked", true, Cover::MaximizedWithCaption, false},
        {"full-screen, by default", false, Cover::FullScreenPopup, false},
    };
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    const char* const cls = test_window_class();
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    for (const FullscreenCase& k : cases) {
        SCOPED_TRACE(k.name);
        window.core.model.settings.hide_over_fullscreen = k.setting;
        HWND big = k.cover == Cover::FullScreenPopup ? CreateWindowExA(0, cls, "game", WS_POPUP | WS_VISIBLE, 0, 0, sw,
                                                                       sh, nullptr, nullptr, instance, nullptr)
                                                     : CreateWindowExA(0, cls, "editor", WS_OVERLAPPEDWINDOW, 50, 50,
                                                                       400, 300, nullptr, nullptr, instance, nullptr);
        ASSERT_NE(big, nullptr);
        if (k.cover == Cover::MaximizedWithCaption) {
            ShowWindow(big, SW_SHOWMAXIMIZED);
        }
        SetForegroundWindow(big);
        run_frames(window, 600);
        EXPECT_EQ(IsWindowVisible(window.view.strip.hwnd) == FALSE, k.hides);
        DestroyWindow(big);
        // Wine reports no window's end: the slow look shows it again.
        run_frames(window, EventSources::kCoverLookMs + 400);
        EXPECT_TRUE(IsWindowVisible(window.view.strip.hwnd));
    }

    // No longer asked for while a full-screen program hides it (the file
    // edited): shown at once, and still when that program ends.
    Settings s = window.core.model.settings;
    s.hide_over_fullscreen = true;
    window.apply_settings(s);
    HWND video =
        CreateWindowExA(0, cls, "video", WS_POPUP | WS_VISIBLE, 0, 0, sw, sh, nullptr, nullptr, instance, nullptr);
    SetForegroundWindow(video);
    run_frames(window, 600);
    EXPECT_FALSE(IsWindowVisible(window.view.strip.hwnd));
    s.hide_over_fullscreen = false;
    window.apply_settings(s);
    run_frames(window, 200);
    EXPECT_TRUE(IsWindowVisible(window.view.strip.hwnd)) << "the setting turned off let go of the strip";
    DestroyWindow(video);
    run_frames(window, EventSources::kCoverLookMs + 400);
    EXPECT_TRUE(IsWindowVisible(window.view.strip.hwnd));

    // Hidden from the menu, it stays hidden when a full-screen program ends.
    ShowWindow(window.view.strip.hwnd, SW_HIDE);
    HWND game =
        CreateWindowExA(0, cls, "game", WS_POPUP | WS_VISIBLE, 0, 0, sw, sh, nullptr, nullptr, instance, nullptr);
    SetForegroundWindow(game);
    run_frames(window, 600);
    DestroyWindow(game);
    run_frames(window, 600);
    EXPECT_FALSE(IsWindowVisible(window.view.strip.hwnd));
    EXPECT_TRUE(window.core.user_hidden);
}

namespace {
// One line, the time in this pattern, without a shadow: pixels that are
// the text's colour or the key and nothing else.
Settings time_alone(const char* pattern)
{
    Settings s = default_settings();
    s.shadow_shown = false;
    s.lines = {LineKind::Time};
    s.time_format = pattern;
    return s;
}

RECT window_rect(HWND hwnd)
{
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

struct Placed {
    const char* name;
    std::function<void(Settings&)> set;
    RECT expected;
    bool reported; // a balloon-worthy problem: the monitor is not there
};

// A 1024 x 768 primary with its taskbar at the bottom and a second monitor to
// its right: Wine on Xvfb shows one monitor only, so these come through the seam.
const std::vector<MonitorArea> kTwoMonitors = {
    {{0, 0, 1024, 768}, {0, 0, 1024, 728}, true, "", "", 0},
    {{1024, 0, 2944, 1080}, {1024, 30, 2944, 1080}, false, "", "", 0},
};
}

TEST_F(Frames, SettingsMoveAndSizeTheRealWindow)
{
    const Placed cases[] = {
        {"top-right, inward offsets",
         [](Settings& s) {
             s.corner = Corner::TopRight;
             s.x = 8;
             s.y = 6;
         },
         {416, 6, 1016, 106},
         false},
        {"bottom-left of the work area",
         [](Settings& s) {
             s.corner = Corner::BottomLeft;
             s.area = Area::Work;
         },
         {0, 628, 600, 728},
         false},
        {"bottom-right, time alone",
         [](Settings& s) {
             s.corner = Corner::BottomRight;
             s.lines = {LineKind::Time};
         },
         {424, 712, 1024, 768},
         false},
        {"second monitor", [](Settings& s) { s.monitor = 2; }, {1024, 0, 1624, 100}, false},
        {"unplugged monitor", [](Settings& s) { s.monitor = 3; }, {0, 0, 600, 100}, true},
    };
    for (const Placed& k : cases) {
        SCOPED_TRACE(k.name);
        Settings s = default_settings();
        k.set(s);
        window.core.model.settings = s;
        window.apply_settings(s);
        window.place_on(kTwoMonitors);
        const RECT r = window_rect(window.view.strip.hwnd);
        EXPECT_EQ(r.left, k.expected.left);
        EXPECT_EQ(r.top, k.expected.top);
        EXPECT_EQ(r.right, k.expected.right);
        EXPECT_EQ(r.bottom, k.expected.bottom);
        EXPECT_EQ(window.view.layout.monitor_missing, k.reported);
    }
    // Back to the built-in settings: where it always was.
    window.apply_settings(default_settings());
    const RECT r = window_rect(window.view.strip.hwnd);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, 600);
    EXPECT_EQ(r.bottom, 100);
}

TEST_F(Overlay, ColoursShadowsLinesAndFormatsFromTheSettingsReachThePixels)
{
    // Without an atlas every character is a solid square: colours are exact.
    ASSERT_EQ(window.view.renderer.font.load_from_file("Z:\\no\\such\\atlas.png", 24, 24, 19), -1);
    window.init_displays();
    Settings s = time_alone("Time %I:%M %p");
    s.colour = 0xFF8000;
    window.apply_settings(s);
    const RECT r = window_rect(window.view.strip.hwnd);
    EXPECT_EQ(r.bottom - r.top, 56);
    draw_frame(window);
    const std::string& t = window.view.display_for(LineKind::Time)->text;
    ASSERT_EQ(t.size(), 13u) << t; // "Time 09:05 PM"
    EXPECT_TRUE(t.substr(11) == "AM" || t.substr(11) == "PM") << t;
    const Rgb orange{255, 128, 0};
    const int h = 56;
    EXPECT_EQ(read_pixel(10, 10, h), orange);
    // No shadow: right of and below the squares is the key colour.
    const int right = 10 + 12 * 12 + 24;
    EXPECT_EQ(read_pixel(right, 20, h), kKey);
    EXPECT_EQ(read_pixel(20, 34, h), kKey);
    EXPECT_EQ(read_pixel(right - 1, 33, h), orange);
}

namespace {
// The coverage a cell of an atlas gives a texel: 0 (none), 2 (full) or 1.
int coverage(const unsigned char* rgba, int atlas_w, int x, int y)
{
    const unsigned char a = rgba[(static_cast<std::size_t>(y) * atlas_w + x) * 4 + 3];
    return a == 0 ? 0 : (a == 255 ? 2 : 1);
}

struct ScaleCase {
    const char* name;
    bool has_48; // res/fira-code-48.png beside the 24-pixel atlas
};
}

TEST_F(Overlay, AtScaleTwoGlyphsComeFromThe48PixelAtlasOrAReportedStretch)
{
    for (const ScaleCase& k : {ScaleCase{"48-pixel atlas", true}, ScaleCase{"48-pixel atlas missing", false}}) {
        SCOPED_TRACE(k.name);
        const std::string dir = fresh_temp_dir(std::string("scale-") + (k.has_48 ? "48" : "24"));
        CreateDirectoryA((dir + "\\res").c_str(), nullptr);
        write_file(dir + "\\res\\fira-code.png", read_whole_file(source_path("res/fira-code.png")));
        if (k.has_48) {
            write_file(dir + "\\res\\fira-code-48.png", read_whole_file(source_path("res/fira-code-48.png")));
        }
        ASSERT_TRUE(SetCurrentDirectoryA(dir.c_str()));
        window.init_displays();
        window.apply_settings(default_settings()); // back to scale 1 and its atlas
        Settings s = time_alone("M");
        s.scale_halves = 4;
        window.apply_settings(s);
        RECT r{};
        GetWindowRect(window.view.strip.hwnd, &r);
        EXPECT_EQ(r.right - r.left, 1200);
        EXPECT_EQ(r.bottom - r.top, 112);
        EXPECT_EQ(window.view.data_problems.empty(), k.has_48);
        if (!k.has_48) {
            ASSERT_EQ(window.view.data_problems.size(), 1u);
            EXPECT_NE(window.view.data_problems[0].find("res/fira-code-48.png is missing"), std::string::npos);
            EXPECT_NE(window.view.data_problems[0].find("stretched"), std::string::npos);
        }
        draw_frame(window);

        // 'M' is cell 45: column 7, row 2. Each screen pixel of the 48-pixel
        // square is the 48-pixel atlas's own texel, or, stretched, the
        // 24-pixel atlas's texel under it.
        const int atlas_cell = k.has_48 ? 48 : 24;
        int w = 0, h = 0;
        unsigned char* atlas =
            decode_atlas_file(source_path(k.has_48 ? "res/fira-code-48.png" : "res/fira-code.png").c_str(), &w, &h);
        ASSERT_NE(atlas, nullptr);
        int full = 0, mismatched = 0;
        for (int y = 0; y < 48; ++y) {
            for (int x = 0; x < 48; ++x) {
                const int tx = 7 * atlas_cell + x * atlas_cell / 48, ty = 2 * atlas_cell + y * atlas_cell / 48;
                const int c = coverage(atlas, w, tx, ty);
                const Rgb p = read_pixel(20 + x, 20 + y, 112);
                if ((c == 2 && p != kCyan) || (c == 0 && p != kKey)) {
                    ++mismatched;
                }
                full += c == 2 ? 1 : 0;
            }
        }
        stbi_image_free(atlas);
        EXPECT_GT(full, 40);
        EXPECT_EQ(mismatched, 0);
    }
}

namespace {
// Milliseconds into the current second of the wall clock.
int ms_into_second() { return read_local_clock().ms; }

// Readings a test hands in instead of Windows'.
ClockReading g_clock;
PowerReading g_power;
ClockReading fake_clock() { return g_clock; }
PowerReading fake_power() { return g_power; }
}

TEST_F(Frames, EachSecondShowsWithinATickOfItsTurnAndTheThreadSleepsBetween)
{
    struct Turn {
        std::string text;
        int late_ms;
    };
    std::vector<Turn> turns;
    std::string last = window.view.display_for(LineKind::Time)->text;
    window.view.on_swap = [&] {
        if (window.view.display_for(LineKind::Time)->text != last) {
            turns.push_back(Turn{window.view.display_for(LineKind::Time)->text, ms_into_second()});
            last = window.view.display_for(LineKind::Time)->text;
        }
    };
    run_frames(window, 100);
    const unsigned long wakes = window.events.wakes;
    run_frames(window, 4100);
    const unsigned long woke = window.events.wakes - wakes;
    window.view.on_swap = nullptr;
    ASSERT_GE(turns.size(), 3u);
    for (std::size_t i = 0; i < turns.size(); ++i) {
        SCOPED_TRACE(turns[i].text);
        // A system timer tick is 10 to 16 ms; the bound leaves room for a
        // loaded machine, far below the second a polling or drifting clock loses.
        EXPECT_LT(turns[i].late_ms, 250);
        if (i > 0) {
            const int s0 = std::atoi(turns[i - 1].text.substr(turns[i - 1].text.size() - 2).c_str());
            const int s1 = std::atoi(turns[i].text.substr(turns[i].text.size() - 2).c_str());
            EXPECT_EQ((s0 + 1) % 60, s1) << "no second skipped";
        }
    }
    // About one wake a second (a polling loop would have made some 250).
    EXPECT_LE(woke, 10u);
}

namespace {
// The console display's state as Windows tells it: 0 off, 1 on, 2 dimmed.
void tell_display(HWND strip, DWORD state)
{
    std::vector<unsigned char> bytes(sizeof(POWERBROADCAST_SETTING) + sizeof(DWORD));
    auto* setting = reinterpret_cast<POWERBROADCAST_SETTING*>(bytes.data());
    setting->PowerSetting = kConsoleDisplayState;
    setting->DataLength = sizeof(DWORD);
    std::memcpy(setting->Data, &state, sizeof state);
    SendMessageA(strip, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(setting));
}

// The time line as a clock with seconds shows it now (or a second ago).
bool shows_now(const std::string& text)
{
    for (int back = 0; back <= 1; ++back) {
        const std::time_t t = std::time(nullptr) - back;
        std::tm local{};
        localtime_s(&local, &t);
        char now[32];
        std::strftime(now, sizeof now, "Time %H:%M:%S", &local);
        if (text == now) {
            return true;
        }
    }
    return false;
}
}

TEST_F(Frames, NothingWakesForTheClockWhileNobodyCanSeeTheStripAndTheTimeIsRightAtOnceAfter)
{
    const HWND strip = window.view.strip.hwnd;
    HWND game = nullptr;
    const struct {
        const char* what;
        std::function<void()> unseen, seen;
    } cases[] = {
        {"the session locked", [strip] { SendMessageA(strip, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 1); },
         [strip] { SendMessageA(strip, WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 1); }},
        {"the display off", [strip] { tell_display(strip, 0); }, [strip] { tell_display(strip, 2); }},
        {"hidden from the menu", [strip] { SendMessageA(strip, kStripHideMessage, 1, 0); },
         [strip] { SendMessageA(strip, kStripHideMessage, 0, 0); }},
        // What the window events tell on Windows (Wine reports only a
        // window's creation): the program came to the front, then ended.
        {"a full-screen program in front",
         [this, strip, &game] {
             Settings s = window.core.model.settings;
             s.hide_over_fullscreen = true;
             window.apply_settings(s);
             game = CreateWindowExA(0, test_window_class(), "game", WS_POPUP | WS_VISIBLE, 0, 0,
                                    GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                    GetModuleHandleA(nullptr), nullptr);
             SetForegroundWindow(game);
             SendMessageA(strip, kStripWindowEventMessage, 0, 0);
         },
         [strip, &game] {
             DestroyWindow(game);
             SendMessageA(strip, kStripWindowEventMessage, 0, 0);
         }},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        run_frames(window, 300);
        ASSERT_TRUE(window.events.clock_armed);
        k.unseen();
        const bool covered = game != nullptr;
        EXPECT_EQ(window.events.cover_armed, covered) << "only a program in front is looked for";
        const unsigned long arms = window.events.clock_arms;
        run_frames(window, 2200);
        EXPECT_FALSE(window.events.clock_armed);
        EXPECT_EQ(window.events.clock_arms, arms) << "a timer armed while nobody could see the strip";
        k.seen();
        EXPECT_FALSE(window.events.cover_armed);
        EXPECT_TRUE(window.events.clock_armed);
        EXPECT_TRUE(shows_now(window.view.display_for(LineKind::Time)->text))
            << window.view.display_for(LineKind::Time)->text;
        EXPECT_TRUE(run_frames(window, 1300, [&] { return window.events.clock_arms >= arms + 2; }))
            << "the clock's wakes again";
    }
}

TEST_F(Frames, WithoutSecondsShownTheThreadSleepsThroughTheMinute)
{
    Settings s = default_settings();
    s.time_format = "Time %H:%M";
    window.apply_settings(s);
    run_frames(window, 300);
    const std::string minute = window.view.display_for(LineKind::Time)->text;
    const unsigned long wakes = window.events.wakes, swaps = window.view.renderer.swap_count;
    run_frames(window, 2500);
    const bool turned = window.view.display_for(LineKind::Time)->text != minute;
    EXPECT_LE(window.events.wakes - wakes, turned ? 2u : 1u);
    EXPECT_LE(window.view.renderer.swap_count - swaps, turned ? 1u : 0u);
}

// The C runtime's local time follows a TZ variable before Windows' zone
// (set where Cygwin or MSYS tools are); the strip's clock must not.
TEST(LocalClock, IsWindowsOwnZoneWhateverTzInTheEnvironmentSays)
{
    TIME_ZONE_INFORMATION tz{};
    const DWORD id = GetTimeZoneInformation(&tz);
    const long east = -(tz.Bias + (id == TIME_ZONE_ID_DAYLIGHT ? tz.DaylightBias : tz.StandardBias));
    // Nine hours or more from Windows' offset, whichever side it lies.
    ASSERT_EQ(_putenv_s("TZ", east > 0 ? "ABC9" : "ABC-9"), 0);
    _tzset();
    bool compared = false;
    for (int attempt = 0; attempt < 3 && !compared; ++attempt) {
        SYSTEMTIME before{};
        GetLocalTime(&before);
        const ClockReading c = read_local_clock();
        SYSTEMTIME after{};
        GetLocalTime(&after);
        if (before.wMinute != after.wMinute) {
            continue; // read across a minute's turn
        }
        compared = true;
        ASSERT_TRUE(c.ok);
        EXPECT_EQ(c.local.tm_year + 1900, after.wYear);
        EXPECT_EQ(c.local.tm_mon + 1, after.wMonth);
        EXPECT_EQ(c.local.tm_mday, after.wDay);
        EXPECT_EQ(c.local.tm_wday, after.wDayOfWeek);
        EXPECT_EQ(c.local.tm_hour, after.wHour);
        EXPECT_EQ(c.local.tm_min, after.wMinute);
        SYSTEMTIME new_year = after;
        new_year.wMonth = 1;
        new_year.wDay = 1;
        FILETIME day{}, first{};
        ASSERT_TRUE(SystemTimeToFileTime(&after, &day) && SystemTimeToFileTime(&new_year, &first));
        const unsigned long long ticks_per_day = 864000000000ULL;
        const auto ticks = [](const FILETIME& f) {
            return (static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime;
        };
        EXPECT_EQ(static_cast<unsigned long long>(c.local.tm_yday), (ticks(day) - ticks(first)) / ticks_per_day);
        // The C runtime does follow it here: the two are told apart.
        const std::time_t now = static_cast<std::time_t>(c.utc_seconds);
        std::tm crt{};
        ASSERT_EQ(localtime_s(&crt, &now), 0);
        EXPECT_NE(crt.tm_hour, c.local.tm_hour) << "TZ did not move the C runtime's clock";
    }
    EXPECT_TRUE(compared);
    _putenv_s("TZ", "");
    _tzset();
}

TEST_F(Frames, ATimeChangeOrAPowerChangeRedrawsAtOnce)
{
    window.read_clock = fake_clock;
    window.read_power = fake_power;
    g_clock = read_local_clock();
    g_clock.local.tm_hour = 3;
    g_clock.local.tm_min = 4;
    g_clock.local.tm_sec = 5;
    g_power = PowerReading{true, 1, 255};
    window.tick();
    ASSERT_EQ(window.view.display_for(LineKind::Time)->text, "Time 03:04:05");

    // The user sets the clock: Windows tells every top-level window.
    g_clock.local.tm_hour = 17;
    unsigned long swaps = window.view.renderer.swap_count;
    DWORD_PTR result = 0;
    SendMessageTimeoutA(HWND_BROADCAST, WM_TIMECHANGE, 0, 0, SMTO_ABORTIFHUNG, 2000, &result);
    EXPECT_EQ(window.view.display_for(LineKind::Time)->text, "Time 17:04:05");
    EXPECT_EQ(window.view.renderer.swap_count, swaps + 1);

    // Unplugged: the battery line changes without waiting for the second.
    g_power = PowerReading{true, 0, 42};
    swaps = window.view.renderer.swap_count;
    SendMessageA(window.view.strip.hwnd, WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, 0);
    EXPECT_EQ(window.view.display_for(LineKind::Battery)->text, "Battery 42% (On Battery)");
    EXPECT_EQ(window.view.renderer.swap_count, swaps + 1);
}

TEST_F(Frames, AStripResizedWithoutSecondsShowsItsNewPictureWithinMoments)
{
    // 600 x 56 at the top right, changing only with the minute: a frame
    // drawn into the old 100-row buffer would show the text 44 rows low.
    Settings s = time_alone("Time %H:%M");
    s.shadow_shown = true;
    s.corner = Corner::TopRight;
    window.apply_settings(s);
    run_frames(window, 600);
    RECT r{};
    GetWindowRect(window.view.strip.hwnd, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    ASSERT_EQ(h, 56);
    const std::vector<Rgb> shown = capture_screen(r.left, r.top, w, h);
    draw_frame(window);
    EXPECT_EQ(shown, read_frame(w, h));
}

TEST_F(Overlay, LinesAreDrawnBatteryDateTimeWhateverTheOrderShown)
{
    // Squares: the lines overlap by two rows, so the order shows in the pixels.
    ASSERT_EQ(window.view.renderer.font.load_from_file("Z:\\no\\such\\atlas.png", 24, 24, 19), -1);
    window.init_displays();
    auto frame_of = [&](std::initializer_list<Display*> order) {
        clear_to(kKey);
        for (Display* d : order) {
            d->draw();
        }
        return read_frame();
    };
    Display* date = window.view.display_for(LineKind::Date);
    Display* time = window.view.display_for(LineKind::Time);
    Display* battery = window.view.display_for(LineKind::Battery);
    const std::vector<Rgb> base = frame_of({battery, date, time});
    const std::vector<Rgb> shown_order = frame_of({date, time, battery});
    std::size_t differ = 0;
    for (std::size_t i = 0; i < base.size(); ++i) {
        differ += base[i] != shown_order[i] ? 1 : 0;
    }
    ASSERT_GT(differ, 0u) << "the orders must be told apart";
    for (const std::vector<LineKind>& lines :
         {std::vector<LineKind>{LineKind::Date, LineKind::Time, LineKind::Battery},
          std::vector<LineKind>{LineKind::Battery, LineKind::Time, LineKind::Date}}) {
        Settings s = default_settings();
        s.lines = lines;
        window.apply_settings(s);
        draw_frame(window);
        const std::vector<Rgb> drawn = read_frame();
        EXPECT_EQ(drawn, frame_of({battery, date, time}));
    }
}

TEST_F(Overlay, ALowBatteryIsDrawnInTheLowColourAndPluggedInItIsNot)
{
    // Squares: the battery line, alone below the user's own line, is one colour.
    ASSERT_EQ(window.view.renderer.font.load_from_file("Z:\\no\\such\\atlas.png", 24, 24, 19), -1);
    window.init_displays();
    window.read_power = fake_power;
    Settings s = default_settings();
    s.lines = {LineKind::Text, LineKind::Battery};
    s.text = "Desk 4";
    s.low_battery = 20;
    s.shadow_shown = false;
    g_power = PowerReading{true, 0, 50, 0, false, -1};
    window.apply_settings(s);
    EXPECT_EQ(window.view.display_for(LineKind::Text)->text, "Desk 4");
    const Rgb red{255, 64, 64};
    const int h = 78;
    struct Step {
        PowerReading power;
        Rgb battery;
    };
    const Step steps[] = {
        {{true, 0, 50, 0, false, -1}, kCyan},
        {{true, 0, 20, 0, false, -1}, red},
        {{true, 1, 20, 8, false, -1}, kCyan},
        {{true, 0, 60, 4, false, -1}, red}, // Windows calls it critical
    };
    for (const Step& k : steps) {
        g_power = k.power;
        SendMessageA(window.view.strip.hwnd, WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, 0);
        draw_frame(window);
        EXPECT_EQ(read_pixel(12, 34, h), k.battery) << window.view.display_for(LineKind::Battery)->text;
        EXPECT_EQ(read_pixel(12, 12, h), kCyan) << "the user's own line keeps the text colour";
    }
}

namespace {
// The clock the drift follows, set by the test: seconds since 1970, UTC.
long long g_drift_now = 0;

ClockReading drift_clock()
{
    ClockReading c;
    c.ok = true;
    c.utc_seconds = g_drift_now;
    c.local = zone_time(c.utc_seconds, ZoneRules{0, 0, 0, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}}).local;
    return c;
}

// The clock `before` seconds ahead of a moment, as Windows would read it.
ClockReading ahead_of(const LocalMoment& m, long long before)
{
    const ZoneRules zone = read_local_zone_rules();
    ClockReading c;
    c.ok = true;
    c.utc_seconds = moment_utc(m, zone) - before;
    c.local = zone_time(c.utc_seconds, zone).local;
    return c;
}
}

TEST_F(Frames, ADriftingStripStepsRoundItsSquareAtTheClocksWakeAndIsMovedFromItsOwnPlace)
{
    window.read_clock = drift_clock;
    g_drift_now = 0;
    Settings s = default_settings();
    s.corner = Corner::BottomRight;
    s.drift = true;
    window.apply_settings(s);
    const RECT place = window_rect(window.view.strip.hwnd);
    ASSERT_EQ(place.right, GetSystemMetrics(SM_CXSCREEN));
    // Inward from the bottom-right corner: left and up.
    struct Step {
        long long seconds;
        int left, up;
    };
    const Step steps[] = {{kDriftStepSeconds - 1, 0, 0},
                          {kDriftStepSeconds, 1, 0},
                          {4 * kDriftStepSeconds, 2, 2},
                          {7 * kDriftStepSeconds, 0, 1}};
    for (const Step& k : steps) {
        SCOPED_TRACE(k.seconds);
        g_drift_now = k.seconds;
        window.tick();
        const RECT r = window_rect(window.view.strip.hwnd);
        EXPECT_EQ(r.left, place.left - k.left);
        EXPECT_EQ(r.top, place.top - k.up);
        EXPECT_EQ(r.right - r.left, place.right - place.left);
    }
    // "Move..." starts from the place itself; Esc puts it back, drifted.
    window.begin_move(nullptr);
    EXPECT_EQ(window_rect(window.view.strip.hwnd).left, place.left);
    EXPECT_EQ(window_rect(window.view.strip.hwnd).top, place.top);
    window.finish_move(false);
    EXPECT_EQ(window_rect(window.view.strip.hwnd).top, place.top - 1);
    // Off again: its place.
    s.drift = false;
    window.apply_settings(s);
    EXPECT_EQ(window_rect(window.view.strip.hwnd).left, place.left);
    EXPECT_EQ(window_rect(window.view.strip.hwnd).top, place.top);
}

TEST_F(Frames, ACountdownLineCountsToItsMomentThenShowsItsDoneTextOrTakesNoRow)
{
    const LocalMoment eve{true, 2026, 12, 24, 18, 0};
    window.read_clock = fake_clock;
    Settings s = default_settings();
    s.lines = {LineKind::Time, LineKind::Countdown};
    s.countdown = eve;
    s.countdown_format = "{minutes} min {seconds} s";
    s.countdown_done = "Merry Christmas";
    g_clock = ahead_of(eve, 65);
    window.apply_settings(s);
    struct Step {
        long long before;
        const char* text;
    };
    const Step steps[] = {{65, "1 min 5 s"}, {1, "0 min 1 s"}, {0, "Merry Christmas"}, {-3600, "Merry Christmas"}};
    for (const Step& k : steps) {
        SCOPED_TRACE(k.text);
        g_clock = ahead_of(eve, k.before);
        window.tick();
        EXPECT_EQ(window.view.display_for(LineKind::Countdown)->text, k.text);
        EXPECT_EQ(window_rect(window.view.strip.hwnd).bottom - window_rect(window.view.strip.hwnd).top, 78);
        draw_frame(window);
        const std::vector<Rgb> frame = read_frame(OverlayWindow::kWidth, 78);
        EXPECT_TRUE(std::find(frame.begin() + 40 * OverlayWindow::kWidth, frame.end(), kCyan) != frame.end())
            << "the second row is drawn";
    }

    // Without a text for afterwards it takes no row once the moment has come.
    s.countdown_done = "";
    g_clock = ahead_of(eve, 1);
    window.apply_settings(s);
    EXPECT_EQ(window.core.model.settings.lines, (std::vector<LineKind>{LineKind::Time, LineKind::Countdown}));
    g_clock = ahead_of(eve, 0);
    window.tick();
    EXPECT_EQ(window.core.model.settings.lines, std::vector<LineKind>{LineKind::Time});
    EXPECT_EQ(window_rect(window.view.strip.hwnd).bottom - window_rect(window.view.strip.hwnd).top, 56);
}
