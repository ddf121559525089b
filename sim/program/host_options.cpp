#include "sim/program/host_options.h"

#include <limits.h>
#include <stdio.h>

#include "sim/common/numbers.h"
#include "sim/engine/experiment.h"
#include "sim/host/host_behaviour.h"
#include "sim/host/host_profile.h"

namespace {

// Samples per channel a run may take: the input module counts them in 32
// bits. Nothing is kept per sample, so memory does not limit a run.
constexpr long long kMostSamples = 4294967295LL;

enum class Takes { kNothing, kWhole, kReal, kPath, kBehaviours };

struct Option {
    const char* name;
    const char* value;  // what --help calls its value
    Takes takes;
    const char* what;
    sim::WholeRange range = {};              // Takes::kWhole
    int HostOptions::*number = nullptr;      // Takes::kWhole
    std::string HostOptions::*path = nullptr;  // Takes::kPath
    const char* fallback = nullptr;          // the default in words, where the field's own does not say it
    bool HostOptions::*flag = nullptr;       // Takes::kNothing, and a path that implies one
};

Option Whole(const char* name, const char* what, sim::WholeRange range, int HostOptions::*number,
             const char* fallback = nullptr)
{
    return {name, "N", Takes::kWhole, what, range, number, nullptr, fallback};
}

Option Path(const char* name, const char* value, const char* what, std::string HostOptions::*path,
            const char* fallback = nullptr, bool HostOptions::*implies = nullptr)
{
    return {name, value, Takes::kPath, what, {}, nullptr, path, fallback, implies};
}

Option Flag(const char* name, const char* what, bool HostOptions::*flag)
{
    return {name, "", Takes::kNothing, what, {}, nullptr, nullptr, nullptr, flag};
}

const Option kOptions[] = {
    Whole("--blocks", "input blocks per channel", {1, 1000000}, &HostOptions::blocks),
    Whole("--block-size", "samples per block", engine::kBlockSizeRange, &HostOptions::blockSize),
    {"--ms", "X", Takes::kReal, "milliseconds per sample; 80 is the least for eight channels"},
    Whole("--slot", "the board the modules are placed on", {0, 15}, &HostOptions::slot),
    Whole("--port", "OUT on output port N, IN on input port N", {0, 1}, &HostOptions::port),
    Whole("--channels", "channels of each module", {1, 8}, &HostOptions::channels),
    Path("--ini", "FILE", "the simulated boards and wiring (tovel.ini.example beside this program\n"
                          "                        shows how)",
         &HostOptions::ini),
    Path("--driver", "FILE",
         "the tovel.dll to load: the simulated driver, or the trace driver in\n"
         "                        front of it (trace-driver\\INSTALL.txt)",
         &HostOptions::driver, "tovel.dll beside this program, else the simulated driver"),
    Path("--plugin", "FILE", "the Korvu_ux1.dll to load: the host recorder in front of the plug-in, say\n"
                             "                        (host-recorder\\INSTALL.txt)",
         &HostOptions::plugin, "Korvu_ux1.dll beside this program"),
    Whole("--fail-after-writes", "pull the board after N port writes", {1, INT_MAX}, &HostOptions::failAfterWrites,
          "never"),
    Whole("--diagram-from", "the timing diagram starts at block N", {0, 999999}, &HostOptions::diagramFirstBlock),
    Whole("--diagram-blocks", "and shows N blocks", {1, 10000}, &HostOptions::diagramBlocks),
    Whole("--trace-limit", "transfers written to transfers.csv, then a line that says how many are\n"
                           "                        missing",
          {1, 16777216}, &HostOptions::traceLimit),
    Path("--out", "DIR", "where the report and pictures go, made with its parents", &HostOptions::outDir,
         "korvu_host_output beside this program"),
    Flag("--interactive",
         "the host window as a bench: place modules, run them by hand, watch\n"
         "                        the board",
         &HostOptions::interactive),
    Path("--bench", "FILE", "open the bench saved in FILE (implies --interactive)", &HostOptions::benchFile, nullptr,
         &HostOptions::interactive),
    Flag("--watch",
         "the lines of a real board, live, as the trace driver in a running\n"
         "                        host publishes them (trace-driver\\INSTALL.txt)",
         &HostOptions::watch),
    Flag("--watch-once",
         "watch one host to its end, then leave watch.png, watch_end.png and\n"
         "                        watch.txt in --out",
         &HostOptions::watchOnce),
    {"--host-behaviour", "LIST", Takes::kBehaviours,
     "a host less polite than the simulated one: names from the list below,\n"
     "                        separated by commas (at most one fpu-...)"},
    Path("--host-profile", "FILE",
         "the host a host recorder's profile describes, as far as the behaviours\n"
         "                        below go (instead of --host-behaviour)",
         &HostOptions::hostProfile),
    Flag("--help", "this text", nullptr),
};

// "1 to 1000000; default 200": what --help and the README's table give in brackets.
std::string RangeAndDefault(const Option& o)
{
    static const HostOptions defaults;
    char number[32];
    std::string range, fallback = o.fallback ? o.fallback : "";
    if (o.takes == Takes::kWhole) {
        range = std::to_string(o.range.least) + " to " + std::to_string(o.range.most);
        if (fallback.empty())
            fallback = std::to_string(defaults.*o.number);
    } else if (o.takes == Takes::kReal) {
        snprintf(number, sizeof number, "%.15g", engine::kMsPerSampleRange.most);
        range = "above " + std::to_string(static_cast<int>(engine::kMsPerSampleRange.above)) + ", at most " + number;
        snprintf(number, sizeof number, "%.15g", defaults.msPerSample);
        fallback = number;
    }
    if (fallback.empty())
        return range;
    return range.empty() ? "default " + fallback : range + "; default " + fallback;
}

const Option* Named(const std::string& name)
{
    for (const Option& known : kOptions) {
        if (name == known.name)
            return &known;
    }
    return nullptr;
}

// What a refused line still says: the flags it gives and the last --out.
ParseResult Refuse(const std::vector<std::string>& args, HostOptions* o, const std::string& why)
{
    o->refusal = why;
    for (size_t i = 0; i < args.size(); ++i) {
        const Option* option = Named(args[i]);
        if (option && option->flag)
            o->*option->flag = true;
        if (option && option->path == &HostOptions::outDir && i + 1 < args.size() && !args[i + 1].empty())
            o->outDir = args[i + 1];
    }
    return ParseResult::kRefused;
}

ParseResult Refuse(const std::vector<std::string>& args, HostOptions* o, const std::string& option,
                   const std::string& why)
{
    return Refuse(args, o, option + ": " + why);
}

// One option with its value; i moves past what it used.
ParseResult ParseOption(const std::vector<std::string>& args, size_t& i, HostOptions* o)
{
    const Option* option = Named(args[i]);
    if (!option)
        return Refuse(args, o, "unknown option '" + args[i] + "' (--help lists them)");
    if (option->takes == Takes::kNothing && !option->flag)
        return ParseResult::kHelp;
    if (option->flag)
        o->*option->flag = true;
    if (option->takes == Takes::kNothing)
        return ParseResult::kRun;
    if (i + 1 >= args.size())
        return Refuse(args, o, option->name, "needs a value");
    const std::string& v = args[++i];
    std::string problem;
    switch (option->takes) {
    case Takes::kWhole:
        if (!sim::ReadWhole(v, option->range, &(o->*option->number), &problem))
            return Refuse(args, o, option->name, problem);
        break;
    case Takes::kReal:
        if (!sim::ReadReal(v, engine::kMsPerSampleRange, &o->msPerSample, &problem))
            return Refuse(args, o, option->name, problem);
        break;
    case Takes::kPath:
        if (v.empty())
            return Refuse(args, o, option->name, "an empty path names nothing");
        o->*option->path = v;
        break;
    case Takes::kBehaviours:
        if (!sim::SetHostBehaviours(v.c_str(), &problem))
            return Refuse(args, o, option->name, problem + " (--help lists them)");
        break;
    case Takes::kNothing:
        break;
    }
    return ParseResult::kRun;
}

}  // namespace

