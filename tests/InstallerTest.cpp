// The packages under Wine: the NSIS installer silent for the user and for
// all users, their shortcuts, upgrades and a silent uninstall that leaves
// nothing behind, both closing only the copy they replace; and the portable
// ZIP keeping its settings beside itself.
#include "StartupShortcut.h"
#include "TrayIcon.h"
#include "TestSupport.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <tlhelp32.h>

#include <algorithm>
#include <functional>
#include <fstream>
#include <string>
#include <vector>

namespace {
long run_and_wait(std::string cmd, DWORD ms)
{
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        return -2;
    }
    long code = -1;
    if (WaitForSingleObject(pi.hProcess, ms) == WAIT_OBJECT_0) {
        DWORD c = 0;
        GetExitCodeProcess(pi.hProcess, &c);
        code = static_cast<long>(c);
    } else {
        TerminateProcess(pi.hProcess, 1);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

std::string folder(int csidl)
{
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, csidl, nullptr, 0, path);
    return path;
}

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The installed program, started from its folder as its shortcut does.
PROCESS_INFORMATION start_installed(const std::string& dir)
{
    std::string cmd = "\"" + dir + "\\Brindlow.exe\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi);
    return pi;
}

void end_process(PROCESS_INFORMATION& pi)
{
    if (pi.hProcess != nullptr) {
        if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(pi.hProcess, 1);
            WaitForSingleObject(pi.hProcess, 5000);
        }
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    pi = PROCESS_INFORMATION{};
}

// Whether a window of this class exists (present) or not, within the time.
bool wait_for_class(const char* name, bool present, DWORD ms)
{
    const DWORD end = GetTickCount() + ms;
    for (;;) {
        if ((FindWindowA(name, nullptr) != nullptr) == present) {
            return true;
        }
        if (static_cast<LONG>(end - GetTickCount()) <= 0) {
            return false;
        }
        Sleep(50);
    }
}

// The processes running a Brindlow.exe, from whatever folder.
std::vector<DWORD> brindlow_processes()
{
    std::vector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return ids;
    }
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (lstrcmpiA(entry.szExeFile, "Brindlow.exe") == 0) {
            ids.push_back(entry.th32ProcessID);
        }
    }
    CloseHandle(snapshot);
    return ids;
}

// The process of the first strip window found, 0 when there is none.
DWORD strip_process()
{
    DWORD id = 0;
    HWND strip = FindWindowA(MainWindow::kClassName, nullptr);
    if (strip != nullptr) {
        GetWindowThreadProcessId(strip, &id);
    }
    return id;
}

// Every file under a folder, relative to it, with backslashes.
void files_under(const std::string& dir, const std::string& prefix, std::vector<std::string>& out)
{
    WIN32_FIND_DATAA found{};
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") {
            continue;
        }
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            files_under(dir + "\\" + name, prefix + name + "\\", out);
        } else {
            out.push_back(prefix + name);
        }
    } while (FindNextFileA(h, &found));
    FindClose(h);
}

// What every package holds: the list in packaging/README.txt, as the build
// wrote it out (one relative path a line, forward slashes).
std::vector<std::string> shipped_files()
{
    std::vector<std::string> files;
    std::ifstream in(BRINDLOW_SHIPPED_LIST);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty()) {
            std::replace(line.begin(), line.end(), '/', '\\');
            files.push_back(line);
        }
    }
    return files;
}

constexpr const char* kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Brindlow";

bool key_exists(HKEY root, const char* key)
{
    HKEY k = nullptr;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &k) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(k);
    return true;
}

std::string registry_text(HKEY root, const char* key, const char* value)
{
    char text[MAX_PATH] = {};
    DWORD size = sizeof text;
    if (RegGetValueA(root, key, value, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS) {
        return std::string();
    }
    return text;
}

// Exactly what README.txt lists, and the NSIS installer's uninstaller
// (the MSI's uninstaller is Windows Installer itself).
void expect_shipped_files_in(const std::string& dir, bool with_uninstaller = true)
{
    std::vector<std::string> expected = shipped_files();
    if (with_uninstaller) {
        expected.push_back("Uninstall.exe");
    }
    std::vector<std::string> installed;
    files_under(dir, "", installed);
    const auto by_name = [](const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) < 0; };
    std::sort(expected.begin(), expected.end(), by_name);
    std::sort(installed.begin(), installed.end(), by_name);
    EXPECT_EQ(installed, expected) << dir;
}

std::string installer(const std::string& switches) { return "\"" + std::string(BRINDLOW_INSTALLER) + "\" " + switches; }

// _?= keeps the uninstaller in place, so that it has finished when it returns.
std::string uninstaller(const std::string& dir, const std::string& switches)
{
    return "\"" + dir + "\\Uninstall.exe\" " + switches + " _?=" + dir;
}

// What _?= leaves: the uninstaller itself and its folder.
void remove_left_uninstaller(const std::string& dir)
{
    DeleteFileA((dir + "\\Uninstall.exe").c_str());
    RemoveDirectoryA(dir.c_str());
}

// The execution level the installer's manifest asks Windows for.
std::string requested_level(const std::string& exe)
{
    HMODULE m = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (m == nullptr) {
        return "(not loaded)";
    }
    std::string level = "(no manifest)";
    HRSRC r = FindResourceA(m, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    HGLOBAL g = r != nullptr ? LoadResource(m, r) : nullptr;
    const char* xml = g != nullptr ? static_cast<const char*>(LockResource(g)) : nullptr;
    if (xml != nullptr) {
        const std::string text(xml, SizeofResource(m, r));
        const std::size_t at = text.find("level=\"");
        level = at == std::string::npos ? "(none)" : text.substr(at + 7, text.find('"', at + 7) - at - 7);
    }
    FreeLibrary(m);
    return level;
}
}

