#pragma once

#include "Problem.h"

#include <cstddef>
#include <string>
#include <vector>

enum class TextEncoding;
struct SettingsKey;

// The wording of the settings' problems: values quoted safely, unknown keys
// with the key meant, and the line a problem is about; internal to the
// portable settings code.

std::string unknown_key_problem(const std::string& section, const std::string& key);
// The line (from 1) where a key, or with an empty key the section's header,
// stands in the text; a very large number when it is not found, so that such
// problems come last.
std::size_t line_of(const std::string& text, const std::string& section, const std::string& key);
// Why a key refused a value and what it accepts ("not a colour; use #RRGGBB
// ..."), the same for a file's line and a policy; `encoding` is the text's
// own, for a value that is not valid UTF-8.
std::string refusal_text(const SettingsKey& k, const std::string& value, TextEncoding encoding);
