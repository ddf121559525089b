#include "tests/kit/dialog_template.h"

#include <gtest/gtest.h>

namespace {

struct Reader {
    const BYTE* p;

    WORD Word()
    {
        WORD w;
        memcpy(&w, p, 2);
        p += 2;
        return w;
    }
    DWORD Dword()
    {
        DWORD d;
        memcpy(&d, p, 4);
        p += 4;
        return d;
    }
    std::wstring String()
    {
        std::wstring s;
        for (WORD c = Word(); c; c = Word())
            s += static_cast<wchar_t>(c);
        return s;
    }
    // A name or an ordinal; ordinals of the predefined classes become names.
    std::wstring NameOrOrdinal()
    {
        WORD first;
        memcpy(&first, p, 2);
        if (first == 0xFFFF) {
            p += 2;
            switch (WORD atom = Word()) {
            case 0x80: return L"BUTTON";
            case 0x81: return L"EDIT";
            case 0x82: return L"STATIC";
            case 0x83: return L"LISTBOX";
            case 0x84: return L"SCROLLBAR";
            case 0x85: return L"COMBOBOX";
            default: return L"#" + std::to_wstring(atom);
            }
        }
        return String();
    }
    void AlignDword(const BYTE* base)
    {
        while ((p - base) % 4)
            ++p;
    }
};

}  // namespace

DialogTemplateInfo ReadDialogTemplate(HMODULE module, const char* name)
{
    DialogTemplateInfo info;
    const LANGID japanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
    HRSRC found = FindResourceExA(module, reinterpret_cast<LPCSTR>(RT_DIALOG), name, japanese);
    if (!found)
        return info;
    const BYTE* base = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    if (!base)
        return info;
    info.found = true;
    info.language = japanese;
    Reader r{base};
    info.style = r.Dword();
    r.Dword();  // extended style
    WORD count = r.Word();
    info.x = r.Word();
    info.y = r.Word();
    info.cx = r.Word();
    info.cy = r.Word();
    r.NameOrOrdinal();  // menu
    r.NameOrOrdinal();  // class
    info.caption = r.String();
    if (info.style & DS_SETFONT) {
        info.pointSize = r.Word();
        info.fontName = r.String();
    }
    for (WORD i = 0; i < count; ++i) {
        r.AlignDword(base);
        TemplateItem item;
        item.style = r.Dword();
        item.exStyle = r.Dword();
        item.x = r.Word();
        item.y = r.Word();
        item.cx = r.Word();
        item.cy = r.Word();
        WORD id = r.Word();
        item.id = id == 0xFFFF ? -1 : id;
        item.className = r.NameOrOrdinal();
        item.text = r.NameOrOrdinal();
        WORD extra = r.Word();
        r.p += extra;
        info.items.push_back(item);
    }
    return info;
}

void ExpectShownAsItsTemplate(HWND dialog, HMODULE module, const char* name)
{
    const DialogTemplateInfo t = ReadDialogTemplate(module, name);
    ASSERT_TRUE(t.found) << name << " in language 1041";
    wchar_t caption[256] = L"";
    GetWindowTextW(dialog, caption, 256);
    EXPECT_EQ(t.caption, caption);
    std::vector<HWND> shown;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        shown.push_back(c);
    ASSERT_EQ(t.items.size(), shown.size()) << name;
    for (size_t i = 0; i < shown.size(); ++i) {
        const TemplateItem& e = t.items[i];
        HWND c = shown[i];
        SCOPED_TRACE(testing::Message() << name << " control " << i << " id " << e.id);
        EXPECT_EQ(e.id == -1 ? 0xFFFF : e.id, GetDlgCtrlID(c));
        wchar_t cls[64] = L"";
        GetClassNameW(c, cls, 64);
        EXPECT_EQ(0, _wcsicmp(e.className.c_str(), cls)) << "class " << cls;
        const bool pushButton = !_wcsicmp(cls, L"Button") && (e.style & BS_TYPEMASK) <= BS_DEFPUSHBUTTON;
        const bool combo = !_wcsicmp(cls, L"ComboBox");
        const bool ownClass = e.className.find(L':') != std::wstring::npos;
        RECT designed = {e.x, e.y, e.cx, e.cy}, placed;  // the corner and the size mapped each, as created
        MapDialogRect(dialog, &designed);
        designed.right += designed.left;
        designed.bottom += designed.top;
        GetWindowRect(c, &placed);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&placed), 2);
        if (ownClass)  // the plug-in's controls take the size of their pictures
            placed.right = designed.right, placed.bottom = designed.bottom;
        if (combo)  // a drop-down list's window is its closed box
            placed.bottom = designed.bottom;
        EXPECT_EQ(std::vector<LONG>({designed.left, designed.top, designed.right, designed.bottom}),
                  std::vector<LONG>({placed.left, placed.top, placed.right, placed.bottom}));

        const DWORD style = static_cast<DWORD>(GetWindowLongW(c, GWL_STYLE));
        const DWORD exStyle = static_cast<DWORD>(GetWindowLongW(c, GWL_EXSTYLE));
        if (e.style & WS_BORDER) {  // a sunken edge instead, on the dialog manager's account
            EXPECT_TRUE((style & WS_BORDER) || (exStyle & WS_EX_CLIENTEDGE));
        }
        const DWORD theDialogs = WS_VISIBLE | WS_DISABLED | WS_BORDER | (pushButton ? BS_DEFPUSHBUTTON : 0) |
                                 (combo ? WS_VSCROLL : 0);
        EXPECT_EQ(e.style & ~theDialogs, style & ~theDialogs)
            << std::hex << "template 0x" << e.style << ", shown 0x" << style;
        if (e.id == -1) {
            wchar_t text[256] = L"";
            GetWindowTextW(c, text, 256);
            EXPECT_EQ(e.text, text);
        }
    }
}
