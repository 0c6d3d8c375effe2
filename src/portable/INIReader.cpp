#include "INIReader.h"

#include <cstdio>
#include <utility>

namespace {
constexpr char kStatusSection[] = "return";
constexpr char kStatusKey[] = "failed";
// Ctrl-Z ends a text file, as DOS and the Windows text mode have it.
constexpr int kEndOfText = 0x1A;

void apply_line(const std::string& raw, std::string& section, IniData& result)
{
    const std::string line = trim(raw);
    if (line.empty() || line[0] == ';' || line[0] == '#') {
        return;
    }
    if (line.front() == '[' && line.back() == ']' && line.size() >= 2) {
        section = line.substr(1, line.size() - 2);
        return;
    }
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) {
        return;
    }
    result[section][trim(line.substr(0, eq))] = trim(line.substr(eq + 1));
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
    std::size_t start = 0;
    const std::size_t end_of_text = text.find(static_cast<char>(kEndOfText));
    const std::size_t end = end_of_text == std::string::npos ? text.size() : end_of_text;
    while (start <= end) {
        std::size_t stop = text.find('\n', start);
        if (stop == std::string::npos || stop > end) {
            stop = end;
        }
        std::string line = text.substr(start, stop - start);
        // A CR ends a line before a newline, and also at the very end (a
        // file cut off after it, or saved with old Mac line endings).
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        apply_line(line, section, result);
        start = stop + 1;
    }
    result[kStatusSection][kStatusKey] = "false";
    return result;
}

IniData INIReader::parse_file(std::string file_path)
{
    IniData result;
    std::string section;
    result[kStatusSection][kStatusKey] = "true";
    path = std::move(file_path);

    // Bytes, not the platform's text mode: the line rules below are the same
    // everywhere.
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) {
        return result;
    }
    std::string line;
    bool ended = false; // Ctrl-Z seen
    char buffer[65536];
    std::size_t n = 0;
    while (!ended && (n = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
        const char* p = buffer;
        const char* const end = buffer + n;
        while (p < end) {
            const char* stop = p;
            while (stop < end && *stop != '\n' && *stop != kEndOfText) {
                ++stop;
            }
            line.append(p, stop);
            if (stop == end) {
                break;
            }
            if (*stop == kEndOfText) {
                ended = true;
                break;
            }
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            apply_line(line, section, result);
            line.clear();
            p = stop + 1;
        }
    }
    // A read error (or a directory, which opens but cannot be read) is not
    // the end of the file: keep the lines read whole before it, but say so.
    const bool read_failed = !ended && std::ferror(f) != 0;
    // Closing a file that was only read from cannot lose anything.
    (void)std::fclose(f);
    if (!read_failed) {
        // The last line needs no line feed; a CR alone still ends it.
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        apply_line(line, section, result);
    }
    result[kStatusSection][kStatusKey] = read_failed ? "true" : "false";
    return result;
}
