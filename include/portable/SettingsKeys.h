#pragma once

#include "SettingsData.h"

#include <cstddef>
#include <string>
#include <vector>

// The settings file's keys, one table shared by the reader, the problems,
// the template, the policy templates, the menu (which writes a key's value
// and reads it back through its row) and the core (what a change redoes).

using Parser = bool (*)(const std::string& value, Settings& s);

// The sort of value a key takes, as the policy templates offer it: Group
// Policy's editor shows a check box, a list, a number box or a text box.
enum class KeyKind { OnOff, Choice, Number, Text };

// A key's kind with what the editor needs to offer it: a choice's words,
// a number's bounds (the parser's own).
struct KeyShape {
    KeyKind kind = KeyKind::Text;
    std::vector<std::string> words;
    int least = 0;
    int most = 0;
};

// What a change of a key redoes on the strip, so that a key written from
// the menu applies only that: Reload for a key with no shortcut (the whole
// file is read and applied, as after a hand edit).
enum class KeyEffect { Place, Rescale, Lines, Colours, Opacity, Hiding, Reload };

// One key of the file: where it lives, its default as the file would write
// it, what it accepts (for the template and for problems), and how to parse
// it into the settings, and the shape of its values for the policy templates.
struct SettingsKey {
    const char* section;
    const char* name;
    const char* default_value;
    std::string accepted;
    Parser parse;
    KeyShape shape;
    KeyEffect effect = KeyEffect::Reload;
};

// The table, in the file's documented order.
struct SettingsKeys {
    const SettingsKey* first;
    std::size_t count;

    const SettingsKey* begin() const { return first; }
    const SettingsKey* end() const { return first + count; }
};

SettingsKeys settings_keys();
// The row of the key with this name (names are unique across sections); null for none.
const SettingsKey* settings_key(const std::string& name);
// What a change of the key with this name redoes: its row's effect, Reload for none.
KeyEffect settings_key_effect(const std::string& name);
// The sections in the table's order, each once.
std::vector<std::string> sections();
// Whether a key holds a time pattern, whose refusal check_format explains.
bool takes_time_format(const SettingsKey& k);
// Whether a key holds a battery pattern, whose refusal check_battery_format explains.
bool takes_battery_format(const SettingsKey& k);
// Why a key of its own kind (a hotkey, a list of programs, a countdown's
// moment or format) refused a value, with the value probably meant; empty
// *why for the other keys.
void explain_refusal(const SettingsKey& k, const std::string& value, std::string* why);
