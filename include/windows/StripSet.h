#pragma once

#include "Layout.h"
#include "Settings.h"
#include "StripCore.h"
#include "StripModel.h"
#include "StripView.h"

#include <windows.h>

#include <memory>
#include <string>
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
    // The first strip, then the others: kept as strips are made and
    // closed, as every message and every wake asks for it.
    const std::vector<StripView*>& all() const { return views; }
    // The strip with this window; null for another window.
    StripView* of(HWND hwnd) const;
    // Makes or closes strips to have one for each place, each new one with
    // the lines as they are, and puts each on its place's monitor (`given`
    // the monitors the places were chosen from); 0, or -1 when a strip
    // could not be made.
    int arrange(const std::vector<StripPlace>& places, const std::vector<MonitorArea>& given, const Settings& s,
                const StripModel& model);
    // What every strip does alike: the lines' texts, the settings' look.
    void take(const StripModel& model, unsigned changed);
    void apply(const Settings& s);
    // Each strip drawn again, or placed again, at the next present.
    void redraw();
    void place_again();
    // Takes what scale each strip asked for; true when one is to be placed.
    bool rescale_asked(const Settings& s);
    // Draws and swaps the strips whose picture changed.
    void present(const std::vector<LineKind>& order, const Settings& s);
    // "Move...": every strip can be grabbed; the first, last, takes the
    // keyboard. `foreground` (or the window in front now) gets it back.
    void begin_move(HWND foreground, const Settings& s);
    // Ends moving all of them; as StripView::end_move for the one last
    // taken hold of (`held`, by its place in all()), whose place is every strip's.
    int end_move(bool keep, int held, const Settings& s, Placement* kept);
    // Closes the others; the first is its owner's.
    int destroy();

private:
    std::vector<StripView*> views;
    // A strip like the first, with its settings, lines and reasons to hide.
    int add(const Settings& s, const StripModel& model);
};
