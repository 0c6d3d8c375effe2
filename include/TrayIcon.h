#pragma once

#include <windows.h>
#include <shellapi.h>

// The notification-area icon, the user's only handle on the program: a left
// click opens the menu (About, Check For Updates, Hide, Close). Its hidden
// window lives on the thread that calls init, whose message loop serves it.
class TrayIcon {
public:
    static constexpr const char* kClassName = "TRAY_ICON_CLASSNAME";
    static constexpr const char* kIconFile = "icon.ico";
    static constexpr const char* kTooltip = "Brindlow is Running...";
    static constexpr const char* kUpdatePage = "https://brindlow.example.com/brindlow";
    static constexpr UINT kIconId = 1;
    static constexpr UINT kCallbackMessage = WM_USER + 1;
    static constexpr UINT kCmdAbout = 10001;
    static constexpr UINT kCmdCheckForUpdates = 10002;
    static constexpr UINT kCmdHide = 10003;
    static constexpr UINT kCmdClose = 10004;

    NOTIFYICONDATAA nid{};
    HANDLE thread = nullptr;
    HWND hwnd = nullptr;
    HICON icon = nullptr;

    // 0, or -1 when "icon.ico" in the working directory cannot be loaded:
    // then neither the notification icon nor the menu exists.
    int init();
    // Starts the background thread.
    int run();
    // Removes the icon and releases every handle; safe after a failed init.
    int destroy();

    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
    static DWORD WINAPI loop_thread(LPVOID param);
};
