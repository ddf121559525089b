// Small modal dialogs of the bench, laid out in code: a dialog template
// built in memory, in dialog units.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "sim/common/numbers.h"

namespace workbench {

struct FormItem {
    const wchar_t* windowClass;  // L"STATIC", L"EDIT", L"COMBOBOX", L"BUTTON"
    std::wstring text;
    int id;
    DWORD style;
    short x, y, cx, cy;
};

// Runs the dialog modally with `proc` as its procedure, `param` its
// WM_INITDIALOG argument; the result of EndDialog.
INT_PTR RunForm(HWND owner, const wchar_t* title, short cx, short cy, const std::vector<FormItem>& items,
                DLGPROC proc, LPARAM param);

std::wstring ItemText(HWND dialog, int id);

// The item's text as a number in the range, read as the bench's files and
// the host program's options are; else false and *problem says why.
bool ItemWhole(HWND dialog, int id, const sim::WholeRange& range, int* value, std::string* problem);
bool ItemReal(HWND dialog, int id, const sim::RealRange& range, double* value, std::string* problem);

}  // namespace workbench
