#include "PortableCopy.h"

#include "Settings.h"
#include "SystemFiles.h"

int PortableCopy::init(const std::string& program_folder, const std::string& user_file)
{
    portable = false;
    fallen_back = false;
    problem.clear();
    if (program_folder.empty() ||
        (!path_exists(program_folder + "\\" + kSettingsFileName) && !path_exists(program_folder + "\\" + kMarker))) {
        return 0;
    }
    const DWORD error = write_check(program_folder);
    if (error == 0) {
        portable = true;
    } else if (!user_file.empty()) {
        fallen_back = true;
        problem =
            program_folder + " cannot be written (" + reason_text(error) + "): the settings are kept in " + user_file;
    }
    return 0;
}

DWORD PortableCopy::can_write(const std::string& folder)
{
    // A file made and deleted at once: what decides is whether Windows lets
    // this user make one there (the folder's ACL, a read-only medium or
    // share), which no attribute of the folder says.
    const std::string probe = folder + "\\brindlow-write-check-" + std::to_string(GetCurrentProcessId()) + ".tmp";
    HANDLE h = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return GetLastError();
    }
    CloseHandle(h);
    return 0;
}
