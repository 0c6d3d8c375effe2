#include "FirstStart.h"

#include <windows.h>

#include <shlobj.h>

bool FirstStart::due(bool no_settings)
{
    if (!no_settings || started_at_login()) {
        return false;
    }
    DWORD welcomed = 0;
    DWORD size = sizeof welcomed;
    return RegGetValueA(HKEY_CURRENT_USER, kKey, kValue, RRF_RT_REG_DWORD, nullptr, &welcomed, &size) !=
               ERROR_SUCCESS ||
           welcomed == 0;
}

int FirstStart::mark()
{
    const DWORD welcomed = 1;
    return RegSetKeyValueA(HKEY_CURRENT_USER, kKey, kValue, REG_DWORD, &welcomed, sizeof welcomed) == ERROR_SUCCESS
               ? 0
               : -1;
}

bool FirstStart::started_at_login()
{
    STARTUPINFOA info{};
    info.cb = sizeof info;
    GetStartupInfoA(&info);
    if ((info.dwFlags & STARTF_TITLEISLINKNAME) == 0 || info.lpTitle == nullptr) {
        return false;
    }
    std::string link = info.lpTitle;
    const std::size_t slash = link.find_last_of("\\/");
    if (slash == std::string::npos) {
        return false;
    }
    link.erase(slash);
    // The user's Startup folder, or every user's (an installation for all).
    for (int folder : {CSIDL_STARTUP, CSIDL_COMMON_STARTUP}) {
        char startup[MAX_PATH] = {};
        if (SUCCEEDED(SHGetFolderPathA(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, startup)) &&
            lstrcmpiA(link.c_str(), startup) == 0) {
            return true;
        }
    }
    return false;
}
