#include "TestSupport.h"

#include "FileBytes.h"
#include "FirstStart.h"
#include "ModalDriver.h"
#include "WideText.h"
#include "ZoneRules.h"

#include <GL/gl.h>
#include <objbase.h>
#include <shobjidl.h>

#include <cstdio>
#include <cstdlib>
#include <ostream>

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#endif
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

// Every test program starts with the first start's greeting already given
// in its prefix: a test that counts balloons must not count it, whichever
// test ran first. The greeting's own test takes the mark away.
namespace {
[[maybe_unused]] const int kWelcomed = FirstStart::mark();
}

void PrintTo(const Rgb& c, std::ostream* os) { *os << "(" << c.r << ", " << c.g << ", " << c.b << ")"; }

namespace {
void remove_tree(const std::string& dir)
{
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") {
                continue;
            }
            const std::string full = dir + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                remove_tree(full);
            } else {
                DeleteFileA(full.c_str());
            }
        } while (FindNextFileA(h, &found));
        FindClose(h);
    }
    RemoveDirectoryA(dir.c_str());
}
}

std::string fresh_temp_dir(const std::string& name)
{
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    const std::string dir = std::string(base) + "brindlow-test-" + name;
    remove_tree(dir);
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

void write_file(const std::string& path, const std::vector<unsigned char>& bytes)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    if (!bytes.empty()) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
    }
    std::fclose(f);
}

std::vector<unsigned char> read_whole_file(const std::string& path)
{
    std::string bytes;
    bool missing = false;
    // What could be read is what the test compares; a failure shows there.
    (void)read_file_bytes(path, std::string::npos, &bytes, &missing);
    return std::vector<unsigned char>(bytes.begin(), bytes.end());
}

void write_png(const std::string& path, int w, int h, const std::vector<unsigned char>& rgba)
{
    ASSERT_NE(stbi_write_png(path.c_str(), w, h, 4, rgba.data(), w * 4), 0) << path;
}

Shortcut read_shortcut(const std::string& path)
{
    Shortcut s;
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link)))) {
        return s;
    }
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t wide[MAX_PATH] = {};
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
        if (SUCCEEDED(file->Load(wide, STGM_READ))) {
            char buf[MAX_PATH] = {};
            link->GetPath(buf, MAX_PATH, nullptr, 0);
            s.target = buf;
            buf[0] = '\0';
            link->GetWorkingDirectory(buf, MAX_PATH);
            s.workdir = buf;
            s.loaded = true;
        }
        file->Release();
    }
    link->Release();
    return s;
}

bool running_under_wine()
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::string unix_path(const std::string& windows_path)
{
    using UnixNameFn = char*(CDECL*)(LPCWSTR);
    auto unix_name = reinterpret_cast<UnixNameFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (unix_name == nullptr) {
        return std::string();
    }
    char* name = unix_name(widen(windows_path).c_str());
    if (name == nullptr) {
        return std::string();
    }
    std::string path = name;
    HeapFree(GetProcessHeap(), 0, name);
    return path;
}

std::string address_opened(const std::function<void()>& open, const std::string& stub, const std::string& log)
{
    DeleteFileA(log.c_str());
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\WineBrowser", 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
        return std::string();
    }
    char previous[1024] = {};
    DWORD previous_size = sizeof previous;
    const bool had_previous = RegQueryValueExA(key, "Browsers", nullptr, nullptr, reinterpret_cast<BYTE*>(previous),
                                               &previous_size) == ERROR_SUCCESS;
    RegSetValueExA(key, "Browsers", 0, REG_SZ, reinterpret_cast<const BYTE*>(stub.c_str()),
                   static_cast<DWORD>(stub.size() + 1));
    open();
    std::string opened;
    pump_until(
        [&] {
            const std::vector<unsigned char> bytes = read_whole_file(log);
            opened.assign(bytes.begin(), bytes.end());
            return opened.find('\n') != std::string::npos;
        },
        20000);
    if (had_previous) {
        RegSetValueExA(key, "Browsers", 0, REG_SZ, reinterpret_cast<const BYTE*>(previous), previous_size);
    } else {
        RegDeleteValueA(key, "Browsers");
    }
    RegCloseKey(key);
    return opened;
}

