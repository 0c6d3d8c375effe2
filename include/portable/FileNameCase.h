#pragma once

#include <string>

// File names compared as Windows compares them without regard to case: each
// UTF-16 unit through Windows' own upper-casing table (RtlUpcaseUnicodeChar,
// CompareStringOrdinal ignoring case), which maps a letter only to the
// capital that maps back to it (ä and Ä, σ and Σ, ａ and Ａ alike; ı, ς and
// ß each only themselves), and nothing beyond the Basic Multilingual Plane.

// A UTF-16 unit as Windows upper-cases it in file names.
char16_t windows_upcase(char16_t unit);
// The name with every character upper-cased so; bytes that are not UTF-8
// are kept as they are.
std::string upcase_file_name(const std::string& utf8);
