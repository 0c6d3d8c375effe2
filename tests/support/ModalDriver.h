#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class TrayIcon;

// Drives this thread's modal menus and message boxes from a thread timer,
// which their modal loops dispatch. Every handler runs once, on the first
// timer tick that finds its kind of window; a watchdog ends whatever is still
// open when the deadline passes, so that a missed step cannot hang a test.
class ModalDriver {
public:
    using MenuHandler = std::function<void(HWND menu_window, HMENU menu)>;
    using BoxHandler = std::function<void(HWND box)>;

    explicit ModalDriver(DWORD watchdog_ms = 8000);
    ~ModalDriver();

    void on_menu(MenuHandler handler);
    void on_box(BoxHandler handler);

    // How many menus and boxes were seen open, and whether the watchdog had
    // to close one that the test's own handlers left open.
    int menus_seen = 0;
    int boxes_seen = 0;
    bool watchdog_fired = false;

private:
    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD);
    UINT_PTR timer = 0;
    DWORD deadline = 0;
    MenuHandler menu_handler;
    BoxHandler box_handler;
    HWND last_menu_window = nullptr;
    HWND last_box = nullptr;
};

// The items of a menu, as the user sees them.
struct MenuItem {
    std::string text;
    UINT id;
    bool separator;
    bool checked;
};
std::vector<MenuItem> read_menu(HMENU menu);

// What a message box shows: its caption, its text and its owner.
struct BoxText {
    std::string caption;
    std::string text;
    HWND owner;
};
BoxText read_box(HWND box);
// Presses the box's OK button.
void press_ok(HWND box);

// Picks the n-th selectable item (1-based, separators skipped) with the keyboard.
void choose_item(HWND menu_window, int n);
// Picks an item of a submenu with the keyboard: the n-th selectable item of
// the menu, then of each submenu opened in turn (1-based, separators skipped).
void choose_nested(HWND menu_window, const std::vector<int>& path);
// Closes the menu without a choice.
void dismiss_menu(HWND menu_window);

// Dispatches this thread's messages until done() or the time runs out.
bool pump_until(const std::function<bool()>& done, DWORD ms);

// Posts the shell's callback for a mouse message on the icon.
void click(HWND tray_window, UINT mouse_message);
// Opens the menu with a left click, lets `handler` act on it, and waits
// until the menu has closed again.
void with_menu(TrayIcon& tray, ModalDriver& driver, ModalDriver::MenuHandler handler);
