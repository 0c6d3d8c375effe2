#include "SettingsProblems.h"

#include "INIReader.h"
#include "IniLines.h"
#include "SettingsChecks.h"
#include "SettingsData.h"
#include "SettingsKeys.h"
#include "TextEncoding.h"
#include "Utf8.h"

#include <algorithm>

std::string unknown_key_problem(const std::string& section, const std::string& key)
{
    std::vector<std::string> same_section, all;
    std::string home;
    for (const SettingsKey& k : settings_keys()) {
        all.emplace_back(k.name);
        if (section == k.section) {
            same_section.emplace_back(k.name);
        }
        if (key == k.name) {
            home = k.section;
        }
    }
    const std::string where = key_about(section, key);
    if (!home.empty()) {
        return problem_text({where, "belongs in [" + home + "]", "", ""});
    }
    std::string meant = nearest(key, same_section);
    if (meant.empty()) {
        meant = nearest(key, all);
    }
    return problem_text({where, "unknown key", meant, ""});
}

std::size_t line_of(const std::string& text, const std::string& section, const std::string& key)
{
    std::string current;
    std::size_t number = 0;
    for (const IniLine& line : split_ini_lines(text)) {
        ++number;
        std::string name, value;
        if (ini_header(line.body, &name)) {
            current = name;
            if (key.empty() && current == section) {
                return number;
            }
        } else if (!key.empty() && current == section && !ini_comment(line.body) &&
                   ini_setting(line.body, &name, &value) && name == key) {
            return number;
        }
    }
    return static_cast<std::size_t>(-1);
}

std::string refusal_text(const SettingsKey& k, const std::string& value, TextEncoding encoding)
{
    std::string why;
    if (!utf8_valid(value)) {
        why = malformed_text_problem(encoding);
    } else if (takes_time_format(k)) {
        check_format(value, &why);
    } else if (takes_battery_format(k)) {
        check_battery_format(value, &why);
    } else {
        explain_refusal(k, value, &why);
    }
    return (why.empty() ? "" : why + "; ") + "use " + k.accepted;
}
