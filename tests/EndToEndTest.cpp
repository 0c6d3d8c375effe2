// Brindlow.exe as a user meets it: separate processes started from working
// directories the tests prepare, driven through their windows and menu.
#include "FirstStart.h"
#include "StartupShortcut.h"
#include "TestSupport.h"
#include "TrayIcon.h"
#include "WideText.h"

#include <psapi.h>
#include <stdio.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {
int env_int(const char* name, int fallback);
constexpr DWORD kStartMs = 20000;
constexpr DWORD kExitMs = 20000;

// A running copy of the program; whatever a test leaves running is ended.
class Program {
public:
    PROCESS_INFORMATION pi{};

    // `link`: the shortcut it is started through, as the shell tells a
    // program it starts from one (at login, the Startup folder's).
    bool start(const std::string& workdir, const std::string& exe = BRINDLOW_EXE, const std::string& link = "")
    {
        std::string cmd = "\"" + exe + "\"";
        std::string title = link;
        STARTUPINFOA si{};
        si.cb = sizeof si;
        if (!link.empty()) {
            si.dwFlags |= STARTF_TITLEISLINKNAME;
            si.lpTitle = &title[0];
        }
        return CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, workdir.c_str(), &si, &pi) !=
               FALSE;
    }
    // The same with wide paths, which need no code page.
    bool start_wide(const std::wstring& workdir, const std::wstring& exe)
    {
        std::wstring cmd = L"\"" + exe + L"\"";
        STARTUPINFOW si{};
        si.cb = sizeof si;
        return CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, workdir.c_str(), &si, &pi) !=
               FALSE;
    }
    bool running() const { return WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT; }
    // The exit code, or -1 if it does not end in time.
    long wait_exit(DWORD ms) const
    {
        if (WaitForSingleObject(pi.hProcess, ms) != WAIT_OBJECT_0) {
            return -1;
        }
        DWORD code = 0;
        GetExitCodeProcess(pi.hProcess, &code);
        return static_cast<long>(code);
    }
    ~Program()
    {
        if (pi.hProcess != nullptr) {
            if (running()) {
                TerminateProcess(pi.hProcess, 1);
                WaitForSingleObject(pi.hProcess, 5000);
            }
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
        }
    }
};

struct WindowSearch {
    DWORD pid;
    const char* class_name;
    const char* title;
    bool visible_only;
    std::vector<HWND> found;
};

BOOL CALLBACK collect(HWND hwnd, LPARAM param)
{
    WindowSearch* s = reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != s->pid) {
        return TRUE;
    }
    char text[128] = {};
    if (s->class_name != nullptr) {
        GetClassNameA(hwnd, text, sizeof text);
        if (lstrcmpA(text, s->class_name) != 0) {
            return TRUE;
        }
    }
    if (s->title != nullptr) {
        GetWindowTextA(hwnd, text, sizeof text);
        if (lstrcmpA(text, s->title) != 0) {
            return TRUE;
        }
    }
    if (!s->visible_only || IsWindowVisible(hwnd)) {
        s->found.push_back(hwnd);
    }
    return TRUE;
}

