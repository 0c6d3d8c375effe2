// Which monitors get a strip, as [overlay] monitor names them, and the name
// the file keeps for one: portable, built natively as well as for Windows.
#include "MonitorChoice.h"

#include "Layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
// Two monitors of the same model either side of another: only their device
// names tell them apart.
const std::vector<MonitorArea> kThree = {
    {{0, 0, 1920, 1080}, {0, 0, 1920, 1040}, true, "\\\\.\\DISPLAY1", "DELL U2720Q", 96},
    {{1920, 0, 4480, 1440}, {1920, 0, 4480, 1400}, false, "\\\\.\\DISPLAY2", "LG HDR 4K", 144},
    {{-1920, 0, 0, 1080}, {-1920, 0, 0, 1080}, false, "\\\\.\\DISPLAY3", "DELL U2720Q", 192},
};
// The same monitors after a re-plug: Windows lists them in another order and
// the LG is primary now.
MonitorArea with_primary(MonitorArea m, bool primary)
{
    m.primary = primary;
    return m;
}
const std::vector<MonitorArea> kReplugged = {kThree[2], with_primary(kThree[1], true), with_primary(kThree[0], false)};
// What Wine reports, or an old driver: no names at all.
const std::vector<MonitorArea> kNameless = {{{0, 0, 1024, 768}, {0, 0, 1024, 728}, true, "", "", 0},
                                            {{1024, 0, 2048, 768}, {1024, 0, 2048, 768}, false, "", "", 0}};

Settings with_monitor(const std::string& value)
{
    const SettingsLoad load = parse_settings("[overlay]\nmonitor = " + value + "\n");
    EXPECT_TRUE(load.problems.empty()) << value << ": " << (load.problems.empty() ? "" : load.problems.front());
    return load.settings;
}
}

TEST(MonitorChoice, ChoosesByNameNumberOrAll)
{
    const struct {
        const char* value;
        const std::vector<MonitorArea>* monitors;
        std::vector<std::size_t> chosen;
        bool missing;
    } cases[] = {
        {"primary", &kThree, {0}, false},
        {"all", &kThree, {0, 1, 2}, false},
        {"2", &kThree, {1}, false},
        {"4", &kThree, {0}, true},
        {"lg hdr 4k", &kThree, {1}, false},
        {"DELL U2720Q", &kThree, {0}, false}, // the first of the two
        {"\\\\.\\display3", &kThree, {2}, false},
        {"Gone Monitor", &kThree, {0}, true},
        // Re-plugged: a name follows its monitor, a number and "primary" do not.
        {"LG HDR 4K", &kReplugged, {1}, false},
        {"\\\\.\\DISPLAY1", &kReplugged, {2}, false},
        {"2", &kReplugged, {1}, false},
        {"primary", &kReplugged, {1}, false},
        {"all", &kReplugged, {1, 0, 2}, false}, // the main strip on the primary
        {"all", &kNameless, {0, 1}, false},
        {"LG HDR 4K", &kNameless, {0}, true},
        // No monitors at all: one strip placed as if on a primary at the origin.
        {"all", nullptr, {}, false},
        {"LG HDR 4K", nullptr, {}, false},
    };
    const std::vector<MonitorArea> none;
    for (const auto& c : cases) {
        const MonitorChoice choice = choose_monitors(with_monitor(c.value), c.monitors ? *c.monitors : none);
        EXPECT_EQ(choice.chosen, c.chosen) << c.value;
        EXPECT_EQ(choice.missing, c.missing) << c.value;
    }
}