namespace {
// The visible top-level windows whose caption begins with `prefix`.
std::vector<HWND> windows_titled(const std::string& prefix)
{
    struct Search {
        std::string prefix;
        std::vector<HWND> found;
    } search{prefix, {}};
    EnumWindows(
        [](HWND w, LPARAM p) {
            auto* s = reinterpret_cast<Search*>(p);
            char title[256] = {};
            GetWindowTextA(w, title, sizeof title);
            if (IsWindowVisible(w) && std::string(title).rfind(s->prefix, 0) == 0) {
                s->found.push_back(w);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A visible control of the window (its pages are child dialogs) with this text.
HWND control_with_text(HWND window, const std::string& text)
{
    struct Search {
        std::string text;
        HWND found;
    } search{text, nullptr};
    EnumChildWindows(
        window,
        [](HWND w, LPARAM p) {
            auto* s = reinterpret_cast<Search*>(p);
            char t[256] = {};
            GetWindowTextA(w, t, sizeof t);
            if (IsWindowVisible(w) && s->text == t) {
                s->found = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Goes through an installer's or uninstaller's pages as a user does: each
// page's default button (Next, Install, Uninstall, Finish: id 1) once it is
// enabled, "No" to a question box, until the process has ended. `on_page`
// sees each page first, and may change its controls; false leaves the page
// as it is for the next look. The exit code, or -1 when it did not end in time.
long click_through(const std::string& cmd, const std::string& caption, const std::function<bool(HWND)>& on_page)
{
    std::string line = cmd;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        return -2;
    }
    CloseHandle(pi.hThread);
    // An uninstaller copies itself elsewhere and runs that copy: the pages
    // outlive the first process, so the windows are waited for too.
    const DWORD end = GetTickCount() + 90000;
    bool seen = false;
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
        const std::vector<HWND> windows = windows_titled(caption);
        seen = seen || !windows.empty();
        if (seen && windows.empty() && WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) {
            break;
        }
        for (HWND w : windows) {
            HWND no = GetDlgItem(w, IDNO);
            HWND next = GetDlgItem(w, IDOK);
            if (no != nullptr && IsWindowVisible(no)) {
                PostMessageA(no, BM_CLICK, 0, 0);
            } else if (next != nullptr && IsWindowVisible(next) && IsWindowEnabled(next) && on_page(w)) {
                PostMessageA(next, BM_CLICK, 0, 0);
            }
        }
        Sleep(500);
    }
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(pi.hProcess, 10000) == WAIT_OBJECT_0) {
        GetExitCodeProcess(pi.hProcess, &code);
    } else {
        TerminateProcess(pi.hProcess, 1);
    }
    CloseHandle(pi.hProcess);
    return static_cast<long>(code);
}

// Sets a check box to `checked` the way a click does.
void set_check(HWND box, bool checked)
{
    if ((SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED) != checked) {
        SendMessageA(box, BM_CLICK, 0, 0);
    }
}

std::string text_of(const std::string& path)
{
    const std::vector<unsigned char> bytes = read_whole_file(path);
    return std::string(bytes.begin(), bytes.end());
}
}

TEST(Installer, InstallsForTheUserWithoutAskingForAnAdministratorUpgradesAndUninstallsCleanly)
{
    ASSERT_TRUE(exists(BRINDLOW_INSTALLER)) << "build the packages first (scripts/package)";
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    // Windows asks for no administrator before it starts.
    EXPECT_EQ(requested_level(BRINDLOW_INSTALLER), "asInvoker");
    const std::string dir = folder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Brindlow";
    const std::string machine_dir = folder(CSIDL_PROGRAM_FILES) + "\\Brindlow";

    ASSERT_EQ(run_and_wait(installer("/S /AUTOSTART"), 120000), 0);

    expect_shipped_files_in(dir);
    EXPECT_FALSE(exists(machine_dir));
    EXPECT_TRUE(key_exists(HKEY_CURRENT_USER, kUninstallKey));
    EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_EQ(registry_text(HKEY_CURRENT_USER, kUninstallKey, "UninstallString"), "\"" + dir + "\\Uninstall.exe\"");
    EXPECT_EQ(registry_text(HKEY_CURRENT_USER, kUninstallKey, "QuietUninstallString"),
              "\"" + dir + "\\Uninstall.exe\" /S");
    EXPECT_EQ(registry_text(HKEY_CURRENT_USER, kUninstallKey, "InstallLocation"), dir);
    for (const char* number : {"NoModify", "NoRepair", "EstimatedSize"}) {
        DWORD value = 0, size = sizeof value;
        EXPECT_EQ(RegGetValueA(HKEY_CURRENT_USER, kUninstallKey, number, RRF_RT_REG_DWORD, nullptr, &value, &size),
                  ERROR_SUCCESS)
            << number << " is not a number";
        EXPECT_GT(value, 0u) << number;
    }
    EXPECT_FALSE(exists(dir + "\\res\\OFL.txt")) << "the font's licence once, beside Brindlow's";
    // The user's own Start menu and Startup folder.
    const std::string menu_link = folder(CSIDL_PROGRAMS) + "\\Brindlow\\Brindlow.lnk";
    const std::string uninstall_link = folder(CSIDL_PROGRAMS) + "\\Brindlow\\Uninstall Brindlow.lnk";
    EXPECT_FALSE(exists(folder(CSIDL_COMMON_PROGRAMS) + "\\Brindlow"));
    EXPECT_TRUE(exists(uninstall_link));
    const std::string startup_link = folder(CSIDL_STARTUP) + "\\Brindlow.lnk";
    for (const std::string& path : {menu_link, startup_link}) {
        SCOPED_TRACE(path);
        const Shortcut s = read_shortcut(path);
        ASSERT_TRUE(s.loaded);
        EXPECT_EQ(lstrcmpiA(s.target.c_str(), (dir + "\\Brindlow.exe").c_str()), 0) << s.target;
        EXPECT_EQ(lstrcmpiA(s.workdir.c_str(), dir.c_str()), 0) << s.workdir;
    }

    // Installing over a running copy closes it first and upgrades the
    // user's copy in place: its files are replaced, the Startup shortcut stays.
    ASSERT_TRUE(DeleteFileA((dir + "\\LICENSE.txt").c_str()));
    PROCESS_INFORMATION running = start_installed(dir);
    ASSERT_TRUE(wait_for_class(MainWindow::kClassName, true, 20000)) << "the installed copy did not start";
    ASSERT_EQ(run_and_wait(installer("/S"), 120000), 0);
    EXPECT_EQ(WaitForSingleObject(running.hProcess, 0), static_cast<DWORD>(WAIT_OBJECT_0)) << "still running";
    end_process(running);
    // ...and, silent as a package manager's, starts it again.
    EXPECT_TRUE(wait_for_class(MainWindow::kClassName, true, 20000)) << "the upgraded copy was not started again";
    PostMessageA(FindWindowA(MainWindow::kClassName, nullptr), WM_CLOSE, 0, 0);
    EXPECT_TRUE(wait_for_class(MainWindow::kClassName, false, 20000));
    expect_shipped_files_in(dir);
    EXPECT_FALSE(exists(machine_dir));
    EXPECT_TRUE(exists(startup_link)) << "an upgrade keeps the user's Startup shortcut";

    // The user's settings, which a silent uninstall keeps.
    const std::string settings = folder(CSIDL_APPDATA) + "\\Brindlow";
    CreateDirectoryA(settings.c_str(), nullptr);
    write_file(settings + "\\brindlow.ini", std::vector<unsigned char>{'[', 'x', ']', '\n'});

    // The installed copy's own shortcut, its target written in another case
    // (as the Start menu's "Start with Windows" may write it): still its own.
    std::string shouted = dir + "\\Brindlow.exe";
    CharUpperA(&shouted[0]);
    ASSERT_EQ(StartupShortcut::create(shouted, dir), 0);

    // Uninstalling under a running copy closes it too, and leaves nothing.
    running = start_installed(dir);
    ASSERT_TRUE(wait_for_class(MainWindow::kClassName, true, 20000));
    ASSERT_EQ(run_and_wait(uninstaller(dir, "/S"), 120000), 0);
    EXPECT_EQ(WaitForSingleObject(running.hProcess, 0), static_cast<DWORD>(WAIT_OBJECT_0)) << "still running";
    end_process(running);
    EXPECT_FALSE(wait_for_class(MainWindow::kClassName, true, 0));
    EXPECT_FALSE(exists(uninstall_link));
    // The test program set the first start's mark (HKCU\Software\Brindlow
    // Welcomed) before it began: an uninstall takes it too.
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        EXPECT_FALSE(key_exists(root, "Software\\Brindlow")) << "a registry key is left";
        EXPECT_FALSE(key_exists(root, kUninstallKey));
    }
    for (const std::string& f : shipped_files()) {
        EXPECT_FALSE(exists(dir + "\\" + f)) << f;
    }
    EXPECT_FALSE(exists(dir + "\\res"));
    EXPECT_FALSE(exists(menu_link));
    EXPECT_FALSE(exists(startup_link));
    remove_left_uninstaller(dir);
    EXPECT_TRUE(exists(settings + "\\brindlow.ini")) << "kept unless the user asks";

    // Installed again into a folder of the user's choice (/D=, last and
    // unquoted), started at login, and then a portable copy's "Start with
    // Windows" took the shortcut over. Removed with the settings, as asked:
    // the portable copy's shortcut stays.
    const std::string chosen = fresh_temp_dir("installer-chosen") + "\\My Brindlow";
    ASSERT_EQ(run_and_wait(installer("/S /AUTOSTART /D=" + chosen), 120000), 0);
    expect_shipped_files_in(chosen);
    EXPECT_FALSE(exists(dir));
    ASSERT_TRUE(exists(startup_link));
    EXPECT_EQ(lstrcmpiA(read_shortcut(startup_link).target.c_str(), (chosen + "\\Brindlow.exe").c_str()), 0);
    // The same folder given by its 8.3 name and in capitals is still the
    // copy being replaced: the copy running from it is closed and, the
    // upgrade being silent, started again.
    char short_name[MAX_PATH] = {};
    ASSERT_GT(GetShortPathNameA(chosen.c_str(), short_name, MAX_PATH), 0u);
    std::string respelt = short_name;
    CharUpperA(&respelt[0]);
    ASSERT_EQ(respelt.find(' '), std::string::npos) << respelt << " is no 8.3 name";
    running = start_installed(chosen);
    ASSERT_TRUE(wait_for_class(MainWindow::kClassName, true, 20000));
    ASSERT_EQ(run_and_wait(installer("/S /D=" + respelt), 120000), 0);
    EXPECT_EQ(WaitForSingleObject(running.hProcess, 0), static_cast<DWORD>(WAIT_OBJECT_0)) << "still running";
    end_process(running);
    EXPECT_TRUE(wait_for_class(MainWindow::kClassName, true, 20000)) << "the upgraded copy was not started again";
    PostMessageA(FindWindowA(MainWindow::kClassName, nullptr), WM_CLOSE, 0, 0);
    EXPECT_TRUE(wait_for_class(MainWindow::kClassName, false, 20000));
    const std::string portable = fresh_temp_dir("installer-portable");
    ASSERT_TRUE(CopyFileA((chosen + "\\Brindlow.exe").c_str(), (portable + "\\Brindlow.exe").c_str(), FALSE));
    ASSERT_EQ(StartupShortcut::create(portable + "\\Brindlow.exe", portable), 0);
    ASSERT_EQ(run_and_wait(uninstaller(chosen, "/S /REMOVESETTINGS"), 120000), 0);
    EXPECT_FALSE(exists(settings));
    EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, kUninstallKey));
    EXPECT_TRUE(StartupShortcut::starts(portable + "\\Brindlow.exe")) << "the portable copy's shortcut was removed";
    StartupShortcut::remove();
    remove_left_uninstaller(chosen);
    CoUninitialize();
}

// Under Wine the user is an administrator already, so the installer goes on
// without starting itself again elevated, as it would on Windows for one.
TEST(Installer, InstallsForAllUsersWhenAskedAndAnUpgradeFindsThatCopy)
{
    ASSERT_TRUE(exists(BRINDLOW_INSTALLER)) << "build the packages first (scripts/package)";
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    const std::string dir = folder(CSIDL_PROGRAM_FILES) + "\\Brindlow";
    const std::string user_dir = folder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Brindlow";

    ASSERT_EQ(run_and_wait(installer("/S /allusers"), 120000), 0);
    expect_shipped_files_in(dir);
    EXPECT_FALSE(exists(user_dir));
    EXPECT_TRUE(key_exists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, kUninstallKey));
    const std::string menu_link = folder(CSIDL_COMMON_PROGRAMS) + "\\Brindlow\\Brindlow.lnk";
    const Shortcut s = read_shortcut(menu_link);
    ASSERT_TRUE(s.loaded) << menu_link;
    EXPECT_EQ(lstrcmpiA(s.target.c_str(), (dir + "\\Brindlow.exe").c_str()), 0) << s.target;
    EXPECT_FALSE(exists(folder(CSIDL_PROGRAMS) + "\\Brindlow"));

    // Run again with no scope: it upgrades the machine's copy, where it is.
    ASSERT_TRUE(DeleteFileA((dir + "\\LICENSE.txt").c_str()));
    ASSERT_EQ(run_and_wait(installer("/S"), 120000), 0);
    expect_shipped_files_in(dir);
    EXPECT_FALSE(exists(user_dir));
    EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, kUninstallKey));

    ASSERT_EQ(run_and_wait(uninstaller(dir, "/S"), 120000), 0);
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        EXPECT_FALSE(key_exists(root, kUninstallKey));
        EXPECT_FALSE(key_exists(root, "Software\\Brindlow"));
    }
    for (const std::string& f : shipped_files()) {
        EXPECT_FALSE(exists(dir + "\\" + f)) << f;
    }
    EXPECT_FALSE(exists(menu_link));
    remove_left_uninstaller(dir);
    EXPECT_FALSE(exists(dir));
    CoUninitialize();
}

