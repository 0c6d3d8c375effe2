// The strip's drift against burn-in: a path round a small square, as
// arithmetic. Portable: built natively with the sanitizers as well as for Windows.
#include "Drift.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <utility>

TEST(Drift, StepsRoundTheSquareEveryThreeMinutesFromThePlaceItself)
{
    struct Case {
        long long seconds;
        DriftOffset top_left;
    };
    const long long step = kDriftStepSeconds;
    const Case cases[] = {
        {0, {0, 0}},        {step - 1, {0, 0}},     {step, {1, 0}},       {2 * step, {2, 0}},
        {3 * step, {2, 1}}, {4 * step + 7, {2, 2}}, {5 * step, {1, 2}},   {6 * step, {0, 2}},
        {7 * step, {0, 1}}, {8 * step, {0, 0}},     {1796734800, {2, 2}}, // 2026-12-08 13:00 UTC
        {-1, {0, 1}},       {-step, {0, 1}},        {-step - 1, {0, 2}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.seconds);
        const DriftOffset o = drift_offset(k.seconds, Corner::TopLeft);
        EXPECT_EQ(o.dx, k.top_left.dx);
        EXPECT_EQ(o.dy, k.top_left.dy);
    }
}

TEST(Drift, GoesInwardFromEachCornerOnePixelAtATimeAndNeverFurtherThanTwo)
{
    struct Case {
        Corner corner;
        int sx; // the sign of inward along x
        int sy;
    };
    const Case cases[] = {
        {Corner::TopLeft, 1, 1}, {Corner::TopRight, -1, 1}, {Corner::BottomLeft, 1, -1}, {Corner::BottomRight, -1, -1}};
    for (const Case& k : cases) {
        SCOPED_TRACE(static_cast<int>(k.corner));
        std::set<std::pair<int, int>> visited;
        DriftOffset last = drift_offset(-kDriftStepSeconds, k.corner);
        for (long long s = 0; s < 16 * kDriftStepSeconds; s += kDriftStepSeconds) {
            const DriftOffset o = drift_offset(s, k.corner);
            EXPECT_LE(std::abs(o.dx), kDriftReach);
            EXPECT_LE(std::abs(o.dy), kDriftReach);
            EXPECT_GE(o.dx * k.sx, 0);
            EXPECT_GE(o.dy * k.sy, 0);
            EXPECT_EQ(std::abs(o.dx - last.dx) + std::abs(o.dy - last.dy), 1) << "at " << s;
            visited.insert({o.dx, o.dy});
            last = o;
        }
        // The whole edge of the square, and nothing but it: the middle
        // pixel would leave the same corner lit a step longer.
        EXPECT_EQ(visited.size(), 8u);
        EXPECT_EQ(visited.count({k.sx, k.sy}), 0u);
    }
}

TEST(Drift, AStripAgainstTheFarEdgeFromItsCornerDriftsBackInsteadOfOff)
{
    const Rect screen{0, 0, 1024, 768};
    const DriftOffset out{2, 1};
    // Its offset reduced to fit: a top-left strip flush with the right edge.
    EXPECT_EQ(drifted(Rect{424, 0, 1024, 100}, out, screen), (Rect{422, 1, 1022, 101}));
    EXPECT_EQ(drifted(Rect{0, 668, 600, 768}, out, screen), (Rect{2, 667, 602, 767}));
    EXPECT_EQ(drifted(Rect{10, 10, 610, 110}, out, screen), (Rect{12, 11, 612, 111}));
}
