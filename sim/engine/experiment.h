// The experiment engine: the host's run of placed modules on a simulated
// clock. Run preparation (106) of every module, then the process functions
// called as a 1 kHz host calls them, but only at the ticks where something can
// happen (a block to feed, a block due, the tick after a release, when an
// input module fills its next one): between those a call changes nothing, so
// the clock jumps there and a run costs no more for a long sample distance.
// Run end (107) at the close. Whoever drives the engine decides when to stop.
#pragma once

#include <stdint.h>

#include <vector>

#include "sim/engine/signal_source.h"
#include "sim/clock/test_clock.h"
#include "sim/common/numbers.h"
#include "sim/host/sim_host.h"

namespace engine {

// A "Tovel OUT" module, fed block by block from its channels' sources.
struct FedModule {
    sim::Module* module = nullptr;
    std::vector<SignalSource> sources;           // one per channel
    int32_t prepared = 0;                        // its answer to run preparation
};

// A "Tovel IN" module, watched on its first channel.
struct WatchedModule {
    sim::Module* module = nullptr;
    int32_t prepared = 0;
};

// What a run may be set to: by the host program's options, the bench's
// settings and its files alike. Milliseconds per sample, samples per block.
const sim::RealRange kMsPerSampleRange = {0, 1e9};
const sim::WholeRange kBlockSizeRange = {1, 65535};

struct Experiment {
    int blockSize = 10;
    double msPerSample = 80.0;
    uint32_t startTicks = 1000000;               // dwExperimentStartTimeTicks
    long long blocksToFeed = -1;                 // per channel; -1 without end
    std::vector<FedModule> outputs;
    std::vector<WatchedModule> inputs;

    uint64_t t = 0;                              // ticks since the start
    long long fed = 0;                           // blocks fed per channel so far
};

// Sets the host's run variables and prepares every module (106), outputs
// first. The first module that refuses, or null when all agreed; the run
// starts only when all agreed.
sim::Module* StartRun(Experiment& e);
// One host tick at e.t: feeds a block when one is due, calls every process
// function, notes releases.
void HostTick(Experiment& e, sim::TestClock& clock);
// Moves e.t to the next tick where a call can change anything.
void AdvanceToNextEvent(Experiment& e);
// Run end (107) for every module.
void EndRun(Experiment& e);

// Input blocks handed on so far by an input module's first channel.
uint64_t ReleasedBlocks(const WatchedModule& w);

// The level fed on a channel at a sample of the run: the source's level for
// the sample's block. Nothing is kept per sample, so a run of any length
// costs no memory for it.
bool FedLevel(const Experiment& e, const FedModule& f, size_t channel, long long sample);

}  // namespace engine
