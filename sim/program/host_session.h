// The host program's hold on the simulated driver and the plug-in.
#pragma once

#include <string>

#include "sim/driver/sim_driver.h"
#include "sim/program/host_options.h"
#include "sim/program/report.h"
#include "sim/host/sim_host.h"

struct HostSession {
    SimDriver driver;
    sim::Plugin plugin;
    int32_t setupResult = 0;
    std::string boardFile;        // the board file in use; empty for the default board
    std::string boardFileShown;   // the same as the user knows it

    // The driver: --driver; else tovel.dll beside the program, as a host's
    // own folder is searched first; else, with KORVU_TRACE_DRIVER=1, the
    // trace driver in front of the simulated driver, set up in the output
    // folder; else the whole simulated driver from drivers\. Its boards from
    // the first of: --ini, the file TOVEL_SIM_INI names, tovel.ini beside
    // the program; else one board at slot 0 whose output ports feed its
    // input ports. A board file with problems is refused with each of them
    // named.
    bool LoadDriver(const HostOptions& options, std::string* error);
    // --plugin, else Korvu_ux1.dll beside the program.
    bool LoadPlugin(const HostOptions& options, std::string* error);
    // The plug-in's finish and the driver's unload, once: after it a trace
    // driver's file is whole and held against the simulated driver's record.
    void Finish();
    const ModuleClassDescriptor* Class(const char* name) const;
};

// The tovel.dll loaded, as the report says it: what it says it is, and a
// trace driver's maker's driver and file.
void ReportDriver(const HostSession& session, Report& report);
// After Finish: a trace driver's file held against the simulated driver's
// record, call for call, as the report says it; how they differ, or empty.
std::string ReportTraceComparison(const HostSession& session, Report& report);

// A trace driver's file in the output folder, when the program sets it up.
extern const char kTraceFileName[];

// Eight channels of the largest block, written and read back, in one host call.
constexpr uint32_t kTransfersOfTheLargestCall = 8 * 65535 * 2;

