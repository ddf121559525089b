// The plug-in loaded into the host simulator with the simulated driver, for
// benchmarks: the same path as in the tests, without a test framework.
#pragma once

#include <stdio.h>
#include <windows.h>

#include "sim/driver/sim_driver.h"
#include "sim/host/sim_host.h"

struct BenchSession {
    sim::Plugin plugin;
    SimDriver driver;

    // Loads driver and plug-in (the one beside the program, or the one at
    // `plugin`, UTF-8), puts a board at slot 0 and binds.
    bool Start(const char* plugin = nullptr);
    void Stop();
    const ModuleClassDescriptor* Class(const char* name) const;
};

double SecondsNow();
