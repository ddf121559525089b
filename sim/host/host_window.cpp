// The host's main window: it answers the lookup messages while the plug-in
// binds, carries the menu bar the plug-in inserts into, and owns the bitmaps
// the plug-in's controls draw.

#include "sim/host/host_state.h"

namespace sim {

namespace {

const wchar_t kHostClass[] = L"KorvuSimHost";

HWND g_hostWindow;
HMENU g_menuBar;
ModuleRecord* g_currentModulePtr;
CommandHandler g_commandHandler;
CloseQuery g_closeQuery;
HBITMAP g_channelBitmaps[4];
HBITMAP g_lessMoreBitmaps[6];

// One colour per state, so that a test can tell from the pixels which
// bitmap a control painted.
const COLORREF kChannelColours[4] = {RGB(128, 128, 128), RGB(255, 0, 0), RGB(0, 160, 0), RGB(0, 0, 255)};
const COLORREF kLessMoreColours[6] = {RGB(96, 96, 96),  RGB(255, 128, 0), RGB(255, 255, 0),
                                      RGB(64, 64, 64),  RGB(0, 128, 255), RGB(0, 255, 255)};

HBITMAP MakeBitmap(int width, int height, COLORREF colour)
{
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(dc, bitmap);
    HBRUSH brush = CreateSolidBrush(colour);
    RECT all = {0, 0, width, height};
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

HMENU MakeMenuBar()
{
    HMENU bar = CreateMenu();
    const wchar_t* titles[] = {L"ファイル(&F)", L"編集(&E)", L"表示(&V)", L"ヘルプ(&H)"};
    for (const wchar_t* title : titles) {
        HMENU popup = CreatePopupMenu();
        AppendMenuW(popup, MF_STRING, 100, L"(host)");
        AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), title);
    }
    return bar;
}

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kLookupVariable || message == kLookupFunction) {
        const char* name = reinterpret_cast<const char*>(lParam);
        std::string asked = name ? name : "";
        uintptr_t answer = PublishedAnswer(message, asked);
        State().lookups.push_back(Lookup{message, wParam, asked, answer});
        RecordCall(std::to_string(message) + " " + asked);
        return static_cast<LRESULT>(answer);
    }
    if (message == WM_COMMAND && g_commandHandler) {
        g_commandHandler(LOWORD(wParam), HIWORD(wParam));
        return 0;
    }
    if (message == WM_CLOSE && g_commandHandler) {
        if (!g_closeQuery || g_closeQuery())
            PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

void SetCommandHandler(CommandHandler handler)
{
    g_commandHandler = handler;
}

void SetCloseQuery(CloseQuery query)
{
    g_closeQuery = query;
}

HWND StartHost()
{
    if (g_hostWindow)
        return g_hostWindow;
    WNDCLASSW wc = {};
    wc.lpfnWndProc = HostWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    wc.lpszClassName = kHostClass;
    RegisterClassW(&wc);

    g_menuBar = MakeMenuBar();
    for (int i = 0; i < 4; ++i)
        g_channelBitmaps[i] = MakeBitmap(22, 30, kChannelColours[i]);
    for (int i = 0; i < 6; ++i)
        g_lessMoreBitmaps[i] = MakeBitmap(24, 32, kLessMoreColours[i]);

    g_hostWindow = CreateWindowExW(0, kHostClass, L"Korvu ホスト シミュレータ", WS_OVERLAPPEDWINDOW,
                                   100, 100, 800, 600, nullptr, g_menuBar, wc.hInstance, nullptr);
    return g_hostWindow;
}

HWND HostWindow() { return g_hostWindow; }
HMENU MainMenu() { return g_menuBar; }
ModuleRecord** CurrentModulePtrAddress() { return &g_currentModulePtr; }
ModuleRecord* CurrentModulePtr() { return g_currentModulePtr; }
void SetCurrentModulePtr(ModuleRecord* module) { g_currentModulePtr = module; }
const HBITMAP* ChannelBitmaps() { return g_channelBitmaps; }
const HBITMAP* LessMoreBitmaps() { return g_lessMoreBitmaps; }
COLORREF ChannelBitmapColour(int state) { return kChannelColours[state]; }
COLORREF LessMoreBitmapColour(int state) { return kLessMoreColours[state]; }

const std::vector<Lookup>& Lookups() { return State().lookups; }

std::vector<std::string> AskedNames(UINT message)
{
    std::vector<std::string> names;
    for (const Lookup& l : State().lookups) {
        if (l.message == message)
            names.push_back(l.name);
    }
    return names;
}

void ResetHost()
{
    ReleaseAllBlocks();
    for (const auto& entry : State().live)
        GuardedFree(entry.first);
    for (HGDIOBJ object : State().liveObjects)
        DeleteObject(object);
    State() = HostState();
    g_currentModulePtr = nullptr;
    if (g_hostWindow) {
        // A fresh menu bar: the plug-in inserts its popup at every set-up.
        HMENU old = g_menuBar;
        g_menuBar = MakeMenuBar();
        SetMenu(g_hostWindow, g_menuBar);
        DestroyMenu(old);
    }
}

}  // namespace sim
