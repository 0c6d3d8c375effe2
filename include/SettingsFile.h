#pragma once

#include "Settings.h"

#include <windows.h>

#include <string>

// Where brindlow.ini is looked for (the working directory first, then the
// program's own folder, for portable use beside its data, then
// %APPDATA%\Brindlow), and the watch on those folders that tells when it
// changed.
class SettingsFile {
public:
    // Editors save in steps (a temporary file, a rename, a second write);
    // the file is read once the changes have stopped for this long.
    static constexpr DWORD kSettleMs = 250;

    static constexpr int kFolders = 3;
    static constexpr int kUserFolder = 2;

    std::string folders[kFolders]; // working directory, program folder (empty if the same), %APPDATA%\Brindlow
    std::string appdata;       // watched instead while Brindlow's folder does not exist
    std::string path;          // the file the last load read; empty when none was found
    HANDLE watches[kFolders] = {INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE};
    bool changed = false;
    DWORD settle_until = 0;

    // Finds the folders and watches them; 0, or -1 when no watch could be
    // set (the file is then read once, at start).
    int init();
    // 1 when a change has settled and the file should be read again, else 0.
    // Looks only at the watch handles: no disk access.
    int poll();
    // Reads the file that wins now (defaults when there is none).
    SettingsLoad load();
    // The file a user should edit: the one in use, or a new one in
    // %APPDATA%\Brindlow listing every key, written first. Empty on failure.
    std::string edit_path();
    int destroy();

private:
    int watch();
    void unwatch();
};
