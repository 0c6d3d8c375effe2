#include "StripCore.h"

#include "Drift.h"
#include "ProgramList.h"
#include "SettingsKeys.h"
#include "SettingsProblems.h"

#include <algorithm>
#include <climits>

StripEvent::StripEvent() = default;
StripEvent::~StripEvent() = default;
StripEvent::StripEvent(const StripEvent&) = default;
StripEvent::StripEvent(StripEvent&&) noexcept = default;
StripEvent& StripEvent::operator=(const StripEvent&) = default;
StripEvent& StripEvent::operator=(StripEvent&&) noexcept = default;

StripCommands::StripCommands() = default;
StripCommands::~StripCommands() = default;
StripCommands::StripCommands(const StripCommands&) = default;
StripCommands::StripCommands(StripCommands&&) noexcept = default;
StripCommands& StripCommands::operator=(const StripCommands&) = default;
StripCommands& StripCommands::operator=(StripCommands&&) noexcept = default;

StripCommands StripCore::step(const StripEvent& e)
{
    const bool was_unseen = unseen();
    StripCommands c = dispatch(e);
    follow_seen(was_unseen, &c);
    c.cover_look = hidden_by_cover();
    return c;
}

StripCommands StripCore::dispatch(const StripEvent& e)
{
    switch (e.kind) {
    case StripEventKind::SettingsRead: return settings_read(e);
    case StripEventKind::SettingsBusy: {
        // The built-in settings would be wrong for a file that is only busy.
        settings_problems = e.problems;
        StripCommands c;
        c.report = true;
        return c;
    }
    case StripEventKind::KeyWritten: return key_written(e);
    case StripEventKind::Tick: return tick(e);
    case StripEventKind::ZonesRead: {
        // The lines the menu wrote, as far as they can be shown.
        zones = e.zones;
        model.settings.lines = lines_in_force(file_settings);
        StripCommands c;
        c.read_now = true;
        c.place_later = true;
        c.report = true;
        c.present = true;
        return c;
    }
    case StripEventKind::LocaleRead: {
        model.names = e.names;
        locale_problem = e.locale_problem;
        return StripCommands{};
    }
    case StripEventKind::LocalZoneRead: {
        model.local_zone = e.local_zone;
        return StripCommands{};
    }
    case StripEventKind::HotkeyRegistered: {
        hotkey_problem = e.problem;
        return StripCommands{};
    }
    case StripEventKind::Monitors: return arrange(e.monitors);
    case StripEventKind::Measured: return measured(e);
    case StripEventKind::Placed: {
        StripCommands c = placed(e.facts);
        sight(&c);
        return c;
    }
    case StripEventKind::Looked:
    case StripEventKind::Pointer: return looked(e);
    case StripEventKind::Hide: {
        // A strip hidden while it is moved could be neither seen nor let
        // go: the move ends first, as Esc ends it.
        StripCommands c = e.hidden ? end_move(false) : StripCommands{};
        user_hidden = e.hidden;
        follow_hiding_settings();
        sight(&c);
        c.present = true;
        return c;
    }
    case StripEventKind::SessionLock:
    case StripEventKind::DisplayPower: {
        (e.kind == StripEventKind::SessionLock ? session_locked : display_off) = e.hidden;
        return StripCommands{};
    }
    case StripEventKind::MoveBegun:
    case StripEventKind::MoveEnd:
    case StripEventKind::MovePress:
    case StripEventKind::MoveDrag:
    case StripEventKind::MoveRelease:
    case StripEventKind::MoveCaptureLost:
    case StripEventKind::MoveDoubleClick:
    case StripEventKind::MoveKeyDown: return move(e);
    case StripEventKind::PlaceNotKept: {
        // Where the settings still say: the file is as it was.
        StripCommands c;
        c.notice = Balloon{"Brindlow settings", e.problem};
        c.place = true;
        return c;
    }
    case StripEventKind::Close: {
        // Put back, not kept: nothing is written to the settings on the way out.
        StripCommands c = end_move(false);
        c.close = true;
        return c;
    }
    case StripEventKind::BalloonRefused: {
        // Tried again at the next report.
        if (e.key == "info") {
            told_organisation = false;
        } else {
            reported = refused_fallback;
        }
        return StripCommands{};
    }
    }
    return StripCommands{};
}

StripCommands StripCore::settings_read(const StripEvent& e)
{
    file_settings = e.settings;
    settings_problems = e.problems;
    // DPI awareness is declared once, before the first window: a process
    // that declared it draws a fixed scale without Windows' stretching.
    if (!e.settings.scale_auto && e.scaled) {
        settings_problems.push_back(kScaledLaterProblem);
    }
    model.names = e.names;
    locale_problem = e.locale_problem;
    zones = e.zones;
    Settings s = e.settings;
    s.lines = lines_in_force(s);
    model.apply(s);
    follow_hiding_settings();
    StripCommands c;
    sight(&c);
    c.apply = true;
    // Registered again at every load: a key another program held may be free now.
    c.register_hotkey = true;
    c.hotkey = s.hotkey;
    c.read_now = true;
    c.place = true;
    return c;
}

