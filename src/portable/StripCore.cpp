#include "StripCore.h"

#include "SettingsKeys.h"
#include "SettingsProblems.h"

#include <algorithm>

StripCommands StripCore::step(const StripEvent& e)
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
    case StripEventKind::Placed: return placed(e.facts);
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
    StripCommands c;
    c.apply = true;
    // Registered again at every load: a key another program held may be free now.
    c.register_hotkey = true;
    c.hotkey = s.hotkey;
    read_again(&c);
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
    if (effect == KeyEffect::Lines) {
        zones = e.zones;
        s.lines = lines_in_force(e.settings);
        read_again(&c);
    } else {
        s.lines = model.settings.lines;
    }
    model.settings = s;
    switch (effect) {
    case KeyEffect::Place:
    case KeyEffect::Lines: c.place_later = true; break;
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
        c.hiding = true;
        c.check_stacking = true;
        break;
    }
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
    c.changed = model.update(e.clock, e.power);
    c.texts = true;
    c.wake_ms = model.next_wake_ms(e.clock);
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
    sources.placing = facts.placing;
    sources.watch = facts.watch;
    sources.file = facts.file;
    const Balloon balloon = strip_report(sources, model.settings, facts.layout);
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
            zone_problems.push_back("[zones] zone" + std::to_string(z + 1) + " = " + name +
                                    (name.empty() ? ": no zone set" : ": no such time zone") +
                                    (meant.empty() ? "" : "; did you mean " + meant + "?") + "; its line is left out");
        }
    }
    return lines_to_draw(s, known, &zone_problems);
}

void StripCore::read_again(StripCommands* c) { c->read_now = true; }
