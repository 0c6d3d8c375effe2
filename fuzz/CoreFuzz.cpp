// libFuzzer target: any bytes as a run of the strip's core, event by event
// (every kind Windows tells it, with readings plausible and not), and after
// each step what must always hold between what the core keeps and what it
// asks Windows to do: the clock's wake is never in the past nor more than a
// minute away; each strip is hidden exactly when one of its reasons holds,
// and a reason holds only while the settings ask for it; a problem is said
// once, the organisation's notice once, unless the balloon was refused;
// a move ends, places and captures only while there is one; and there are
// always lines to show.
#include "ProgramList.h"
#include "Settings.h"
#include "SettingsKeys.h"
#include "StripCore.h"

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {
// The input read front to back; past its end every read is zero, so that
// any input is a whole run.
class Bytes {
public:
    Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool empty() const { return used_ >= size_; }
    std::size_t used() const { return used_; }
    uint8_t byte() { return used_ < size_ ? data_[used_++] : 0; }
    bool bit() { return (byte() & 1) != 0; }
    // One in `n` times, as the input says.
    bool rarely(int n) { return below(n) == 0; }
    int below(int n)
    {
        const unsigned v = n > 256 ? (static_cast<unsigned>(byte()) | static_cast<unsigned>(byte()) << 8) : byte();
        return static_cast<int>(v % static_cast<unsigned>(n));
    }
    std::uint64_t bits(int count)
    {
        std::uint64_t v = 0;
        for (int i = 0; i < count; i += 8) {
            v |= static_cast<std::uint64_t>(byte()) << i;
        }
        return v;
    }
    int any_int()
    {
        const auto u = static_cast<std::uint32_t>(bits(32));
        int v = 0;
        std::memcpy(&v, &u, sizeof v);
        return v;
    }
    // Up to `max` of the input's own bytes.
    std::string text(int max)
    {
        const auto n = static_cast<std::size_t>(below(max + 1));
        std::string out;
        while (out.size() < n && !empty()) {
            out += static_cast<char>(byte());
        }
        return out;
    }
    template <typename T, std::size_t N> const T& pick(const T (&table)[N])
    {
        return table[static_cast<std::size_t>(below(static_cast<int>(N)))];
    }

private:
    const uint8_t* data_;
    std::size_t size_;
    std::size_t used_ = 0;
};

// The built-in settings and an event with nothing told yet, made once:
// making them checks every default pattern, which would take most of a run.
const Settings& defaults()
{
    static const Settings s = default_settings();
    return s;
}

const StripEvent& blank_event()
{
    static const StripEvent e{};
    return e;
}

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "CoreFuzz: %s\n", what);
    std::abort();
}

void check(bool holds, const char* what)
{
    if (!holds) {
        fail(what);
    }
}

// Values a key may be given: words the table accepts, near misses and
// nonsense.
const char* const kValues[] = {"",
                               "true",
                               "false",
                               "yes",
                               "0",
                               "1",
                               "-5",
                               "150",
                               "100000000000",
                               "top-left",
                               "bottom-right",
                               "middle",
                               "auto",
                               "1.5",
                               "work",
                               "red",
                               "#112233",
                               "none",
                               "date, time, battery",
                               "time",
                               "date,time,battery,text",
                               "zone1, zone2, zone3",
                               "countdown, time",
                               "text",
                               "date, date",
                               "%H:%M:%S",
                               "%H:%M",
                               "Time %X",
                               "%c",
                               "%Q",
                               "short",
                               "long",
                               "vlc.exe",
                               "vlc.exe, obs64.exe",
                               "C:\\Video\\vlc.exe",
                               "vlc",
                               "Ctrl+Alt+B",
                               "Ctrl+Shift+F12",
                               "Alt+",
                               "Pacific Standard Time",
                               "Tokyo Standard Time",
                               "Tokio Standard Time",
                               "2026-12-24 18:00",
                               "2027-03-14 02:30",
                               "1970-01-01",
                               "2026-02-30",
                               "{days} d {hours}:{minutes}:{seconds}",
                               "{total_hours} h",
                               "Done!",
                               "Battery {percent} {state} {left}",
                               "de-DE",
                               "xx-XX",
                               "Consolas",
                               "Hello \xC3\xA9\xE2\x82\xAC",
                               "\xFF\xFE"};

