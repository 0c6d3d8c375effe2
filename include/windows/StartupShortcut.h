#pragma once

#include <string>

// "Start with Windows": a shortcut named Brindlow in the user's Startup
// folder, whose target is this Brindlow.exe and whose working directory is
// where its data files are. The installer's start-at-login option makes the
// same one, so the menu shows and changes what the installer set up.
class StartupShortcut {
public:
    static constexpr const char* kName = "\\Brindlow.lnk";

    // The shortcut's full path; empty when the Startup folder is unknown.
    static std::string path();
    static bool exists();
    // 0, or -1 when the shortcut could not be written.
    static int create(const std::string& target, const std::string& workdir);
    static int remove();
};
