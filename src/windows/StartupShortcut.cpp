#include "StartupShortcut.h"

#include "WideText.h"

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

namespace {
// A shell link and its file interface, with COM held while they are open.
// COM is balanced on every path: the thread may already have it, in any
// model.
struct OpenLink {
    HRESULT com = E_FAIL;
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;

    HRESULT open()
    {
        com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                      reinterpret_cast<void**>(&link));
        if (SUCCEEDED(hr)) {
            hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
        }
        return hr;
    }
    void close()
    {
        if (file != nullptr) {
            file->Release();
            file = nullptr;
        }
        if (link != nullptr) {
            link->Release();
            link = nullptr;
        }
        if (SUCCEEDED(com)) {
            CoUninitialize();
        }
        com = E_FAIL;
    }
};
}

std::string StartupShortcut::target()
{
    const std::string p = path();
    if (p.empty() || GetFileAttributesA(p.c_str()) == INVALID_FILE_ATTRIBUTES) {
        return std::string();
    }
    OpenLink s;
    std::string result;
    // IPersistFile takes only wide names.
    if (SUCCEEDED(s.open()) && SUCCEEDED(s.file->Load(widen_path(p).c_str(), STGM_READ))) {
        char buf[MAX_PATH] = {};
        // The path as saved: no search for a moved target, no 8.3 form.
        if (s.link->GetPath(buf, MAX_PATH, nullptr, SLGP_RAWPATH) == S_OK) {
            result = buf;
        }
    }
    s.close();
    return result;
}

namespace {
// The full, long form of a path: the one way Windows names the file, up to case.
std::string canonical(const std::string& path)
{
    char full[MAX_PATH] = {};
    const DWORD n = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    if (n == 0 || n >= MAX_PATH) {
        return path;
    }
    // Short names are known only for files that exist; otherwise the full
    // path is the best there is.
    char longer[MAX_PATH] = {};
    const DWORD m = GetLongPathNameA(full, longer, MAX_PATH);
    return m > 0 && m < MAX_PATH ? std::string(longer) : std::string(full);
}
}

bool StartupShortcut::same_file(const std::string& a, const std::string& b)
{
    if (a.empty() || b.empty()) {
        return false;
    }
    // File names compare as NTFS does: ordinal, ignoring case by Windows'
    // own upper-case table, not by the user's locale.
    return CompareStringOrdinal(widen(canonical(a)).c_str(), -1, widen(canonical(b)).c_str(), -1, TRUE) == CSTR_EQUAL;
}

bool StartupShortcut::starts(const std::string& exe) { return same_file(target(), exe); }

bool StartupShortcut::starts_this_copy()
{
    char exe[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(nullptr, exe, MAX_PATH);
    return n > 0 && n < MAX_PATH && starts(exe);
}

int StartupShortcut::create(const std::string& target, const std::string& workdir)
{
    const std::string p = path();
    if (p.empty()) {
        return -1;
    }
    OpenLink s;
    HRESULT hr = s.open();
    if (SUCCEEDED(hr)) {
        s.link->SetPath(target.c_str());
        s.link->SetWorkingDirectory(workdir.c_str());
        s.link->SetDescription("Brindlow");
        // IPersistFile takes only wide names.
        hr = s.file->Save(widen_path(p).c_str(), TRUE);
    }
    s.close();
    return SUCCEEDED(hr) ? 0 : -1;
}

int StartupShortcut::remove()
{
    const std::string p = path();
    return !p.empty() && DeleteFileA(p.c_str()) ? 0 : -1;
}

int StartupShortcut::start_this_copy()
{
    if (starts_this_copy()) {
        return 0;
    }
    char exe[MAX_PATH] = {};
    char workdir[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(nullptr, exe, MAX_PATH);
    const DWORD m = GetCurrentDirectoryA(MAX_PATH, workdir);
    if (n == 0 || n >= MAX_PATH || m == 0 || m >= MAX_PATH) {
        return -1;
    }
    return create(exe, workdir);
}
