#pragma once

#include "StripModel.h"
#include "TimeFormat.h"

#include <ctime>
#include <string>

// The locale the strip's names and its short and long forms follow, as
// Windows knows it: the day, month and AM/PM names are read once per
// change of locale; the short and long forms are Windows' own text.
class RegionalLocale {
public:
    std::string name; // the locale in force; empty: the user's own
    bool known = true; // false: the one asked for is unknown, the user's is used
    LocaleNames names = english_names();

    // Takes a locale name ("" for the user's) and reads its names; -1 when
    // Windows does not know it, and then the user's locale is used.
    int init(const std::string& locale_name);
    // Windows' text for a form at this local time; empty when it cannot say.
    std::string format(Regional form, const std::tm& local) const;
};