// The portable ZIP unpacked with a brindlow.ini beside Brindlow.exe: the
// menu writes that file, and nothing reaches the user's profile.
TEST(Installer, ThePortableZipWithItsSettingsBesideItWritesThereAndLeavesTheProfileAlone)
{
    ASSERT_TRUE(exists(BRINDLOW_ZIP)) << "build the packages first (scripts/package)";
    // What the profile holds of Brindlow's before: the folder, and the file's bytes.
    const std::string settings = folder(CSIDL_APPDATA) + "\\Brindlow";
    const auto profile = [&settings] {
        const std::vector<unsigned char> bytes = read_whole_file(settings + "\\brindlow.ini");
        return std::to_string(exists(settings) ? 1 : 0) + std::string(bytes.begin(), bytes.end());
    };
    const std::string before = profile();
    const std::string dir = fresh_temp_dir("portable-zip");
    ASSERT_EQ(run_unix_shell("cd '" + unix_path(dir) + "' && cmake -E tar xf '" + unix_path(BRINDLOW_ZIP) + "'"), 0);
    const std::string ini = dir + "\\brindlow.ini";
    const std::string text = "[overlay]\ncorner = top-left\n";
    write_file(ini, std::vector<unsigned char>(text.begin(), text.end()));

    PROCESS_INFORMATION running = start_installed(dir);
    ASSERT_TRUE(wait_for_class(TrayIcon::kClassName, true, 20000)) << "the unpacked copy did not start";
    // The icon's menu, as a click opens it: Position, then its second corner.
    PostMessageA(FindWindowA(TrayIcon::kClassName, nullptr), TrayIcon::kCallbackMessage, TrayIcon::kIconId,
                 WM_LBUTTONUP);
    ASSERT_TRUE(wait_for_class("#32768", true, 5000)) << "the menu did not open";
    HWND menu = FindWindowA("#32768", nullptr);
    for (UINT vk : {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN}) {
        PostMessageA(menu, WM_KEYDOWN, vk, 1);
        PostMessageA(menu, WM_KEYUP, vk, 0xC0000001);
    }
    std::string now;
    const DWORD end = GetTickCount() + 10000;
    do {
        Sleep(100);
        const std::vector<unsigned char> bytes = read_whole_file(ini);
        now.assign(bytes.begin(), bytes.end());
    } while (now.find("top-right") == std::string::npos && static_cast<LONG>(end - GetTickCount()) > 0);
    EXPECT_EQ(now, "[overlay]\ncorner = top-right\n");
    PostMessageA(FindWindowA(MainWindow::kClassName, nullptr), WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(running.hProcess, 20000), static_cast<DWORD>(WAIT_OBJECT_0));
    end_process(running);
    EXPECT_EQ(profile(), before) << "the profile was written";
}

