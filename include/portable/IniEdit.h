#pragma once

#include <string>

// Changes one key in the text of an INI file and leaves every other byte as
// it was: comments, blank lines, unknown keys and sections, their order, the
// line endings and a byte-order mark. The key the reader takes (the last of
// duplicates) is replaced in place; failing that, a commented-out
// "; key = value" line in its section is; failing that, the key is added at
// the end of its section, or a new section is appended.
std::string set_ini_key(const std::string& text, const std::string& section, const std::string& key,
                        const std::string& value);
// Removes every active line of the key in its section (its default applies).
std::string remove_ini_key(const std::string& text, const std::string& section, const std::string& key);
// The same change to the bytes of a settings file, written back in the
// encoding they were read in (see TextEncoding.h): UTF-8 with or without a
// byte-order mark, UTF-16 LE or BE with one. 0 with *out the new bytes, or
// -1 with *why the problem when the bytes could not be given back exactly
// as they were apart from the change (NUL bytes, half a UTF-16 character).
int edit_ini_file(const std::string& bytes, const std::string& section, const std::string& key,
                  const std::string& value, bool remove, std::string* out, std::string* why);
