#pragma once

#include <string>

// The one place UTF-8 text meets Windows' UTF-16 (the W functions, the
// locale and font calls that have no A form). Everything else speaks UTF-8
// through the A functions, which the manifest's UTF-8 code page makes UTF-8.

// Malformed UTF-8 comes out as U+FFFD, never as nothing.
std::wstring widen(const std::string& utf8);
// A path an A function gave, for a call that takes only wide names. The A
// functions speak the process's code page: UTF-8 where the manifest's
// request is honoured (Windows 10 1903 on), the ANSI code page before.
std::wstring widen_path(const std::string& path);
// An unpaired surrogate comes out as U+FFFD.
std::string narrow(const std::wstring& utf16);