// The ZIP unpacked into a fresh folder and made portable (a `portable` file
// beside the exe): its folder, or empty when it could not be unpacked.
std::string unpacked_portable_copy(const std::string& name)
{
    const std::string portable = fresh_temp_dir(name);
    if (run_unix_shell("cd '" + unix_path(portable) + "' && cmake -E tar xf '" + unix_path(BRINDLOW_ZIP) + "'") != 0) {
        return std::string();
    }
    write_file(portable + "\\portable", std::vector<unsigned char>{});
    return portable;
}

// A portable copy running from a folder of its own holds none of the files
// an install replaces or an uninstall removes: both leave it running, and
// the silent install starts no installed copy beside it (which would only
// have said that Brindlow is already running).
TEST(Installer, LeavesAPortableCopyRunningFromAnotherFolderAlone)
{
    ASSERT_TRUE(exists(BRINDLOW_INSTALLER) && exists(BRINDLOW_ZIP)) << "build the packages first (scripts/package)";
    // A copy started by the installer shows itself well within this.
    constexpr DWORD kStartedCopyMs = 3000;
    const std::string dir = folder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Brindlow";
    const std::string portable = unpacked_portable_copy("installer-beside-portable");
    ASSERT_FALSE(portable.empty());
    PROCESS_INFORMATION running = start_installed(portable);
    // A failed assertion leaves only the lambda: the copies are ended below either way.
    [&] {
        ASSERT_TRUE(wait_for_class(MainWindow::kClassName, true, 20000)) << "the portable copy did not start";
        ASSERT_EQ(strip_process(), running.dwProcessId);

        ASSERT_EQ(run_and_wait(installer("/S"), 120000), 0);
        expect_shipped_files_in(dir);
        Sleep(kStartedCopyMs);
        EXPECT_EQ(WaitForSingleObject(running.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT))
            << "the install closed the portable copy";
        EXPECT_EQ(strip_process(), running.dwProcessId);
        EXPECT_EQ(brindlow_processes(), std::vector<DWORD>{running.dwProcessId}) << "the installed copy was started";

        ASSERT_EQ(run_and_wait(uninstaller(dir, "/S"), 120000), 0);
        EXPECT_FALSE(exists(dir + "\\Brindlow.exe"));
        EXPECT_EQ(WaitForSingleObject(running.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT))
            << "the uninstall closed the portable copy";
        EXPECT_EQ(strip_process(), running.dwProcessId);
        remove_left_uninstaller(dir);

        PostMessageA(FindWindowA(MainWindow::kClassName, nullptr), WM_CLOSE, 0, 0);
        EXPECT_EQ(WaitForSingleObject(running.hProcess, 20000), static_cast<DWORD>(WAIT_OBJECT_0));
    }();
    end_process(running);
    // What a failure left running, so that the next test starts alone.
    for (DWORD id : brindlow_processes()) {
        HANDLE stray = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
        if (stray != nullptr) {
            TerminateProcess(stray, 1);
            WaitForSingleObject(stray, 5000);
            CloseHandle(stray);
        }
    }
}

