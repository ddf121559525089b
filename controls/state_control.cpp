// What both custom controls share: class registration, the state word and
// the painting of the host's bitmap for it.

#include "controls/state_control.h"

#include "controls/controls.h"
#include "host/instance.h"

void RegisterStateControlClass(const char* name, UINT style, WNDPROC procedure)
{
    WNDCLASSA wc = {};
    wc.style = style;
    wc.lpfnWndProc = procedure;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = sizeof(WORD);
    wc.hInstance = hInstDll;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH));
    wc.lpszClassName = name;
    RegisterClassA(&wc);  // an existing class changes nothing
}

void UnregisterStateControlClass(const char* name)
{
    UnregisterClassA(name, hInstDll);
}

void RegisterControlClasses()
{
    RegisterChannelButton();
    RegisterExpandControl();
}

void UnregisterControlClasses()
{
    UnregisterStateControlClass(kChannelButtonClass);
    UnregisterStateControlClass(kExpandControlClass);
}

void SetControlState(HWND control, WORD state)
{
    SetWindowWord(control, 0, state);
    InvalidateRect(control, nullptr, FALSE);
}

namespace {

void PaintStateBitmap(HWND control, const HBITMAP* bitmaps, WORD count)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(control, &ps);
    WORD state = ControlState(control);
    // The host promises this many bitmaps; a state past them is drawn as nothing
    // rather than read from beyond the host's array.
    if (bitmaps && state < count) {
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(memory, bitmaps[state]);
        SetMapMode(memory, GetMapMode(dc));
        BITMAP header = {};
        GetObjectA(bitmaps[0], sizeof header, &header);
        POINT size = {header.bmWidth, header.bmHeight};
        DPtoLP(dc, &size, 1);
        BitBlt(dc, 0, 0, size.x, size.y, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteDC(memory);
    }
    EndPaint(control, &ps);
}

}  // namespace

bool HandleStateControlMessage(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                               const StateControlLook& look)
{
    switch (message) {
    case WM_CREATE: {
        const CREATESTRUCTA* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        MoveWindow(control, cs->x, cs->y, look.width, look.height, TRUE);
        return true;
    }
    case WM_PAINT:
        PaintStateBitmap(control, look.bitmaps, look.count);
        return true;
    case CTL_SETSTATE:
        SetControlState(control, LOWORD(wParam));
        return true;
    default:
        return false;
    }
}
