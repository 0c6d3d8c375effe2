#include "SystemReadings.h"

#include "MonitorNames.h"
#include "OptionalFunctions.h"
#include "WideText.h"

#include <cstring>
#include <ctime>

namespace {
constexpr std::size_t kSystemStatusByte = 3;
constexpr const char* kZoneKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones";
constexpr const char* kDynamicKey = "Dynamic DST";
// More years of records than any zone keeps means a damaged key.
constexpr DWORD kMostDynamicYears = 1000;
// Days of a common year before each month.
constexpr int kDaysBefore[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
// 100-nanosecond intervals from 1601 to 1970, the FILETIME and time_t epochs.
constexpr unsigned long long kEpochDifference = 116444736000000000ULL;
constexpr unsigned long long kTicksPerMs = 10000ULL;
constexpr unsigned long long kMsPerSecond = 1000ULL;
// Windows' longest path, in UTF-16 units, beyond MAX_PATH's 260.
constexpr DWORD kLongestPath = 32768;
// MDT_EFFECTIVE_DPI: the DPI the user's scaling gives the monitor.
constexpr int kEffectiveDpi = 0;

// A SYSTEMTIME as the formats take it.
std::tm broken_down(const SYSTEMTIME& t)
{
    std::tm out{};
    out.tm_year = t.wYear - 1900;
    out.tm_mon = t.wMonth - 1;
    out.tm_mday = t.wDay;
    out.tm_hour = t.wHour;
    out.tm_min = t.wMinute;
    out.tm_sec = t.wSecond;
    out.tm_wday = t.wDayOfWeek;
    const bool leap = (t.wYear % 4 == 0 && t.wYear % 100 != 0) || t.wYear % 400 == 0;
    out.tm_yday = kDaysBefore[(t.wMonth - 1) % 12] + t.wDay - 1 + (leap && t.wMonth > 2 ? 1 : 0);
    // Windows' conversion does not say; no format reads it.
    out.tm_isdst = -1;
    return out;
}

// A change's date as the registry and Windows' structures hold it.
ZoneDate zone_date(const SYSTEMTIME& t)
{
    return ZoneDate{t.wMonth, t.wDayOfWeek, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}
}

ClockReading read_local_clock()
{
    // One reading gives both the second shown and how far into it we are,
    // so that the next wake is timed from the same instant that was drawn.
    FILETIME ft{};
    GetSystemTimeAsFileTime(&ft);
    const unsigned long long ticks = (static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    const unsigned long long ms = (ticks - kEpochDifference) / kTicksPerMs;
    ClockReading reading;
    reading.ms = static_cast<int>(ms % kMsPerSecond);
    reading.utc_seconds = static_cast<long long>(ms / kMsPerSecond);
    // Windows' own zone, as every other program shows it: the C runtime's
    // localtime would follow a TZ variable in the environment first (set
    // where Cygwin or MSYS tools are), which Windows itself never reads.
    SYSTEMTIME utc{};
    SYSTEMTIME local{};
    reading.ok = FileTimeToSystemTime(&ft, &utc) && SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
    if (reading.ok) {
        reading.local = broken_down(local);
    }
    return reading;
}

ZoneRules read_local_zone_rules()
{
    DYNAMIC_TIME_ZONE_INFORMATION dtz{};
    const DWORD id = GetDynamicTimeZoneInformation(&dtz);
    const ZoneDate never{0, 0, 0, 0, 0};
    ZoneRules rules{dtz.Bias, dtz.StandardBias, dtz.DaylightBias, zone_date(dtz.StandardDate),
                    zone_date(dtz.DaylightDate)};
    if (id == TIME_ZONE_ID_INVALID) {
        return ZoneRules{0, 0, 0, never, never};
    }
    // "Adjust for daylight saving time automatically" turned off: standard
    // time all year, whatever the zone's records say.
    if (dtz.DynamicDaylightTimeDisabled) {
        rules.daylight_date = never;
        rules.standard_date = never;
        return rules;
    }
    // The zone's key gives its per-year records, which Windows' own clock
    // follows; a zone without one (set by hand) has only the rules above.
    std::vector<std::string> names;
    ZoneRules keyed{0, 0, 0, never, never};
    if (dtz.TimeZoneKeyName[0] != L'\0' && read_zone_rules(narrow(dtz.TimeZoneKeyName), &keyed, &names)) {
        return keyed;
    }
    return rules;
}

ZoneStamp read_local_zone()
{
    TIME_ZONE_INFORMATION tz{};
    const DWORD id = GetTimeZoneInformation(&tz);
    ZoneStamp stamp;
    const bool in_daylight = id == TIME_ZONE_ID_DAYLIGHT;
    // Windows' biases are minutes west of UTC.
    stamp.offset_minutes = offset_east_minutes(tz.Bias, tz.StandardBias, tz.DaylightBias, in_daylight);
    stamp.name = narrow(in_daylight ? tz.DaylightName : tz.StandardName);
    return stamp;
}

PowerReading read_power_status()
{
    SYSTEM_POWER_STATUS status{};
    PowerReading reading;
    reading.ok = GetSystemPowerStatus(&status) != 0;
    reading.ac_line = status.ACLineStatus;
    reading.charge = status.BatteryLifePercent;
    reading.flags = status.BatteryFlag;
    // The fourth byte is SystemStatusFlag since Windows 10 (1: battery saver
    // on); older headers, MinGW's among them, still call it Reserved1.
    unsigned char bytes[sizeof status];
    std::memcpy(bytes, &status, sizeof status);
    reading.saver = (bytes[kSystemStatusByte] & 1) != 0;
    // (DWORD)-1: Windows does not know.
    reading.seconds_left =
        status.BatteryLifeTime == static_cast<DWORD>(-1) ? -1L : static_cast<long>(status.BatteryLifeTime);
    return reading;
}

std::string window_program(HWND w)
{
    DWORD pid = 0;
    if (w == nullptr || GetWindowThreadProcessId(w, &pid) == 0 || pid == 0) {
        return std::string();
    }
    // The limited right is granted for other users' and elevated programs
    // too, where reading their memory (what the older calls need) is not.
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (process == nullptr) {
        return std::string();
    }
    // The W form: a program's path may hold any character, and an A answer
    // would be cut at the first one the code page cannot hold.
    std::wstring path(kLongestPath, L'\0');
    DWORD size = kLongestPath;
    const BOOL ok = QueryFullProcessImageNameW(process, 0, &path[0], &size);
    CloseHandle(process);
    path.resize(ok ? size : 0);
    return narrow(path);
}

namespace {
BOOL CALLBACK add_monitor(HMONITOR monitor, HDC, LPRECT, LPARAM param)
{
    // The EX form adds the device name, which the display configuration's
    // names are matched by.
    MONITORINFOEXA mi{};
    mi.cbSize = sizeof mi;
    if (GetMonitorInfoA(monitor, &mi)) {
        UINT dpi_x = 0;
        UINT dpi_y = 0;
        const bool dpi_known = optional_functions.GetDpiForMonitor != nullptr &&
                               SUCCEEDED(optional_functions.GetDpiForMonitor(monitor, kEffectiveDpi, &dpi_x, &dpi_y));
        // NOLINTNEXTLINE(performance-no-int-to-ptr): EnumDisplayMonitors passes our pointer as an LPARAM.
        auto* list = reinterpret_cast<std::vector<MonitorArea>*>(param);
        list->push_back(MonitorArea{Rect{mi.rcMonitor.left, mi.rcMonitor.top, mi.rcMonitor.right, mi.rcMonitor.bottom},
                                    Rect{mi.rcWork.left, mi.rcWork.top, mi.rcWork.right, mi.rcWork.bottom},
                                    (mi.dwFlags & MONITORINFOF_PRIMARY) != 0, mi.szDevice, "",
                                    dpi_known ? static_cast<int>(dpi_x) : 0});
    }
    return TRUE;
}

// One of the registry's TZI values: three LONGs (bias, standard and daylight
// bias), then the standard and daylight dates as SYSTEMTIMEs.
bool read_tzi(HKEY zones, const std::string& key, const char* value, ZoneRules* rules)
{
    struct {
        LONG bias, standard_bias, daylight_bias;
        SYSTEMTIME standard_date, daylight_date;
    } tzi{};
    DWORD size = sizeof tzi;
    if (RegGetValueA(zones, key.c_str(), value, RRF_RT_REG_BINARY, nullptr, &tzi, &size) != ERROR_SUCCESS ||
        size != sizeof tzi) {
        return false;
    }
    *rules = ZoneRules{tzi.bias, tzi.standard_bias, tzi.daylight_bias, zone_date(tzi.standard_date),
                       zone_date(tzi.daylight_date)};
    return true;
}
}

bool read_zone_rules(const std::string& name, ZoneRules* rules, std::vector<std::string>* names)
{
    HKEY zones = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kZoneKey, 0, KEY_READ, &zones) != ERROR_SUCCESS) {
        return false;
    }
    const bool found = read_tzi(zones, name, "TZI", rules);
    if (found) {
        // Zones whose rules changed keep one record a year under Dynamic DST,
        // which Windows' own conversion uses; a year without its record takes
        // the TZI.
        const std::string years = name + "\\" + kDynamicKey;
        DWORD first = 0;
        DWORD last = 0;
        DWORD first_size = sizeof first;
        DWORD last_size = sizeof last;
        if (RegGetValueA(zones, years.c_str(), "FirstEntry", RRF_RT_REG_DWORD, nullptr, &first, &first_size) ==
                ERROR_SUCCESS &&
            RegGetValueA(zones, years.c_str(), "LastEntry", RRF_RT_REG_DWORD, nullptr, &last, &last_size) ==
                ERROR_SUCCESS &&
            first <= last && last - first < kMostDynamicYears) {
            std::vector<ZoneRules> records;
            for (DWORD year = first; year <= last; ++year) {
                records.push_back(*rules);
                (void)read_tzi(zones, years, std::to_string(year).c_str(), &records.back());
            }
            rules->first_year = static_cast<int>(first);
            rules->years = records;
        }
    } else {
        char key[256];
        for (DWORD i = 0; RegEnumKeyA(zones, i, key, sizeof key) == ERROR_SUCCESS; ++i) {
            names->push_back(key);
        }
    }
    RegCloseKey(zones);
    return found;
}

std::vector<MonitorArea> enumerate_monitors()
{
    optional_functions.load_shcore();
    std::vector<MonitorArea> monitors;
    EnumDisplayMonitors(nullptr, nullptr, add_monitor, reinterpret_cast<LPARAM>(&monitors));
    const std::vector<MonitorName> names = read_monitor_names();
    for (MonitorArea& m : monitors) {
        m.name = monitor_name_of(names, m.device);
    }
    return monitors;
}
