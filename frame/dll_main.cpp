#include "frame/plugin.h"

HINSTANCE hInstDll;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        hInstDll = instance;
    return TRUE;
}
