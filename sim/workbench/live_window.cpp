#include "sim/workbench/live_window.h"

#include "sim/host/sim_host.h"

namespace workbench {

namespace {

const UINT kRepaintMs = 50;

LRESULT CALLBACK LiveWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE)
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    const LiveWindow* w = reinterpret_cast<const LiveWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        w->paint(window, dc);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
        w->paint(window, reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return 1;  // the paint covers it all
    case WM_TIMER:
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_LBUTTONDOWN:
        if (w->click) {
            w->click({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
            InvalidateRect(window, nullptr, FALSE);
        }
        return 0;
    case WM_CLOSE:
        ShowWindow(window, SW_HIDE);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

HWND ShowLiveWindow(LiveWindow& w, const RECT& frame)
{
    if (!w.window) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = LiveWindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursor(nullptr, w.click ? IDC_HAND : IDC_ARROW);
        wc.lpszClassName = w.className;
        RegisterClassW(&wc);  // fails harmlessly when it is there from an earlier window
        w.window = CreateWindowExW(WS_EX_TOOLWINDOW, w.className, w.title, WS_OVERLAPPEDWINDOW, frame.left, frame.top,
                                   frame.right - frame.left, frame.bottom - frame.top, sim::HostWindow(), nullptr,
                                   wc.hInstance, &w);
        SetTimer(w.window, 1, kRepaintMs, nullptr);
    }
    ShowWindow(w.window, SW_SHOWNOACTIVATE);
    InvalidateRect(w.window, nullptr, FALSE);
    return w.window;
}

void DestroyLiveWindow(LiveWindow& w)
{
    if (w.window)
        DestroyWindow(w.window);
    w.window = nullptr;
}

}  // namespace workbench
