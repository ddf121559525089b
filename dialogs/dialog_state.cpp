#include "dialogs/dialog_state.h"

#include "host/instance.h"

namespace {

// Handed from RunDialogWithState to the WM_INITDIALOG that DialogBoxParam
// sends before it returns or anything else can open a dialog.
void* g_opening;

}  // namespace

INT_PTR RunDialogWithState(const char* templateName, HWND owner, DLGPROC procedure, void* state)
{
    g_opening = state;
    const INT_PTR result = DialogBoxParamA(hInstDll, templateName, owner, procedure, 0);
    g_opening = nullptr;  // a dialog that never opened took nothing
    return result;
}

void* AttachDialogState(HWND dialog)
{
    void* state = g_opening;
    g_opening = nullptr;
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
    return state;
}

void* DialogStateOf(HWND dialog)
{
    return reinterpret_cast<void*>(GetWindowLongPtrA(dialog, DWLP_USER));
}
