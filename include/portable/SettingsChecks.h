#pragma once

#include <string>

// The checks of the settings' patterns, which the key table parses with and
// the problems explain by.

// Whether a battery pattern is accepted: only its known {fields}, printable
// UTF-8, at most 64 characters; *why is the reason when it is not.
bool check_battery_format(const std::string& pattern, std::string* why);
// Whether a time pattern (see TimeFormat.h) is accepted: printable UTF-8, at
// most 64 characters, known conversions, a line neither empty nor over 100
// characters; *why is the reason when it is not.
bool check_format(const std::string& pattern, std::string* why);
