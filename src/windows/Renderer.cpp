#include "Renderer.h"

#include "DataFolders.h"
#include "Layout.h"
#include "OpenGl.h"
#include "Problem.h"

namespace {
// 8/256 is stored as 8 in an 8-bit channel (0.03125 * 255 rounds to 8), which
// is exactly the colour key: every cleared pixel is shown transparent.
constexpr GLclampf kClearLevel = 0.03125f;
constexpr const char* kAtlas24 = "res/fira-code.png";
// The DC the thread's context is current on: the strips take turns with it.
HDC g_current_dc = nullptr;
}

int Renderer::init(HWND hwnd, int w, int h, const Renderer* shared)
{
    failed_call = nullptr;
    failed_error = 0;
    if (gl.init() != 0) {
        failed_call = "LoadLibraryA(opengl32.dll)";
        failed_error = GetLastError();
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
    // No depth or stencil: nothing is drawn with them, and each would be a
    // buffer the size of the strip's for the driver to keep.
    pfd.cDepthBits = 0;
    pfd.cStencilBits = 0;
    pfd.iLayerType = PFD_MAIN_PLANE;

    // A context can be made current on any window whose pixel format is
    // its own: another strip's format is taken as it is.
    const int format = hdc == nullptr      ? 0
                       : shared != nullptr ? GetPixelFormat(shared->hdc)
                                           : ChoosePixelFormat(hdc, &pfd);
    owns_context = shared == nullptr;
    if (format == 0 || !SetPixelFormat(hdc, format, &pfd)) {
        failed_call = format == 0 ? "ChoosePixelFormat" : "SetPixelFormat";
    } else if ((hglrc = owns_context ? gl.wglCreateContext(hdc) : shared->hglrc) == nullptr) {
        failed_call = "wglCreateContext";
    } else if (!gl.wglMakeCurrent(hdc, hglrc)) {
        failed_call = "wglMakeCurrent";
    }
    if (failed_call != nullptr) {
        failed_error = GetLastError();
        destroy(hwnd);
        return -1;
    }
    g_current_dc = hdc;
    width = w;
    height = h;
    init_renderer(width, height);
    return 0;
}

int Renderer::make_current()
{
    if (hglrc == nullptr || g_current_dc == hdc) {
        return 0;
    }
    if (!gl.wglMakeCurrent(hdc, hglrc)) {
        return -1;
    }
    g_current_dc = hdc;
    // The projection is the context's, not the window's: the last strip's.
    init_renderer(width, height);
    return 0;
}

int Renderer::resize(int w, int h)
{
    width = w;
    height = h;
    if (hglrc != nullptr && make_current() == 0) {
        init_renderer(width, height);
    }
    return 0;
}

void Renderer::release_font()
{
    if (font_halves == 0) {
        return;
    }
    make_current();
    glyphs.destroy();
    font.free();
    font_halves = 0;
}

int Renderer::load_font(int halves, std::vector<std::string>* problems)
{
    const int cell = kGlyphSize * halves / 2;
    const std::string wanted =
        cell == kGlyphSize ? std::string(kAtlas24) : "res/fira-code-" + std::to_string(cell) + ".png";
    DataFolders data;
    data.init();
    make_current();
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
            problems->push_back(why + ": the 24-pixel font is stretched instead");
            return -1;
        }
    }
    problems->push_back(why + ": the text is drawn as squares");
    return -1;
}

int Renderer::load_glyphs(int halves, const std::string& family, std::vector<std::string>* problems)
{
    const int cell = kGlyphSize * halves / 2;
    make_current();
    font.glyphs = &glyphs;
    if (glyphs.init(cell, family) != 0) {
        problems->push_back(problem_text(
            {setting_about("text", "font", family), "no such font is installed", "", "the bundled Fira Code is used"}));
        return -1;
    }
    return 0;
}

int Renderer::draw(Display* const* lines, int count, unsigned int backdrop)
{
    make_current();
    if (backdrop == kKeyBackdrop) {
        gl.glClearColor(kClearLevel, kClearLevel, kClearLevel, 0.0f);
    } else {
        const float kChannel = 255.0f;
        gl.glClearColor(static_cast<float>((backdrop >> 16) & 0xFF) / kChannel,
                        static_cast<float>((backdrop >> 8) & 0xFF) / kChannel,
                        static_cast<float>(backdrop & 0xFF) / kChannel, 0.0f);
    }
    gl.glClear(GL_COLOR_BUFFER_BIT);
    for (int i = 0; i < count; ++i) {
        lines[i]->draw();
    }
    return 0;
}

int Renderer::swap()
{
    SwapBuffers(hdc);
    ++swap_count;
    return 0;
}

int Renderer::destroy(HWND hwnd)
{
    // The textures are freed in the context they were made in.
    make_current();
    glyphs.destroy();
    font.glyphs = nullptr;
    font.free();
    if (hglrc != nullptr) {
        gl.wglMakeCurrent(nullptr, nullptr);
        g_current_dc = nullptr;
        if (owns_context) {
            gl.wglDeleteContext(hglrc);
        }
        hglrc = nullptr;
    }
    if (hdc != nullptr) {
        ReleaseDC(hwnd, hdc);
        hdc = nullptr;
    }
    return 0;
}

void init_renderer(int width, int height)
{
    gl.glViewport(0, 0, width, height);

    gl.glMatrixMode(GL_PROJECTION);
    gl.glLoadIdentity();
    // Bottom `height`, top 0: y grows downward like window coordinates.
    // Near -1 and far 1 are what a 2-D projection leaves the depth range.
    gl.glOrtho(0.0, width, height, 0.0, -1.0, 1.0);

    gl.glMatrixMode(GL_MODELVIEW);
    gl.glLoadIdentity();

    gl.glEnable(GL_TEXTURE_2D);
    gl.glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);

    gl.glEnable(GL_BLEND);
    gl.glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}
