// libFuzzer target: any bytes as a settings file. Whatever the text, the
// result is settings the program can apply safely.
#include "ProblemReport.h"
#include "Settings.h"
#include "Utf8.h"

#include <algorithm>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const SettingsLoad load = parse_settings(std::string(reinterpret_cast<const char*>(data), size));
    const Settings& s = load.settings;
    std::vector<LineKind> sorted = s.lines;
    std::sort(sorted.begin(), sorted.end());
    const bool sound =
        s.x >= 0 && s.x <= 10000 && s.y >= 0 && s.y <= 10000 && s.monitor >= 0 && s.colour <= 0xFFFFFFu &&
        s.colour != kKeyColourRgb && s.shadow <= 0xFFFFFFu && !s.lines.empty() && s.lines.size() <= 3 &&
        std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end() &&
        (s.date_format == kRegionalShort || s.date_format == kRegionalLong || check_format(s.date_format, nullptr)) &&
        (s.time_format == kRegionalShort || s.time_format == kRegionalLong || check_format(s.time_format, nullptr)) &&
        printable_utf8(s.text) && printable_utf8(s.font) && s.opacity >= 20 && s.opacity <= 100 &&
        (!s.outline_shown || (s.outline <= 0xFFFFFFu && s.outline != kKeyColourRgb));
    if (!sound) {
        __builtin_trap();
    }
    // Problems quote values printable and short, whatever the input held.
    for (const std::string& p : load.problems) {
        if (!printable_utf8(p)) {
            __builtin_trap();
        }
    }
    // The balloon always fits Windows' limits, whatever the problems.
    const Balloon b = build_report("Brindlow settings", "C:\\brindlow.ini", load.problems);
    if (b.title.size() > kBalloonTitleMax || b.text.size() > kBalloonTextMax) {
        __builtin_trap();
    }
    return 0;
}
