// The strip's decisions through their one way in: events told to the core,
// and the commands it gives back, scenario by scenario.
#include "StripCore.h"

#include "ProgramList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
const ZoneRules kPacific{480, 0, -60, {11, 0, 1, 2, 0}, {3, 0, 2, 2, 0}};

// The clock of a machine on UTC at this instant.
ClockReading utc(int year, int month, int day, int hour, int minute, int second, int ms)
{
    ClockReading c;
    c.ok = true;
    c.utc_seconds = days_from_civil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
    c.local.tm_year = year - 1900;
    c.local.tm_mon = month - 1;
    c.local.tm_mday = day;
    c.local.tm_hour = hour;
    c.local.tm_min = minute;
    c.local.tm_sec = second;
    c.local.tm_wday = static_cast<int>((days_from_civil(year, month, day) + 4) % 7);
    c.local.tm_isdst = 0;
    c.ms = ms;
    return c;
}

StripEvent read(const Settings& s, std::vector<std::string> problems = {})
{
    StripEvent e;
    e.kind = StripEventKind::SettingsRead;
    e.settings = s;
    e.problems = std::move(problems);
    return e;
}

// An event that says only its kind and whether something is hidden now.
StripEvent told(StripEventKind kind, bool hidden = false)
{
    StripEvent e;
    e.kind = kind;
    e.hidden = hidden;
    return e;
}

// What strip `strip` was seen under: a full-screen program, the program in
// front, the pointer.
StripEvent look(int strip, bool fullscreen, const char* program, bool pointer)
{
    StripEvent e;
    e.kind = StripEventKind::Looked;
    e.strip = strip;
    e.sight = StripSight{fullscreen, program, pointer};
    return e;
}

StripEvent tick(const ClockReading& clock)
{
    StripEvent e;
    e.kind = StripEventKind::Tick;
    e.clock = clock;
    e.power = PowerReading{true, 1, 87, 0, false, -1};
    return e;
}

StripEvent placed(bool organisation = false)
{
    StripEvent e;
    e.kind = StripEventKind::Placed;
    e.facts.file = "C:\\brindlow.ini";
    e.facts.organisation = organisation;
    return e;
}

StripEvent written(const Settings& now, const char* key, bool scaled = false)
{
    StripEvent e;
    e.kind = StripEventKind::KeyWritten;
    e.settings = now;
    e.key = key;
    e.scaled = scaled;
    return e;
}

const std::vector<MonitorArea> kTwoMonitors = {
    {{0, 0, 1280, 1024}, {0, 0, 1280, 984}, true, "\\\\.\\DISPLAY1", "Left", 96},
    {{1280, 0, 3200, 1080}, {1280, 0, 3200, 1040}, false, "\\\\.\\DISPLAY2", "Right", 144},
};

StripEvent monitors(const std::vector<MonitorArea>& given)
{
    StripEvent e;
    e.kind = StripEventKind::Monitors;
    e.monitors = given;
    return e;
}

std::string text_of(const StripCore& core, LineKind kind)
{
    return core.model.texts[static_cast<std::size_t>(line_index(kind))];
}
}

TEST(StripCore, ReadSettingsApplyEverythingReadTheClockAndPlaceTheStrips)
{
    StripCore core;
    Settings s = default_settings();
    s.hotkey = "Ctrl+Alt+B";
    const StripCommands c = core.step(read(s, {"[text] colour = red: a colour"}));
    EXPECT_TRUE(c.apply && c.read_now && c.place && c.register_hotkey);
    EXPECT_EQ(c.hotkey, "Ctrl+Alt+B");
    EXPECT_EQ(core.file_settings, s);
    EXPECT_EQ(core.settings_problems, std::vector<std::string>{"[text] colour = red: a colour"});
}

