#include "ProblemReport.h"

#include "MonitorChoice.h"

#include "Layout.h"
#include "Problem.h"
#include "Settings.h"

#include <algorithm>

namespace {
constexpr const char* kEllipsis = "\xE2\x80\xA6"; // U+2026, three bytes in UTF-8
constexpr std::size_t kEllipsisBytes = 3;
// A problem is cut to no less than this to make room: below it, leaving it
// out and counting it is clearer than a stub.
constexpr std::size_t kShortestCut = 24;
// No problem takes more than about two lines of a balloon, so that one long
// problem cannot push all the others out.
constexpr std::size_t kProblemMax = 110;

bool continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The largest cut at or below n that does not split a UTF-8 character.
std::size_t boundary_at_or_below(const std::string& text, std::size_t n)
{
    if (n >= text.size()) {
        return text.size();
    }
    while (n > 0 && continuation(text[n])) {
        --n;
    }
    return n;
}

// The smallest cut at or above n that does not split a UTF-8 character.
std::size_t boundary_at_or_above(const std::string& text, std::size_t n)
{
    while (n < text.size() && continuation(text[n])) {
        ++n;
    }
    return n;
}

std::string more_note(std::size_t left_out)
{
    return "(and " + std::to_string(left_out) + " more \xE2\x80\x94 Settings... opens the file)";
}

// One line: a problem never spreads over several.
std::string one_line(const std::string& text)
{
    std::string out = text;
    for (char& c : out) {
        if (c == '\n' || c == '\r' || c == '\t') {
            c = ' ';
        }
    }
    return out;
}
}

std::string shorten_end(const std::string& text, std::size_t max)
{
    if (text.size() <= max) {
        return text;
    }
    if (max < kEllipsisBytes) {
        return text.substr(0, boundary_at_or_below(text, max));
    }
    return text.substr(0, boundary_at_or_below(text, max - kEllipsisBytes)) + kEllipsis;
}

std::string shorten_middle(const std::string& text, std::size_t max)
{
    if (text.size() <= max) {
        return text;
    }
    if (max <= kEllipsisBytes) {
        return shorten_end(text, max);
    }
    // The end (the file's name) matters most: it keeps the larger half.
    const std::size_t keep = max - kEllipsisBytes;
    const std::size_t head = boundary_at_or_below(text, keep / 3);
    const std::size_t tail = boundary_at_or_above(text, text.size() - (keep - head));
    return text.substr(0, head) + kEllipsis + text.substr(tail);
}

Balloon build_report(const std::string& title, const std::string& file, const std::vector<std::string>& problems)
{
    Balloon b;
    b.title = shorten_end(one_line(title), kBalloonTitleMax);
    if (problems.empty()) {
        return b;
    }
    std::string text = file.empty() ? std::string() : shorten_middle(one_line(file), kReportPathMax) + ":";
    std::size_t shown = 0;
    for (; shown < problems.size(); ++shown) {
        const std::size_t left_after = problems.size() - shown - 1;
        const std::string sep = text.empty() ? "" : "\n";
        // Room for this problem, keeping room for the note on what follows.
        const std::size_t note = left_after > 0 ? 1 + more_note(left_after).size() : 0;
        const std::size_t used = text.size() + sep.size() + note;
        if (used >= kBalloonTextMax) {
            break;
        }
        const std::string line = one_line(problems[shown]);
        const std::size_t room = kBalloonTextMax - used;
        if (line.size() > room && room < kShortestCut) {
            break;
        }
        text += sep + shorten_end(line, room < kProblemMax ? room : kProblemMax);
    }
    if (shown < problems.size()) {
        // Every problem dropped makes room: the note always fits.
        text += (text.empty() ? "" : "\n") + more_note(problems.size() - shown);
    }
    b.text = text;
    return b;
}

namespace {
// Whether a problem says where it comes from itself: a policy, or another
// file by its path (the computer's defaults), so that no file heads it.
bool names_its_source(const std::string& problem)
{
    const bool drive_path = problem.size() > 2 && problem[1] == ':' && (problem[2] == '\\' || problem[2] == '/');
    return problem.rfind("policy ", 0) == 0 || drive_path || problem.rfind("\\\\", 0) == 0;
}
}

Balloon strip_report(const ProblemSources& p, const Settings& s, const StripLayout& layout)
{
    std::vector<std::string> problems = p.settings;
    problems.insert(problems.end(), p.locale.begin(), p.locale.end());
    problems.insert(problems.end(), p.font.begin(), p.font.end());
    problems.insert(problems.end(), p.zones.begin(), p.zones.end());
    if (!p.watch.empty()) {
        problems.push_back(p.watch);
    }
    if (layout.monitor_missing) {
        problems.push_back(problem_text({setting_about("overlay", "monitor", monitor_setting_text(s)),
                                         "no such monitor now", "", "the strip is on the primary one"}));
    }
    const std::vector<std::string> placing = layout_problems(s, layout);
    problems.insert(problems.end(), placing.begin(), placing.end());
    problems.insert(problems.end(), p.placing.begin(), p.placing.end());
    // The settings' problems name their file, unless each names its own
    // source (a policy); a data file names itself.
    const bool about_settings = !problems.empty();
    const bool about_file =
        std::any_of(problems.begin(), problems.end(), [](const std::string& q) { return !names_its_source(q); });
    problems.insert(problems.begin(), p.data.begin(), p.data.end());
    return build_report(about_settings ? "Brindlow settings" : "Brindlow", about_file ? p.file : "", problems);
}

void forget_key_problems(std::vector<std::string>* problems, const std::string& key)
{
    problems->erase(std::remove_if(problems->begin(), problems->end(),
                                   [&key](const std::string& p) {
                                       return p.find("] " + key + " =") != std::string::npos ||
                                              p.find("] " + key + ":") != std::string::npos;
                                   }),
                    problems->end());
}
