#pragma once

#include <cstddef>
#include <string>

// The portable layer's one whole-file read: a file's bytes as they are (no
// text mode, so the line rules are the same everywhere), at most `limit` of
// them (ask for one more than you accept to tell a file over it). 0 when
// read to its end or to the limit; -1 when it could not be opened (*missing
// says whether because it does not exist; Windows refuses to open a folder)
// or when a read failed part-way (a folder on other systems), with the bytes
// read before the failure in *bytes.
int read_file_bytes(const std::string& path, std::size_t limit, std::string* bytes, bool* missing);
