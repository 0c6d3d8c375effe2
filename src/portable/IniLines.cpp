#include "IniLines.h"

#include "TextTrim.h"

std::vector<IniLine> split_ini_lines(const std::string& text)
{
    std::vector<IniLine> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t nl = text.find('\n', start);
        if (nl == std::string::npos) {
            // A CR alone ends the last line too.
            const bool cr = text.back() == '\r';
            lines.push_back(IniLine{text.substr(start, text.size() - start - (cr ? 1 : 0)), cr ? "\r" : ""});
            break;
        }
        const bool cr = nl > start && text[nl - 1] == '\r';
        lines.push_back(IniLine{text.substr(start, nl - start - (cr ? 1 : 0)), cr ? "\r\n" : "\n"});
        start = nl + 1;
    }
    return lines;
}

bool ini_header(const std::string& body, std::string* name)
{
    const std::string line = trim(body);
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
        *name = line.substr(1, line.size() - 2);
        return true;
    }
    return false;
}

bool ini_comment(const std::string& body)
{
    const std::string line = trim(body);
    return !line.empty() && (line[0] == ';' || line[0] == '#');
}

bool ini_setting(const std::string& body, std::string* key, std::string* value)
{
    const std::size_t eq = body.find('=');
    if (eq == std::string::npos) {
        return false;
    }
    *key = trim(body.substr(0, eq));
    *value = trim(body.substr(eq + 1));
    return true;
}
