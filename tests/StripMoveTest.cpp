// Moving the strip: "Move..." makes it grabbable, the pointer drags it and
// Enter keeps or Esc puts back its place, which the strips on the other
// monitors take too; otherwise it lets every click through.
#include "SettingsInUse.h"
#include "TestSupport.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

class StripMove : public SettingsInUse {};

namespace {
void key(HWND hwnd, UINT vk)
{
    PostMessageA(hwnd, WM_KEYDOWN, vk, 1);
    PostMessageA(hwnd, WM_KEYUP, vk, 0xC0000001);
}

bool click_through(HWND strip)
{
    RECT r{};
    GetWindowRect(strip, &r);
    const POINT middle{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    return (GetWindowLongA(strip, GWL_EXSTYLE) & WS_EX_TRANSPARENT) != 0 && WindowFromPoint(middle) != strip;
}
}

TEST_F(StripMove, MoveMakesTheStripGrabbableThenKeepsOrPutsBackItsPlace)
{
    ASSERT_EQ(file.init(), 0);
    save(dir + "\\brindlow.ini", "[overlay]\n;corner = top-left\n");
    window.init_displays();
    window.load_settings();
    HWND strip = window.view.strip.hwnd;
    HWND below = CreateWindowExA(0, test_window_class(), "below", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800, 600,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    SetForegroundWindow(below);
    run_frames(window, 200);
    ASSERT_TRUE(click_through(strip));

    // Made grabbable, then moved 200 right and 300 down.
    PostMessageA(strip, kStripMoveMessage, 0, 0);
    EXPECT_TRUE(run_frames(window, 1000, [&] { return window.view.strip.moving; }));
    EXPECT_EQ(GetWindowLongA(strip, GWL_EXSTYLE) & WS_EX_TRANSPARENT, 0);
    EXPECT_EQ(GetForegroundWindow(), window.view.strip.keys.hwnd) << "moving is the one time it takes the keyboard";
    // BRINDLOW_MOVE_SHOT names a PNG to save the strip into as it is being
    // moved (the README's picture).
    if (const char* shot = std::getenv("BRINDLOW_MOVE_SHOT")) {
        window.view.renderer.font.load_from_file(source_path("res/fira-code.png").c_str(), 24, 24, 19);
        window.view.needs_draw = true;
        run_frames(window, 300);
        save_screen(shot, 0, 0, 600, 100);
    }
    // Dragged with the pointer in DragsWithThePointer... below; here it is
    // placed as the keys place it.
    // One pixel short, then the right arrow key's pixel. Under Wine the
    // window manager may answer a move with the strip's place from before
    // it, a moment later, and Wine takes that answer: the test places the
    // strip, presses the key and looks again, until the place holds.
    RECT r{};
    auto at = [&](int x, int y) {
        GetWindowRect(strip, &r);
        return r.left == x && r.top == y;
    };
    bool moved = false;
    for (int attempt = 0; attempt < 5 && !moved; ++attempt) {
        if (!at(199, 300)) {
            window.view.strip.nudge(199 - r.left, 300 - r.top);
        }
        run_frames(window, 200);
        if (!at(199, 300)) {
            continue;
        }
        key(strip, VK_RIGHT);
        run_frames(window, 200);
        moved = at(200, 300);
    }
    ASSERT_TRUE(moved) << r.left << "," << r.top;
    key(strip, VK_RETURN);
    EXPECT_TRUE(run_frames(window, 1000, [&] { return !window.view.strip.moving; }));
    // Written to the file, applied by the reload: the strip stays there.
    EXPECT_TRUE(run_frames(window, 3000,
                           [&] { return window.core.model.settings.x == 200 && window.core.model.settings.y == 300; }));
    run_frames(window, 300);
    GetWindowRect(strip, &r);
    EXPECT_EQ(r.left, 200);
    EXPECT_EQ(r.top, 300);
    const std::vector<unsigned char> bytes = read_whole_file(dir + "\\brindlow.ini");
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()),
              "[overlay]\ncorner = top-left\nx = 200\ny = 300\nmonitor = primary\n");
    EXPECT_TRUE(click_through(strip));
    EXPECT_NE(GetForegroundWindow(), strip);

