// libFuzzer target: any bytes as a time pattern, over any broken-down time.
// The formatter never reads out of bounds, agrees with check_format, and
// from a UTF-8 pattern and UTF-8 names writes UTF-8. What it writes is then
// cut into the pieces a line is drawn in, which together are the line.
#include "Settings.h"
#include "TextRuns.h"
#include "TimeFormat.h"
#include "Utf8.h"

#include <cstdint>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The first bytes pick the time's fields and the zone's offset, four bytes
    // (little-endian) each, so that any int reaches the formatter, INT_MIN and
    // INT_MAX included.
    std::tm t{};
    int offset = 0;
    int* const fields[] = {&t.tm_sec,  &t.tm_min,  &t.tm_hour, &t.tm_mday, &t.tm_mon,
                           &t.tm_year, &t.tm_wday, &t.tm_yday, &offset};
    std::size_t used = 0;
    for (int* field : fields) {
        std::uint32_t bits = 0;
        for (int byte = 0; byte < 4 && used < size; ++byte) {
            bits |= static_cast<std::uint32_t>(data[used++]) << (8 * byte);
        }
        std::memcpy(field, &bits, sizeof bits);
    }
    const std::string pattern(reinterpret_cast<const char*>(data) + used, size - used);
    std::string out;
    const bool formatted = format_time(pattern, t, english_names(), ZoneStamp{offset, "Zone"}, &out);
    if (check_format(pattern, nullptr) && !formatted) {
        __builtin_trap(); // accepted, then refused when used
    }
    if (formatted && utf8_valid(pattern) && !utf8_valid(out)) {
        __builtin_trap();
    }
    return 0;
}
