#include "sim/workbench/bench_window.h"

#include <stdio.h>

#include <string>

#include "sim/host/host_behaviour.h"
#include "sim/workbench/bench_dialogs.h"
#include "sim/workbench/bench_document.h"
#include "sim/workbench/bench_file.h"
#include "sim/workbench/board_panel.h"
#include "sim/workbench/live_view.h"

namespace workbench {

namespace {

const UINT_PTR kPaceTimer = 0x6B;
const uint32_t kMostMsPerPace = 10000;  // after a long stall the run catches up at most this far

Bench* g_bench;
HWND g_list;
HMENU g_menu;
bool g_paced;
bool g_busy;        // showing warnings: the timer waits
DWORD g_lastWall;
DWORD(WINAPI* g_wallClock)() = GetTickCount;

void Say(const wchar_t* text)
{
    MessageBoxW(sim::HostWindow(), text, L"Bench", MB_OK | MB_ICONINFORMATION);
}

BenchModule* Selected()
{
    const LRESULT row = SendMessageW(g_list, LB_GETCURSEL, 0, 0);
    if (row < 0 || static_cast<size_t>(row) >= g_bench->modules.size())
        return nullptr;
    return g_bench->modules[row].get();
}

void ShowWarnings()
{
    if (g_busy)
        return;
    g_busy = true;
    for (const WarningGroup& w : TakeWarnings(*g_bench)) {
        std::string text = w.text;
        if (w.count > 1)
            text += "\n\n(" + std::to_string(w.count) + " times)";
        MessageBoxA(sim::HostWindow(), text.c_str(), w.caption.c_str(), MB_OK | MB_ICONWARNING);
    }
    g_busy = false;
}

void ShowModules()
{
    const LRESULT selected = SendMessageW(g_list, LB_GETCURSEL, 0, 0);
    SendMessageW(g_list, LB_RESETCONTENT, 0, 0);
    for (const auto& m : g_bench->modules) {
        char row[128];
        snprintf(row, sizeof row, "%-9s  \"%.13s\"  slot %u  port %u  %u channels", KindOf(m->kind).className,
                 m->module.record->szModuleName, Slot(*m), Port(*m), Channels(*m));
        SendMessageA(g_list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row));
    }
    SendMessageW(g_list, LB_SETCURSEL, selected, 0);
}

void ShowRunState()
{
    wchar_t title[256];
    const double seconds = g_bench->experiment.t / 1000.0;
    // The experiment's time runs on in a pause: the input module paces its
    // blocks by the run's start ticks, as the host's own clock does.
    if (g_bench->running && g_bench->paused)
        swprintf(title, 256, L"Korvu ホスト シミュレータ — bench: paused; experiment time %.1f s", seconds);
    else if (g_bench->running)
        swprintf(title, 256, L"Korvu ホスト シミュレータ — bench: running, experiment time %.1f s", seconds);
    else if (g_bench->stoppedByPlugin)
        swprintf(title, 256, L"Korvu ホスト シミュレータ — bench: stopped by the plug-in at %.1f s", seconds);
    else
        swprintf(title, 256, L"Korvu ホスト シミュレータ — bench: stopped");
    const std::string behaviours = sim::HostBehaviours();
    if (behaviours != "none")  // a host less polite than the simulated one
        swprintf(title + wcslen(title), 256 - wcslen(title), L" — host: %hs", behaviours.c_str());
    SetWindowTextW(sim::HostWindow(), (title + BenchFileTitle(*g_bench)).c_str());
    ModifyMenuW(g_menu, kCmdPause, MF_BYCOMMAND | MF_STRING, kCmdPause,
                g_bench->paused ? L"&Resume" : L"&Pause");
    EnableMenuItem(g_menu, kCmdStart, g_bench->running ? MF_GRAYED : MF_ENABLED);
    EnableMenuItem(g_menu, kCmdPause, g_bench->running ? MF_ENABLED : MF_GRAYED);
    EnableMenuItem(g_menu, kCmdStop, g_bench->running ? MF_ENABLED : MF_GRAYED);
    EnableMenuItem(g_menu, kCmdRunSettings, g_bench->running ? MF_GRAYED : MF_ENABLED);
    EnableMenuItem(g_menu, kCmdSignals, g_bench->running ? MF_GRAYED : MF_ENABLED);
    EnableMenuItem(g_menu, kCmdRemoveModule, g_bench->running ? MF_GRAYED : MF_ENABLED);
}

void RunCommand(UINT command)
{
    Bench& b = *g_bench;
    BenchModule* m = Selected();
    if (RunFileCommand(b, command)) {
        ShowBenchState();
        return;
    }
    ModuleKindId placed;
    if (KindCommanded(command, &placed)) {  // the plug-in's menu
        if (b.running)
            Say(L"Stop the run before placing a module: it would take no part in it.");
        else
            PlaceModule(b, placed);
        ShowBenchState();
        return;
    }
    switch (command) {
    case kCmdStart:
        if (b.modules.empty())
            Say(L"Place a module first, from the OVRIN menu.");
        else if (StartRun(b))
            g_lastWall = g_wallClock();
        break;
    case kCmdPause:
        PauseRun(b, !b.paused);
        break;
    case kCmdStop: StopRun(b); break;
    case kCmdRunSettings: EditRunSettings(sim::HostWindow(), b); break;
    case kCmdSignals:
        if (b.running)
            Say(L"Stop the run before changing the signals.");
        else if (m && IsFed(*m))
            EditSignals(sim::HostWindow(), *m);
        else
            Say(L"Select a Tovel OUT module in the list first.");
        break;
    case kCmdOpenModule:
        if (m)
            OpenModule(b, *m);
        break;
    case kCmdRemoveModule:
        if (m && !RemoveModule(b, static_cast<size_t>(SendMessageW(g_list, LB_GETCURSEL, 0, 0))))
            Say(L"Stop the run before removing a module.");
        break;
    case kCmdBoardPanel: OpenBoardPanel(b); break;
    case kCmdLiveView: OpenLiveView(b); break;
    default: return;
    }
    ShowBenchState();
}

void OnCommand(UINT id, UINT code)
{
    if (id == kIdModuleList) {
        if (code == LBN_DBLCLK)
            RunCommand(kCmdOpenModule);
        return;
    }
    RunCommand(id);
}

void CALLBACK Pace(HWND, UINT, UINT_PTR, DWORD)
{
    if (g_busy)
        return;
    const DWORD now = g_wallClock();
    const uint32_t elapsed = now - g_lastWall;
    g_lastWall = now;
    if (!g_bench->running)
        return;
    Advance(*g_bench, elapsed < kMostMsPerPace ? elapsed : kMostMsPerPace);
    ShowRunState();  // stopped, if the plug-in stopped it, before its warnings show
    ShowWarnings();
}

bool MayClose()
{
    return MayDiscard(*g_bench, L"closing");
}

HMENU MakeBenchMenu()
{
    HMENU menu = CreatePopupMenu();
    const struct {
        UINT id;
        const wchar_t* text;
    } items[] = {
        {kCmdStart, L"&Start"}, {kCmdPause, L"&Pause"}, {kCmdStop, L"S&top"}, {0, nullptr},
        {kCmdRunSettings, L"Run settings..."}, {kCmdSignals, L"Si&gnals of the selected OUT module..."},
        {kCmdOpenModule, L"&Open the selected module..."}, {kCmdRemoveModule, L"&Remove the selected module"},
        {0, nullptr}, {kCmdBoardPanel, L"&Board panel"}, {kCmdLiveView, L"&Live view"},
    };
    for (const auto& item : items)
        AppendMenuW(menu, item.text ? MF_STRING : MF_SEPARATOR, item.id, item.text);
    return menu;
}

}  // namespace

