#include "sim/workbench/form.h"

#include "sim/common/utf8.h"

namespace workbench {

namespace {

void Put(std::vector<WORD>& t, const void* data, size_t bytes)
{
    const WORD* words = static_cast<const WORD*>(data);
    t.insert(t.end(), words, words + bytes / 2);
}

void PutText(std::vector<WORD>& t, const std::wstring& text)
{
    t.insert(t.end(), text.begin(), text.end());
    t.push_back(0);
}

void Align(std::vector<WORD>& t)
{
    if (t.size() % 2)
        t.push_back(0);  // items start on a DWORD
}

}  // namespace

INT_PTR RunForm(HWND owner, const wchar_t* title, short cx, short cy, const std::vector<FormItem>& items,
                DLGPROC proc, LPARAM param)
{
    std::vector<WORD> t;
    DLGTEMPLATE head = {DS_MODALFRAME | DS_CENTER | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU, 0,
                        static_cast<WORD>(items.size()), 0, 0, cx, cy};
    Put(t, &head, sizeof head);
    t.push_back(0);  // no menu
    t.push_back(0);  // the standard class
    PutText(t, title);
    t.push_back(9);
    PutText(t, L"MS Shell Dlg");
    for (const FormItem& item : items) {
        Align(t);
        DLGITEMTEMPLATE it = {item.style | WS_CHILD | WS_VISIBLE, 0, item.x, item.y, item.cx, item.cy,
                              static_cast<WORD>(item.id)};
        Put(t, &it, sizeof it);
        PutText(t, item.windowClass);
        PutText(t, item.text);
        t.push_back(0);  // no creation data
    }
    return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<DLGTEMPLATE*>(t.data()), owner, proc,
                                   param);
}

std::wstring ItemText(HWND dialog, int id)
{
    wchar_t text[256] = L"";
    GetDlgItemTextW(dialog, id, text, 256);
    return text;
}

bool ItemWhole(HWND dialog, int id, const sim::WholeRange& range, int* value, std::string* problem)
{
    return sim::ReadWhole(Narrow(ItemText(dialog, id)), range, value, problem);
}

bool ItemReal(HWND dialog, int id, const sim::RealRange& range, double* value, std::string* problem)
{
    return sim::ReadReal(Narrow(ItemText(dialog, id)), range, value, problem);
}

}  // namespace workbench
