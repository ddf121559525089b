#include "sim/pictures/screenshot.h"

#include <filesystem>

#include "host/proc_address.h"
#include "sim/common/paths.h"
#include "sim/common/utf8.h"
#include "sim/pictures/png_writer.h"
#include "sim/host/sim_host.h"

// The window's pixels as Windows holds them, read from its window DC (its
// frame, its client area and its children; the desktop window's DC is the
// screen) and written through the same PNG writer as the timing diagram.
// Nothing outside Win32 is involved, so it works alike under Wine and on
// Windows.

namespace {

// Lets the window and its children finish painting.
void Settle(HWND window)
{
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    GdiFlush();
    // Waiting for messages is where Wine maps windows and flushes what they
    // drew; the other messages stay queued for the dialog's own loop.
    const DWORD until = GetTickCount() + 200;
    MSG msg;
    while (static_cast<int32_t>(GetTickCount() - until) < 0) {
        while (PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE))
            DispatchMessageW(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

}  // namespace

std::string SaveScreenshot(HWND window, const char* name)
{
    const std::string folder = PathBesideProgram("..\\screenshots");
    std::error_code unmade;  // then the picture is not saved, and says so
    std::filesystem::create_directories(std::filesystem::path(Widen(folder)), unmade);
    return SaveScreenshotTo(window, folder + "\\" + name + ".png");
}

std::string SaveScreenshotTo(HWND window, const std::string& path)
{
    DeleteFileW(Widen(path).c_str());
    if (!IsWindow(window))
        return std::string();
    Settle(window);
    RECT r;
    GetWindowRect(window, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    if (width <= 0 || height <= 0)
        return std::string();
    HDC source = GetWindowDC(window);
    HDC memory = CreateCompatibleDC(source);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP picture = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, picture);
    const bool copied = picture && BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY | CAPTUREBLT);
    GdiFlush();
    const bool written = copied && WritePng(path, width, height, bits);
    SelectObject(memory, old);
    DeleteObject(picture);
    DeleteDC(memory);
    ReleaseDC(window, source);
    return written ? path : std::string();
}
