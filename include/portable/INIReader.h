#pragma once

#include <string>
#include <unordered_map>

// Section name -> (key -> value). Lookups are exact and case-sensitive.
using IniData = std::unordered_map<std::string, std::unordered_map<std::string, std::string>>;

// Reads INI files into IniData. The result carries its own status: section
// "return", key "failed" is "false" when the file was read to its end and
// "true" when it could not be opened or a read failed part-way (what was read
// before the failure is kept).
class INIReader {
public:
    std::string path; // the file asked for last

    IniData parse_file(std::string file_path);
    // The same rules over text already in memory; the status says "false".
    IniData parse_text(const std::string& text);
};

// The text without leading and trailing spaces and tabs.
std::string trim(const std::string& text);
