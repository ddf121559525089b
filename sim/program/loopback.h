// What came back against what went out, as Tovel IN hands its blocks on:
// counts, the first difference, the release lateness, and the samples of the
// timing diagram's window. Nothing else is kept, so a run of any length costs
// the same memory.
#pragma once

#include <stdint.h>

#include <vector>

#include "sim/engine/experiment.h"

struct Difference {
    long long sample = -1;  // the first differing sample, counted from the run's start; -1 none
    int channel = 0;
    bool written = false, read = false;
};

// A level in the diagram's window as it came back.
enum Readback : uint8_t { kNotBack, kBackLow, kBackHigh };

struct Loopback {
    Loopback(const engine::Experiment& e, const sim::Module& in, int channels, long long windowFirst,
             long long windowCount);

    // A block Tovel IN handed on, on one of its output channels.
    void Observe(OutputChannel* channel, const DataBlock* block);
    // The blocks Tovel IN handed on in the host call just made, at `now`.
    void NoteReleases(uint64_t released, uint32_t now);

    const engine::Experiment& experiment;
    const sim::Module& in;
    long long planned;                          // samples per channel the run feeds
    long long windowFirst, windowCount;         // the diagram's window, in samples

    std::vector<uint64_t> blocksBack, samplesBack;  // per channel
    std::vector<std::vector<uint8_t>> window;       // per channel, Readback per sample of the window
    long long differing = 0, compared = 0;
    Difference first;

    uint64_t releasesTimed = 0;                 // blocks whose lateness is counted
    uint32_t latest = 0;                        // ms
    double lateSum = 0;
};
