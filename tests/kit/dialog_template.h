// A dialog template read back from a module's resources, to hold the laid
// out dialog against its design control by control.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct TemplateItem {
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;
    int id;                   // -1 for 0xFFFF
    std::wstring className;   // "BUTTON", "EDIT", "STATIC", "LISTBOX", "COMBOBOX" or the name given
    std::wstring text;
};

struct DialogTemplateInfo {
    bool found = false;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::wstring caption;
    WORD pointSize = 0;
    std::wstring fontName;
    LANGID language = 0;
    std::vector<TemplateItem> items;
};

// Reads the classic (not extended) DIALOG template of that name, in language 1041.
DialogTemplateInfo ReadDialogTemplate(HMODULE module, const char* name);

// The dialog as the plug-in shows it holds its template's controls, in the
// template's order: each with its id, class, place (dialog units mapped with
// the dialog's font) and style, a label with its text. Which controls are
// visible or enabled is the dialog's to change, the default button moves
// with the focus, and a border may become a sunken edge.
void ExpectShownAsItsTemplate(HWND dialog, HMODULE module, const char* name);
