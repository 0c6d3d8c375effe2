#pragma once

#include <string>

// The text without leading and trailing spaces and tabs: how the INI line
// rules and the settings' lists of words read what surrounds a value.
std::string trim(const std::string& text);
