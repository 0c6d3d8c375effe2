#include "IniEdit.h"

#include "INIReader.h"
#include "IniLines.h"
#include "TextEncoding.h"
#include "TextTrim.h"

#include <vector>

namespace {
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr const char* kNotText = "the new value cannot be written in the file's encoding";
constexpr const char* kNotKept = "the change cannot be written in the file's encoding";
constexpr const char* kNotRead = "a Ctrl-Z character (end of text) is in the way of the change";
constexpr char kEndOfText = '\x1A';

std::string join(const std::vector<IniLine>& lines)
{
    std::string out;
    for (const IniLine& l : lines) {
        out += l.body + l.end;
    }
    return out;
}

// Whether the line sets the key (active), or is a comment that would ("; key = ...").
bool sets_key(const std::string& body, const std::string& key, bool* commented)
{
    std::string line = trim(body);
    *commented = ini_comment(line);
    if (*commented) {
        line = line.substr(1);
    }
    std::string name, value;
    return ini_setting(line, &name, &value) && name == key;
}

// Where a key stands in the text: its last active line, else the first
// commented-out one in its section; the section's last line that is not
// blank; whether the section exists at all.
struct Found {
    int active = -1;
    int commented = -1;
    int section_end = -1;
    bool section = false;
};

Found find_key(const std::vector<IniLine>& lines, const std::string& section, const std::string& key)
{
    Found f;
    // Keys before any header belong to the section without a name.
    std::string current;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string body = lines[i].body;
        if (i == 0 && body.compare(0, 3, kByteOrderMark) == 0) {
            body = body.substr(3);
        }
        std::string name;
        if (ini_header(body, &name)) {
            current = name;
            if (current == section) {
                f.section = true;
                f.section_end = static_cast<int>(i);
            }
            continue;
        }
        if (current != section) {
            continue;
        }
        if (!trim(body).empty()) {
            f.section_end = static_cast<int>(i);
        }
        bool commented = false;
        if (sets_key(body, key, &commented)) {
            if (!commented) {
                f.active = static_cast<int>(i);
            } else if (f.commented < 0) {
                f.commented = static_cast<int>(i);
            }
        }
    }
    if (section.empty()) {
        f.section = true;
    }
    return f;
}

// The line ending the text already uses, for lines it did not have.
std::string line_end(const std::string& text) { return text.find("\r\n") != std::string::npos ? "\r\n" : "\n"; }

// The ending for a last line followed by a new one: a lone CR, which ended
// it only because nothing came after, becomes CR LF.
std::string end_for(const std::string& end, const std::string& eol)
{
    return end.empty() ? eol : end == "\r" ? "\r\n" : end;
}

// What the reader takes from the text, without its status.
IniData read_settings_text(const std::string& text)
{
    INIReader reader;
    IniData data = reader.parse_text(text.compare(0, 3, kByteOrderMark) == 0 ? text.substr(3) : text);
    data.erase("return");
    return data;
}

// The line at i, keeping any byte-order mark it starts with.
void replace_line(std::vector<IniLine>& lines, int i, const std::string& body)
{
    IniLine& l = lines[static_cast<std::size_t>(i)];
    const bool bom = i == 0 && l.body.compare(0, 3, kByteOrderMark) == 0;
    l.body = (bom ? std::string(kByteOrderMark) : std::string()) + body;
}
}

std::string set_ini_key(const std::string& text, const std::string& section, const std::string& key,
                        const std::string& value)
{
    std::vector<IniLine> lines = split_ini_lines(text);
    const Found f = find_key(lines, section, key);
    const std::string setting = key + " = " + value;
    const std::string eol = line_end(text);
    if (f.active >= 0 || f.commented >= 0) {
        replace_line(lines, f.active >= 0 ? f.active : f.commented, setting);
        return join(lines);
    }
    if (f.section && f.section_end >= 0) {
        IniLine& last = lines[static_cast<std::size_t>(f.section_end)];
        last.end = end_for(last.end, eol);
        lines.insert(lines.begin() + f.section_end + 1, IniLine{setting, eol});
        return join(lines);
    }
    if (f.section) {
        // Keys without a section go first, before any header (after the mark).
        const bool bom = !lines.empty() && lines[0].body.compare(0, 3, kByteOrderMark) == 0;
        if (bom) {
            lines[0].body = lines[0].body.substr(3);
        }
        lines.insert(lines.begin(), IniLine{(bom ? std::string(kByteOrderMark) : std::string()) + setting, eol});
        return join(lines);
    }
    // A blank line before the new section, unless the text is empty but
    // for its byte-order mark.
    std::string out = text;
    if (!out.empty() && out != kByteOrderMark) {
        if (out.back() != '\n') {
            out += out.back() == '\r' ? "\n" : eol;
        }
        out += eol;
    }
    return out + "[" + section + "]" + eol + setting + eol;
}

std::string remove_ini_key(const std::string& text, const std::string& section, const std::string& key)
{
    std::vector<IniLine> lines = split_ini_lines(text);
    for (Found f = find_key(lines, section, key); f.active >= 0; f = find_key(lines, section, key)) {
        const bool bom = f.active == 0 && lines[0].body.compare(0, 3, kByteOrderMark) == 0;
        if (f.active == 0 && !bom && lines.size() > 1 && lines[1].body.compare(0, 3, kByteOrderMark) == 0) {
            // Those bytes mid-file are part of a key; first, they would be
            // taken for a byte-order mark. The line stays, empty.
            lines[0].body.clear();
            continue;
        }
        lines.erase(lines.begin() + f.active);
        if (bom) {
            if (lines.empty()) {
                return kByteOrderMark;
            }
            lines[0].body = std::string(kByteOrderMark) + lines[0].body;
        }
    }
    return join(lines);
}

int edit_ini_file(const std::string& bytes, const std::string& section, const std::string& key,
                  const std::string& value, bool remove, std::string* out, std::string* why)
{
    const DecodedText decoded = decode_text(bytes);
    if (!decoded.faithful) {
        *why = decoded.problem;
        return -1;
    }
    const std::string edited =
        remove ? remove_ini_key(decoded.text, section, key) : set_ini_key(decoded.text, section, key, value);
    // The reader stops at Ctrl-Z; the editor does not, and may change a
    // line after it, add one there, or take out the Ctrl-Z with the rest of
    // a line: what the reader takes must be what it took, and the change.
    if (decoded.text.find(kEndOfText) != std::string::npos) {
        IniData expected = read_settings_text(decoded.text);
        if (remove) {
            expected[section].erase(key);
        } else {
            expected[section][key] = value;
        }
        // The reader makes no entry for a section without keys.
        if (expected[section].empty()) {
            expected.erase(section);
        }
        if (read_settings_text(edited) != expected) {
            *why = kNotRead;
            return -1;
        }
    }
    if (encode_text(edited, decoded.encoding, out) != 0) {
        *why = kNotText;
        return -1;
    }
    // Read back as the reader will: the same encoding, and the same text.
    const DecodedText back = decode_text(*out);
    if (back.encoding != decoded.encoding || back.text != edited || !back.faithful) {
        *why = kNotKept;
        return -1;
    }
    return 0;
}
