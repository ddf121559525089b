#include "tests/kit/dialog_template.h"

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
