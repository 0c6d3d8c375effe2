// How long Brindlow.exe takes to start: from CreateProcess until its
// notification icon's window exists, which it makes after the window, the
// OpenGL context and the font, just before the first frame. Several builds
// given together are started in turn, so that they share the machine's state.
//
//   StartBench <working dir> <rounds> <Brindlow.exe> [<other Brindlow.exe> ...]
#include "MainWindow.h"
#include "TrayIcon.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {
constexpr DWORD kGiveUpMs = 20000;

struct Found {
    DWORD pid;
    bool seen;
};

BOOL CALLBACK find_tray(HWND hwnd, LPARAM param)
{
    Found* f = reinterpret_cast<Found*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    if (pid == f->pid && lstrcmpA(name, TrayIcon::kClassName) == 0) {
        f->seen = true;
        return FALSE;
    }
    return TRUE;
}

// Milliseconds to start, or a negative number when it did not.
double start_once(const std::string& exe, const char* workdir)
{
    LARGE_INTEGER freq, t0, t1;
    QueryPerformanceFrequency(&freq);
    std::string cmd = "\"" + exe + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    QueryPerformanceCounter(&t0);
    if (!CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, workdir, &si, &pi)) {
        return -1.0;
    }
    Found f{pi.dwProcessId, false};
    const DWORD end = GetTickCount() + kGiveUpMs;
    while (!f.seen && static_cast<LONG>(end - GetTickCount()) > 0 &&
           WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) {
        EnumWindows(find_tray, reinterpret_cast<LPARAM>(&f));
        if (!f.seen) {
            Sleep(1);
        }
    }
    QueryPerformanceCounter(&t1);
    PostMessageA(FindWindowA(MainWindow::kClassName, nullptr), WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, kGiveUpMs) != WAIT_OBJECT_0) {
        TerminateProcess(pi.hProcess, 1);
        WaitForSingleObject(pi.hProcess, kGiveUpMs);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return f.seen ? static_cast<double>(t1.QuadPart - t0.QuadPart) * 1000.0 / static_cast<double>(freq.QuadPart) : -1.0;
}
}

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: StartBench <working dir> <rounds> <Brindlow.exe> [...]\n");
        return 2;
    }
    const int rounds = std::atoi(argv[2]);
    const int builds = argc - 3;
    std::vector<std::vector<double>> times(static_cast<std::size_t>(builds));
    for (int r = 0; r < rounds; ++r) {
        for (int b = 0; b < builds; ++b) {
            const double ms = start_once(argv[3 + b], argv[1]);
            if (ms < 0) {
                std::fprintf(stderr, "StartBench: %s did not start\n", argv[3 + b]);
                return 1;
            }
            times[static_cast<std::size_t>(b)].push_back(ms);
        }
    }
    for (int b = 0; b < builds; ++b) {
        std::vector<double>& t = times[static_cast<std::size_t>(b)];
        std::sort(t.begin(), t.end());
        std::printf("start-up of %s over %d runs: median %.1f ms (%.1f to %.1f)\n", argv[3 + b], rounds,
                    t[t.size() / 2], t.front(), t.back());
    }
    return 0;
}
