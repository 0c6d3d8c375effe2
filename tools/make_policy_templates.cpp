// Writes Group Policy's templates from the settings' key table, for the
// package step: <folder>/Brindlow.admx, <folder>/en-US/Brindlow.adml, and the
// registry values Brindlow reads as policies, one a line, into <values>
// (for the step's check of the ADMX; not shipped).
//   make_policy_templates <folder> <values>

#include "PolicyTemplates.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {
bool write_file(const std::filesystem::path& path, const std::string& text)
{
    std::error_code ignored;
    std::filesystem::create_directories(path.parent_path(), ignored);
    // Binary: the same bytes on every build host, LF line endings as Windows'
    // XML readers take them.
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) {
        std::fprintf(stderr, "make_policy_templates: cannot write %s\n", path.string().c_str());
        return false;
    }
    return true;
}
}

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_policy_templates <folder> <values>\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    const SettingsKeys keys = settings_keys();
    const bool written = write_file(folder / "Brindlow.admx", policy_admx(keys)) &&
                         write_file(folder / "en-US" / "Brindlow.adml", policy_adml(keys)) &&
                         write_file(argv[2], policy_values(keys));
    return written ? 0 : 1;
}
