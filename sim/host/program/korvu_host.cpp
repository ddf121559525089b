// The host simulator as a program: loads Korvu_ux1.dll as the host does,
// binds it, and runs a scripted experiment on the simulated board (or, with
// --interactive, turns the host window into a bench for a person to use).

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <filesystem>
#include <vector>

#include "sim/host/program/host_session.h"
#include "sim/host/program/interactive.h"
#include "sim/engine/experiment.h"
#include "sim/host/program/scripted_run.h"
#include "sim/workbench/bench_file.h"
#include <shellapi.h>

#include "sim/common/utf8.h"
#include "sim/harness/screenshot.h"
#include "sim/host/host_behaviour.h"

namespace {

void Usage()
{
    printf("korvu_host [options]\n"
           "  --blocks N            input blocks per channel, 1 to 1000000 (default 200)\n"
           "  --block-size N        samples per block, 1 to 65535 (default 10)\n"
           "  --ms X                milliseconds per sample, above 0, at most 1e9 (default 80, the least for\n"
           "                        eight channels); blocks x block size at most 4294967295\n"
           "  --slot N              the board the modules are placed on, 0 to 15 (default 0)\n"
           "  --port N              OUT on output port N, IN on input port N, 0 or 1 (default 0)\n"
           "  --channels N          channels of each module, 1 to 8 (default 8)\n"
           "  --ini FILE            the simulated boards and wiring (see drivers\\tovel.ini.example)\n"
           "  --fail-after-writes N pull the board after N port writes, N from 1 on\n"
           "  --diagram-from N      the timing diagram starts at block N (default 0)\n"
           "  --diagram-blocks N    and shows N blocks, 1 to 10000 (default 24)\n"
           "  --trace-limit N       transfers written to transfers.csv, 1 to 16777216 (default 1048576);\n"
           "                        a run that makes more ends the file with a line that says so\n"
           "  --out DIR             where the report and pictures go, made with its parents\n"
           "                        (default: korvu_host_output beside this program)\n"
           "  --interactive         the host window as a bench: place modules, run them by hand,\n"
           "                        watch the board (the Bench menu)\n"
           "  --bench FILE          open the bench saved in FILE (implies --interactive)\n"
           "  --host-behaviour LIST a host less polite than the simulated one: names from the list\n"
           "                        below, separated by commas (at most one fpu-...)\n"
           "  --help                this text\n"
           "The boards come from --ini, else from the file TOVEL_SIM_INI names, else from\n"
           "tovel.ini beside this program, else one board at slot 0 whose output ports are\n"
           "wired to its input ports; the report names the file it used.\n"
           "Host behaviours:\n");
    for (const sim::NamedBehaviour& b : sim::HostBehaviourNames())
        printf("  %-20s %s\n", b.name, b.what);
}

enum ParseResult { kRun, kHelp, kRefused };

// The whole text as a number in [low, high]: "12abc", "" and "-3" are refused.
bool WholeNumber(const char* text, long low, long high, int* value)
{
    char* end = nullptr;
    errno = 0;
    const long v = strtol(text, &end, 10);
    if (!*text || *end || errno == ERANGE || v < low || v > high)
        return false;
    *value = static_cast<int>(v);
    return true;
}

bool PositiveNumber(const char* text, double* value)
{
    char* end = nullptr;
    const double v = strtod(text, &end);
    if (!*text || *end || !(v > 0) || v > engine::kMostMsPerSample)
        return false;
    *value = v;
    return true;
}

ParseResult Refuse(const char* option, const char* value, const char* wanted)
{
    printf("korvu_host: %s '%s': %s\n", option, value, wanted);
    return kRefused;
}

// Samples per channel a run may take: the input module counts them in 32
// bits. Nothing is kept per sample, so memory does not limit a run.
const long long kMostSamples = 4294967295LL;

// The options that take a whole number, and its range.
struct WholeNumberOption {
    const char* name;
    long low, high;
    int HostOptions::*field;
};
const WholeNumberOption kWholeNumberOptions[] = {
    {"--blocks", 1, 1000000, &HostOptions::blocks},
    {"--block-size", 1, 65535, &HostOptions::blockSize},
    {"--slot", 0, 15, &HostOptions::slot},
    {"--port", 0, 1, &HostOptions::port},
    {"--channels", 1, 8, &HostOptions::channels},
    {"--fail-after-writes", 1, 2147483647, &HostOptions::failAfterWrites},
    {"--diagram-from", 0, 999999, &HostOptions::diagramFirstBlock},
    {"--diagram-blocks", 1, 10000, &HostOptions::diagramBlocks},
    {"--trace-limit", 1, 16777216, &HostOptions::traceLimit},
};

// One option with its value; i moves past what it used.
ParseResult ParseOption(const std::vector<std::string>& args, size_t& i, HostOptions* o)
{
    const std::string& a = args[i];
    const WholeNumberOption* whole = nullptr;
    for (const WholeNumberOption& w : kWholeNumberOptions)
        whole = a == w.name ? &w : whole;
    const bool path = a == "--ini" || a == "--out" || a == "--bench";
    if (!whole && !path && a != "--ms" && a != "--host-behaviour") {
        printf("korvu_host: unknown option '%s' (--help lists them)\n", a.c_str());
        return kRefused;
    }
    if (i + 1 >= args.size()) {
        printf("korvu_host: %s needs a value\n", a.c_str());
        return kRefused;
    }
    const char* v = args[++i].c_str();
    if (whole && !WholeNumber(v, whole->low, whole->high, &(o->*whole->field))) {
        char wanted[80];
        if (whole->high == 2147483647)
            snprintf(wanted, sizeof wanted, "not a whole number from %ld on", whole->low);
        else
            snprintf(wanted, sizeof wanted, "not a whole number from %ld to %ld", whole->low, whole->high);
        return Refuse(whole->name, v, wanted);
    }
    if (a == "--ms" && !PositiveNumber(v, &o->msPerSample))
        return Refuse("--ms", v, "not a number of milliseconds above 0, at most 1e9");
    if (path && !*v)
        return Refuse(a.c_str(), v, "an empty path names nothing");
    if (a == "--ini")
        o->ini = v;
    if (a == "--out")
        o->outDir = v;
    if (a == "--bench") {
        o->benchFile = v;
        o->interactive = true;
    }
    std::string error;
    if (a == "--host-behaviour" && !sim::SetHostBehaviours(v, &error)) {
        printf("korvu_host: --host-behaviour %s (--help lists them)\n", error.c_str());
        return kRefused;
    }
    return kRun;
}

ParseResult ParseOptions(const std::vector<std::string>& args, HostOptions* o)
{
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--help")
            return kHelp;
        if (args[i] == "--interactive") {
            o->interactive = true;
            continue;
        }
        if (ParseOption(args, i, o) == kRefused)
            return kRefused;
    }
    if (static_cast<long long>(o->blocks) * o->blockSize > kMostSamples) {
        char value[48];
        snprintf(value, sizeof value, "%d x %d", o->blocks, o->blockSize);
        return Refuse("--blocks x --block-size", value,
                      "more than 4294967295 samples per channel, which the input module counts in 32 bits");
    }
    if (o->diagramFirstBlock >= o->blocks) {
        char value[16], wanted[64];
        snprintf(value, sizeof value, "%d", o->diagramFirstBlock);
        snprintf(wanted, sizeof wanted, "past the run's last block (%d)", o->blocks - 1);
        return Refuse("--diagram-from", value, wanted);
    }
    return kRun;
}

