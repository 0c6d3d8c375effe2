#include "INIReader.h"

#include "IniLines.h"

namespace {
constexpr char kStatusSection[] = "return";
constexpr char kStatusKey[] = "failed";
// Ctrl-Z ends a text file, as DOS and the Windows text mode have it.
constexpr int kEndOfText = 0x1A;

void apply_line(const std::string& line, std::string& section, IniData& result)
{
    std::string key, value;
    if (ini_comment(line) || ini_header(line, &section) || !ini_setting(line, &key, &value)) {
        return;
    }
    result[section][key] = value;
}
}

IniData INIReader::parse_text(const std::string& text)
{
    IniData result;
    std::string section;
    const std::size_t end_of_text = text.find(static_cast<char>(kEndOfText));
    for (const IniLine& line : split_ini_lines(text.substr(0, end_of_text))) {
        apply_line(line.body, section, result);
    }
    result[kStatusSection][kStatusKey] = "false";
    return result;
}
