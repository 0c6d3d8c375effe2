#include "Layout.h"

#include "MonitorChoice.h"
#include "Problem.h"

#include <algorithm>

namespace {
// Every length at scale 1, scaled: the halves keep 1.5 exact.
int scaled(int length, int halves) { return length * halves / 2; }
}

int scale_halves_for_dpi(int dpi)
{
    const struct {
        int dpi, halves;
    } steps[] = {{288, 6}, {192, 4}, {144, 3}};
    for (const auto& step : steps) {
        if (dpi >= step.dpi) {
            return step.halves;
        }
    }
    return 2;
}

StripLayout layout_strip_widths(const Settings& s, const std::vector<int>& line_widths,
                                const std::vector<MonitorArea>& monitors, int scale_halves)
{
    const MonitorChoice choice = choose_monitors(s, monitors);
    StripLayout out = layout_strip_on(s, line_widths,
                                      choice.chosen.empty() ? nullptr : &monitors[choice.chosen.front()], scale_halves);
    out.monitor_missing = choice.missing;
    return out;
}

StripLayout layout_strip_on(const Settings& s, const std::vector<int>& line_widths, const MonitorArea* chosen,
                            int scale_halves)
{
    const int h2 = scale_halves;
    StripLayout out;
    const Rect origin{0, 0, scaled(kMinStripWidth, h2), scaled(kStripHeightThreeLines, h2)};
    const Rect area = chosen == nullptr ? origin : (s.area == Area::Work ? chosen->work : chosen->monitor);

    const int lines = static_cast<int>(line_widths.size());
    int longest = 0;
    for (int w : line_widths) {
        longest = std::max(longest, w);
    }
    // The shadow reaches one pixel beyond the squares.
    const int margin_x = scaled(kMarginX, h2), margin_y = scaled(kMarginY, h2);
    const int step = scaled(kLineStep, h2), glyph = scaled(kGlyphSize, h2);
    const int shadow = std::max(1, scaled(1, h2));
    const int width = std::max(scaled(kMinStripWidth, h2), 2 * margin_x + longest + shadow);
    const int height = scaled(kStripHeightThreeLines, h2) - step * (3 - lines);
    const bool right = s.corner == Corner::TopRight || s.corner == Corner::BottomRight;
    const bool bottom = s.corner == Corner::BottomLeft || s.corner == Corner::BottomRight;

    // An offset is reduced so that the strip just fits: x = 5000 must not
    // put it where nobody can see it. Larger than the area, it hugs the corner.
    out.area_width = area.right - area.left;
    out.area_height = area.bottom - area.top;
    out.too_wide = width > out.area_width;
    out.too_tall = height > out.area_height;
    out.placed_x = out.too_wide ? 0 : std::min(s.x, out.area_width - width);
    out.placed_y = out.too_tall ? 0 : std::min(s.y, out.area_height - height);
    // Also said of a strip too large for the area: its offset is dropped.
    out.x_reduced = out.placed_x != s.x;
    out.y_reduced = out.placed_y != s.y;
    const int left = right ? area.right - width - out.placed_x : area.left + out.placed_x;
    const int top = bottom ? area.bottom - height - out.placed_y : area.top + out.placed_y;
    out.window = Rect{left, top, left + width, top + height};
    for (int i = 0; i < lines; ++i) {
        const int w = line_widths[static_cast<std::size_t>(i)];
        const int x = right ? width - margin_x - w : margin_x;
        const int y = bottom ? height - margin_y - glyph - step * (lines - 1 - i) : margin_y + step * i;
        out.line_x.push_back(x);
        out.line_y.push_back(y);
        out.ink.push_back(w > 0 ? Rect{x, y, x + w + shadow, y + glyph + shadow} : Rect{x, y, x, y});
    }
    // A strip too large for the area hugs its corner, so its text starts a
    // margin in from the area's edge whatever else runs off.
    out.text_width = lines == 0 ? 0 : margin_x + longest + shadow;
    out.text_height = lines == 0 ? 0 : margin_y + step * (lines - 1) + glyph + shadow;
    out.text_cut = out.text_width > out.area_width || out.text_height > out.area_height;
    return out;
}