// The command line as typed, in UTF-8: main's argv would have every path
// through the ANSI code page already.
std::vector<std::string> Arguments()
{
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 0; i < count; ++i)
        args.push_back(Narrow(wide[i]));
    LocalFree(wide);
    return args;
}

std::string FullPath(const std::string& path)
{
    wchar_t full[MAX_PATH];
    DWORD n = GetFullPathNameW(Widen(path).c_str(), MAX_PATH, full, nullptr);
    return n > 0 && n < MAX_PATH ? Narrow(full) : path;
}

// The path as the user knows it: a Unix path when run under Wine.
std::string AsTheUserKnowsIt(const std::string& path)
{
    const std::string unix = UnixPath(path);
    return unix.empty() ? path : unix;
}

// Makes the folder and its parents, or says why not.
bool MakeFolder(const std::string& folder, std::string* error)
{
    const std::filesystem::path path(Widen(folder));
    std::error_code failed;
    if (std::filesystem::exists(path, failed) && !std::filesystem::is_directory(path, failed)) {
        *error = AsTheUserKnowsIt(folder) + " is a file, not a folder";
        return false;
    }
    std::filesystem::create_directories(path, failed);
    if (!std::filesystem::is_directory(path, failed)) {
        *error = "cannot make the folder " + AsTheUserKnowsIt(folder);
        return false;
    }
    return true;
}

}  // namespace

int main()
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    HostOptions options;
    switch (ParseOptions(Arguments(), &options)) {
    case kHelp:
        Usage();
        return 0;
    case kRefused:
        return 2;
    case kRun:
        break;
    }
    options.outDir = FullPath(options.outDir.empty() ? sim::PluginPathBesideExe("korvu_host_output")
                                                     : options.outDir);
    if (!options.ini.empty())
        options.ini = FullPath(options.ini);
    if (!options.benchFile.empty()) {
        options.benchFile = FullPath(options.benchFile);
        if (options.ini.empty())
            options.ini = workbench::BenchBoardFile(options.benchFile);  // the bench's boards, before the plug-in
    }  // the driver would look in the Windows folder for a bare name
    std::string error;
    if (!MakeFolder(options.outDir, &error)) {
        printf("korvu_host: --out: %s\n", error.c_str());
        return 1;
    }
    options.outDirShown = AsTheUserKnowsIt(options.outDir);
    if (!options.interactive)
        ClearRunFiles(options);  // nothing of an earlier run stays beside this one, refused or not

    if (!sim::StartHost()) {
        printf("the host window could not be created\n");
        return 1;
    }
    HostSession session;
    if (!session.LoadDriver(options, &error) || !session.LoadPlugin(&error)) {
        printf("%s\n", error.c_str());
        if (!options.interactive)
            WriteRefusal(options, error);
        return 1;
    }
    int result = options.interactive ? RunInteractive(session, options) : RunScriptedExperiment(session, options);
    session.Finish();
    for (const std::string& p : sim::TakeProblems()) {
        printf("host simulator: %s\n", p.c_str());
        result = 1;
    }
    return result;
}
