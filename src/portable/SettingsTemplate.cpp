#include "Settings.h"

#include "SettingsKeys.h"

std::string settings_template()
{
    std::string out = "; Brindlow's settings. Remove the ';' before a key to change it; the\n"
                      "; strip follows within a second of saving. Each line below shows the\n"
                      "; built-in value and what else is accepted.\n";
    for (const std::string& section : sections()) {
        out += "\n[" + section + "]\n";
        for (const SettingsKey& k : settings_keys()) {
            if (section == k.section) {
                out += ";" + std::string(k.name) + " = " + k.default_value + "\n";
                out += ";   " + std::string(k.accepted) + "\n";
            }
        }
    }
    return out;
}
