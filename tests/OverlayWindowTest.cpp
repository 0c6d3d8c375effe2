// The strip out of the way: while a listed program is in front, and while
// the pointer rests over it; real windows and the real pointer under Wine.
#include "ProgramList.h"
#include "TestSupport.h"
#include "WideText.h"

#include <string>

namespace {
// This test program's own file name, in lower case: a window of this
// process in front is a window of a program hide_when can list.
std::string own_program()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name = path;
    name = name.substr(name.find_last_of('\\') + 1);
    for (char& c : name) {
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    return name;
}

bool visible(const MainWindow& w) { return IsWindowVisible(w.view.strip.hwnd) != FALSE; }

class Hiding : public OverlayTest {
protected:
    void SetUp() override
    {
        OverlayTest::SetUp();
        window.init_displays();
        move_wine_tray_away();
        // The pointer starts far from the strip in the top-left corner.
        SetCursorPos(900, 700);
    }
};

struct ListedCase {
    const char* name;
    std::vector<std::string> list;
    bool hides;
};
}

TEST_F(Hiding, AListedProgramInFrontHidesTheStripAndItsEndShowsItAgain)
{
    const ListedCase cases[] = {
        {"this program listed", {"vlc.exe", own_program()}, true},
        {"other programs listed", {"vlc.exe", "obs64.exe"}, false},
        {"none listed", {}, false},
    };
    for (const ListedCase& k : cases) {
        SCOPED_TRACE(k.name);
        window.core.model.settings.hide_when = k.list;
        HWND player = CreateWindowExA(0, test_window_class(), "player", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 150, 400,
                                      300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(player, nullptr);
        SetForegroundWindow(player);
        // Wine delivers no foreground event: the clock's look each second decides.
        run_frames(window, 1300, [&] { return !visible(window); });
        EXPECT_EQ(!visible(window), k.hides);
        EXPECT_EQ(window.core.hiding[0].program, k.hides);
        DestroyWindow(player);
        EXPECT_TRUE(run_frames(window, 1300, [&] { return visible(window); }));
        EXPECT_FALSE(window.core.hiding[0].program);
    }

    // Hidden from the menu (or its key) while the program hid it already, it
    // stays hidden when the program goes, until the menu shows it again.
    window.core.model.settings.hide_when = {own_program()};
    HWND player = CreateWindowExA(0, test_window_class(), "player", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 150, 400,
                                  300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    SetForegroundWindow(player);
    ASSERT_TRUE(run_frames(window, 1300, [&] { return !visible(window); }));
    SendMessageA(window.view.strip.hwnd, kStripHideMessage, 1, 0);
    DestroyWindow(player);
    run_frames(window, 1300);
    EXPECT_FALSE(visible(window));
    EXPECT_TRUE(window.core.user_hidden);
    SendMessageA(window.view.strip.hwnd, kStripHideMessage, 0, 0);
    EXPECT_TRUE(visible(window));
}

namespace {
struct FirstWindow {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK find_visible_window_of(HWND w, LPARAM param)
{
    auto* look = reinterpret_cast<FirstWindow*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == look->pid && IsWindowVisible(w)) {
        look->found = w;
        return FALSE;
    }
    return TRUE;
}
}

// A program whose file name has a capital beyond ASCII: Brindlow.exe copied
// as blinkä.exe, which, finding the single-instance mutex taken, shows its
// "already running" box and waits there: a window of blinkä.exe in front.
TEST_F(Hiding, AProgramListedWithACapitalBeyondAsciiHidesTheStrip)
{
    const std::string dir = fresh_temp_dir("hide-beyond-ascii");
    const std::wstring exe = widen(dir) + L"\\blink\u00e4.exe";
    ASSERT_TRUE(CopyFileW(widen(BRINDLOW_EXE).c_str(), exe.c_str(), FALSE));
    HANDLE taken = CreateMutexA(nullptr, TRUE, "BrindlowSingleInstance");
    ASSERT_NE(taken, nullptr);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring command = L"\"" + exe + L"\"";
    ASSERT_TRUE(
        CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, widen(dir).c_str(), &si, &pi));
    FirstWindow look{pi.dwProcessId, nullptr};
    for (int i = 0; i < 100 && look.found == nullptr; ++i) {
        Sleep(100);
        EnumWindows(find_visible_window_of, reinterpret_cast<LPARAM>(&look));
    }
    ASSERT_NE(look.found, nullptr) << "blinkä.exe showed no window";

    const ListedCase cases[] = {
        {"its name in capitals", {"BLINK\u00c4.EXE"}, true},
        {"its name as it is", {"blink\u00e4.exe"}, true},
        {"another letter", {"BLINKA.EXE"}, false},
    };
    for (const ListedCase& k : cases) {
        SCOPED_TRACE(k.name);
        std::vector<std::string> list;
        std::string why;
        ASSERT_TRUE(parse_program_list(k.list[0], &list, &why)) << why;
        window.core.model.settings.hide_when = list;
        SetForegroundWindow(look.found);
        run_frames(window, 1300, [&] { return !visible(window); });
        EXPECT_EQ(!visible(window), k.hides);
        window.core.model.settings.hide_when = {};
        run_frames(window, 1300, [&] { return visible(window); });
    }
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 5000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    ReleaseMutex(taken);
    CloseHandle(taken);
}

TEST_F(Hiding, ThePointerOverTheStripHidesItOnlyWhenAskedAndLeavingShowsItWithinAQuarterSecond)
{
    POINT at{};
    SetCursorPos(50, 30);
    ASSERT_TRUE(GetCursorPos(&at));
    ASSERT_EQ(at.x, 50) << "Wine did not move the pointer";

    // Not asked: the pointer over it changes nothing.
    run_frames(window, 1300);
    EXPECT_TRUE(visible(window));

    // Asked, over the strip's see-through part right of its text (600 wide,
    // the text ending near x = 305): nothing the user can see, so it stays.
    window.core.model.settings.hide_on_hover = true;
    SetCursorPos(560, 80);
    run_frames(window, 1300);
    EXPECT_TRUE(visible(window)) << "hidden by the pointer over empty strip";
    RECT r{};
    GetWindowRect(window.view.strip.hwnd, &r);
    ASSERT_GT(r.right, 560) << "the pointer must be over the strip for this to mean anything";
    ASSERT_GT(r.bottom, 80);

    // Over the text.
    SetCursorPos(50, 30);
    EXPECT_TRUE(run_frames(window, 1300, [&] { return !visible(window); })) << "seen at the clock's next wake";
    EXPECT_TRUE(window.events.hover_armed);
    // Still resting over it: still hidden, at the quarter-second looks too.
    run_frames(window, 600);
    EXPECT_FALSE(visible(window));

    SetCursorPos(900, 700);
    const DWORD left = GetTickCount();
    EXPECT_TRUE(run_frames(window, 1000, [&] { return visible(window); }));
    EXPECT_LE(GetTickCount() - left, 400u) << "the pointer's own timer, not the clock's second";
    EXPECT_FALSE(window.events.hover_armed) << "no timer while nothing is hidden by the pointer";
}