std::vector<std::string> layout_problems(const Settings& s, const StripLayout& layout, const std::string& monitor)
{
    std::vector<std::string> problems;
    const std::string where =
        std::string(s.area == Area::Work ? "the work area" : "the screen") + (monitor.empty() ? "" : " of " + monitor);
    if (layout.x_reduced) {
        problems.push_back(
            problem_text({setting_about("overlay", "x", std::to_string(s.x)), "the strip would leave " + where, "",
                          "placed at " + std::to_string(layout.placed_x)}));
    }
    if (layout.y_reduced) {
        problems.push_back(
            problem_text({setting_about("overlay", "y", std::to_string(s.y)), "the strip would leave " + where, "",
                          "placed at " + std::to_string(layout.placed_y)}));
    }
    if (layout.text_cut) {
        problems.push_back("[overlay] the text (" + std::to_string(layout.text_width) + " x " +
                           std::to_string(layout.text_height) + ") is larger than " + where + " (" +
                           std::to_string(layout.area_width) + " x " + std::to_string(layout.area_height) +
                           "); placed at its corner, cut at the edge");
    }
    return problems;
}

StripLayout clip_layout(const StripLayout& layout, const Rect& to)
{
    const Rect& w = layout.window;
    const Rect cut{std::max(w.left, to.left), std::max(w.top, to.top), std::min(w.right, to.right),
                   std::min(w.bottom, to.bottom)};
    if (cut.right <= cut.left || cut.bottom <= cut.top) {
        return layout; // not on that rectangle at all: nothing to keep
    }
    StripLayout out = layout;
    out.whole = w;
    out.window = cut;
    for (int& x : out.line_x) {
        x -= cut.left - w.left;
    }
    for (int& y : out.line_y) {
        y -= cut.top - w.top;
    }
    for (Rect& r : out.ink) {
        r = Rect{r.left - (cut.left - w.left), r.top - (cut.top - w.top), r.right - (cut.left - w.left),
                 r.bottom - (cut.top - w.top)};
    }
    return out;
}

std::vector<Rect> hover_areas(const StripLayout& layout, int scale_halves)
{
    const int pad = scaled(kHoverMargin, scale_halves);
    std::vector<Rect> areas;
    for (const Rect& r : layout.ink) {
        if (r.right > r.left && r.bottom > r.top) {
            areas.push_back(Rect{r.left - pad, r.top - pad, r.right + pad, r.bottom + pad});
        }
    }
    return areas;
}

Rect clear_of(const Rect& size, const Rect& avoid, const Rect& work)
{
    const int w = size.right - size.left, h = size.bottom - size.top;
    // A window at (x, y), kept on the area where it fits (its top-left
    // corner wins where it does not: the title bar must stay reachable).
    auto at = [&](int x, int y) {
        x = std::max(work.left, std::min(x, work.right - w));
        y = std::max(work.top, std::min(y, work.bottom - h));
        return Rect{x, y, x + w, y + h};
    };
    auto overlap = [&](const Rect& r) {
        const long long ox = std::max(0, std::min(r.right, avoid.right) - std::max(r.left, avoid.left));
        const long long oy = std::max(0, std::min(r.bottom, avoid.bottom) - std::max(r.top, avoid.top));
        return ox * oy;
    };
    const int cx = (work.left + work.right - w) / 2, cy = (work.top + work.bottom - h) / 2;
    // The bands of the area beside the strip: below, above, right, left;
    // the window centred in each.
    const struct {
        int room;
        Rect place;
    } bands[] = {
        {work.bottom - avoid.bottom, at(cx, (avoid.bottom + work.bottom - h) / 2)},
        {avoid.top - work.top, at(cx, (work.top + avoid.top - h) / 2)},
        {work.right - avoid.right, at((avoid.right + work.right - w) / 2, cy)},
        {avoid.left - work.left, at((work.left + avoid.left - w) / 2, cy)},
    };
    Rect best = at(cx, cy);
    if (overlap(best) == 0) {
        return best;
    }
    int best_room = -1;
    for (const auto& band : bands) {
        if (overlap(band.place) == 0 && band.room > best_room) {
            best = band.place;
            best_room = band.room;
        }
    }
    if (best_room >= 0) {
        return best;
    }
    for (const auto& band : bands) {
        if (overlap(band.place) < overlap(best)) {
            best = band.place;
        }
    }
    return best;
}

