#pragma once

#include "LineKinds.h"
#include "SettingsChecks.h"
#include "SettingsData.h"

#include <array>
#include <cstddef>
#include <ctime>
#include <string>
#include <vector>

// How the text of brindlow.ini becomes the settings (SettingsData.h): the
// built-in ones, a file's over them and the problems found on the way.

// What a load found: the settings (defaults where a value was refused) and
// one sentence per problem, e.g.
// "[overlay] corner = middle: use top-left, top-right, bottom-left or bottom-right".
struct SettingsLoad {
    Settings settings;
    std::vector<std::string> problems;
};

constexpr const char* kSettingsFileName = "brindlow.ini";
// Larger than any real settings file; beyond it the file is not read.
constexpr long long kMaxSettingsBytes = 64LL * 1024LL;
// What a file over kMaxSettingsBytes is reported with, after its path.
constexpr const char* kTooLargeProblem = ": larger than 64 KB; the built-in settings apply";

// The built-in settings: today's overlay.
Settings default_settings();
// Parses the text of a settings file (a UTF-8 byte-order mark is skipped).
SettingsLoad parse_settings(const std::string& text);
// The same over settings other than the built-in ones (a computer's
// defaults): a key the text leaves out, or refuses, keeps its value in `base`.
SettingsLoad parse_settings_over(const Settings& base, const std::string& text);
// One key's text as the file would say it, parsed into *s as a load would
// parse it: false, *s unchanged, when the table has no such key or the key
// refuses the text.
bool parse_key(const std::string& section, const std::string& name, const std::string& value, Settings* s);
// Parses a file's bytes as read by the caller (reading at most
// kMaxSettingsBytes + 1 of them is enough): a file over the limit gives the
// defaults and a problem naming `path`.
SettingsLoad settings_from_bytes(const std::string& path, const std::string& bytes);
// The same over `base` (see parse_settings_over); a file over the limit gives `base`.
SettingsLoad settings_from_bytes_over(const Settings& base, const std::string& path, const std::string& bytes);
// A settings file listing every key with its default and what it accepts,
// all commented out.
std::string settings_template();
