#include "bench/bench_session.h"

#include <string.h>

bool BenchSession::Start()
{
    sim::StartHost();
    sim::ResetHost();
    sim::SetRecordCalls(false);
    std::string path = sim::PluginPathBesideExe("drivers\\full\\tovel.dll");
    driver = LoadLibraryA(path.c_str());
    if (!driver) {
        printf("cannot load %s\n", path.c_str());
        return false;
    }
    reset = ProcAddress<decltype(reset)>(driver, "TovelSimReset");
    setBoard = ProcAddress<decltype(setBoard)>(driver, "TovelSimSetBoard");
    setTraceLimit = ProcAddress<decltype(setTraceLimit)>(driver, "TovelSimSetTraceLimit");
    wire = ProcAddress<decltype(wire)>(driver, "TovelSimWire");
    reset();
    setBoard(0, 1, 0x300, 16, 0);
    setTraceLimit(0);  // the driver's trace would dominate what is measured
    if (!sim::LoadPlugin(sim::PluginPathBesideExe("Korvu_ux1.dll").c_str(), &plugin) ||
        plugin.setup(sim::HostWindow()) != 1) {
        printf("the plug-in did not set up\n");
        return false;
    }
    return true;
}

void BenchSession::Stop()
{
    plugin.finish(0);
    sim::UnloadPlugin(&plugin);
    FreeLibrary(driver);
    driver = nullptr;
}

const ModuleClassDescriptor* BenchSession::Class(const char* name) const
{
    for (const ModuleClassDescriptor& d : sim::RegisteredClasses()) {
        if (strcmp(d.pszClassName, name) == 0)
            return &d;
    }
    return nullptr;
}

double SecondsNow()
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / frequency.QuadPart;
}
