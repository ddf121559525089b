// The host window as a bench: a "Bench" menu for the run, the modules, the
// board panel and the live view, the bench's file in the host's File menu,
// and the list of placed modules in the window. Warnings appear as the host shows them, a message
// box with the plug-in's caption and text; identical warnings that came
// together are one box with their count.
#pragma once

#include <windows.h>

#include "sim/workbench/bench.h"

namespace workbench {

enum BenchCommand {
    kCmdStart = 6001,
    kCmdPause,             // and resume
    kCmdStop,
    kCmdRunSettings,
    kCmdSignals,           // of the selected "Tovel OUT" module
    kCmdOpenModule,        // the selected module's settings (103)
    kCmdRemoveModule,      // the selected module (102)
    kCmdBoardPanel,
    kCmdLiveView,
    kCmdNew,               // the File menu's, from here on
    kCmdOpen,
    kCmdSave,
    kCmdSaveAs,
    kCmdExit,
};
constexpr int kIdModuleList = 6100;

// With `paced`, a timer makes the host's calls on the wall clock; without,
// whoever drives the bench calls Advance (tests, on their own clock).
void OpenBenchWindow(Bench& bench, bool paced);
// The wall clock the timer reads, GetTickCount unless a test gives its own.
void SetWallClock(DWORD(WINAPI* now)());
void CloseBenchWindow();
// What the window shows after a change made from outside: warnings, the
// module list, the run state in the title.
void ShowBenchState();

}  // namespace workbench
