#pragma once

#include <cstddef>
#include <string>
#include <vector>

enum class TextEncoding;
struct SettingsKey;

// The wording of the settings' problems: values quoted safely, unknown keys
// with the key meant, and the line a problem is about; internal to the
// portable settings code.

// The name in `names` nearest to `name`, if it is a near miss.
std::string nearest(const std::string& name, const std::vector<std::string>& names);
// Values are quoted back as given, but never at length and never with
// control bytes that a notification would show as garbage.
std::string shown(const std::string& value);
std::string unknown_key_problem(const std::string& section, const std::string& key);
// A pattern's field in braces, as written, whose name `fields` lacks, with
// the one probably meant.
std::string unknown_field_problem(const std::string& written, const std::string& name,
                                  const std::vector<std::string>& fields);
// The line (from 1) where a key, or with an empty key the section's header,
// stands in the text; a very large number when it is not found, so that such
// problems come last.
std::size_t line_of(const std::string& text, const std::string& section, const std::string& key);
// Why a key refused a value and what it accepts ("not a colour; use #RRGGBB
// ..."), the same for a file's line and a policy; `encoding` is the text's
// own, for a value that is not valid UTF-8.
std::string refusal_text(const SettingsKey& k, const std::string& value, TextEncoding encoding);
