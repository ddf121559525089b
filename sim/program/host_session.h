// The host program's hold on the simulated driver and the plug-in.
#pragma once

#include <string>

#include "sim/driver/sim_driver.h"
#include "sim/program/host_options.h"
#include "sim/host/sim_host.h"

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
