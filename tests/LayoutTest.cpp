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
    {{0, 0, 1024, 768}, {0, 0, 1024, 728}, true, "", "", 0},
    {{1024, 0, 2944, 1080}, {1024, 30, 2944, 1080}, false, "", "", 0},
};
const std::vector<std::size_t> kDefaultLines = {15, 13, 24}; // date, time, battery

// The widths of lines of the atlas's monospaced glyphs: each a glyph wide,
// one advance apart, at this scale.
std::vector<int> atlas_widths(const std::vector<std::size_t>& lengths, int halves)
{
    std::vector<int> widths;
    for (std::size_t n : lengths) {
        widths.push_back(n == 0 ? 0 : (kGlyphAdvance * (static_cast<int>(n) - 1) + kGlyphSize) * halves / 2);
    }
    return widths;
}

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

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class Place : public ::testing::TestWithParam<Case> {};
}

TEST_P(Place, HugsTheChosenCorner)
{
    const Case& c = GetParam();
    Settings s = default_settings();
    c.set(s);
    const StripLayout layout =
        layout_strip_widths(s, atlas_widths(c.lengths, c.scale_halves), kMonitors, c.scale_halves);
    EXPECT_EQ(layout.window, c.window);
    EXPECT_EQ(layout.line_x, c.line_x);
    EXPECT_EQ(layout.line_y, c.line_y);
    EXPECT_EQ(layout.monitor_missing, c.monitor_missing);
    EXPECT_EQ(layout_problems(s, layout), c.problems);
}

// One case a row: the table reads across.
// clang-format off
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
             {20, 64, 108}, false, 4},
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
             {"[overlay] x = 50: the strip would leave the screen; placed at 0"}},
        Case{"scale_1_5_bottom_right", [](Settings& s) { s.corner = Corner::BottomRight; }, kDefaultLines,
             {124, 618, 1024, 768}, {597, 633, 435}, {33, 66, 99}, false, 3}),
    [](const ::testing::TestParamInfo<Case>& param_info) { return std::string(param_info.param.name); });
// clang-format on

TEST(Place, TheScaleFollowsTheDpiAtOrBelow)
{
    const int table[][2] = {{72, 2}, {96, 2}, {120, 2}, {144, 3}, {168, 3}, {192, 4}, {240, 4}, {288, 6}, {480, 6}};
    for (const auto& row : table) {
        EXPECT_EQ(scale_halves_for_dpi(row[0]), row[1]) << row[0];
    }
}

TEST(Place, WithoutMonitorsItSitsAtTheOrigin)
{
    const StripLayout layout = layout_strip_widths(default_settings(), atlas_widths(kDefaultLines, 2), {}, 2);
    EXPECT_EQ(layout.window, (Rect{0, 0, 600, 100}));
}

