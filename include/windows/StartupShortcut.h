#pragma once

#include <string>

// "Start with Windows": a shortcut named Brindlow in the user's Startup
// folder, whose target is this Brindlow.exe and whose working directory is
// where its data files are. The installer's start-at-login option makes the
// same one, so the menu shows and changes what the installer set up. Every
// copy (installed, portable) shares that one name, so a copy counts it as
// its own only while it starts that copy's own executable.
class StartupShortcut {
public:
    static constexpr const char* kName = "\\Brindlow.lnk";

    // The shortcut's full path; empty when the Startup folder is unknown.
    static std::string path();
    static bool exists();
    // The shortcut's target; empty when there is none or it cannot be read.
    static std::string target();
    // Whether the shortcut starts this executable (a full path): its target
    // names the same file, whatever the case, separators, "..", or 8.3 short
    // names of either path.
    static bool starts(const std::string& exe);
    // The same for the running executable.
    static bool starts_this_copy();
    static bool same_file(const std::string& a, const std::string& b);
    // 0, or -1 when the shortcut could not be written.
    static int create(const std::string& target, const std::string& workdir);
    static int remove();
    // Makes the shortcut start this executable, in the working directory it
    // runs in now, unless it already does; 0, or -1 when it could not.
    static int start_this_copy();
};
