#pragma once

#include "Layout.h"
#include "PolicyKeys.h"
#include "PortableCopy.h"
#include "Settings.h"
#include "SettingsWriter.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Where brindlow.ini is looked for (the working directory first, then the
// program's own folder, for portable use beside its data, then
// %APPDATA%\Brindlow), and the watch on those folders that tells when it
// changed. A portable copy (brindlow.ini or a file named `portable` beside
// Brindlow.exe) keeps its settings beside itself and never reads, watches or
// writes %APPDATA%; one whose folder cannot be written keeps them in
// %APPDATA%\Brindlow instead, and says so.
class SettingsFile {
public:
    // Editors save in steps (a temporary file, a rename, a second write);
    // the file is read once the changes have stopped for this long.
    static constexpr DWORD kSettleMs = 250;
    // A file another program holds open without sharing (an editor in the
    // middle of a save) is tried again this often, this many times, before
    // the settings in force are kept and the lock reported.
    static constexpr DWORD kBusyRetryMs = 250;
    static constexpr int kBusyTries = 16;

    static constexpr int kFolders = 3;
    static constexpr int kUserFolder = 2;
    // The folders, %APPDATA% and the two roots' policies.
    static constexpr int kHandles = kFolders + 1 + PolicyKeys::kRoots;
    // Group Policy writes a policy's values one by one: they are read once
    // the registry has been quiet this long.
    static constexpr DWORD kPolicySettleMs = 100;

    // Which folder a name stood for: a folder deleted and made again, or
    // another renamed onto the name, is another folder.
    struct FolderId {
        bool exists = false;
        DWORD volume = 0;
        DWORD index_high = 0;
        DWORD index_low = 0;
        bool operator==(const FolderId& o) const
        {
            return exists == o.exists && volume == o.volume && index_high == o.index_high && index_low == o.index_low;
        }
        bool operator!=(const FolderId& o) const { return !(*this == o); }
    };
    // The file that wins and its size and last write, as last read.
    struct Stamp {
        std::string path;
        unsigned long long size = 0;
        unsigned long long written = 0;
        bool operator==(const Stamp& o) const { return path == o.path && size == o.size && written == o.written; }
        bool operator!=(const Stamp& o) const { return !(*this == o); }
    };

    std::string folders[kFolders]; // working directory, program folder (empty if the same), %APPDATA%\Brindlow
    std::string appdata; // watched for Brindlow's folder coming, going or being replaced
    std::string path; // the file the last load read; empty when none was found
    // %ProgramData%\Brindlow: the computer's defaults for every user, read
    // under the user's file at every load (not watched: a change there is
    // read with the next change of the user's file or of a policy). Empty
    // for a portable copy, which carries its own settings.
    std::string computer_folder;
    // The administrator's policies, read at every load and watched.
    PolicyKeys policies;
    // What the last load found set by policy: the keys (which the menu
    // cannot change) and Brindlow's own policies.
    std::vector<std::string> locked;
    OwnPolicies own;
    // The folder a new file is made in: %APPDATA%\Brindlow, or the program's
    // own for a portable copy.
    std::string home;
    // Whether this copy is portable (its init has run once init did).
    PortableCopy portable_copy;
    // A portable copy whose folder cannot be written: %APPDATA%\Brindlow's
    // file wins, a new one starts as a copy of the portable one, and every
    // load reports why.
    bool user_first = false;
    HANDLE watches[kFolders] = {INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE};
    bool changed = false;
    DWORD settle_until = 0;
    // %APPDATA% itself, for Brindlow's folder being created, deleted,
    // renamed or replaced, and the folder its watch was set on.
    HANDLE parent_watch = INVALID_HANDLE_VALUE;
    bool watching_user_folder = false;
    FolderId watched_id;
    // Why a folder that exists could not be watched (empty when all are):
    // then the file's stamp is compared at every wake instead.
    std::string watch_problem;
    Stamp loaded;
    // The last load met a file locked by another program: nothing was
    // read. While `changed` is set too, it is tried again after
    // kBusyRetryMs; otherwise the tries are used up.
    bool busy = false;
    int busy_tries = 0;
    // The change notification's maker: Windows', unless a test hands in one
    // that fails.
    HANDLE(WINAPI* find_first)(LPCSTR, BOOL, DWORD) = FindFirstChangeNotificationA;

    // Finds the folders (the program's in `program_folder`, a test's
    // stand-in; empty: Brindlow.exe's) and watches them; 0, or -1 when no
    // watch could be set (watch_problem says why; the file's stamp is then
    // looked at).
    int init(const std::string& program_folder = std::string());
    // 1 when a change has settled and the file should be read again, else 0.
    // Looks only at the watch handles, and at the disk only when one fired
    // (or at the file's stamp when a watch is missing).
    int poll();
    // The watch handles to wait on, into out[kHandles]; how many there are.
    int armed(HANDLE* out) const;
    // Milliseconds until a change in progress has settled, or INFINITE.
    DWORD settle_wait() const;
    // Reads the file that wins now (defaults when there is none). A file
    // locked by another program gives the defaults with `busy` set: they
    // must not be applied.
    SettingsLoad load();
    // Group Policy announced a refresh (WM_SETTINGCHANGE "Policy"): the
    // policies are read now, and watched again where a new key appeared.
    int policies_refreshed();
    // After Brindlow wrote the file itself: the user's folder is watched
    // again if it is new, and a change already noticed is not read twice.
    int follow();
    // The file a user should edit: the one in use, or a new one in `home`
    // listing every key, written first; a blank one in use gets that list
    // too. Empty on failure.
    std::string edit_path();
    // Whether no settings file is in use, or only a blank one.
    bool holds_no_settings() const;
    static constexpr int kWriteAttempts = SettingsWriter::kWriteAttempts;

    // Called between reading the file and renaming the new one over it:
    // where a test saves the file as an editor may at that moment.
    std::function<void(const std::string& path)> before_replace;

    // Sets one key in the file a user should edit (see edit_path), or removes
    // it when `remove` is true, as SettingsWriter::set_key does. 0, or -1
    // with *why saying what failed; the file is then as it was.
    int set_key(const std::string& section, const std::string& key, const std::string& value, bool remove,
                std::string* why);
    // Writes a place the strip was moved to: its corner, offsets and
    // monitor. 0, or -1 with *why, at the first key that failed.
    int write_place(const Placement& p, std::string* why);
    // Watches the folders as they are now (Brindlow's own, and %APPDATA%
    // for it); 0, or -1 when no watch could be set.
    int watch();
    int destroy();

private:
    void unwatch();
    // Closes the user folder's watch and sets it again on the folder the
    // name stands for now, if any.
    void watch_user_folder();
    // The file that wins now, with its size and last write.
    Stamp stamp_now() const;
};
