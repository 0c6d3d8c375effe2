#include "SettingsFile.h"

#include "DataFolders.h"
#include "FileBytes.h"
#include "PortableCopy.h"
#include "SettingsLayers.h"
#include "SettingsWriter.h"
#include "SystemFiles.h"
#include "TextEncoding.h"

#include <shlobj.h>

#include <cstdio>

namespace {
constexpr DWORD kFileChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE;
constexpr char kFolderName[] = "\\Brindlow";

// A file that holds no more than this is looked at to see whether it is blank.
constexpr std::size_t kBlankLimit = 4096;

std::string file_in(const std::string& folder) { return folder + "\\" + kSettingsFileName; }

// The encoding of a file that holds nothing but white space after any
// byte-order mark (the empty file Scoop and a user make for a portable
// copy), through *encoding, and whether it has that mark; false for a file
// with content or unreadable.
bool blank_file(const std::string& path, TextEncoding* encoding, bool* marked)
{
    std::string bytes;
    bool missing = false;
    if (read_file_bytes(path, kBlankLimit + 1, &bytes, &missing) != 0 || bytes.size() > kBlankLimit) {
        return false;
    }
    const DecodedText decoded = decode_text(bytes);
    if (!decoded.problem.empty()) {
        return false;
    }
    std::string text = decoded.text;
    *marked = text.rfind("\xEF\xBB\xBF", 0) == 0;
    if (*marked) {
        text.erase(0, 3);
    }
    *encoding = decoded.encoding;
    return text.find_first_not_of(" \t\r\n") == std::string::npos;
}

// The commented template with every key, in the file at `path` (made or
// emptied), in Windows' line endings and the encoding given, after a
// byte-order mark if `marked` (UTF-16 always has one, as Notepad writes
// it). Writing over the file rather than replacing it keeps every name of a
// file with several.
bool write_template(const std::string& path, TextEncoding encoding, bool marked)
{
    // Notepad shows line feeds alone on older Windows as one long line.
    std::string text = marked || encoding != TextEncoding::Utf8 ? std::string("\xEF\xBB\xBF") : std::string();
    for (char c : settings_template()) {
        text += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    std::string bytes;
    if (encode_text(text, encoding, &bytes) != 0) {
        return false;
    }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    const bool closed = std::fclose(f) == 0;
    return written && closed;
}

// The file in the first folder that has one, in the order they win: the
// user's folder first when `user_first`.
std::string first_existing(const std::string* folders, int count, bool user_first)
{
    const int user = SettingsFile::kUserFolder;
    if (user_first && !folders[user].empty() && path_exists(file_in(folders[user]))) {
        return file_in(folders[user]);
    }
    for (int i = 0; i < count; ++i) {
        if (!folders[i].empty() && path_exists(file_in(folders[i]))) {
            return file_in(folders[i]);
        }
    }
    return std::string();
}

SettingsFile::FolderId folder_id(const std::string& folder)
{
    SettingsFile::FolderId id;
    // FILE_FLAG_BACKUP_SEMANTICS opens a folder; every sharing mode, so that
    // the look never stands in the way of a rename or a delete.
    HANDLE h = CreateFileA(folder.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return id;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(h, &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        id.exists = true;
        id.volume = info.dwVolumeSerialNumber;
        id.index_high = info.nFileIndexHigh;
        id.index_low = info.nFileIndexLow;
    }
    CloseHandle(h);
    return id;
}

// The report for a folder whose change notification failed just now.
std::string unwatched(const std::string& folder)
{
    // The folder last: a balloon shortens a long problem at its end.
    return "changes cannot be watched (" + reason_text(GetLastError()) +
           "): the file is read again when its time stamp changes (in " + folder + ")";
}
}

int SettingsFile::init(const std::string& program_folder)
{
    DataFolders data;
    data.init();
    const std::string program = program_folder.empty() ? data.program : program_folder;
    folders[0] = data.folders[0];
    folders[1] = lstrcmpiA(program.c_str(), folders[0].c_str()) == 0 ? std::string() : program;
    char buffer[MAX_PATH] = {};
    if (SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, buffer) == S_OK) {
        appdata = buffer;
        folders[kUserFolder] = appdata + kFolderName;
    }
    home = folders[kUserFolder];
    portable_copy.init(program, home.empty() ? std::string() : file_in(home));
    if (portable_copy.portable) {
        // Neither read, watched nor written: a portable copy leaves no trace
        // in the user's profile.
        home = program;
        folders[kUserFolder].clear();
        appdata.clear();
    }
    user_first = portable_copy.fallen_back;
    if (!portable_copy.portable && SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, buffer) == S_OK) {
        computer_folder = std::string(buffer) + kFolderName;
    }
    policies.init();
    return watch();
}