TEST(StripCore, AKeyFromTheMenuRedoesOnlyWhatItsRowSays)
{
    // The file shows a zone Windows does not know: its line is out of the
    // lines in force, and stays out for every key but the lines' own.
    Settings file = default_settings();
    file.lines = {LineKind::Time, LineKind::Zone1};
    file.zones[0] = "Nowhere Standard Time";
    const struct {
        const char* key;
        void (*change)(Settings& s);
        bool place, rescale, colours, opacity, hiding, read_now, reload;
    } cases[] = {
        {"corner", [](Settings& s) { s.corner = Corner::TopLeft; }, true, false, false, false, false, false, false},
        {"monitor", [](Settings& s) { s.all_monitors = true; }, true, false, false, false, false, false, false},
        {"scale", [](Settings& s) { s.scale_halves = 4; }, false, true, false, false, false, false, false},
        {"colour", [](Settings& s) { s.colour = 0x112233; }, false, false, true, false, false, false, false},
        {"shadow", [](Settings& s) { s.shadow_shown = false; }, false, false, true, false, false, false, false},
        {"outline", [](Settings& s) { s.outline_shown = true; }, false, false, true, false, false, false, false},
        {"opacity", [](Settings& s) { s.opacity = 60; }, false, false, false, true, false, false, false},
        {"hide_over_fullscreen", [](Settings& s) { s.hide_over_fullscreen = true; }, false, false, false, false, true,
         false, false},
        {"show", [](Settings& s) { s.lines.push_back(LineKind::Date); }, true, false, false, false, false, true, false},
        {"x", [](Settings& s) { s.x = 40; }, false, false, false, false, false, false, true},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.key);
        StripCore core;
        core.step(read(file, {"[overlay] " + std::string(k.key) + " = wrong: once", "[text] font = X: other"}));
        ASSERT_EQ(core.model.settings.lines, std::vector<LineKind>{LineKind::Time});
        Settings now = file;
        k.change(now);
        StripCommands c = core.step(written(now, k.key));
        if (c.look_up_zones) {
            StripEvent zones;
            zones.kind = StripEventKind::ZonesRead;
            c = core.step(zones);
        }
        EXPECT_EQ(c.place_later, k.place);
        EXPECT_EQ(c.rescale, k.rescale);
        EXPECT_EQ(c.colours, k.colours);
        EXPECT_EQ(c.opacity, k.opacity);
        EXPECT_EQ(c.sight && c.check_stacking, k.hiding);
        EXPECT_EQ(c.read_now, k.read_now);
        EXPECT_EQ(c.reload, k.reload);
        EXPECT_FALSE(c.apply || c.place) << "a key from the menu never applies the whole file";
        EXPECT_EQ(core.file_settings, now);
        // What the file said wrong about the key, it says right now.
        EXPECT_EQ(core.settings_problems, std::vector<std::string>{"[text] font = X: other"});
        if (!k.reload) {
            Settings expected = now;
            expected.lines = k.read_now ? std::vector<LineKind>{LineKind::Time, LineKind::Date}
                                        : std::vector<LineKind>{LineKind::Time};
            EXPECT_EQ(core.model.settings, expected);
        }
    }
}

TEST(StripCore, AFixedScaleOnADisplayWindowsScalesSaysWhenItTakesEffect)
{
    Settings s = default_settings();
    s.scale_halves = 3;
    for (bool scaled : {false, true}) {
        StripCore core;
        StripEvent e = read(default_settings());
        e.scaled = scaled;
        core.step(e);
        EXPECT_EQ(core.settings_problems.size(), scaled ? 1u : 0u) << "a fixed scale read with scaled = " << scaled;
        core.step(written(s, "scale", scaled));
        EXPECT_EQ(core.settings_problems,
                  scaled ? std::vector<std::string>{kScaledLaterProblem} : std::vector<std::string>{});
    }
}

TEST(StripCore, AZoneWindowsDoesNotKnowIsLeftOutWithTheNameProbablyMeant)
{
    Settings s = default_settings();
    s.lines = {LineKind::Zone1};
    s.zones[0] = "Tokio Standard Time";
    StripEvent e = read(s);
    e.zones[0].names = {"Pacific Standard Time", "Tokyo Standard Time"};
    StripCore core;
    core.step(e);
    EXPECT_EQ(core.zone_problems,
              (std::vector<std::string>{"[zones] zone1 = Tokio Standard Time: no such time zone; did you mean Tokyo "
                                        "Standard Time?; its line is left out",
                                        kNoLinesProblem}));
    EXPECT_EQ(core.model.settings.lines, default_settings().lines);
}

