#include "GlobalHotkey.h"

#include "HotkeyNames.h"
#include "Problem.h"

namespace {
// Windows 7's: a key held down does not toggle again and again.
#ifndef MOD_NOREPEAT
#define MOD_NOREPEAT 0x4000
#endif
static_assert(kHotkeyAlt == MOD_ALT && kHotkeyCtrl == MOD_CONTROL && kHotkeyShift == MOD_SHIFT && kHotkeyWin == MOD_WIN,
              "the portable modifier bits are RegisterHotKey's");
}

std::string GlobalHotkey::set(HWND window, const std::string& text)
{
    if (window == owner && text == name && !name.empty()) {
        return std::string();
    }
    destroy();
    HotkeyCombo combo;
    if (!parse_hotkey(text, &combo, nullptr) || combo.key == 0) {
        return std::string();
    }
    // Fails when any other program (or Windows itself) registered it first.
    if (!RegisterHotKey(window, kId, combo.modifiers | MOD_NOREPEAT, combo.key)) {
        return problem_text(
            {setting_about("overlay", "hotkey", text), "another program already uses " + hotkey_name(combo), "", ""});
    }
    owner = window;
    name = hotkey_name(combo);
    return std::string();
}

int GlobalHotkey::destroy()
{
    if (owner != nullptr) {
        UnregisterHotKey(owner, kId);
    }
    owner = nullptr;
    name.clear();
    return 0;
}
