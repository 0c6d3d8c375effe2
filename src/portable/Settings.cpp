#include "Settings.h"

#include "INIReader.h"
#include "SettingsKeys.h"
#include "SettingsProblems.h"
#include "TextEncoding.h"
#include "Utf8.h"

#include <algorithm>

namespace {
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
}

Settings default_settings()
{
    Settings s{};
    for (const SettingsKey& k : settings_keys()) {
        k.parse(k.default_value, s);
    }
    return s;
}

SettingsLoad parse_settings(const std::string& text) { return parse_settings_over(default_settings(), text); }

SettingsLoad parse_settings_over(const Settings& base, const std::string& text)
{
    // Notepad saves UTF-8 with a byte-order mark, which the reader keeps in
    // the first line, and its "Unicode" as UTF-16 with one of its own, which
    // decoding turns into UTF-8's.
    const DecodedText decoded = decode_text(text);
    const bool bom = decoded.text.compare(0, 3, kByteOrderMark) == 0;
    const std::string body = bom ? decoded.text.substr(3) : decoded.text;
    INIReader reader;
    IniData data = reader.parse_text(body);
    data.erase("return");

    SettingsLoad load{base, {}};
    // Each problem with the line it is about, to be reported in the file's order.
    std::vector<std::pair<std::size_t, std::string>> found;
    if (!decoded.problem.empty()) {
        found.emplace_back(0, decoded.problem);
    }
    const std::vector<std::string> known_sections = sections();
    const SettingsKeys table = settings_keys();
    // In the order of the table, so that problems come in the file's
    // documented order whatever order the map holds them in.
    for (const SettingsKey& k : settings_keys()) {
        auto section = data.find(k.section);
        if (section == data.end()) {
            continue;
        }
        auto kv = section->second.find(k.name);
        if (kv == section->second.end()) {
            continue;
        }
        if (!k.parse(kv->second, load.settings)) {
            found.emplace_back(line_of(body, k.section, k.name),
                               problem_text({setting_about(k.section, k.name, kv->second),
                                             refusal_text(k, kv->second, decoded.encoding), "", ""}));
        }
    }
    std::vector<std::string> names;
    for (const auto& section : data) {
        names.push_back(section.first);
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        const bool keys_without_section = name.empty();
        if (!keys_without_section &&
            std::find(known_sections.begin(), known_sections.end(), name) == known_sections.end()) {
            const std::string meant = nearest(name, known_sections);
            found.emplace_back(line_of(body, name, ""), problem_text({"[" + shown(name) + "]", "unknown section",
                                                                      meant.empty() ? "" : "[" + meant + "]", ""}));
            continue;
        }
        std::vector<std::string> keys;
        for (const auto& kv : data[name]) {
            keys.push_back(kv.first);
        }
        std::sort(keys.begin(), keys.end());
        for (const std::string& key : keys) {
            const bool known = std::any_of(table.begin(), table.end(),
                                           [&](const SettingsKey& k) { return name == k.section && key == k.name; });
            if (!known) {
                found.emplace_back(line_of(body, name, key), unknown_key_problem(name, key));
            }
        }
    }
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& problem : found) {
        load.problems.push_back(std::move(problem.second));
    }
    return load;
}

bool parse_key(const std::string& section, const std::string& name, const std::string& value, Settings* s)
{
    for (const SettingsKey& k : settings_keys()) {
        if (section == k.section && name == k.name) {
            // A parser may set part of the settings before it refuses.
            Settings parsed = *s;
            if (!k.parse(value, parsed)) {
                return false;
            }
            *s = parsed;
            return true;
        }
    }
    return false;
}

SettingsLoad settings_from_bytes(const std::string& path, const std::string& bytes)
{
    return settings_from_bytes_over(default_settings(), path, bytes);
}

SettingsLoad settings_from_bytes_over(const Settings& base, const std::string& path, const std::string& bytes)
{
    if (bytes.size() > static_cast<std::size_t>(kMaxSettingsBytes)) {
        return SettingsLoad{base, {path + kTooLargeProblem}};
    }
    return parse_settings_over(base, bytes);
}
