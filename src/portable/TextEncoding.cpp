#include "TextEncoding.h"

#include "Utf8.h"

namespace {
constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";
constexpr char kUtf16LeMark[] = "\xFF\xFE";
constexpr char kUtf16BeMark[] = "\xFE\xFF";
constexpr std::size_t kUtf16MarkBytes = 2;
constexpr char32_t kSurrogateFirst = 0xD800;
constexpr char32_t kLowSurrogateFirst = 0xDC00;
constexpr char32_t kSurrogateLast = 0xDFFF;
constexpr char32_t kFirstSupplementary = 0x10000;
constexpr const char* kNulBytes = "holds NUL bytes, not text (save the file as UTF-8)";
constexpr const char* kOddByte = "not UTF-16: its last byte is half a character (save the file as UTF-8)";
constexpr const char* kNotUtf8 = "not UTF-8 (save the file as UTF-8)";
constexpr const char* kNotUtf16 = "not UTF-16: half of a surrogate pair (type the character again)";

// A surrogate code point in the three bytes UTF-8's pattern gives it.
void append_surrogate(std::string* out, char32_t unit)
{
    *out += static_cast<char>(0xE0U | (unit >> 12U));
    *out += static_cast<char>(0x80U | ((unit >> 6U) & 0x3FU));
    *out += static_cast<char>(0x80U | (unit & 0x3FU));
}

// The surrogate whose three-byte form starts at byte i, or 0.
char32_t surrogate_at(const std::string& text, std::size_t i)
{
    const auto byte = [&text](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    if (text.size() - i < 3 || byte(i) != 0xEDU || (byte(i + 1) & 0xE0U) != 0xA0U || (byte(i + 2) & 0xC0U) != 0x80U) {
        return 0;
    }
    return 0xD000U | ((byte(i + 1) & 0x3FU) << 6U) | (byte(i + 2) & 0x3FU);
}

void append_unit(std::string* out, char32_t unit, bool big_endian)
{
    const char high = static_cast<char>(unit >> 8U);
    const char low = static_cast<char>(unit & 0xFFU);
    *out += big_endian ? high : low;
    *out += big_endian ? low : high;
}
}

DecodedText decode_text(const std::string& bytes)
{
    DecodedText d;
    const bool le = bytes.compare(0, kUtf16MarkBytes, kUtf16LeMark) == 0;
    const bool be = bytes.compare(0, kUtf16MarkBytes, kUtf16BeMark) == 0;
    if (!le && !be) {
        d.text = bytes;
        if (bytes.find('\0') != std::string::npos) {
            d.problem = kNulBytes;
            d.faithful = false;
        }
        return d;
    }
    d.encoding = le ? TextEncoding::Utf16Le : TextEncoding::Utf16Be;
    const auto unit = [&bytes, be](std::size_t k) {
        const auto first = static_cast<unsigned char>(bytes[k]);
        const auto second = static_cast<unsigned char>(bytes[k + 1]);
        return static_cast<char32_t>(be ? (first << 8U) | second : first | (second << 8U));
    };
    d.text = kUtf8Mark;
    bool nul = false;
    for (std::size_t k = kUtf16MarkBytes; k + 1 < bytes.size(); k += 2) {
        const char32_t cp = unit(k);
        nul = nul || cp == 0;
        if (cp < kSurrogateFirst || cp > kSurrogateLast) {
            utf8_append(&d.text, cp);
            continue;
        }
        const char32_t low = k + 3 < bytes.size() ? unit(k + 2) : 0;
        if (cp < kLowSurrogateFirst && low >= kLowSurrogateFirst && low <= kSurrogateLast) {
            utf8_append(&d.text, kFirstSupplementary + ((cp - kSurrogateFirst) << 10U) + (low - kLowSurrogateFirst));
            k += 2;
        } else {
            append_surrogate(&d.text, cp);
        }
    }
    if (bytes.size() % 2 != 0) {
        d.problem = kOddByte;
        d.faithful = false;
    } else if (nul) {
        d.problem = kNulBytes;
        d.faithful = false;
    }
    return d;
}

int encode_text(const std::string& text, TextEncoding encoding, std::string* out)
{
    if (encoding == TextEncoding::Utf8) {
        *out = text;
        return 0;
    }
    const bool be = encoding == TextEncoding::Utf16Be;
    out->clear();
    for (std::size_t i = 0; i < text.size();) {
        const char32_t surrogate = surrogate_at(text, i);
        if (surrogate != 0) {
            append_unit(out, surrogate, be);
            i += 3;
            continue;
        }
        const std::size_t at = i;
        const char32_t cp = utf8_next(text, &i);
        if (cp == kReplacementCharacter && i == at + 1) {
            return -1;
        }
        if (cp < kFirstSupplementary) {
            append_unit(out, cp, be);
        } else {
            append_unit(out, kSurrogateFirst + ((cp - kFirstSupplementary) >> 10U), be);
            append_unit(out, kLowSurrogateFirst + ((cp - kFirstSupplementary) & 0x3FFU), be);
        }
    }
    return 0;
}

const char* malformed_text_problem(TextEncoding encoding)
{
    return encoding == TextEncoding::Utf8 ? kNotUtf8 : kNotUtf16;
}
