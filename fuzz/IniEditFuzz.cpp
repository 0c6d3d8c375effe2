// libFuzzer target: any bytes as a settings file, one key set and one removed.
// What the reader takes afterwards must be the new value, and every other
// key exactly as before.
#include "IniEdit.h"
#include "INIReader.h"

#include <cstdint>
#include <string>

namespace {
IniData read(const std::string& text)
{
    INIReader reader;
    IniData data = reader.parse_text(text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? text.substr(3) : text);
    data.erase("return");
    return data;
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    // The reader stops at Ctrl-Z (DOS's end of text) and at a NUL: what
    // follows is no longer the file's as far as it is concerned.
    if (text.find('\x1A') != std::string::npos || text.find('\0') != std::string::npos) {
        return 0;
    }
    for (const char* section : {"overlay", ""}) {
        IniData expected = read(text);
        expected[section]["corner"] = "bottom-right";
        if (read(set_ini_key(text, section, "corner", "bottom-right")) != expected) {
            __builtin_trap();
        }
        IniData removed = read(text);
        removed[section].erase("corner");
        if (removed[section].empty()) {
            removed.erase(section);
        }
        IniData after = read(remove_ini_key(text, section, "corner"));
        if (after[section].empty()) {
            after.erase(section);
        }
        if (after != removed) {
            __builtin_trap();
        }
    }
    return 0;
}
