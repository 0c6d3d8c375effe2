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

std::string StartupShortcut::target()
{
    const std::string p = path();
    if (p.empty() || GetFileAttributesA(p.c_str()) == INVALID_FILE_ATTRIBUTES) {
        return std::string();
    }
    // Balanced on every path: the thread may already have COM, in any model.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::string result;
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  reinterpret_cast<void**>(&link));
    if (SUCCEEDED(hr)) {
        hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    }
    if (SUCCEEDED(hr)) {
        hr = file->Load(widen(p).c_str(), STGM_READ);
    }
    if (SUCCEEDED(hr)) {
        char buf[MAX_PATH] = {};
        // The path as saved: no search for a moved target, no 8.3 form.
        if (link->GetPath(buf, MAX_PATH, nullptr, SLGP_RAWPATH) == S_OK) {
            result = buf;
        }
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
