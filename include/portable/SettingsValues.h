#pragma once

#include <cstddef>
#include <string>

// The kinds of value several settings keys share, each checked whole: a
// value is taken only when all of it is right.

// A whole number from lo to hi, in at most five digits (no sign).
bool parse_int(const std::string& value, int lo, int hi, int* out);
// true or false.
bool parse_bool(const std::string& v, bool* out);
// A colour that shows: #RRGGBB, but not the key colour, which would be
// drawn see-through.
bool parse_shown_rgb(const std::string& value, unsigned int* out);
// At most `longest` characters of printable UTF-8 text, in any script.
bool parse_printable(const std::string& v, std::size_t longest, std::string* out);
// At most `longest` bytes of printable ASCII.
bool printable_ascii(const std::string& v, std::size_t longest);