// An installer closes the copy it replaces whatever that copy shows: its
// menu or its colour dialog, each a modal loop of the strip's thread. A
// silent upgrade then starts the new copy. One that cannot close it says
// so: exit code 3 and a line in the user's temporary folder.
TEST(Installer, ASilentUpgradeClosesACopyShowingItsMenuOrColourDialogOrSaysItCouldNot)
{
    ASSERT_TRUE(exists(BRINDLOW_INSTALLER)) << "build the packages first (scripts/package)";
    const std::string dir = folder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Brindlow";
    ASSERT_EQ(run_and_wait(installer("/S"), 120000), 0);
    struct Shown {
        const char* name;
        std::vector<UINT> keys; // to the menu's window, after it opened
        const char* window_class; // what is open when the installer runs
    };
    const Shown shown[] = {
        {"menu", {}, "#32768"},
        {"colour dialog",
         {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN},
         "#32770"},
    };
    for (const Shown& s : shown) {
        SCOPED_TRACE(s.name);
        PROCESS_INFORMATION running = start_installed(dir);
        ASSERT_TRUE(wait_for_class(TrayIcon::kClassName, true, 20000)) << "the installed copy did not start";
        PostMessageA(FindWindowA(TrayIcon::kClassName, nullptr), TrayIcon::kCallbackMessage, TrayIcon::kIconId,
                     WM_RBUTTONUP);
        ASSERT_TRUE(wait_for_class("#32768", true, 5000)) << "the menu did not open";
        HWND menu = FindWindowA("#32768", nullptr);
        for (UINT vk : s.keys) {
            PostMessageA(menu, WM_KEYDOWN, vk, 1);
            PostMessageA(menu, WM_KEYUP, vk, 0xC0000001);
        }
        ASSERT_TRUE(wait_for_class(s.window_class, true, 5000));
        Sleep(500);
        ASSERT_TRUE(IsWindowVisible(FindWindowA(s.window_class, nullptr))) << "closed before the installer ran";

        EXPECT_EQ(run_and_wait(installer("/S"), 120000), 0);
        EXPECT_EQ(WaitForSingleObject(running.hProcess, 5000), static_cast<DWORD>(WAIT_OBJECT_0)) << "still running";
        EXPECT_TRUE(wait_for_class(MainWindow::kClassName, true, 20000)) << "the upgraded copy was not started";
        EXPECT_NE(strip_process(), running.dwProcessId);
        end_process(running);
        PostMessageA(FindWindowA(MainWindow::kClassName, nullptr), WM_CLOSE, 0, 0);
        EXPECT_TRUE(wait_for_class(MainWindow::kClassName, false, 20000));
    }

    // A copy that holds on (here: its single-instance guard, held by this
    // test, as a copy still starting or stopping holds it).
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string log = std::string(temp) + "Brindlow-setup.log";
    const std::string before = text_of(log);
    HANDLE guard = CreateMutexA(nullptr, TRUE, "BrindlowSingleInstance");
    ASSERT_NE(guard, nullptr);
    EXPECT_EQ(run_and_wait(installer("/S"), 120000), 3);
    EXPECT_EQ(run_and_wait(uninstaller(dir, "/S"), 120000), 3);
    ReleaseMutex(guard);
    CloseHandle(guard);
    const std::string after = text_of(log);
    ASSERT_GT(after.size(), before.size()) << log;
    const std::string added = after.substr(before.size());
    for (const char* said : {"Brindlow 1.0.0 setup: Brindlow in ", "Brindlow 1.0.0 uninstall: Brindlow in ",
                             "did not close", "(exit code 3).\r\n"}) {
        EXPECT_NE(added.find(said), std::string::npos) << said << " in " << added;
    }
    EXPECT_TRUE(exists(dir + "\\Brindlow.exe")) << "removed although it was running";

    ASSERT_EQ(run_and_wait(uninstaller(dir, "/S"), 120000), 0);
    remove_left_uninstaller(dir);
}

