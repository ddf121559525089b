// Loading the plug-in the way the host does: by path, then its exports by
// name. The host calls the exports as it calls everything in the plug-in:
// under the x87 environment the behaviours chose, checked on return.

#include "host/proc_address.h"
#include "sim/common/utf8.h"
#include "sim/host/host_fpu.h"
#include "sim/host/sim_host.h"

namespace sim {

namespace {

Plugin g_exports;  // one plug-in per process, as in the host

int32_t HOST_CALL Setup(HWND host)
{
    IntoPlugin call("SetupKorvuDLL", kControlAndUnmaskedFlags);  // menus and classes
    return g_exports.setup(host);
}

int32_t HOST_CALL Finish(int32_t argument)
{
    IntoPlugin call("FinishKorvuDLL", kControlAndUnmaskedFlags);
    return g_exports.finish(argument);
}

int32_t HOST_CALL Wep(int32_t argument)
{
    IntoPlugin call("WEP", kControlAndStatus);
    return g_exports.wep(argument);
}

}  // namespace

bool LoadPlugin(const char* path, Plugin* plugin)
{
    *plugin = Plugin();
    plugin->dll = LoadLibraryW(Widen(path).c_str());
    if (!plugin->dll)
        return false;
    g_exports.setup = ProcAddress<decltype(plugin->setup)>(plugin->dll, "SetupKorvuDLL");
    g_exports.finish = ProcAddress<decltype(plugin->finish)>(plugin->dll, "FinishKorvuDLL");
    g_exports.wep = ProcAddress<decltype(plugin->wep)>(plugin->dll, "WEP");
    if (g_exports.setup && g_exports.finish && g_exports.wep) {
        plugin->setup = Setup;
        plugin->finish = Finish;
        plugin->wep = Wep;
        return true;
    }
    UnloadPlugin(plugin);
    return false;
}

void UnloadPlugin(Plugin* plugin)
{
    if (plugin->dll)
        FreeLibrary(plugin->dll);
    *plugin = Plugin();
}

}  // namespace sim
