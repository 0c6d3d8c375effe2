#include "AboutWindow.h"

#include "ModalDriver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
struct BoxContents {
    std::string caption;
    std::string text;
    HWND owner = nullptr;
    std::vector<std::string> buttons;
    int icon_width = 0;
    int icon_height = 0;
};

BOOL CALLBACK read_child(HWND child, LPARAM param)
{
    BoxContents* c = reinterpret_cast<BoxContents*>(param);
    char cls[32] = {};
    GetClassNameA(child, cls, sizeof cls);
    const LONG style = GetWindowLongA(child, GWL_STYLE);
    if (lstrcmpiA(cls, "Button") == 0 && (style & WS_VISIBLE)) {
        char text[32] = {};
        GetWindowTextA(child, text, sizeof text);
        c->buttons.push_back(text);
    }
    if (lstrcmpiA(cls, "Static") == 0 && (style & SS_TYPEMASK) == SS_ICON) {
        HICON icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
        ICONINFO info{};
        if (icon != nullptr && GetIconInfo(icon, &info)) {
            BITMAP bm{};
            GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
            c->icon_width = bm.bmWidth;
            c->icon_height = info.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
        }
    }
    return TRUE;
}
}

TEST(AboutWindow, ShowsTheAboutTextWithTheProgramIconAndOneOkButton)
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "AboutOwnerTest";
    RegisterClassA(&wc);
    HWND owner = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(owner, nullptr);

    BoxContents seen;
    ModalDriver driver;
    driver.on_box([&seen](HWND box) {
        const BoxText shown = read_box(box);
        seen.caption = shown.caption;
        seen.text = shown.text;
        seen.owner = shown.owner;
        EnumChildWindows(box, read_child, reinterpret_cast<LPARAM>(&seen));
        press_ok(box);
    });

    AboutWindow about(owner);
    EXPECT_EQ(about.owner, owner);
    about.show();

    EXPECT_FALSE(driver.watchdog_fired);
    EXPECT_EQ(driver.boxes_seen, 1);
    EXPECT_EQ(seen.caption, "About Brindlow");
    EXPECT_EQ(seen.text, aboutText);
    // Five lines: the name, an empty line, the version, a credit, the rights.
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (std::size_t nl = seen.text.find('\n'); nl != std::string::npos; nl = seen.text.find('\n', from)) {
        lines.push_back(seen.text.substr(from, nl - from));
        from = nl + 1;
    }
    lines.push_back(seen.text.substr(from));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "Brindlow");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[2], "Version 1.0.0");
    EXPECT_FALSE(lines[3].empty());
    EXPECT_FALSE(lines[4].empty());
    EXPECT_EQ(seen.owner, owner);
    ASSERT_EQ(seen.buttons.size(), 1u);
    EXPECT_EQ(seen.buttons[0], "OK");
    EXPECT_EQ(seen.icon_width, 32);
    EXPECT_EQ(seen.icon_height, 32);
    DestroyWindow(owner);
}
