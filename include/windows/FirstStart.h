#pragma once

#include <string>

// A copy's first start, which a balloon from the icon greets once: no
// settings yet (no file, or a blank one), and no mark in the user's registry
// that it greeted before. A start at login is never one: the user did not
// just start it, and the greeting waits for a start by hand.
class FirstStart {
public:
    static constexpr const char* kKey = "Software\\Brindlow";
    static constexpr const char* kValue = "Welcomed";
    static constexpr const char* kTitle = "Brindlow is running";
    static constexpr const char* kText =
        "Its icon is in the notification area beside the clock (Windows may first keep it under the ^ arrow "
        "there). Click the icon for the menu; choose Position > Move... to put the strip where you want it.";

    // Whether to greet now; `no_settings` when no settings file, or a blank
    // one, is in use.
    static bool due(bool no_settings);
    // Sets the mark, so that no later start greets. 0, or -1.
    static int mark();
    // Whether Windows started this process through a shortcut in a Startup
    // folder (the user's or every user's), as it does at login: a process
    // started from a shortcut is told the shortcut's path in its start-up
    // information.
    static bool started_at_login();
};
