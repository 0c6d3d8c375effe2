#include "FileBytes.h"

#include <cerrno>
#include <algorithm>
#include <cstdio>

int read_file_bytes(const std::string& path, std::size_t limit, std::string* bytes, bool* missing)
{
    bytes->clear();
    errno = 0;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    *missing = f == nullptr && errno == ENOENT;
    if (f == nullptr) {
        return -1;
    }
    char buffer[65536];
    std::size_t n = 0;
    while (bytes->size() < limit &&
           (n = std::fread(buffer, 1, std::min(sizeof buffer, limit - bytes->size()), f)) > 0) {
        bytes->append(buffer, n);
    }
    const bool failed = std::ferror(f) != 0;
    // Closing a file that was only read from cannot lose anything.
    (void)std::fclose(f);
    return failed ? -1 : 0;
}
