// A modal dialog's state, kept with its window (DWLP_USER) from WM_INITDIALOG
// on. A host may open a second dialog while one is open (a warning box or a
// service that pumps messages can deliver a 103 for another module), and
// each keeps its own. The state lives in the frame of the call that runs the
// dialog; the creation parameter stays 0, as the host interface has it.
#pragma once

#include <windows.h>

// Runs the dialog from the plug-in's template modally; its procedure takes
// `state` with AttachDialogState in WM_INITDIALOG.
INT_PTR RunDialogWithState(const char* templateName, HWND owner, DLGPROC procedure, void* state);

// In WM_INITDIALOG: the state of the dialog opening now, from here on kept
// with its window. Null for a dialog opened some other way.
void* AttachDialogState(HWND dialog);

// The dialog's state; null before WM_INITDIALOG.
void* DialogStateOf(HWND dialog);
