// [overlay] hotkey's names into RegisterHotKey's modifiers and key, and
// back: portable, built natively with the sanitizers as well as for Windows.
#include "HotkeyNames.h"
#include "Settings.h"

#include <gtest/gtest.h>

#include <string>

TEST(HotkeyNames, NamesInAnyCaseGiveModifiersAndTheVirtualKey)
{
    struct Case {
        const char* text;
        unsigned modifiers, key;
        const char* name; // as Brindlow writes it back
    };
    const Case cases[] = {
        {"Ctrl+Alt+B", kHotkeyCtrl | kHotkeyAlt, 0x42, "Ctrl+Alt+B"},
        {"alt + ctrl + b", kHotkeyCtrl | kHotkeyAlt, 0x42, "Ctrl+Alt+B"},
        {"Win+Shift+7", kHotkeyWin | kHotkeyShift, 0x37, "Shift+Win+7"},
        {"Control+Z", kHotkeyCtrl, 0x5A, "Ctrl+Z"},
        {"F1", 0, 0x70, "F1"},
        {"shift+f24", kHotkeyShift, 0x87, "Shift+F24"},
        {"Pause", 0, 0x13, "Pause"},
        {"Ctrl+Space", kHotkeyCtrl, 0x20, "Ctrl+Space"},
        {"Alt+pageup", kHotkeyAlt, 0x21, "Alt+PageUp"},
        {"Ctrl+Alt+Delete", kHotkeyCtrl | kHotkeyAlt, 0x2E, "Ctrl+Alt+Delete"},
        {"  ", 0, 0, ""},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.text);
        HotkeyCombo combo{99, 99};
        std::string why;
        ASSERT_TRUE(parse_hotkey(k.text, &combo, &why)) << why;
        EXPECT_EQ(combo.modifiers, k.modifiers);
        EXPECT_EQ(combo.key, k.key);
        EXPECT_EQ(hotkey_name(combo), k.name);
    }
    EXPECT_EQ(parse_settings("[overlay]\nhotkey = ctrl + alt + b\n").settings.hotkey, "Ctrl+Alt+B");
}

TEST(HotkeyNames, RefusesWhatIsNoKeyOrATypingKeyAloneAndSaysWhatWasMeant)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Ctrl+Atl+B", "did you mean Ctrl+Alt+B?"},
        {"Ctrl+Alt+Spcae", "did you mean Ctrl+Alt+Space?"},
        {"Ctrl+Alt+F25", "no key named f25"},
        {"Ctrl+Alt", "a key after the modifiers, such as Ctrl+Alt+B"},
        {"Ctrl+B+Alt", "a key after the modifiers, such as Ctrl+Alt+B"},
        {"Ctrl+Ctrl+B", "each modifier at most once"},
        {"Ctrl++B", "a name on each side of +"},
        {"B", "Ctrl, Alt or Win with it: alone or with Shift it is a key people type with"},
        {"Shift+Home", "Ctrl, Alt or Win with it: alone or with Shift it is a key people type with"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.first);
        HotkeyCombo combo{kHotkeyAlt, 0x41};
        std::string why;
        EXPECT_FALSE(parse_hotkey(k.first, &combo, &why));
        EXPECT_EQ(why, k.second);
        EXPECT_EQ(combo.key, 0x41u) << "a refused text leaves the combination as it was";
    }
    const SettingsLoad bad = parse_settings("[overlay]\nhotkey = Ctrl+Atl+B\n");
    ASSERT_EQ(bad.problems.size(), 1u);
    EXPECT_EQ(bad.problems[0].rfind("[overlay] hotkey = Ctrl+Atl+B: did you mean Ctrl+Alt+B?; use a key", 0), 0u);
}