TEST(StripCore, ADayAcrossMidnightAndSummerTime)
{
    // A machine on UTC, with the date, the minute and Pacific time: the
    // wakes come at each minute's turn, the date turns at midnight and the
    // zone line jumps from 01:59 to 03:00 when Pacific time goes forward
    // (14 March 2027, 10:00 UTC).
    Settings s = default_settings();
    s.lines = {LineKind::Date, LineKind::Time, LineKind::Zone1};
    s.time_format = "Time %H:%M";
    s.zones[0] = "Pacific Standard Time";
    StripEvent e = read(s);
    e.zones[0].known = true;
    e.zones[0].rules = kPacific;
    StripCore core;
    core.step(e);
    const struct {
        ClockReading clock;
        const char* date;
        const char* time;
        const char* zone;
        unsigned changed;
        int wake_ms;
    } steps[] = {
        {utc(2027, 3, 13, 23, 59, 30, 250), "Date 2027-03-13", "Time 23:59", "Pacific 15:59",
         kPictureChanged | kPlacementChanged, 29751},
        {utc(2027, 3, 14, 0, 0, 0, 1), "Date 2027-03-14", "Time 00:00", "Pacific 16:00", kPictureChanged, 60000},
        {utc(2027, 3, 14, 9, 59, 0, 0), "Date 2027-03-14", "Time 09:59", "Pacific 01:59", kPictureChanged, 60001},
        {utc(2027, 3, 14, 10, 0, 0, 2), "Date 2027-03-14", "Time 10:00", "Pacific 03:00", kPictureChanged, 59999},
        {utc(2027, 3, 14, 10, 0, 10, 0), "Date 2027-03-14", "Time 10:00", "Pacific 03:00", 0, 50001},
    };
    for (const auto& k : steps) {
        SCOPED_TRACE(k.time);
        const StripCommands c = core.step(tick(k.clock));
        EXPECT_EQ(text_of(core, LineKind::Date), k.date);
        EXPECT_EQ(text_of(core, LineKind::Time), k.time);
        EXPECT_EQ(text_of(core, LineKind::Zone1), k.zone);
        EXPECT_TRUE(c.texts);
        EXPECT_EQ(c.changed, k.changed);
        EXPECT_EQ(c.wake_ms, k.wake_ms);
    }
}

TEST(StripCore, ProblemsAreReportedOnceAndARefusedBalloonIsTriedAgain)
{
    StripCore core;
    core.step(read(default_settings(), {"[text] colour = red: a colour"}));
    StripEvent refused;
    refused.kind = StripEventKind::BalloonRefused;
    const struct {
        const char* what;
        StripEvent event;
        bool warning, info;
    } steps[] = {
        {"the problem", placed(), true, false},
        {"refused (no icon yet)", refused, false, false},
        {"the same, tried again", placed(), true, false},
        {"the same once shown", placed(true), false, true},
        {"the organisation's notice once", placed(true), false, false},
        {"a problem mended", read(default_settings()), false, false},
        {"nothing to say", placed(), false, false},
        {"the old problem again", read(default_settings(), {"[text] colour = red: a colour"}), false, false},
        {"is new again", placed(), true, false},
    };
    for (const auto& k : steps) {
        SCOPED_TRACE(k.what);
        const StripCommands c = core.step(k.event);
        EXPECT_EQ(!c.warning.text.empty(), k.warning);
        EXPECT_EQ(!c.info.text.empty(), k.info);
        if (k.warning) {
            EXPECT_NE(c.warning.text.find("[text] colour = red: a colour"), std::string::npos) << c.warning.text;
        }
    }
}

TEST(StripCore, EachReasonToHideHoldsOnItsOwnAndNoneUndoesAnother)
{
    Settings s = default_settings();
    s.hide_over_fullscreen = true;
    s.hide_on_hover = true;
    std::string why;
    ASSERT_TRUE(parse_program_list("vlc.exe", &s.hide_when, &why)) << why;
    StripCore core;
    core.step(read(s));
    s.all_monitors = true;
    core.step(read(s));
    core.step(monitors(kTwoMonitors));
    Settings none = s;
    none.hide_over_fullscreen = false;
    none.hide_when.clear();
    none.hide_on_hover = false;
    const struct {
        const char* what;
        StripEvent event;
        std::vector<bool> visible;
        bool hover_look;
    } steps[] = {
        {"a full-screen program on the second's monitor", look(1, true, "", false), {true, false}, false},
        {"a listed program in front of the first", look(0, false, "C:\\Video\\VLC.exe", false), {false, false}, false},
        {"the menu's Hide", told(StripEventKind::Hide, true), {false, false}, false},
        {"the program goes", look(0, false, "C:\\Windows\\notepad.exe", false), {false, false}, false},
        {"the full-screen program goes", look(1, false, "", false), {false, false}, false},
        {"the pointer does not hide what the menu hid", look(0, false, "", true), {false, false}, false},
        {"the menu shows them", told(StripEventKind::Hide, false), {true, true}, false},
        {"the pointer over the first's text", look(0, false, "", true), {false, true}, true},
        {"it leaves", look(0, false, "", false), {true, true}, false},
        {"a full-screen program again", look(1, true, "", false), {true, false}, false},
        {"the file no longer asks", read(none), {true, true}, false},
    };
    for (const auto& k : steps) {
        SCOPED_TRACE(k.what);
        const StripCommands c = core.step(k.event);
        EXPECT_TRUE(c.sight);
        EXPECT_EQ(c.visible, k.visible);
        EXPECT_EQ(c.hover_look, k.hover_look);
    }
}

