// transfers.csv: every port transfer the driver saw, at its time in the
// simulated experiment.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "sim/harness/sim_driver.h"

// The transfers made by the end of each host call, and the tick of that call.
struct TransferClock {
    std::vector<std::pair<uint32_t, uint64_t>> marks;  // (transfers so far, ms since the start)
    void Note(SimDriver& driver, uint64_t ms);
};

struct TraceSummary {
    bool written = false;
    uint32_t kept = 0;
    uint32_t dropped = 0;                 // not in the trace: it was full
    std::vector<uint64_t> failedWrites;   // experiment ms of each failed TovelOutPort
};

// Columns: sequence, experiment_ms (empty for a transfer after the run),
// slot, port, direction (out/in), value, result, error. A trace cut short
// ends with a line that says so.
TraceSummary WriteTransferTrace(const std::string& path, SimDriver& driver, const TransferClock& clock);
