#include "StartupShortcut.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

std::string StartupShortcut::path()
{
    char folder[MAX_PATH] = {};
    if (SHGetFolderPathA(nullptr, CSIDL_STARTUP, nullptr, 0, folder) != S_OK) {
        return std::string();
    }
    return std::string(folder) + kName;
}

bool StartupShortcut::exists()
{
    const std::string p = path();
    return !p.empty() && GetFileAttributesA(p.c_str()) != INVALID_FILE_ATTRIBUTES;
}

int StartupShortcut::create(const std::string& target, const std::string& workdir)
{
    const std::string p = path();
    if (p.empty()) {
        return -1;
    }
    // Balanced on every path: the thread may already have COM, in any model.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  reinterpret_cast<void**>(&link));
    if (SUCCEEDED(hr)) {
        link->SetPath(target.c_str());
        link->SetWorkingDirectory(workdir.c_str());
        link->SetDescription("Brindlow");
        hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    }
    if (SUCCEEDED(hr)) {
        // IPersistFile takes only wide names.
        wchar_t wide[MAX_PATH] = {};
        hr = MultiByteToWideChar(CP_ACP, 0, p.c_str(), -1, wide, MAX_PATH) > 0 ? file->Save(wide, TRUE) : E_FAIL;
    }
    if (file != nullptr) {
        file->Release();
    }
    if (link != nullptr) {
        link->Release();
    }
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return SUCCEEDED(hr) ? 0 : -1;
}

int StartupShortcut::remove()
{
    const std::string p = path();
    return !p.empty() && DeleteFileA(p.c_str()) ? 0 : -1;
}
