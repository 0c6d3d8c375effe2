// The NSIS installer under Wine: a silent install, its shortcuts, and a
// silent uninstall that leaves nothing behind.
#include "StartupShortcut.h"
#include "TestSupport.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
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

// The first of two places (all users', then the user's) that holds the file.
std::string either(const std::string& common, const std::string& own) { return exists(common) ? common : own; }

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

bool uninstall_entry_exists()
{
    const char* key = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Brindlow";
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        HKEY k = nullptr;
        if (RegOpenKeyExA(root, key, 0, KEY_READ, &k) == ERROR_SUCCESS) {
            RegCloseKey(k);
            return true;
        }
    }
    return false;
}
}

TEST(Installer, InstallsSilentlyWithShortcutsThatStartInTheInstallFolderAndUninstallsCleanly)
{
    ASSERT_TRUE(exists(BRINDLOW_INSTALLER)) << "build the packages first (scripts/package)";
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    const std::string dir = folder(CSIDL_PROGRAM_FILES) + "\\Brindlow";

    ASSERT_EQ(run_and_wait("\"" + std::string(BRINDLOW_INSTALLER) + "\" /S /AUTOSTART", 120000), 0);

    // Exactly what README.txt lists, and the uninstaller.
    std::vector<std::string> files = shipped_files();
    ASSERT_NE(std::find(files.begin(), files.end(), "res\\FiraCode-Regular.ttf"), files.end());
    files.push_back("Uninstall.exe");
    std::vector<std::string> installed;
    files_under(dir, "", installed);
    std::vector<std::string> expected = files;
    std::sort(expected.begin(), expected.end(),
              [](const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) < 0; });
    std::sort(installed.begin(), installed.end(),
              [](const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) < 0; });
    EXPECT_EQ(installed, expected);
    EXPECT_TRUE(uninstall_entry_exists());

    EXPECT_FALSE(exists(dir + "\\res\\OFL.txt")) << "the font's licence once, beside Brindlow's";
    const std::string menu_link = either(folder(CSIDL_COMMON_PROGRAMS) + "\\Brindlow\\Brindlow.lnk",
                                         folder(CSIDL_PROGRAMS) + "\\Brindlow\\Brindlow.lnk");
    const std::string uninstall_link = either(folder(CSIDL_COMMON_PROGRAMS) + "\\Brindlow\\Uninstall Brindlow.lnk",
                                              folder(CSIDL_PROGRAMS) + "\\Brindlow\\Uninstall Brindlow.lnk");
    EXPECT_TRUE(exists(uninstall_link));
    // The user's own Startup folder: the menu's "Start with Windows" shows it.
    const std::string startup_link = folder(CSIDL_STARTUP) + "\\Brindlow.lnk";
    for (const std::string& path : {menu_link, startup_link}) {
        SCOPED_TRACE(path);
        const Shortcut s = read_shortcut(path);
        ASSERT_TRUE(s.loaded);
        EXPECT_EQ(lstrcmpiA(s.target.c_str(), (dir + "\\Brindlow.exe").c_str()), 0) << s.target;
        EXPECT_EQ(lstrcmpiA(s.workdir.c_str(), dir.c_str()), 0) << s.workdir;
    }

    // Installing over a running copy closes it first and upgrades in place:
    // its files are replaced, the Startup shortcut stays.
    PROCESS_INFORMATION running = start_installed(dir);
    ASSERT_TRUE(wait_for_class(MainWindow::kClassName, true, 20000)) << "the installed copy did not start";
    ASSERT_EQ(run_and_wait("\"" + std::string(BRINDLOW_INSTALLER) + "\" /S", 120000), 0);
    EXPECT_EQ(WaitForSingleObject(running.hProcess, 0), static_cast<DWORD>(WAIT_OBJECT_0)) << "still running";
    end_process(running);
    EXPECT_TRUE(exists(dir + "\\Brindlow.exe"));
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
    // _?= keeps the uninstaller in place, so that it has finished when it returns.
    ASSERT_EQ(run_and_wait("\"" + dir + "\\Uninstall.exe\" /S _?=" + dir, 120000), 0);
    EXPECT_EQ(WaitForSingleObject(running.hProcess, 0), static_cast<DWORD>(WAIT_OBJECT_0)) << "still running";
    end_process(running);
    EXPECT_FALSE(wait_for_class(MainWindow::kClassName, true, 0));
    EXPECT_FALSE(exists(uninstall_link));
    HKEY vendor = nullptr;
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        EXPECT_NE(RegOpenKeyExA(root, "Software\\Brindlow", 0, KEY_READ, &vendor), ERROR_SUCCESS)
            << "an empty registry key is left";
    }
    for (const std::string& f : files) {
        if (f != "Uninstall.exe") {
            EXPECT_FALSE(exists(dir + "\\" + f)) << f;
        }
    }
    EXPECT_FALSE(exists(dir + "\\res"));
    EXPECT_FALSE(exists(menu_link));
    EXPECT_FALSE(exists(startup_link));
    EXPECT_FALSE(uninstall_entry_exists());

    // What _?= leaves: the uninstaller itself and its folder.
    DeleteFileA((dir + "\\Uninstall.exe").c_str());
    RemoveDirectoryA(dir.c_str());
    EXPECT_TRUE(exists(settings + "\\brindlow.ini")) << "kept unless the user asks";

    // Installed again, started at login, and then a portable copy's "Start
    // with Windows" took the shortcut over. Removed with the settings, as
    // asked: the portable copy's shortcut stays.
    ASSERT_EQ(run_and_wait("\"" + std::string(BRINDLOW_INSTALLER) + "\" /S /AUTOSTART", 120000), 0);
    ASSERT_TRUE(exists(startup_link));
    const std::string portable = fresh_temp_dir("installer-portable");
    ASSERT_TRUE(CopyFileA((dir + "\\Brindlow.exe").c_str(), (portable + "\\Brindlow.exe").c_str(), FALSE));
    ASSERT_EQ(StartupShortcut::create(portable + "\\Brindlow.exe", portable), 0);
    ASSERT_EQ(run_and_wait("\"" + dir + "\\Uninstall.exe\" /S /REMOVESETTINGS _?=" + dir, 120000), 0);
    EXPECT_FALSE(exists(settings));
    EXPECT_TRUE(StartupShortcut::starts(portable + "\\Brindlow.exe")) << "the portable copy's shortcut was removed";
    StartupShortcut::remove();
    DeleteFileA((dir + "\\Uninstall.exe").c_str());
    RemoveDirectoryA(dir.c_str());
    CoUninitialize();
}
