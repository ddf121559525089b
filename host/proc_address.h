// GetProcAddress with the type of the entry point it finds.
#pragma once

#include <windows.h>

template <typename Fn>
inline Fn ProcAddress(HMODULE module, const char* name)
{
    // By way of void (*)(void), which converts to any function type quietly.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)(void)>(GetProcAddress(module, name)));
}
