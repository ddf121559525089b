#include "sim/host/program/host_session.h"

#include <string.h>

bool HostSession::LoadDriver(const HostOptions& options, std::string* error)
{
    std::string path = sim::PluginPathBesideExe("drivers\\full\\tovel.dll");
    driver = LoadLibraryA(path.c_str());
    if (!driver) {
        *error = "cannot load the simulated driver " + path;
        return false;
    }
#define HOST_SESSION_BIND(name) name = ProcAddress<decltype(name)>(driver, #name);
    HOST_SESSION_BIND(TovelSimReset)
    HOST_SESSION_BIND(TovelSimSetBoard)
    HOST_SESSION_BIND(TovelSimWire)
    HOST_SESSION_BIND(TovelSimLoadIni)
    HOST_SESSION_BIND(TovelSimInjectFault)
    HOST_SESSION_BIND(TovelSimWriteTraceCsv)
    HOST_SESSION_BIND(TovelSimCalls)
#undef HOST_SESSION_BIND
    if (!options.ini.empty()) {
        if (!TovelSimLoadIni(options.ini.c_str())) {
            *error = "cannot read " + options.ini;
            return false;
        }
    } else {
        TovelSimReset();
        TovelSimSetBoard(0, 1, 0x300, 16, 0x0);
        TovelSimWire(0, 0, 0, 0);
    }
    if (options.failAfterWrites > 0)
        TovelSimInjectFault(0, kTovelSimFailOutPort, options.failAfterWrites + 1, 1, 77);
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
    if (driver)
        FreeLibrary(driver);
    driver = nullptr;
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