Placement placement_for(const Rect& dropped, const Settings& s, const std::vector<int>& line_widths,
                        const std::vector<MonitorArea>& monitors, int scale_halves)
{
    const int cx = (dropped.left + dropped.right) / 2, cy = (dropped.top + dropped.bottom) / 2;
    std::size_t chosen = monitor_at(monitors, cx, cy);
    if (chosen == monitors.size()) {
        chosen = primary_monitor(monitors);
    }
    Placement p{Corner::TopLeft, std::max(0, dropped.left), std::max(0, dropped.top), 0, false, {}};
    if (chosen == monitors.size()) {
        return p;
    }
    const MonitorArea& m = monitors[chosen];
    const Rect& a = s.area == Area::Work ? m.work : m.monitor;
    p.monitor = m.primary ? 0 : static_cast<int>(chosen) + 1;
    if (!s.all_monitors) {
        const MonitorChoice before = choose_monitors(s, monitors);
        const bool same = !before.missing && before.chosen.front() == chosen;
        p.monitor_text = same ? monitor_setting_text(s) : monitor_word(monitors, chosen);
    }
    const bool near_right = cx > (a.left + a.right) / 2;
    const bool near_bottom = cy > (a.top + a.bottom) / 2;

    // The lines as the settings in force put them in the strip: with the
    // strip where it was dropped, that is where the user sees them.
    const StripLayout now = layout_strip_widths(s, line_widths, monitors, scale_halves);
    int best = -1;
    const Corner corners[] = {Corner::TopLeft, Corner::TopRight, Corner::BottomLeft, Corner::BottomRight};
    for (Corner c : corners) {
        Settings t = s;
        t.corner = c;
        t.x = 0;
        t.y = 0;
        const StripLayout at = layout_strip_on(t, line_widths, &m, scale_halves);
        // The strip's place that puts every line where it is now, if one does.
        int left = dropped.left, top = dropped.top;
        bool same = true;
        for (std::size_t i = 0; i < at.line_x.size() && i < now.line_x.size(); ++i) {
            const int l = dropped.left + now.line_x[i] - at.line_x[i];
            const int u = dropped.top + now.line_y[i] - at.line_y[i];
            same = same && (i == 0 || (l == left && u == top));
            left = l;
            top = u;
        }
        if (!same) {
            continue;
        }
        const bool right = c == Corner::TopRight || c == Corner::BottomRight;
        const bool bottom = c == Corner::BottomLeft || c == Corner::BottomRight;
        const int w = at.window.right - at.window.left, h = at.window.bottom - at.window.top;
        const int x = right ? a.right - left - w : left - a.left;
        const int y = bottom ? a.bottom - top - h : top - a.top;
        const int room_x = std::max(0, a.right - a.left - w), room_y = std::max(0, a.bottom - a.top - h);
        const bool fits = x >= 0 && y >= 0 && x <= room_x && y <= room_y;
        // The nearest corner first; one that needs the strip pulled in only
        // when none fits.
        const int score = (right != near_right ? 1 : 0) + (bottom != near_bottom ? 1 : 0) + (fits ? 0 : 4);
        if (best < 0 || score < best) {
            best = score;
            p.corner = c;
            p.x = std::min(std::max(0, x), room_x);
            p.y = std::min(std::max(0, y), room_y);
            p.exact = fits;
        }
    }
    return p;
}
