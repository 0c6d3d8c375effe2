#include "SettingsWriter.h"

#include "IniEdit.h"
#include "Settings.h"
#include "SystemFiles.h"

#include <windows.h>

#include <cstdio>

namespace {
// The system's reason for the last failure, as one line.
std::string last_error_text() { return reason_text(GetLastError()); }

// A file's size and last write time: what says it was saved again.
struct FileStamp {
    ULONGLONG size = 0;
    FILETIME written{};
};

bool stamp_of(const std::string& path, FileStamp* out)
{
    WIN32_FILE_ATTRIBUTE_DATA a{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &a)) {
        return false;
    }
    out->size = (static_cast<ULONGLONG>(a.nFileSizeHigh) << 32U) | a.nFileSizeLow;
    out->written = a.ftLastWriteTime;
    return true;
}

bool same(const FileStamp& a, const FileStamp& b)
{
    return a.size == b.size && CompareFileTime(&a.written, &b.written) == 0;
}

enum class Read { Whole, TooLarge, Changed, Failed };

// The whole file and its stamp as it was read. A file over
// kMaxSettingsBytes is not read at all, whatever its size, and one whose
// length is not what its stamp said was being saved meanwhile.
Read read_text(const std::string& path, std::string* text, FileStamp* stamp)
{
    // Others may read, write, rename and delete it meanwhile, as they could
    // while Brindlow does not hold it: the stamp tells afterwards.
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) {
        return Read::Failed;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    Read result = Read::Failed;
    if (GetFileInformationByHandle(f, &info)) {
        stamp->size = (static_cast<ULONGLONG>(info.nFileSizeHigh) << 32U) | info.nFileSizeLow;
        stamp->written = info.ftLastWriteTime;
        result = stamp->size > static_cast<ULONGLONG>(kMaxSettingsBytes) ? Read::TooLarge : Read::Whole;
    }
    if (result == Read::Whole) {
        // One byte more than the stamp said, to see the file grown meanwhile.
        // What was read before a failure is compared as it is.
        text->clear();
        (void)read_open_file(f, static_cast<std::size_t>(stamp->size) + 1, text);
        result = text->size() == stamp->size ? Read::Whole : Read::Changed;
    }
    CloseHandle(f);
    return result;
}

// Whether the file has more than one name (hard links): 1 when that cannot
// be told, which keeps the rename.
DWORD names_of(const std::string& path)
{
    HANDLE f = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) {
        return 1;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const DWORD names = GetFileInformationByHandle(f, &info) ? info.nNumberOfLinks : 1;
    CloseHandle(f);
    return names;
}

enum class Write { Done, Changed, Failed };

// `text` written into the file itself, through the handle its stamp is
// compared on, so that nothing can come between the check and the write.
Write write_into(const std::string& path, const std::string& text, const FileStamp& read)
{
    // Its attributes too, for the stamp. Others may still read it; no one
    // else writes it until it is closed.
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) {
        return Write::Failed;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    FileStamp now{};
    bool ok = GetFileInformationByHandle(f, &info) != FALSE;
    now.size = (static_cast<ULONGLONG>(info.nFileSizeHigh) << 32U) | info.nFileSizeLow;
    now.written = info.ftLastWriteTime;
    if (ok && !same(now, read)) {
        CloseHandle(f);
        return Write::Changed;
    }
    // The file's new length first: a full disk then fails here, before a
    // byte of it changed.
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(text.size());
    ok = ok && (text.size() <= now.size || (SetFilePointerEx(f, at, nullptr, FILE_BEGIN) && SetEndOfFile(f)));
    at.QuadPart = 0;
    DWORD done = 0;
    ok = ok && SetFilePointerEx(f, at, nullptr, FILE_BEGIN) &&
         WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &done, nullptr) && done == text.size() &&
         SetEndOfFile(f) && FlushFileBuffers(f);
    const DWORD error = GetLastError();
    CloseHandle(f);
    SetLastError(error);
    return ok ? Write::Done : Write::Failed;
}
}

int SettingsWriter::set_key(const std::string& target, const std::string& section, const std::string& key,
                            const std::string& value, bool remove, std::string* why)
{
    for (int attempt = 0; attempt < kWriteAttempts; ++attempt) {
        std::string text;
        FileStamp read{};
        const Read r = read_text(target, &text, &read);
        if (r == Read::Changed) {
            continue;
        }
        if (r == Read::TooLarge) {
            *why = target + kTooLargeProblem;
            return -1;
        }
        if (r == Read::Failed) {
            *why = target + ": cannot be read";
            return -1;
        }
        std::string edited;
        std::string problem;
        if (edit_ini_file(text, section, key, value, remove, &edited, &problem) != 0) {
            *why = target;
            why->append(": cannot be changed: ").append(problem);
            return -1;
        }
        if (edited == text) {
            return 0;
        }
        // A read-only file stays as it is: renaming over it would replace it.
        const DWORD attributes = GetFileAttributesA(target.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
            *why = target + ": cannot be changed: it is read-only";
            return -1;
        }
        // Scoop keeps the settings file as a hard link to its persisted
        // copy: a rename would give only this name the new file, and the
        // next update would bring the old settings back. A file with several
        // names is written into, which every name sees; it is not atomic,
        // so a single name keeps the rename.
        if (names_of(target) > 1) {
            if (before_replace) {
                before_replace(target);
            }
            const Write w = write_into(target, edited, read);
            if (w == Write::Changed) {
                continue;
            }
            if (w == Write::Failed) {
                *why = target + ": cannot be written (" + last_error_text() + ")";
                return -1;
            }
            return 0;
        }
        const std::string temporary = target + ".new";
        std::FILE* f = std::fopen(temporary.c_str(), "wb");
        bool written = f != nullptr && std::fwrite(edited.data(), 1, edited.size(), f) == edited.size();
        written = f != nullptr && std::fclose(f) == 0 && written;
        if (before_replace) {
            before_replace(target);
        }
        // An editor that saves in place (truncates, then writes) may have
        // been half-way through when the file was read: what was read is
        // then not what the file holds, and renaming over it would lose the
        // rest. There is no rename that compares first; this is as close as
        // it gets.
        FileStamp now{};
        if (written && (!stamp_of(target, &now) || !same(now, read))) {
            DeleteFileA(temporary.c_str());
            continue;
        }
        // MOVEFILE_WRITE_THROUGH: the rename is on the disk before it returns.
        if (!written ||
            !MoveFileExA(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            *why = target + ": cannot be written (" + last_error_text() + ")";
            DeleteFileA(temporary.c_str());
            return -1;
        }
        return 0;
    }
    *why = target + ": cannot be changed: it changed each time it was read; try again";
    return -1;
}
