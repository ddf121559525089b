// The host simulator as a program: loads Korvu_ux1.dll as the host does,
// binds it, and runs a scripted experiment on the simulated board (or, with
// --interactive, turns the host window into a bench for a person to use).

#include <windows.h>
#include <shellapi.h>
#include <stdio.h>

#include <filesystem>
#include <string>
#include <vector>

#include "sim/common/utf8.h"
#include "sim/common/paths.h"
#include "sim/program/host_options.h"
#include "sim/program/host_session.h"
#include "sim/program/interactive.h"
#include "sim/program/scripted_run.h"
#include "sim/program/watch.h"
#include "sim/workbench/bench_file.h"

namespace {

// The arguments as typed, in UTF-8: main's argv would have every path
// through the ANSI code page already.
std::vector<std::string> Arguments()
{
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i)  // after the program's name
        args.push_back(Narrow(wide[i]));
    LocalFree(wide);
    return args;
}

// The output folder, a full path: --out, else korvu_host_output beside this program.
std::string OutFolder(const HostOptions& options)
{
    return FullPath(options.outDir.empty() ? PathBesideProgram("korvu_host_output") : options.outDir);
}

// A refused command line for a run leaves its refusal where the run's report
// would have gone, and nothing of an earlier run beside it; a folder that is
// not there yet stays unmade.
void LeaveRefusal(HostOptions& options)
{
    options.outDir = OutFolder(options);
    const DWORD attributes = GetFileAttributesW(Widen(options.outDir).c_str());
    if (options.interactive || options.watch || attributes == INVALID_FILE_ATTRIBUTES ||
        !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return;
    ClearRunFiles(options);
    WriteRefusal(options, options.refusal);
}

}  // namespace

int main()
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    HostOptions options;
    switch (ParseOptions(Arguments(), &options)) {
    case ParseResult::kHelp:
        PrintUsage();
        return 0;
    case ParseResult::kRefused:
        fprintf(stderr, "korvu_host: %s\n", options.refusal.c_str());
        LeaveRefusal(options);
        return 2;
    case ParseResult::kRun:
        break;
    }
    options.outDir = OutFolder(options);
    if (!options.ini.empty())
        options.ini = FullPath(options.ini);
    for (std::string* path : {&options.driver, &options.plugin})
        if (!path->empty())
            *path = FullPath(*path);
    if (!options.benchFile.empty()) {
        options.benchFile = FullPath(options.benchFile);
        if (options.ini.empty())
            options.ini = workbench::BenchBoardFile(options.benchFile);  // the bench's boards, before the plug-in
    }  // the driver would look in the Windows folder for a bare name
    std::string error;
    if (!MakeFolder(options.outDir, &error)) {
        fprintf(stderr, "korvu_host: --out: %s\n", error.c_str());
        return 1;
    }
    options.outDirShown = AsTheUserKnowsIt(options.outDir);
    if (options.watch)
        return RunWatch(options);  // another process's host: nothing here is loaded
    if (!options.interactive)
        ClearRunFiles(options);  // nothing of an earlier run stays beside this one, refused or not

    // A run hands out and takes back hundreds of thousands of blocks: a
    // pattern checked on each block's return costs no system call, where
    // sealing each would double the time of a run of small blocks.
    sim::SetReleasedBlocks(sim::kPatternReleased);
    if (!sim::StartHost()) {
        fprintf(stderr, "korvu_host: the host window could not be created\n");
        return 1;
    }
    HostSession session;
    if (!session.LoadDriver(options, &error) || !session.LoadPlugin(options, &error)) {
        fprintf(stderr, "korvu_host: %s\n", error.c_str());
        if (!options.interactive)
            WriteRefusal(options, error);
        return 1;
    }
    int result = options.interactive ? RunInteractive(session, options) : RunScriptedExperiment(session, options);
    session.Finish();
    for (const std::string& p : sim::TakeProblems()) {
        fprintf(stderr, "host simulator: %s\n", p.c_str());
        result = 1;
    }
    return result;
}
