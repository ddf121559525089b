// The about box ABOUTVESKA: the module version, closed by OK (or Enter) only.
#pragma once

#include <windows.h>

// Modal, owned by the given window.
void ShowAboutBox(HWND owner);
INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
