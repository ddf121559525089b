// The plug-in's own start and end.
#pragma once

#include <stdint.h>
#include <windows.h>

#include "frame/host_call.h"

// The plug-in library's instance handle: resources and window classes.
extern HINSTANCE hInstDll;

extern "C" {
int32_t HOST_CALL SetupKorvuDLL(HWND host);
int32_t HOST_CALL FinishKorvuDLL(int32_t unused);
int32_t HOST_CALL WEP(int32_t unused);
}
