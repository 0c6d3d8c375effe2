// A strip on each monitor chosen, over monitors handed in through the seam:
// Wine on Xvfb shows one monitor, so three fake ones are laid out inside it.
#include "TestSupport.h"

#include "MonitorChoice.h"

#include <cstdlib>
#include <functional>
#include <vector>

namespace {
// Three monitors stacked down the 1024 x 768 screen, of different sizes and
// DPIs: the middle one at 144 (text at 1.5).
const std::vector<MonitorArea> kFake = {
    {{0, 0, 700, 220}, {0, 0, 700, 220}, true, "\\\\.\\DISPLAY1", "Office Left", 96},
    {{0, 220, 1024, 440}, {0, 220, 1024, 440}, false, "\\\\.\\DISPLAY2", "Wide Screen", 144},
    {{0, 440, 800, 768}, {0, 440, 800, 728}, false, "\\\\.\\DISPLAY3", "Office Left", 96},
};

// The monitors the seam hands out now: a test changes them as a hand
// plugging monitors would, and may have some wake only at a given tick.
std::vector<MonitorArea> g_monitors;
std::vector<MonitorArea> g_waking;
DWORD g_wakes_at = 0;
std::vector<MonitorArea> fake_monitors()
{
    if (g_wakes_at != 0 && static_cast<LONG>(GetTickCount() - g_wakes_at) >= 0) {
        g_monitors = g_waking;
        g_wakes_at = 0;
    }
    return g_monitors;
}

// Monday 2026-12-07 17:33:00: the same text on every strip, whenever it is drawn.
ClockReading fixed_clock() { return clock_at(1796664780); }

// A clock a test moves on by hand.
long long g_now = 1796664780;
ClockReading hand_clock() { return clock_at(g_now); }

RECT rect_of(HWND hwnd)
{
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

// Each strip's window, as the strips are now.
std::vector<HWND> strip_windows(const MainWindow& w)
{
    std::vector<HWND> out;
    for (StripView* v : w.strips.all()) {
        out.push_back(v->strip.hwnd);
    }
    return out;
}

int text_pixels(const std::vector<Rgb>& pixels, const Rgb& colour)
{
    int n = 0;
    for (const Rgb& p : pixels) {
        n += p == colour ? 1 : 0;
    }
    return n;
}

class Monitors : public OverlayTest {
protected:
    void SetUp() override
    {
        OverlayTest::SetUp();
        // The atlases of every scale are found in res/ of the folder worked in.
        ASSERT_TRUE(SetCurrentDirectoryA(source_path(".").c_str()));
        g_monitors = kFake;
        window.read_monitors = fake_monitors;
        window.read_clock = fixed_clock;
        move_wine_tray_away();
    }

    void apply(const std::function<void(Settings&)>& set)
    {
        Settings s = default_settings();
        s.shadow_shown = false;
        set(s);
        window.init_displays();
        window.core.model.settings = s;
        window.apply_settings(s);
        run_frames(window, 300);
    }
};
}

TEST_F(Monitors, EachChosenMonitorGetsItsStripAtItsPlaceSizeAndScale)
{
    const struct {
        const char* value;
        std::vector<RECT> rects; // each strip's, the main one first
    } cases[] = {
        {"all", {{100, 0, 700, 100}, {124, 220, 1024, 370}, {200, 440, 800, 540}}},
        {"Wide Screen", {{124, 220, 1024, 370}}},
        {"\\\\.\\DISPLAY3", {{200, 440, 800, 540}}},
        {"3", {{200, 440, 800, 540}}},
        {"primary", {{100, 0, 700, 100}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        apply([&](Settings& s) {
            s.corner = Corner::TopRight;
            s.scale_auto = true;
            EXPECT_TRUE(parse_settings(std::string("[overlay]\nmonitor = ") + c.value).problems.empty());
            Settings named = parse_settings(std::string("[overlay]\nmonitor = ") + c.value).settings;
            s.monitor = named.monitor;
            s.monitor_name = named.monitor_name;
            s.all_monitors = named.all_monitors;
        });
        const std::vector<HWND> windows = strip_windows(window);
        ASSERT_EQ(windows.size(), c.rects.size());
        for (std::size_t i = 0; i < windows.size(); ++i) {
            const RECT r = rect_of(windows[i]);
            EXPECT_TRUE(EqualRect(&r, &c.rects[i]))
                << i << ": " << r.left << "," << r.top << " " << r.right << "," << r.bottom;
            EXPECT_TRUE(IsWindowVisible(windows[i]));
        }
    }
    // On all three, the two at 96 DPI show the same pixels, and the one at
    // 144 shows its text larger.
    apply([](Settings& s) {
        s.all_monitors = true;
        s.scale_auto = true;
    });
    if (const char* shot = std::getenv("BRINDLOW_MONITORS_SHOT")) {
        save_screen(shot, 0, 0, 1024, 768);
    }
    const std::vector<Rgb> first = capture_screen(0, 0, 600, 100);
    const std::vector<Rgb> third = capture_screen(0, 440, 600, 100);
    const std::vector<Rgb> second = capture_screen(0, 220, 900, 150);
    const unsigned c = window.core.model.settings.colour;
    const Rgb text{static_cast<int>(c >> 16), static_cast<int>((c >> 8) & 0xFF), static_cast<int>(c & 0xFF)};
    EXPECT_GT(text_pixels(first, text), 300);
    EXPECT_EQ(first, third);
    EXPECT_GT(text_pixels(second, text), text_pixels(first, text) * 3 / 2);
    EXPECT_EQ(window.view.display_for(LineKind::Time)->text,
              window.strips.others[1]->display_for(LineKind::Time)->text);
    // One texture for the strips at the same scale; the other loads its own.
    EXPECT_EQ(window.strips.others[1]->display_for(LineKind::Time)->font, &window.view.renderer.font);
    EXPECT_EQ(window.strips.others[0]->display_for(LineKind::Time)->font, &window.strips.others[0]->renderer.font);
    EXPECT_NE(window.strips.others[0]->renderer.font.texture, 0u);
}

TEST_F(Monitors, StripsFollowMonitorsThatGoAndComeWithinTheSettleTime)
{
    apply([](Settings& s) { s.all_monitors = true; });
    ASSERT_EQ(window.strips.all().size(), 3u);
    HWND main = window.view.strip.hwnd;

    // The middle monitor is unplugged: its strip closes at the change.
    g_monitors = {kFake[0], kFake[2]};
    SendMessageA(main, WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
    run_frames(window, 100);
    ASSERT_EQ(window.strips.all().size(), 2u);
    EXPECT_EQ(rect_of(window.strips.others[0]->strip.hwnd).top, 440);

    // Plugged in again, it wakes 700 ms after the change Windows reported:
    // the look a second later finds it.
    const DWORD start = GetTickCount();
    g_waking = kFake;
    g_wakes_at = start + 700;
    SendMessageA(main, WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
    EXPECT_EQ(window.strips.all().size(), 2u);
    const bool back = run_frames(window, 3000, [&] { return window.strips.all().size() == 3; });
    EXPECT_TRUE(back);
    EXPECT_LT(GetTickCount() - start, 2000u);
    std::vector<LONG> tops;
    for (HWND w : strip_windows(window)) {
        tops.push_back(rect_of(w).top);
        EXPECT_TRUE(IsWindowVisible(w));
    }
    EXPECT_EQ(tops, (std::vector<LONG>{0, 220, 440}));

    // Hide from the menu hides them all, and a strip made while hidden comes hidden.
    SendMessageA(main, kStripHideMessage, 1, 0);
    g_monitors = {kFake[0]};
    SendMessageA(main, WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
    g_monitors = kFake;
    SendMessageA(main, WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
    run_frames(window, 100);
    for (HWND w : strip_windows(window)) {
        EXPECT_FALSE(IsWindowVisible(w));
    }
    SendMessageA(main, kStripHideMessage, 0, 0);
    for (HWND w : strip_windows(window)) {
        EXPECT_TRUE(IsWindowVisible(w));
    }

    // No monitors at all for a moment: the main strip stays, at the origin.
    g_monitors.clear();
    SendMessageA(main, WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
    run_frames(window, 100);
    ASSERT_EQ(window.strips.all().size(), 1u);
    EXPECT_EQ(rect_of(main).left, 0);
    EXPECT_EQ(rect_of(main).top, 0);

    // A work area changed (the taskbar moved) is looked at too.
    g_monitors = kFake;
    SendMessageA(main, WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    run_frames(window, 100);
    EXPECT_EQ(window.strips.all().size(), 3u);
}

TEST_F(Monitors, AFullScreenProgramHidesOnlyTheStripOnItsMonitor)
{
    apply([](Settings& s) {
        s.all_monitors = true;
        s.hide_over_fullscreen = true;
    });
    const Rect& m = kFake[1].monitor;
    HWND game = CreateWindowExA(0, test_window_class(), "game", WS_POPUP | WS_VISIBLE, m.left, m.top, m.right - m.left,
                                m.bottom - m.top, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(game, nullptr);
    SetForegroundWindow(game);
    const std::vector<HWND> windows = strip_windows(window);
    ASSERT_EQ(windows.size(), 3u);
    EXPECT_TRUE(run_frames(window, 1500, [&] { return IsWindowVisible(windows[1]) == FALSE; }));
    EXPECT_TRUE(IsWindowVisible(windows[0]));
    EXPECT_TRUE(IsWindowVisible(windows[2]));
    DestroyWindow(game);
    // Wine reports no window's end: the one-second backstop shows it again.
    EXPECT_TRUE(run_frames(window, 2000, [&] { return IsWindowVisible(windows[1]) != FALSE; }));
}

TEST_F(Monitors, ANameThatIsNotConnectedMeansThePrimaryAndIsReportedOnce)
{
    std::vector<std::string> balloons;
    window.to_icon = [&balloons](const StripCommands& c) {
        if (!c.warning.text.empty()) {
            balloons.push_back(c.warning.text);
        }
    };
    apply([](Settings& s) { s.monitor_name = "Samsung C49"; });
    ASSERT_EQ(window.strips.all().size(), 1u);
    EXPECT_EQ(rect_of(window.view.strip.hwnd).top, 0);
    // Monitors come and go; the same problem is not said again.
    for (int i = 0; i < 3; ++i) {
        g_monitors = i % 2 == 0 ? std::vector<MonitorArea>{kFake[0], kFake[1]} : kFake;
        SendMessageA(window.view.strip.hwnd, WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
        run_frames(window, 100);
    }
    ASSERT_EQ(balloons.size(), 1u);
    EXPECT_NE(balloons[0].find("[overlay] monitor = Samsung C49: no such monitor now; the strip is on the primary one"),
              std::string::npos)
        << balloons[0];
    window.to_icon = nullptr;
}

TEST_F(Monitors, AStripWiderThanItsMonitorIsCutToItRatherThanCoverTheNextOnesAndIsReportedWhenItsTextIs)
{
    std::vector<std::string> balloons;
    window.to_icon = [&balloons](const StripCommands& c) {
        if (!c.warning.text.empty()) {
            balloons.push_back(c.warning.text);
        }
    };
    g_monitors = {{{0, 0, 600, 384}, {0, 0, 600, 384}, true, "\\\\.\\DISPLAY1", "Wide Enough", 96},
                  {{600, 0, 1024, 384}, {600, 0, 1024, 384}, false, "\\\\.\\DISPLAY2", "Narrow", 96}};
    apply([](Settings& s) {
        s.all_monitors = true;
        s.corner = Corner::TopRight;
    });
    const std::vector<HWND> windows = strip_windows(window);
    ASSERT_EQ(windows.size(), 2u);
    const RECT first = rect_of(windows[0]), second = rect_of(windows[1]);
    EXPECT_EQ(first.left, 0);
    EXPECT_EQ(first.right, 600);
    EXPECT_EQ(second.left, 600) << "not over the first monitor's strip";
    EXPECT_EQ(second.right, 1024);
    // Its text (about 311 wide) fits on the narrow monitor: the cut-off
    // part is see-through, and nothing is said.
    for (const std::string& b : balloons) {
        EXPECT_EQ(b.find("larger than"), std::string::npos) << b;
    }
    // A line of 40 characters (503 with its margin) does not fit there.
    apply([](Settings& s) {
        s.all_monitors = true;
        s.corner = Corner::TopRight;
        s.lines = {LineKind::Text};
        s.text = std::string(40, 'W');
    });
    ASSERT_FALSE(balloons.empty());
    EXPECT_NE(balloons.back().find("the text (503 x 35) is larger than the screen of Narrow (2) (424 x 384)"),
              std::string::npos)
        << balloons.back();
    window.to_icon = nullptr;
}

TEST_F(Monitors, EachStripIsDrawnOnlyWhenItsOwnPictureChanged)
{
    apply([](Settings& s) { s.all_monitors = true; });
    window.read_clock = hand_clock;
    const std::vector<StripView*> strips = window.strips.all();
    ASSERT_EQ(strips.size(), 3u);
    StripView* middle = strips[1];
    auto swaps = [&] {
        std::vector<unsigned long> n;
        for (StripView* v : strips) {
            n.push_back(v->renderer.swap_count);
        }
        return n;
    };
    const struct {
        const char* what;
        std::function<void()> act;
        std::vector<unsigned long> drawn; // each strip's swaps
    } cases[] = {
        {"the next second", [&] { ++g_now, window.refresh(); }, {1, 1, 1}},
        {"the same second again", [&] { window.refresh(); }, {0, 0, 0}},
        {"Windows asks one strip to paint", [&] { SendMessageA(middle->strip.hwnd, WM_PAINT, 0, 0); }, {0, 1, 0}},
        {"one strip hidden, the next second",
         [&] { middle->strip.set_visible(false), ++g_now, window.refresh(); },
         {1, 0, 1}},
        {"shown again, with no new second", [&] { middle->strip.set_visible(true); }, {0, 1, 0}},
        {"the same place again",
         [&] { middle->lay_out(window.core.model.settings, middle->layout, middle->layout.window); },
         {0, 0, 0}},
        {"moved down a pixel",
         [&] {
             Rect r = middle->layout.window;
             ++r.top, ++r.bottom;
             middle->lay_out(window.core.model.settings, middle->layout, r);
         },
         {0, 1, 0}},
        {"another colour for the text",
         [&] {
             for (StripView* v : strips) {
                 v->display_for(LineKind::Time)->colour ^= 0x010101;
             }
         },
         {1, 1, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // The core's own look at the strips would show the hidden one again.
        const std::vector<unsigned long> before = swaps();
        c.act();
        window.present();
        const std::vector<unsigned long> after = swaps();
        for (std::size_t i = 0; i < strips.size(); ++i) {
            EXPECT_EQ(after[i] - before[i], c.drawn[i]) << "strip " << i;
        }
    }
}

TEST_F(Monitors, AGlyphTheAtlasLacksIsRenderedOnceForEveryStripAtItsScale)
{
    apply([](Settings& s) {
        s.all_monitors = true;
        s.lines = {LineKind::Text};
        s.text = "M\xC3\xA4rz \xCE\x91\xCE\xB8\xCE\xAE\xCE\xBD\xCE\xB1";
    });
    ASSERT_EQ(window.strips.all().size(), 3u);
    const unsigned long rendered = window.view.renderer.glyphs.rendered;
    EXPECT_GE(rendered, 6u) << "\xC3\xA4 and five Greek letters";
    for (const auto& other : window.strips.others) {
        EXPECT_EQ(other->display_for(LineKind::Text)->font, &window.view.renderer.font);
        EXPECT_EQ(other->renderer.glyphs.rendered, 0u);
    }
    window.strips.redraw();
    window.present();
    EXPECT_EQ(window.view.renderer.glyphs.rendered, rendered) << "drawn again from the cache";
}

TEST_F(Monitors, EveryStripsWindowHasColourBuffersAloneNoDepthOrStencilToKeep)
{
    apply([](Settings& s) { s.all_monitors = true; });
    ASSERT_EQ(window.strips.all().size(), 3u);
    for (StripView* v : window.strips.all()) {
        PIXELFORMATDESCRIPTOR pfd{};
        ASSERT_NE(DescribePixelFormat(v->renderer.hdc, GetPixelFormat(v->renderer.hdc), sizeof pfd, &pfd), 0);
        EXPECT_GE(pfd.cColorBits, 24);
        EXPECT_NE(pfd.dwFlags & PFD_DOUBLEBUFFER, 0u);
        EXPECT_EQ(pfd.cDepthBits, 0);
        EXPECT_EQ(pfd.cStencilBits, 0);
    }
}
