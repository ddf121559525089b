// Placing a dialog over a reference window and giving its children the
// plug-in's one normal-weight dialog font.
#pragma once

#include <windows.h>

// The font made by the first settings dialog and kept until finish; null
// until one could be made.
extern HFONT dialogFont;

// Centres the dialog over the reference's client area (over the desktop
// without one), keeps it on the primary screen, and sends dialogFont to every
// child but edits, list boxes and combo boxes.
void PlaceDialog(HWND dialog, HWND reference);
HFONT MakeNormalWeightFont(HWND dialog);
BOOL CALLBACK SetChildFont(HWND child, LPARAM font);

// Hands the font back to the host (finish).
void ReleaseDialogFont();