StripCommands StripCore::key_written(const StripEvent& e)
{
    // What the file said wrong about this key, it says right now.
    forget_key_problems(&settings_problems, e.key);
    file_settings = e.settings;
    const KeyEffect effect = settings_key_effect(e.key);
    StripCommands c;
    if (effect == KeyEffect::Reload) {
        c.reload = true; // no shortcut: the whole file, as a hand edit
        c.present = true;
        return c;
    }
    // Only what that key decides changes: the lines in force stay unless
    // the key is the lines' own (a countdown past its moment stays out).
    Settings s = e.settings;
    s.lines = model.settings.lines;
    const bool new_hotkey = s.hotkey != model.settings.hotkey;
    model.settings = s;
    // What the settings in force say of hiding and the hotkey holds whatever
    // the key: the file may have said more than the key by the time it was written.
    follow_hiding_settings();
    sight(&c);
    c.register_hotkey = new_hotkey;
    c.hotkey = s.hotkey;
    if (effect == KeyEffect::Lines) {
        // Which of them can be shown depends on the zones Windows knows:
        // looked up now, and told as ZonesRead.
        c.look_up_zones = true;
        return c;
    }
    switch (effect) {
    case KeyEffect::Place: c.place_later = true; break;
    case KeyEffect::Rescale: {
        if (!e.settings.scale_auto && e.scaled) {
            settings_problems.push_back(kScaledLaterProblem);
        }
        c.rescale = true;
        break;
    }
    case KeyEffect::Colours: c.colours = true; break;
    case KeyEffect::Opacity: c.opacity = true; break;
    case KeyEffect::Hiding: {
        c.check_stacking = true;
        break;
    }
    case KeyEffect::Lines:
    case KeyEffect::Reload: break;
    }
    c.report = true;
    c.present = true;
    return c;
}

StripCommands StripCore::tick(const StripEvent& e)
{
    ZoneRules rules[kZones];
    bool known[kZones];
    for (int z = 0; z < kZones; ++z) {
        rules[z] = zones[static_cast<std::size_t>(z)].rules;
        known[z] = zones[static_cast<std::size_t>(z)].known;
    }
    model.read_zones(e.clock, rules, known);
    StripCommands c;
    // The drift steps at the clock's wakes, with no timer of its own: a new
    // step places the strips again.
    const Settings& s = model.settings;
    if (e.clock.ok && s.drift) {
        c.place_later = e.clock.utc_seconds / kDriftStepSeconds != drift_seconds / kDriftStepSeconds;
        drift_seconds = e.clock.utc_seconds;
    }
    c.changed = model.update(e.clock, e.power);
    c.texts = true;
    // Nobody sees the next change: the clock sleeps until someone can.
    c.wake_ms = unseen() ? -1 : model.next_wake_ms(e.clock);
    c.stop_clock = unseen();
    return c;
}

StripCommands StripCore::placed(const StripFacts& facts)
{
    ProblemSources sources;
    sources.settings = settings_problems;
    if (model.no_lines_left) {
        sources.settings.push_back(kNoLinesProblem);
    }
    if (!locale_problem.empty()) {
        sources.locale.push_back(locale_problem);
    }
    sources.font = facts.font;
    sources.zones = zone_problems;
    if (!hotkey_problem.empty()) {
        sources.zones.push_back(hotkey_problem);
    }
    sources.data = facts.data;
    // The others' placement problems, each naming its monitor; the first's
    // are reported as the strip's.
    for (std::size_t i = 1; i < places.size(); ++i) {
        const std::vector<std::string> more = layout_problems(model.settings, places[i].layout, places[i].label);
        sources.placing.insert(sources.placing.end(), more.begin(), more.end());
    }
    sources.watch = facts.watch;
    sources.file = facts.file;
    const Balloon balloon = strip_report(sources, model.settings, places[0].layout);
    if (balloon.text.empty()) {
        reported.clear();
    }
    StripCommands c;
    if (balloon.text != reported) {
        refused_fallback = reported;
        reported = balloon.text;
        c.warning = balloon;
        return c;
    }
    // Said when no new problem took the balloon.
    if (!told_organisation && facts.organisation) {
        told_organisation = true;
        c.info = Balloon{kOrganisationTitle, kOrganisationText};
    }
    return c;
}

