#include "Layout.h"

#include <algorithm>

namespace {
// Every length at scale 1, scaled: the halves keep 1.5 exact.
int scaled(int length, int halves)
{
    return length * halves / 2;
}

// The span of a line's glyph squares: each a glyph wide, one advance apart.
int text_width(std::size_t length, int halves)
{
    return length == 0 ? 0 : scaled(kGlyphAdvance, halves) * (static_cast<int>(length) - 1) + scaled(kGlyphSize, halves);
}
}

int scale_halves_for_dpi(int dpi)
{
    const struct { int dpi, halves; } steps[] = {{288, 6}, {192, 4}, {144, 3}};
    for (const auto& step : steps) {
        if (dpi >= step.dpi) {
            return step.halves;
        }
    }
    return 2;
}

StripLayout layout_strip(const Settings& s, const std::vector<std::size_t>& line_lengths,
                         const std::vector<MonitorArea>& monitors, int scale_halves)
{
    std::vector<int> widths;
    widths.reserve(line_lengths.size());
    for (std::size_t n : line_lengths) {
        widths.push_back(text_width(n, scale_halves));
    }
    return layout_strip_widths(s, widths, monitors, scale_halves);
}

StripLayout layout_strip_widths(const Settings& s, const std::vector<int>& line_widths,
                                const std::vector<MonitorArea>& monitors, int scale_halves)
{
    const int h2 = scale_halves;
    StripLayout out;
    const MonitorArea* chosen = nullptr;
    for (const MonitorArea& m : monitors) {
        if (m.primary) {
            chosen = &m;
            break;
        }
    }
    if (chosen == nullptr && !monitors.empty()) {
        chosen = &monitors.front();
    }
    if (s.monitor > 0) {
        if (static_cast<std::size_t>(s.monitor) <= monitors.size()) {
            chosen = &monitors[static_cast<std::size_t>(s.monitor) - 1];
        } else {
            out.monitor_missing = true;
        }
    }
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
    out.x_reduced = !out.too_wide && out.placed_x != s.x;
    out.y_reduced = !out.too_tall && out.placed_y != s.y;
    const int left = right ? area.right - width - out.placed_x : area.left + out.placed_x;
    const int top = bottom ? area.bottom - height - out.placed_y : area.top + out.placed_y;
    out.window = Rect{left, top, left + width, top + height};
    for (int i = 0; i < lines; ++i) {
        const int w = line_widths[static_cast<std::size_t>(i)];
        out.line_x.push_back(right ? width - margin_x - w : margin_x);
        out.line_y.push_back(bottom ? height - margin_y - glyph - step * (lines - 1 - i) : margin_y + step * i);
    }
    return out;
}

std::vector<std::string> layout_problems(const Settings& s, const StripLayout& layout)
{
    std::vector<std::string> problems;
    const std::string where = s.area == Area::Work ? "the work area" : "the screen";
    if (layout.x_reduced) {
        problems.push_back("[overlay] x = " + std::to_string(s.x) + ": the strip would leave " + where +
                           "; placed at " + std::to_string(layout.placed_x));
    }
    if (layout.y_reduced) {
        problems.push_back("[overlay] y = " + std::to_string(s.y) + ": the strip would leave " + where +
                           "; placed at " + std::to_string(layout.placed_y));
    }
    if (layout.too_wide || layout.too_tall) {
        const Rect& w = layout.window;
        problems.push_back("[overlay] the strip (" + std::to_string(w.right - w.left) + " x " +
                           std::to_string(w.bottom - w.top) + ") is larger than " + where + " (" +
                           std::to_string(layout.area_width) + " x " + std::to_string(layout.area_height) +
                           "); placed at its corner");
    }
    return problems;
}

Placement placement_for(const Rect& dropped, const std::vector<MonitorArea>& monitors, Area area)
{
    const int cx = (dropped.left + dropped.right) / 2, cy = (dropped.top + dropped.bottom) / 2;
    std::size_t chosen = monitors.size();
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const Rect& m = monitors[i].monitor;
        if (cx >= m.left && cx < m.right && cy >= m.top && cy < m.bottom) {
            chosen = i;
            break;
        }
    }
    for (std::size_t i = 0; chosen == monitors.size() && i < monitors.size(); ++i) {
        if (monitors[i].primary) {
            chosen = i;
        }
    }
    Placement p{Corner::TopLeft, 0, 0, 0};
    if (chosen == monitors.size()) {
        p.x = std::max(0, dropped.left);
        p.y = std::max(0, dropped.top);
        return p;
    }
    const MonitorArea& m = monitors[chosen];
    const Rect& a = area == Area::Work ? m.work : m.monitor;
    const bool right = cx > (a.left + a.right) / 2;
    const bool bottom = cy > (a.top + a.bottom) / 2;
    p.corner = bottom ? (right ? Corner::BottomRight : Corner::BottomLeft) : (right ? Corner::TopRight : Corner::TopLeft);
    p.x = std::max(0, right ? a.right - dropped.right : dropped.left - a.left);
    p.y = std::max(0, bottom ? a.bottom - dropped.bottom : dropped.top - a.top);
    p.monitor = m.primary ? 0 : static_cast<int>(chosen) + 1;
    return p;
}
