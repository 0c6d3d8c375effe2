#pragma once

#include <windows.h>
#include <GL/gl.h>

// The OpenGL functions the overlay calls, taken from opengl32.dll in the
// system folder by its full path. Linked the usual way, opengl32.dll would be
// resolved by the loader before main() runs and looked for in the program's
// own folder first (it is not one of Windows' KnownDLLs), where anyone who can
// write to that folder could plant a copy that runs inside the program.
// clang-format off
#define BRINDLOW_GL_FUNCTIONS(X) \
    X(glBegin) X(glBindTexture) X(glBlendFunc) X(glClear) X(glClearColor) X(glColor3f) X(glDeleteTextures) \
    X(glEnable) X(glEnd) X(glGenTextures) X(glLoadIdentity) X(glMatrixMode) X(glOrtho) X(glTexCoord2f) \
    X(glTexEnvi) X(glTexImage2D) X(glTexParameteri) X(glTexSubImage2D) X(glVertex2f) X(glViewport) \
    X(wglCreateContext) X(wglDeleteContext) X(wglMakeCurrent)
// clang-format on

class OpenGl {
public:
    static constexpr const char* kDllName = "opengl32.dll";

    HMODULE module = nullptr;
// NOLINTNEXTLINE(bugprone-macro-parentheses): `name` is a declarator here, which parentheses would not allow.
#define BRINDLOW_GL_FIELD(name) decltype(&::name) name = nullptr;
    BRINDLOW_GL_FUNCTIONS(BRINDLOW_GL_FIELD)
#undef BRINDLOW_GL_FIELD

    // Loads the system folder's opengl32.dll and finds every function; 0, or
    // -1 with every function null. Once loaded, later calls return 0 at once.
    int init();
};

// The one set of functions the process uses.
extern OpenGl gl;
