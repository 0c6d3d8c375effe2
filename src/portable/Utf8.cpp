#include "Utf8.h"

namespace {
constexpr char32_t kMaxCodePoint = 0x10FFFF;
constexpr char32_t kSurrogateFirst = 0xD800;
constexpr char32_t kSurrogateLast = 0xDFFF;

bool continuation(unsigned char b) { return (b & 0xC0U) == 0x80U; }
} // namespace

char32_t utf8_next(const std::string& text, std::size_t* i)
{
    const std::size_t at = *i;
    const auto byte = [&text](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(at);
    ++*i;
    if (lead < 0x80U) {
        return lead;
    }
    // The sequence's length, the lead's payload and the smallest code point
    // it may carry (anything lower is an overlong form).
    std::size_t extra = 0;
    char32_t cp = 0;
    char32_t least = 0;
    if ((lead & 0xE0U) == 0xC0U) {
        extra = 1;
        cp = lead & 0x1FU;
        least = 0x80;
    } else if ((lead & 0xF0U) == 0xE0U) {
        extra = 2;
        cp = lead & 0x0FU;
        least = 0x800;
    } else if ((lead & 0xF8U) == 0xF0U) {
        extra = 3;
        cp = lead & 0x07U;
        least = 0x10000;
    } else {
        return kReplacementCharacter;
    }
    if (text.size() - at - 1 < extra) {
        return kReplacementCharacter;
    }
    for (std::size_t k = 1; k <= extra; ++k) {
        if (!continuation(byte(at + k))) {
            return kReplacementCharacter;
        }
        cp = (cp << 6U) | (byte(at + k) & 0x3FU);
    }
    if (cp < least || cp > kMaxCodePoint || (cp >= kSurrogateFirst && cp <= kSurrogateLast)) {
        return kReplacementCharacter;
    }
    *i = at + 1 + extra;
    return cp;
}

bool utf8_valid(const std::string& text)
{
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t at = i;
        // U+FFFD itself is three bytes; a bad byte reads as it in one.
        if (utf8_next(text, &i) == kReplacementCharacter && i == at + 1) {
            return false;
        }
    }
    return true;
}

std::size_t utf8_length(const std::string& text)
{
    std::size_t n = 0;
    for (std::size_t i = 0; i < text.size(); ++n) {
        (void)utf8_next(text, &i);
    }
    return n;
}

void utf8_append(std::string* out, char32_t cp)
{
    if (cp > kMaxCodePoint || (cp >= kSurrogateFirst && cp <= kSurrogateLast)) {
        cp = kReplacementCharacter;
    }
    if (cp < 0x80) {
        *out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        *out += static_cast<char>(0xC0U | (cp >> 6U));
        *out += static_cast<char>(0x80U | (cp & 0x3FU));
    } else if (cp < 0x10000) {
        *out += static_cast<char>(0xE0U | (cp >> 12U));
        *out += static_cast<char>(0x80U | ((cp >> 6U) & 0x3FU));
        *out += static_cast<char>(0x80U | (cp & 0x3FU));
    } else {
        *out += static_cast<char>(0xF0U | (cp >> 18U));
        *out += static_cast<char>(0x80U | ((cp >> 12U) & 0x3FU));
        *out += static_cast<char>(0x80U | ((cp >> 6U) & 0x3FU));
        *out += static_cast<char>(0x80U | (cp & 0x3FU));
    }
}

bool printable_utf8(const std::string& text)
{
    if (!utf8_valid(text)) {
        return false;
    }
    for (std::size_t i = 0; i < text.size();) {
        const char32_t cp = utf8_next(text, &i);
        if (cp < 0x20 || (cp >= 0x7F && cp < 0xA0)) {
            return false;
        }
    }
    return true;
}
