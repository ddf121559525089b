// A module's process function in progress.
//
// Every host service a process function calls is a point where the host may
// have run anything: a warning box pumps messages, so the host's run timer may
// call the process function again, and a host that stops at once sends the run
// end before StopExperiment returns. A process call that comes while the same
// module's is still in progress does nothing. Run preparation, run end,
// creation or removal of the module interrupt the call in progress: it then
// touches nothing of its run again and returns.
#pragma once

#include "host/host_records.h"

class ProcessCall {
public:
    explicit ProcessCall(const ModuleRecord* module);
    ~ProcessCall();
    ProcessCall(const ProcessCall&) = delete;
    ProcessCall& operator=(const ProcessCall&) = delete;

    // False when the module's process call is already in progress: do nothing.
    bool Entered() const { return entry_ != nullptr; }
    // The module's run was prepared, ended or the module removed since the call began.
    bool Interrupted() const;

private:
    struct ProcessCallEntry* entry_;
};

// The module's run state changes now: a process call of it in progress stops.
void InterruptProcessCall(const ModuleRecord* module);