ParseResult ParseOptions(const std::vector<std::string>& args, HostOptions* o)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const ParseResult r = ParseOption(args, i, o);
        if (r != ParseResult::kRun)
            return r;
    }
    if (static_cast<long long>(o->blocks) * o->blockSize > kMostSamples)
        return Refuse(args, o, "--blocks x --block-size", std::to_string(o->blocks) + " x " + std::to_string(o->blockSize) +
                                                     " is more than " + std::to_string(kMostSamples) +
                                                     " samples per channel, which the input module counts in 32 bits");
    o->watch = o->watch || o->watchOnce;
    if (!o->hostProfile.empty()) {
        sim::HostProfile profile;
        std::string problem;
        if (!sim::ReadHostProfile(o->hostProfile, &profile, &problem) ||
            !sim::SetHostBehaviours(profile.behaviours, &problem))
            return Refuse(args, o, "--host-profile", problem);
        o->notReproduced = profile.notReproduced;
    }
    if (o->diagramFirstBlock >= o->blocks)
        return Refuse(args, o, "--diagram-from", "'" + std::to_string(o->diagramFirstBlock) + "' is past the run's last block (" +
                                            std::to_string(o->blocks - 1) + ")");
    return ParseResult::kRun;
}

void PrintUsage()
{
    printf("korvu_host [options]\n");
    for (const Option& o : kOptions) {
        const std::string name = std::string(o.name) + (*o.value ? " " : "") + o.value;
        const std::string bracket = RangeAndDefault(o);
        printf("  %-21s %s\n", name.c_str(), o.what);
        if (!bracket.empty())
            printf("%24s[%s]\n", "", bracket.c_str());
    }
    printf("A run takes at most %lld samples per channel (blocks x block size).\n", kMostSamples);
    printf("The boards come from --ini, else from the file TOVEL_SIM_INI names, else from\n"
           "tovel.ini beside this program, else one board at slot 0 whose output ports are\n"
           "wired to its input ports; the report names the file it used.\n"
           "The driver is --driver, else tovel.dll beside this program (a trace driver\n"
           "installed there, with the simulated driver as tovel_maker.dll beside it), else\n"
           "with KORVU_TRACE_DRIVER=1 the trace driver in front of the simulated driver,\n"
           "its trace file tovel_trace.csv in --out, else the simulated driver alone; the\n"
           "report names the file it loaded.\n"
           "Host behaviours:\n");
    for (const sim::NamedBehaviour& b : sim::HostBehaviourNames())
        printf("  %-20s %s\n", b.name, b.what);
}