// Through its pages: the finish page shows the login shortcut as it is, and
// what the user leaves ticked there is what stays; an uninstall through its
// pages leaves no Start-menu folder.
TEST(Installer, ThePagesShowTheLoginShortcutAsItIsAndTheUninstallsPagesLeaveNoStartMenuFolder)
{
    ASSERT_TRUE(exists(BRINDLOW_INSTALLER)) << "build the packages first (scripts/package)";
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    const std::string dir = folder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Brindlow";
    const std::string startup_link = folder(CSIDL_STARTUP) + "\\Brindlow.lnk";
    const std::string menu_folder = folder(CSIDL_PROGRAMS) + "\\Brindlow";
    ASSERT_EQ(run_and_wait(installer("/S /AUTOSTART"), 120000), 0);
    ASSERT_TRUE(exists(startup_link));

    struct Upgrade {
        bool shown_ticked;
        bool leave_ticked;
    };
    // The shortcut exists: shown ticked, unticked by the user, removed; then
    // none: shown unticked, ticked, made.
    for (const Upgrade u : {Upgrade{true, false}, Upgrade{false, true}}) {
        SCOPED_TRACE(u.shown_ticked ? "upgrade with the login shortcut" : "upgrade without it");
        int finish_pages = 0;
        bool ticked = false;
        const long code = click_through(installer(""), "Brindlow 1.0.0 Setup", [&](HWND w) {
            HWND login = control_with_text(w, "Start Brindlow when I log in");
            if (login == nullptr) {
                // Neither the finish page before its check boxes are there
                // nor the end of the copying, whose button reads Close for
                // the moment before the finish page follows by itself.
                char text[64] = {};
                GetWindowTextA(GetDlgItem(w, IDOK), text, sizeof text);
                const std::string button = text;
                return button.find("Finish") == std::string::npos && button.find("Close") == std::string::npos;
            }
            // Seen again if the click has not taken yet: read the first time only.
            if (finish_pages++ == 0) {
                ticked = SendMessageA(login, BM_GETCHECK, 0, 0) == BST_CHECKED;
            }
            set_check(login, u.leave_ticked);
            HWND run = control_with_text(w, "Run Brindlow");
            if (run != nullptr) {
                set_check(run, false);
            }
            return true;
        });
        EXPECT_EQ(code, 0);
        EXPECT_GE(finish_pages, 1) << "no finish page";
        EXPECT_EQ(ticked, u.shown_ticked);
        EXPECT_EQ(exists(startup_link), u.leave_ticked);
    }
    ASSERT_TRUE(exists(menu_folder + "\\Brindlow.lnk"));

    // A user's uninstall: from its own folder, without _?=, with its pages.
    EXPECT_EQ(click_through("\"" + dir + "\\Uninstall.exe\"", "Brindlow 1.0.0 Uninstall", [](HWND) { return true; }),
              0);
    const DWORD end = GetTickCount() + 10000;
    while (exists(dir + "\\Uninstall.exe") && static_cast<LONG>(end - GetTickCount()) > 0) {
        Sleep(200);
    }
    EXPECT_FALSE(exists(menu_folder + "\\Brindlow.lnk"));
    EXPECT_FALSE(exists(menu_folder)) << "an empty Start-menu folder is left";
    EXPECT_FALSE(exists(startup_link));
    EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, kUninstallKey));
    remove_left_uninstaller(dir);
    CoUninitialize();
}

namespace {
constexpr const char* kUninstallRoot = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr const char* kMsiRecord = "Software\\Brindlow\\Msi";
// Windows Installer's answer when a launch condition refuses.
constexpr long kMsiRefused = 1603;

std::string msiexec(const std::string& action, const std::string& msi, const std::string& properties = "")
{
    return "msiexec " + action + " \"" + msi + "\" /qn" + (properties.empty() ? "" : " " + properties);
}

// The MSI's uninstall entries: keys named by a product code whose
// DisplayName is Brindlow, with their DisplayVersion.
std::vector<std::string> msi_entries()
{
    std::vector<std::string> entries;
    HKEY root = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallRoot, 0, KEY_READ, &root) != ERROR_SUCCESS) {
        return entries;
    }
    char name[256] = {};
    for (DWORD i = 0; RegEnumKeyA(root, i, name, sizeof name) == ERROR_SUCCESS; ++i) {
        const std::string key = std::string(kUninstallRoot) + "\\" + name;
        if (name[0] == '{' && registry_text(HKEY_LOCAL_MACHINE, key.c_str(), "DisplayName") == "Brindlow") {
            entries.push_back(registry_text(HKEY_LOCAL_MACHINE, key.c_str(), "DisplayVersion"));
        }
    }
    RegCloseKey(root);
    return entries;
}