TEST(Place, ADroppedStripIsSavedSoThatItsTextStaysWhereItWasLeft)
{
    struct Drop {
        const char* name;
        Corner in_force;
        Area area;
        std::vector<int> widths; // of the lines, in pixels
        int scale_halves;
        Rect dropped;
        Corner corner;
        int x, y, monitor;
        bool exact;
    };
    const std::vector<int> lines = {192, 168, 300}; // date, time, battery at scale 1
    const Drop drops[] = {
        {"near the top left",
         Corner::TopLeft,
         Area::Screen,
         lines,
         2,
         {20, 30, 620, 130},
         Corner::TopLeft,
         20,
         30,
         0,
         true},
        // The nearest corner would right-align the lines: the left side is
        // kept, the bottom taken, its 12 pixels lower lines made up for.
        {"mid-screen, just past the middle",
         Corner::TopLeft,
         Area::Screen,
         lines,
         2,
         {213, 335, 813, 435},
         Corner::BottomLeft,
         213,
         345,
         0,
         true},
        {"right-aligned, mid-screen left of the middle",
         Corner::BottomRight,
         Area::Screen,
         lines,
         2,
         {200, 100, 800, 200},
         Corner::TopRight,
         224,
         112,
         0,
         true},
        {"right-aligned, near the top left",
         Corner::TopRight,
         Area::Screen,
         lines,
         2,
         {30, 40, 630, 140},
         Corner::TopRight,
         394,
         40,
         0,
         true},
        {"near the bottom right",
         Corner::BottomRight,
         Area::Screen,
         lines,
         2,
         {424, 668, 1024, 768},
         Corner::BottomRight,
         0,
         0,
         0,
         true},
        {"left-aligned, near the bottom right",
         Corner::TopLeft,
         Area::Screen,
         lines,
         2,
         {400, 650, 1000, 750},
         Corner::BottomLeft,
         400,
         30,
         0,
         true},
        // One line lands in the same place whichever side aligns it.
        {"one line changes sides",
         Corner::TopLeft,
         Area::Screen,
         {168},
         2,
         {424, 600, 1024, 656},
         Corner::BottomRight,
         412,
         124,
         0,
         true},
        {"bottom left of the work area",
         Corner::BottomLeft,
         Area::Work,
         lines,
         2,
         {0, 600, 600, 700},
         Corner::BottomLeft,
         0,
         28,
         0,
         true},
        {"on the second monitor",
         Corner::TopLeft,
         Area::Screen,
         lines,
         2,
         {2300, 900, 2900, 1000},
         Corner::BottomLeft,
         1276,
         92,
         2,
         true},
        {"the second monitor's work area, right-aligned",
         Corner::TopRight,
         Area::Work,
         lines,
         2,
         {2000, 40, 2600, 140},
         Corner::TopRight,
         344,
         10,
         2,
         true},
        {"at scale 1.5, right-aligned",
         Corner::BottomRight,
         Area::Screen,
         {288, 252, 450},
         3,
         {100, 50, 1000, 200},
         Corner::TopRight,
         24,
         68,
         0,
         true},
        {"partly off the screen: pulled in",
         Corner::TopLeft,
         Area::Screen,
         lines,
         2,
         {-50, -20, 550, 80},
         Corner::TopLeft,
         0,
         0,
         0,
         false},
        {"off every monitor: the primary's edge",
         Corner::TopLeft,
         Area::Screen,
         lines,
         2,
         {5000, 5000, 5600, 5100},
         Corner::BottomLeft,
         424,
         0,
         0,
         false},
    };
    for (const Drop& d : drops) {
        SCOPED_TRACE(d.name);
        Settings s = default_settings();
        s.corner = d.in_force;
        s.area = d.area;
        const Placement p = placement_for(d.dropped, s, d.widths, kMonitors, d.scale_halves);
        EXPECT_EQ(p.corner, d.corner);
        EXPECT_EQ(p.x, d.x);
        EXPECT_EQ(p.y, d.y);
        EXPECT_EQ(p.monitor, d.monitor);
        EXPECT_EQ(p.exact, d.exact);

        // Laid out again from the saved place, as after Enter or a restart,
        // every line lands on the pixel where the user left it.
        const StripLayout before = layout_strip_widths(s, d.widths, kMonitors, d.scale_halves);
        Settings saved = s;
        saved.corner = p.corner;
        saved.x = p.x;
        saved.y = p.y;
        saved.monitor = p.monitor;
        const StripLayout after = layout_strip_widths(saved, d.widths, kMonitors, d.scale_halves);
        EXPECT_TRUE(layout_problems(saved, after).empty());
        ASSERT_EQ(after.line_x.size(), d.widths.size());
        for (std::size_t i = 0; i < d.widths.size() && d.exact; ++i) {
            EXPECT_EQ(after.window.left + after.line_x[i], d.dropped.left + before.line_x[i]) << "line " << i;
            EXPECT_EQ(after.window.top + after.line_y[i], d.dropped.top + before.line_y[i]) << "line " << i;
        }
        // Pulled in, it stays on its monitor.
        const Rect& m = kMonitors[static_cast<std::size_t>(p.monitor == 0 ? 0 : p.monitor - 1)].monitor;
        EXPECT_GE(after.window.left, m.left);
        EXPECT_GE(after.window.top, m.top);
        EXPECT_LE(after.window.right, m.right);
        EXPECT_LE(after.window.bottom, m.bottom);
    }
}

