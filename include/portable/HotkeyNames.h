#pragma once

#include <string>

// A key combination as [overlay] hotkey writes it ("Ctrl+Alt+B"), turned
// into the modifiers and the virtual-key code RegisterHotKey takes, and back
// into the one way Brindlow writes it.

// The modifier bits, as RegisterHotKey's MOD_ALT, MOD_CONTROL, MOD_SHIFT and MOD_WIN.
constexpr unsigned kHotkeyAlt = 0x1;
constexpr unsigned kHotkeyCtrl = 0x2;
constexpr unsigned kHotkeyShift = 0x4;
constexpr unsigned kHotkeyWin = 0x8;

struct HotkeyCombo {
    unsigned modifiers = 0; // kHotkey... bits
    unsigned key = 0; // a Windows virtual-key code; 0: none
};

// Parses "Ctrl+Alt+B" (names in any case, spaces around the + allowed):
// modifiers Ctrl (or Control), Alt, Shift and Win, each at most once, then one key: a
// letter, a digit, F1 to F24, Space, Home, End, Insert, Delete, PageUp,
// PageDown or Pause. A key that types (a letter, a digit, Space) or moves
// the caret needs Ctrl, Alt or Win with it; F1 to F24 and Pause may stand
// alone. Empty text is no hotkey (key 0). False when refused, with the
// reason in *why (and the combination probably meant, where there is one).
bool parse_hotkey(const std::string& text, HotkeyCombo* out, std::string* why);
// "Ctrl+Alt+B": the modifiers in that order, then the key; empty for none.
std::string hotkey_name(const HotkeyCombo& combo);
