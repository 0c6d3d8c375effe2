#pragma once

#include "Layout.h"

// Against burn-in on OLED screens, which keep showing the same pixels for
// hours: the strip steps one pixel at a time round a small square, inward
// from its corner, so that it never leaves its monitor and never strays more
// than kDriftReach pixels from its place.

// How long the strip stays at each step of the square.
constexpr long long kDriftStepSeconds = 180;
constexpr int kDriftReach = 2;

struct DriftOffset {
    int dx;
    int dy;
    bool operator==(const DriftOffset& o) const { return dx == o.dx && dy == o.dy; }
    bool operator!=(const DriftOffset& o) const { return !(*this == o); }
};

// Where the strip stands, from its place, at a moment (seconds since 1970):
// one step of the square every kDriftStepSeconds, each a pixel from the last.
DriftOffset drift_offset(long long utc_seconds, Corner corner);
// The rectangle moved by the offset, turned back along an axis where it
// would leave `area` (a strip whose offset was reduced to fit sits at the
// far edge from its corner).
Rect drifted(const Rect& r, DriftOffset offset, const Rect& area);
