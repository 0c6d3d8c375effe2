// The layers the settings in force come from: built-in, the computer's
// defaults file, the user's file, the user's policies, the computer's.
// Portable: built natively with the sanitizers as well as for Windows.
#include "PolicyNames.h"
#include "SettingsLayers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
constexpr PolicyScope M = PolicyScope::Machine;
constexpr PolicyScope U = PolicyScope::User;
constexpr const char* kComputerPath = "C:\\ProgramData\\Brindlow\\brindlow.ini";
constexpr const char* kUserPath = "C:\\Users\\a\\AppData\\Roaming\\Brindlow\\brindlow.ini";

struct KeyValue {
    const char* section;
    const char* key;
    const char* value;
};

struct Layering {
    const char* name;
    const char* computer; // nullptr: no such file
    const char* user;
    std::vector<PolicyValue> policies;
    std::vector<KeyValue> expected; // applied to the built-in settings as a file would
    std::vector<std::string> locked;
    const char* problem; // the one problem expected, or nullptr for none
};

void PrintTo(const Layering& l, std::ostream* os) { *os << l.name; }

class Layers : public ::testing::TestWithParam<Layering> {};

SettingsFileLayer file(const char* path, const char* text)
{
    return text == nullptr ? SettingsFileLayer{} : SettingsFileLayer{path, text};
}

const Layering kLayerings[] = {
    {"nothing", nullptr, nullptr, {}, {}, {}, nullptr},
    {"computer", "[text]\ncolour = #FF0000\n", nullptr, {}, {{"text", "colour", "#FF0000"}}, {}, nullptr},
    {"user over computer",
     "[text]\ncolour = #FF0000\n",
     "[text]\ncolour = #00FF00\n",
     {},
     {{"text", "colour", "#00FF00"}},
     {},
     nullptr},
    {"computer's other keys stay under the user's",
     "[overlay]\ncorner = bottom-right\n",
     "[text]\ncolour = #00FF00\n",
     {},
     {{"overlay", "corner", "bottom-right"}, {"text", "colour", "#00FF00"}},
     {},
     nullptr},
    {"a refused user value leaves the computer's",
     "[overlay]\ncorner = bottom-right\n",
     "[overlay]\ncorner = middle\n",
     {},
     {{"overlay", "corner", "bottom-right"}},
     {},
     "[overlay] corner = middle: use top-left, top-right, bottom-left or bottom-right"},
    {"user policy over the user's file",
     nullptr,
     "[text]\ncolour = #00FF00\n",
     {{U, "text", "colour", "#0000FF"}},
     {{"text", "colour", "#0000FF"}},
     {"colour"},
     nullptr},
    {"machine policy over the user's policy, in either order",
     nullptr,
     nullptr,
     {{M, "text", "colour", "#123456"}, {U, "text", "colour", "#0000FF"}},
     {{"text", "colour", "#123456"}},
     {"colour"},
     nullptr},
    {"a refused machine policy leaves the user's policy",
     nullptr,
     "[text]\ncolour = #00FF00\n",
     {{U, "text", "colour", "#0000FF"}, {M, "text", "colour", "#zz"}},
     {{"text", "colour", "#0000FF"}},
     {"colour"},
     "policy HKLM\\Software\\Policies\\Brindlow\\text colour = #zz: "},
    {"a refused policy alone locks nothing",
     nullptr,
     "[overlay]\ncorner = top-right\n",
     {{M, "overlay", "corner", "middle"}},
     {{"overlay", "corner", "top-right"}},
     {},
     "policy HKLM\\Software\\Policies\\Brindlow\\overlay corner = middle: use top-left, top-right, bottom-left or "
     "bottom-right"},
    {"a number written as a REG_DWORD",
     nullptr,
     nullptr,
     {{M, "text", "opacity", "60"}},
     {{"text", "opacity", "60"}},
     {"opacity"},
     nullptr},
    {"locked keys in the table's order",
     nullptr,
     nullptr,
     {{U, "text", "colour", "#0000FF"}, {M, "overlay", "corner", "top-right"}},
     {{"overlay", "corner", "top-right"}, {"text", "colour", "#0000FF"}},
     {"corner", "colour"},
     nullptr},
    {"an unknown key",
     nullptr,
     nullptr,
     {{U, "text", "colr", "#0000FF"}},
     {},
     {},
     "policy HKCU\\Software\\Policies\\Brindlow\\text colr = #0000FF: unknown key; did you mean colour?"},
    {"a key in the wrong section",
     nullptr,
     nullptr,
     {{M, "overlay", "colour", "#0000FF"}},
     {},
     {},
     "policy HKLM\\Software\\Policies\\Brindlow\\overlay colour = #0000FF: belongs in [text]"},
    {"a value neither text nor a number",
     nullptr,
     nullptr,
     {{M, "text", "colour", "", false}},
     {},
     {},
     "policy HKLM\\Software\\Policies\\Brindlow\\text colour: not text or a number (REG_SZ or REG_DWORD); use "},
    {"the computer's file's problem names it",
     "[overlay]\ncorner = middle\n",
     nullptr,
     {},
     {},
     {},
     "C:\\ProgramData\\Brindlow\\brindlow.ini: [overlay] corner = middle: use "},
};

