#include "INIReader.h"

#include "FileBytes.h"
#include "IniLines.h"

#include <utility>

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

std::string trim(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return std::string();
    }
    const std::size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
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

IniData INIReader::parse_file(std::string file_path)
{
    path = std::move(file_path);
    std::string bytes;
    bool missing = false;
    const int read = read_file_bytes(path, std::string::npos, &bytes, &missing);
    // A read error (or a directory, which opens but cannot be read) is not
    // the end of the file: keep the lines read whole before it, but say so.
    // Text after a Ctrl-Z is not read, so a failure after one is no failure.
    const bool failed = read != 0 && bytes.find(static_cast<char>(kEndOfText)) == std::string::npos;
    if (failed) {
        const std::size_t last_line_feed = bytes.rfind('\n');
        bytes.erase(last_line_feed == std::string::npos ? 0 : last_line_feed + 1);
    }
    IniData result = parse_text(bytes);
    result[kStatusSection][kStatusKey] = failed ? "true" : "false";
    return result;
}
