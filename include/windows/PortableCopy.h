#pragma once

#include <windows.h>

#include <string>

// Whether this copy of Brindlow is portable: a brindlow.ini, or a file named
// `portable`, beside Brindlow.exe. A portable copy keeps its settings beside
// itself; one whose folder cannot be written (a read-only medium or share,
// a folder the user may not change) falls back to the user's folder, and
// says so.
class PortableCopy {
public:
    static constexpr const char* kMarker = "portable";

    bool portable = false; // the settings live beside the program
    bool fallen_back = false; // marked portable, but its folder cannot be written
    std::string problem; // while fallen back: why, and where the settings are kept
    // Whether a file can be made in a folder (0, or the system's error):
    // Windows' answer, unless a test hands in one that refuses.
    DWORD (*write_check)(const std::string& folder) = can_write;

    // Looks beside the program in `program_folder`; `user_file` is where the
    // settings go otherwise (for the report). 0.
    int init(const std::string& program_folder, const std::string& user_file);
    static DWORD can_write(const std::string& folder);
};
