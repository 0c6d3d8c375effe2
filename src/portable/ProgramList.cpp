#include "ProgramList.h"

#include "FileNameCase.h"
#include "Problem.h"
#include "Utf8.h"

#include <algorithm>

namespace {
// A file name's longest, as NTFS and FAT keep it (in UTF-16 units; UTF-8
// characters are counted, which is never more).
constexpr std::size_t kMaxFileName = 255;
constexpr const char* kNotInFileNames = "\\/:*?\"<>|";

std::string trimmed(const std::string& s)
{
    const std::size_t first = s.find_first_not_of(" \t");
    return first == std::string::npos ? std::string() : s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

std::string base_name(const std::string& path)
{
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool refuse(std::string* why, const std::string& reason)
{
    if (why != nullptr) {
        *why = reason;
    }
    return false;
}
}

bool parse_program_list(const std::string& text, std::vector<std::string>* out, std::string* why)
{
    std::vector<std::string> list;
    if (trimmed(text).empty()) {
        *out = list;
        return true;
    }
    for (std::size_t start = 0;;) {
        const std::size_t comma = text.find(',', start);
        const std::string name = trimmed(text.substr(start, comma == std::string::npos ? comma : comma - start));
        if (name.empty()) {
            return refuse(why, "a file name between each two commas");
        }
        if (!printable_utf8(name) || utf8_length(name) > kMaxFileName) {
            return refuse(why, shown(name) + " is not a file name");
        }
        if (name.find_first_of(kNotInFileNames) != std::string::npos) {
            const std::string last = trimmed(base_name(name));
            const bool path = name.find_first_of("\\/") != std::string::npos && !last.empty() &&
                              last.find_first_of(kNotInFileNames) == std::string::npos;
            return refuse(why, path ? problem_text({"", "the program's file name alone", last, ""})
                                    : shown(name) + " is not a file name");
        }
        // Windows drops a trailing dot or space from a file name: no program is called that.
        if (name.back() == '.' || name.find('.') == std::string::npos) {
            std::string meant = name;
            while (!meant.empty() && meant.back() == '.') {
                meant.pop_back();
            }
            return refuse(why, problem_text({"", "a program's whole file name", meant + ".exe", ""}));
        }
        list.push_back(upcase_file_name(name));
        if (comma == std::string::npos) {
            break;
        }
        start = comma + 1;
    }
    *out = list;
    return true;
}

bool program_listed(const std::vector<std::string>& list, const std::string& program_path)
{
    const std::string name = upcase_file_name(base_name(program_path));
    // Upper-cased again: a list handed in may be in any case.
    return !name.empty() && std::any_of(list.begin(), list.end(),
                                        [&](const std::string& listed) { return upcase_file_name(listed) == name; });
}
