#include "DataFolders.h"

#include "OptionalFunctions.h"
#include "WideText.h"

#include <windows.h>

namespace {
// What marks the folder Brindlow's files were put in.
constexpr const char* kMarker = "icon.ico";
constexpr DWORD kLongPath = 32768;

std::string without_last_part(const std::string& path)
{
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool holds(const std::string& folder, const char* name)
{
    return GetFileAttributesA((folder + "\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The file's path with every symbolic link on the way followed, as
// GetFinalPathNameByHandle gives it ("\\?\C:\..." or "\\?\UNC\server\...")
// made an ordinary path again; empty when it cannot be told.
std::string final_path(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::string();
    }
    std::string buffer(kLongPath, '\0');
    const DWORD n = GetFinalPathNameByHandleA(file, &buffer[0], kLongPath, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    CloseHandle(file);
    if (n == 0 || n >= kLongPath) {
        return std::string();
    }
    buffer.resize(n);
    if (buffer.rfind("\\\\?\\UNC\\", 0) == 0) {
        return "\\" + buffer.substr(7);
    }
    if (buffer.rfind("\\\\?\\", 0) == 0) {
        return buffer.substr(4);
    }
    return buffer;
}

// Of the folders holding the other names of the file at `real` (hard
// links), the first that holds Brindlow's files, or `otherwise`.
std::string hard_link_folder(const std::string& real, const std::string& otherwise)
{
    optional_functions.init();
    const OptionalFunctions& f = optional_functions;
    char volume[MAX_PATH] = {};
    if (f.FindFirstFileNameW == nullptr || f.FindNextFileNameW == nullptr ||
        !GetVolumePathNameA(real.c_str(), volume, MAX_PATH)) {
        return otherwise;
    }
    // A name comes from the root of its volume, without the drive.
    std::string root = volume;
    if (!root.empty() && (root.back() == '\\' || root.back() == '/')) {
        root.pop_back();
    }
    std::wstring name(kLongPath, L'\0');
    DWORD length = kLongPath;
    HANDLE names = f.FindFirstFileNameW(widen_path(real).c_str(), 0, &length, &name[0]);
    if (names == INVALID_HANDLE_VALUE) {
        return otherwise;
    }
    std::string found = otherwise;
    do {
        const std::string folder = without_last_part(root + narrow(name.substr(0, name.find(L'\0'))));
        if (holds(folder, kMarker)) {
            found = folder;
            break;
        }
        length = kLongPath;
    } while (f.FindNextFileNameW(names, &length, &name[0]));
    FindClose(names);
    return found;
}

// The folder of the file `exe` names that holds Brindlow's files: that of
// its final path (a symbolic link's target), or, as every name of a file
// with several (hard links) is as much its own as any, the first of those
// names whose folder holds them; the final path's folder when none does.
std::string real_folder(const std::string& exe)
{
    const std::string real = final_path(exe);
    if (real.empty()) {
        return without_last_part(exe);
    }
    std::string folder = without_last_part(real);
    if (holds(folder, kMarker)) {
        return folder;
    }
    return hard_link_folder(real, folder);
}
}

int DataFolders::init()
{
    char buffer[MAX_PATH] = {};
    DWORD n = GetCurrentDirectoryA(MAX_PATH, buffer);
    folders[0] = n > 0 && n < MAX_PATH ? std::string(buffer) : std::string(".");
    n = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    program = n > 0 && n < MAX_PATH ? real_folder(buffer) : std::string();
    folders[1] = lstrcmpiA(program.c_str(), folders[0].c_str()) == 0 ? std::string() : program;
    return 0;
}

std::string DataFolders::find(const std::string& relative) const
{
    std::string native = relative;
    for (char& c : native) {
        c = c == '/' ? '\\' : c;
    }
    for (const std::string& folder : folders) {
        if (folder.empty()) {
            continue;
        }
        std::string path = folder;
        path += "\\";
        path += native;
        if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
            return path;
        }
    }
    return std::string();
}

std::string DataFolders::describe() const
{
    return folders[1].empty() ? folders[0] : folders[0] + " and " + folders[1];
}