TEST(MonitorChoice, TheWordWrittenChoosesTheSameMonitorAfterAReplug)
{
    const struct {
        const std::vector<MonitorArea>* monitors;
        std::vector<std::string> words;
    } cases[] = {
        {&kThree, {"\\\\.\\DISPLAY1", "LG HDR 4K", "\\\\.\\DISPLAY3"}},
        {&kNameless, {"primary", "2"}},
    };
    for (const auto& c : cases) {
        for (std::size_t i = 0; i < c.monitors->size(); ++i) {
            const std::string word = monitor_word(*c.monitors, i);
            EXPECT_EQ(word, c.words[i]);
            EXPECT_EQ(choose_monitors(with_monitor(word), *c.monitors).chosen, std::vector<std::size_t>{i}) << word;
        }
    }
    // Named, it is still that monitor when Windows lists them otherwise.
    for (std::size_t i = 0; i < kThree.size(); ++i) {
        const std::size_t there = choose_monitors(with_monitor(monitor_word(kThree, i)), kReplugged).chosen.front();
        EXPECT_EQ(kReplugged[there].device, kThree[i].device);
    }
    // A name the file would refuse is not written.
    std::vector<MonitorArea> odd = kThree;
    odd[1].name = std::string(65, 'M');
    EXPECT_EQ(monitor_word(odd, 1), "\\\\.\\DISPLAY2");
    odd[1].name = "Tab\there";
    EXPECT_EQ(monitor_word(odd, 1), "\\\\.\\DISPLAY2");
    EXPECT_EQ(monitor_label(kThree, 1), "LG HDR 4K (2)");
    EXPECT_EQ(monitor_label(kNameless, 1), "Monitor (2)");
}

TEST(MonitorChoice, AStripDroppedOnAnotherMonitorNamesIt)
{
    const struct {
        const char* setting;
        Rect dropped;
        std::string written; // empty: the key is left as it is
    } cases[] = {
        {"primary", {100, 100, 700, 200}, "primary"},
        {"primary", {2000, 100, 2600, 200}, "LG HDR 4K"},
        {"LG HDR 4K", {-1000, 100, -400, 200}, "\\\\.\\DISPLAY3"},
        {"Gone Monitor", {100, 100, 700, 200}, "\\\\.\\DISPLAY1"}, // where it was put, not where it was asked
        {"all", {2000, 100, 2600, 200}, ""},
    };
    for (const auto& c : cases) {
        const Placement p = placement_for(c.dropped, with_monitor(c.setting), {300, 200, 400}, kThree, 2);
        EXPECT_EQ(p.monitor_text, c.written) << c.setting;
    }
}

TEST(MonitorChoice, AStripLargerThanItsMonitorIsCutToItAndItsTextStaysPut)
{
    // An 800 x 600 monitor right of a 1024-pixel one; at 1.5 the strip is 900 wide.
    const MonitorArea small{{1024, 0, 1824, 600}, {1024, 0, 1824, 600}, false, "\\\\.\\DISPLAY2", "Small", 144};
    const struct {
        Corner corner;
        Rect to;
        Rect window; // after the cut
    } cases[] = {
        {Corner::TopRight, small.monitor, {1024, 0, 1824, 150}},
        {Corner::TopLeft, small.monitor, {1024, 0, 1824, 150}},
        {Corner::TopRight, {0, 0, 3000, 600}, {924, 0, 1824, 150}}, // within: as it was
        {Corner::TopRight, {0, 700, 500, 900}, {924, 0, 1824, 150}}, // not on it: as it was
    };
    for (const auto& c : cases) {
        Settings s = default_settings();
        s.corner = c.corner;
        const StripLayout whole = layout_strip_on(s, {400, 300, 500}, &small, 3);
        const StripLayout cut = clip_layout(whole, c.to);
        EXPECT_EQ(cut.window, c.window);
        for (std::size_t i = 0; i < whole.line_x.size(); ++i) {
            EXPECT_EQ(cut.window.left + cut.line_x[i], whole.window.left + whole.line_x[i]);
            EXPECT_EQ(cut.window.top + cut.line_y[i], whole.window.top + whole.line_y[i]);
        }
    }
    Settings s = default_settings();
    // Reported when its text is cut, cut to the monitor or not: the strip
    // alone running off is not.
    const StripLayout whole = layout_strip_on(s, {400, 300, 500}, &small, 3);
    EXPECT_TRUE(layout_problems(s, clip_layout(whole, small.monitor), "Small (2)").empty());
    const StripLayout cut = layout_strip_on(s, {400, 300, 790}, &small, 3);
    EXPECT_EQ(layout_problems(s, clip_layout(cut, small.monitor), "Small (2)"),
              std::vector<std::string>{"[overlay] the text (806 x 118) is larger than the screen of Small (2) (800 x "
                                       "600); placed at its corner, cut at the edge"});
}
