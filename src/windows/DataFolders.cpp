#include "DataFolders.h"

#include <windows.h>

namespace {
std::string without_last_part(const std::string& path)
{
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}
}

int DataFolders::init()
{
    char buffer[MAX_PATH] = {};
    DWORD n = GetCurrentDirectoryA(MAX_PATH, buffer);
    folders[0] = n > 0 && n < MAX_PATH ? std::string(buffer) : std::string(".");
    n = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    program = n > 0 && n < MAX_PATH ? without_last_part(buffer) : std::string();
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
