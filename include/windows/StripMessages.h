#pragma once

#include <windows.h>

// What the icon posts to the strip's window beyond Windows' own messages
// (ShowWindow, WM_CLOSE): the one header both rooms read.

// "Move..." and "Done": wParam 1 for "Done" (keep the place), 2 to end the
// move putting the strip back (as Esc does); otherwise lParam is the window
// that had the foreground, which gets the keyboard back.
constexpr UINT kStripMoveMessage = WM_APP + 2;
constexpr WPARAM kStripMoveDone = 1;
constexpr WPARAM kStripMovePutBack = 2;

// The menu's Hide Brindlow and its key: wParam 1 hides the strip, 0 shows it
// (unless another reason keeps it hidden).
constexpr UINT kStripHideMessage = WM_APP + 3;
