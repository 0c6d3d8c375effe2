#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct Settings;
struct StripLayout;

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

// Everything that may be wrong with the strip as it stands, by where it came
// from, and the file the settings' problems are about.
struct ProblemSources {
    std::vector<std::string> settings; // the file's own
    std::vector<std::string> locale; // a locale Windows does not know
    std::vector<std::string> font; // a font family that cannot be used
    std::vector<std::string> zones; // a zone Windows does not know
    std::string watch; // the file's folder cannot be watched
    std::vector<std::string> data; // a data file (an atlas) that could not be used
    std::vector<std::string> placing; // the other strips' placement, each naming its monitor
    std::string file; // the settings file's path
};

// The balloon the strip's problems make with these settings in force, laid
// out as it is: titled for the settings, and naming their file, when any is
// about them; a data file names itself. Empty text when all is well.
Balloon strip_report(const ProblemSources& p, const Settings& s, const StripLayout& layout);

// Takes out the problems about one key ("[overlay] corner = ..." or
// "[text] scale: ..."): what the menu just wrote there is right.
void forget_key_problems(std::vector<std::string>* problems, const std::string& key);
