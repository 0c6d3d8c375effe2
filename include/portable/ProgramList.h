#pragma once

#include <string>
#include <vector>

// The programs [overlay] hide_when names ("vlc.exe, obs64.exe"): file names
// of executables, compared with a window's program as Windows compares file
// names, without regard to case.

// Parses a comma-separated list of file names (empty: none), each kept
// upper-cased as Windows compares file names (FileNameCase). False when one is not a file name, with the reason in *why and
// the name probably meant where there is one (a path's last part, a name
// without ".exe" with it).
bool parse_program_list(const std::string& text, std::vector<std::string>* out, std::string* why);
// Whether the program at this path (a full path, or a file name alone) is
// one of the list's, compared as Windows compares file names.
bool program_listed(const std::vector<std::string>& list, const std::string& program_path);
