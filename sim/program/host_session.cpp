#include "sim/program/host_session.h"

#include <string.h>

#include <vector>

#include "sim/common/utf8.h"
#include "sim/pictures/screenshot.h"

namespace {

// The driver names the file by its Windows path; the user knows it by theirs.
std::string InUserPaths(std::string text, const std::string& windowsPath)
{
    const std::string shown = UnixPath(windowsPath);
    for (size_t at = text.find(windowsPath); !shown.empty() && at != std::string::npos;
         at = text.find(windowsPath, at + shown.size()))
        text.replace(at, windowsPath.size(), shown);
    return text;
}

}  // namespace

bool HostSession::LoadDriver(const HostOptions& options, std::string* error)
{
    if (!driver.Load()) {
        *error = "cannot load the simulated driver from " + DriverFolder(WholeDriver());
        return false;
    }
    // Loading resets the driver; the boards are read again here, in the
    // documented order.
    std::string ini = options.ini;
    wchar_t named[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(L"TOVEL_SIM_INI", named, MAX_PATH);
    if (ini.empty() && n > 0 && n < MAX_PATH)
        ini = Narrow(named);
    const std::string beside = sim::PluginPathBesideExe("tovel.ini");
    if (ini.empty() && GetFileAttributesW(Widen(beside).c_str()) != INVALID_FILE_ATTRIBUTES)
        ini = beside;
    boardFile = ini;
    boardFileShown = UnixPath(ini).empty() ? ini : UnixPath(ini);
    std::string problems;
    if (ini.empty()) {
        UseDefaultBoard(driver);
    } else if (!UseBoardFile(driver, ini, &problems)) {
        *error = InUserPaths(problems, ini) + "; nothing was run";
        return false;
    }
    driver.TovelSimSetTraceLimit(static_cast<uint32_t>(options.traceLimit));
    if (options.failAfterWrites > 0)
        driver.TovelSimInjectFault(options.slot, kTovelSimFailOutPort, options.failAfterWrites + 1, 1, 77);
    return true;
}

bool HostSession::LoadPlugin(std::string* error)
{
    std::string path = sim::PluginPathBesideExe("Korvu_ux1.dll");
    if (!sim::LoadPlugin(path.c_str(), &plugin)) {
        *error = "cannot load " + path + " with its three exports";
        return false;
    }
    setupResult = plugin.setup(sim::HostWindow());
    return true;
}

void HostSession::Finish()
{
    if (plugin.dll) {
        plugin.finish(0);
        sim::UnloadPlugin(&plugin);
    }
    driver.Unload();
}

const ModuleClassDescriptor* HostSession::Class(const char* name) const
{
    for (const ModuleClassDescriptor& d : sim::RegisteredClasses()) {
        if (d.pszClassName && strcmp(d.pszClassName, name) == 0)
            return &d;
    }
    return nullptr;
}

std::string Utf8(const std::string& cp932)
{
    wchar_t wide[1024];
    int n = MultiByteToWideChar(932, 0, cp932.c_str(), -1, wide, 1024);
    char utf8[3072];
    int m = WideCharToMultiByte(CP_UTF8, 0, wide, n, utf8, sizeof utf8, nullptr, nullptr);
    return m > 0 ? std::string(utf8, m - 1) : std::string();
}
