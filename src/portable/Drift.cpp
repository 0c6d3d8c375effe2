#include "Drift.h"

namespace {
// The edge of a square kDriftReach pixels on a side, walked round from the
// place itself: each step one pixel along x or y, the last one from the first.
constexpr DriftOffset kSquare[] = {{0, 0}, {1, 0}, {2, 0}, {2, 1}, {2, 2}, {1, 2}, {0, 2}, {0, 1}};
constexpr long long kSteps = sizeof kSquare / sizeof kSquare[0];
}

DriftOffset drift_offset(long long utc_seconds, Corner corner)
{
    // Rounded down before 1970 too, so that every step lasts as long.
    long long step = utc_seconds / kDriftStepSeconds;
    if (utc_seconds < 0 && utc_seconds % kDriftStepSeconds != 0) {
        --step;
    }
    const DriftOffset o = kSquare[((step % kSteps) + kSteps) % kSteps];
    // Inward: a strip on the right drifts left, one at the bottom up.
    const bool right = corner == Corner::TopRight || corner == Corner::BottomRight;
    const bool bottom = corner == Corner::BottomLeft || corner == Corner::BottomRight;
    return DriftOffset{right ? -o.dx : o.dx, bottom ? -o.dy : o.dy};
}

Rect drifted(const Rect& r, DriftOffset offset, const Rect& area)
{
    if (r.left + offset.dx < area.left || r.right + offset.dx > area.right) {
        offset.dx = -offset.dx;
    }
    if (r.top + offset.dy < area.top || r.bottom + offset.dy > area.bottom) {
        offset.dy = -offset.dy;
    }
    return Rect{r.left + offset.dx, r.top + offset.dy, r.right + offset.dx, r.bottom + offset.dy};
}