const char* const kPrograms[] = {"",
                                 "vlc.exe",
                                 "C:\\Video\\VLC.exe",
                                 "C:\\Windows\\notepad.exe",
                                 "obs64.exe",
                                 "\\\\server\\share\\OBS64.EXE",
                                 "vlc.exe.lnk",
                                 "C:\\vlc.exe\\other.exe"};

const char* const kProblems[] = {
    "",
    "[text] colour = red: a colour",
    "[overlay] corner = middle: use top-left, top-right, bottom-left or bottom-right",
    "[text] font = X: not installed",
    "Policy: [overlay] x = 5: fixed by your organisation",
    "C:\\Program Files\\Brindlow\\atlas.png: not an image",
    "Monitor \\\\.\\DISPLAY2: the strip does not fit",
    "the folder cannot be watched",
    "the key is taken by another program",
    "xx-XX: no such locale",
    "\xE2\x80\xA6 a very long problem that goes on and on and on and on and on and on and on"};

const char* const kZoneNames[] = {"", "Pacific Standard Time", "Tokyo Standard Time", "UTC",
                                  "AUS Eastern Standard Time"};

const char* const kTimeFormats[] = {"%H:%M", "%H:%M:%S", "Time %X", "%c", "%I:%M %p", "short", "long", "%%S", ""};

const ZoneRules kRules[] = {
    {0, 0, 0, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}},       {480, 0, -60, {11, 0, 1, 2, 0}, {3, 0, 2, 2, 0}}, // Pacific
    {-600, 0, -60, {4, 0, 1, 3, 0}, {10, 0, 1, 2, 0}}, // Sydney: summer across the year's turn
    {-540, 0, 0, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}}, // Tokyo
    {-330, 0, -60, {1, 0, 1, 0, 0}, {1, 0, 1, 0, 0}}, // both changes at the same moment
};

// Rules as the registry keeps them, mostly real ones; a few with any small
// numbers, and per-year records now and then.
ZoneRules rules_from(Bytes& in)
{
    ZoneRules r = in.pick(kRules);
    if (in.rarely(4)) {
        r.bias = in.below(2 * 1440 + 1) - 1440;
        r.daylight_bias = in.below(241) - 120;
        for (ZoneDate* d : {&r.standard_date, &r.daylight_date}) {
            *d = ZoneDate{in.below(14), in.below(8),  in.below(7),   in.below(26),
                          in.below(61), in.below(61), in.below(1000)};
        }
    }
    if (in.rarely(8)) {
        r.first_year = 2000 + in.below(60);
        const int years = in.below(4);
        for (int y = 0; y < years; ++y) {
            r.years.push_back(in.pick(kRules));
        }
    }
    return r;
}

