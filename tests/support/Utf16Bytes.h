#pragma once
// UTF-16 units as bytes in either order, written out by the tests rather
// than by the code under test.
#include <string>

inline std::string utf16(const std::u16string& units, bool big_endian)
{
    std::string out;
    for (char16_t u : units) {
        const char high = static_cast<char>(u >> 8);
        const char low = static_cast<char>(u & 0xFF);
        out += big_endian ? high : low;
        out += big_endian ? low : high;
    }
    return out;
}
