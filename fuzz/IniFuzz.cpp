// libFuzzer target: any bytes as an INI file.
#include "INIReader.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The reader takes a path: the input goes through a file of this process's own.
    static const std::string path = "/tmp/brindlow-ini-fuzz-" + std::to_string(getpid()) + ".ini";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        return 0;
    }
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    INIReader reader;
    const IniData result = reader.parse_file(path);
    // The status entry is always there, and a readable file says "false".
    if (result.at("return").at("failed") != "false") {
        __builtin_trap();
    }
    for (const auto& section : result) {
        for (const auto& kv : section.second) {
            // Keys and values come trimmed.
            if (kv.first != trim(kv.first) || kv.second != trim(kv.second)) {
                __builtin_trap();
            }
        }
    }
    return 0;
}
