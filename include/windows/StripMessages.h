#pragma once

#include <windows.h>

// The strip's window's own messages, beyond Windows' (WM_CLOSE): what the
// icon and the window-event hook send or post to it. Every
// WM_APP number is handed out here, so that no two can meet by accident;
// the one header both rooms read.

// Posted to the strip by a window event (EventSources); one at a time.
constexpr UINT kStripWindowEventMessage = WM_APP + 1;

// "Move..." and "Done": wParam 1 for "Done" (keep the place), 2 to end the
// move putting the strip back (as Esc does); otherwise lParam is the window
// that had the foreground, which gets the keyboard back.
constexpr UINT kStripMoveMessage = WM_APP + 2;
constexpr WPARAM kStripMoveDone = 1;
constexpr WPARAM kStripMovePutBack = 2;
// Sent with wParam 3, it starts nothing and answers 1 while the strip is
// being moved (the menu's "Move..." reads "Done" then), else 0.
constexpr WPARAM kStripMoveAsk = 3;

// The menu's Hide Brindlow and its key: wParam 1 hides the strip, 0 shows it
// (unless another reason keeps it hidden).
constexpr UINT kStripHideMessage = WM_APP + 3;

// What the icon tells the strip's core: lParam is the icon's
// `const StripEvent*` (a key the menu wrote, with the settings as the file
// says them now; the hotkey registered; a balloon refused), so it is sent,
// never posted.
constexpr UINT kStripEventMessage = WM_APP + 4;
