#pragma once

#include <string>
#include <unordered_map>

// Section name -> (key -> value). Lookups are exact and case-sensitive.
using IniData = std::unordered_map<std::string, std::unordered_map<std::string, std::string>>;

// Reads INI text (a file's bytes as read by the caller) into IniData. The
// result carries a status, section "return", key "failed", which says
// "false": the text in memory was read to its end.
class INIReader {
public:
    IniData parse_text(const std::string& text);
};
