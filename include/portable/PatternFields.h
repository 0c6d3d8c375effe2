#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// The {field}s of the settings' brace patterns (the battery line's, the
// countdown's), found by one scan so that what a pattern draws and what its
// check accepts read the braces alike: a field runs from a '{' to the next
// '}' whatever lies between; a '{' never closed is text, and so is all after it.

struct PatternField {
    std::size_t at = 0; // its '{'
    std::size_t end = std::string::npos; // just past its '}'; npos for a '{' never closed
    std::string inside; // between the braces, as written; empty for one never closed
    std::string name; // `inside` up to a ':'
    bool has_width = false; // a ':' follows the name
    std::string width; // what follows the ':' ("2" in {hours:2})

    bool closed() const { return end != std::string::npos; }
};

// The pattern's fields in order; a '{' never closed, if any, is the last.
std::vector<PatternField> pattern_fields(const std::string& pattern);
// The pattern with each closed field replaced by `value` of it, the text
// around the fields (and a '{' never closed, with all after it) kept.
std::string fill_pattern_fields(const std::string& pattern,
                                const std::function<std::string(const PatternField&)>& value);