std::vector<LineKind> StripCore::lines_in_force(const Settings& s)
{
    // Zone lines whose zone Windows does not know are left out, and so is
    // a text line with no text: neither takes a row.
    zone_problems.clear();
    std::array<bool, kZones> known{};
    for (int z = 0; z < kZones; ++z) {
        const ZoneLookup& zone = zones[static_cast<std::size_t>(z)];
        known[static_cast<std::size_t>(z)] = zone.known;
        const std::string& name = s.zones[static_cast<std::size_t>(z)];
        if (!zone.known && std::find(s.lines.begin(), s.lines.end(), zone_line(z)) != s.lines.end()) {
            const std::string meant = nearest(name, zone.names);
            zone_problems.push_back(
                problem_text({setting_about("zones", "zone" + std::to_string(z + 1), name),
                              name.empty() ? "no zone set" : "no such time zone", meant, "its line is left out"}));
        }
    }
    return lines_to_draw(s, known, &zone_problems);
}

bool StripCore::looks_for_fullscreen() const { return model.settings.hide_over_fullscreen; }

bool StripCore::looks_for_programs() const { return !model.settings.hide_when.empty(); }

bool StripCore::looks_for_pointer() const { return model.settings.hide_on_hover; }

StripCommands StripCore::looked(const StripEvent& e)
{
    const Settings& s = model.settings;
    // A strip Windows no longer has (closed with its monitor) is not looked at.
    if (e.strip < 0 || static_cast<std::size_t>(e.strip) >= hiding.size()) {
        return StripCommands{};
    }
    StripHiding& h = hiding[static_cast<std::size_t>(e.strip)];
    if (e.kind == StripEventKind::Looked) {
        h.fullscreen = s.hide_over_fullscreen && e.sight.fullscreen;
        h.program = !s.hide_when.empty() && !e.sight.program.empty() && program_listed(s.hide_when, e.sight.program);
    }
    // Only while nothing else hides the strip: a pointer parked there
    // during a video would otherwise be looked at for its whole length.
    const bool other_reason = user_hidden || h.fullscreen || h.program || moving;
    h.hover = s.hide_on_hover && !other_reason && e.sight.pointer_over;
    StripCommands c;
    sight(&c);
    return c;
}

void StripCore::follow_hiding_settings()
{
    // A reason no longer asked for lets go of the strip at once: nothing
    // would look at it again to show the strip.
    const Settings& s = model.settings;
    for (StripHiding& h : hiding) {
        h.fullscreen = h.fullscreen && s.hide_over_fullscreen;
        h.program = h.program && !s.hide_when.empty();
        // The pointer only while nothing else hides the strip.
        h.hover = h.hover && s.hide_on_hover && !user_hidden && !moving && !h.fullscreen && !h.program;
    }
}

void StripCore::sight(StripCommands* c) const
{
    c->sight = true;
    c->visible.clear();
    c->hover_look = false;
    for (const StripHiding& h : hiding) {
        c->visible.push_back(!(user_hidden || h.fullscreen || h.program || h.hover));
        c->hover_look = c->hover_look || h.hover;
    }
}

namespace {
// Shift with an arrow moves this many pixels, an arrow alone one.
constexpr int kNudgeFast = 10;

// A point moved by (dx, dy), kept within what a coordinate can hold.
ScreenPoint offset(ScreenPoint at, long long dx, long long dy)
{
    auto within = [](long long v) {
        return static_cast<int>(std::min<long long>(std::max<long long>(v, INT_MIN), INT_MAX));
    };
    return ScreenPoint{within(at.x + dx), within(at.y + dy)};
}
}

StripCommands StripCore::move(const StripEvent& e)
{
    StripCommands c;
    if (e.kind == StripEventKind::MoveBegun) {
        if (!moving) {
            moving = true;
            held = 0;
            c.begin_move = true;
            c.present = true;
            // The strip is under the pointer on purpose while it is moved.
            follow_hiding_settings();
            sight(&c);
        }
        return c;
    }
    if (e.kind == StripEventKind::MoveEnd) {
        return end_move(e.keep);
    }
    // The capture goes whether or not anything is moved.
    if (e.kind == StripEventKind::MoveCaptureLost) {
        dragging = false;
        c.taken = true;
        return c;
    }
    if (!moving) {
        return c;
    }
    switch (e.kind) {
    case StripEventKind::MovePress: {
        // From the place at the press, not from the last step: a step the
        // window manager answered late (or not at all) is not added up.
        held = e.strip;
        dragging = true;
        drag_pointer = e.pointer;
        drag_window = e.window;
        c.held = held;
        c.capture = 1;
        c.taken = true;
        return c;
    }
    case StripEventKind::MoveDrag:
    case StripEventKind::MoveRelease: {
        if (!dragging) {
            return c;
        }
        c.held = held;
        c.place_strip = true;
        c.place_at = offset(drag_window, static_cast<long long>(e.pointer.x) - drag_pointer.x,
                            static_cast<long long>(e.pointer.y) - drag_pointer.y);
        if (e.kind == StripEventKind::MoveRelease) {
            dragging = false;
            c.capture = 0;
        }
        c.taken = true;
        return c;
    }
    case StripEventKind::MoveDoubleClick: return end_move(true);
    case StripEventKind::MoveKeyDown: {
        const int step = e.fast ? kNudgeFast : 1;
        const int dx = e.move_key == MoveKey::Left ? -step : e.move_key == MoveKey::Right ? step : 0;
        const int dy = e.move_key == MoveKey::Up ? -step : e.move_key == MoveKey::Down ? step : 0;
        if (e.move_key == MoveKey::Enter || e.move_key == MoveKey::Esc) {
            return end_move(e.move_key == MoveKey::Enter);
        }
        if (dx != 0 || dy != 0) {
            c.held = e.strip;
            c.place_strip = true;
            c.place_at = offset(e.window, dx, dy);
        }
        c.taken = true;
        return c;
    }
    default: return c;
    }
}

