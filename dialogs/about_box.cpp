#include "dialogs/about_box.h"

#include "host/instance.h"
#include "resources/resource_ids.h"

INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG: {
        char version[128];
        LoadStringA(hInstDll, IDS_MODULE_VERSION, version, sizeof version);
        SetDlgItemTextA(dialog, IDC_ABOUT_VERSION, version);
        return TRUE;
    }
    case WM_COMMAND:
        // The whole word: OK's BN_CLICKED and the Enter key's IDOK both are 1.
        if (wParam == IDOK)
            EndDialog(dialog, 0);
        return TRUE;
    case WM_CLOSE:
        return TRUE;  // neither the close box nor Escape closes it
    default:
        return FALSE;
    }
}

void ShowAboutBox(HWND owner)
{
    DialogBoxParamA(hInstDll, "ABOUTVESKA", owner, AboutDlgProc, 0);
}
