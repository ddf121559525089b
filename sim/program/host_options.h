// The host program's options: one table gives their parsing, their ranges
// and defaults, and --help.
#pragma once

#include <string>
#include <vector>

struct HostOptions {
    int blocks = 200;             // input blocks per channel in the scripted run
    int blockSize = 10;           // samples per block
    double msPerSample = 80.0;    // the least the output module takes with eight channels
    std::string ini;              // the simulated boards, instead of the built-in one
    std::string driver;           // the tovel.dll to load, a full Windows path; empty: the usual search
    std::string plugin;           // the Korvu_ux1.dll to load (the host recorder, say); empty: the one beside
    std::string hostProfile;      // a host recorder's profile to become
    std::vector<std::string> notReproduced;  // of the profile, by the simulated host
    int failAfterWrites = 0;      // remove the board after this many port writes; 0: never
    int slot = 0;                 // where the scripted run's modules go
    int port = 0;                 // OUT on this output port, IN on this input port
    int channels = 8;             // of each module
    int diagramFirstBlock = 0;    // the timing diagram's window, in blocks
    int diagramBlocks = 24;
    int traceLimit = 1 << 20;     // lines of transfers.csv
    std::string outDir;           // report and pictures, a full Windows path
    std::string outDirShown;      // the same as the user knows it
    bool interactive = false;
    bool watch = false;           // a real board through the trace driver, from outside the host
    bool watchOnce = false;       // one host, then the pictures and watch.txt
    std::string benchFile;        // a saved bench to open, a full Windows path
    std::string refusal;          // why the command line was refused, "--option: why"
};

enum class ParseResult { kRun, kHelp, kRefused };

// The arguments after the program's name. A refusal says why in
// options->refusal, and still reads the flags and --out anywhere on the line,
// so that the caller knows where the refused run would have written.
// A host profile becomes the host behaviours here.
ParseResult ParseOptions(const std::vector<std::string>& args, HostOptions* options);
void PrintUsage();