// The same MSI for another version, written by the package step's own
// generator from the ZIP's files, in a scratch folder.
std::string msi_of_version(const std::string& version)
{
    const std::string dir = fresh_temp_dir("msi-" + version);
    const std::string staged = unix_path(dir) + "/staged";
    const std::string out = dir + "\\Brindlow-" + version + "-x64.msi";
    const int status = run_unix_shell("mkdir -p '" + staged + "' && cd '" + staged + "' && cmake -E tar xf '" +
                                      unix_path(BRINDLOW_ZIP) + "' && cmake -DBRINDLOW_MSI_STAGED='" + staged +
                                      "' -DBRINDLOW_MSI_LIST='" + unix_path(BRINDLOW_SHIPPED_LIST) +
                                      "' -DBRINDLOW_MSI_VERSION=" + version + " -DBRINDLOW_MSI_ACTIONS='" +
                                      BRINDLOW_MSI_ACTIONS + "' -DBRINDLOW_MSI_OUT='" + unix_path(dir) + "/Brindlow-" +
                                      version + "-x64.msi' -P '" + BRINDLOW_MSI_WRITER + "' >/dev/null");
    return status == 0 && exists(out) ? out : std::string();
}

void expect_shortcut_to(const std::string& link, const std::string& dir)
{
    SCOPED_TRACE(link);
    const Shortcut s = read_shortcut(link);
    ASSERT_TRUE(s.loaded);
    EXPECT_EQ(lstrcmpiA(s.target.c_str(), (dir + "\\Brindlow.exe").c_str()), 0) << s.target;
    // Windows Installer names a folder with a backslash at its end.
    std::string workdir = s.workdir;
    if (!workdir.empty() && workdir.back() == '\\') {
        workdir.pop_back();
    }
    EXPECT_EQ(lstrcmpiA(workdir.c_str(), dir.c_str()), 0) << s.workdir;
}

// Nothing of the MSI's copy left: its folder, shortcuts, registry and entry.
void expect_no_msi_copy()
{
    const std::string dir = folder(CSIDL_PROGRAM_FILES) + "\\Brindlow";
    EXPECT_FALSE(exists(dir)) << dir;
    EXPECT_FALSE(exists(folder(CSIDL_COMMON_PROGRAMS) + "\\Brindlow.lnk"));
    EXPECT_FALSE(exists(folder(CSIDL_COMMON_STARTUP) + "\\Brindlow.lnk"));
    EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, "Software\\Brindlow"));
    EXPECT_EQ(msi_entries(), std::vector<std::string>{});
}
}

// The MSI, silent: every user's copy in Program Files with its entry and
// its Start-menu shortcut, the login shortcut for everyone with AUTOSTART=1,
// an upgrade in place by a newer MSI that closes the copy it replaces and
// keeps the login start, and a removal that leaves nothing.
TEST(Installer, TheMsiInstallsForEveryoneStartsAtLoginWhenAskedUpgradesInPlaceAndRemovesEverything)
{
    ASSERT_TRUE(exists(BRINDLOW_MSI) && exists(BRINDLOW_ZIP)) << "build the packages first (scripts/package)";
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    const std::string dir = folder(CSIDL_PROGRAM_FILES) + "\\Brindlow";
    const std::string menu_link = folder(CSIDL_COMMON_PROGRAMS) + "\\Brindlow.lnk";
    const std::string login_link = folder(CSIDL_COMMON_STARTUP) + "\\Brindlow.lnk";
    const std::string newer = msi_of_version("1.0.1");
    ASSERT_FALSE(newer.empty()) << "the MSI's generator failed";

    ASSERT_EQ(run_and_wait(msiexec("/i", BRINDLOW_MSI, "AUTOSTART=1"), 120000), 0);
    expect_shipped_files_in(dir, false);
    EXPECT_EQ(msi_entries(), std::vector<std::string>{"1.0.0"});
    EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, kUninstallKey)) << "the NSIS installer's entry";
    expect_shortcut_to(menu_link, dir);
    expect_shortcut_to(login_link, dir);
    EXPECT_FALSE(exists(folder(CSIDL_PROGRAMS) + "\\Brindlow.lnk")) << "the user's own Start menu";
    EXPECT_FALSE(exists(folder(CSIDL_STARTUP) + "\\Brindlow.lnk")) << "the user's own Startup folder";

    // The newer MSI replaces it where it is, closing the copy that runs.
    PROCESS_INFORMATION running = start_installed(dir);
    ASSERT_TRUE(wait_for_class(MainWindow::kClassName, true, 20000)) << "the installed copy did not start";
    EXPECT_EQ(run_and_wait(msiexec("/i", newer), 120000), 0);
    EXPECT_EQ(WaitForSingleObject(running.hProcess, 0), static_cast<DWORD>(WAIT_OBJECT_0)) << "still running";
    end_process(running);
    expect_shipped_files_in(dir, false);
    EXPECT_EQ(msi_entries(), std::vector<std::string>{"1.0.1"}) << "one entry, the newer version's";
    expect_shortcut_to(menu_link, dir);
    EXPECT_TRUE(exists(login_link)) << "the upgrade dropped the login start";

    // Removed silently while it runs: closed, and nothing left.
    running = start_installed(dir);
    ASSERT_TRUE(wait_for_class(MainWindow::kClassName, true, 20000));
    EXPECT_EQ(run_and_wait(msiexec("/x", newer), 120000), 0);
    EXPECT_EQ(WaitForSingleObject(running.hProcess, 0), static_cast<DWORD>(WAIT_OBJECT_0)) << "still running";
    end_process(running);
    expect_no_msi_copy();
    CoUninitialize();
}

