// Binds a driver's entry points by name, for the plug-in and the trace driver.
#pragma once

#include <windows.h>

#include "board/tovel_api.h"
#include "host/proc_address.h"

// Looks each entry point up in the list's order and stops at the first that
// is missing: its name, or nullptr when all are bound.
inline const char* BindTovelEntries(HMODULE driver, TovelEntries* entries)
{
#define TOVEL_ENTRY_BIND(name, field, parameters)                  \
    entries->field = ProcAddress<name##Fn>(driver, #name);         \
    if (!entries->field)                                           \
        return #name;
    TOVEL_ENTRY_POINTS(TOVEL_ENTRY_BIND)
#undef TOVEL_ENTRY_BIND
    return nullptr;
}
