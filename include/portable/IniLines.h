#pragma once

#include <string>
#include <vector>

// The INI file's line rules, one set for the reader (INIReader), the key
// setter (IniEdit) and the problems' line numbers, so that all three agree
// on which section each line belongs to.

// One line of the text, with the bytes that end it ("\r\n", "\n", a lone
// "\r" at the very end, or none).
struct IniLine {
    std::string body;
    std::string end;
};

// The text's lines. A CR ends a line before a line feed, and also at the very
// end (a file cut off after it, or saved with old Mac line endings); it is
// not part of the body. A text ending in a line feed has no empty line after it.
std::vector<IniLine> split_ini_lines(const std::string& text);
// The section a header line opens: "[name]" once trimmed of spaces and tabs,
// the name as written between the brackets (spaces kept, may be empty);
// false for any other line.
bool ini_header(const std::string& body, std::string* name);
// Whether the line is a comment: ';' or '#' first, once trimmed.
bool ini_comment(const std::string& body);
// The key and the value a line sets: split at its first '=', each trimmed;
// false for a line without one (comments are the caller's to skip).
bool ini_setting(const std::string& body, std::string* key, std::string* value);
