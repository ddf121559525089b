#include "sim/program/run_progress.h"

#include <windows.h>

#include <psapi.h>
#include <stdio.h>

namespace {

double SecondsNow()
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / frequency.QuadPart;
}

}  // namespace

RunClock::RunClock() : began_(SecondsNow()) {}

double RunClock::Seconds() const
{
    return SecondsNow() - began_;
}

double PeakMemoryMegabytes()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        return 0;
    return counters.PeakWorkingSetSize / 1048576.0;
}

RunProgress::RunProgress(uint64_t blocks, uint64_t samplesPerBlock)
    : blocks_(blocks), loud_(blocks * samplesPerBlock >= kLongRunSamples)
{
}

void RunProgress::Note(uint64_t blocksDone)
{
    if (!loud_ || nextTenth_ > 9 || blocksDone * 10 < nextTenth_ * blocks_)
        return;
    const double elapsed = clock_.Seconds();
    const double share = static_cast<double>(blocksDone) / blocks_;
    printf("  run: %3.0f%% of %llu blocks after %.1f s, about %.0f s to go\n", share * 100,
           static_cast<unsigned long long>(blocks_), elapsed, elapsed / share - elapsed);
    while (nextTenth_ <= 9 && blocksDone * 10 >= nextTenth_ * blocks_)
        ++nextTenth_;
}
