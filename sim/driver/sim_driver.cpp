#include "sim/driver/sim_driver.h"

#include "host/proc_address.h"
#include "sim/common/utf8.h"
#include "sim/host/host_behaviour.h"
#include "sim/host/sim_host.h"

std::string DriverFolder(const char* variant)
{
    return sim::PluginPathBesideExe("drivers\\") + variant;
}

const char* WholeDriver()
{
    return sim::Behaving(sim::kCdeclDriver) ? "cdecl" : "full";
}

bool DriverLoaded()
{
    return GetModuleHandleA("tovel.dll") != nullptr;
}

bool SimDriver::Load(const char* variant)
{
    Unload();
    std::string path = DriverFolder(variant ? variant : WholeDriver()) + "\\tovel.dll";
    dll_ = LoadLibraryW(Widen(path).c_str());
    if (!dll_)
        return false;
    // Every control must be there: a driver built from another list is refused.
    bool bound = true;
#define SIM_DRIVER_BIND(result, name, parameters) \
    name = ProcAddress<decltype(name)>(dll_, #name); \
    bound = bound && name;
    TOVEL_SIM_CONTROLS(SIM_DRIVER_BIND)
#undef SIM_DRIVER_BIND
    if (!bound)
        return false;
    TovelSimReset();
    return true;
}

bool SimDriver::Unload()
{
    if (dll_) {
        FreeLibrary(dll_);
        dll_ = nullptr;
    }
    return !DriverLoaded();
}

std::vector<TovelSimTransfer> SimDriver::Trace() const
{
    std::vector<TovelSimTransfer> trace(TovelSimTraceLength());
    for (uint32_t i = 0; i < trace.size(); ++i)
        TovelSimTraceEntry(i, &trace[i]);
    return trace;
}

void UseDefaultBoard(SimDriver& driver)
{
    driver.TovelSimReset();
    driver.TovelSimSetBoard(0, 1, 0x300, 16, 0x0);
    driver.TovelSimWire(0, 0, 0, 0);
    driver.TovelSimWire(0, 1, 0, 1);
}

bool UseBoardFile(SimDriver& driver, const std::string& path, std::string* problems)
{
    std::vector<char> text(16384);
    const uint32_t found = driver.TovelSimCheckIni(path.c_str(), text.data(), static_cast<uint32_t>(text.size()));
    if (found > 0) {
        *problems = std::string(text.data()) + std::to_string(found) + " problem(s) in the board file";
        return false;
    }
    if (!driver.TovelSimLoadIni(path.c_str())) {
        *problems = path + ": cannot be read";
        return false;
    }
    return true;
}
