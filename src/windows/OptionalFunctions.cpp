#include "OptionalFunctions.h"

OptionalFunctions optional_functions;

namespace {
// GetProcAddress answers FARPROC; the cast through void* is how a function
// found by name gets its real type back.
template <typename Fn> void find(HMODULE module, const char* name, Fn* fn)
{
    *fn = module == nullptr ? nullptr : reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}
}

int OptionalFunctions::init()
{
    if (looked_up) {
        return 0;
    }
    looked_up = true;
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    HMODULE user32 = GetModuleHandleA("user32.dll");
    find(kernel, "SetDefaultDllDirectories", &SetDefaultDllDirectories);
    find(user32, "SetProcessDpiAwarenessContext", &SetProcessDpiAwarenessContext);
    find(user32, "GetDpiForWindow", &GetDpiForWindow);
    find(user32, "SetCoalescableTimer", &SetCoalescableTimer);
    find(user32, "GetDisplayConfigBufferSizes", &GetDisplayConfigBufferSizes);
    find(user32, "QueryDisplayConfig", &QueryDisplayConfig);
    find(user32, "DisplayConfigGetDeviceInfo", &DisplayConfigGetDeviceInfo);
    find(kernel, "SetProcessInformation", &SetProcessInformation);
    // Wine's ntdll alone exports wine_get_version.
    if (GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") == nullptr) {
        find(kernel, "FindFirstFileNameW", &FindFirstFileNameW);
        find(kernel, "FindNextFileNameW", &FindNextFileNameW);
    }
    return 0;
}

int OptionalFunctions::load_shcore()
{
    if (shcore == nullptr) {
        shcore = LoadLibraryA("shcore.dll");
        find(shcore, "SetProcessDpiAwareness", &SetProcessDpiAwareness);
        find(shcore, "GetDpiForMonitor", &GetDpiForMonitor);
    }
    return SetProcessDpiAwareness != nullptr ? 0 : -1;
}

int OptionalFunctions::load_wtsapi()
{
    if (wtsapi == nullptr) {
        wtsapi = LoadLibraryA("wtsapi32.dll");
        find(wtsapi, "WTSRegisterSessionNotification", &WTSRegisterSessionNotification);
        find(wtsapi, "WTSUnRegisterSessionNotification", &WTSUnRegisterSessionNotification);
    }
    return WTSRegisterSessionNotification != nullptr && WTSUnRegisterSessionNotification != nullptr ? 0 : -1;
}
