#include "MainWindow.h"

#include "OpenGl.h"

namespace {
// WS_EX_LAYERED with a colour key makes the cleared background invisible;
// WS_EX_TRANSPARENT together with it lets clicks fall through to what is
// below; WS_EX_TOOLWINDOW keeps the strip off the taskbar and Alt+Tab.
constexpr DWORD kExStyle = WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT | WS_EX_TOPMOST;
constexpr DWORD kStyle = WS_POPUP;

// 8/256 is stored as 8 in an 8-bit channel (0.03125 * 255 rounds to 8), which
// is exactly the colour key: every cleared pixel is shown transparent.
constexpr GLclampf kClearLevel = 0.03125f;

constexpr int kDateX = 10, kDateY = 10;
constexpr int kTimeX = 10, kTimeY = 32;
constexpr int kBatteryX = 10, kBatteryY = 54;
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

    if (init_opengl() != 0) {
        DestroyWindow(hwnd);
        hwnd = nullptr;
        return -1;
    }
    SetLayeredWindowAttributes(hwnd, kKeyColour, 0, LWA_COLORKEY);
    SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    ShowWindow(hwnd, SW_SHOW);
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
    date_display.set_display_font(&font);
    date_display.set_position(kDateX, kDateY);

    time_display = TimeDisplay();
    time_display.set_display_font(&font);
    time_display.set_position(kTimeX, kTimeY);

    battery_display = BatteryDisplay();
    battery_display.set_display_font(&font);
    battery_display.set_position(kBatteryX, kBatteryY);
    return 0;
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

        // Windows that become topmost later (and the shell's own) would cover
        // the strip; raising it every frame keeps it on top of the band.
        BringWindowToTop(hwnd);

        battery_display.update();
        date_display.update();
        time_display.update();
        draw();
        SwapBuffers(hdc);
        Sleep(kFramePauseMs);
    }

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

int MainWindow::draw()
{
    gl.glClearColor(kClearLevel, kClearLevel, kClearLevel, 0.0f);
    gl.glClear(GL_COLOR_BUFFER_BIT);
    battery_display.draw();
    date_display.draw();
    time_display.draw();
    return 0;
}

LRESULT CALLBACK MainWindow::WndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam)
{
    switch (msg) {
    case WM_CLOSE: {
        // Ends the frame loop rather than destroying the window here: run()
        // releases the window's resources once the current frame is done.
        PostQuitMessage(0);
        return 0;
    }
    }
    return DefWindowProcA(hwnd, msg, wparam, lparam);
}

void init_renderer()
{
    gl.glViewport(0, 0, MainWindow::kWidth, MainWindow::kHeight);

    gl.glMatrixMode(GL_PROJECTION);
    gl.glLoadIdentity();
    // Bottom 100, top 0: y grows downward like window coordinates.
    // Near -1 and far 1 are what a 2-D projection leaves the depth range.
    gl.glOrtho(0.0, MainWindow::kWidth, MainWindow::kHeight, 0.0, -1.0, 1.0);

    gl.glMatrixMode(GL_MODELVIEW);
    gl.glLoadIdentity();

    gl.glEnable(GL_TEXTURE_2D);
    gl.glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);

    gl.glEnable(GL_BLEND);
    gl.glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}
