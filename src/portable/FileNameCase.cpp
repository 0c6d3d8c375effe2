#include "FileNameCase.h"

#include "Utf8.h"

#include <algorithm>
#include <iterator>

namespace {
struct CaseRange {
    char16_t first;
    char16_t last;
    int stride;
    int delta;
};

// From Unicode's data by scripts/make-upcase.
constexpr CaseRange kUpcase[] = {
#include "FileNameCase.inc"
};

constexpr char32_t kLastUnit = 0xFFFF;
}

char16_t windows_upcase(char16_t unit)
{
    const CaseRange* r = std::upper_bound(std::begin(kUpcase), std::end(kUpcase), unit,
                                          [](char16_t u, const CaseRange& range) { return u < range.first; });
    if (r == std::begin(kUpcase)) {
        return unit;
    }
    --r;
    if (unit > r->last || (unit - r->first) % r->stride != 0) {
        return unit;
    }
    return static_cast<char16_t>(unit + r->delta);
}

std::string upcase_file_name(const std::string& utf8)
{
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t at = i;
        const char32_t cp = utf8_next(utf8, &i);
        if (cp == kReplacementCharacter && utf8.compare(at, i - at, "\xEF\xBF\xBD") != 0) {
            out.append(utf8, at, i - at);
        } else {
            // Beyond the plane a character is two surrogate units, which
            // Windows' table leaves as they are.
            utf8_append(&out, cp > kLastUnit ? cp : windows_upcase(static_cast<char16_t>(cp)));
        }
    }
    return out;
}
