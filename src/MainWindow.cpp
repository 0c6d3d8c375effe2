#include "MainWindow.h"

#include "DataFolders.h"
#include "OpenGl.h"
#include "SettingsFile.h"
#include "TrayIcon.h"

namespace {
// WS_EX_LAYERED with a colour key makes the cleared background invisible;
// WS_EX_TRANSPARENT together with it lets clicks fall through to what is
// below; WS_EX_TOOLWINDOW keeps the strip off the taskbar and Alt+Tab.
constexpr DWORD kExStyle = WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT | WS_EX_TOPMOST;
constexpr DWORD kStyle = WS_POPUP;

// 8/256 is stored as 8 in an 8-bit channel (0.03125 * 255 rounds to 8), which
// is exactly the colour key: every cleared pixel is shown transparent.
constexpr GLclampf kClearLevel = 0.03125f;


// Windows above the strip that it leaves above it: the menus and tooltips
// (balloons included) the user is reading are short-lived, and covering them
// would hide what they say.
const char* const kTransientClasses[] = {"#32768", "tooltips_class32", nullptr};

// Windows that cover a monitor without being a program shown full-screen.
const char* const kShellClasses[] = {"Progman", "WorkerW", "Shell_TrayWnd", "Shell_SecondaryTrayWnd", nullptr};

// Whether the window's class is one of a null-terminated list.
bool class_in(HWND w, const char* const* classes)
{
    char name[32] = {};
    GetClassNameA(w, name, sizeof name);
    for (; *classes != nullptr; ++classes) {
        if (lstrcmpA(name, *classes) == 0) {
            return true;
        }
    }
    return false;
}

bool is_shell(HWND w)
{
    return w == GetDesktopWindow() || w == GetShellWindow() || class_in(w, kShellClasses);
}

// Whether the foreground window is a program shown full-screen over the
// whole monitor the strip is on. A maximized window with a caption is not,
// even when an auto-hidden taskbar lets it reach the monitor's edges (its
// frame then hangs over them).
bool fullscreen_over(HWND strip)
{
    HWND fg = GetForegroundWindow();
    if (fg == nullptr || fg == strip || !IsWindowVisible(fg) || is_shell(fg)) {
        return false;
    }
    const LONG style = GetWindowLongA(fg, GWL_STYLE);
    if (IsZoomed(fg) && (style & WS_CAPTION) == WS_CAPTION) {
        return false;
    }
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    RECT r{};
    if (!GetMonitorInfoA(MonitorFromWindow(strip, MONITOR_DEFAULTTOPRIMARY), &mi) || !GetWindowRect(fg, &r)) {
        return false;
    }
    return r.left <= mi.rcMonitor.left && r.top <= mi.rcMonitor.top && r.right >= mi.rcMonitor.right &&
           r.bottom >= mi.rcMonitor.bottom;
}
}

int MainWindow::init()
{
    HINSTANCE instance = GetModuleHandleA(nullptr);

    WNDCLASSA wc{};
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = MainWindow::WndProc;
    wc.hInstance = instance;
    wc.lpszClassName = kClassName;
    if (!RegisterClassA(&wc)) {
        return -1;
    }

    hwnd = CreateWindowExA(kExStyle, kClassName, kTitle, kStyle, 0, 0, kWidth, kHeight,
                           nullptr, nullptr, instance, nullptr);
    if (hwnd == nullptr) {
        return -1;
    }
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));

    if (init_opengl() != 0) {
        DestroyWindow(hwnd);
        hwnd = nullptr;
        return -1;
    }
    SetLayeredWindowAttributes(hwnd, kKeyColour, 0, LWA_COLORKEY);
    SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    // SW_SHOW would also activate it, taking the keyboard from whatever had it.
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    SetTimer(hwnd, kClockTimer, kClockTimerMs, nullptr);
    return 0;
}

int MainWindow::init_opengl()
{
    if (gl.init() != 0) {
        return -1;
    }
    // CS_OWNDC: this DC stays valid, with its pixel format, for the window's life.
    hdc = GetDC(hwnd);

    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 32;
    pfd.cDepthBits = 24;
    pfd.cStencilBits = 8;
    pfd.iLayerType = PFD_MAIN_PLANE;

    const int format = ChoosePixelFormat(hdc, &pfd);
    SetPixelFormat(hdc, format, &pfd);
    hglrc = gl.wglCreateContext(hdc);
    gl.wglMakeCurrent(hdc, hglrc);
    init_renderer();
    return 0;
}

