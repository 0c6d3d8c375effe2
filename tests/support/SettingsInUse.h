#pragma once

// The settings as the running program meets them: a strip, its icon and a
// settings file in a folder of the test's own, for the settings' tests.
#include "SettingsFile.h"
#include "TestSupport.h"
#include "TrayIcon.h"
#include "WideText.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

inline void save(const std::string& path, const std::string& text)
{
    write_file(path, std::vector<unsigned char>(text.begin(), text.end()));
}

// Monday 2026-12-07 17:33:00, handed in as the local time.
inline ClockReading monday_clock() { return clock_at(1796664780); }

// That Monday's date as Windows writes it for a locale: in one of its own
// forms (date_flags), or after a picture of its own; "(none)" when it writes nothing.
inline std::string windows_text(const wchar_t* locale, DWORD date_flags, const wchar_t* picture)
{
    const SYSTEMTIME st{2026, 12, 1, 7, 17, 33, 0, 0};
    wchar_t text[128] = {};
    const int n = picture == nullptr ? GetDateFormatEx(locale, date_flags, &st, nullptr, text, 128, nullptr)
                                     : GetDateFormatEx(locale, 0, &st, picture, text, 128, nullptr);
    return n > 1 ? narrow(std::wstring(text, static_cast<std::size_t>(n - 1))) : std::string("(none)");
}

class SettingsInUse : public OverlayTest {
protected:
    TrayIcon tray;
    SettingsFile file;
    std::string dir;
    void SetUp() override
    {
        OverlayTest::SetUp();
        dir = fresh_temp_dir(::testing::UnitTest::GetInstance()->current_test_info()->name());
        write_file(dir + "\\icon.ico", read_whole_file(source_path("icon.ico")));
        ASSERT_TRUE(SetCurrentDirectoryA(dir.c_str()));
        ASSERT_EQ(tray.init(), 0);
        window.to_icon = [this](const StripCommands& c) { tray.carry_out(c); };
        tray.strip_window = window.view.strip.hwnd;
        window.settings_file = &file;
    }
    void TearDown() override
    {
        window.to_icon = nullptr;
        file.destroy();
        tray.destroy();
        OverlayTest::TearDown();
    }
    // The menu as Main wires it: it edits the file and the strip applies
    // the key it wrote.
    void wire_menu()
    {
        tray.settings_file = &file;
        tray.settings = &window.core.file_settings;
        tray.strip_window = window.view.strip.hwnd;
    }
    // The settings file with this text, watched, read and applied.
    void start_with(const std::string& path, const std::string& text)
    {
        save(path, text);
        ASSERT_EQ(file.init(), 0);
        window.init_displays();
        window.load_settings();
    }
    RECT where() const
    {
        RECT r{};
        GetWindowRect(window.view.strip.hwnd, &r);
        return r;
    }
};