TEST(StripCore, MoveDraggedAndKeptOrPutBackAndEndedByTheHotkey)
{
    auto ev = [](StripEventKind kind, int strip = 0, ScreenPoint pointer = {}, ScreenPoint window = {}) {
        StripEvent e;
        e.kind = kind;
        e.strip = strip;
        e.pointer = pointer;
        e.window = window;
        return e;
    };
    auto key = [](MoveKey k, bool fast, ScreenPoint window) {
        StripEvent e;
        e.kind = StripEventKind::MoveKeyDown;
        e.move_key = k;
        e.fast = fast;
        e.window = window;
        return e;
    };
    const StripEvent hotkey = told(StripEventKind::Hide, true);
    using K = StripEventKind;
    const struct {
        const char* what;
        StripEvent event;
        bool taken;
        bool placed;
        ScreenPoint to;
        int capture, end, held;
    } steps[] = {
        {"a press before Move is the desktop's", ev(K::MovePress, 1, {5, 5}, {0, 0}), false, false, {}, -1, -1, 0},
        {"Move...", ev(K::MoveBegun), false, false, {}, -1, -1, 0},
        {"pressed on the second strip", ev(K::MovePress, 1, {1100, 40}, {1000, 20}), true, false, {}, 1, -1, 1},
        {"dragged", ev(K::MoveDrag, 1, {1180, 95}), true, true, {1080, 75}, -1, -1, 1},
        {"dragged back, from the press", ev(K::MoveDrag, 1, {1090, 30}), true, true, {990, 10}, -1, -1, 1},
        {"let go", ev(K::MoveRelease, 1, {1095, 30}), true, true, {995, 10}, 0, -1, 1},
        {"a move after letting go drags nothing", ev(K::MoveDrag, 1, {1300, 300}), false, false, {}, -1, -1, 0},
        {"Shift+Left", key(MoveKey::Left, true, {995, 10}), true, true, {985, 10}, -1, -1, 0},
        {"Down", key(MoveKey::Down, false, {985, 10}), true, true, {985, 11}, -1, -1, 0},
        {"Enter keeps the held strip's place", key(MoveKey::Enter, false, {}), true, false, {}, -1, 1, 1},
        {"Enter again is the desktop's", key(MoveKey::Enter, false, {}), false, false, {}, -1, -1, 0},
        {"Move... again", ev(K::MoveBegun), false, false, {}, -1, -1, 0},
        {"the hotkey puts it back and hides", hotkey, true, false, {}, -1, 0, 0},
    };
    StripCore core;
    core.step(read(default_settings()));
    for (const auto& k : steps) {
        SCOPED_TRACE(k.what);
        const StripCommands c = core.step(k.event);
        EXPECT_EQ(c.taken, k.taken);
        EXPECT_EQ(c.place_strip, k.placed);
        if (k.placed) {
            EXPECT_EQ(c.place_at.x, k.to.x);
            EXPECT_EQ(c.place_at.y, k.to.y);
        }
        EXPECT_EQ(c.capture, k.capture);
        EXPECT_EQ(c.end_move, k.end);
        if (k.end >= 0 || k.capture >= 0) {
            EXPECT_EQ(c.held, k.held);
        }
    }
    EXPECT_TRUE(core.user_hidden);
    EXPECT_FALSE(core.moving);
}

