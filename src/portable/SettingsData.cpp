#include "SettingsData.h"

#include <tuple>

static_assert(static_cast<int>(Corner::BottomRight) == kCornerWordCount - 1, "a name for every corner");

namespace {
// Every field, in the struct's order. A structured binding must name each
// one: a field added to Settings and not here does not compile, so none can
// be left out of the comparison.
auto fields_of(const Settings& s)
{
    const auto& [corner, x, y, area, monitor, monitor_name, all_monitors, drift, colour, shadow, shadow_shown, outline,
                 outline_shown, opacity, scale_halves, scale_auto, lines, date_format, time_format,
                 hide_over_fullscreen, battery_format, low_battery, low_colour, text, zones, zone_formats, locale, font,
                 hotkey, hide_when, hide_on_hover, countdown, countdown_format, countdown_done] = s;
    return std::tie(corner, x, y, area, monitor, monitor_name, all_monitors, drift, colour, shadow, shadow_shown,
                    outline, outline_shown, opacity, scale_halves, scale_auto, lines, date_format, time_format,
                    hide_over_fullscreen, battery_format, low_battery, low_colour, text, zones, zone_formats, locale,
                    font, hotkey, hide_when, hide_on_hover, countdown, countdown_format, countdown_done);
}
}

bool Settings::operator==(const Settings& o) const { return fields_of(*this) == fields_of(o); }
