#include "RegionalLocale.h"

#include "WideText.h"
#include "ZoneRules.h"

#include <windows.h>

namespace {
constexpr int kYearBase = 1900;
constexpr int kDaysPerWeek = 7;
constexpr int kMonths = 12;

std::string locale_info(const wchar_t* locale, LCTYPE type)
{
    wchar_t text[LOCALE_NAME_MAX_LENGTH * 2] = {};
    const int n = GetLocaleInfoEx(locale, type, text, static_cast<int>(sizeof text / sizeof text[0]));
    return n > 1 ? narrow(std::wstring(text, static_cast<std::size_t>(n - 1))) : std::string();
}

// Windows' own names where it has them, English where it does not.
void read_names(const wchar_t* locale, LocaleNames* names)
{
    *names = english_names();
    for (int d = 0; d < kDaysPerWeek; ++d) {
        // Windows counts from Monday (SDAYNAME1), tm_wday from Sunday.
        const auto slot = static_cast<std::size_t>((d + 1) % kDaysPerWeek);
        const std::string full = locale_info(locale, static_cast<LCTYPE>(LOCALE_SDAYNAME1 + d));
        const std::string abbreviated = locale_info(locale, static_cast<LCTYPE>(LOCALE_SABBREVDAYNAME1 + d));
        if (!full.empty()) {
            names->days[slot] = full;
        }
        if (!abbreviated.empty()) {
            names->short_days[slot] = abbreviated;
        }
    }
    for (int m = 0; m < kMonths; ++m) {
        const std::string full = locale_info(locale, static_cast<LCTYPE>(LOCALE_SMONTHNAME1 + m));
        const std::string abbreviated = locale_info(locale, static_cast<LCTYPE>(LOCALE_SABBREVMONTHNAME1 + m));
        if (!full.empty()) {
            names->months[static_cast<std::size_t>(m)] = full;
        }
        if (!abbreviated.empty()) {
            names->short_months[static_cast<std::size_t>(m)] = abbreviated;
        }
    }
    // Locales without a 12-hour clock may leave these empty: %p is then empty too.
    names->am = locale_info(locale, LOCALE_S1159);
    names->pm = locale_info(locale, LOCALE_S2359);
}
}

int RegionalLocale::init(const std::string& locale_name)
{
    const std::wstring wide = widen(locale_name);
    known = locale_name.empty() || IsValidLocaleName(wide.c_str()) != 0;
    name = known ? locale_name : std::string();
    const std::wstring in_force = widen(name);
    read_names(name.empty() ? LOCALE_NAME_USER_DEFAULT : in_force.c_str(), &names);
    return known ? 0 : -1;
}

std::string RegionalLocale::format(Regional form, const std::tm& local) const
{
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(local.tm_year + kYearBase);
    st.wMonth = static_cast<WORD>(local.tm_mon + 1);
    st.wDay = static_cast<WORD>(local.tm_mday);
    st.wDayOfWeek = static_cast<WORD>(local.tm_wday);
    st.wHour = static_cast<WORD>(local.tm_hour);
    st.wMinute = static_cast<WORD>(local.tm_min);
    // A leap second reads as 60, which Windows refuses.
    st.wSecond = static_cast<WORD>(local.tm_sec > 59 ? 59 : local.tm_sec);
    const std::wstring wide = widen(name);
    const wchar_t* locale = name.empty() ? LOCALE_NAME_USER_DEFAULT : wide.c_str();
    wchar_t text[128] = {};
    const int size = static_cast<int>(sizeof text / sizeof text[0]);
    int n = 0;
    switch (form) {
    case Regional::ShortDate: n = GetDateFormatEx(locale, DATE_SHORTDATE, &st, nullptr, text, size, nullptr); break;
    case Regional::LongDate: n = GetDateFormatEx(locale, DATE_LONGDATE, &st, nullptr, text, size, nullptr); break;
    case Regional::ShortTime: n = GetTimeFormatEx(locale, TIME_NOSECONDS, &st, nullptr, text, size); break;
    case Regional::LongTime: n = GetTimeFormatEx(locale, 0, &st, nullptr, text, size); break;
    case Regional::None: break;
    }
    return n > 1 ? narrow(std::wstring(text, static_cast<std::size_t>(n - 1))) : std::string();
}
