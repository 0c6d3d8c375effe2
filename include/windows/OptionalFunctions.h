#pragma once

#include <windows.h>

// The Windows functions that some supported Windows lack, looked up by name
// here and nowhere else; each is null where this Windows does not have it,
// and its caller falls back. kernel32's and user32's are in every process
// already; shcore.dll and wtsapi32.dll are loaded on first use, which Main
// makes sure comes after it limited the DLL search to the system folder
// (neither is a KnownDLL).
class OptionalFunctions {
public:
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    using SetProcessDpiAwarenessContextFn = BOOL(WINAPI*)(HANDLE);
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    using SetProcessDpiAwarenessFn = HRESULT(WINAPI*)(int);
    // The second argument is MONITOR_DPI_TYPE, an int-sized enum that
    // MinGW's headers keep apart from windows.h.
    using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    using GetDisplayConfigBufferSizesFn = LONG(WINAPI*)(UINT32, UINT32*, UINT32*);
    using QueryDisplayConfigFn = LONG(WINAPI*)(UINT32, UINT32*, DISPLAYCONFIG_PATH_INFO*, UINT32*,
                                               DISPLAYCONFIG_MODE_INFO*, DISPLAYCONFIG_TOPOLOGY_ID*);
    using DisplayConfigGetDeviceInfoFn = LONG(WINAPI*)(DISPLAYCONFIG_DEVICE_INFO_HEADER*);
    using WTSRegisterSessionNotificationFn = BOOL(WINAPI*)(HWND, DWORD);
    using WTSUnRegisterSessionNotificationFn = BOOL(WINAPI*)(HWND);
    using SetCoalescableTimerFn = UINT_PTR(WINAPI*)(HWND, UINT_PTR, UINT, TIMERPROC, ULONG);
    // The class is PROCESS_INFORMATION_CLASS, an int-sized enum that older
    // headers lack.
    using SetProcessInformationFn = BOOL(WINAPI*)(HANDLE, int, LPVOID, DWORD);
    using FindFirstFileNameWFn = HANDLE(WINAPI*)(LPCWSTR, DWORD, LPDWORD, PWSTR);
    using FindNextFileNameWFn = BOOL(WINAPI*)(HANDLE, LPDWORD, PWSTR);

    // Windows 8 (or 7 with KB2533623), kernel32.
    SetDefaultDllDirectoriesFn SetDefaultDllDirectories = nullptr;
    // Windows 10 1703, user32.
    SetProcessDpiAwarenessContextFn SetProcessDpiAwarenessContext = nullptr;
    // Windows 10 1607, user32.
    GetDpiForWindowFn GetDpiForWindow = nullptr;
    // Windows 8, user32.
    SetCoalescableTimerFn SetCoalescableTimer = nullptr;
    // Windows 7, user32: the monitors' names as Display settings shows them.
    GetDisplayConfigBufferSizesFn GetDisplayConfigBufferSizes = nullptr;
    QueryDisplayConfigFn QueryDisplayConfig = nullptr;
    DisplayConfigGetDeviceInfoFn DisplayConfigGetDeviceInfo = nullptr;
    // Windows 8, kernel32 (its ProcessPowerThrottling class from Windows 10
    // 1709; EcoQoS, "efficiency mode", on Windows 11).
    SetProcessInformationFn SetProcessInformation = nullptr;
    // Windows Vista, kernel32: a file's names (hard links). Null under Wine,
    // whose are stubs that end the process when called.
    FindFirstFileNameWFn FindFirstFileNameW = nullptr;
    FindNextFileNameWFn FindNextFileNameW = nullptr;
    // Windows 8.1, shcore.dll: after load_shcore().
    HMODULE shcore = nullptr;
    SetProcessDpiAwarenessFn SetProcessDpiAwareness = nullptr;
    GetDpiForMonitorFn GetDpiForMonitor = nullptr;
    // wtsapi32.dll: after load_wtsapi().
    HMODULE wtsapi = nullptr;
    WTSRegisterSessionNotificationFn WTSRegisterSessionNotification = nullptr;
    WTSUnRegisterSessionNotificationFn WTSUnRegisterSessionNotification = nullptr;

    // Looks up kernel32's and user32's; later calls return at once. 0.
    int init();
    // Loads shcore.dll (once) and looks up its functions; 0, or -1 without
    // SetProcessDpiAwareness (GetDpiForMonitor is checked where it is used).
    int load_shcore();
    // Loads wtsapi32.dll (once) and looks up its functions; 0, or -1 without it.
    int load_wtsapi();

private:
    bool looked_up = false;
};

// The one set of optional functions the process uses.
extern OptionalFunctions optional_functions;