TEST_P(Layers, EachLayerWinsOverTheOnesBelow)
{
    const Layering& l = GetParam();
    const LayeredSettings got = layer_settings(file(kComputerPath, l.computer), file(kUserPath, l.user), l.policies);
    Settings expected = default_settings();
    for (const KeyValue& kv : l.expected) {
        ASSERT_TRUE(parse_key(kv.section, kv.key, kv.value, &expected)) << kv.key;
    }
    EXPECT_EQ(got.settings, expected);
    EXPECT_EQ(got.locked, l.locked);
    if (l.problem == nullptr) {
        EXPECT_TRUE(got.problems.empty()) << got.problems.front();
    } else {
        ASSERT_EQ(got.problems.size(), 1u);
        EXPECT_EQ(got.problems.front().rfind(l.problem, 0), 0u) << got.problems.front();
    }
}

INSTANTIATE_TEST_SUITE_P(Settings, Layers, ::testing::ValuesIn(kLayerings));

TEST(Layers, ARefusedPolicyIsWordedAsTheFileWouldWordItNamingThePolicy)
{
    for (const char* value : {"#080808", "red", "#12345", "\xFF"}) {
        const SettingsLoad file_load = parse_settings(std::string("[text]\ncolour = ") + value + "\n");
        ASSERT_EQ(file_load.problems.size(), 1u) << value;
        const std::string file_problem = file_load.problems.front();
        const std::string prefix = "[text] colour";
        ASSERT_EQ(file_problem.rfind(prefix, 0), 0u);
        const LayeredSettings got = layer_settings({}, {}, {{M, "text", "colour", value}});
        ASSERT_EQ(got.problems.size(), 1u) << value;
        EXPECT_EQ(got.problems.front(),
                  "policy HKLM\\Software\\Policies\\Brindlow\\text colour" + file_problem.substr(prefix.size()));
    }
}

struct Own {
    const char* name;
    std::vector<PolicyValue> policies;
    bool updates_hidden;
    const char* update_page;
    bool settings_hidden;
    bool start_at_login;
    const char* problem;
};

void PrintTo(const Own& o, std::ostream* os) { *os << o.name; }

class OwnPolicyValues : public ::testing::TestWithParam<Own> {};

const Own kOwn[] = {
    {"none", {}, false, "", false, false, nullptr},
    {"updates hidden", {{M, "", "UpdatePage", ""}}, true, "", false, false, nullptr},
    {"another page",
     {{U, "", "UpdatePage", "https://intranet.example/brindlow"}},
     false,
     "https://intranet.example/brindlow",
     false,
     false,
     nullptr},
    {"the computer's page over the user's hiding",
     {{M, "", "UpdatePage", "HTTPS://example.org/x"}, {U, "", "UpdatePage", ""}},
     false,
     "HTTPS://example.org/x",
     false,
     false,
     nullptr},
    {"plain http refused",
     {{M, "", "UpdatePage", "http://example.org"}},
     false,
     "",
     false,
     false,
     "policy HKLM\\Software\\Policies\\Brindlow UpdatePage = http://example.org: use an https:// address, or "
     "nothing to hide Check For Updates"},
    {"a program refused", {{M, "", "UpdatePage", "calc.exe"}}, false, "", false, false, "policy HKLM"},
    {"an address with a space refused", {{M, "", "UpdatePage", "https://a b"}}, false, "", false, false, "policy HKLM"},
    {"https:// alone refused", {{M, "", "UpdatePage", "https://"}}, false, "", false, false, "policy HKLM"},
    {"settings hidden", {{M, "", "HideSettings", "1"}}, false, "", true, false, nullptr},
    {"the computer's 0 over the user's 1",
     {{U, "", "HideSettings", "1"}, {M, "", "HideSettings", "0"}},
     false,
     "",
     false,
     false,
     nullptr},
    {"a switch other than 1 or 0",
     {{U, "", "HideSettings", "2"}},
     false,
     "",
     false,
     false,
     "policy HKCU\\Software\\Policies\\Brindlow HideSettings = 2: use 1 (on) or 0 (off)"},
    {"start at login", {{M, "", "StartAtLogin", "1"}}, false, "", false, true, nullptr},
    {"an unknown policy",
     {{M, "", "HideMenu", "1"}},
     false,
     "",
     false,
     false,
     "policy HKLM\\Software\\Policies\\Brindlow HideMenu = 1: unknown policy"},
};

TEST_P(OwnPolicyValues, AreTakenOrRefused)
{
    const Own& o = GetParam();
    const LayeredSettings got = layer_settings({}, {}, o.policies);
    EXPECT_EQ(got.own.updates_hidden, o.updates_hidden);
    EXPECT_EQ(got.own.update_page, o.update_page);
    EXPECT_EQ(got.own.settings_hidden, o.settings_hidden);
    EXPECT_EQ(got.own.start_at_login, o.start_at_login);
    EXPECT_EQ(got.settings, default_settings());
    EXPECT_TRUE(got.locked.empty());
    if (o.problem == nullptr) {
        EXPECT_TRUE(got.problems.empty()) << got.problems.front();
    } else {
        ASSERT_EQ(got.problems.size(), 1u);
        EXPECT_EQ(got.problems.front().rfind(o.problem, 0), 0u) << got.problems.front();
    }
    EXPECT_EQ(any_policy(got),
              o.updates_hidden || !got.own.update_page.empty() || o.settings_hidden || o.start_at_login);
}

INSTANTIATE_TEST_SUITE_P(Settings, OwnPolicyValues, ::testing::ValuesIn(kOwn));

TEST(Layers, ThePolicyNamesAreTheRegistryPaths)
{
    EXPECT_STREQ(policy_names::kPolicyRoot, "Software\\Policies\\Brindlow");
    EXPECT_EQ(policy_place(PolicyScope::User, "text"), "HKCU\\Software\\Policies\\Brindlow\\text");
    EXPECT_EQ(policy_place(PolicyScope::Machine, ""), "HKLM\\Software\\Policies\\Brindlow");
}
}