// A settings file of a few keys from the table, read as the program reads
// one; or the built-in settings with the fields the core acts on set
// directly, some as no file would say them (no lines, a line twice).
Settings settings_from(Bytes& in, std::vector<std::string>* problems)
{
    problems->clear();
    if (in.bit()) {
        const SettingsKeys keys = settings_keys();
        std::string ini;
        const int count = in.below(7);
        for (int i = 0; i < count; ++i) {
            const SettingsKey& k = keys.first[in.below(static_cast<int>(keys.count))];
            const std::string value = in.rarely(4) ? in.text(24) : std::string(in.pick(kValues));
            ini += std::string("[") + k.section + "]\n" + k.name + " = " + value + "\n";
        }
        if (in.rarely(8)) {
            ini += in.text(48);
        }
        SettingsLoad load = parse_settings(ini);
        *problems = load.problems;
        return load.settings;
    }
    Settings s = defaults();
    s.lines.clear();
    const int lines = in.below(5);
    for (int i = 0; i < lines; ++i) {
        s.lines.push_back(static_cast<LineKind>(in.below(kLineKinds)));
    }
    std::string why;
    if (!parse_program_list(in.pick(kPrograms), &s.hide_when, &why)) {
        s.hide_when.clear();
    }
    s.hide_over_fullscreen = in.bit();
    s.hide_on_hover = in.bit();
    s.time_format = in.pick(kTimeFormats);
    s.date_format = in.pick(kTimeFormats);
    s.text = in.bit() ? "" : "Hello";
    for (int z = 0; z < kZones; ++z) {
        s.zones[static_cast<std::size_t>(z)] = in.pick(kZoneNames);
        s.zone_formats[static_cast<std::size_t>(z)] = in.bit() ? "" : in.pick(kTimeFormats);
    }
    const char* const moments[] = {"", "2026-12-24 18:00", "2027-03-14 02:30", "1970-01-01", "2100-01-01 00:00"};
    if (!parse_moment(in.pick(moments), &s.countdown, &why)) {
        s.countdown = LocalMoment{};
    }
    s.countdown_done = in.bit() ? "" : "Done!";
    s.countdown_format = in.bit() ? "{days} d {hours}:{minutes}:{seconds}" : "{total_hours} h";
    s.scale_auto = in.bit();
    s.hotkey = in.bit() ? "" : "Ctrl+Alt+B";
    const int count = in.below(3);
    for (int i = 0; i < count; ++i) {
        problems->push_back(in.pick(kProblems));
    }
    return s;
}

std::array<ZoneLookup, kZones> zones_from(Bytes& in)
{
    std::array<ZoneLookup, kZones> zones;
    for (ZoneLookup& z : zones) {
        z.known = in.bit();
        if (z.known) {
            z.rules = rules_from(in);
        } else if (in.bit()) {
            z.names = {"Pacific Standard Time", "Tokyo Standard Time", "UTC"};
        }
    }
    return zones;
}

LocaleNames names_from(Bytes& in)
{
    LocaleNames names = english_names();
    if (in.rarely(4)) {
        // A locale whose names are missing or long.
        const std::string name = in.bit() ? std::string() : "Sonntag\xC3\xA4\xC3\xB6\xC3\xBC-lang-lang-lang";
        names.days.fill(name);
        names.months.fill(name);
        names.am = in.bit() ? "" : "vorm.";
    }
    return names;
}

// A strip's number: Windows numbers them from 0 below its monitors' count;
// one the core does not have is ignored, however far off.
int strip_from(Bytes& in)
{
    const int strips[] = {0, 0, 1, 1, 2, 3, 4, -1, INT_MIN, 64, INT_MAX};
    return in.pick(strips);
}

// A point on the screen: mostly where monitors are, sometimes at the ends
// of what a coordinate holds (a drag adds and subtracts three of them).
ScreenPoint point_from(Bytes& in)
{
    if (in.rarely(8)) {
        const int far[] = {INT_MIN, -1000000, 1000000, INT_MAX};
        return ScreenPoint{in.pick(far), in.pick(far)};
    }
    return ScreenPoint{in.below(12001) - 4000, in.below(6001) - 2000};
}

