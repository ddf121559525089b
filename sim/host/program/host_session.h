// The host program's hold on the simulated driver and the plug-in.
#pragma once

#include <string>

#include "sim/harness/sim_driver.h"
#include "sim/host/sim_host.h"

struct HostOptions {
    int blocks = 200;             // input blocks per channel in the scripted run
    int blockSize = 10;           // samples per block
    double msPerSample = 80.0;    // the least the output module takes with eight channels
    std::string ini;              // the simulated boards, instead of the built-in one
    int failAfterWrites = 0;      // remove the board after this many port writes
    int slot = 0;                 // where the scripted run's modules go
    int port = 0;                 // OUT on this output port, IN on this input port
    int channels = 8;             // of each module
    int diagramFirstBlock = 0;    // the timing diagram's window, in blocks
    int diagramBlocks = 24;
    int traceLimit = 1 << 20;     // transfers the driver keeps
    std::string outDir;           // report and pictures, a full Windows path
    std::string outDirShown;      // the same as the user knows it
    bool interactive = false;
    std::string benchFile;        // a saved bench to open, a full Windows path
};

struct HostSession {
    SimDriver driver;
    sim::Plugin plugin;
    int32_t setupResult = 0;
    std::string boardFile;        // the board file in use; empty for the default board
    std::string boardFileShown;   // the same as the user knows it

    // The whole driver from drivers\ beside the program, its boards from the
    // first of: --ini, the file TOVEL_SIM_INI names, tovel.ini beside the
    // program; else one board at slot 0 whose output ports feed its input
    // ports. A board file with problems is refused with each of them named.
    bool LoadDriver(const HostOptions& options, std::string* error);
    bool LoadPlugin(std::string* error);
    void Finish();
    const ModuleClassDescriptor* Class(const char* name) const;
};

// UTF-8 of a code page 932 text, for the report.
std::string Utf8(const std::string& cp932);
