// The entry sequence, in-process: src/Main.cpp built again with its entry
// renamed brindlow_main.
#include "ModalDriver.h"
#include "TestSupport.h"
#include "TrayIcon.h"

#include <thread>

int brindlow_main(int argc, char** argv);
int single_instance_check();
void close_single_instance_check();
extern HANDLE hMutex;

namespace {
// Whether a process other than ours could claim the single-instance mutex now.
bool mutex_is_free()
{
    HANDLE probe = CreateMutexA(nullptr, FALSE, "BrindlowSingleInstance");
    const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
    CloseHandle(probe);
    return !existed;
}
}

TEST(MainEntry, WithoutAnOverlayWindowItTriesAgainThenSaysWhyAndReturns)
{
    // Taking the overlay's class first makes the program's own registration fail.
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = MainWindow::kClassName;
    ASSERT_NE(RegisterClassA(&wc), 0);
    // A usable icon in the working directory: only the window's failure stops it.
    const std::string dir = fresh_temp_dir("entry-no-window");
    write_file(dir + "\\icon.ico", read_whole_file(source_path("icon.ico")));
    ASSERT_TRUE(SetCurrentDirectoryA(dir.c_str()));

    std::string caption, text;
    ModalDriver driver;
    driver.on_box([&](HWND box) {
        const BoxText seen = read_box(box);
        caption = seen.caption;
        text = seen.text;
        press_ok(box);
    });
    char name[] = "Brindlow.exe";
    char* argv[] = {name, nullptr};
    const DWORD start = GetTickCount();
    EXPECT_EQ(brindlow_main(1, argv), 1);

    // At login the screen may not be ready: it tried for a few seconds.
    EXPECT_GE(GetTickCount() - start, 2500u);
    EXPECT_EQ(driver.boxes_seen, 1);
    EXPECT_EQ(caption, "Brindlow");
    EXPECT_EQ(text.rfind("Brindlow cannot start: RegisterClassA failed.\n\n", 0), 0u) << text;
    EXPECT_GT(text.size(), std::string("Brindlow cannot start: RegisterClassA failed.\n\n").size()) << "the reason";
    EXPECT_EQ(FindWindowA(TrayIcon::kClassName, nullptr), nullptr);
    EXPECT_EQ(FindWindowA(MainWindow::kClassName, nullptr), nullptr);
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    EXPECT_TRUE(mutex_is_free());
}

TEST(MainEntry, ASecondCopyIsToldAndReturnsWithoutAWindow)
{
    // Another copy holds the guard.
    HANDLE first = CreateMutexA(nullptr, TRUE, "BrindlowSingleInstance");
    ASSERT_NE(first, nullptr);

    std::string caption, text;
    ModalDriver driver;
    driver.on_box([&](HWND box) {
        const BoxText seen = read_box(box);
        caption = seen.caption;
        text = seen.text;
        press_ok(box);
    });
    char name[] = "Brindlow.exe";
    char* argv[] = {name, nullptr};
    EXPECT_EQ(brindlow_main(1, argv), 0);

    EXPECT_EQ(driver.boxes_seen, 1);
    EXPECT_FALSE(driver.watchdog_fired);
    EXPECT_EQ(caption, "Brindlow Info");
    EXPECT_EQ(text, "Brindlow is already running.");
    EXPECT_EQ(FindWindowA(MainWindow::kClassName, nullptr), nullptr);
    ReleaseMutex(first);
    CloseHandle(first);
}

TEST(MainEntry, GuardIsHeldUntilClosed)
{
    ASSERT_EQ(single_instance_check(), 0);
    ASSERT_NE(hMutex, nullptr);
    // Another process would be refused now; the same thread owns it, so ask
    // from a second thread to see what a second copy sees.
    bool refused = false;
    std::thread([&refused] {
        HANDLE h = CreateMutexA(nullptr, TRUE, "BrindlowSingleInstance");
        refused = GetLastError() == ERROR_ALREADY_EXISTS;
        CloseHandle(h);
    }).join();
    EXPECT_TRUE(refused);
    close_single_instance_check();
    EXPECT_TRUE(mutex_is_free());
}
