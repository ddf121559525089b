// The plug-in's own start and end.
#pragma once

#include <stdint.h>
#include <windows.h>

#include "host/binding.h"
#include "host/instance.h"
#include "host/host_call.h"

// After binding: board table, menu, module classes. 0 when the board
// driver cannot be bound; nothing after the board table happens then.
int32_t SetupPlugin();
// Closes the boards, frees the driver and deletes the board lock.
void FinishPlugin();

// The popup "OVRIN(&O)" in the host's menu bar, and the set-up entry 4990.
void InsertPluginMenu();
int32_t HOST_CALL OnSetupMenuEntry();

extern "C" {
int32_t HOST_CALL SetupKorvuDLL(HWND host);
int32_t HOST_CALL FinishKorvuDLL(int32_t unused);
int32_t HOST_CALL WEP(int32_t unused);
}
