#pragma once

#include "RegionalLocale.h"
#include "Settings.h"
#include "StripCore.h"

#include <string>

class SettingsFile;

// What only Windows knows about the settings, read for the core: the file
// itself (which another program may hold), the zones' rules in the
// registry, and the locale's names and forms.
class SettingsInForce {
public:
    enum class Load { Read, Retry, Busy };
    // The locale the names and the short and long forms follow; one
    // Windows does not know gives the user's own, and says so.
    RegionalLocale locale;
    bool locale_read = false;
    std::string locale_name;
    std::string locale_problem;

    // Reads the file into *out: Read with the settings, their problems, the
    // zones and the locale looked up (every load starts from the defaults,
    // so a key removed is a key restored); Retry when it is being saved and
    // a change will come; Busy, with the problem, when another program holds it.
    Load load(SettingsFile* file, StripEvent* out);
    // The zones these settings name, looked up in the registry.
    static std::array<ZoneLookup, kZones> look_up_zones(const Settings& s);
    // The event that tells the core these settings were read, with what
    // Windows knows of them.
    StripEvent settings_read(const Settings& s, const std::vector<std::string>& problems);
    // Reads the locale's names when it is not the one read last.
    void follow_locale(const std::string& name);
    // Windows' short and long forms of the clock's date and time, in the
    // locale in force, for the forms a shown line asks for.
    void format_regional(const StripModel& model, ClockReading* clock) const;
};