TEST(Place, ASizeIsReportedOnlyWhenItsTextWouldBeCut)
{
    // A monitor only 150 high, for the text's height.
    const MonitorArea low{{0, 0, 800, 150}, {0, 0, 800, 150}, true, "", "", 0};
    const struct {
        const char* name;
        std::vector<std::size_t> lengths;
        int halves;
        const MonitorArea* on; // null: the primary of kMonitors, 1024 x 768
        bool too_wide, too_tall;
        std::string problem; // empty: none
    } table[] = {
        {"200 % default lines: 1200 wide, text 622", kDefaultLines, 4, nullptr, true, false, ""},
        {"300 % default lines: 1800 wide, text 933", kDefaultLines, 6, nullptr, true, false, ""},
        {"300 % 26 characters: text 1005", {26}, 6, nullptr, true, false, ""},
        {"300 % 27 characters: text 1041",
         {27},
         6,
         nullptr,
         true,
         false,
         "[overlay] the text (1041 x 105) is larger than the screen (1024 x 768); placed at its corner, cut at the "
         "edge"},
        {"100 % 83 characters: strip 1029, text 1019", {83}, 2, nullptr, true, false, ""},
        {"100 % 84 characters: text 1031",
         {84},
         2,
         nullptr,
         true,
         false,
         "[overlay] the text (1031 x 35) is larger than the screen (1024 x 768); placed at its corner, cut at the "
         "edge"},
        {"200 % two lines on 150 high: strip 156, text 114", {10, 10}, 4, &low, true, true, ""},
        {"200 % three lines on 150 high: text 158",
         {10, 10, 10},
         4,
         &low,
         true,
         true,
         "[overlay] the text (286 x 158) is larger than the screen (800 x 150); placed at its corner, cut at the "
         "edge"},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.name);
        const Settings s = default_settings();
        std::vector<int> widths;
        for (std::size_t n : row.lengths) {
            const int advance = 12 * row.halves / 2, glyph = 24 * row.halves / 2;
            widths.push_back(advance * (static_cast<int>(n) - 1) + glyph);
        }
        const StripLayout layout = layout_strip_on(s, widths, row.on != nullptr ? row.on : &kMonitors[0], row.halves);
        EXPECT_EQ(layout.too_wide, row.too_wide);
        EXPECT_EQ(layout.too_tall, row.too_tall);
        const std::vector<std::string> expected =
            row.problem.empty() ? std::vector<std::string>{} : std::vector<std::string>{row.problem};
        EXPECT_EQ(layout_problems(s, layout), expected);
    }
}

TEST(Place, TheHoverAreasAreEachLinesInkWithAMargin)
{
    const struct {
        const char* name;
        Corner corner;
        std::vector<int> widths;
        int halves;
        std::vector<Rect> areas; // in the strip
    } table[] = {
        {"top left, an empty third line has none",
         Corner::TopLeft,
         {300, 100, 0},
         2,
         {{6, 6, 315, 39}, {6, 28, 115, 61}}},
        {"top right, the lines right-aligned",
         Corner::TopRight,
         {300, 100},
         2,
         {{286, 6, 595, 39}, {486, 28, 595, 61}}},
        {"bottom left at 200 %, the margin doubled",
         Corner::BottomLeft,
         {200, 400},
         4,
         {{12, 36, 230, 102}, {12, 80, 430, 146}}},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.name);
        Settings s = default_settings();
        s.corner = row.corner;
        const StripLayout layout = layout_strip_on(s, row.widths, &kMonitors[0], row.halves);
        EXPECT_EQ(hover_areas(layout, row.halves), row.areas);
    }
    // The strip of the report: 600 wide, its text ending near x = 305. The
    // pointer at (560, 80) is over nothing, at (300, 20) over the text.
    Settings s = default_settings();
    const StripLayout layout = layout_strip_on(s, {180, 156, 288}, &kMonitors[0], 2);
    auto over = [&](int x, int y) {
        for (const Rect& r : hover_areas(layout, 2)) {
            if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) {
                return true;
            }
        }
        return false;
    };
    EXPECT_FALSE(over(560, 80));
    EXPECT_TRUE(over(300, 70));
    EXPECT_FALSE(over(300, 20)) << "past the end of a shorter line";
    // Cut to a monitor, the areas stay on the same pixels of the screen.
    const StripLayout cut = clip_layout(layout, Rect{100, 0, 1024, 768});
    ASSERT_EQ(cut.ink.size(), layout.ink.size());
    EXPECT_EQ(cut.ink[0].left + cut.window.left, layout.ink[0].left + layout.window.left);
}

TEST(Place, ADialogGoesWhereTheStripDoesNotCoverIt)
{
    const Rect screen{0, 0, 1024, 768};
    const Rect dialog{0, 0, 450, 330};
    const struct {
        const char* name;
        Rect work, strip, size, expected;
    } table[] = {
        {"centred, clear of a default strip", screen, {0, 0, 600, 100}, dialog, {287, 219, 737, 549}},
        {"below a 300 % strip", screen, {0, 0, 1024, 300}, dialog, {287, 369, 737, 699}},
        {"above a strip at the bottom right", screen, {424, 468, 1024, 768}, dialog, {287, 69, 737, 399}},
        {"right of a strip down the left", screen, {0, 0, 300, 768}, dialog, {437, 219, 887, 549}},
        {"least covered when nothing is clear", screen, {0, 0, 1024, 700}, dialog, {287, 438, 737, 768}},
        {"too wide for the area: its left edge on it",
         screen,
         {0, 0, 600, 100},
         {0, 0, 1100, 330},
         {0, 219, 1100, 549}},
        {"a second monitor's work area", {1024, 30, 2944, 1080}, {1024, 30, 2944, 330}, dialog, {1759, 390, 2209, 720}},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(clear_of(row.size, row.strip, row.work), row.expected);
    }
}
