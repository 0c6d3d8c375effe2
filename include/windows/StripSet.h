#pragma once

#include "Layout.h"
#include "Settings.h"
#include "StripModel.h"
#include "StripView.h"

#include <windows.h>

#include <memory>
#include <vector>

// Every strip on the screen: the first (the main strip, whose window holds
// the timers and the icon's messages) and one more for each further monitor
// the settings choose, made and closed as monitors come and go. The others
// draw with the first one's OpenGL context.
class StripSet {
public:
    StripView* first = nullptr; // not owned
    std::vector<std::unique_ptr<StripView>> others;
    // The monitors as last handed to place_on.
    std::vector<MonitorArea> monitors;
    // Where the others' messages go (and whose owner they find), as the first's.
    WNDPROC proc = nullptr;
    void* owner = nullptr;

    int init(StripView* main, WNDPROC procedure, void* window_owner);
    // The first strip, then the others.
    std::vector<StripView*> all() const;
    // The strip with this window; null for another window.
    StripView* of(HWND hwnd) const;
    // Makes or closes strips to have one on each monitor these settings
    // choose of `given`, gives each a new one the lines as they are, and
    // places them all; 0, or -1 when a strip could not be made (the ones
    // there are placed).
    int place_on(const Settings& s, const std::vector<MonitorArea>& given, const StripModel& model);
    // Closes the others; the first is its owner's.
    int destroy();

private:
    // A strip like the first, with its settings, lines and reasons to hide.
    int add(const Settings& s, const StripModel& model);
};