int run_unix_shell(const std::string& command)
{
    // Wine starts a Unix program named by its Windows path (Z: is /), but
    // hands back no handle to wait on: the command leaves its exit code in
    // a file of its own, looked for until it appears.
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string done = std::string(temp) + "brindlow-unix-shell-" + std::to_string(GetCurrentProcessId());
    const std::string done_unix = unix_path(done);
    DeleteFileA(done.c_str());
    if (done_unix.empty()) {
        return -1;
    }
    // Wine splits the line into arguments as Windows does: the script is one
    // argument in double quotes, with its own double quotes escaped.
    std::string line = "/bin/sh -c \"";
    for (char c : command + "; echo $? > \"" + done_unix + "\"") {
        line += c == '"' ? std::string("\\\"") : std::string(1, c);
    }
    line += "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA("Z:\\bin\\sh", &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        return -1;
    }
    if (pi.hThread != nullptr) {
        CloseHandle(pi.hThread);
    }
    if (pi.hProcess != nullptr) {
        CloseHandle(pi.hProcess);
    }
    constexpr DWORD kWaitMs = 10000;
    for (const DWORD start = GetTickCount(); GetTickCount() - start < kWaitMs; Sleep(20)) {
        const std::vector<unsigned char> code = read_whole_file(done);
        if (!code.empty() && code.back() == '\n') {
            DeleteFileA(done.c_str());
            return std::atoi(std::string(code.begin(), code.end()).c_str());
        }
    }
    return -1;
}

std::string source_path(const std::string& relative) { return std::string(BRINDLOW_SOURCE_DIR) + "/" + relative; }

Rgb read_pixel(int x, int y, int height)
{
    unsigned char p[4] = {0, 0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    // OpenGL counts rows from the bottom.
    glReadPixels(x, height - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return Rgb{p[0], p[1], p[2]};
}

std::vector<Rgb> read_frame(int w, int h)
{
    std::vector<unsigned char> raw(static_cast<std::size_t>(w) * h * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, raw.data());
    std::vector<Rgb> frame(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        const unsigned char* row = &raw[static_cast<std::size_t>(h - 1 - y) * w * 4];
        for (int x = 0; x < w; ++x) {
            frame[static_cast<std::size_t>(y) * w + x] = Rgb{row[x * 4], row[x * 4 + 1], row[x * 4 + 2]};
        }
    }
    return frame;
}

std::vector<Rgb> capture_screen(int x, int y, int w, int h)
{
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = w;
    bmi.bmiHeader.biHeight = -h; // top-down
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(mem, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, w, h, screen, x, y, SRCCOPY);
    GdiFlush();
    std::vector<Rgb> out(static_cast<std::size_t>(w) * h);
    const unsigned char* p = static_cast<const unsigned char*>(bits);
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] = Rgb{p[i * 4 + 2], p[i * 4 + 1], p[i * 4]};
    }
    SelectObject(mem, old);
    DeleteObject(dib);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return out;
}

void move_wine_tray_away()
{
    HWND tray = FindWindowA(nullptr, "Wine System Tray");
    if (tray != nullptr) {
        SetWindowPos(tray, HWND_BOTTOM, 2000, 2000, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

void clear_to(const Rgb& c)
{
    glClearColor(c.r / 255.0f, c.g / 255.0f, c.b / 255.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

int draw_frame(MainWindow& w) { return w.view.draw(w.core.model.draw_order(), w.core.model.settings); }

bool run_frames(MainWindow& w, DWORD ms, const std::function<bool()>& done)
{
    const DWORD end = GetTickCount() + ms;
    for (LONG left = static_cast<LONG>(ms); left > 0; left = static_cast<LONG>(end - GetTickCount())) {
        w.pass(static_cast<DWORD>(left));
        if (done && done()) {
            return true;
        }
    }
    return false;
}

const char* test_window_class()
{
    static const char* const name = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "OrdinaryTestWindow";
        RegisterClassA(&wc);
        return wc.lpszClassName;
    }();
    return name;
}

void OverlayTest::SetUp()
{
    ASSERT_EQ(window.init(), 0);
    ASSERT_NE(wglGetCurrentContext(), nullptr);
}

void OverlayTest::TearDown()
{
    if (window.view.strip.hwnd != nullptr && IsWindow(window.view.strip.hwnd)) {
        window.destroy();
    }
}

ClockReading clock_at(long long utc_seconds)
{
    ClockReading c;
    c.ok = true;
    c.utc_seconds = utc_seconds;
    c.local = zone_time(c.utc_seconds, ZoneRules{0, 0, 0, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}}).local;
    return c;
}

void save_screen(const std::string& path, int x, int y, int w, int h)
{
    move_wine_tray_away();
    std::vector<unsigned char> rgba;
    for (const Rgb& c : capture_screen(x, y, w, h)) {
        rgba.insert(rgba.end(), {static_cast<unsigned char>(c.r), static_cast<unsigned char>(c.g),
                                 static_cast<unsigned char>(c.b), 255});
    }
    write_png(path, w, h, rgba);
}
