#pragma once

#include <string>
#include <vector>

// A problem found in the settings, as one value whichever part finds it, and
// its one wording: what it is about, what is wrong, the value probably meant
// and what is done instead, "[overlay] corner = topleft: not a corner; did
// you mean top-left?; ...". Values from the user are quoted through shown().

struct Problem {
    // What it is about: a setting as setting_about() names it, a file's
    // path; empty for a reason its caller words into a sentence of its own.
    std::string about;
    // What is wrong: "unknown key", "no such time zone".
    std::string what;
    // The value probably meant, as the file would say it; empty when none is.
    std::string meant;
    // What is done instead: "its line is left out"; empty when that goes without saying.
    std::string outcome;
};

// The problem as the user reads it: "about: what; did you mean meant?;
// outcome", each part left out (with its separator) when it is empty.
std::string problem_text(const Problem& problem);
// A setting as problems name it, "[section] key = value", every part quoted.
std::string setting_about(const std::string& section, const std::string& key, const std::string& value);
// A key as problems name it, "[section] key", both quoted.
std::string key_about(const std::string& section, const std::string& key);

// The name in `names` nearest to `name`, if it is a near miss; else empty.
std::string nearest(const std::string& name, const std::vector<std::string>& names);
// Values are quoted back as given, but never at length and never with
// control bytes that a notification would show as garbage.
std::string shown(const std::string& value);
// A pattern's field in braces, as written, whose name `fields` lacks, with
// the one probably meant.
std::string unknown_field_problem(const std::string& written, const std::string& name,
                                  const std::vector<std::string>& fields);