std::vector<HWND> windows_of(const Program& p, const char* class_name, const char* title = nullptr,
                             bool visible_only = false)
{
    WindowSearch s{p.pi.dwProcessId, class_name, title, visible_only, {}};
    EnumWindows(collect, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND wait_for_window(const Program& p, const char* class_name, const char* title, DWORD ms)
{
    const DWORD end = GetTickCount() + ms;
    while (static_cast<LONG>(end - GetTickCount()) > 0 && p.running()) {
        const std::vector<HWND> w = windows_of(p, class_name, title, true);
        if (!w.empty()) {
            return w.front();
        }
        Sleep(50);
    }
    return nullptr;
}

// The icon's hidden window; it comes a moment after the overlay's.
HWND tray_window(const Program& p)
{
    const DWORD end = GetTickCount() + 5000;
    while (p.running()) {
        const std::vector<HWND> w = windows_of(p, TrayIcon::kClassName);
        if (!w.empty() || static_cast<LONG>(GetTickCount() - end) > 0) {
            return w.empty() ? nullptr : w.front();
        }
        Sleep(20);
    }
    return nullptr;
}

bool icon_registered(HWND tray)
{
    NOTIFYICONDATAA nid{};
    nid.cbSize = sizeof nid;
    nid.hWnd = tray;
    nid.uID = TrayIcon::kIconId;
    nid.uFlags = NIF_TIP;
    lstrcpynA(nid.szTip, TrayIcon::kTooltip, sizeof nid.szTip);
    return Shell_NotifyIconA(NIM_MODIFY, &nid) != FALSE;
}

void post_key(HWND hwnd, UINT vk)
{
    PostMessageA(hwnd, WM_KEYDOWN, vk, 1);
    PostMessageA(hwnd, WM_KEYUP, vk, 0xC0000001);
}

// Items by the number of presses of the down key that reach them.
constexpr int kHide = 14;
constexpr int kClose = 15;

// Opens the program's menu as a left click on its icon does, then presses
// these keys in it; waits until the menu has closed. False if the menu
// never opened.
bool use_menu_keys(const Program& p, const std::vector<UINT>& keys)
{
    HWND tray = tray_window(p);
    if (tray == nullptr) {
        return false;
    }
    PostMessageA(tray, TrayIcon::kCallbackMessage, TrayIcon::kIconId, WM_LBUTTONUP);
    HWND menu = wait_for_window(p, "#32768", nullptr, 5000);
    if (menu == nullptr) {
        return false;
    }
    for (UINT vk : keys) {
        post_key(menu, vk);
    }
    const DWORD end = GetTickCount() + 5000;
    while (IsWindow(menu) && IsWindowVisible(menu) && static_cast<LONG>(end - GetTickCount()) > 0) {
        Sleep(20);
    }
    return true;
}

// Picks the n-th item (1-based, separators skipped) or, with 0, dismisses
// the menu.
bool use_menu(const Program& p, int item)
{
    std::vector<UINT> keys(static_cast<std::size_t>(item), VK_DOWN);
    keys.push_back(item == 0 ? VK_ESCAPE : VK_RETURN);
    return use_menu_keys(p, keys);
}

// The screen's top-left 600 x 100 pixels, as the user sees them.
std::vector<Rgb> capture_strip() { return capture_screen(0, 0, OverlayWindow::kWidth, OverlayWindow::kHeight); }

Rgb at(const std::vector<Rgb>& strip, int x, int y)
{
    return strip[static_cast<std::size_t>(y) * OverlayWindow::kWidth + x];
}

int cyan_like(const std::vector<Rgb>& strip)
{
    int n = 0;
    for (const Rgb& c : strip) {
        n += (c.r < 80 && c.g > 150 && c.b > 150) ? 1 : 0;
    }
    return n;
}

enum Data { kAtlas = 1, kIcon = 2 };

std::string workdir(const std::string& name, int data)
{
    const std::string dir = fresh_temp_dir("e2e-" + name);
    if (data & kAtlas) {
        CreateDirectoryA((dir + "\\res").c_str(), nullptr);
        write_file(dir + "\\res\\fira-code.png", read_whole_file(source_path("res/fira-code.png")));
    }
    if (data & kIcon) {
        write_file(dir + "\\icon.ico", read_whole_file(source_path("icon.ico")));
    }
    return dir;
}

}

namespace {
BOOL CALLBACK find_balloon(HWND hwnd, LPARAM found)
{
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    if (IsWindowVisible(hwnd) && lstrcmpA(name, "tooltips_class32") == 0) {
        *reinterpret_cast<bool*>(found) = true;
    }
    return TRUE;
}

// Whether `holds` comes true within the time given, asked every 50 ms.
bool within(DWORD ms, const std::function<bool()>& holds)
{
    const DWORD end = GetTickCount() + ms;
    while (!holds()) {
        if (static_cast<LONG>(end - GetTickCount()) <= 0) {
            return false;
        }
        Sleep(50);
    }
    return true;
}

// Whether the shell shows a balloon (under Wine: a visible tooltip window of
// explorer.exe beside its tray window) within the time given.
bool balloon_shown_within(DWORD ms)
{
    return within(ms, [] {
        bool found = false;
        EnumWindows(find_balloon, reinterpret_cast<LPARAM>(&found));
        return found;
    });
}
}

TEST(EndToEnd, StartsShowsTheOverlayAndClosesFromTheMenu)
{
    Program p;
    ASSERT_TRUE(p.start(workdir("normal", kAtlas | kIcon)));
    HWND overlay = wait_for_window(p, MainWindow::kClassName, "Brindlow", kStartMs);
    ASSERT_NE(overlay, nullptr);
    HWND tray = tray_window(p);
    ASSERT_NE(tray, nullptr);
    // The icon is added a moment after its window is made.
    EXPECT_TRUE(within(kStartMs, [tray] { return icon_registered(tray); }));

    ASSERT_TRUE(use_menu(p, kClose));
    EXPECT_EQ(p.wait_exit(kExitMs), 0);
    EXPECT_FALSE(icon_registered(tray));
}

TEST(EndToEnd, ASecondCopyIsRefusedAndTheFirstRunsOn)
{
    const std::string dir = workdir("second", kAtlas | kIcon);
    Program first;
    ASSERT_TRUE(first.start(dir));
    ASSERT_NE(wait_for_window(first, MainWindow::kClassName, nullptr, kStartMs), nullptr);

    Program second;
    ASSERT_TRUE(second.start(dir));
    HWND box = wait_for_window(second, "#32770", "Brindlow Info", kStartMs);
    ASSERT_NE(box, nullptr);
    char text[128] = {};
    SendMessageA(GetDlgItem(box, 0xFFFF), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "Brindlow is already running.");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(second.wait_exit(kExitMs), 0);
    EXPECT_TRUE(windows_of(second, MainWindow::kClassName).empty());

    // Started again at login (through a Startup folder's shortcut, as when
    // both every user's and the user's own start it), it ends without a word.
    Program at_login;
    ASSERT_TRUE(at_login.start(dir, BRINDLOW_EXE, StartupShortcut::path()));
    EXPECT_EQ(at_login.wait_exit(kExitMs), 0) << "it waits on a box";

    // The first copy is untouched and still drawing: the clock moves.
    ASSERT_TRUE(first.running());
    const std::vector<Rgb> before = capture_strip();
    Sleep(1500);
    const std::vector<Rgb> after = capture_strip();
    EXPECT_GT(cyan_like(after), 200);
    EXPECT_NE(before, after);

    ASSERT_TRUE(use_menu(first, kClose));
    EXPECT_EQ(first.wait_exit(kExitMs), 0);

    // Once it has gone, a new copy starts normally.
    Program third;
    ASSERT_TRUE(third.start(dir));
    EXPECT_NE(wait_for_window(third, MainWindow::kClassName, nullptr, kStartMs), nullptr);
    EXPECT_TRUE(windows_of(third, "#32770", nullptr, true).empty());
    ASSERT_TRUE(use_menu(third, kClose));
    EXPECT_EQ(third.wait_exit(kExitMs), 0);
}

TEST(EndToEnd, WithoutItsIconItSaysWhereItLookedAndFails)
{
    // No icon.ico in the working directory, and none beside the program.
    Program p;
    const std::string dir = workdir("no-icon", kAtlas);
    ASSERT_TRUE(p.start(dir));
    HWND box = wait_for_window(p, "#32770", "Brindlow", kStartMs);
    ASSERT_NE(box, nullptr);
    char text[512] = {};
    SendMessageA(GetDlgItem(box, 0xFFFF), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    const std::string said = text;
    EXPECT_NE(said.find("icon.ico"), std::string::npos) << said;
    EXPECT_NE(said.find(dir), std::string::npos) << said;
    EXPECT_TRUE(windows_of(p, MainWindow::kClassName).empty()) << "no strip stands behind the box";
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(p.wait_exit(kExitMs), 1);
}

// Started as its copy, through a hard link or through a symbolic link in a
// folder of its own (winget's Links folder), from yet another working
// directory: it finds the data beside its real file.
TEST(EndToEnd, StartedFromElsewhereItFindsTheDataBesideItself)
{
    enum How { kCopy, kHardLink, kSymbolicLink };
    for (How how : {kCopy, kHardLink, kSymbolicLink}) {
        SCOPED_TRACE(how);
        // The links' folder first, and one for each kind: Wine's DeleteFile
        // leaves a Unix symbolic link in place, which `ln -sf` replaces.
        const std::string links = fresh_temp_dir(how == kHardLink ? "e2e-hard-link" : "e2e-symbolic-link");
        const std::string home = workdir("beside", kAtlas | kIcon);
        const std::string exe = home + "\\Brindlow.exe";
        ASSERT_TRUE(CopyFileA(BRINDLOW_EXE, exe.c_str(), FALSE));
        std::string started = exe;
        if (how != kCopy) {
            started = links + "\\Brindlow.exe";
            bool made = false;
            if (how == kHardLink) {
                made = CreateHardLinkA(started.c_str(), exe.c_str(), nullptr) != 0;
            } else if (running_under_wine()) {
                // CreateProcess cannot start what Wine 8's CreateSymbolicLink
                // makes; a Unix symbolic link it follows as Windows does its own.
                made = run_unix_shell("ln -sf '" + unix_path(exe) + "' '" + unix_path(started) + "'") == 0;
            } else {
                made = CreateSymbolicLinkA(started.c_str(), exe.c_str(),
                                           SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) != 0;
            }
            ASSERT_TRUE(made) << GetLastError();
        }
        Program p;
        ASSERT_TRUE(p.start(workdir("elsewhere", 0), started));
        if (how == kHardLink && running_under_wine()) {
            // Wine cannot list a file's names (its FindFirstFileNameW is a
            // stub that ends the process): started there through a hard
            // link, it says where it looked for its icon, as without one.
            HWND box = wait_for_window(p, "#32770", "Brindlow", kStartMs);
            ASSERT_NE(box, nullptr);
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            EXPECT_EQ(p.wait_exit(kExitMs), 1);
            continue;
        }
        ASSERT_NE(wait_for_window(p, MainWindow::kClassName, nullptr, kStartMs), nullptr);
        // Nothing to report when everything was found.
        EXPECT_FALSE(balloon_shown_within(1500));
        move_wine_tray_away();
        // Glyphs from the atlas, not solid squares: the date's first square
        // is not solid cyan at its corner.
        const std::vector<Rgb> strip = capture_strip();
        EXPECT_GT(cyan_like(strip), 200);
        EXPECT_NE(at(strip, 10, 10), kCyan);
        ASSERT_TRUE(use_menu(p, kClose));
        EXPECT_EQ(p.wait_exit(kExitMs), 0);
    }
}

TEST(EndToEnd, ASecondStartBringsAHiddenStripBack)
{
    const std::string dir = workdir("unhide", kAtlas | kIcon);
    Program first;
    ASSERT_TRUE(first.start(dir));
    HWND overlay = wait_for_window(first, MainWindow::kClassName, nullptr, kStartMs);
    ASSERT_NE(overlay, nullptr);
    ASSERT_TRUE(use_menu(first, kHide));
    // The command runs a moment after the menu's window has gone.
    ASSERT_TRUE(within(2000, [&] { return !IsWindowVisible(overlay); }));

    Program second;
    ASSERT_TRUE(second.start(dir));
    HWND box = wait_for_window(second, "#32770", "Brindlow Info", kStartMs);
    ASSERT_NE(box, nullptr);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(second.wait_exit(kExitMs), 0);
    EXPECT_TRUE(within(2000, [&] { return IsWindowVisible(overlay) != FALSE; }));
    // The menu's state followed: Hide hides it again rather than showing it.
    ASSERT_TRUE(use_menu(first, kHide));
    EXPECT_TRUE(within(2000, [&] { return !IsWindowVisible(overlay); }));
    ASSERT_TRUE(use_menu(first, kClose));
    EXPECT_EQ(first.wait_exit(kExitMs), 0);
}

TEST(EndToEnd, WithoutTheAtlasItDrawsSquaresAndSaysWhy)
{
    Program p;
    ASSERT_TRUE(p.start(workdir("no-atlas", kIcon)));
    ASSERT_NE(wait_for_window(p, MainWindow::kClassName, nullptr, kStartMs), nullptr);
    EXPECT_TRUE(balloon_shown_within(3000));
    move_wine_tray_away();
    Sleep(1000);
    const std::vector<Rgb> strip = capture_strip();
    // "Date YYYY-MM-DD" is 15 squares: one cyan band 10 to 201, its shadow
    // in column 202; rows 10 to 31 belong to the date line alone.
    EXPECT_EQ(at(strip, 10, 10), kCyan);
    EXPECT_EQ(at(strip, 201, 31), kCyan);
    EXPECT_EQ(at(strip, 202, 15), kBlack);
    EXPECT_NE(at(strip, 203, 15), kCyan);
    EXPECT_NE(at(strip, 203, 15), kBlack);
    ASSERT_TRUE(use_menu(p, kClose));
    EXPECT_EQ(p.wait_exit(kExitMs), 0);
}

// A DLL that is not one of Windows' KnownDLLs is looked for beside the program
// before the system folder. Wine prefers its builtin copy unless told, for
// this program, to take the one beside it first, as Windows always does: the
// override makes this a test of the program's own defence. (An override set
// with SetEnvironmentVariableA before CreateProcessA reaches the child for
// glu32 but not for opengl32; Wine's per-program key in the registry reaches
// it for both.)
TEST(EndToEnd, APlantedOpenGlDllBesideItIsNeverLoaded)
{
    constexpr const char* kOverrides = "Software\\Wine\\AppDefaults\\Brindlow.exe\\DllOverrides";
    for (const char* dll : {"opengl32", "glu32"}) {
        SCOPED_TRACE(dll);
        const std::string dir = workdir(std::string("planted-") + dll, kAtlas | kIcon);
        const std::string exe = dir + "\\Brindlow.exe";
        const std::string planted = dir + "\\" + dll + ".dll";
        ASSERT_TRUE(CopyFileA(BRINDLOW_EXE, exe.c_str(), FALSE));
        ASSERT_TRUE(CopyFileA(BRINDLOW_PLANTED_DLL, planted.c_str(), FALSE));
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kOverrides, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        const char order[] = "native,builtin";
        RegSetValueExA(key, dll, 0, REG_SZ, reinterpret_cast<const BYTE*>(order), sizeof order);

        Program p;
        const bool started = p.start(dir, exe);
        const HWND overlay = started ? wait_for_window(p, MainWindow::kClassName, nullptr, kStartMs) : nullptr;
        Sleep(1000);
        RegDeleteValueA(key, dll);
        RegCloseKey(key);
        ASSERT_TRUE(started);
        EXPECT_EQ(GetFileAttributesA((planted + ".loaded").c_str()), INVALID_FILE_ATTRIBUTES)
            << "the planted " << dll << ".dll ran inside Brindlow";
        // Started with a stand-in that has none of the functions, it cannot draw.
        EXPECT_NE(overlay, nullptr);
        if (overlay != nullptr) {
            EXPECT_GT(cyan_like(capture_strip()), 200);
            ASSERT_TRUE(use_menu(p, kClose));
            EXPECT_EQ(p.wait_exit(kExitMs), 0);
        }
    }
}

// Needs a Wine prefix whose DPI is set (Wine reads LogPixels from the
// registry); scripts/test makes one at 144 and runs this there with
// BRINDLOW_TEST_DPI=144. Elsewhere it skips itself.
TEST(EndToEnd, AutoScaleFollowsTheMonitorsDpi)
{
    const int dpi = env_int("BRINDLOW_TEST_DPI", 0);
    if (dpi == 0) {
        GTEST_SKIP() << "needs a prefix with its DPI set (scripts/test runs it so)";
    }
    // Aware itself, so that the strip's rectangle comes in real pixels.
    SetProcessDPIAware();
    const std::string dir = workdir("auto-scale", kAtlas | kIcon);
    write_file(dir + "\\res\\fira-code-36.png", read_whole_file(source_path("res/fira-code-36.png")));
    const std::string ini = "[text]\nscale = auto\n";
    write_file(dir + "\\brindlow.ini", std::vector<unsigned char>(ini.begin(), ini.end()));
    Program p;
    ASSERT_TRUE(p.start(dir));
    HWND overlay = wait_for_window(p, MainWindow::kClassName, nullptr, kStartMs);
    ASSERT_NE(overlay, nullptr);
    // 144 DPI is scale 1.5: the 600 x 100 strip becomes 900 x 150.
    const int expected_w = 600 * scale_halves_for_dpi(dpi) / 2, expected_h = 100 * scale_halves_for_dpi(dpi) / 2;
    RECT r{};
    const DWORD end = GetTickCount() + 5000;
    do {
        Sleep(100);
        GetWindowRect(overlay, &r);
    } while ((r.right - r.left != expected_w) && static_cast<LONG>(end - GetTickCount()) > 0);
    EXPECT_EQ(r.right - r.left, expected_w);
    EXPECT_EQ(r.bottom - r.top, expected_h);
    ASSERT_TRUE(use_menu(p, kClose));
    EXPECT_EQ(p.wait_exit(kExitMs), 0);
}

TEST(EndToEnd, ExecutableIsAWindowedProgram)
{
    const std::vector<unsigned char> exe = read_whole_file(BRINDLOW_EXE);
    ASSERT_GT(exe.size(), 1024u);
    const IMAGE_DOS_HEADER* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(exe.data());
    ASSERT_EQ(dos->e_magic, IMAGE_DOS_SIGNATURE);
    const IMAGE_NT_HEADERS64* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(exe.data() + dos->e_lfanew);
    ASSERT_EQ(nt->Signature, static_cast<DWORD>(IMAGE_NT_SIGNATURE));
    EXPECT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_AMD64);
    EXPECT_EQ(nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
}

namespace {
struct Usage {
    long handles;
    std::size_t windows;
    SIZE_T commit_bytes;
    SIZE_T working_set;
};

// The layout of SystemExtendedHandleInformation (class 64), which lists every
// handle in the system with its process: unlike GetProcessHandleCount, which
// Wine answers with 0, Wine fills it from the wineserver's own tables.
struct HandleEntry {
    PVOID object;
    ULONG_PTR process_id;
    ULONG_PTR handle;
    ULONG access;
    USHORT backtrace;
    USHORT type;
    ULONG attributes;
    ULONG reserved;
};
struct HandleTable {
    ULONG_PTR count;
    ULONG_PTR reserved;
    HandleEntry entries[1];
};
using QuerySystemInformation = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);

long handle_count(DWORD pid)
{
    auto query = reinterpret_cast<QuerySystemInformation>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (query == nullptr) {
        return -1;
    }
    std::vector<char> buffer(1 << 20);
    ULONG needed = 0;
    LONG status = 0;
    const LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004L);
    while ((status = query(64, buffer.data(), static_cast<ULONG>(buffer.size()), &needed)) == kInfoLengthMismatch) {
        buffer.resize(buffer.size() * 2);
    }
    if (status != 0) {
        return -1;
    }
    const HandleTable* table = reinterpret_cast<const HandleTable*>(buffer.data());
    long n = 0;
    for (ULONG_PTR i = 0; i < table->count; ++i) {
        n += table->entries[i].process_id == pid ? 1 : 0;
    }
    return n;
}

// What Wine reports truthfully: the handles (from the wineserver), the
// top-level windows, the committed private memory (PagefileUsage; Wine leaves
// PrivateUsage 0) and the working set.
Usage usage_of(const Program& p)
{
    Usage u{};
    u.handles = handle_count(p.pi.dwProcessId);
    u.windows = windows_of(p, nullptr).size();
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(p.pi.hProcess, &pmc, sizeof pmc);
    u.commit_bytes = pmc.PagefileUsage;
    u.working_set = pmc.WorkingSetSize;
    return u;
}

int env_int(const char* name, int fallback)
{
    const char* v = std::getenv(name);
    return v != nullptr ? std::atoi(v) : fallback;
}
}