int MainWindow::init_displays()
{
    date_display = DateDisplay();
    time_display = TimeDisplay();
    battery_display = BatteryDisplay();
    for (Display* d : lines()) {
        d->set_display_font(&font);
    }
    return apply_settings(settings);
}

std::array<Display*, 3> MainWindow::lines()
{
    return {&date_display, &time_display, &battery_display};
}

int MainWindow::update_lines()
{
    date_display.update();
    time_display.update();
    battery_display.update();
    return 0;
}

int MainWindow::apply_settings(const Settings& s)
{
    settings = s;
    date_display.format = s.date_format;
    time_display.format = s.time_format;
    shown_count = 0;
    for (LineKind kind : s.lines) {
        Display* d = kind == LineKind::Date   ? static_cast<Display*>(&date_display)
                     : kind == LineKind::Time ? static_cast<Display*>(&time_display)
                                              : static_cast<Display*>(&battery_display);
        if (shown_count < 3) {
            shown[shown_count++] = d;
        }
    }
    for (Display* d : lines()) {
        d->colour = s.colour;
        d->shadow = s.shadow;
        d->shadow_shown = s.shadow_shown;
    }
    hide_over_fullscreen = s.hide_over_fullscreen;
    rescale();
    // Lines shown from here on are new: their texts come with the next update.
    update_lines();
    needs_draw = true;
    return place();
}

int MainWindow::load_settings()
{
    if (settings_file == nullptr) {
        return -1;
    }
    const SettingsLoad load = settings_file->load();
    settings_problems = load.problems;
    // DPI awareness is declared once, before the first window.
    if (load.settings.scale_auto != dpi_aware) {
        settings_problems.push_back("[text] scale: a change to or from auto takes effect when Brindlow starts again");
    }
    return apply_settings(load.settings);
}

int MainWindow::report()
{
    constexpr std::size_t kProblemsShown = 3;
    std::vector<std::string> problems = data_problems;
    problems.insert(problems.end(), settings_problems.begin(), settings_problems.end());
    if (layout.monitor_missing) {
        problems.push_back("[overlay] monitor = " + std::to_string(settings.monitor) +
                           ": no such monitor now; the strip is on the primary one");
    }
    const std::string text = problems.empty() ? std::string() : summarize_problems(problems, kProblemsShown);
    if (text == reported) {
        return 0;
    }
    if (text.empty()) {
        reported.clear();
        return 0;
    }
    const std::string file = settings_file != nullptr && !settings_file->path.empty() ? settings_file->path
                                                                                        : std::string(kSettingsFileName);
    // The settings' problems name their file; a data file names itself.
    const std::string title = settings_problems.empty() && !layout.monitor_missing ? "Brindlow" : "Brindlow settings";
    const std::string body = settings_problems.empty() ? text : file + ":\n" + text;
    if (tray == nullptr || tray->show_balloon(title, body) != 0) {
        return -1; // tried again at the next load or placement
    }
    reported = text;
    return 0;
}

int MainWindow::load_font(int halves)
{
    constexpr const char* kAtlas24 = "res/fira-code.png";
    constexpr int kPerRow = 19;
    const int cell = kGlyphSize * halves / 2;
    const std::string wanted = cell == kGlyphSize ? std::string(kAtlas24)
                                                  : "res/fira-code-" + std::to_string(cell) + ".png";
    DataFolders data;
    data.init();
    data_problems.clear();
    font.free();
    font.texture = 0;
    font_halves = halves;
    std::string found = data.find(wanted);
    if (font.load_from_file(found.empty() ? wanted.c_str() : found.c_str(), cell, cell, kPerRow) == 0) {
        return 0;
    }
    const std::string why = wanted + " " + font.failure + " (looked in " + data.describe() + ")";
    if (cell != kGlyphSize) {
        // Drawn larger from the 24-pixel glyphs: blocky, but readable. The
        // texture samples the nearest texel, so it is not blurred.
        found = data.find(kAtlas24);
        if (font.load_from_file(found.empty() ? kAtlas24 : found.c_str(), kGlyphSize, kGlyphSize, kPerRow) == 0) {
            data_problems.push_back(why + ": the 24-pixel font is stretched instead");
            return -1;
        }
    }
    data_problems.push_back(why + ": the text is drawn as squares");
    return -1;
}

