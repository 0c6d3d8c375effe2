#include "SystemFiles.h"

#include <windows.h>

#include <algorithm>

std::string reason_text(unsigned long code)
{
    char text[256] = {};
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                             sizeof text, nullptr);
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' ' || text[n - 1] == '.')) {
        --n;
    }
    return n > 0 ? std::string(text, n) : "error " + std::to_string(code);
}

int read_open_file(void* file, std::size_t limit, std::string* bytes)
{
    char buffer[4096];
    DWORD n = 0;
    while (bytes->size() < limit) {
        const DWORD want = static_cast<DWORD>(std::min(sizeof buffer, limit - bytes->size()));
        if (!ReadFile(file, buffer, want, &n, nullptr)) {
            // A range locked with LockFile fails the read, not the open.
            return GetLastError() == ERROR_LOCK_VIOLATION ? 1 : -1;
        }
        if (n == 0) {
            break;
        }
        bytes->append(buffer, n);
    }
    return 0;
}

bool path_exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool path_is_folder(const std::string& path)
{
    const DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

int read_file_bytes_locked(const std::string& path, std::size_t limit, std::string* bytes)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD e = GetLastError();
        return e == ERROR_SHARING_VIOLATION || e == ERROR_LOCK_VIOLATION ? 1 : -1;
    }
    const int result = read_open_file(h, limit, bytes);
    CloseHandle(h);
    return result;
}
