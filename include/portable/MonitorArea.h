#pragma once

#include <string>

// A monitor as the placing code sees it: its rectangles in screen
// coordinates and what it is called, as Windows reports them.

struct Rect {
    int left, top, right, bottom;
    bool operator==(const Rect& o) const
    {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

struct MonitorArea {
    Rect monitor;
    Rect work; // without the taskbar
    bool primary;
    std::string device; // "\\.\DISPLAY2"; empty when not known
    std::string name; // as Display settings shows it, "DELL U2720Q"; may be empty or shared
    int dpi = 0; // its own DPI as this process is told it; 0: not known
};