int MainWindow::wanted_scale() const
{
    if (!settings.scale_auto || !dpi_aware || hwnd == nullptr) {
        return settings.scale_auto ? 2 : settings.scale_halves;
    }
    // GetDpiForWindow is Windows 10's; before it, the screen's DPI.
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    auto dpi_for = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    int dpi = dpi_for != nullptr ? static_cast<int>(dpi_for(hwnd)) : 0;
    if (dpi <= 0 && hdc != nullptr) {
        dpi = GetDeviceCaps(hdc, LOGPIXELSX);
    }
    return scale_halves_for_dpi(dpi);
}

int MainWindow::rescale()
{
    needs_rescale = false;
    scale_halves = wanted_scale();
    // A font another caller loaded (tests, the benchmark) stays unless the
    // scale really changed.
    if (scale_halves != font_halves) {
        load_font(scale_halves);
    }
    // Whole pixels at every scale: halves of 24 and 12 are exact.
    const int size = kGlyphSize * scale_halves / 2;
    const int advance = kGlyphAdvance * scale_halves / 2;
    for (Display* d : lines()) {
        d->set_font_size(static_cast<float>(size));
        d->set_font_spacing(static_cast<float>(advance));
        d->shadow_offset = scale_halves >= 4 ? scale_halves / 2 : 1;
    }
    needs_place = true;
    return 0;
}

int MainWindow::place()
{
    return place_on(enumerate_monitors());
}

int MainWindow::place_on(const std::vector<MonitorArea>& monitors)
{
    placed_lengths.clear();
    for (int i = 0; i < shown_count; ++i) {
        placed_lengths.push_back(shown[i]->text.size());
    }
    layout = layout_strip(settings, placed_lengths, monitors, scale_halves);
    for (int i = 0; i < shown_count; ++i) {
        shown[i]->set_position(layout.line_x[static_cast<std::size_t>(i)], layout.line_y[static_cast<std::size_t>(i)]);
    }
    const Rect& r = layout.window;
    if (hwnd != nullptr) {
        SetWindowPos(hwnd, HWND_TOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOACTIVATE);
        if (hglrc != nullptr) {
            init_renderer(r.right - r.left, r.bottom - r.top);
        }
    }
    needs_place = false;
    needs_draw = true;
    return report();
}

int MainWindow::run()
{
    running = true;
    MSG msg{};
    while (running) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            // WM_QUIT has no window; the frame it arrived in still completes.
            if (msg.message == WM_QUIT) {
                running = false;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }

        frame();
        Sleep(kFramePauseMs);
    }

    KillTimer(hwnd, kClockTimer);
    font.free();
    if (hglrc != nullptr) {
        gl.wglMakeCurrent(nullptr, nullptr);
        gl.wglDeleteContext(hglrc);
        hglrc = nullptr;
    }
    if (hdc != nullptr) {
        ReleaseDC(hwnd, hdc);
    }
    DestroyWindow(hwnd);
    return 0;
}

int MainWindow::frame()
{
    if (settings_file != nullptr && settings_file->poll() == 1) {
        load_settings();
    }
    update_lines();
    for (int i = 0; i < shown_count; ++i) {
        if (shown[i]->text != drawn_lines[i]) {
            needs_draw = true;
        }
        // A longer line widens the strip; a right-aligned one moves.
        if (shown[i]->text.size() != placed_lengths[static_cast<std::size_t>(i)]) {
            needs_place = true;
        }
    }
    if (needs_rescale) {
        rescale();
    }
    if (needs_place) {
        place();
    }

    keep_on_top();
    if (hide_over_fullscreen || fullscreen_hidden) {
        follow_fullscreen();
    }

    // A hidden strip keeps its changes for the frame after it is shown.
    if (!needs_draw || !IsWindowVisible(hwnd)) {
        return 0;
    }
    draw();
    SwapBuffers(hdc);
    ++swap_count;
    for (int i = 0; i < shown_count; ++i) {
        drawn_lines[i] = shown[i]->text;
    }
    needs_draw = false;
    return 0;
}

int MainWindow::keep_on_top()
{
    RECT strip{};
    GetWindowRect(hwnd, &strip);
    for (HWND w = GetWindow(hwnd, GW_HWNDPREV); w != nullptr; w = GetWindow(w, GW_HWNDPREV)) {
        RECT r{}, overlap{};
        if (!IsWindowVisible(w) || !GetWindowRect(w, &r) || !IntersectRect(&overlap, &r, &strip) ||
            class_in(w, kTransientClasses)) {
            continue;
        }
        // BringWindowToTop would also activate the strip, taking the
        // foreground and the keyboard from the program the user is in.
        SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        return 1;
    }
    return 0;
}

