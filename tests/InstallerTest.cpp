// The NSIS installer under Wine: a silent install, its shortcuts, and a
// silent uninstall that leaves nothing behind.
#include "TestSupport.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>

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

bool exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The first of two places (all users', then the user's) that holds the file.
std::string either(const std::string& common, const std::string& own)
{
    return exists(common) ? common : own;
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

    const char* files[] = {"Brindlow.exe", "icon.ico", "res\\fira-code.png", "res\\OFL.txt", "README.txt",
                           "LICENSE-FiraCode.txt", "Uninstall.exe"};
    for (const char* f : files) {
        EXPECT_TRUE(exists(dir + "\\" + f)) << f;
    }
    EXPECT_TRUE(uninstall_entry_exists());

    const std::string menu_link = either(folder(CSIDL_COMMON_PROGRAMS) + "\\Brindlow\\Brindlow.lnk",
                                         folder(CSIDL_PROGRAMS) + "\\Brindlow\\Brindlow.lnk");
    // The user's own Startup folder: the menu's "Start with Windows" shows it.
    const std::string startup_link = folder(CSIDL_STARTUP) + "\\Brindlow.lnk";
    for (const std::string& path : {menu_link, startup_link}) {
        SCOPED_TRACE(path);
        const Shortcut s = read_shortcut(path);
        ASSERT_TRUE(s.loaded);
        EXPECT_EQ(lstrcmpiA(s.target.c_str(), (dir + "\\Brindlow.exe").c_str()), 0) << s.target;
        EXPECT_EQ(lstrcmpiA(s.workdir.c_str(), dir.c_str()), 0) << s.workdir;
    }

    // _?= keeps the uninstaller in place, so that it has finished when it returns.
    ASSERT_EQ(run_and_wait("\"" + dir + "\\Uninstall.exe\" /S _?=" + dir, 120000), 0);
    for (const char* f : files) {
        if (std::string(f) != "Uninstall.exe") {
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
    CoUninitialize();
}
