// Where the strip and its lines go: portable arithmetic, built natively with
// the sanitizers as well as for Windows.
#include "Layout.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

void PrintTo(const Rect& r, std::ostream* os)
{
    *os << "(" << r.left << ", " << r.top << ") - (" << r.right << ", " << r.bottom << ")";
}

namespace {
// A 1024 x 768 primary with a 40-pixel taskbar at the bottom, and a second
// monitor to its right whose taskbar sits on top.
const std::vector<MonitorArea> kMonitors = {
    {{0, 0, 1024, 768}, {0, 0, 1024, 728}, true},
    {{1024, 0, 2944, 1080}, {1024, 30, 2944, 1080}, false},
};
const std::vector<std::size_t> kDefaultLines = {15, 13, 24}; // date, time, battery

struct Case {
    const char* name;
    std::function<void(Settings&)> set;
    std::vector<std::size_t> lengths;
    Rect window;
    std::vector<int> line_x, line_y;
    bool monitor_missing;
    int scale_halves = 2;
    std::vector<std::string> problems = {};
};

void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.name;
}

class Place : public ::testing::TestWithParam<Case> {};
}

TEST_P(Place, HugsTheChosenCorner)
{
    const Case& c = GetParam();
    Settings s = default_settings();
    c.set(s);
    const StripLayout layout = layout_strip(s, c.lengths, kMonitors, c.scale_halves);
    EXPECT_EQ(layout.window, c.window);
    EXPECT_EQ(layout.line_x, c.line_x);
    EXPECT_EQ(layout.line_y, c.line_y);
    EXPECT_EQ(layout.monitor_missing, c.monitor_missing);
    EXPECT_EQ(layout_problems(s, layout), c.problems);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, Place,
    ::testing::Values(
        Case{"default", [](Settings&) {}, kDefaultLines, {0, 0, 600, 100}, {10, 10, 10}, {10, 32, 54}, false},
        Case{"top_right_offset", [](Settings& s) { s.corner = Corner::TopRight; s.x = 5; s.y = 7; },
             kDefaultLines, {419, 7, 1019, 107}, {398, 422, 290}, {10, 32, 54}, false},
        Case{"bottom_left_work_area", [](Settings& s) { s.corner = Corner::BottomLeft; s.area = Area::Work; },
             kDefaultLines, {0, 628, 600, 728}, {10, 10, 10}, {22, 44, 66}, false},
        Case{"bottom_right_screen", [](Settings& s) { s.corner = Corner::BottomRight; }, kDefaultLines,
             {424, 668, 1024, 768}, {398, 422, 290}, {22, 44, 66}, false},
        Case{"one_line_is_shorter", [](Settings&) {}, {13}, {0, 0, 600, 56}, {10}, {10}, false},
        Case{"long_line_widens", [](Settings&) {}, {60}, {0, 0, 753, 56}, {10}, {10}, false},
        Case{"second_monitor_work_area", [](Settings& s) { s.monitor = 2; s.area = Area::Work; s.x = 4; },
             kDefaultLines, {1028, 30, 1628, 130}, {10, 10, 10}, {10, 32, 54}, false},
        Case{"unplugged_monitor_falls_back", [](Settings& s) { s.monitor = 3; }, kDefaultLines, {0, 0, 600, 100},
             {10, 10, 10}, {10, 32, 54}, true},
        Case{"scale_2_doubles_everything", [](Settings&) {}, kDefaultLines, {0, 0, 1200, 200}, {20, 20, 20},
             {20, 64, 108}, false, 4,
             {"[overlay] the strip (1200 x 200) is larger than the screen (1024 x 768); placed at its corner"}},
        Case{"x_beyond_the_screen_is_reduced", [](Settings& s) { s.x = 5000; }, kDefaultLines, {424, 0, 1024, 100},
             {10, 10, 10}, {10, 32, 54}, false, 2,
             {"[overlay] x = 5000: the strip would leave the screen; placed at 424"}},
        Case{"bottom_right_y_beyond_the_work_area",
             [](Settings& s) { s.corner = Corner::BottomRight; s.area = Area::Work; s.y = 700; }, kDefaultLines,
             {424, 0, 1024, 100}, {398, 422, 290}, {22, 44, 66}, false, 2,
             {"[overlay] y = 700: the strip would leave the work area; placed at 628"}},
        Case{"both_offsets_on_the_second_monitor", [](Settings& s) { s.monitor = 2; s.x = 9999; s.y = 9999; },
             kDefaultLines, {2344, 980, 2944, 1080}, {10, 10, 10}, {10, 32, 54}, false, 2,
             {"[overlay] x = 9999: the strip would leave the screen; placed at 1320",
              "[overlay] y = 9999: the strip would leave the screen; placed at 980"}},
        Case{"scale_3_right_is_larger_than_the_screen", [](Settings& s) { s.corner = Corner::TopRight; s.x = 50; },
             kDefaultLines, {-776, 0, 1024, 300}, {1194, 1266, 870}, {30, 96, 162}, false, 6,
             {"[overlay] the strip (1800 x 300) is larger than the screen (1024 x 768); placed at its corner"}},
        Case{"scale_1_5_bottom_right", [](Settings& s) { s.corner = Corner::BottomRight; }, kDefaultLines,
             {124, 618, 1024, 768}, {597, 633, 435}, {33, 66, 99}, false, 3}),
    [](const ::testing::TestParamInfo<Case>& param_info) { return std::string(param_info.param.name); });

