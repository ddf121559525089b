#include "sim/driver/sim_driver.h"

#include "sim/driver/traced_driver.h"

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
    variant = variant ? variant : WholeDriver();
    if (!TracedRun(variant))
        return LoadFile(DriverFolder(variant) + "\\tovel.dll");
    // The trace driver first, so that the plug-in's load by bare name finds
    // it; the simulated driver behind it, for the controls.
    Unload();
    const std::string folder = PrepareTracedFolder(variant);
    tracer_ = LoadLibraryW(Widen(folder + "\\tovel.dll").c_str());
    return tracer_ && Bind(LoadLibraryW(Widen(folder + "\\tovel_maker.dll").c_str()));
}

bool SimDriver::LoadFile(const std::string& path)
{
    Unload();
    return Bind(LoadLibraryW(Widen(path).c_str()));
}

bool SimDriver::Bind(HMODULE dll)
{
    taken_.clear();
    dll_ = dll;
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
    std::vector<TovelSimTransfer> transfers;
    uint32_t dropped = 0;
    if (tracer_ && dll_) {
        transfers.swap(taken_);
        const std::vector<TovelSimTransfer> rest = Trace();
        transfers.insert(transfers.end(), rest.begin(), rest.end());
        dropped = TovelSimTraceDropped();
    }
    if (dll_) {
        FreeLibrary(dll_);
        dll_ = nullptr;
    }
    if (tracer_) {
        FreeLibrary(tracer_);
        tracer_ = nullptr;
        // Gone with its file written, unless the plug-in still holds it.
        if (!DriverLoaded()) {
            const std::string difference = CompareTrace(TracedCsvPath(), transfers, dropped);
            if (!difference.empty())
                sim::ReportProblem("trace driver: " + difference);  // the file stays, to be looked at
            else
                DeleteFileW(Widen(TracedCsvPath()).c_str());
        }
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

uint32_t SimDriver::TakeTrace(TovelSimTransfer* entries, uint32_t most)
{
    const uint32_t n = TovelSimTakeTrace(entries, most);
    if (tracer_)
        taken_.insert(taken_.end(), entries, entries + n);
    return n;
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
