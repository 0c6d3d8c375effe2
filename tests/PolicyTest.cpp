// The administrator's policies and the computer's defaults file as the
// running program meets them: read under Wine's registry (the test process
// may write HKLM there), watched while the strip runs, and shown on the menu.
#include "ModalDriver.h"
#include "PolicyNames.h"
#include "SettingsInUse.h"
#include "StartupShortcut.h"

#include "TestSupport.h"

#include <shlobj.h>

#include <string>
#include <utility>
#include <vector>

namespace {
constexpr unsigned kFileColour = 0xFF0000;

// Policy values written by a test, each deleted again afterwards: other
// tests read the same prefix's registry.
class Policies : public SettingsInUse {
protected:
    std::vector<std::pair<HKEY, std::string>> written; // the root and "section\\name" ("\\name": Brindlow's own)
    std::string balloons_info; // the information balloons shown, one to a line

    void SetUp() override
    {
        SettingsInUse::SetUp();
        wire_menu();
        window.to_icon = [this](const StripCommands& c) {
            if (!c.info.text.empty()) {
                balloons_info += c.info.title + ": " + c.info.text + "\n";
            }
            tray.carry_out(c);
        };
    }
    void TearDown() override
    {
        window.to_icon = nullptr;
        remove_all();
        SettingsInUse::TearDown();
    }
    // A user's file with its own colour, and a folder for the computer's
    // defaults file, which is returned.
    std::string with_computers_folder()
    {
        save(dir + "\\brindlow.ini", "[text]\ncolour = #00FF00\n");
        EXPECT_EQ(file.init(), 0);
        const std::string computer = dir + "\\computer";
        CreateDirectoryA(computer.c_str(), nullptr);
        file.computer_folder = computer;
        return computer;
    }
    static std::string key_of(const std::string& section)
    {
        return std::string(policy_names::kPolicyRoot) + (section.empty() ? "" : "\\" + section);
    }
    void set(HKEY root, const std::string& section, const std::string& name, DWORD type, const void* data, DWORD size)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(root, key_of(section).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
        RegCloseKey(key);
        written.emplace_back(root, section + "\\" + name);
    }
    void set_text(HKEY root, const std::string& section, const std::string& name, const std::string& text)
    {
        set(root, section, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
    }
    void set_number(HKEY root, const std::string& section, const std::string& name, DWORD number)
    {
        set(root, section, name, REG_DWORD, &number, sizeof number);
    }
    void remove(HKEY root, const std::string& section, const std::string& name)
    {
        RegDeleteKeyValueA(root, key_of(section).c_str(), name.c_str());
        // The keys go too once empty: a key that has values or subkeys left
        // is another test's and is not deleted.
        if (!section.empty()) {
            RegDeleteKeyA(root, key_of(section).c_str());
        }
        RegDeleteKeyA(root, policy_names::kPolicyRoot);
    }
    void remove_all()
    {
        for (const auto& w : written) {
            const std::size_t slash = w.second.find('\\');
            remove(w.first, w.second.substr(0, slash), w.second.substr(slash + 1));
        }
        written.clear();
    }
    void applies_within_a_second(bool broadcast);
    // Starts with a user's file that makes the text red.
    void start() { start_with(dir + "\\brindlow.ini", "[text]\ncolour = #FF0000\n"); }
    // The menu's items as shown, and whether each of `ids` is greyed.
    std::vector<MenuItem> menu_items(const std::vector<UINT>& ids = {}, std::vector<bool>* greyed = nullptr)
    {
        ModalDriver driver;
        std::vector<MenuItem> items;
        with_menu(tray, driver, [&](HWND w, HMENU m) {
            items = read_menu(m);
            for (UINT id : ids) {
                greyed->push_back((GetMenuState(m, id, MF_BYCOMMAND) & MF_GRAYED) != 0);
            }
            dismiss_menu(w);
        });
        return items;
    }
    static bool lists(const std::vector<MenuItem>& items, const std::string& text)
    {
        for (const MenuItem& item : items) {
            if (item.text == text) {
                return true;
            }
        }
        return false;
    }
};

TEST_F(Policies, AMachinePolicyWinsOverTheFileAndItsMenuItemIsGreyed)
{
    set_text(HKEY_LOCAL_MACHINE, "text", "colour", "#00FF00");
    start();
    EXPECT_EQ(window.core.model.settings.colour, 0x00FF00u);
    std::vector<bool> greyed;
    menu_items({TrayMenu::kCmdTextColour, TrayMenu::kCmdShadowColour}, &greyed);
    ASSERT_EQ(greyed.size(), 2u);
    EXPECT_TRUE(greyed[0]) << "Text colour... is set by policy";
    EXPECT_FALSE(greyed[1]) << "Shadow colour... is not";
    // Said once, not at every load.
    EXPECT_EQ(balloons_info, std::string("Brindlow: ") + StripCore::kOrganisationText + "\n");
    window.load_settings();
    window.load_settings();
    EXPECT_EQ(balloons_info, std::string("Brindlow: ") + StripCore::kOrganisationText + "\n");
}

TEST_F(Policies, WithoutPoliciesNothingIsGreyedAndNothingIsSaid)
{
    start();
    EXPECT_EQ(window.core.model.settings.colour, kFileColour);
    std::vector<bool> greyed;
    const std::vector<MenuItem> items = menu_items({TrayMenu::kCmdTextColour, TrayMenu::kCmdStartWithWindows}, &greyed);
    EXPECT_EQ(items.size(), 17u);
    EXPECT_EQ(greyed, std::vector<bool>({false, false}));
    EXPECT_EQ(balloons_info, "");
}

TEST_F(Policies, TheUsersPolicyLosesToTheComputersAndWinsOverTheFile)
{
    set_text(HKEY_CURRENT_USER, "text", "colour", "#0000FF");
    set_text(HKEY_LOCAL_MACHINE, "text", "colour", "#00FF00");
    start();
    EXPECT_EQ(window.core.model.settings.colour, 0x00FF00u);
    remove(HKEY_LOCAL_MACHINE, "text", "colour");
    window.load_settings();
    EXPECT_EQ(window.core.model.settings.colour, 0x0000FFu);
}

TEST_F(Policies, ARefusedPolicyIsReportedNamingThePolicyAndTheFileStays)
{
    set_text(HKEY_LOCAL_MACHINE, "text", "colour", "#080808");
    start();
    EXPECT_EQ(window.core.model.settings.colour, kFileColour);
    const std::string text = tray.nid.szInfo;
    EXPECT_NE(text.find("policy HKLM\\Software\\Policies\\Brindlow\\text colour = #080808: "), std::string::npos)
        << text;
    // Nothing is set by it: nothing greyed, and no notice.
    std::vector<bool> greyed;
    menu_items({TrayMenu::kCmdTextColour}, &greyed);
    EXPECT_EQ(greyed, std::vector<bool>({false}));
    EXPECT_EQ(balloons_info, "");
}

// Both ways a change reaches a running Brindlow: the registry's own
// notification, and Group Policy's WM_SETTINGCHANGE "Policy" with the
// registry's watch taken away, so that only the broadcast can tell.
void Policies::applies_within_a_second(bool broadcast)
{
    start();
    ASSERT_FALSE(run_frames(window, 200));
    ASSERT_EQ(window.core.model.settings.colour, kFileColour);
    HKEY existing = nullptr;
    const bool had_key =
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, policy_names::kPolicyRoot, 0, KEY_READ, &existing) == ERROR_SUCCESS;
    if (had_key) {
        RegCloseKey(existing);
    }
    // Without Brindlow's key the watch is on its parent, where the key is made.
    EXPECT_EQ(file.policies.watching_policies[0], had_key);
    if (broadcast) {
        file.policies.destroy();
    }
    set_text(HKEY_LOCAL_MACHINE, "text", "colour", "#00FF00");
    if (broadcast) {
        SendMessageA(window.view.strip.hwnd, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>("Policy"));
    }
    EXPECT_TRUE(run_frames(window, 1000, [&] { return window.core.model.settings.colour == 0x00FF00u; }));
    EXPECT_EQ(file.policies.watching_policies[0], !broadcast) << "the watch moves onto the new key";
    // Taken away again, the file's colour is back as soon.
    if (!broadcast) {
        remove(HKEY_LOCAL_MACHINE, "text", "colour");
        EXPECT_TRUE(run_frames(window, 1000, [&] { return window.core.model.settings.colour == kFileColour; }));
    }
}

TEST_F(Policies, APolicyWrittenWhileRunningAppliesWithinASecondWithoutTheBroadcast) { applies_within_a_second(false); }

TEST_F(Policies, APolicyWrittenWhileRunningAppliesWithinASecondWithTheBroadcastAlone) { applies_within_a_second(true); }

TEST_F(Policies, AnEmptyUpdatePageHidesCheckForUpdatesAndHideSettingsLeavesOnlyTheMenusOwnItems)
{
    start();
    EXPECT_TRUE(lists(menu_items(), "Check For Updates"));
    set_text(HKEY_LOCAL_MACHINE, "", policy_names::kUpdatePage, "");
    set_number(HKEY_CURRENT_USER, "", policy_names::kHideSettings, 1);
    window.load_settings();
    const std::vector<MenuItem> items = menu_items();
    std::vector<std::string> texts;
    for (const MenuItem& item : items) {
        texts.push_back(item.text);
    }
    EXPECT_EQ(texts, std::vector<std::string>({"About Brindlow", "", "Hide Brindlow", "Close"}));
    // Lifted, the menu is whole again.
    remove_all();
    window.load_settings();
    EXPECT_EQ(menu_items().size(), 17u);
}

TEST_F(Policies, UpdatePageOpensTheOrganisationsAddress)
{
    if (!running_under_wine()) {
        GTEST_SKIP() << "needs Wine's browser launcher";
    }
    const std::string page = "https://intranet.example/brindlow";
    set_text(HKEY_LOCAL_MACHINE, "", policy_names::kUpdatePage, page);
    start();
    ModalDriver driver;
    const std::string opened =
        address_opened([&] { with_menu(tray, driver, [](HWND w, HMENU) { choose_item(w, 2); }); },
                       BRINDLOW_BROWSER_STUB, BRINDLOW_BROWSER_LOG);
    EXPECT_EQ(opened, page + "\n");
}

TEST_F(Policies, StartAtLoginMakesTheShortcutAndKeepsStartWithWindowsOn)
{
    const bool had = StartupShortcut::exists();
    const std::string had_target = StartupShortcut::target();
    StartupShortcut::remove();
    set_number(HKEY_LOCAL_MACHINE, "", policy_names::kStartAtLogin, 1);
    start();
    EXPECT_TRUE(StartupShortcut::starts_this_copy());
    std::vector<bool> greyed;
    const std::vector<MenuItem> items = menu_items({TrayMenu::kCmdStartWithWindows}, &greyed);
    EXPECT_EQ(greyed, std::vector<bool>({true}));
    for (const MenuItem& item : items) {
        if (item.id == TrayMenu::kCmdStartWithWindows) {
            EXPECT_TRUE(item.checked);
        }
    }
    // Deleted by the user, it is back at the next start (here: the next load).
    StartupShortcut::remove();
    window.load_settings();
    EXPECT_TRUE(StartupShortcut::starts_this_copy());
    StartupShortcut::remove();
    if (had && !had_target.empty()) {
        char workdir[MAX_PATH] = {};
        GetCurrentDirectoryA(MAX_PATH, workdir);
        StartupShortcut::create(had_target, workdir);
    }
}

TEST_F(Policies, TheComputersDefaultsFileLiesUnderTheUsersAndTheMenuWritesOnlyTheUsers)
{
    const std::string computer = with_computers_folder();
    const std::string computer_text = "[overlay]\ncorner = bottom-right\n[text]\ncolour = #FF0000\nopacity = 60\n";
    save(computer + "\\brindlow.ini", computer_text);
    window.init_displays();
    window.load_settings();
    EXPECT_EQ(window.core.model.settings.colour, 0x00FF00u) << "the user's file wins";
    EXPECT_EQ(window.core.model.settings.corner, Corner::BottomRight) << "the computer's default stays under it";
    EXPECT_EQ(window.core.model.settings.opacity, 60);
    ASSERT_EQ(tray.change_setting(TrayMenu::kCmdOpacityFirst), 0);
    EXPECT_EQ(window.core.model.settings.opacity, 100);
    const std::vector<unsigned char> after = read_whole_file(computer + "\\brindlow.ini");
    EXPECT_EQ(std::string(after.begin(), after.end()), computer_text);
    const std::vector<unsigned char> user = read_whole_file(dir + "\\brindlow.ini");
    EXPECT_NE(std::string(user.begin(), user.end()).find("opacity = 100"), std::string::npos);
}

TEST_F(Policies, TheComputersDefaultsFilesProblemsNameIt)
{
    const std::string computer = with_computers_folder();
    save(computer + "\\brindlow.ini", "[overlay]\ncorner = middle\n");
    window.init_displays();
    window.load_settings();
    const std::vector<std::string>& problems = window.core.settings_problems;
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems.front().rfind(computer + "\\brindlow.ini: [overlay] corner = middle: use ", 0), 0u)
        << problems.front();
    EXPECT_EQ(window.core.model.settings.colour, 0x00FF00u);
}
}
