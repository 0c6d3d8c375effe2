#pragma once

#include "Settings.h"

#include <string>
#include <vector>

// The settings in force from every place they come from, lowest first:
// the built-in ones, the computer's defaults file (%ProgramData%\Brindlow),
// the user's file, the user's policies, the computer's policies. Plain data
// in, plain data out: the program only reads the files and the registry.

// Where a policy value was read: the computer's policies or the user's.
enum class PolicyScope { Machine, User };

// One value under Software\Policies\Brindlow as the registry holds it: a
// settings key (its section is the subkey), or with an empty section one of
// Brindlow's own policies (PolicyNames.h). A REG_SZ's text as it stands, a
// REG_DWORD's as its decimal number; `text_or_number` false for any other
// type, which no key takes.
struct PolicyValue {
    PolicyScope scope;
    std::string section;
    std::string key;
    std::string text;
    bool text_or_number = true;
};

// A settings file as a layer: its path (empty: there is none) and its bytes
// as read (at most kMaxSettingsBytes + 1 of them).
struct SettingsFileLayer {
    std::string path;
    std::string bytes;
};

// Brindlow's own policies as they stand.
struct OwnPolicies {
    bool updates_hidden = false; // UpdatePage empty
    std::string update_page; // UpdatePage's https:// address; empty: the release page
    bool settings_hidden = false; // HideSettings 1
    bool start_at_login = false; // StartAtLogin 1

    bool operator==(const OwnPolicies& o) const
    {
        return updates_hidden == o.updates_hidden && update_page == o.update_page &&
               settings_hidden == o.settings_hidden && start_at_login == o.start_at_login;
    }
    bool operator!=(const OwnPolicies& o) const { return !(*this == o); }
};

struct LayeredSettings {
    Settings settings;
    // The user's file's problems as a file load words them (the balloon
    // names that file), then the computer's file's, each after its path,
    // then the policies', each naming its policy.
    std::vector<std::string> problems;
    // The keys a policy sets ("colour"), in the key table's order: the
    // menu cannot change them.
    std::vector<std::string> locked;
    OwnPolicies own;
};

// The settings from the two files and the policies. A value a layer refuses
// leaves the one below it in force; the computer's policy wins over the
// user's for the same key.
LayeredSettings layer_settings(const SettingsFileLayer& computer, const SettingsFileLayer& user,
                               const std::vector<PolicyValue>& policies);

// Where a policy lives, as an administrator would look for it:
// "HKLM\Software\Policies\Brindlow\text" (an empty section: the root).
std::string policy_place(PolicyScope scope, const std::string& section);

// Whether a policy sets `key`.
bool key_locked(const std::vector<std::string>& locked, const std::string& key);

// Whether any policy is in force: a key set, or one of Brindlow's own.
bool any_policy(const LayeredSettings& layered);
