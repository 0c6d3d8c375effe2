// The MSI's own custom action, a DLL in its Binary table: before Windows
// Installer checks which files are in use, the Brindlow that runs the
// Brindlow.exe about to be replaced or removed is asked to close, as the
// NSIS installer does (packaging/Packaging.cmake, BRINDLOW_CLOSE_RUNNING).
// On Windows the Restart Manager also asks it (WM_QUERYENDSESSION and
// WM_ENDSESSION with ENDSESSION_CLOSEAPP, which Brindlow answers by closing);
// this action is what closes it where there is none (Wine), and where the
// installer runs on the user's desktop. A Brindlow running from another
// folder (a portable copy) holds none of these files and is left running.
#include "OverlayWindow.h"

#include <windows.h>

#include <msi.h>
#include <msiquery.h>
#include <shlobj.h>

#include <string>

namespace {
// The strip answers WM_CLOSE at once; its process then ends within
// seconds, or the install fails rather than replace files in use.
constexpr UINT kAnswerMs = 5000;
constexpr DWORD kEndMs = 10000;

std::wstring property(MSIHANDLE install, const wchar_t* name)
{
    wchar_t empty[1] = L"";
    DWORD size = 0;
    if (MsiGetPropertyW(install, name, empty, &size) != ERROR_MORE_DATA) {
        return std::wstring();
    }
    std::wstring value(size + 1, L'\0');
    size = static_cast<DWORD>(value.size());
    if (MsiGetPropertyW(install, name, &value[0], &size) != ERROR_SUCCESS) {
        return std::wstring();
    }
    value.resize(size);
    return value;
}

// A path as Windows names the file: its long form (a process started by an
// 8.3 name may keep that in its image path), or as given if it has none.
std::wstring long_form(const std::wstring& path)
{
    wchar_t buffer[MAX_PATH * 2] = {};
    const DWORD n = GetLongPathNameW(path.c_str(), buffer, MAX_PATH * 2);
    return n > 0 && n < MAX_PATH * 2 ? std::wstring(buffer, n) : path;
}

void log(MSIHANDLE install, const std::wstring& text)
{
    PMSIHANDLE record = MsiCreateRecord(0);
    MsiRecordSetStringW(record, 0, text.c_str());
    MsiProcessMessage(install, INSTALLMESSAGE_INFO, record);
}
}

extern "C" __declspec(dllexport) UINT __stdcall CloseRunning(MSIHANDLE install)
{
    // One Brindlow runs at a time, whatever its folder: the first strip
    // found names the process.
    HWND strip = FindWindowA(OverlayWindow::kClassName, nullptr);
    if (strip == nullptr) {
        return ERROR_SUCCESS;
    }
    const std::wstring ours = long_form(property(install, L"INSTALLDIR") + L"Brindlow.exe");
    DWORD id = 0;
    GetWindowThreadProcessId(strip, &id);
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, id);
    // A process that cannot be opened or read may still hold our files: it
    // is closed, as the NSIS installer does.
    if (process != nullptr) {
        wchar_t image[MAX_PATH * 2] = {};
        DWORD size = MAX_PATH * 2;
        if (QueryFullProcessImageNameW(process, 0, image, &size) &&
            CompareStringOrdinal(long_form(image).c_str(), -1, ours.c_str(), -1, TRUE) != CSTR_EQUAL) {
            CloseHandle(process);
            return ERROR_SUCCESS;
        }
    }
    log(install, L"Brindlow: closing the running " + ours);
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(strip, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &answer);
    bool ended = false;
    if (process != nullptr) {
        ended = WaitForSingleObject(process, kEndMs) == WAIT_OBJECT_0;
        CloseHandle(process);
    } else {
        for (DWORD waited = 0; waited < kEndMs && !ended; waited += 100) {
            Sleep(100);
            ended = FindWindowA(OverlayWindow::kClassName, nullptr) == nullptr;
        }
    }
    if (!ended) {
        log(install,
            L"Brindlow: " + ours + L" is still running and did not close within 10 seconds; nothing was changed");
        return ERROR_INSTALL_FAILURE;
    }
    return ERROR_SUCCESS;
}

// Per machine (ALLUSERS=1), Windows Installer resolves ProgramMenuFolder and
// StartupFolder to every user's folders; Wine's resolves them to the
// installing user's own. Set before CostFinalize, these properties are the
// folders it uses: here, what Windows itself names every user's folders.
extern "C" __declspec(dllexport) UINT __stdcall UseEveryUsersFolders(MSIHANDLE install)
{
    if (property(install, L"ALLUSERS") != L"1") {
        return ERROR_SUCCESS;
    }
    const struct {
        const wchar_t* name;
        int csidl;
    } folders[] = {{L"ProgramMenuFolder", CSIDL_COMMON_PROGRAMS}, {L"StartupFolder", CSIDL_COMMON_STARTUP}};
    for (const auto& f : folders) {
        wchar_t path[MAX_PATH] = {};
        if (SUCCEEDED(SHGetFolderPathW(nullptr, f.csidl, nullptr, SHGFP_TYPE_CURRENT, path))) {
            MsiSetPropertyW(install, f.name, (std::wstring(path) + L"\\").c_str());
        }
    }
    return ERROR_SUCCESS;
}
