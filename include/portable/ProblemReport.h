#pragma once

#include <cstddef>
#include <string>
#include <vector>

// A notification balloon's title and text. Windows keeps at most 63 bytes
// of the title and 255 of the text (the rest is cut off, mid-word, with no
// sign that anything is missing), so a report is built to fit them.
constexpr std::size_t kBalloonTitleMax = 63;
constexpr std::size_t kBalloonTextMax = 255;
// A path longer than this is shortened in the middle.
constexpr std::size_t kReportPathMax = 72;

struct Balloon {
    std::string title;
    std::string text;
};

// The balloon for a list of problems: the file they are about (none when
// empty, shortened in the middle when long) on the first line, then whole
// problems one to a line, each shortened with "…" only where it must be, and
// "(and N more — Settings... opens the file)" whenever any were left out.
Balloon build_report(const std::string& title, const std::string& file, const std::vector<std::string>& problems);

// The text cut to at most `max` bytes, ending in "…" when it was cut; never
// inside a UTF-8 character.
std::string shorten_end(const std::string& text, std::size_t max);
// The text cut to at most `max` bytes by taking out its middle ("C:\Users\…\brindlow.ini").
std::string shorten_middle(const std::string& text, std::size_t max);