TEST(StripCore, AMonitorUnpluggedTakesItsStripAlongAndAChosenOneMissingIsSaid)
{
    auto measured = [](int strip) {
        StripEvent e;
        e.kind = StripEventKind::Measured;
        e.strip = strip;
        e.widths = {300, 200};
        e.scale_halves = 2;
        return e;
    };
    auto on_a_monitor = [](const Rect& r, const std::vector<MonitorArea>& ms) {
        for (const MonitorArea& m : ms) {
            if (r.left < m.monitor.right && r.right > m.monitor.left && r.top < m.monitor.bottom &&
                r.bottom > m.monitor.top) {
                return true;
            }
        }
        return false;
    };
    const std::vector<MonitorArea> left_only = {kTwoMonitors[0]};
    Settings every = default_settings();
    every.all_monitors = true;
    Settings second = default_settings();
    second.monitor = 2;
    const struct {
        const char* what;
        Settings settings;
        std::vector<MonitorArea> before, after;
        std::size_t strips_after;
        bool missing_said;
    } cases[] = {
        {"every monitor, the right one unplugged", every, kTwoMonitors, left_only, 1, false},
        {"the second monitor, unplugged", second, kTwoMonitors, left_only, 1, true},
        {"the second monitor, plugged in again", second, left_only, kTwoMonitors, 1, false},
        {"every monitor, none left", every, kTwoMonitors, {}, 1, false},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        StripCore core;
        core.step(read(k.settings));
        for (const std::vector<MonitorArea>* ms : {&k.before, &k.after}) {
            const StripCommands c = core.step(monitors(*ms));
            ASSERT_TRUE(c.arrange);
            ASSERT_EQ(c.visible.size(), c.places.size()) << "each strip's reasons to hide go with it";
            for (std::size_t i = 0; i < c.places.size(); ++i) {
                const StripCommands laid = core.step(measured(static_cast<int>(i)));
                ASSERT_TRUE(laid.lay_out);
                if (!ms->empty()) {
                    EXPECT_TRUE(on_a_monitor(laid.window, *ms)) << "strip " << i;
                }
            }
        }
        EXPECT_EQ(core.places.size(), k.strips_after);
        const StripCommands report = core.step(placed());
        EXPECT_EQ(report.warning.text.find("monitor") != std::string::npos, k.missing_said) << report.warning.text;
    }
}

TEST(StripCore, NothingWakesWhileNobodyCanSeeAndTheRightTimeComesAtOnceAfter)
{
    using K = StripEventKind;
    Settings hiding = default_settings();
    hiding.hide_over_fullscreen = true;
    hiding.hide_on_hover = true;
    std::string why;
    ASSERT_TRUE(parse_program_list("vlc.exe", &hiding.hide_when, &why)) << why;
    const struct {
        const char* what;
        StripEvent unseen, seen;
        // Only a program in front is watched; the pointer has its own look.
        bool cover_look;
        bool hover_look;
    } cases[] = {
        {"the session locked", told(K::SessionLock, true), told(K::SessionLock, false), false, false},
        {"the display off", told(K::DisplayPower, true), told(K::DisplayPower, false), false, false},
        {"hidden from the menu", told(K::Hide, true), told(K::Hide, false), false, false},
        {"a full-screen program", look(0, true, "", false), look(0, false, "", false), true, false},
        {"a listed program in front", look(0, false, "C:\\Apps\\VLC.EXE", false), look(0, false, "", false), true,
         false},
        {"the pointer over the text", look(0, false, "", true), look(0, false, "", false), false, true},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        StripCore core;
        core.step(read(hiding));
        EXPECT_GT(core.step(tick(utc(2027, 3, 14, 9, 59, 0, 0))).wake_ms, 0);
        const StripCommands hidden = core.step(k.unseen);
        EXPECT_TRUE(hidden.stop_clock);
        EXPECT_EQ(hidden.cover_look, k.cover_look);
        EXPECT_EQ(hidden.hover_look, k.hover_look);
        // A wake already due, a settings change: texts made, no wake armed.
        const StripCommands late = core.step(tick(utc(2027, 3, 14, 9, 59, 1, 0)));
        EXPECT_EQ(late.wake_ms, -1);
        EXPECT_TRUE(late.stop_clock);
        EXPECT_EQ(late.cover_look, k.cover_look) << "the watch kept while it lasts";
        EXPECT_EQ(core.step(read(hiding)).read_now, true);
        EXPECT_EQ(core.step(tick(utc(2027, 3, 14, 10, 20, 0, 0))).wake_ms, -1);
        // Told again (the display dimmed, the program still in front): still unseen, nothing asked.
        const StripCommands again = core.step(k.unseen);
        EXPECT_FALSE(again.read_now);
        const StripCommands back = core.step(k.seen);
        EXPECT_TRUE(back.read_now && back.present) << "the right time at once";
        EXPECT_FALSE(back.stop_clock || back.cover_look);
        EXPECT_EQ(core.step(tick(utc(2027, 3, 14, 10, 30, 5, 0))).wake_ms, 1001);
    }
    // Two reasons: seen again only when both end.
    StripCore core;
    core.step(read(default_settings()));
    core.step(told(K::SessionLock, true));
    core.step(told(K::DisplayPower, true));
    EXPECT_FALSE(core.step(told(K::DisplayPower, false)).read_now);
    EXPECT_TRUE(core.step(told(K::SessionLock, false)).read_now);
}
