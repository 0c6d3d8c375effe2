#pragma once

#include <string>
#include <vector>

// The wording of the problems the portable layer finds in settings: values
// quoted safely, and the name probably meant.

// The name in `names` nearest to `name`, if it is a near miss; else empty.
std::string nearest(const std::string& name, const std::vector<std::string>& names);
// Values are quoted back as given, but never at length and never with
// control bytes that a notification would show as garbage.
std::string shown(const std::string& value);
// A pattern's field in braces, as written, whose name `fields` lacks, with
// the one probably meant.
std::string unknown_field_problem(const std::string& written, const std::string& name,
                                  const std::vector<std::string>& fields);