// Without AUTOSTART no login start; a portable copy running from its own
// folder is left running by the install and the removal alike.
TEST(Installer, TheMsiStartsNothingAtLoginUnlessAskedAndLeavesAPortableCopyRunning)
{
    ASSERT_TRUE(exists(BRINDLOW_MSI) && exists(BRINDLOW_ZIP)) << "build the packages first (scripts/package)";
    const std::string dir = folder(CSIDL_PROGRAM_FILES) + "\\Brindlow";
    const std::string portable = unpacked_portable_copy("msi-beside-portable");
    ASSERT_FALSE(portable.empty());
    PROCESS_INFORMATION running = start_installed(portable);
    [&] {
        ASSERT_TRUE(wait_for_class(MainWindow::kClassName, true, 20000)) << "the portable copy did not start";
        ASSERT_EQ(run_and_wait(msiexec("/i", BRINDLOW_MSI), 120000), 0);
        expect_shipped_files_in(dir, false);
        EXPECT_FALSE(exists(folder(CSIDL_COMMON_STARTUP) + "\\Brindlow.lnk")) << "a login start nobody asked for";
        EXPECT_FALSE(exists(folder(CSIDL_STARTUP) + "\\Brindlow.lnk"));
        EXPECT_EQ(WaitForSingleObject(running.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT))
            << "the install closed the portable copy";
        EXPECT_EQ(run_and_wait(msiexec("/x", BRINDLOW_MSI), 120000), 0);
        EXPECT_EQ(WaitForSingleObject(running.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT))
            << "the removal closed the portable copy";
        EXPECT_EQ(strip_process(), running.dwProcessId);
        expect_no_msi_copy();
        PostMessageA(FindWindowA(MainWindow::kClassName, nullptr), WM_CLOSE, 0, 0);
        EXPECT_EQ(WaitForSingleObject(running.hProcess, 20000), static_cast<DWORD>(WAIT_OBJECT_0));
    }();
    end_process(running);
    if (!msi_entries().empty()) {
        run_and_wait(msiexec("/x", BRINDLOW_MSI), 120000);
    }
}

// One copy in Program Files, one entry for it: the MSI refuses while the
// NSIS installer's copy for everyone is there, and that installer refuses
// to install for everyone over the MSI's copy. Each leaves the other as it was.
TEST(Installer, TheMsiAndTheSetupProgramsCopyForEveryoneRefuseEachOther)
{
    ASSERT_TRUE(exists(BRINDLOW_MSI) && exists(BRINDLOW_INSTALLER)) << "build the packages first (scripts/package)";
    const std::string dir = folder(CSIDL_PROGRAM_FILES) + "\\Brindlow";

    ASSERT_EQ(run_and_wait(installer("/S /allusers"), 120000), 0);
    EXPECT_EQ(run_and_wait(msiexec("/i", BRINDLOW_MSI), 120000), kMsiRefused);
    EXPECT_EQ(msi_entries(), std::vector<std::string>{});
    EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, kMsiRecord));
    expect_shipped_files_in(dir);
    ASSERT_EQ(run_and_wait(uninstaller(dir, "/S"), 120000), 0);
    remove_left_uninstaller(dir);

    ASSERT_EQ(run_and_wait(msiexec("/i", BRINDLOW_MSI), 120000), 0);
    EXPECT_EQ(run_and_wait(installer("/S /allusers"), 120000), 4) << "the MSI copy's exit code";
    EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, kUninstallKey)) << "a second entry for the same folder";
    expect_shipped_files_in(dir, false);
    EXPECT_EQ(msi_entries(), std::vector<std::string>{"1.0.0"});
    EXPECT_EQ(run_and_wait(msiexec("/x", BRINDLOW_MSI), 120000), 0);
    expect_no_msi_copy();
    EXPECT_FALSE(exists(dir + "\\Uninstall.exe"));
}

// A copy that does not close (here: its thread held still, as a hung copy
// would be) keeps its files: the removal changes nothing, fails, and its
// log says why; once the copy answers again the removal goes through.
TEST(Installer, TheMsiChangesNothingWhileItsCopyDoesNotClose)
{
    ASSERT_TRUE(exists(BRINDLOW_MSI)) << "build the packages first (scripts/package)";
    const std::string dir = folder(CSIDL_PROGRAM_FILES) + "\\Brindlow";
    const std::string log = fresh_temp_dir("msi-log") + "\\remove.log";
    ASSERT_EQ(run_and_wait(msiexec("/i", BRINDLOW_MSI), 120000), 0);
    PROCESS_INFORMATION running = start_installed(dir);
    [&] {
        ASSERT_TRUE(wait_for_class(MainWindow::kClassName, true, 20000)) << "the installed copy did not start";
        ASSERT_NE(SuspendThread(running.hThread), static_cast<DWORD>(-1));
        EXPECT_EQ(run_and_wait(msiexec("/x", BRINDLOW_MSI, "/l*v \"" + log + "\""), 120000), kMsiRefused);
        ResumeThread(running.hThread);
        expect_shipped_files_in(dir, false);
        EXPECT_EQ(msi_entries(), std::vector<std::string>{"1.0.0"});
        EXPECT_NE(text_of(log).find("did not close within 10 seconds"), std::string::npos) << log;
        EXPECT_EQ(run_and_wait(msiexec("/x", BRINDLOW_MSI), 120000), 0);
        EXPECT_EQ(WaitForSingleObject(running.hProcess, 0), static_cast<DWORD>(WAIT_OBJECT_0)) << "still running";
    }();
    end_process(running);
    if (!msi_entries().empty()) {
        run_and_wait(msiexec("/x", BRINDLOW_MSI), 120000);
    }
    expect_no_msi_copy();
}