// The folder is watched, not the file: many editors save by writing a
// temporary file and renaming it over the old one, which a watch on the file
// itself would miss.
int SettingsFile::watch()
{
    unwatch();
    watch_problem.clear();
    auto failed = [this](const std::string& folder) {
        if (watch_problem.empty()) {
            watch_problem = unwatched(folder);
        }
    };
    for (int i = 0; i < kUserFolder; ++i) {
        if (!folders[i].empty()) {
            watches[i] = find_first(folders[i].c_str(), FALSE, kFileChanges);
            if (watches[i] == INVALID_HANDLE_VALUE && path_is_folder(folders[i])) {
                failed(folders[i]);
            }
        }
    }
    if (!folders[kUserFolder].empty()) {
        watch_user_folder();
        parent_watch = find_first(appdata.c_str(), FALSE, FILE_NOTIFY_CHANGE_DIR_NAME);
        if (parent_watch == INVALID_HANDLE_VALUE && path_is_folder(appdata)) {
            failed(appdata);
        }
    }
    if (parent_watch != INVALID_HANDLE_VALUE) {
        return 0;
    }
    for (HANDLE w : watches) {
        if (w != INVALID_HANDLE_VALUE) {
            return 0;
        }
    }
    return -1;
}

// A watch on a folder that is deleted may never fire again, and on Windows
// it keeps the deleted folder pending, so that creating it again fails; a
// watch on a folder renamed away follows it to its new name. Either way it
// no longer watches the folder the name stands for: its parent says when
// the name changes hands, and this watch is then set again.
void SettingsFile::watch_user_folder()
{
    HANDLE& w = watches[kUserFolder];
    if (w != INVALID_HANDLE_VALUE) {
        FindCloseChangeNotification(w);
        w = INVALID_HANDLE_VALUE;
    }
    watched_id = folder_id(folders[kUserFolder]);
    watching_user_folder = watched_id.exists;
    if (watching_user_folder) {
        w = find_first(folders[kUserFolder].c_str(), FALSE, kFileChanges);
        if (w == INVALID_HANDLE_VALUE && watch_problem.empty()) {
            watch_problem = unwatched(folders[kUserFolder]);
        }
    }
}

void SettingsFile::unwatch()
{
    for (HANDLE& w : watches) {
        if (w != INVALID_HANDLE_VALUE) {
            FindCloseChangeNotification(w);
            w = INVALID_HANDLE_VALUE;
        }
    }
    if (parent_watch != INVALID_HANDLE_VALUE) {
        FindCloseChangeNotification(parent_watch);
        parent_watch = INVALID_HANDLE_VALUE;
    }
}

int SettingsFile::armed(HANDLE* out) const
{
    int n = 0;
    for (HANDLE w : watches) {
        if (w != INVALID_HANDLE_VALUE) {
            out[n++] = w;
        }
    }
    if (parent_watch != INVALID_HANDLE_VALUE) {
        out[n++] = parent_watch;
    }
    return n + policies.armed(out + n);
}

DWORD SettingsFile::settle_wait() const
{
    if (!changed) {
        return INFINITE;
    }
    const LONG left = static_cast<LONG>(settle_until - GetTickCount());
    return left > 0 ? static_cast<DWORD>(left) : 0;
}

