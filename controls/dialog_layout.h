// Placing a dialog over a reference window and giving its children the
// plug-in's one normal-weight dialog font.
#pragma once

#include <windows.h>

// Centres the dialog over the reference's client area (over the desktop
// without one), keeps it on the primary screen, and gives every child but
// edits, list boxes and combo boxes the plug-in's dialog font: the dialog's
// own at normal weight, made by the first dialog placed and kept until finish.
void PlaceDialog(HWND dialog, HWND reference);

// Hands the font back to the host (finish).
void ReleaseDialogFont();