TEST(Place, TheScaleFollowsTheDpiAtOrBelow)
{
    const int table[][2] = {{72, 2}, {96, 2}, {120, 2}, {144, 3}, {168, 3}, {192, 4}, {240, 4}, {288, 6}, {480, 6}};
    for (const auto& row : table) {
        EXPECT_EQ(scale_halves_for_dpi(row[0]), row[1]) << row[0];
    }
}

TEST(Place, WithoutMonitorsItSitsAtTheOrigin)
{
    const StripLayout layout = layout_strip(default_settings(), kDefaultLines, {});
    EXPECT_EQ(layout.window, (Rect{0, 0, 600, 100}));
}

TEST(Place, ADroppedStripIsDescribedFromItsNearestCorner)
{
    struct Drop {
        const char* name;
        Rect dropped;
        Area area;
        Corner corner;
        int x, y, monitor;
    };
    const Drop drops[] = {
        {"top left", {20, 30, 620, 130}, Area::Screen, Corner::TopLeft, 20, 30, 0},
        {"top right", {400, 5, 1000, 105}, Area::Screen, Corner::TopRight, 24, 5, 0},
        {"bottom left of the work area", {0, 600, 600, 700}, Area::Work, Corner::BottomLeft, 0, 28, 0},
        {"bottom right", {424, 668, 1024, 768}, Area::Screen, Corner::BottomRight, 0, 0, 0},
        {"just past the middle goes by its centre", {213, 335, 813, 435}, Area::Screen, Corner::BottomRight, 211, 333, 0},
        {"partly off the screen", {-50, -20, 550, 80}, Area::Screen, Corner::TopLeft, 0, 0, 0},
        {"on the second monitor", {2300, 900, 2900, 1000}, Area::Screen, Corner::BottomRight, 44, 80, 2},
        {"off every monitor: the primary", {5000, 5000, 5600, 5100}, Area::Screen, Corner::BottomRight, 0, 0, 0},
    };
    for (const Drop& d : drops) {
        SCOPED_TRACE(d.name);
        const Placement p = placement_for(d.dropped, kMonitors, d.area);
        EXPECT_EQ(p.corner, d.corner);
        EXPECT_EQ(p.x, d.x);
        EXPECT_EQ(p.y, d.y);
        EXPECT_EQ(p.monitor, d.monitor);
        // Placed by the layout again, it lands where it was dropped (when it fits).
        if (d.dropped.left >= 0 && d.dropped.top >= 0 && d.dropped.right <= 2944 && d.dropped.bottom <= 1080) {
            Settings s = default_settings();
            s.corner = p.corner;
            s.x = p.x;
            s.y = p.y;
            s.monitor = p.monitor;
            s.area = d.area;
            EXPECT_EQ(layout_strip(s, kDefaultLines, kMonitors).window, d.dropped);
        }
    }
}
