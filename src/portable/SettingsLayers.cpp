#include "SettingsLayers.h"

#include "PolicyNames.h"
#include "SettingsKeys.h"
#include "SettingsProblems.h"
#include "TextEncoding.h"

#include <algorithm>
#include <cctype>

namespace {
constexpr const char* kMachineRoot = "HKLM\\";
constexpr const char* kUserRoot = "HKCU\\";
constexpr const char* kHttps = "https://";
// Longer than any address an organisation's page needs; Windows' own limit
// for an address handed to the shell is about this.
constexpr std::size_t kMaxUpdatePage = 2048;

std::string policy_name(const PolicyValue& v)
{
    const std::string place = policy_place(v.scope, v.section);
    return "policy " + place + " " + shown(v.key);
}

bool starts_with_https(const std::string& text)
{
    const std::string prefix = kHttps;
    if (text.size() <= prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) {
            return false;
        }
    }
    return true;
}

// An address the shell opens as one: https://, no spaces or control bytes.
bool usable_address(const std::string& text)
{
    if (!starts_with_https(text) || text.size() > kMaxUpdatePage) {
        return false;
    }
    return std::none_of(text.begin(), text.end(),
                        [](char c) { return static_cast<unsigned char>(c) <= 0x20 || c == 0x7F; });
}

// "1" or "0", as a REG_DWORD's decimal text or a REG_SZ.
bool parse_switch(const std::string& text, bool* on)
{
    if (text == "1" || text == "0") {
        *on = text == "1";
        return true;
    }
    return false;
}

// One of Brindlow's own policies into *own: false, *own unchanged, when
// refused, with *why the problem's end.
bool take_own(const PolicyValue& v, OwnPolicies* own, std::string* why)
{
    if (!v.text_or_number) {
        *why = "not text or a number (REG_SZ or REG_DWORD)";
        return false;
    }
    if (v.key == policy_names::kUpdatePage) {
        if (v.text.empty()) {
            own->updates_hidden = true;
            own->update_page.clear();
            return true;
        }
        if (usable_address(v.text)) {
            own->updates_hidden = false;
            own->update_page = v.text;
            return true;
        }
        *why = "use an https:// address, or nothing to hide Check For Updates";
        return false;
    }
    bool on = false;
    const bool hide = v.key == policy_names::kHideSettings;
    if (hide || v.key == policy_names::kStartAtLogin) {
        if (!parse_switch(v.text, &on)) {
            *why = "use 1 (on) or 0 (off)";
            return false;
        }
        (hide ? own->settings_hidden : own->start_at_login) = on;
        return true;
    }
    *why = std::string("unknown policy; Brindlow's own are ") + policy_names::kUpdatePage + ", " +
           policy_names::kHideSettings + " and " + policy_names::kStartAtLogin;
    return false;
}

// A settings key's policy into *s: false, *s unchanged, when refused, with
// *why the problem's end, worded as a file line's would be.
bool take_key(const PolicyValue& v, Settings* s, std::string* why)
{
    for (const SettingsKey& k : settings_keys()) {
        if (v.section == k.section && v.key == k.name) {
            if (!v.text_or_number) {
                *why = "not text or a number (REG_SZ or REG_DWORD); use " + k.accepted;
                return false;
            }
            if (parse_key(v.section, v.key, v.text, s)) {
                return true;
            }
            *why = refusal_text(k, v.text, TextEncoding::Utf8);
            return false;
        }
    }
    // The file's wording for the same mistake, after the policy's place.
    const std::string problem = unknown_key_problem(v.section, v.key);
    const std::string where = key_about(v.section, v.key) + ": ";
    *why = problem.compare(0, where.size(), where) == 0 ? problem.substr(where.size()) : problem;
    return false;
}
}

std::string policy_place(PolicyScope scope, const std::string& section)
{
    return std::string(scope == PolicyScope::Machine ? kMachineRoot : kUserRoot) + policy_names::kPolicyRoot +
           (section.empty() ? std::string() : "\\" + shown(section));
}

bool key_locked(const std::vector<std::string>& locked, const std::string& key)
{
    return std::find(locked.begin(), locked.end(), key) != locked.end();
}

bool any_policy(const LayeredSettings& layered) { return !layered.locked.empty() || layered.own != OwnPolicies{}; }

LayeredSettings layer_settings(const SettingsFileLayer& computer, const SettingsFileLayer& user,
                               const std::vector<PolicyValue>& policies)
{
    LayeredSettings out;
    Settings base = default_settings();
    std::vector<std::string> computer_problems;
    if (!computer.path.empty()) {
        SettingsLoad load = settings_from_bytes(computer.path, computer.bytes);
        base = load.settings;
        for (const std::string& p : load.problems) {
            // A file too large already names itself.
            computer_problems.push_back(
                p.compare(0, computer.path.size(), computer.path) == 0 ? p : computer.path + ": " + p);
        }
    }
    SettingsLoad load =
        user.path.empty() ? SettingsLoad{base, {}} : settings_from_bytes_over(base, user.path, user.bytes);
    out.settings = load.settings;
    out.problems = load.problems;
    out.problems.insert(out.problems.end(), computer_problems.begin(), computer_problems.end());

    // The user's policies first, so that the computer's, applied after them,
    // win; a refused value leaves the layer below in force.
    std::vector<std::string> locked;
    for (PolicyScope scope : {PolicyScope::User, PolicyScope::Machine}) {
        for (const PolicyValue& v : policies) {
            if (v.scope != scope) {
                continue;
            }
            std::string why;
            const bool taken = v.section.empty() ? take_own(v, &out.own, &why) : take_key(v, &out.settings, &why);
            if (!taken) {
                // Every refusal says why, so the sentence always has its ": ".
                out.problems.push_back(problem_text(
                    {policy_name(v) + (v.text_or_number ? " = " + shown(v.text) : std::string()), why, "", ""}));
            } else if (!v.section.empty()) {
                locked.push_back(v.key);
            }
        }
    }
    for (const SettingsKey& k : settings_keys()) {
        if (key_locked(locked, k.name)) {
            out.locked.emplace_back(k.name);
        }
    }
    return out;
}
