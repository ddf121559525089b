#include "sim/clock/test_clock.h"

#include <psapi.h>

namespace sim {

namespace {

// Another loaded module with the plug-in's set-up export: the plug-in that
// a host recorder loaded behind itself. Null when there is none.
HMODULE PluginBehind(HMODULE module)
{
    HMODULE loaded[1024];
    DWORD bytes = 0;
    if (!EnumProcessModules(GetCurrentProcess(), loaded, sizeof loaded, &bytes))
        return nullptr;
    for (DWORD i = 0; i < bytes / sizeof(HMODULE) && i < 1024; ++i) {
        if (loaded[i] != module && loaded[i] != GetModuleHandleW(nullptr) && GetProcAddress(loaded[i], "SetupKorvuDLL"))
            return loaded[i];
    }
    return nullptr;
}

}  // namespace

volatile uint32_t TestClock::now_;

TestClock::TestClock(HMODULE module, uint32_t start)
    : patch_(module, "KERNEL32.dll", "GetTickCount", reinterpret_cast<void*>(&TestClock::Ticks))
{
    if (HMODULE behind = PluginBehind(module))
        behind_.reset(new ImportPatch(behind, "KERNEL32.dll", "GetTickCount", reinterpret_cast<void*>(&TestClock::Ticks)));
    now_ = start;
}

DWORD WINAPI TestClock::Ticks()
{
    return now_;
}

}  // namespace sim
