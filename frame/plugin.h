// The plug-in's own start and end.
#pragma once

#include <stdint.h>
#include <windows.h>

#include "frame/binding.h"
#include "frame/host_call.h"

// The plug-in library's instance handle: resources and window classes.
extern HINSTANCE hInstDll;

// After binding: board table, menu, module classes. 0 when the board
// driver cannot be bound; nothing after the board table happens then.
int32_t SetupPlugin();
// Closes the boards, frees the driver and deletes the board lock.
void FinishPlugin();

// The popup "OVRIN(&O)" in the host's menu bar, and the set-up entry 4990.
void InsertPluginMenu();
int32_t HOST_CALL OnSetupMenuEntry();

// The about box, modal, owned by the given window.
void ShowAboutBox(HWND owner);
INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

extern "C" {
int32_t HOST_CALL SetupKorvuDLL(HWND host);
int32_t HOST_CALL FinishKorvuDLL(int32_t unused);
int32_t HOST_CALL WEP(int32_t unused);
}