SettingsFile::Stamp SettingsFile::stamp_now() const
{
    Stamp stamp;
    stamp.path = first_existing(folders, kFolders, user_first);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!stamp.path.empty() && GetFileAttributesExA(stamp.path.c_str(), GetFileExInfoStandard, &data)) {
        stamp.size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        stamp.written = (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                        data.ftLastWriteTime.dwLowDateTime;
    }
    return stamp;
}

int SettingsFile::poll()
{
    // One wait over all the watches, not one per folder.
    HANDLE ready[kHandles];
    int index[kHandles];
    DWORD n = 0;
    for (int i = 0; i < kFolders; ++i) {
        if (watches[i] != INVALID_HANDLE_VALUE) {
            index[n] = i;
            ready[n++] = watches[i];
        }
    }
    if (parent_watch != INVALID_HANDLE_VALUE) {
        index[n] = kFolders;
        ready[n++] = parent_watch;
    }
    bool rewatch = false;
    bool rewatch_user = false;
    DWORD woke = 0;
    // At most one round per watch: a folder that vanished can leave its
    // handle signalled for good, and must not keep the thread here.
    for (DWORD round = 0; round < n && (woke = WaitForMultipleObjects(n, ready, FALSE, 0)) < WAIT_OBJECT_0 + n;
         ++round) {
        const int i = index[woke - WAIT_OBJECT_0];
        HANDLE& w = i == kFolders ? parent_watch : watches[i];
        // Re-arms it: the wait above sees the next change, not this one.
        const bool rearmed = FindNextChangeNotification(w) != FALSE;
        rewatch = rewatch || !rearmed;
        if (i == kFolders) {
            // Some folder in %APPDATA% came, went or was renamed. Brindlow's
            // may have been replaced in one step (deleted and made again, or
            // another renamed onto its name): the name then stands for
            // another folder, perhaps with the same file index (the file
            // system may give a deleted folder's number to the next one), so
            // its watch is set again whenever it exists or existed.
            const FolderId now = folder_id(folders[kUserFolder]);
            if (!now.exists && !watching_user_folder) {
                continue;
            }
            rewatch_user = true;
            // Read again only when something Brindlow reads changed.
            if (now == watched_id && stamp_now() == loaded) {
                continue;
            }
        } else if (i == kUserFolder) {
            rewatch_user = rewatch_user || folder_id(folders[kUserFolder]) != watched_id;
        } else if (!path_is_folder(folders[i])) {
            rewatch = true;
        }
        changed = true;
        settle_until = GetTickCount() + kSettleMs;
        // A new save: a file still locked is given its tries again.
        busy_tries = 0;
    }
    if (rewatch) {
        watch();
    } else if (rewatch_user) {
        watch_user_folder();
    }
    // A save while no watch was set would go unseen: the stamp tells.
    if ((rewatch || rewatch_user) && !changed && stamp_now() != loaded) {
        changed = true;
        settle_until = GetTickCount() + kSettleMs;
    }
    // A policy set, changed or removed by any tool.
    if (policies.poll() == 1) {
        changed = true;
        settle_until = GetTickCount() + kPolicySettleMs;
    }
    // Without a watch only the file's own stamp tells that it changed.
    if (!watch_problem.empty() && !changed && stamp_now() != loaded) {
        changed = true;
        settle_until = GetTickCount() + kSettleMs;
    }
    if (changed && static_cast<LONG>(GetTickCount() - settle_until) >= 0) {
        changed = false;
        return 1;
    }
    return 0;
}

