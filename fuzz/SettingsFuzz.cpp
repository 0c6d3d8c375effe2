// libFuzzer target: any bytes as a settings file, and as a policy under
// a computer's defaults file. Whatever the text, the result is settings the
// program can apply safely.
#include "ProblemReport.h"
#include "Settings.h"
#include "SettingsLayers.h"
#include "Utf8.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace {
bool sound(const Settings& s)
{
    std::vector<LineKind> sorted = s.lines;
    std::sort(sorted.begin(), sorted.end());
    return s.x >= 0 && s.x <= 10000 && s.y >= 0 && s.y <= 10000 && s.monitor >= 0 && s.colour <= 0xFFFFFFu &&
           s.colour != kKeyColourRgb && s.shadow <= 0xFFFFFFu && !s.lines.empty() && s.lines.size() <= 3 &&
           std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end() &&
           (s.date_format == kRegionalShort || s.date_format == kRegionalLong ||
            check_format(s.date_format, nullptr)) &&
           (s.time_format == kRegionalShort || s.time_format == kRegionalLong ||
            check_format(s.time_format, nullptr)) &&
           printable_utf8(s.text) && printable_utf8(s.font) && s.opacity >= 20 && s.opacity <= 100 &&
           (!s.outline_shown || (s.outline <= 0xFFFFFFu && s.outline != kKeyColourRgb));
}

// The input's first line as a section, its second as a key and the rest as
// the text of a computer's policy, over the whole input as the computer's
// defaults file.
LayeredSettings layered(const std::string& input)
{
    const std::size_t first = input.find('\n');
    const std::size_t second = first == std::string::npos ? std::string::npos : input.find('\n', first + 1);
    PolicyValue v{PolicyScope::Machine, input.substr(0, first), std::string(), std::string()};
    if (second != std::string::npos) {
        v.key = input.substr(first + 1, second - first - 1);
        v.text = input.substr(second + 1);
    }
    return layer_settings({"C:\\ProgramData\\Brindlow\\brindlow.ini", input}, {}, {v});
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const SettingsLoad load = parse_settings(input);
    const LayeredSettings layers = layered(input);
    if (!sound(load.settings) || !sound(layers.settings)) {
        __builtin_trap();
    }
    for (const std::string& p : layers.problems) {
        if (!printable_utf8(p)) {
            __builtin_trap();
        }
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
