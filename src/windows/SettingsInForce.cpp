#include "SettingsInForce.h"

#include "Problem.h"
#include "SettingsFile.h"
#include "SystemReadings.h"

SettingsInForce::Load SettingsInForce::load(SettingsFile* file, StripEvent* out)
{
    const SettingsLoad read = file->load();
    if (file->busy) {
        if (file->changed) {
            return Load::Retry;
        }
        out->kind = StripEventKind::SettingsBusy;
        out->problems = {file->path + ": in use by another program; the settings in force are kept until it is "
                                      "saved again"};
        return Load::Busy;
    }
    *out = settings_read(read.settings, read.problems);
    return Load::Read;
}

std::array<ZoneLookup, kZones> SettingsInForce::look_up_zones(const Settings& s)
{
    std::array<ZoneLookup, kZones> zones;
    for (std::size_t z = 0; z < zones.size(); ++z) {
        zones[z].known = !s.zones[z].empty() && read_zone_rules(s.zones[z], &zones[z].rules, &zones[z].names);
    }
    return zones;
}

StripEvent SettingsInForce::settings_read(const Settings& s, const std::vector<std::string>& problems)
{
    follow_locale(s.locale);
    StripEvent e;
    e.kind = StripEventKind::SettingsRead;
    e.settings = s;
    e.problems = problems;
    e.zones = look_up_zones(s);
    e.names = locale.names;
    e.locale_problem = locale_problem;
    return e;
}

void SettingsInForce::follow_locale(const std::string& name)
{
    // The locale's names are read when it changes, not at every tick.
    if (locale_read && name == locale_name) {
        return;
    }
    locale_read = true;
    locale_name = name;
    locale_problem.clear();
    if (locale.init(name) != 0) {
        locale_problem = problem_text(
            {setting_about("text", "locale", name), "Windows does not know this locale", "", "the user's own is used"});
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
