#include "ModalDriver.h"

#include "TrayIcon.h"

#include <gtest/gtest.h>

#include "WideText.h"

namespace {
ModalDriver* g_driver = nullptr;
constexpr UINT kTickMs = 50;

struct Search {
    const char* class_name;
    HWND found;
};

BOOL CALLBACK find_visible_of_class(HWND hwnd, LPARAM param)
{
    Search* s = reinterpret_cast<Search*>(param);
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    if (lstrcmpA(name, s->class_name) == 0 && IsWindowVisible(hwnd)) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// This thread's visible top-level window of the class, or null.
HWND find_own(const char* class_name)
{
    Search s{class_name, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), find_visible_of_class, reinterpret_cast<LPARAM>(&s));
    if (s.found == nullptr) {
        // The popup menu window may not be listed among the thread's windows.
        HWND any = FindWindowA(class_name, nullptr);
        if (any != nullptr && IsWindowVisible(any)) {
            s.found = any;
        }
    }
    return s.found;
}

void post_key(HWND hwnd, UINT vk)
{
    PostMessageA(hwnd, WM_KEYDOWN, vk, 1);
    PostMessageA(hwnd, WM_KEYUP, vk, 0xC0000001);
}
}

ModalDriver::ModalDriver(DWORD watchdog_ms)
{
    g_driver = this;
    deadline = GetTickCount() + watchdog_ms;
    timer = SetTimer(nullptr, 0, kTickMs, tick);
}

ModalDriver::~ModalDriver()
{
    KillTimer(nullptr, timer);
    g_driver = nullptr;
}

void ModalDriver::on_menu(MenuHandler handler) { menu_handler = std::move(handler); }

void ModalDriver::on_box(BoxHandler handler) { box_handler = std::move(handler); }

void CALLBACK ModalDriver::tick(HWND, UINT, UINT_PTR, DWORD)
{
    ModalDriver* d = g_driver;
    if (d == nullptr) {
        return;
    }
    HWND menu_window = find_own("#32768");
    HWND box = find_own("#32770");
    if (menu_window != nullptr && menu_window != d->last_menu_window) {
        d->last_menu_window = menu_window;
        ++d->menus_seen;
        if (d->menu_handler) {
            MenuHandler h = std::move(d->menu_handler);
            d->menu_handler = nullptr;
            h(menu_window, reinterpret_cast<HMENU>(SendMessageA(menu_window, MN_GETHMENU, 0, 0)));
        }
    } else if (menu_window == nullptr) {
        d->last_menu_window = nullptr;
    }
    if (box != nullptr && box != d->last_box) {
        d->last_box = box;
        ++d->boxes_seen;
        if (d->box_handler) {
            BoxHandler h = std::move(d->box_handler);
            d->box_handler = nullptr;
            h(box);
        }
    } else if (box == nullptr) {
        d->last_box = nullptr;
    }
    if (static_cast<LONG>(GetTickCount() - d->deadline) > 0) {
        if (menu_window != nullptr) {
            d->watchdog_fired = true;
            EndMenu();
        }
        if (box != nullptr) {
            d->watchdog_fired = true;
            press_ok(box);
        }
    }
}

std::vector<MenuItem> read_menu(HMENU menu)
{
    std::vector<MenuItem> items;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        // Read as UTF-16 and turned into UTF-8: an item may be in any script.
        wchar_t text[128] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = sizeof text / sizeof text[0];
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
        items.push_back(
            MenuItem{narrow(text), info.wID, (info.fType & MFT_SEPARATOR) != 0, (info.fState & MFS_CHECKED) != 0});
    }
    return items;
}

BoxText read_box(HWND box)
{
    char buf[512] = {};
    BoxText b;
    GetWindowTextA(box, buf, sizeof buf);
    b.caption = buf;
    buf[0] = '\0';
    // A message box's text is its static control 0xFFFF.
    GetDlgItemTextA(box, 0xFFFF, buf, sizeof buf);
    b.text = buf;
    b.owner = GetWindow(box, GW_OWNER);
    return b;
}

void press_ok(HWND box) { PostMessageA(box, WM_COMMAND, IDOK, 0); }

void choose_item(HWND menu_window, int n)
{
    for (int i = 0; i < n; ++i) {
        post_key(menu_window, VK_DOWN);
    }
    post_key(menu_window, VK_RETURN);
}

void choose_nested(HWND menu_window, const std::vector<int>& path)
{
    for (std::size_t level = 0; level < path.size(); ++level) {
        // A submenu opened from the keyboard has its first item selected.
        const int downs = level == 0 ? path[level] : path[level] - 1;
        for (int i = 0; i < downs; ++i) {
            post_key(menu_window, VK_DOWN);
        }
        post_key(menu_window, level + 1 < path.size() ? VK_RIGHT : VK_RETURN);
    }
}

void dismiss_menu(HWND) { EndMenu(); }

bool pump_until(const std::function<bool()>& done, DWORD ms)
{
    const DWORD end = GetTickCount() + ms;
    MSG msg;
    while (!done()) {
        if (static_cast<LONG>(GetTickCount() - end) > 0) {
            return false;
        }
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(5);
    }
    return true;
}

void click(HWND tray_window, UINT mouse_message)
{
    PostMessageA(tray_window, TrayIcon::kCallbackMessage, TrayIcon::kIconId, mouse_message);
}

// Opens the menu with a left click, lets `handler` act on it, and waits
// until the menu has closed again.
void with_menu(TrayIcon& tray, ModalDriver& driver, ModalDriver::MenuHandler handler)
{
    const int before = driver.menus_seen;
    bool handled = false;
    driver.on_menu([&handled, handler](HWND w, HMENU m) {
        handled = true;
        handler(w, m);
    });
    click(tray.hwnd, WM_LBUTTONUP);
    ASSERT_TRUE(pump_until([&] { return handled; }, 5000)) << "the menu did not open";
    ASSERT_TRUE(pump_until(
        [] { return FindWindowA("#32768", nullptr) == nullptr || !IsWindowVisible(FindWindowA("#32768", nullptr)); },
        5000));
    EXPECT_EQ(driver.menus_seen, before + 1);
}