// The clock at some instant: read in the local zone in force, the
// milliseconds sometimes out of their range, now and then a leap second or
// a reading that failed. The seconds are never past 60, as Windows' clock
// never shows them: the wake counts the minute's rest in int milliseconds.
ClockReading clock_from(Bytes& in, const StripCore& core)
{
    ClockReading c;
    c.ok = !in.rarely(8);
    switch (in.below(4)) {
    case 0: c.utc_seconds = static_cast<long long>(in.bits(32)); break; // 1970 to 2106
    case 1: {
        // Any instant Windows' clock can show, 1601 to 30827.
        const long long first = -11644473600LL;
        const long long span = 910692730085LL - first;
        c.utc_seconds = first + static_cast<long long>(in.bits(48) % static_cast<std::uint64_t>(span));
        break;
    }
    case 2: {
        // Around the countdown's moment.
        const LocalMoment& m = core.model.settings.countdown;
        const long long at = m.set ? moment_utc(m, core.model.local_zone) : 1796140800LL;
        c.utc_seconds = at + in.below(241) - 120;
        break;
    }
    default: c.utc_seconds = 1773482400LL + in.below(7200) - 3600; // Pacific's spring change, 2026
    }
    if (in.rarely(4)) {
        // On a minute's turn, where a wake is furthest off.
        c.utc_seconds -= c.utc_seconds % 60;
    }
    const ZoneTime zt = zone_time(c.utc_seconds, core.model.local_zone);
    c.local = zt.local;
    c.zone.offset_minutes = zt.offset_minutes;
    c.zone.name = in.bit() ? "" : "Pacific Daylight Time";
    if (in.rarely(8)) {
        const int odd_seconds[] = {60, 61, -1, INT_MAX, INT_MIN};
        c.local.tm_sec = in.pick(odd_seconds);
    }
    const int odd_ms[] = {-1, -1000, 1000, 1001, 65535, INT_MIN, INT_MAX};
    c.ms = in.rarely(4) ? in.pick(odd_ms) : in.below(1000);
    for (std::string& form : c.regional) {
        form = in.bit() ? "" : in.pick(kValues);
    }
    return c;
}

PowerReading power_from(Bytes& in)
{
    PowerReading p;
    p.ok = !in.rarely(8);
    p.ac_line = in.byte();
    p.charge = in.byte();
    p.flags = in.byte();
    p.saver = in.bit();
    const long left[] = {-1, 0, 59, 3600, 86399, 1000000000L, LONG_MAX};
    p.seconds_left = in.pick(left);
    return p;
}

StripFacts facts_from(Bytes& in)
{
    StripFacts f;
    for (std::vector<std::string>* list : {&f.font, &f.data}) {
        const int count = in.below(4) == 0 ? 1 : 0;
        for (int i = 0; i < count; ++i) {
            list->push_back(in.pick(kProblems));
        }
    }
    f.watch = in.rarely(4) ? in.pick(kProblems) : "";
    const char* const files[] = {"C:\\Users\\me\\AppData\\Roaming\\Brindlow\\brindlow.ini", "brindlow.ini", "",
                                 "C:\\a\\very\\long\\path\\that\\goes\\on\\and\\on\\and\\on\\and\\on\\brindlow.ini"};
    f.file = in.pick(files);
    f.organisation = in.bit();
    return f;
}

// Up to four monitors, side by side or stacked, at odd places and DPIs,
// named alike or not at all.
std::vector<MonitorArea> monitors_from(Bytes& in)
{
    std::vector<MonitorArea> ms;
    const int count = in.below(5);
    const char* const names[] = {"", "DELL U2720Q", "DELL U2720Q", "LG HDR 4K"};
    const int dpis[] = {0, 96, 120, 144, 192, 288};
    for (int i = 0; i < count; ++i) {
        MonitorArea m{};
        const int w = in.rarely(8) ? in.below(20) : 640 + in.below(3200);
        const int h = in.rarely(8) ? in.below(20) : 480 + in.below(1700);
        const int x = in.below(8001) - 4000;
        const int y = in.below(4001) - 2000;
        m.monitor = Rect{x, y, x + w, y + h};
        m.work = in.bit() ? m.monitor : Rect{x, y, x + w, y + h - (h > 40 ? 40 : 0)};
        m.primary = i == 0 ? !in.rarely(8) : in.rarely(8);
        m.device = "\\\\.\\DISPLAY" + std::to_string(i + 1);
        m.name = in.pick(names);
        m.dpi = in.pick(dpis);
        ms.push_back(m);
    }
    return ms;
}

