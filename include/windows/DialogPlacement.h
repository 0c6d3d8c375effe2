#pragma once

#include <windows.h>

#include <vector>

// Brindlow's own dialogs (the colour dialog, About, its message boxes) put
// where the strip does not cover them. The strip is topmost, so any window
// of ours under it is hidden behind its text, and Windows chooses the
// dialogs' places without a thought for it (the colour dialog opens at the
// screen's top-left corner, where the strip usually is). A hook on the
// thread sees each dialog as it is first activated and moves it onto the
// strip's monitor's work area, clear of the strip (clear_of).
class DialogPlacement {
public:
    // The strip's window as its owner knows it, read at each dialog (it
    // may be handed over after init); not owned.
    const HWND* strip = nullptr;
    HHOOK hook = nullptr;
    // Dialogs placed already: activated again (after a box over them
    // closes), they stay where the user may have dragged them.
    std::vector<HWND> placed;

    // Hooks this thread's dialogs; one instance a thread. 0, or -1.
    int init(const HWND* strip_window);
    // Moves one dialog clear of the strip; 1 when it moved.
    int place(HWND dialog);
    int destroy();

private:
    static LRESULT CALLBACK on_cbt(int code, WPARAM wparam, LPARAM lparam);
};