int MainWindow::follow_fullscreen()
{
    const DWORD now = GetTickCount();
    if (static_cast<LONG>(now - next_fullscreen_check) < 0) {
        return 0;
    }
    next_fullscreen_check = now + kFullscreenCheckMs;
    fullscreen_hidden = hide_over_fullscreen && fullscreen_over(hwnd);
    const bool visible = IsWindowVisible(hwnd) != FALSE;
    if (visible == (!fullscreen_hidden && !user_hidden)) {
        return 0;
    }
    // WM_SHOWWINDOW from this call must not be taken for the menu's Hide.
    const bool user = user_hidden;
    ShowWindow(hwnd, visible ? SW_HIDE : SW_SHOWNOACTIVATE);
    user_hidden = user;
    return 0;
}

int MainWindow::draw()
{
    gl.glClearColor(kClearLevel, kClearLevel, kClearLevel, 0.0f);
    gl.glClear(GL_COLOR_BUFFER_BIT);
    for (int i = 0; i < shown_count; ++i) {
        shown[i]->draw();
    }
    return 0;
}

LRESULT CALLBACK MainWindow::WndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam)
{
    // The window keeps its MainWindow in GWLP_USERDATA, an integer by type.
    // NOLINTNEXTLINE(performance-no-int-to-ptr): Win32 stores pointers as integers here.
    MainWindow* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    switch (msg) {
    case WM_PAINT: {
        // Windows keeps a layered window's picture, but whatever was drawn
        // over it (or X, under Wine) may still ask for it again.
        ValidateRect(hwnd, nullptr);
        if (self != nullptr) {
            self->needs_draw = true;
        }
        return 0;
    }
    case WM_TIMER: {
        // Only the modal loops need it; in the frame loop it finds nothing new.
        if (self != nullptr && wparam == kClockTimer) {
            self->frame();
        }
        return 0;
    }
    case WM_DPICHANGED: {
        // Only a DPI-aware process hears it: with scale = auto, the strip
        // moved to a monitor of another DPI, or the user changed it.
        if (self != nullptr) {
            self->needs_rescale = true;
        }
        return 0;
    }
    case WM_DISPLAYCHANGE: {
        // Monitors came or went, or a resolution changed: place it again.
        if (self != nullptr) {
            self->needs_place = true;
        }
        return 0;
    }
    case WM_SHOWWINDOW: {
        // lParam 0: ShowWindow itself, which here is the menu's Hide or its
        // undoing (or follow_fullscreen, which puts the flag back).
        if (self != nullptr && lparam == 0) {
            self->user_hidden = wparam == FALSE;
            self->needs_draw = self->needs_draw || wparam != FALSE;
        }
        break;
    }
    case WM_CLOSE: {
        // Ends the frame loop rather than destroying the window here: run()
        // releases the window's resources once the current frame is done.
        PostQuitMessage(0);
        return 0;
    }
    }
    return DefWindowProcA(hwnd, msg, wparam, lparam);
}

void init_renderer(int width, int height)
{
    gl.glViewport(0, 0, width, height);

    gl.glMatrixMode(GL_PROJECTION);
    gl.glLoadIdentity();
    // Bottom 100, top 0: y grows downward like window coordinates.
    // Near -1 and far 1 are what a 2-D projection leaves the depth range.
    gl.glOrtho(0.0, width, height, 0.0, -1.0, 1.0);

    gl.glMatrixMode(GL_MODELVIEW);
    gl.glLoadIdentity();

    gl.glEnable(GL_TEXTURE_2D);
    gl.glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);

    gl.glEnable(GL_BLEND);
    gl.glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

namespace {
BOOL CALLBACK add_monitor(HMONITOR monitor, HDC, LPRECT, LPARAM param)
{
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    if (GetMonitorInfoA(monitor, &mi)) {
        // NOLINTNEXTLINE(performance-no-int-to-ptr): EnumDisplayMonitors passes our pointer as an LPARAM.
        auto* list = reinterpret_cast<std::vector<MonitorArea>*>(param);
        list->push_back(MonitorArea{Rect{mi.rcMonitor.left, mi.rcMonitor.top, mi.rcMonitor.right, mi.rcMonitor.bottom},
                                    Rect{mi.rcWork.left, mi.rcWork.top, mi.rcWork.right, mi.rcWork.bottom},
                                    (mi.dwFlags & MONITORINFOF_PRIMARY) != 0});
    }
    return TRUE;
}
}

std::vector<MonitorArea> enumerate_monitors()
{
    std::vector<MonitorArea> monitors;
    EnumDisplayMonitors(nullptr, nullptr, add_monitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}