// A short soak by default; BRINDLOW_SOAK_CYCLES and BRINDLOW_SOAK_SECONDS
// lengthen it (scripts/soak).
TEST(EndToEnd, SoakKeepsHandlesWindowsAndMemoryFlat)
{
    const int cycles = env_int("BRINDLOW_SOAK_CYCLES", 12);
    const int seconds = env_int("BRINDLOW_SOAK_SECONDS", 8);
    Program p;
    const DWORD started = GetTickCount();
    ASSERT_TRUE(p.start(workdir("soak", kAtlas | kIcon)));
    ASSERT_NE(wait_for_window(p, MainWindow::kClassName, nullptr, kStartMs), nullptr);
    // Warm up: for its first ten seconds or so the process keeps growing by
    // some 2 MB (the renderer's and Wine's one-time allocations, whatever the
    // menu does), then stays put; measure from after that.
    constexpr DWORD kSettleMs = 12000;
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(use_menu(p, 0));
        ASSERT_TRUE(use_menu(p, kHide));
        ASSERT_TRUE(use_menu(p, kHide));
    }
    const DWORD warmed = GetTickCount() - started;
    Sleep(warmed < kSettleMs ? kSettleMs - warmed : 0);
    // Sampled after each cycle; the run is paced so that the cycles spread
    // over the requested time.
    std::vector<Usage> samples = {usage_of(p)};
    const DWORD t0 = GetTickCount();
    const DWORD pause = static_cast<DWORD>(seconds) * 1000 / static_cast<DWORD>(cycles > 0 ? cycles : 1);
    for (int i = 0; i < cycles; ++i) {
        const DWORD cycle_start = GetTickCount();
        ASSERT_TRUE(use_menu(p, 0)) << "cycle " << i;
        ASSERT_TRUE(use_menu(p, kHide)) << "cycle " << i; // hide
        ASSERT_TRUE(use_menu(p, kHide)) << "cycle " << i; // show
        const DWORD spent = GetTickCount() - cycle_start;
        if (spent < pause) {
            Sleep(pause - spent);
        }
        samples.push_back(usage_of(p));
    }
    const Usage& start = samples.front();
    const Usage& middle = samples[samples.size() / 2];
    const Usage& end = samples.back();
    std::printf("soak: %d menu cycles over %.1f s\n", cycles, (GetTickCount() - t0) / 1000.0);
    for (std::size_t i = 0; i < samples.size(); i += (samples.size() > 10 ? samples.size() / 10 : 1)) {
        std::printf("  after %3zu cycles: handles %ld, windows %zu, committed %zu KB, working set %zu KB\n", i,
                    samples[i].handles, samples[i].windows, static_cast<std::size_t>(samples[i].commit_bytes / 1024),
                    static_cast<std::size_t>(samples[i].working_set / 1024));
    }
    std::printf("  at the end:        handles %ld, windows %zu, committed %zu KB, working set %zu KB\n", end.handles,
                end.windows, static_cast<std::size_t>(end.commit_bytes / 1024),
                static_cast<std::size_t>(end.working_set / 1024));
    // Zeros would be no measurement at all.
    ASSERT_GT(start.handles, 0);
    ASSERT_GT(start.commit_bytes, 0u);
    ASSERT_GT(start.working_set, 0u);
    for (const Usage& u : samples) {
        EXPECT_LE(u.handles, start.handles + 2);
        EXPECT_EQ(u.windows, start.windows);
    }
    EXPECT_LT(end.commit_bytes, start.commit_bytes + 1024u * 1024u);
    EXPECT_LT(end.working_set, start.working_set + 4u * 1024u * 1024u);
    // And none of it in the second half of the run.
    EXPECT_LT(end.commit_bytes, middle.commit_bytes + 256u * 1024u);
    EXPECT_TRUE(IsWindowVisible(windows_of(p, MainWindow::kClassName).front()));

    ASSERT_TRUE(use_menu(p, kClose));
    EXPECT_EQ(p.wait_exit(kExitMs), 0);
}

