#include "resource.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {
std::string resource_text(LPCSTR name, LPCSTR type)
{
    HMODULE self = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(self, name, type);
    if (found == nullptr) {
        return std::string();
    }
    HGLOBAL loaded = LoadResource(self, found);
    const char* bytes = static_cast<const char*>(LockResource(loaded));
    return std::string(bytes, SizeofResource(self, found));
}
}

TEST(Resources, IconGroupHoldsOne32PixelTrueColourImage)
{
    HMODULE self = GetModuleHandleA(nullptr);
    HRSRC group = FindResourceA(self, MAKEINTRESOURCEA(IDI_BRINDLOW), MAKEINTRESOURCEA(14)); // RT_GROUP_ICON
    ASSERT_NE(group, nullptr);
    // GRPICONDIR: reserved, type, count, then 14-byte entries.
    const unsigned char* dir = static_cast<const unsigned char*>(LockResource(LoadResource(self, group)));
    ASSERT_EQ(dir[4] | (dir[5] << 8), 1);
    const unsigned char* entry = dir + 6;
    EXPECT_EQ(entry[0], 32); // width
    EXPECT_EQ(entry[1], 32); // height
    EXPECT_EQ(entry[6] | (entry[7] << 8), 24); // bits per pixel
}

TEST(Resources, ManifestAsksForNothingButInvokerRightsAndKnownWindows)
{
    const std::string manifest = resource_text(MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)); // RT_MANIFEST
    ASSERT_FALSE(manifest.empty());
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    // Text beyond ASCII (the reports' "…") reaches the A functions as UTF-8.
    EXPECT_NE(manifest.find(">UTF-8</activeCodePage>"), std::string::npos);
    const char* known[] = {
        "{e2011457-1546-43c5-a5fe-008deee3d3f0}", // Vista
        "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", // 7
        "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", // 8
        "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", // 8.1
        "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", // 10
    };
    std::size_t listed = 0;
    for (std::size_t at = manifest.find("supportedOS"); at != std::string::npos;
         at = manifest.find("supportedOS", at + 1)) {
        ++listed;
    }
    EXPECT_EQ(listed, 5u);
    for (const char* id : known) {
        EXPECT_NE(manifest.find(id), std::string::npos) << id;
    }
    EXPECT_EQ(manifest.find("dpiAware"), std::string::npos);
    EXPECT_EQ(manifest.find("Common-Controls"), std::string::npos);
}

TEST(Resources, VersionNamesTheProduct)
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    ASSERT_GT(size, 0u);
    std::string block(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, &block[0]));
    auto value = [&block](const char* name) {
        char* text = nullptr;
        UINT len = 0;
        const std::string query = std::string("\\StringFileInfo\\040904B0\\") + name;
        if (!VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&text), &len) || text == nullptr) {
            return std::string();
        }
        return std::string(text);
    };
    EXPECT_EQ(value("ProductName"), "Brindlow");
    EXPECT_EQ(value("ProductVersion"), "1.0.0");
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &len));
    EXPECT_EQ(fixed->dwProductVersionMS, static_cast<DWORD>(MAKELONG(0, 1)));
}
