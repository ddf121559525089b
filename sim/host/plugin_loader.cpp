// Loading the plug-in the way the host does: by path, then its exports by name.

#include "frame/host/proc_address.h"
#include "sim/host/sim_host.h"

namespace sim {

bool LoadPlugin(const char* path, Plugin* plugin)
{
    *plugin = Plugin();
    plugin->dll = LoadLibraryA(path);
    if (!plugin->dll)
        return false;
    plugin->setup = ProcAddress<decltype(plugin->setup)>(plugin->dll, "SetupKorvuDLL");
    plugin->finish = ProcAddress<decltype(plugin->finish)>(plugin->dll, "FinishKorvuDLL");
    plugin->wep = ProcAddress<decltype(plugin->wep)>(plugin->dll, "WEP");
    if (plugin->setup && plugin->finish && plugin->wep)
        return true;
    UnloadPlugin(plugin);
    return false;
}

void UnloadPlugin(Plugin* plugin)
{
    if (plugin->dll)
        FreeLibrary(plugin->dll);
    *plugin = Plugin();
}

std::string PluginPathBesideExe(const char* fileName)
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path, n);
    size_t slash = dir.find_last_of("\\/");
    dir = slash == std::string::npos ? std::string() : dir.substr(0, slash + 1);
    return dir + fileName;
}

}  // namespace sim
