// A bench window that shows the simulator's state as it is: it repaints 20
// times a second, paints for WM_PRINTCLIENT too (the tests read its pixels
// that way), and hides when closed, to be shown again as it was.
#pragma once

#include <windows.h>

namespace workbench {

struct LiveWindow {
    const wchar_t* className;
    const wchar_t* title;
    void (*paint)(HWND window, HDC dc);
    void (*click)(POINT at);      // a left click in the client area; may be null
    HWND window = nullptr;
};

// Makes the window on first use, at `frame` (screen coordinates of the whole
// window), and shows it without taking the focus.
HWND ShowLiveWindow(LiveWindow& w, const RECT& frame);
void DestroyLiveWindow(LiveWindow& w);

}  // namespace workbench