StripEvent event_from(Bytes& in, const StripCore& core)
{
    StripEvent e = blank_event();
    e.kind = static_cast<StripEventKind>(in.below(static_cast<int>(StripEventKind::BalloonRefused) + 1));
    switch (e.kind) {
    case StripEventKind::SettingsRead:
        e.settings = settings_from(in, &e.problems);
        e.zones = zones_from(in);
        e.names = names_from(in);
        e.locale_problem = in.rarely(4) ? in.pick(kProblems) : "";
        e.scaled = in.bit();
        break;
    case StripEventKind::SettingsBusy: e.problems = {in.pick(kProblems)}; break;
    case StripEventKind::KeyWritten: {
        const SettingsKeys keys = settings_keys();
        if (in.rarely(4)) {
            // A key no row has, or settings the file did not say with it.
            const char* const odd[] = {"", "nonsense", "hide_when", "show", "hide_over_fullscreen", "corner"};
            e.settings = settings_from(in, &e.problems);
            e.key = in.pick(odd);
        } else {
            // What the menu does: the file as it was with one key's value set.
            const SettingsKey& k = keys.first[in.below(static_cast<int>(keys.count))];
            e.settings = core.file_settings;
            e.key = k.name;
            (void)parse_key(k.section, k.name, in.pick(kValues), &e.settings);
        }
        e.zones = zones_from(in);
        e.scaled = in.bit();
        break;
    }
    case StripEventKind::Tick:
        e.clock = clock_from(in, core);
        e.power = power_from(in);
        break;
    case StripEventKind::LocaleRead:
        e.names = names_from(in);
        e.locale_problem = in.rarely(2) ? in.pick(kProblems) : "";
        break;
    case StripEventKind::LocalZoneRead: e.local_zone = rules_from(in); break;
    case StripEventKind::HotkeyRegistered: e.problem = in.bit() ? in.pick(kProblems) : ""; break;
    case StripEventKind::Placed: e.facts = facts_from(in); break;
    case StripEventKind::ZonesRead: e.zones = zones_from(in); break;
    case StripEventKind::Monitors: e.monitors = monitors_from(in); break;
    case StripEventKind::Measured: {
        e.strip = strip_from(in);
        const int count = in.below(6);
        for (int i = 0; i < count; ++i) {
            e.widths.push_back(in.rarely(8) ? in.below(1000000) - 1000 : in.below(1500));
        }
        const int scales[] = {2, 3, 4, 6, 1, 0};
        e.scale_halves = in.pick(scales);
        break;
    }
    case StripEventKind::Looked:
        e.strip = strip_from(in);
        e.sight = StripSight{in.bit(), in.pick(kPrograms), in.bit()};
        break;
    case StripEventKind::Pointer:
        e.strip = strip_from(in);
        e.sight.pointer_over = in.bit();
        break;
    case StripEventKind::Hide:
    case StripEventKind::SessionLock:
    case StripEventKind::DisplayPower: e.hidden = in.bit(); break;
    case StripEventKind::PlaceNotKept: e.problem = in.pick(kProblems); break;
    case StripEventKind::Close: break;
    case StripEventKind::MoveBegun: break;
    case StripEventKind::MoveEnd: e.keep = in.bit(); break;
    case StripEventKind::MovePress:
    case StripEventKind::MoveDrag:
    case StripEventKind::MoveRelease:
    case StripEventKind::MoveCaptureLost:
    case StripEventKind::MoveDoubleClick:
    case StripEventKind::MoveKeyDown:
        e.strip = strip_from(in);
        e.pointer = point_from(in);
        e.window = point_from(in);
        e.move_key = static_cast<MoveKey>(in.below(static_cast<int>(MoveKey::Other) + 1));
        e.fast = in.bit();
        break;
    case StripEventKind::BalloonRefused: {
        const char* const which[] = {"warning", "info", ""};
        e.key = in.pick(which);
        break;
    }
    }
    return e;
}

// What decides the warning balloon's text: the problems the core holds,
// the settings in force and the facts told with the placement (by the
// input's bytes they were made from, which decide them whole).
struct ReportInputs {
    std::vector<std::string> settings_problems;
    std::vector<std::string> zone_problems;
    std::string locale_problem;
    std::string hotkey_problem;
    bool no_lines_left = false;
    Settings settings = defaults();
    std::string facts;