namespace {
std::string read_wide_path(const std::wstring& path)
{
    std::string text;
    if (std::FILE* f = _wfopen(path.c_str(), L"rb")) {
        char buffer[4096];
        std::size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
            text.append(buffer, n);
        }
        std::fclose(f);
    }
    return text;
}

// Points the user's shell folder for application data somewhere else for
// the life of the object, as a user profile under such a name would.
class AppDataFolder {
public:
    static constexpr const char* kKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    std::wstring saved;
    bool had = false;
    explicit AppDataFolder(const std::wstring& folder)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key) != ERROR_SUCCESS) {
            return;
        }
        wchar_t old[MAX_PATH] = {};
        DWORD size = sizeof old;
        had = RegQueryValueExW(key, L"AppData", nullptr, nullptr, reinterpret_cast<BYTE*>(old), &size) == ERROR_SUCCESS;
        saved = old;
        RegSetValueExW(key, L"AppData", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                       static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }
    ~AppDataFolder()
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) {
            return;
        }
        if (had) {
            RegSetValueExW(key, L"AppData", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(saved.c_str()),
                           static_cast<DWORD>((saved.size() + 1) * sizeof(wchar_t)));
        } else {
            RegDeleteValueW(key, L"AppData");
        }
        RegCloseKey(key);
    }
};

