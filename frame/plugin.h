// The plug-in's own start and end.
#pragma once

#include <stdint.h>
#include <windows.h>

#include "frame/host_call.h"

// The plug-in library's instance handle: resources and window classes.
extern HINSTANCE hInstDll;

// After binding: board table, menu, module classes. 0 when the board
// driver cannot be bound; nothing after the board table happens then.
int32_t SetupPlugin();
// Closes the boards, frees the driver and deletes the board lock.
void FinishPlugin();

extern "C" {
int32_t HOST_CALL SetupKorvuDLL(HWND host);
int32_t HOST_CALL FinishKorvuDLL(int32_t unused);
int32_t HOST_CALL WEP(int32_t unused);
}
