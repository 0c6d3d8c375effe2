#include "Layout.h"

#include <algorithm>

namespace {
// The span of a line's glyph squares: each is 24 wide, one advance apart.
int text_width(std::size_t length)
{
    return length == 0 ? 0 : kGlyphAdvance * (static_cast<int>(length) - 1) + kGlyphSize;
}
}

StripLayout layout_strip(const Settings& s, const std::vector<std::size_t>& line_lengths,
                         const std::vector<MonitorArea>& monitors)
{
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
    const Rect origin{0, 0, kMinStripWidth, kStripHeightThreeLines};
    const Rect area = chosen == nullptr ? origin : (s.area == Area::Work ? chosen->work : chosen->monitor);

    const int lines = static_cast<int>(line_lengths.size());
    std::size_t longest = 0;
    for (std::size_t n : line_lengths) {
        longest = std::max(longest, n);
    }
    // The shadow reaches one pixel beyond the squares.
    const int width = std::max(kMinStripWidth, 2 * kMarginX + text_width(longest) + 1);
    const int height = kStripHeightThreeLines - kLineStep * (3 - lines);
    const bool right = s.corner == Corner::TopRight || s.corner == Corner::BottomRight;
    const bool bottom = s.corner == Corner::BottomLeft || s.corner == Corner::BottomRight;

    const int left = right ? area.right - width - s.x : area.left + s.x;
    const int top = bottom ? area.bottom - height - s.y : area.top + s.y;
    out.window = Rect{left, top, left + width, top + height};
    for (int i = 0; i < lines; ++i) {
        const int w = text_width(line_lengths[static_cast<std::size_t>(i)]);
        out.line_x.push_back(right ? width - kMarginX - w : kMarginX);
        out.line_y.push_back(bottom ? height - kMarginY - kGlyphSize - kLineStep * (lines - 1 - i)
                                    : kMarginY + kLineStep * i);
    }
    return out;
}
