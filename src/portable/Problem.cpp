#include "Problem.h"

#include "Utf8.h"

#include <algorithm>
#include <cstddef>

namespace {
// Two edits turn "color" into "colour" and "corners" into "corner"; more
// would suggest unrelated keys.
constexpr std::size_t kNearMiss = 2;

std::size_t edit_distance(const std::string& a, const std::string& b)
{
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) {
        row[j] = j;
    }
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}
}

std::string problem_text(const Problem& problem)
{
    std::string text = problem.what;
    const auto then = [&text](const std::string& part) { text += (text.empty() ? "" : "; ") + part; };
    if (!problem.meant.empty()) {
        then("did you mean " + shown(problem.meant) + "?");
    }
    if (!problem.outcome.empty()) {
        then(problem.outcome);
    }
    if (problem.about.empty()) {
        return text;
    }
    return text.empty() ? problem.about : problem.about + ": " + text;
}

std::string setting_about(const std::string& section, const std::string& key, const std::string& value)
{
    return key_about(section, key) + " = " + shown(value);
}

std::string key_about(const std::string& section, const std::string& key)
{
    return "[" + shown(section) + "] " + shown(key);
}

std::string unknown_field_problem(const std::string& written, const std::string& name,
                                  const std::vector<std::string>& fields)
{
    const std::string meant = nearest(name, fields);
    return problem_text({"", "an unknown field {" + shown(written) + "}", meant.empty() ? "" : "{" + meant + "}", ""});
}

std::string nearest(const std::string& name, const std::vector<std::string>& names)
{
    std::string best;
    std::size_t best_distance = kNearMiss + 1;
    // Names of any length compare; an enormous one is no near miss.
    if (name.size() > 64) {
        return best;
    }
    for (const std::string& candidate : names) {
        const std::size_t d = edit_distance(name, candidate);
        if (d < best_distance) {
            best_distance = d;
            best = candidate;
        }
    }
    return best;
}

std::string shown(const std::string& value)
{
    constexpr std::size_t kShownMax = 40;
    std::string out;
    std::size_t count = 0;
    std::size_t i = 0;
    for (; i < value.size() && count < kShownMax; ++count) {
        const std::size_t at = i;
        const char32_t cp = utf8_next(value, &i);
        const bool bad = cp == kReplacementCharacter && i == at + 1;
        if (bad || cp < 0x20 || (cp >= 0x7F && cp < 0xA0)) {
            out += '?';
        } else {
            out.append(value, at, i - at);
        }
    }
    return i < value.size() ? out + "..." : out;
}