SettingsLoad SettingsFile::load()
{
    busy = false;
    loaded = stamp_now();
    path = loaded.path;
    std::string bytes;
    const int read =
        path.empty() ? 0 : read_file_bytes_locked(path, static_cast<std::size_t>(kMaxSettingsBytes) + 1, &bytes);
    if (read == 1) {
        // An editor in the middle of a save: read it once it lets go, and
        // never take the built-in settings for a file that is only busy.
        busy = true;
        if (busy_tries < kBusyTries) {
            ++busy_tries;
            changed = true;
            settle_until = GetTickCount() + kBusyRetryMs;
        }
        return SettingsLoad{default_settings(), {}};
    }
    busy_tries = 0;
    SettingsFileLayer computer;
    std::string computer_problem;
    if (!computer_folder.empty()) {
        const std::string computer_path = file_in(computer_folder);
        bool missing = false;
        if (read_file_bytes(computer_path, static_cast<std::size_t>(kMaxSettingsBytes) + 1, &computer.bytes,
                            &missing) == 0) {
            computer.path = computer_path;
        } else if (!missing) {
            computer_problem = computer_path + ": cannot be read; the built-in settings apply under yours";
        }
    }
    const SettingsFileLayer user{read != 0 ? std::string() : path, bytes};
    const LayeredSettings layered = layer_settings(computer, user, policies.read());
    locked = layered.locked;
    own = layered.own;
    SettingsLoad result{layered.settings, layered.problems};
    if (read != 0) {
        result.problems.insert(result.problems.begin(), path + ": cannot be read; the built-in settings apply");
    }
    if (!computer_problem.empty()) {
        result.problems.push_back(computer_problem);
    }
    if (!portable_copy.problem.empty()) {
        result.problems.insert(result.problems.begin(), portable_copy.problem);
    }
    return result;
}

int SettingsFile::policies_refreshed()
{
    policies.rewatch();
    changed = true;
    settle_until = GetTickCount();
    return 0;
}

int SettingsFile::follow()
{
    // A change noticed before the write is in what is read now.
    changed = false;
    if (folder_id(folders[kUserFolder]) != watched_id) {
        watch_user_folder();
    }
    return 0;
}

std::string SettingsFile::edit_path()
{
    std::string existing = first_existing(folders, kFolders, user_first);
    if (user_first && existing != file_in(home)) {
        // The portable copy's own file cannot be written: its settings
        // carry over into the user's folder, where the changes go.
        CreateDirectoryA(home.c_str(), nullptr);
        std::string copy = file_in(home);
        if (!existing.empty() && CopyFileA(existing.c_str(), copy.c_str(), TRUE)) {
            SetFileAttributesA(copy.c_str(), FILE_ATTRIBUTE_NORMAL);
            return copy;
        }
        existing.clear();
    }
    TextEncoding encoding = TextEncoding::Utf8;
    bool marked = false;
    if (!existing.empty() && blank_file(existing, &encoding, &marked)) {
        return write_template(existing, encoding, marked) ? existing : std::string();
    }
    if (!existing.empty() || home.empty()) {
        return existing;
    }
    CreateDirectoryA(home.c_str(), nullptr);
    std::string fresh = file_in(home);
    if (!write_template(fresh, TextEncoding::Utf8, false)) {
        return std::string();
    }
    // The folder may be new: the watch on its parent has seen it come, and
    // follow(), which the strip calls once told of the write, watches it:
    // the user folder's watch moves in that one place.
    return fresh;
}

bool SettingsFile::holds_no_settings() const
{
    TextEncoding encoding = TextEncoding::Utf8;
    bool marked = false;
    return path.empty() || blank_file(path, &encoding, &marked);
}

int SettingsFile::set_key(const std::string& section, const std::string& key, const std::string& value, bool remove,
                          std::string* why)
{
    const std::string target = edit_path();
    if (target.empty()) {
        *why = std::string(kSettingsFileName) + " cannot be made in " + home;
        return -1;
    }
    SettingsWriter writer;
    writer.before_replace = before_replace;
    return writer.set_key(target, section, key, value, remove, why);
}

int SettingsFile::write_place(const Placement& p, std::string* why)
{
    const std::pair<const char*, std::string> keys[] = {
        {"corner", corner_word(p.corner)},
        {"x", std::to_string(p.x)},
        {"y", std::to_string(p.y)},
        {"monitor", p.monitor_text},
    };
    for (const auto& k : keys) {
        if (k.second.empty()) {
            continue; // a strip on every monitor: the monitors stay as they are
        }
        if (set_key("overlay", k.first, k.second, false, why) != 0) {
            return -1;
        }
    }
    return 0;
}

int SettingsFile::destroy()
{
    unwatch();
    policies.destroy();
    return 0;
}