    bool operator==(const ReportInputs& o) const
    {
        return settings_problems == o.settings_problems && zone_problems == o.zone_problems &&
               locale_problem == o.locale_problem && hotkey_problem == o.hotkey_problem &&
               no_lines_left == o.no_lines_left && settings == o.settings && facts == o.facts;
    }
};

// Where the strips stand, as the report reads it: each one's monitor and layout.
std::string places_said(const StripCore& core)
{
    std::string out;
    for (const StripPlace& p : core.places) {
        const StripLayout& l = p.layout;
        for (int v : {p.has_area ? 1 : 0, p.missing ? 1 : 0, l.window.left, l.window.top, l.window.right,
                      l.window.bottom, l.placed_x, l.placed_y, l.x_reduced ? 1 : 0, l.y_reduced ? 1 : 0,
                      l.too_wide ? 1 : 0, l.too_tall ? 1 : 0, l.text_cut ? 1 : 0, l.monitor_missing ? 1 : 0,
                      l.text_width, l.text_height, l.area_width, l.area_height}) {
            out += std::to_string(v) + ",";
        }
        out += p.label + ";";
    }
    return out;
}

ReportInputs report_inputs(const StripCore& core, std::string facts)
{
    return ReportInputs{core.settings_problems,
                        core.zone_problems,
                        core.locale_problem,
                        core.hotkey_problem,
                        core.model.no_lines_left,
                        core.model.settings,
                        std::move(facts) + "|" + places_said(core)};
}

// What Windows was told so far, to hold each step's commands against.
struct Told {
    // Each strip shown or hidden, as the last sight said.
    std::vector<bool> visible = std::vector<bool>(1, true);
    // The last warning asked for, while neither refused nor let go of (a
    // placement with other problems said nothing: they may have gone).
    bool warned = false;
    std::string warning;
    ReportInputs warned_for;
    // The last placement's inputs, and whether a warning was refused since.
    bool placed = false;
    ReportInputs placed_for;
    bool refused = false;
    bool told_organisation = false;
};

std::vector<bool> visible_by_reasons(const StripCore& core)
{
    std::vector<bool> visible;
    for (const StripHiding& h : core.hiding) {
        visible.push_back(!(core.user_hidden || h.fullscreen || h.program || h.hover));
    }
    return visible;
}

void check_wake(const StripEvent& e, const StripCommands& c, const StripCore& core)
{
    if (c.wake_ms >= 0) {
        check(c.wake_ms >= 1 && c.wake_ms <= 60 * 1000 + kWakeGuardMs, "a wake in the past or over a minute away");
    }
    check(c.wake_ms >= -1, "a wake that is neither a delay nor -1");
    // Nothing wakes while nobody can see a strip.
    check(!core.unseen() || c.wake_ms == -1, "a wake armed while nobody can see the strip");
    // Programs in front that hide every strip are watched, so that their
    // end shows the strip; nothing else is.
    bool covering = false;
    for (const StripHiding& h : core.hiding) {
        covering = covering || h.fullscreen || h.program;
    }
    const bool only_covered = core.unseen() && !core.session_locked && !core.display_off && !core.user_hidden;
    check(c.cover_look == (only_covered && covering),
          "programs in front that hide every strip not watched, or watched when something else hides it");
    if (e.kind == StripEventKind::Tick && core.unseen()) {
        check(c.stop_clock, "a tick while nobody can see the strip leaves the clock running");
    } else if (e.kind == StripEventKind::Tick) {
        // Each tick arms the clock for the next change: left as it was, it
        // keeps the last period, which new lines may have made wrong.
        check(c.wake_ms >= 0 && !c.stop_clock, "a tick that sets no next wake");
        check(e.clock.ok || c.wake_ms == 1000, "a clock that could not be read is not tried again in a second");
        check(!core.model.shows_seconds() || c.wake_ms <= 1000 + kWakeGuardMs,
              "a line with seconds woken later than the next second");
    }
}

