#pragma once

// The registry names an administrator's policies use. One header, so the
// program that reads them and the templates that write them cannot differ.
//
// A settings key set by policy is a value named as the key (`colour`) under
// kPolicyRoot\<section> (`Software\Policies\Brindlow\text`), in
// HKEY_LOCAL_MACHINE (the computer) or HKEY_CURRENT_USER (the user); a REG_SZ
// holding exactly what a settings-file line holds after `=`, or a REG_DWORD
// read as its decimal text. The computer's value wins over the user's, and
// either over the settings files.
//
// Brindlow's own policies are values directly under kPolicyRoot, in either
// root (the computer's wins).

namespace policy_names {

inline constexpr const char* kPolicyRoot = "Software\\Policies\\Brindlow";

// The key watched for a policy root that does not exist yet.
inline constexpr const char* kPoliciesParent = "Software\\Policies";

// REG_SZ: empty hides "Check For Updates"; an https:// address is opened by it
// instead of the release page; anything else is refused and reported.
inline constexpr const char* kUpdatePage = "UpdatePage";

// REG_DWORD 1: hides "Settings..." and every menu item that changes a setting.
inline constexpr const char* kHideSettings = "HideSettings";

// REG_DWORD 1: Brindlow starts at login for every user.
inline constexpr const char* kStartAtLogin = "StartAtLogin";

} // namespace policy_names