StripCommands StripCore::end_move(bool keep)
{
    StripCommands c;
    if (!moving) {
        return c;
    }
    moving = false;
    dragging = false;
    c.end_move = keep ? 1 : 0;
    c.held = held;
    c.taken = true;
    c.present = true;
    held = 0;
    return c;
}

StripCommands StripCore::arrange(const std::vector<MonitorArea>& given)
{
    monitors = given;
    const MonitorChoice choice = choose_monitors(model.settings, monitors);
    // With no monitors at all, the first strip still stands, at the origin.
    const std::size_t wanted = choice.chosen.empty() ? 1 : choice.chosen.size();
    places.resize(wanted);
    // Strips closed with their monitors take their reasons along.
    hiding.resize(wanted);
    if (static_cast<std::size_t>(held) >= wanted) {
        held = 0; // its monitor went
    }
    for (std::size_t i = 0; i < wanted; ++i) {
        StripPlace& p = places[i];
        p.has_area = i < choice.chosen.size();
        p.area = p.has_area ? monitors[choice.chosen[i]] : MonitorArea{};
        p.label = p.has_area ? monitor_label(monitors, choice.chosen[i]) : std::string();
        p.clip = monitors.size() > 1;
        p.missing = choice.missing;
    }
    StripCommands c;
    c.arrange = true;
    c.places = places;
    sight(&c);
    return c;
}

StripCommands StripCore::measured(const StripEvent& e)
{
    StripCommands c;
    if (e.strip < 0 || static_cast<std::size_t>(e.strip) >= places.size()) {
        return c;
    }
    const Settings& s = model.settings;
    StripPlace& p = places[static_cast<std::size_t>(e.strip)];
    p.widths = e.widths;
    // A scale of nothing would lay the strip out as a point: the unscaled one instead.
    p.scale_halves = e.scale_halves > 0 ? e.scale_halves : 2;
    p.layout = layout_strip_on(s, p.widths, p.has_area ? &p.area : nullptr, p.scale_halves);
    p.layout.monitor_missing = p.missing;
    if (p.clip && p.has_area) {
        p.layout = clip_layout(p.layout, p.area.monitor);
    }
    constexpr int kNoBound = 1 << 24;
    const DriftOffset shift = s.drift ? drift_offset(drift_seconds, s.corner) : DriftOffset{0, 0};
    const Rect bound = p.has_area ? p.area.monitor : Rect{-kNoBound, -kNoBound, kNoBound, kNoBound};
    c.lay_out = true;
    c.held = e.strip;
    c.layout = p.layout;
    c.window = drifted(p.layout.window, shift, bound);
    return c;
}

bool StripCore::every_strip_hidden() const
{
    return !hiding.empty() && std::all_of(hiding.begin(), hiding.end(),
                                          [](const StripHiding& h) { return h.fullscreen || h.program || h.hover; });
}

bool StripCore::unseen() const { return session_locked || display_off || user_hidden || every_strip_hidden(); }

bool StripCore::hidden_by_cover() const
{
    // Locked, dark or hidden from the menu, nothing is looked at: the
    // event that ends those says so itself.
    if (session_locked || display_off || user_hidden || !every_strip_hidden()) {
        return false;
    }
    return std::any_of(hiding.begin(), hiding.end(), [](const StripHiding& h) { return h.fullscreen || h.program; });
}

void StripCore::follow_seen(bool was_unseen, StripCommands* c) const
{
    if (unseen() && !was_unseen) {
        c->stop_clock = true;
    }
    if (!unseen() && was_unseen) {
        // The right time at once, and the clock's wakes again.
        c->read_now = true;
        c->present = true;
    }
}