void check_sight(const StripCommands& c, const StripCore& core, Told* told)
{
    if (c.sight) {
        check(c.visible.size() == core.hiding.size(), "a sight that is not one entry per strip");
        bool hover = false;
        for (const StripHiding& h : core.hiding) {
            hover = hover || h.hover;
        }
        check(c.hover_look == hover, "the pointer looked at again when no strip is hidden by it, or not when one is");
        told->visible = c.visible;
    }
    // Whatever the step, Windows shows what the reasons say now: a reason
    // that changed without a sight would leave a strip as it was.
    check(told->visible == visible_by_reasons(core), "a strip shown or hidden other than its reasons say");
    const Settings& s = core.model.settings;
    for (const StripHiding& h : core.hiding) {
        check(!h.fullscreen || s.hide_over_fullscreen, "hidden over a full-screen program the settings allow");
        check(!h.program || !s.hide_when.empty(), "hidden for a program with none listed");
        check(!h.hover || s.hide_on_hover, "hidden under the pointer without hide_on_hover");
    }
    // The pointer is not looked at while something else keeps the strip
    // hidden or it is moved.
    for (const StripHiding& h : core.hiding) {
        check(!h.hover || !(core.user_hidden || core.moving || h.fullscreen || h.program),
              "hidden under the pointer while something else holds it");
    }
}

void check_balloons(const StripEvent& e, const StripCommands& c, const StripCore& core, const std::string& facts,
                    Told* told)
{
    if (e.kind == StripEventKind::BalloonRefused) {
        if (e.key == "info") {
            told->told_organisation = false;
        } else {
            told->warned = false;
            told->refused = true;
        }
        return;
    }
    if (!c.warning.text.empty()) {
        check(!(told->warned && c.warning.text == told->warning), "the same warning asked for twice in a row");
        told->warned = true;
        told->warning = c.warning.text;
    }
    if (!c.info.text.empty()) {
        check(c.info.text == StripCore::kOrganisationText, "an information balloon other than the notice");
        check(!told->told_organisation, "the organisation's notice asked for again");
        told->told_organisation = true;
    }
    if (e.kind != StripEventKind::Placed) {
        return;
    }
    const ReportInputs now = report_inputs(core, facts);
    check(!(told->placed && !told->refused && now == told->placed_for && !c.warning.text.empty()),
          "a placement with the same problems warns again");
    if (!c.warning.text.empty()) {
        told->warned_for = now;
    } else if (told->warned && !(now == told->warned_for)) {
        told->warned = false;
    }
    told->placed = true;
    told->placed_for = now;
    told->refused = false;
}

// A strip is never off every monitor: one laid out on a monitor meets it,
// and the strips are as many as the places the monitors give.
void check_place(const StripCommands& c, const StripCore& core)
{
    check(!core.places.empty() && core.places.size() == core.hiding.size(), "strips and their reasons out of step");
    if (c.arrange) {
        check(c.places.size() == core.places.size(), "arranged other than the places say");
    }
    if (!c.lay_out) {
        return;
    }
    check(c.held >= 0 && static_cast<std::size_t>(c.held) < core.places.size(), "a strip laid out that is not there");
    const StripPlace& p = core.places[static_cast<std::size_t>(c.held)];
    if (p.has_area) {
        const Rect& m = p.area.monitor;
        const Rect& w = c.window;
        const bool meets = w.left < m.right && w.right > m.left && w.top < m.bottom && w.bottom > m.top;
        if (std::getenv("COREFUZZ_TRACE") != nullptr) {
            std::fprintf(stderr, "monitor %d,%d,%d,%d window %d,%d,%d,%d layout %d,%d,%d,%d scale %d drift %d\n",
                         m.left, m.top, m.right, m.bottom, w.left, w.top, w.right, w.bottom, p.layout.window.left,
                         p.layout.window.top, p.layout.window.right, p.layout.window.bottom, p.scale_halves,
                         core.model.settings.drift);
        }
        check(meets || m.right <= m.left || m.bottom <= m.top, "a strip laid out off its monitor");
    }
}

