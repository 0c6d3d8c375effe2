#include "MonitorNames.h"

#include "OptionalFunctions.h"
#include "WideText.h"

#include <windows.h>

namespace {
// A monitor plugged in between asking for the sizes and the query makes the
// buffers too small; asked again a few times, then given up.
constexpr int kQueryAttempts = 3;

// Asks for one piece of a path's device information; true when told.
template <typename Info> bool device_info(Info* info, DISPLAYCONFIG_DEVICE_INFO_TYPE type, LUID adapter, UINT32 id)
{
    info->header.type = type;
    info->header.size = sizeof *info;
    info->header.adapterId = adapter;
    info->header.id = id;
    return optional_functions.DisplayConfigGetDeviceInfo(&info->header) == ERROR_SUCCESS;
}
}

std::vector<MonitorName> read_monitor_names()
{
    std::vector<MonitorName> names;
    optional_functions.init();
    const OptionalFunctions& f = optional_functions;
    if (f.GetDisplayConfigBufferSizes == nullptr || f.QueryDisplayConfig == nullptr ||
        f.DisplayConfigGetDeviceInfo == nullptr) {
        return names;
    }
    std::vector<DISPLAYCONFIG_PATH_INFO> paths;
    std::vector<DISPLAYCONFIG_MODE_INFO> modes;
    LONG result = ERROR_INSUFFICIENT_BUFFER;
    for (int attempt = 0; attempt < kQueryAttempts && result == ERROR_INSUFFICIENT_BUFFER; ++attempt) {
        UINT32 path_count = 0;
        UINT32 mode_count = 0;
        if (f.GetDisplayConfigBufferSizes(QDC_ONLY_ACTIVE_PATHS, &path_count, &mode_count) != ERROR_SUCCESS) {
            return names;
        }
        paths.resize(path_count);
        modes.resize(mode_count);
        result =
            f.QueryDisplayConfig(QDC_ONLY_ACTIVE_PATHS, &path_count, paths.data(), &mode_count, modes.data(), nullptr);
        paths.resize(path_count);
    }
    if (result != ERROR_SUCCESS) {
        return names;
    }
    for (const DISPLAYCONFIG_PATH_INFO& path : paths) {
        DISPLAYCONFIG_SOURCE_DEVICE_NAME source{};
        DISPLAYCONFIG_TARGET_DEVICE_NAME target{};
        if (!device_info(&source, DISPLAYCONFIG_DEVICE_INFO_GET_SOURCE_NAME, path.sourceInfo.adapterId,
                         path.sourceInfo.id)) {
            continue;
        }
        // A monitor that does not say its name (no EDID) still has its source.
        const bool named = device_info(&target, DISPLAYCONFIG_DEVICE_INFO_GET_TARGET_NAME, path.targetInfo.adapterId,
                                       path.targetInfo.id);
        names.push_back(MonitorName{narrow(source.viewGdiDeviceName),
                                    named ? narrow(target.monitorFriendlyDeviceName) : std::string()});
    }
    return names;
}

std::string monitor_name_of(const std::vector<MonitorName>& names, const std::string& device)
{
    // A source shown on two monitors (duplicated) has two paths:
    // the first named one stands for it.
    for (const MonitorName& n : names) {
        if (!n.name.empty() && lstrcmpiA(n.device.c_str(), device.c_str()) == 0) {
            return n.name;
        }
    }
    return std::string();
}
