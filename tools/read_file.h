#pragma once

// The whole of a file as bytes, for the host tools; empty if it cannot be
// read. The reading is the portable layer's own (FileBytes), built with the
// tool: g++ tools/X.cpp src/portable/FileBytes.cpp -Iinclude/portable.
#include "FileBytes.h"

#include <string>
#include <vector>

inline std::vector<unsigned char> read_file(const char* path)
{
    std::string bytes;
    bool missing = false;
    if (read_file_bytes(path, std::string::npos, &bytes, &missing) != 0) {
        return {};
    }
    return std::vector<unsigned char>(bytes.begin(), bytes.end());
}
