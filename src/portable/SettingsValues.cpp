#include "SettingsValues.h"

#include "SettingsWords.h"
#include "Utf8.h"

#include <algorithm>
#include <cstdlib>

bool parse_int(const std::string& value, int lo, int hi, int* out)
{
    if (value.empty() || value.size() > 5 || value.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    // At most five digits (checked above): no overflow, nothing left over.
    const int n = static_cast<int>(std::strtol(value.c_str(), nullptr, 10));
    if (n < lo || n > hi) {
        return false;
    }
    *out = n;
    return true;
}

bool parse_bool(const std::string& v, bool* out)
{
    if (v == "true" || v == "false") {
        *out = v == "true";
        return true;
    }
    return false;
}

bool parse_shown_rgb(const std::string& value, unsigned int* out)
{
    unsigned int rgb = 0;
    if (!parse_colour_text(value, &rgb) || rgb == kKeyColourRgb) {
        return false;
    }
    *out = rgb;
    return true;
}

bool printable_ascii(const std::string& v, std::size_t longest)
{
    return v.size() <= longest && std::all_of(v.begin(), v.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
}

bool parse_printable(const std::string& v, std::size_t longest, std::string* out)
{
    if (!printable_utf8(v) || utf8_length(v) > longest) {
        return false;
    }
    *out = v;
    return true;
}