    // Moved again, then Esc: back where it was, and the file as it was.
    PostMessageA(strip, kStripMoveMessage, 0, 0);
    EXPECT_TRUE(run_frames(window, 1000, [&] { return window.view.strip.moving; }));
    key(strip, VK_DOWN);
    run_frames(window, 200);
    key(strip, VK_ESCAPE);
    EXPECT_TRUE(run_frames(window, 1000, [&] { return !window.view.strip.moving; }));
    GetWindowRect(strip, &r);
    EXPECT_EQ(r.left, 200);
    EXPECT_EQ(r.top, 300);
    EXPECT_EQ(read_whole_file(dir + "\\brindlow.ini"), bytes);
    EXPECT_TRUE(click_through(strip));
    EXPECT_NE(GetForegroundWindow(), strip);
    // The icon's "Done" keeps the place too.
    PostMessageA(strip, kStripMoveMessage, 0, 0);
    EXPECT_TRUE(run_frames(window, 1000, [&] { return window.view.strip.moving; }));
    PostMessageA(strip, kStripMoveMessage, 1, 0);
    EXPECT_TRUE(run_frames(window, 1000, [&] { return !window.view.strip.moving; }));
    EXPECT_TRUE(click_through(strip));
    DestroyWindow(below);
}

namespace {
// Real input, as from the mouse and the keyboard: through the system's queue
// to the window that has the pointer's capture, or the keyboard.
void send_key(WORD vk)
{
    INPUT in[2]{};
    in[0].type = INPUT_KEYBOARD;
    in[0].ki.wVk = vk;
    in[1] = in[0];
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
}

void send_pointer(POINT at, DWORD buttons)
{
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    INPUT in{};
    in.type = INPUT_MOUSE;
    // Absolute places are in 65536ths of the screen, rounded up so that
    // they map back to the same pixel.
    in.mi.dx = (at.x * 65536 + w - 1) / w;
    in.mi.dy = (at.y * 65536 + h - 1) / h;
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | buttons;
    SendInput(1, &in, sizeof in);
}

// A drag as a hand makes it: the button down, steps a few hundredths of a
// second apart, the button up. Sent from a thread of its own while the
// test's thread serves the strip, as the system's input thread would.
struct Drag {
    POINT from, to;
    int steps;
    std::vector<POINT> seen; // GetCursorPos after each step
};
constexpr DWORD kDragStepMs = 25;
constexpr int kDragSteps = 12;

DWORD WINAPI drag_thread(LPVOID param)
{
    Drag* d = static_cast<Drag*>(param);
    send_pointer(d->from, 0);
    Sleep(kDragStepMs);
    send_pointer(d->from, MOUSEEVENTF_LEFTDOWN);
    for (int i = 1; i <= d->steps; ++i) {
        Sleep(kDragStepMs);
        const POINT p{d->from.x + (d->to.x - d->from.x) * i / d->steps,
                      d->from.y + (d->to.y - d->from.y) * i / d->steps};
        send_pointer(p, 0);
        POINT c{};
        GetCursorPos(&c);
        d->seen.push_back(c);
    }
    Sleep(kDragStepMs);
    send_pointer(d->to, MOUSEEVENTF_LEFTUP);
    return 0;
}

// Drags from `from` by `by` while the strip's loop runs.
void drag(MainWindow& window, POINT from, POINT by)
{
    Drag d{from, POINT{from.x + by.x, from.y + by.y}, kDragSteps, {}};
    HANDLE thread = CreateThread(nullptr, 0, drag_thread, &d, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    run_frames(window, 5000, [&] { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; });
    ASSERT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
    CloseHandle(thread);
    run_frames(window, 200);
    ASSERT_FALSE(d.seen.empty());
    EXPECT_EQ(d.seen.back().x, d.to.x);
    EXPECT_EQ(d.seen.back().y, d.to.y);
}

// How many pixels of two looks of the same size differ.
long differing(const std::vector<Rgb>& a, const std::vector<Rgb>& b)
{
    long n = 0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        n += a[i] != b[i] ? 1 : 0;
    }
    return n;
}

ClockReading g_move_test_clock;
ClockReading move_test_clock() { return g_move_test_clock; }

// A plain grey window, so that what shows through the strip is the same
// wherever it is.
const char* backdrop_class()
{
    static const char* const name = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
        wc.lpszClassName = "MoveTestBackdrop";
        RegisterClassA(&wc);
        return wc.lpszClassName;
    }();
    return name;
}
}