void check_move(const StripEvent& e, const StripCommands& c, bool was_moving, bool was_dragging, const StripCore& core)
{
    if (c.begin_move) {
        check(!was_moving && core.moving, "a move begun while one was on, or not begun");
    }
    if (c.end_move >= 0) {
        check(c.end_move <= 1, "a move's end that is neither kept nor put back");
        check(was_moving && !core.moving, "a move ended that was not on, or still on");
    }
    if (c.place_strip) {
        check(was_moving && core.moving, "a strip placed while not moving");
    }
    if (c.capture == 1) {
        check(core.moving && core.dragging, "the pointer captured with no strip held");
    }
    if (c.capture == 0) {
        check(was_dragging && !core.dragging, "the pointer let go that was not held");
    }
    check(core.moving || !core.dragging, "a strip dragged with no move on");
    if (e.kind == StripEventKind::Hide && e.hidden) {
        check(!core.moving, "a strip hidden while it is moved");
    }
    check(!core.model.settings.lines.empty(), "no lines in force");
}

// With COREFUZZ_TRACE set, each event as it is told, to read a failing
// input as the run it stands for.
void trace(const StripEvent& e, const StripCommands& c)
{
    static const bool on = std::getenv("COREFUZZ_TRACE") != nullptr;
    if (!on) {
        return;
    }
    const char* const names[] = {
        "SettingsRead",    "SettingsBusy",  "KeyWritten",       "ZonesRead",    "Tick",
        "LocaleRead",      "LocalZoneRead", "HotkeyRegistered", "Monitors",     "Measured",
        "Placed",          "Looked",        "Pointer",          "Hide",         "MoveBegun",
        "MoveEnd",         "MovePress",     "MoveDrag",         "MoveRelease",  "MoveCaptureLost",
        "MoveDoubleClick", "MoveKeyDown",   "SessionLock",      "DisplayPower", "PlaceNotKept",
        "Close",           "BalloonRefused"};
    static_assert(sizeof names / sizeof names[0] == static_cast<std::size_t>(StripEventKind::BalloonRefused) + 1,
                  "a name for every kind of event");
    std::fprintf(stderr,
                 "%s key=%s strip=%d sight={%d,%s,%d} hidden=%d keep=%d pointer=(%d,%d) window=(%d,%d) "
                 "move_key=%d strips=%d org=%d clock={ok=%d,utc=%lld,sec=%d,ms=%d} -> wake=%d sight=%d "
                 "warning=\"%s\" info=%d end_move=%d capture=%d place=%d\n",
                 names[static_cast<int>(e.kind)], e.key.c_str(), e.strip, e.sight.fullscreen, e.sight.program.c_str(),
                 e.sight.pointer_over, e.hidden, e.keep, e.pointer.x, e.pointer.y, e.window.x, e.window.y,
                 static_cast<int>(e.move_key), static_cast<int>(e.monitors.size()), e.facts.organisation, e.clock.ok,
                 e.clock.utc_seconds, e.clock.local.tm_sec, e.clock.ms, c.wake_ms, c.sight, c.warning.text.c_str(),
                 !c.info.text.empty(), c.end_move, c.capture, c.place_strip);
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Bytes in(data, size);
    StripCore core;
    Told told;
    // Runs end at 32 events: longer ones add time, not states.
    bool reload = false;
    for (int step = 0; step < 32 && (reload || !in.empty()); ++step) {
        const std::size_t start = in.used();
        StripEvent e = blank_event();
        if (reload) {
            // As Windows answers a key with no shortcut: the file read
            // again, as the menu wrote it.
            e.kind = StripEventKind::SettingsRead;
            e.settings = core.file_settings;
            e.zones = core.zones;
            e.names = core.model.names;
            e.locale_problem = core.locale_problem;
        } else {
            e = event_from(in, core);
        }
        const std::string facts(reinterpret_cast<const char*>(data) + start, in.used() - start);
        const bool was_moving = core.moving;
        const bool was_dragging = core.dragging;
        const StripCommands c = core.step(e);
        trace(e, c);
        check_wake(e, c, core);
        check_sight(c, core, &told);
        check_balloons(e, c, core, facts, &told);
        check_move(e, c, was_moving, was_dragging, core);
        check_place(c, core);
        reload = c.reload;
    }
    return 0;
}
