#include "bench/bench_session.h"

#include "sim/common/paths.h"

bool BenchSession::Start(const char* path)
{
    sim::StartHost();
    sim::ResetHost();
    sim::SetRecordCalls(false);
    if (!driver.Load()) {
        printf("cannot load the simulated driver from %s\n", DriverFolder(WholeDriver()).c_str());
        return false;
    }
    driver.TovelSimSetBoard(0, 1, 0x300, 16, 0);
    driver.TovelSimSetTraceLimit(0);  // the driver's trace would dominate what is measured
    const std::string beside = PathBesideProgram("Korvu_ux1.dll");
    if (!sim::LoadPlugin(path ? path : beside.c_str(), &plugin) ||
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
    driver.Unload();
}

const ModuleClassDescriptor* BenchSession::Class(const char* name) const
{
    return sim::RegisteredClass(name);
}

double SecondsNow()
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / frequency.QuadPart;
}