TEST_F(StripMove, DragsWithThePointerThenEnterKeepsTheTextWhereItWasLeftAndEscPutsItBack)
{
    // A clock that stands still, so that the text is the same in every look.
    g_move_test_clock = read_local_clock();
    g_move_test_clock.utc_seconds = 1798731000;
    window.read_clock = move_test_clock;
    const std::string path = dir + "\\brindlow.ini";
    start_with(path, "[overlay]\n;corner = top-left\n");
    HWND strip = window.view.strip.hwnd;
    HWND backdrop = CreateWindowExA(0, backdrop_class(), "backdrop", WS_POPUP | WS_VISIBLE, 0, 0, 1000, 600, nullptr,
                                    nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(backdrop, nullptr);
    SetForegroundWindow(backdrop);
    run_frames(window, 300);
    move_wine_tray_away();
    run_frames(window, 100);
    ASSERT_EQ(where().left, 0);
    // The lines as the user sees them, before they are moved: the rows that
    // the strip covers both where it is dropped below and where it is placed
    // afterwards (12 higher), which hold all its lines.
    const std::vector<Rgb> before = capture_screen(0, 0, 600, 88);
    ASSERT_GT(std::count(before.begin(), before.end(), kCyan), 100);
    const RECT r0 = where();

    // "Move..." as the menu starts it: its hidden window in the foreground,
    // the window the user was in named, or (as when the taskbar had the
    // foreground before the menu) not.
    auto start_move = [&](HWND named) {
        SetForegroundWindow(tray.hwnd);
        PostMessageA(strip, kStripMoveMessage, 0, reinterpret_cast<LPARAM>(named));
        EXPECT_TRUE(run_frames(window, 1000, [&] { return window.view.strip.moving; }));
        // The strip's keys window holds the keyboard for it.
        EXPECT_NE(window.view.strip.keys.hwnd, nullptr);
        EXPECT_EQ(GetForegroundWindow(), window.view.strip.keys.hwnd) << "the keyboard from the first press";
        EXPECT_EQ(GetFocus(), window.view.strip.keys.hwnd);
    };
    start_move(backdrop);
    // 300 right and 350 down in twelve steps, held from inside the strip.
    drag(window, POINT{100, 50}, POINT{300, 350});
    EXPECT_EQ(where().left, r0.left + 300);
    EXPECT_EQ(where().top, r0.top + 350);
    EXPECT_FALSE(window.core.dragging);
    EXPECT_TRUE(window.view.strip.moving) << "the button's release does not end Move";
    send_key(VK_RETURN);
    EXPECT_TRUE(run_frames(window, 1000, [&] { return !window.view.strip.moving; }));

    // Mid-screen just past the middle: the bottom is nearer, but the right
    // corners would right-align the lines. Bottom-left, 12 pixels lower
    // lines made up for by the offset: the strip is 12 higher, its text
    // where the user left it.
    EXPECT_TRUE(run_frames(window, 3000, [&] {
        return window.core.model.settings.corner == Corner::BottomLeft && window.core.model.settings.y == 330;
    }));
    run_frames(window, 300);
    EXPECT_EQ(where().left, 300);
    EXPECT_EQ(where().top, 338);
    const std::vector<unsigned char> bytes = read_whole_file(path);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()),
              "[overlay]\ncorner = bottom-left\nx = 300\ny = 330\nmonitor = primary\n");
    EXPECT_TRUE(click_through(strip));
    EXPECT_EQ(GetForegroundWindow(), backdrop) << "the keyboard goes back to the window the user was in";
    move_wine_tray_away();
    EXPECT_EQ(differing(capture_screen(300, 350, 600, 88), before), 0) << "the text is where it was dropped";

    // The same drag, then Esc once: back, and the file as it was.
    start_move(nullptr);
    drag(window, POINT{400, 400}, POINT{300, 300});
    EXPECT_EQ(where().left, 600);
    EXPECT_EQ(where().top, 638);
    send_key(VK_ESCAPE);
    EXPECT_TRUE(run_frames(window, 1000, [&] { return !window.view.strip.moving; }));
    run_frames(window, 300);
    EXPECT_EQ(where().left, 300);
    EXPECT_EQ(where().top, 338);
    EXPECT_EQ(read_whole_file(path), bytes);
    EXPECT_TRUE(click_through(strip));
    EXPECT_EQ(GetForegroundWindow(), backdrop);

    // A double click keeps the place too.
    start_move(FindWindowA(nullptr, "Wine System Tray"));
    drag(window, POINT{400, 400}, POINT{-200, -150});
    for (int click = 0; click < 2; ++click) {
        send_pointer(POINT{200, 250}, MOUSEEVENTF_LEFTDOWN);
        send_pointer(POINT{200, 250}, MOUSEEVENTF_LEFTUP);
    }
    EXPECT_TRUE(run_frames(window, 1000, [&] { return !window.view.strip.moving; }));
    // Its lines were bottom-aligned, 12 pixels lower in it than at the top:
    // top-left, 12 lower.
    EXPECT_TRUE(run_frames(window, 3000, [&] { return window.core.model.settings.x == 100; }));
    EXPECT_EQ(window.core.model.settings.corner, Corner::TopLeft);
    EXPECT_EQ(window.core.model.settings.y, 200);
    EXPECT_EQ(GetForegroundWindow(), backdrop);

    // Back to the first place by the keys, then the program started again
    // from the file: the same window, the same pixels.
    start_move(backdrop);
    window.view.strip.nudge(200, 150);
    run_frames(window, 200);
    send_key(VK_RETURN);
    EXPECT_TRUE(run_frames(window, 3000, [&] { return window.core.model.settings.corner == Corner::BottomLeft; }));
    EXPECT_EQ(read_whole_file(path), bytes);
    window.destroy();
    MainWindow again;
    again.read_clock = move_test_clock;
    ASSERT_EQ(again.init(), 0);
    again.settings_file = &file;
    again.init_displays();
    again.load_settings();
    run_frames(again, 500);
    move_wine_tray_away();
    RECT r{};
    GetWindowRect(again.view.strip.hwnd, &r);
    EXPECT_EQ(r.left, 300);
    EXPECT_EQ(r.top, 338);
    EXPECT_EQ(differing(capture_screen(300, 350, 600, 88), before), 0);
    again.destroy();
    DestroyWindow(backdrop);
}

