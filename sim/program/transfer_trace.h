// transfers.csv: every port transfer the driver saw, at its time in the
// simulated experiment, written as the run goes so that the driver keeps
// only one host call's transfers at a time.
//
// Columns: sequence, experiment_ms (empty for a transfer after the run),
// slot, port, direction (out/in), value, result, error. A trace cut short
// by its limit ends with a line that says so.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "sim/common/checked_file.h"
#include "sim/driver/sim_driver.h"

// A port write that failed: when, and which sample of which channel it was
// to carry, as the output module writes them (each channel's block whole,
// channel 0 first).
struct FailedWrite {
    uint64_t ms;
    int channel;
    long long sample;
};

// Which sample the writes of one host call carry.
struct WriteOrder {
    long long block = 0;      // the block the output module takes in the call
    int perChannel = 1;       // writes per channel and block
};

class TransferTrace {
public:
    // At most `limit` lines; failures are kept for the samples of the
    // diagram's window.
    bool Open(const std::string& path, uint64_t limit, long long windowFirst, long long windowCount);
    // Moves the driver's transfers into the file. `ms` is the host call's
    // experiment time, or -1 after the run.
    void Drain(SimDriver& driver, long long ms, const WriteOrder& order);
    // Ends the file; false when it could not be written whole.
    bool Close(SimDriver& driver);

    uint64_t kept = 0;                    // lines in the file
    uint64_t dropped = 0;                 // transfers past the limit, or lost in the driver
    uint64_t failedWrites = 0;
    FailedWrite firstFailure = {};        // meaningful when failedWrites > 0
    std::vector<FailedWrite> inWindow;    // the failures of the diagram's window

private:
    CheckedFile file_;
    uint64_t limit_ = 0;
    long long windowFirst_ = 0, windowCount_ = 0;
    std::vector<TovelSimTransfer> taken_;
};
