// How long a scripted run takes and what it costs. Its progress on the
// terminal: at each tenth of its blocks, the share done, the time so far and
// an estimate of the time left; a run shorter than kLongRunSamples says
// nothing, and the report never does.
#pragma once

#include <stdint.h>

// Wall-clock seconds since it was made.
class RunClock {
public:
    RunClock();
    double Seconds() const;

private:
    double began_;
};

// The most memory the process has had at once, in megabytes.
double PeakMemoryMegabytes();

class RunProgress {
public:
    static const uint64_t kLongRunSamples = 200000;  // per channel

    RunProgress(uint64_t blocks, uint64_t samplesPerBlock);
    void Note(uint64_t blocksDone);

private:
    uint64_t blocks_;
    uint64_t nextTenth_ = 1;
    bool loud_;
    RunClock clock_;
};