TEST_F(StripMove, WithAStripOnEveryMonitorTheOneDraggedGivesThemAllItsPlace)
{
    // Two monitors stacked down the screen, as the seam hands them in.
    const std::vector<MonitorArea> two = {
        {{0, 0, 1024, 384}, {0, 0, 1024, 384}, true, "\\\\.\\DISPLAY1", "Upper", 96},
        {{0, 384, 1024, 768}, {0, 384, 1024, 768}, false, "\\\\.\\DISPLAY2", "Lower", 96},
    };
    window.read_monitors = [&two] { return two; };
    const std::string path = dir + "\\brindlow.ini";
    start_with(path, "[overlay]\nmonitor = all\n");
    run_frames(window, 300);
    ASSERT_EQ(window.strips.others.size(), 1u);
    HWND lower = window.strips.others[0]->strip.hwnd;
    RECT r{};
    GetWindowRect(lower, &r);
    ASSERT_EQ(r.top, 384);

    // Both can be grabbed; the lower one is dragged 200 right and 50 down,
    // and Enter (the keyboard is the main strip's) keeps its place.
    PostMessageA(window.view.strip.hwnd, kStripMoveMessage, 0, 0);
    EXPECT_TRUE(run_frames(window, 1000, [&] { return window.strips.others[0]->strip.moving; }));
    EXPECT_TRUE(window.view.strip.moving);
    drag(window, POINT{100, 434}, POINT{200, 50});
    send_key(VK_RETURN);
    EXPECT_TRUE(run_frames(window, 3000,
                           [&] { return window.core.model.settings.x == 200 && window.core.model.settings.y == 50; }));
    run_frames(window, 300);
    const std::vector<unsigned char> bytes = read_whole_file(path);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()),
              "[overlay]\nmonitor = all\ncorner = top-left\nx = 200\ny = 50\n");
    const std::vector<StripView*> strips = window.strips.all();
    ASSERT_EQ(strips.size(), 2u);
    for (std::size_t i = 0; i < strips.size(); ++i) {
        GetWindowRect(strips[i]->strip.hwnd, &r);
        EXPECT_EQ(r.left, 200) << i;
        EXPECT_EQ(r.top, 50 + 384 * static_cast<int>(i)) << i;
        EXPECT_FALSE(strips[i]->strip.moving);
        EXPECT_TRUE(click_through(strips[i]->strip.hwnd));
    }
}
