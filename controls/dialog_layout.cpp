#include "controls/dialog_layout.h"

#include "host/host_services.h"

namespace {

const LONG kNormalWeight = FW_NORMAL;  // 400

HFONT dialogFont;  // null until one could be made

HFONT MakeNormalWeightFont(HWND dialog)
{
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    if (!font)
        return nullptr;
    LOGFONTA description;
    if (GetObjectA(font, sizeof description, &description) == 0)
        return nullptr;
    description.lfWeight = kNormalWeight;
    return host::CreateStackedFontIndirect(&description);
}

BOOL CALLBACK SetChildFont(HWND child, LPARAM font)
{
    static char className[100];
    GetClassNameA(child, className, sizeof className);
    if (lstrcmpiA(className, "EDIT") != 0 && lstrcmpiA(className, "LISTBOX") != 0 &&
        lstrcmpiA(className, "COMBOBOX") != 0)
        SendMessageA(child, WM_SETFONT, static_cast<WPARAM>(font), 0);
    return TRUE;
}

}  // namespace

void PlaceDialog(HWND dialog, HWND reference)
{
    RECT window;
    GetWindowRect(dialog, &window);
    const int w = window.right - window.left;
    const int h = window.bottom - window.top;

    RECT area;
    if (reference)
        GetClientRect(reference, &area);
    else
        GetWindowRect(GetDesktopWindow(), &area);
    POINT centre = {(area.right - area.left) / 2, (area.bottom - area.top) / 2};
    if (reference)
        ClientToScreen(reference, &centre);

    int x = centre.x - w / 2;
    int y = centre.y - h / 2;
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    if (x + w > screenWidth)
        x = screenWidth - w;
    if (y + h > screenHeight)
        y = screenHeight - h;
    if (x < 0)  // after the right and bottom edges: a dialog too big keeps its top left
        x = 0;
    if (y < 0)
        y = 0;
    MoveWindow(dialog, x, y, w, h, FALSE);

    if (!dialogFont)
        dialogFont = MakeNormalWeightFont(dialog);  // tried again next time if it failed
    EnumChildWindows(dialog, SetChildFont, reinterpret_cast<LPARAM>(dialogFont));
}

void ReleaseDialogFont()
{
    if (dialogFont) {
        host::DeleteStackedObject(dialogFont);
        dialogFont = nullptr;  // a second finish hands back nothing
    }
}
