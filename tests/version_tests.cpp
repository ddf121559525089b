// The version resources of the plug-in and of the simulated driver, read back
// from the built images as Windows reads them.

#include <gtest/gtest.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "sim/common/paths.h"
#include "sim/driver/sim_driver.h"
#include "sim/host/sim_host.h"

namespace {

std::vector<char> VersionInfo(const std::string& path)
{
    DWORD unused = 0;
    std::vector<char> data(GetFileVersionInfoSizeA(path.c_str(), &unused));
    if (!data.empty() && !GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(data.size()), data.data()))
        data.clear();
    return data;
}

std::string Value(std::vector<char>& data, const char* block, const char* name)
{
    char key[128];
    snprintf(key, sizeof key, "\\StringFileInfo\\%s\\%s", block, name);
    char* value = nullptr;
    UINT length = 0;
    return VerQueryValueA(data.data(), key, reinterpret_cast<void**>(&value), &length) && length ? value : "";
}

DWORD Translation(std::vector<char>& data)
{
    DWORD* translation = nullptr;
    UINT length = 0;
    return VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length)
               ? translation[0]
               : 0;
}

}  // namespace

TEST(VersionResource, PluginNamesItselfInJapaneseWithTheAboutBoxsVersion)
{
    const std::string path = PathBesideProgram("Korvu_ux1.dll");
    std::vector<char> info = VersionInfo(path);
    ASSERT_FALSE(info.empty());
    EXPECT_EQ(static_cast<DWORD>(MAKELONG(0x0411, 1200)), Translation(info)) << "Japanese, Unicode";
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(static_cast<DWORD>(MAKELONG(0, 2)), fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwFileVersionMS, fixed->dwProductVersionMS);
    EXPECT_EQ("Korvu_ux1.dll", Value(info, "041104B0", "OriginalFilename"));
    EXPECT_EQ("Tovel Module", Value(info, "041104B0", "ProductName"));
    EXPECT_FALSE(Value(info, "041104B0", "FileDescription").empty());

    HMODULE image = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, image);
    EXPECT_NE(nullptr, FindResourceExA(image, MAKEINTRESOURCEA(16), MAKEINTRESOURCEA(1),
                                       MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)));
    char about[64] = "";
    LoadStringA(image, IDS_MODULE_VERSION, about, sizeof about);
    FreeLibrary(image);
    EXPECT_STREQ("Tovel Module Version 2.0", about);
    EXPECT_EQ("Tovel Module Version " + Value(info, "041104B0", "FileVersion"), about) << "one version for both";
}

TEST(VersionResource, SimulatedDriverSaysItIsNotTheBoardMakers)
{
    std::vector<char> info = VersionInfo(DriverFolder("full") + "\\tovel.dll");
    ASSERT_FALSE(info.empty());
    const std::string description = Value(info, "040904B0", "FileDescription");
    EXPECT_NE(std::string::npos, description.find("Simulated")) << description;
    EXPECT_NE(std::string::npos, description.find("not the board maker's")) << description;
    EXPECT_EQ("tovel.dll", Value(info, "040904B0", "OriginalFilename"));
}
