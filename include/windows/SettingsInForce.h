#pragma once

#include "LineKinds.h"
#include "ProblemReport.h"
#include "RegionalLocale.h"
#include "Settings.h"
#include "ZoneRules.h"

#include <string>
#include <vector>

class SettingsFile;
class StripView;
class StripModel;

// The settings file's settings as this machine can honour them: the zones'
// rules and the locale read from Windows, the lines that can be shown, and
// what is wrong with any of it.
class SettingsInForce {
public:
    enum class Load { Read, Retry, Busy };

    // The settings as the file says them, before lines that cannot be
    // shown were left out: the menu works from these.
    Settings file_settings = default_settings();
    std::vector<std::string> settings_problems;
    // Each zone line's rules, read from Windows when the settings change;
    // a zone Windows does not know leaves its line out, and says so.
    ZoneRules zone_rules[kZones] = {};
    bool zone_known[kZones] = {};
    std::vector<std::string> zone_problems;
    // The locale the names and the short and long forms follow; one
    // Windows does not know gives the user's own, and says so.
    RegionalLocale locale;
    bool locale_read = false;
    std::string locale_name;
    std::vector<std::string> locale_problems;
    // What registering [overlay] hotkey met: empty, or another program holds the key.
    std::string hotkey_problem;
    // The balloon shown last, so that a save with the same problems stays quiet.
    std::string reported;
    // The organisation's notice was shown: once while Brindlow runs.
    bool told_organisation = false;

    // Reads the file: Read with *out set (every load starts from the
    // defaults, so a key removed is a key restored); Retry when it is being
    // saved and a change will come; Busy when another program holds it (the
    // settings in force stay, settings_problems says so).
    Load load(SettingsFile* file, Settings* out);
    // The lines of these settings that can be shown (zone rules read,
    // zone_problems said); the others take no row.
    std::vector<LineKind> lines_in_force(const Settings& given);
    // Reads the locale's names when it is not the one read last; true when
    // they were read.
    bool follow_locale(const std::string& name);
    // The problem a fixed scale has when Windows' scaling is added later:
    // `scaled` when the process declared itself DPI-aware on a monitor
    // Windows scales.
    void note_scale(const Settings& s, bool scaled);
    // Windows' short and long forms of the clock's date and time, in the
    // locale in force, for the forms a shown line asks for.
    void format_regional(const StripModel& model, ClockReading* clock) const;
    // The balloon every problem in force makes (the settings', the strip's
    // font and data files', the watch's), with the model's settings in force on `view`: 1
    // with *out when it is not the one shown last; 0 when there is nothing
    // new to show (an empty one forgets the last).
    // `placing` are the other strips' placement problems, each naming its monitor.
    int next_report(const StripView& view, const SettingsFile* file, const StripModel& model,
                    const std::vector<std::string>& placing, Balloon* out);
};
