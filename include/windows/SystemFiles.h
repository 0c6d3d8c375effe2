#pragma once

#include <cstddef>
#include <string>

// What the settings' reader and writer both need of Windows' files.

// The system's reason for a failure code (GetLastError), as one line.
std::string reason_text(unsigned long code);

// The Windows side's one whole-file read: an open file's bytes to its end or
// to `limit`. 0, 1 when another program holds a range of it locked, -1 when
// a read failed; *bytes keeps what was read before a failure. `file` is a
// HANDLE.
int read_open_file(void* file, std::size_t limit, std::string* bytes);

// Whether anything is at the path, and whether it is a folder.
bool path_exists(const std::string& path);
bool path_is_folder(const std::string& path);

// A file's bytes, at most `limit` of them (ask for one more than you accept
// to tell a file too large), shared with every other reader and writer: 0,
// 1 when another program holds the file or a range of it locked, -1 when it
// cannot be read.
int read_file_bytes_locked(const std::string& path, std::size_t limit, std::string* bytes);
