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
