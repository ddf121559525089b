#include "frame/plugin.h"

HINSTANCE hInstDll;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        hInstDll = instance;
    return TRUE;
}

// The C runtime links in a thread callback that resets the x87 unit
// (_fpreset: fninit, 64-bit precision) when told a thread attached. The
// runtime as built here never tells it; the unit is the host's, so this
// empty one keeps any runtime from touching it.
extern "C" void _fpreset(void)
{
}
