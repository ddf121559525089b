#include "sim/program/interactive.h"

#include <stdio.h>

#include "sim/common/paths.h"
#include "sim/workbench/bench_file.h"
#include "sim/workbench/bench_window.h"

int RunInteractive(HostSession& session, const HostOptions& options)
{
    if (session.setupResult != 1) {
        fprintf(stderr, "SetupKorvuDLL returned %d: the plug-in is not there to place\n", session.setupResult);
        return 1;
    }
    workbench::Bench bench;
    bench.driver = &session.driver;
    bench.plugin = session.plugin.dll;
    bench.ini = session.boardFile;
    bench.msPerSample = options.msPerSample;
    bench.blockSize = options.blockSize;
    if (!options.benchFile.empty()) {
        std::string problems;
        if (!workbench::OpenBench(bench, options.benchFile, &problems)) {
            const std::string shown = UnixPath(options.benchFile);
            for (size_t at = problems.find(options.benchFile); !shown.empty() && at != std::string::npos;
                 at = problems.find(options.benchFile, at + shown.size()))
                problems.replace(at, options.benchFile.size(), shown);
            fprintf(stderr, "%sthe bench was not opened\n", problems.c_str());
            workbench::RemoveAllModules(bench);
            return 1;
        }
    }
    workbench::OpenBenchWindow(bench, true);
    ShowWindow(sim::HostWindow(), SW_SHOW);
    printf("The bench is open: place modules from the OVRIN(&O) menu, run them from the Bench menu,\n"
           "watch the board in its panel; close the window to finish.\n");
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    workbench::RemoveAllModules(bench);
    workbench::CloseBenchWindow();
    return 0;
}
