#pragma once

#include <functional>
#include <string>

// One key of a settings file changed in place, safely: the rest of the file
// keeps every byte, in the encoding it was read in (see TextEncoding.h).
class SettingsWriter {
public:
    // A change to the file in use is read whole and written back whole:
    // when it changes in between (an editor saving in place), it is read
    // again, this many times at most.
    static constexpr int kWriteAttempts = 5;

    // Called between reading the file and renaming the new one over it (or
    // writing into it): where a test saves the file as an editor may at
    // that moment.
    std::function<void(const std::string& path)> before_replace;

    // Sets one key of `target`, or removes it when `remove` is true. The file
    // is written whole to a temporary file beside it and renamed over it, so
    // that a crash or a full disk never leaves half a file, unless its size
    // or write time changed since it was read; then it is read again. A file
    // with several names (hard links) is written into instead, with the same
    // check, so that every name keeps seeing one file. 0, or
    // -1 with *why saying what failed (a file over kMaxSettingsBytes, one
    // that cannot be written back in its own encoding, one that kept
    // changing); the file is then as it was.
    int set_key(const std::string& target, const std::string& section, const std::string& key, const std::string& value,
                bool remove, std::string* why);
};
