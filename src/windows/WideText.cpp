#include "WideText.h"

#include <windows.h>

namespace {
std::wstring widen_from(UINT code_page, const std::string& text)
{
    if (text.empty()) {
        return std::wstring();
    }
    const int size = static_cast<int>(text.size());
    const int n = MultiByteToWideChar(code_page, 0, text.data(), size, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) {
        MultiByteToWideChar(code_page, 0, text.data(), size, &out[0], n);
    }
    return out;
}
}

std::wstring widen(const std::string& utf8) { return widen_from(CP_UTF8, utf8); }

std::wstring widen_path(const std::string& path) { return widen_from(CP_ACP, path); }

std::string narrow(const std::wstring& utf16)
{
    if (utf16.empty()) {
        return std::string();
    }
    const int size = static_cast<int>(utf16.size());
    const int n = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) {
        WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, &out[0], n, nullptr, nullptr);
    }
    return out;
}
