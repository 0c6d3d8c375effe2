#include "HotkeyNames.h"

#include "Problem.h"

#include <cctype>
#include <vector>

namespace {
constexpr unsigned kFirstFunctionKey = 0x70; // VK_F1; F24 is 0x87
constexpr int kFunctionKeys = 24;
constexpr unsigned kPauseKey = 0x13; // VK_PAUSE

struct Modifier {
    const char* name;
    unsigned bit;
};
// In the order hotkey_name writes them.
const Modifier kModifiers[] = {
    {"Ctrl", kHotkeyCtrl}, {"Alt", kHotkeyAlt}, {"Shift", kHotkeyShift}, {"Win", kHotkeyWin}};

struct NamedKey {
    const char* name;
    unsigned key;
};
const NamedKey kNamedKeys[] = {{"Space", 0x20}, {"PageUp", 0x21}, {"PageDown", 0x22}, {"End", 0x23},
                               {"Home", 0x24},  {"Insert", 0x2D}, {"Delete", 0x2E},   {"Pause", kPauseKey}};

std::string lower(const std::string& s)
{
    std::string out = s;
    for (char& c : out) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

std::string trimmed(const std::string& s)
{
    const std::size_t first = s.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : s.substr(first, s.find_last_not_of(' ') - first + 1);
}

bool is_function_key(unsigned key) { return key >= kFirstFunctionKey && key < kFirstFunctionKey + kFunctionKeys; }

// The key a name stands for (case already folded), or 0.
unsigned key_named(const std::string& name)
{
    if (name.size() == 1 && ((name[0] >= 'a' && name[0] <= 'z') || (name[0] >= '0' && name[0] <= '9'))) {
        return static_cast<unsigned>(std::toupper(static_cast<unsigned char>(name[0])));
    }
    for (int f = 1; f <= kFunctionKeys; ++f) {
        if (name == "f" + std::to_string(f)) {
            return kFirstFunctionKey + static_cast<unsigned>(f - 1);
        }
    }
    for (const NamedKey& k : kNamedKeys) {
        if (name == lower(k.name)) {
            return k.key;
        }
    }
    return 0;
}

std::string key_name(unsigned key)
{
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) {
        return std::string(1, static_cast<char>(key));
    }
    if (is_function_key(key)) {
        return "F" + std::to_string(key - kFirstFunctionKey + 1);
    }
    for (const NamedKey& k : kNamedKeys) {
        if (k.key == key) {
            return k.name;
        }
    }
    return std::string();
}

// The names a part may still have, for the one probably meant: not a
// modifier already given.
std::vector<std::string> names_left(unsigned modifiers)
{
    std::vector<std::string> names;
    for (const Modifier& m : kModifiers) {
        if ((modifiers & m.bit) == 0) {
            names.push_back(lower(m.name));
        }
    }
    for (const NamedKey& k : kNamedKeys) {
        names.push_back(lower(k.name));
    }
    return names;
}

bool refuse(std::string* why, const std::string& reason)
{
    if (why != nullptr) {
        *why = reason;
    }
    return false;
}
}

bool parse_hotkey(const std::string& text, HotkeyCombo* out, std::string* why)
{
    const std::string whole = trimmed(text);
    if (whole.empty()) {
        *out = HotkeyCombo{};
        return true;
    }
    std::vector<std::string> parts;
    for (std::size_t start = 0;;) {
        const std::size_t plus = whole.find('+', start);
        parts.push_back(lower(trimmed(whole.substr(start, plus == std::string::npos ? plus : plus - start))));
        if (plus == std::string::npos) {
            break;
        }
        start = plus + 1;
    }
    HotkeyCombo combo;
    std::string meant; // the text with each unknown part replaced by the name probably meant
    bool unknown = false;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::string& part = parts[i];
        const bool last = i + 1 == parts.size();
        unsigned bit = 0;
        for (const Modifier& m : kModifiers) {
            bit = part == lower(m.name) ? m.bit : bit;
        }
        bit = part == "control" ? kHotkeyCtrl : bit;
        std::string name = bit != 0 ? part : (last ? part : std::string());
        if ((bit != 0 && last) || (!last && bit == 0 && key_named(part) != 0)) {
            return refuse(why, "a key after the modifiers, such as Ctrl+Alt+B");
        }
        if (bit != 0 && (combo.modifiers & bit) != 0) {
            return refuse(why, "each modifier at most once");
        }
        combo.modifiers |= bit;
        if (last) {
            combo.key = key_named(part);
        }
        if ((last && combo.key == 0) || (!last && bit == 0)) {
            unknown = true;
            name = nearest(part, names_left(combo.modifiers));
            if (name.empty() || (last && key_named(name) == 0) || (!last && key_named(name) != 0)) {
                return refuse(why, part.empty() ? "a name on each side of +" : "no key named " + shown(part));
            }
        }
        meant += (meant.empty() ? "" : "+") + name;
    }
    if (unknown) {
        HotkeyCombo guess;
        return parse_hotkey(meant, &guess, nullptr) ? refuse(why, problem_text({"", "", hotkey_name(guess), ""}))
                                                    : refuse(why, "an unknown name");
    }
    const bool may_stand_alone = is_function_key(combo.key) || combo.key == kPauseKey;
    if (!may_stand_alone && (combo.modifiers & (kHotkeyCtrl | kHotkeyAlt | kHotkeyWin)) == 0) {
        return refuse(why, "Ctrl, Alt or Win with it: alone or with Shift it is a key people type with");
    }
    *out = combo;
    return true;
}

std::string hotkey_name(const HotkeyCombo& combo)
{
    if (combo.key == 0) {
        return std::string();
    }
    std::string name;
    for (const Modifier& m : kModifiers) {
        if ((combo.modifiers & m.bit) != 0) {
            name += std::string(m.name) + "+";
        }
    }
    return name + key_name(combo.key);
}
