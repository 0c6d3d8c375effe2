#pragma once

#include "SettingsKeys.h"

#include <string>

// Group Policy's administrative templates for Brindlow, written from a key
// table so that what an administrator can set is exactly what Brindlow reads:
// one policy per key, a value named as the key under
// Software\Policies\Brindlow\<section>, for the computer and for the user, in
// a category per section; and Brindlow's own three policies in a category of
// their own. The ADMX holds the policies, their registry values and types;
// the ADML (en-US) their names, explanations and the editor's controls.

std::string policy_admx(const SettingsKeys& keys);
std::string policy_adml(const SettingsKeys& keys);

// The registry values Brindlow reads as policies, "<key>\<value name>" one a
// line: every key of the table and the three of its own. Made from the table
// and the policies' names, not from the templates, for the package step's
// check of the templates against them.
std::string policy_values(const SettingsKeys& keys);
