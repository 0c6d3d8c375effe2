#pragma once

#include <cstddef>
#include <string>

// Text is UTF-8 in std::string everywhere; these read and check it. Nothing
// here trusts its input: a malformed sequence is one bad byte, never a read
// past the end.

constexpr char32_t kReplacementCharacter = 0xFFFD;

// The code point starting at byte i, and the byte after it. A byte that does
// not start a well-formed sequence (an overlong form, a surrogate, beyond
// U+10FFFF, cut short) reads as U+FFFD and moves on by one byte.
char32_t utf8_next(const std::string& text, std::size_t* i);
// Whether the whole text is well-formed UTF-8.
bool utf8_valid(const std::string& text);
// Code points, counting each bad byte as one.
std::size_t utf8_length(const std::string& text);
void utf8_append(std::string* out, char32_t cp);
// Well-formed, with no control characters (C0, DEL, C1): text a line may show.
bool printable_utf8(const std::string& text);
