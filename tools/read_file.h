#pragma once

// The whole of a file as bytes, for the host tools; empty if it cannot be read.
#include <cstdio>
#include <vector>

inline std::vector<unsigned char> read_file(const char* path)
{
    std::vector<unsigned char> bytes;
    std::FILE* f = std::fopen(path, "rb");
    if (f == nullptr) {
        return bytes;
    }
    unsigned char chunk[65536];
    std::size_t n = 0;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    std::fclose(f);
    return bytes;
}
