// libFuzzer target: any bytes as an INI file.
#include "INIReader.h"
#include "TextTrim.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    INIReader reader;
    const IniData result = reader.parse_text(std::string(reinterpret_cast<const char*>(data), size));
    // The status entry is always there, and says "false".
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