void OpenBenchWindow(Bench& bench, bool paced)
{
    g_bench = &bench;
    g_paced = paced;
    sim::SetWarningsModal(false);  // the bench shows them, grouped
    sim::SetRecordCalls(false);    // a session may run for hours: nothing is kept per call
    sim::SetCaptureOutputBlocks(false);  // or per block; the live view keeps its last seconds
    if (bench.path.empty())
        bench.savedText = BenchText(bench);  // what there is to lose starts here
    g_menu = MakeBenchMenu();
    AppendMenuW(sim::MainMenu(), MF_POPUP, reinterpret_cast<UINT_PTR>(g_menu), L"Bench(&B)");
    AddFileCommands(GetSubMenu(sim::MainMenu(), 0));
    DrawMenuBar(sim::HostWindow());
    RECT client;
    GetClientRect(sim::HostWindow(), &client);
    g_list = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY,
                             8, 8, client.right - 16, client.bottom - 16, sim::HostWindow(),
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdModuleList)), GetModuleHandleW(nullptr),
                             nullptr);
    SendMessageW(g_list, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(ANSI_FIXED_FONT)), 0);
    sim::SetCommandHandler(OnCommand);
    sim::SetCloseQuery(MayClose);
    if (paced) {
        g_lastWall = g_wallClock();
        SetTimer(sim::HostWindow(), kPaceTimer, 10, Pace);
    }
    ShowBenchState();
}

void SetWallClock(DWORD(WINAPI* now)())
{
    g_wallClock = now ? now : GetTickCount;
}

void CloseBenchWindow()
{
    if (g_paced)
        KillTimer(sim::HostWindow(), kPaceTimer);
    CloseBoardPanel();
    CloseLiveView();
    sim::SetCommandHandler(nullptr);
    sim::SetCloseQuery(nullptr);
    RemoveFileCommands(GetSubMenu(sim::MainMenu(), 0));
    DestroyWindow(g_list);
    g_list = nullptr;
    HMENU bar = sim::MainMenu();
    for (int i = GetMenuItemCount(bar) - 1; i >= 0; --i) {
        if (GetSubMenu(bar, i) == g_menu)
            RemoveMenu(bar, i, MF_BYPOSITION);
    }
    DestroyMenu(g_menu);
    g_menu = nullptr;
    DrawMenuBar(sim::HostWindow());
}

// The run's state first: while the plug-in's warnings are open, the title
// already says the run stopped.
void ShowBenchState()
{
    ShowRunState();
    ShowModules();
    ShowWarnings();
}

}  // namespace workbench
