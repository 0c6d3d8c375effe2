// [overlay] hotkey's names into RegisterHotKey's modifiers and key, and
// back: portable, built natively with the sanitizers as well as for Windows.
#include "HotkeyNames.h"
#include "Settings.h"

#include <gtest/gtest.h>

#include <string>

namespace {
struct HotkeyCase {
    const char* text;
    unsigned modifiers;
    unsigned key;
    const char* name; // as Brindlow writes it back
};

struct RefusedHotkey {
    const char* text;
    const char* why;
};
}

TEST(HotkeyNames, NamesInAnyCaseGiveModifiersAndTheVirtualKey)
{
    const HotkeyCase cases[] = {
        {"Ctrl+Alt+B", kHotkeyCtrl | kHotkeyAlt, 0x42, "Ctrl+Alt+B"},
        {"alt + ctrl + b", kHotkeyCtrl | kHotkeyAlt, 0x42, "Ctrl+Alt+B"},
        {"Win+Shift+7", kHotkeyWin | kHotkeyShift, 0x37, "Shift+Win+7"},
        {"Control+Z", kHotkeyCtrl, 0x5A, "Ctrl+Z"},
        {"F1", 0, 0x70, "F1"},
        {"shift+f24", kHotkeyShift, 0x87, "Shift+F24"},
        {"Pause", 0, 0x13, "Pause"},
        {"Ctrl+Space", kHotkeyCtrl, 0x20, "Ctrl+Space"},
        {"Alt+pageup", kHotkeyAlt, 0x21, "Alt+PageUp"},
        {"Alt+PageDown", kHotkeyAlt, 0x22, "Alt+PageDown"},
        {"Ctrl+Alt+Home", kHotkeyCtrl | kHotkeyAlt, 0x24, "Ctrl+Alt+Home"},
        {"Ctrl+End", kHotkeyCtrl, 0x23, "Ctrl+End"},
        {"Ctrl+Insert", kHotkeyCtrl, 0x2D, "Ctrl+Insert"},
        {"Ctrl+Alt+Delete", kHotkeyCtrl | kHotkeyAlt, 0x2E, "Ctrl+Alt+Delete"},
        {"", 0, 0, ""},
        {"   ", 0, 0, ""},
    };
    for (const HotkeyCase& k : cases) {
        SCOPED_TRACE(k.text);
        HotkeyCombo combo{99, 99};
        std::string why;
        ASSERT_TRUE(parse_hotkey(k.text, &combo, &why)) << why;
        EXPECT_EQ(combo.modifiers, k.modifiers);
        EXPECT_EQ(combo.key, k.key);
        EXPECT_EQ(hotkey_name(combo), k.name);
    }
}

TEST(HotkeyNames, RefusesWhatIsNoKeyOrATypingKeyAloneAndSaysWhatWasMeant)
{
    const RefusedHotkey cases[] = {
        {"Ctrl+Atl+B", "did you mean Ctrl+Alt+B?"},
        {"Ctrl+Alt+Spcae", "did you mean Ctrl+Alt+Space?"},
        {"Ctrl+Alt+F25", "no key named f25"},
        {"Ctrl+Alt+BB", "no key named bb"},
        {"Ctrl+Alt", "a key after the modifiers, such as Ctrl+Alt+B"},
        {"Ctrl+Ctrl+B", "each modifier at most once"},
        {"Ctrl++B", "a name on each side of +"},
        {"Ctrl+Alt+", "a name on each side of +"},
        {"B", "Ctrl, Alt or Win with it: alone or with Shift it is a key people type with"},
        {"Shift+Home", "Ctrl, Alt or Win with it: alone or with Shift it is a key people type with"},
        {"Ctrl+B+Alt", "a key after the modifiers, such as Ctrl+Alt+B"},
    };
    for (const RefusedHotkey& k : cases) {
        SCOPED_TRACE(k.text);
        HotkeyCombo combo{kHotkeyAlt, 0x41};
        std::string why;
        EXPECT_FALSE(parse_hotkey(k.text, &combo, &why));
        EXPECT_EQ(why, k.why);
        EXPECT_EQ(combo.key, 0x41u) << "a refused text leaves the combination as it was";
    }
}

TEST(HotkeyNames, TheSettingKeepsTheWrittenNameAndReportsARefusalWithTheKeyMeant)
{
    const SettingsLoad good = parse_settings("[overlay]\nhotkey = ctrl + alt + b\n");
    EXPECT_TRUE(good.problems.empty());
    EXPECT_EQ(good.settings.hotkey, "Ctrl+Alt+B");
    EXPECT_EQ(default_settings().hotkey, "");
    const SettingsLoad bad = parse_settings("[overlay]\nhotkey = Ctrl+Atl+B\n");
    ASSERT_EQ(bad.problems.size(), 1u);
    EXPECT_EQ(bad.problems[0].rfind("[overlay] hotkey = Ctrl+Atl+B: did you mean Ctrl+Alt+B?; use a key", 0), 0u)
        << bad.problems[0];
    EXPECT_EQ(bad.settings.hotkey, "");
}
