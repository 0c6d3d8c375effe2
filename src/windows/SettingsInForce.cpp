#include "SettingsInForce.h"

#include "SettingsFile.h"
#include "Problem.h"
#include "StripModel.h"
#include "StripView.h"
#include "SystemReadings.h"

#include <algorithm>
#include <array>

SettingsInForce::Load SettingsInForce::load(SettingsFile* file, Settings* out)
{
    const SettingsLoad read = file->load();
    if (file->busy) {
        if (file->changed) {
            return Load::Retry;
        }
        // The built-in settings would be wrong for a file that is only busy.
        settings_problems = {file->path + ": in use by another program; the settings in force are kept until it is "
                                          "saved again"};
        return Load::Busy;
    }
    settings_problems = read.problems;
    file_settings = read.settings;
    *out = read.settings;
    return Load::Read;
}

std::vector<LineKind> SettingsInForce::lines_in_force(const Settings& given)
{
    // Zone lines whose zone Windows does not know are left out, and so is
    // a text line with no text: neither takes a row.
    const Settings& s = given;
    zone_problems.clear();
    std::array<bool, kZones> known{};
    for (int z = 0; z < kZones; ++z) {
        std::vector<std::string> names;
        zone_known[z] = !s.zones[z].empty() && read_zone_rules(s.zones[z], &zone_rules[z], &names);
        known[static_cast<std::size_t>(z)] = zone_known[z];
        const LineKind line = zone_line(z);
        if (!zone_known[z] && std::find(s.lines.begin(), s.lines.end(), line) != s.lines.end()) {
            const std::string key = "zone" + std::to_string(z + 1);
            const std::string meant = nearest(s.zones[z], names);
            zone_problems.push_back(problem_text({setting_about("zones", key, s.zones[z]),
                                                  s.zones[z].empty() ? "no zone set" : "no such time zone", meant,
                                                  "its line is left out"}));
        }
    }
    return lines_to_draw(s, known, &zone_problems);
}

bool SettingsInForce::follow_locale(const std::string& name)
{
    // The locale's names are read when it changes, not at every tick.
    if (locale_read && name == locale_name) {
        return false;
    }
    locale_read = true;
    locale_name = name;
    locale_problems.clear();
    if (locale.init(name) != 0) {
        locale_problems.push_back(problem_text({setting_about("text", "locale", name),
                                                "Windows does not know this locale", "", "the user's own is used"}));
    }
    return true;
}

void SettingsInForce::note_scale(const Settings& s, bool scaled)
{
    // DPI awareness is declared once, before the first window: a process
    // that declared it draws a fixed scale without Windows' stretching.
    if (!s.scale_auto && scaled) {
        settings_problems.push_back("[text] scale: Windows' display scaling is added to it when Brindlow starts "
                                    "again");
    }
}

void SettingsInForce::format_regional(const StripModel& model, ClockReading* clock) const
{
    for (int f = 0; f < kRegionalForms; ++f) {
        const auto form = static_cast<Regional>(f);
        if (clock->ok && model.wants(form)) {
            clock->regional[static_cast<std::size_t>(f)] = locale.format(form, clock->local);
        }
    }
}

int SettingsInForce::next_report(const StripView& view, const SettingsFile* file, const StripModel& model,
                                 const std::vector<std::string>& placing, Balloon* out)
{
    ProblemSources sources;
    sources.settings = settings_problems;
    if (model.no_lines_left) {
        sources.settings.push_back(kNoLinesProblem);
    }
    sources.locale = locale_problems;
    sources.font = view.font_problems;
    sources.zones = zone_problems;
    if (!hotkey_problem.empty()) {
        sources.zones.push_back(hotkey_problem);
    }
    sources.data = view.data_problems;
    sources.placing = placing;
    sources.watch = file != nullptr ? file->watch_problem : std::string();
    sources.file = file != nullptr && !file->path.empty() ? file->path : std::string(kSettingsFileName);
    *out = strip_report(sources, model.settings, view.layout);
    if (out->text.empty()) {
        reported.clear();
    }
    return out->text == reported ? 0 : 1;
}