int orange_like(const std::vector<Rgb>& strip)
{
    int n = 0;
    for (const Rgb& c : strip) {
        n += (c.r > 200 && c.g > 90 && c.g < 170 && c.b < 60) ? 1 : 0;
    }
    return n;
}
}

// The program in a folder named in Cyrillic and CJK, whose user's
// application data lies under such a name too: it finds its icon, atlas and
// settings, and the menu writes to that settings file.
TEST(EndToEnd, InFoldersNamedInAnyScriptItFindsReadsAndWritesItsFiles)
{
    const std::wstring base = widen(workdir("unicode", 0));
    const std::wstring home = base + L"\\\u0422\u0435\u0441\u0442 \u6771\u4EAC Brindlow"; // Тест 東京 Brindlow
    const std::wstring appdata = base + L"\\\u0414\u0430\u043D\u043D\u044B\u0435 \u8A2D\u5B9A"; // Данные 設定
    for (const std::wstring& folder : {home, home + L"\\res", appdata, appdata + L"\\Brindlow"}) {
        // The test's own clean-up speaks the A functions: a run before may have left them.
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS)
            << narrow(folder);
    }
    ASSERT_TRUE(CopyFileW(widen(BRINDLOW_EXE).c_str(), (home + L"\\Brindlow.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(widen(source_path("icon.ico")).c_str(), (home + L"\\icon.ico").c_str(), FALSE));
    ASSERT_TRUE(
        CopyFileW(widen(source_path("res/fira-code.png")).c_str(), (home + L"\\res\\fira-code.png").c_str(), FALSE));
    const std::wstring ini = appdata + L"\\Brindlow\\brindlow.ini";
    std::FILE* f = _wfopen(ini.c_str(), L"wb");
    ASSERT_NE(f, nullptr);
    const char text[] = "[text]\ncolour = #FF8000\n";
    std::fwrite(text, 1, sizeof text - 1, f);
    std::fclose(f);

    AppDataFolder profile(appdata);
    Program p;
    ASSERT_TRUE(p.start_wide(widen(workdir("unicode-elsewhere", 0)), home + L"\\Brindlow.exe"));
    ASSERT_NE(wait_for_window(p, MainWindow::kClassName, nullptr, kStartMs), nullptr);
    EXPECT_FALSE(balloon_shown_within(1500)) << "nothing is missing";
    move_wine_tray_away();
    EXPECT_GT(orange_like(capture_strip()), 200) << "the settings under the Cyrillic and CJK folder were read";
    // Position, then its second corner: top-right, written to that file.
    ASSERT_TRUE(use_menu_keys(p, {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN}));
    EXPECT_TRUE(within(3000, [&] { return read_wide_path(ini).find("corner = top-right") != std::string::npos; }))
        << read_wide_path(ini);
    EXPECT_NE(read_wide_path(ini).find("colour = #FF8000"), std::string::npos);
    ASSERT_TRUE(use_menu(p, kClose));
    EXPECT_EQ(p.wait_exit(kExitMs), 0);
}

// A copy's first start greets with the way to its menu, once: not when
// started at login (through the Startup folder's shortcut, which the shell
// names to the program), and not at any start after the greeting.
TEST(EndToEnd, AFirstStartGreetsOnceAndAStartAtLoginDoesNot)
{
    AppDataFolder profile(widen(workdir("welcome-profile", 0)));
    RegDeleteKeyValueA(HKEY_CURRENT_USER, FirstStart::kKey, FirstStart::kValue);
    const std::string dir = workdir("welcome", kAtlas | kIcon);
    struct Start {
        const char* name;
        std::string link;
        bool greets;
    };
    const Start starts[] = {
        {"at login", StartupShortcut::path(), false},
        {"through another shortcut", dir + "\\Brindlow.lnk", true},
        {"again", "", false},
    };
    for (const Start& k : starts) {
        SCOPED_TRACE(k.name);
        Program p;
        ASSERT_TRUE(p.start(dir, BRINDLOW_EXE, k.link));
        ASSERT_NE(wait_for_window(p, MainWindow::kClassName, nullptr, kStartMs), nullptr);
        EXPECT_EQ(balloon_shown_within(3000), k.greets);
        ASSERT_TRUE(use_menu(p, kClose));
        EXPECT_EQ(p.wait_exit(kExitMs), 0);
        // Gone with the icon that showed it, before the next start looks.
        EXPECT_TRUE(within(5000, [] { return !balloon_shown_within(0); }));
    }
    DWORD welcomed = 0;
    DWORD size = sizeof welcomed;
    EXPECT_EQ(RegGetValueA(HKEY_CURRENT_USER, FirstStart::kKey, FirstStart::kValue, RRF_RT_REG_DWORD, nullptr,
                           &welcomed, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(welcomed, 1u);
}

namespace {
// A computer's policy for [text] colour, written by this process as any
// administrator's tool would, and deleted again however the test ends.
struct ColourPolicy {
    static constexpr const char* kKey = "Software\\Policies\\Brindlow\\text";
    bool set(const std::string& text) const
    {
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
            ERROR_SUCCESS) {
            return false;
        }
        const bool done = RegSetValueExA(key, "colour", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                         static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
        RegCloseKey(key);
        return done;
    }
    void remove() const
    {
        RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kKey, "colour");
        // Only when empty: another test's values stay.
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kKey);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Policies\\Brindlow");
    }
    ~ColourPolicy() { remove(); }
};
}

// A policy set from outside while Brindlow runs applies within a second, and
// taken away, the user's file is in force again as soon.
TEST(EndToEnd, APolicySetFromOutsideWhileItRunsAppliesWithinASecond)
{
    const std::string dir = workdir("policy", kAtlas | kIcon);
    const std::string text = "[text]\ncolour = #FF8000\n";
    write_file(dir + "\\brindlow.ini", std::vector<unsigned char>(text.begin(), text.end()));
    ColourPolicy policy;
    policy.remove();
    Program p;
    ASSERT_TRUE(p.start(dir));
    ASSERT_NE(wait_for_window(p, MainWindow::kClassName, "Brindlow", kStartMs), nullptr);
    move_wine_tray_away();
    ASSERT_TRUE(within(kStartMs, [] { return orange_like(capture_strip()) > 200; }));
    ASSERT_TRUE(policy.set("#00FFFF"));
    EXPECT_TRUE(within(1000, [] { return cyan_like(capture_strip()) > 200; })) << "the policy's colour";
    EXPECT_EQ(orange_like(capture_strip()), 0);
    policy.remove();
    EXPECT_TRUE(within(1000, [] { return orange_like(capture_strip()) > 200; })) << "the file's colour again";
    ASSERT_TRUE(use_menu(p, kClose));
    EXPECT_EQ(p.wait_exit(kExitMs), 0);
}
