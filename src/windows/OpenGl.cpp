#include "OpenGl.h"

OpenGl gl;

int OpenGl::init()
{
    if (module != nullptr) {
        return 0;
    }
    char path[MAX_PATH];
    const UINT n = GetSystemDirectoryA(path, MAX_PATH);
    if (n == 0 || n + 1 + lstrlenA(kDllName) >= MAX_PATH) {
        return -1;
    }
    lstrcatA(path, "\\");
    lstrcatA(path, kDllName);
    // LOAD_WITH_ALTERED_SEARCH_PATH: opengl32.dll's own dependencies are then
    // looked for beside it, in the system folder, not beside the program.
    HMODULE loaded = LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (loaded == nullptr) {
        return -1;
    }
    OpenGl found;
    bool complete = true;
    // GetProcAddress answers FARPROC; the cast through void* is how a
    // function found by name gets its real type back.
#define BRINDLOW_GL_FIND(name)                                                                                   \
    found.name = reinterpret_cast<decltype(found.name)>(reinterpret_cast<void*>(GetProcAddress(loaded, #name))); \
    complete = complete && found.name != nullptr;
    BRINDLOW_GL_FUNCTIONS(BRINDLOW_GL_FIND)
#undef BRINDLOW_GL_FIND
    if (!complete) {
        FreeLibrary(loaded);
        return -1;
    }
    found.module = loaded;
    *this = found;
    return 0;
}
