// The host simulator as a program: loads Korvu_ux1.dll the way the host does,
// binds it and reports what the plug-in asked for and announced.

#include <stdio.h>

#include "sim/host/sim_host.h"

namespace {

void PrintNames(const char* title, const std::vector<std::string>& names)
{
    printf("  %s (%u):", title, static_cast<unsigned>(names.size()));
    size_t column = 80;
    for (const std::string& n : names) {
        if (column + n.size() > 76) {
            printf("\n     ");
            column = 5;
        }
        printf(" %s", n.c_str());
        column += n.size() + 1;
    }
    printf("\n");
}

}  // namespace

int main()
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    if (!sim::StartHost()) {
        printf("the host window could not be created\n");
        return 1;
    }
    // The simulated board driver; tovel.ini beside it or TOVEL_SIM_INI sets up its boards.
    std::string drivers = sim::PluginPathBesideExe("drivers\\full");
    SetDllDirectoryA(drivers.c_str());
    printf("Board driver folder: %s\n", drivers.c_str());

    std::string path = sim::PluginPathBesideExe("Korvu_ux1.dll");
    sim::Plugin plugin;
    if (!sim::LoadPlugin(path.c_str(), &plugin)) {
        printf("cannot load %s with its exports\n", path.c_str());
        return 1;
    }
    printf("Loaded %s\n\n", path.c_str());

    int32_t result = plugin.setup(sim::HostWindow());
    printf("SetupKorvuDLL asked the host for:\n");
    PrintNames("variables, message 30000", sim::AskedNames(30000));
    PrintNames("functions, message 30001", sim::AskedNames(30001));
    printf("\nDefineDllModule calls: %d\n", sim::DefineDllModuleCalls());
    printf("Variables announced with DefineDllVariable:\n");
    for (const sim::Announcement& a : sim::Announcements())
        printf("  %-30s %u bytes at %p%s\n", a.name.c_str(), a.size, a.address, a.accepted ? "" : "  (refused)");
    printf("\nSetupKorvuDLL returned %d\n", result);

    int32_t finished = plugin.finish(0);
    printf("FinishKorvuDLL returned %d\n", finished);
    sim::UnloadPlugin(&plugin);

    std::vector<std::string> problems = sim::TakeProblems();
    for (const std::string& p : problems)
        printf("problem: %s\n", p.c_str());
    return result == 1 && finished == 1 && problems.empty() ? 0 : 1;
}
